#include "valuation/detail/interest_state.h"

#include <cmath>

#include "numbers/rounding.h"

namespace orvane::valuation::detail {
namespace {

InterestMode ModeOf(const InterestInputs& inputs, const CurveDiscount* curve) {
  if (curve != nullptr)
    return InterestMode::kFullYieldCurve;
  return inputs.segment ? InterestMode::kSegment : InterestMode::kSelectAndUltimate;
}

}  // namespace

InterestInputs InterestInputsOf(const ValuationInputs& inputs) {
  return {{inputs.InterestRate1, inputs.InterestRate2, inputs.InterestRate3},
          inputs.PostRetirementInterest,
          inputs.Period1,
          inputs.Period2,
          inputs.TreatAsYieldCurve};
}

double MonthlyDiscount(double rate_percent) {
  return 1.0 / std::pow(1.0 + rate_percent / 100.0, 1.0 / 12.0);
}

InterestState::InterestState(const InterestInputs& inputs, const CurveDiscount* curve)
    : mode_(ModeOf(inputs, curve)),
      curve_(curve),
      rates_(inputs.rates),
      rate_month_factors_{MonthlyDiscount(inputs.rates[0]), MonthlyDiscount(inputs.rates[1]),
                          MonthlyDiscount(inputs.rates[2])},
      post_retirement_rate_(inputs.post_retirement),
      period1_(inputs.period1),
      period2_(inputs.period2),
      month_factor_(MonthlyDiscount(inputs.post_retirement)) {}

void InterestState::StartYear(long years_elapsed) {
  const double n = static_cast<double>(years_elapsed);
  if (numbers::RoundHalfEven(n) < period1_) {
    slot_ = 0;
  } else if (n < period1_ + period2_) {
    slot_ = 1;
  } else {
    slot_ = 2;
  }
  const double rate_month_factor = rate_month_factors_[static_cast<std::size_t>(slot_)];
  if (mode_ == InterestMode::kSegment) {
    // The whole time to each payment is discounted at its segment's spot rate: restart from the
    // accumulator of that rate instead of carrying the previous year's factor on.
    month_factor_ = rate_month_factor;
    vx_ = segment_discount_[static_cast<std::size_t>(slot_)];
  } else if (mode_ == InterestMode::kSelectAndUltimate) {
    select_factor_ = rate_month_factor;
  }
}

void InterestState::EndYear() {
  if (mode_ != InterestMode::kSegment)
    return;
  for (std::size_t k = 0; k < 3; ++k) {
    segment_discount_[k] = segment_discount_[k] / (1.0 + rates_[k] / 100.0);
  }
}

double InterestState::RatePercent(bool before_payment, long month) const {
  switch (mode_) {
    case InterestMode::kFullYieldCurve:
      return curve_->RatePercent(month);
    case InterestMode::kSegment:
      return rates_[static_cast<std::size_t>(slot_)];
    case InterestMode::kSelectAndUltimate:
      break;
  }
  return before_payment ? rates_[static_cast<std::size_t>(slot_)] : post_retirement_rate_;
}

}  // namespace orvane::valuation::detail
