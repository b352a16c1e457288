#include "valuation/valuation_engine.h"

#include <cmath>

#include "valuation/detail/error_text.h"
#include "valuation/detail/input_checks.h"
#include "valuation/detail/month_loop.h"
#include "valuation/detail/prepared_ages.h"
#include "valuation/detail/value_of_sum.h"

namespace orvane::valuation {

namespace detail {

double ValueOfSum(double value_sum, const ValuationInputs& inputs) {
  const double value = GrossedUpForLoad(value_sum, inputs);
  if (!std::isfinite(value)) {
    throw ValuationError("The present value is not a finite number (" + NumberText(value) +
                         "); check InitialBenefit, Maximum, COLA, the interest rates and Load");
  }
  return value;
}

}  // namespace detail

double Orvane(const ValuationInputs& inputs, const ValuationContext& context) {
  detail::CheckInputs(inputs);
  const detail::PreparedAges ages = detail::PrepareAges(inputs);
  return detail::ValueOfSum(detail::RunMonths(inputs, ages, context), inputs);
}

}  // namespace orvane::valuation
