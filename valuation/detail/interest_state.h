#pragma once

#include <array>
#include <cstddef>
#include <span>

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

// The rate slot of year `years_elapsed` (0..2 for InterestRate1..3). Periods count from the
// valuation date: slot 1 while round(n) < Period1, slot 2 while n < Period1 + Period2 (Period2 is
// a length), slot 3 after, n being the whole years elapsed.
int RateSlot(long years_elapsed, double period1, double period2);

// The discount factors Vx of the start of the current month, and what moves them, for W ways to
// discount side by side (lanes): the month loop runs one, the sensitivities replay several at
// moved rates or curves. The lanes share the mode and the periods, so the year's rate slot is
// worked out once; each lane's arithmetic is that of a single lane, operation for operation, so
// a lane gives the same factors to the bit whatever W is. Kept as flat arrays of lanes so that
// the compiler runs the lanes of a step together.
template <std::size_t W>
class InterestState {
 public:
  using Lanes = std::array<double, W>;

  // `curves` select the full yield curve mode when not null (all or none); the lanes' modes and
  // periods must be the same, their rates already checked to lie above -100%.
  InterestState(std::span<const InterestInputs, W> inputs,
                std::span<const CurveDiscount* const, W> curves)
      : mode_(curves[0] != nullptr ? InterestMode::kFullYieldCurve
              : inputs[0].segment  ? InterestMode::kSegment
                                   : InterestMode::kSelectAndUltimate),
        period1_(inputs[0].period1),
        period2_(inputs[0].period2) {
    for (std::size_t b = 0; b < W; ++b) {
      curves_[b] = curves[b];
      for (std::size_t k = 0; k < 3; ++k) {
        rates_[k][b] = inputs[b].rates[k];
        rate_month_factors_[k][b] = MonthlyDiscount(inputs[b].rates[k]);
        year_growth_[k][b] = 1.0 + inputs[b].rates[k] / 100.0;
        segment_discount_[k][b] = 1.0;
      }
      post_retirement_rate_[b] = inputs[b].post_retirement;
      month_factor_[b] = MonthlyDiscount(inputs[b].post_retirement);
      vx_[b] = 1.0;
      select_factor_[b] = 1.0;
    }
  }

  InterestMode mode() const { return mode_; }

  // Start of year `years_elapsed` (not in full yield curve mode): picks the year's rate slot.
  void StartYear(long years_elapsed) {
    slot_ = RateSlot(years_elapsed, period1_, period2_);
    const Lanes& rate_month_factor = rate_month_factors_[static_cast<std::size_t>(slot_)];
    if (mode_ == InterestMode::kSegment) {
      // The whole time to each payment is discounted at its segment's spot rate: restart from
      // the accumulator of that rate instead of carrying the previous year's factor on.
      month_factor_ = rate_month_factor;
      vx_ = segment_discount_[static_cast<std::size_t>(slot_)];
    } else if (mode_ == InterestMode::kSelectAndUltimate) {
      select_factor_ = rate_month_factor;
    }
  }
  // Start of a month in full yield curve mode: Vx of a payment `month` whole months on.
  void StartMonth(long month) {
    for (std::size_t b = 0; b < W; ++b) vx_[b] = curves_[b]->Factor(month);
  }
  // After the survival step of a month before the payment age.
  void DiscountMonthBeforePayment() {
    switch (mode_) {
      case InterestMode::kFullYieldCurve:
        break;
      case InterestMode::kSegment:
        for (std::size_t b = 0; b < W; ++b) vx_[b] = month_factor_[b] * vx_[b];
        break;
      case InterestMode::kSelectAndUltimate:
        for (std::size_t b = 0; b < W; ++b) vx_[b] = vx_[b] * select_factor_[b];
        break;
    }
  }
  // After the payment and survival steps of a payment month, in every mode.
  void DiscountPaymentMonth() {
    for (std::size_t b = 0; b < W; ++b) vx_[b] = month_factor_[b] * vx_[b];
  }
  // End of a year: the segment accumulators move on by one year at each of the three rates.
  void EndYear() {
    if (mode_ != InterestMode::kSegment)
      return;
    for (std::size_t k = 0; k < 3; ++k) {
      for (std::size_t b = 0; b < W; ++b)
        segment_discount_[k][b] = segment_discount_[k][b] / year_growth_[k][b];
    }
  }

  const Lanes& Vx() const { return vx_; }
  // The rate slot of the current year: 0..2 for InterestRate1..3.
  int slot() const { return slot_; }

  // The annual rate in percent that discounts lane `b`'s current month (`month` whole months
  // after the valuation date; `before_payment` as the month loop classifies the month).
  double RatePercent(std::size_t b, bool before_payment, long month) const {
    switch (mode_) {
      case InterestMode::kFullYieldCurve:
        return curves_[b]->RatePercent(month);
      case InterestMode::kSegment:
        return rates_[static_cast<std::size_t>(slot_)][b];
      case InterestMode::kSelectAndUltimate:
        break;
    }
    return before_payment ? rates_[static_cast<std::size_t>(slot_)][b] : post_retirement_rate_[b];
  }

 private:
  InterestMode mode_;
  double period1_;
  double period2_;
  int slot_ = 0;  // 0..2 for rate slots 1..3
  std::array<const CurveDiscount*, W> curves_;
  std::array<Lanes, 3> rates_;
  std::array<Lanes, 3> rate_month_factors_;  // MonthlyDiscount of each rate, worked out once
  std::array<Lanes, 3> year_growth_;         // 1 + rate/100 of each rate
  std::array<Lanes, 3> segment_discount_;
  Lanes post_retirement_rate_;
  Lanes vx_;
  Lanes month_factor_;
  Lanes select_factor_;
};

}  // namespace orvane::valuation::detail
