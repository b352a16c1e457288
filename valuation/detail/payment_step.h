#pragma once

#include "numbers/rounding.h"
#include "valuation/month_observer.h"
#include "valuation/valuation_inputs.h"

namespace orvane::valuation::detail {

// The benefit paid in a payment month and the running sum of expected present values: a certain
// payment within the period certain, afterwards the participant's payment plus the survivor's
// share for the case that only the spouse lives. Raises the benefit by COLA at each anniversary
// of the payment age, capped at Maximum.
class PaymentStep {
 public:
  explicit PaymentStep(const ValuationInputs& inputs);

  // Adds the payment of the month starting at age `x` (payment age `r`, years) with the
  // start-of-month survival probabilities and discount factor. When `paid` is not null, also
  // describes there what it paid. Returns the weight of the payment: the probability that it is
  // paid, or for the survivor's share paid, which with CurrentBenefit and Vx makes its value.
  // Inline, like CostOfLivingCheck: it runs every payment month.
  double Pay(long row, double x, double r, double Lx, double Ly, double Vx, MonthPayment* paid) {
    // The probability of reaching the payment age, taken at the first payment month.
    if (survival_at_payment_ == 0.0)
      survival_at_payment_ = Lx;
    // The 0.001 makes the count of certain payments exact for periods entered to three
    // decimals: 10 years give 120 certain payments, 10.5 give 126.
    const bool certain = !(x - r + 0.001 > period_certain_);
    const double weight = certain ? survival_at_payment_ : Lx + survivor_share_ * Ly * (1.0 - Lx);
    value_sum_ = value_sum_ + current_benefit_ * Vx * weight;
    if (paid == nullptr)
      return weight;
    paid->row = row;
    paid->payment_month = true;
    paid->primary_benefit = current_benefit_;
    paid->survivor_benefit = current_benefit_ * percent_to_survivor_ / 100.0;
    if (!certain) {
      paid->primary_value = current_benefit_ * Vx * Lx;
      paid->contingent_value =
          current_benefit_ * Vx * percent_to_survivor_ * (Ly - Lx * Ly) / 100.0;
    } else {
      paid->within_period_certain = true;
      paid->period_certain_value = current_benefit_ * Vx * survival_at_payment_;
    }
    return weight;
  }

  // Last step of a payment month (x still the age at its start): at an anniversary of the
  // payment age the benefit grows by COLA and is then limited to Maximum.
  void CostOfLivingCheck(double x, double r) {
    // Time from the payment age to the end of this month; a whole number of years marks an
    // anniversary. The 0.001 and the rounding to cents of a year absorb the drift of the ages.
    const double e = x + 1.0 / 12.0 - r;
    if (x > r && numbers::RoundHalfEven(e - numbers::Int(e + 0.001), 2) == 0.0) {
      current_benefit_ = current_benefit_ * (1.0 + cola_ / 100.0);
      if (current_benefit_ > maximum_)
        current_benefit_ = maximum_;
    }
  }

  // Whether payments have begun and the next one, at age `x`, still falls within the period
  // certain. The run goes on for such payments after both lives have passed 120: a guarantee
  // is owed to the beneficiary whoever is alive.
  bool CertainPaymentsRemain(double x, double r) const {
    return survival_at_payment_ > 0.0 && x - r + 0.001 <= period_certain_;
  }

  double ValueSum() const { return value_sum_; }
  double CurrentBenefit() const { return current_benefit_; }

 private:
  double current_benefit_;
  double maximum_;
  double period_certain_;
  double percent_to_survivor_;
  double survivor_share_;  // percent_to_survivor_ / 100, the first step of every payment's sum
  double cola_;
  double survival_at_payment_ = 0.0;
  double value_sum_ = 0.0;
};

}  // namespace orvane::valuation::detail
