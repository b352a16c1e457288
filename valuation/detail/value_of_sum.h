#pragma once

#include "valuation/valuation_inputs.h"

namespace orvane::valuation::detail {

// The present value from the month loop's sum: grossed up for the load. Throws ValuationError
// when the result is not a finite number.
double ValueOfSum(double value_sum, const ValuationInputs& inputs);

}  // namespace orvane::valuation::detail
