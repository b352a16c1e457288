#pragma once

#include "valuation/valuation_inputs.h"

namespace orvane::valuation::detail {

// Refuses the inputs that would make the valuation's arithmetic fail, before any work is done:
// a number input that is NaN, a payment age that is not finite, a Load of exactly 100% and an
// interest rate of -100% or below. Throws ValuationError naming the input. Ages and tables are
// checked where they are prepared and read.
void CheckInputs(const ValuationInputs& inputs);

}  // namespace orvane::valuation::detail
