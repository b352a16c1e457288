#include "valuation/detail/input_checks.h"

#include <cmath>
#include <string>
#include <utility>

#include "valuation/detail/error_text.h"
#include "valuation/valuation_error.h"

namespace orvane::valuation::detail {

void CheckInputs(const ValuationInputs& inputs) {
  const std::pair<const char*, double> numbers[] = {
      {"CurrentAge", inputs.CurrentAge},
      {"SpousesCurrentAge", inputs.SpousesCurrentAge},
      {"PaymentAge", inputs.PaymentAge},
      {"InitialBenefit", inputs.InitialBenefit},
      {"Maximum", inputs.Maximum},
      {"InterestRate1", inputs.InterestRate1},
      {"InterestRate2", inputs.InterestRate2},
      {"InterestRate3", inputs.InterestRate3},
      {"PostRetirementInterest", inputs.PostRetirementInterest},
      {"Period1", inputs.Period1},
      {"Period2", inputs.Period2},
      {"PeriodCertain", inputs.PeriodCertain},
      {"PercentToSurvivor", inputs.PercentToSurvivor},
      {"COLA", inputs.COLA},
      {"Load", inputs.Load},
  };
  for (const auto& [name, value] : numbers) {
    if (std::isnan(value))
      throw ValuationError(std::string(name) + " is not a number");
  }
  if (!std::isfinite(inputs.PaymentAge)) {
    throw ValuationError("PaymentAge of " + NumberText(inputs.PaymentAge) + " is not a finite age");
  }
  if (inputs.Load == 100.0)
    throw ValuationError("Load of 100% divides the value by zero");

  // At -100% the monthly discount divides by zero; below it, it takes the twelfth root of a
  // negative number.
  const std::pair<const char*, double> rates[] = {
      {"InterestRate1", inputs.InterestRate1},
      {"InterestRate2", inputs.InterestRate2},
      {"InterestRate3", inputs.InterestRate3},
      {"PostRetirementInterest", inputs.PostRetirementInterest},
  };
  for (const auto& [name, rate] : rates) {
    if (rate <= -100.0) {
      throw ValuationError(std::string(name) + " of " + NumberText(rate) +
                           "% cannot discount: an interest rate must be above -100%");
    }
  }
}

}  // namespace orvane::valuation::detail
