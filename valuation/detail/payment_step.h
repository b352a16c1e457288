#pragma once

#include "numbers/rounding.h"
#include "valuation/month_observer.h"
#include "valuation/valuation_inputs.h"

namespace orvane::valuation::detail {

// The benefit paid in a payment month and the probability that it is paid: a certain payment
// within the period certain, afterwards the participant's payment plus the survivor's share for
// the case that only the spouse lives. Raises the benefit by COLA at each anniversary of the
// payment age, capped at Maximum. Interest plays no part here: the month loop's replay discounts
// the payments.
class PaymentStep {
 public:
  explicit PaymentStep(const ValuationInputs& inputs);

  // The payment of the month starting at age `x` (payment age `r`, years) with the
  // start-of-month survival probabilities. Returns its weight: the probability that it is paid,
  // or for the survivor's share paid, which with CurrentBenefit and Vx makes its value. Inline,
  // like CostOfLivingCheck: it runs every payment month.
  double Pay(double x, double r, double Lx, double Ly) {
    // The probability of reaching the payment age, taken at the first payment month.
    if (survival_at_payment_ == 0.0)
      survival_at_payment_ = Lx;
    return Certain(x, r) ? survival_at_payment_ : Lx + survivor_share_ * Ly * (1.0 - Lx);
  }

  // Describes for the calculation detail what Pay, just called with the same arguments, paid,
  // discounted by `Vx`.
  MonthPayment Describe(long row, double x, double r, double Lx, double Ly, double Vx) const {
    MonthPayment paid;
    paid.row = row;
    paid.payment_month = true;
    paid.primary_benefit = current_benefit_;
    paid.survivor_benefit = current_benefit_ * percent_to_survivor_ / 100.0;
    if (!Certain(x, r)) {
      paid.primary_value = current_benefit_ * Vx * Lx;
      paid.contingent_value = current_benefit_ * Vx * percent_to_survivor_ * (Ly - Lx * Ly) / 100.0;
    } else {
      paid.within_period_certain = true;
      paid.period_certain_value = current_benefit_ * Vx * survival_at_payment_;
    }
    return paid;
  }

  // Last step of a payment month: when the month ends on an anniversary of the payment age
  // (after it), the benefit grows by COLA and is then limited to Maximum.
  void CostOfLivingCheck(bool anniversary) {
    if (anniversary) {
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

  double CurrentBenefit() const { return current_benefit_; }

 private:
  // The 0.001 makes the count of certain payments exact for periods entered to three decimals:
  // 10 years give 120 certain payments, 10.5 give 126.
  bool Certain(double x, double r) const { return !(x - r + 0.001 > period_certain_); }

  double current_benefit_;
  double maximum_;
  double period_certain_;
  double percent_to_survivor_;
  double survivor_share_;  // percent_to_survivor_ / 100, the first step of every payment's sum
  double cola_;
  double survival_at_payment_ = 0.0;
};

}  // namespace orvane::valuation::detail
