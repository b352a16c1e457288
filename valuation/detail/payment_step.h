#pragma once

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
  // start-of-month survival probabilities and discount factor, and returns what it paid.
  MonthPayment Pay(long row, double x, double r, double Lx, double Ly, double Vx);

  // Last step of a payment month (x still the age at its start): at an anniversary of the
  // payment age the benefit grows by COLA and is then limited to Maximum.
  void CostOfLivingCheck(double x, double r);

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
  double cola_;
  double survival_at_payment_ = 0.0;
  double value_sum_ = 0.0;
};

}  // namespace orvane::valuation::detail
