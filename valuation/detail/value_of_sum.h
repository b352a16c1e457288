#pragma once

#include "valuation/valuation_inputs.h"

namespace orvane::valuation::detail {

// A sum of the month loop grossed up for the load, as the value and every moved value of the
// sensitivities are.
inline double GrossedUpForLoad(double value_sum, const ValuationInputs& inputs) {
  return value_sum / (1.0 - inputs.Load / 100.0);
}

// The present value from the month loop's sum: grossed up for the load. Throws ValuationError
// when the result is not a finite number.
double ValueOfSum(double value_sum, const ValuationInputs& inputs);

}  // namespace orvane::valuation::detail
