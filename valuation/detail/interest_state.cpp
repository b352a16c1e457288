#include "valuation/detail/interest_state.h"

#include <cmath>

#include "numbers/rounding.h"

namespace orvane::valuation::detail {

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

int RateSlot(long years_elapsed, double period1, double period2) {
  const double n = static_cast<double>(years_elapsed);
  if (numbers::RoundHalfEven(n) < period1)
    return 0;
  if (n < period1 + period2)
    return 1;
  return 2;
}

}  // namespace orvane::valuation::detail
