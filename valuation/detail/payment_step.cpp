#include "valuation/detail/payment_step.h"

#include "numbers/rounding.h"

namespace orvane::valuation::detail {

PaymentStep::PaymentStep(const ValuationInputs& inputs)
    : current_benefit_(inputs.InitialBenefit),
      maximum_(inputs.Maximum),
      period_certain_(inputs.PeriodCertain),
      percent_to_survivor_(inputs.PercentToSurvivor),
      cola_(inputs.COLA) {}

MonthPayment PaymentStep::Pay(long row, double x, double r, double Lx, double Ly, double Vx) {
  // The probability of reaching the payment age, taken at the first payment month.
  if (survival_at_payment_ == 0.0)
    survival_at_payment_ = Lx;

  MonthPayment paid;
  paid.row = row;
  paid.payment_month = true;
  paid.primary_benefit = current_benefit_;
  paid.survivor_benefit = current_benefit_ * percent_to_survivor_ / 100.0;
  // The 0.001 makes the count of certain payments exact for periods entered to three decimals:
  // 10 years give 120 certain payments, 10.5 give 126.
  if (x - r + 0.001 > period_certain_) {
    value_sum_ =
        value_sum_ + current_benefit_ * Vx * (Lx + percent_to_survivor_ / 100.0 * Ly * (1.0 - Lx));
    paid.primary_value = current_benefit_ * Vx * Lx;
    paid.contingent_value = current_benefit_ * Vx * percent_to_survivor_ * (Ly - Lx * Ly) / 100.0;
  } else {
    paid.within_period_certain = true;
    value_sum_ = value_sum_ + current_benefit_ * Vx * survival_at_payment_;
    paid.period_certain_value = current_benefit_ * Vx * survival_at_payment_;
  }
  return paid;
}

void PaymentStep::CostOfLivingCheck(double x, double r) {
  // Time from the payment age to the end of this month; a whole number of years marks an
  // anniversary. The 0.001 and the rounding to cents of a year absorb the drift of the ages.
  const double e = x + 1.0 / 12.0 - r;
  if (x > r && numbers::RoundHalfEven(e - numbers::Int(e + 0.001), 2) == 0.0) {
    current_benefit_ = current_benefit_ * (1.0 + cola_ / 100.0);
    if (current_benefit_ > maximum_)
      current_benefit_ = maximum_;
  }
}

}  // namespace orvane::valuation::detail
