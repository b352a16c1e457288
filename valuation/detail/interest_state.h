#pragma once

#include <array>

#include "valuation/valuation_inputs.h"
#include "valuation/yield_curve.h"

namespace orvane::valuation::detail {

// How the discount factor moves from month to month.
enum class InterestMode {
  kSelectAndUltimate,  // three select rates before the payment age, one rate from it on
  kSegment,            // the three rates as spot rates of the segments the payment time falls in
  kFullYieldCurve,     // every month from a monthly yield curve
};

// What moves the discount factor outside full yield curve mode: the form's rates in percent and
// the two periods in years. Kept apart from the other inputs so that a rate can be shifted
// without copying the mortality tables.
struct InterestInputs {
  std::array<double, 3> rates{};  // InterestRate1..3
  double post_retirement = 0.0;   // PostRetirementInterest
  double period1 = 0.0;
  double period2 = 0.0;
  bool segment = false;  // TreatAsYieldCurve
};

InterestInputs InterestInputsOf(const ValuationInputs& inputs);

// 1 / (1 + rate/100)^(1/12): the discount of one month at an annual effective rate in percent.
double MonthlyDiscount(double rate_percent);

// The discount factor Vx of the start of the current month and what moves it. Periods count
// from the valuation date: slot 1 while round(n) < Period1, slot 2 while n < Period1 + Period2
// (Period2 is a length), slot 3 after, n being the whole years elapsed.
class InterestState {
 public:
  // `curve` selects the full yield curve mode when not null; the rates must already be checked
  // to lie above -100%.
  InterestState(const InterestInputs& inputs, const CurveDiscount* curve);
  InterestState(const ValuationInputs& inputs, const CurveDiscount* curve)
      : InterestState(InterestInputsOf(inputs), curve) {}

  InterestMode mode() const { return mode_; }

  // Start of year `years_elapsed` (not in full yield curve mode): picks the year's rate slot.
  void StartYear(long years_elapsed);
  // Start of a month in full yield curve mode: Vx of a payment `month` whole months on.
  void StartMonth(long month) { vx_ = curve_->Factor(month); }
  // After the survival step of a month before the payment age. Inline: the shifted values of
  // the sensitivities run it for every month again.
  void DiscountMonthBeforePayment() {
    switch (mode_) {
      case InterestMode::kFullYieldCurve:
        break;
      case InterestMode::kSegment:
        vx_ = month_factor_ * vx_;
        break;
      case InterestMode::kSelectAndUltimate:
        vx_ = vx_ * select_factor_;
        break;
    }
  }
  // After the payment and survival steps of a payment month, in every mode.
  void DiscountPaymentMonth() { vx_ = month_factor_ * vx_; }
  // End of a year: the segment accumulators move on by one year at each of the three rates.
  void EndYear();

  double Vx() const { return vx_; }
  // The rate slot of the current year: 0..2 for InterestRate1..3.
  int slot() const { return slot_; }

  // The annual rate in percent that discounts the current month (`month` whole months after the
  // valuation date; `before_payment` as the month loop classifies the month).
  double RatePercent(bool before_payment, long month) const;

 private:
  InterestMode mode_;
  const CurveDiscount* curve_;
  std::array<double, 3> rates_;
  std::array<double, 3> rate_month_factors_;  // MonthlyDiscount of each rate, worked out once
  double post_retirement_rate_;
  double period1_;
  double period2_;
  int slot_ = 0;  // 0..2 for rate slots 1..3
  double vx_ = 1.0;
  double month_factor_;
  double select_factor_ = 1.0;
  std::array<double, 3> segment_discount_{1.0, 1.0, 1.0};
};

}  // namespace orvane::valuation::detail
