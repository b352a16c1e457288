#include "valuation/detail/input_checks.h"

#include <cmath>
#include <string>
#include <utility>

#include "valuation/detail/error_text.h"
#include "valuation/valuation_error.h"

namespace orvane::valuation::detail {

void CheckInputs(const ValuationInputs& inputs) {
  struct Number {
    const char* name;
    Input input;
    double value;
  };
  const Number numbers[] = {
      {"CurrentAge", Input::CurrentAge, inputs.CurrentAge},
      {"SpousesCurrentAge", Input::SpousesCurrentAge, inputs.SpousesCurrentAge},
      {"PaymentAge", Input::PaymentAge, inputs.PaymentAge},
      {"InitialBenefit", Input::InitialBenefit, inputs.InitialBenefit},
      {"Maximum", Input::Maximum, inputs.Maximum},
      {"InterestRate1", Input::InterestRate1, inputs.InterestRate1},
      {"InterestRate2", Input::InterestRate2, inputs.InterestRate2},
      {"InterestRate3", Input::InterestRate3, inputs.InterestRate3},
      {"PostRetirementInterest", Input::PostRetirementInterest, inputs.PostRetirementInterest},
      {"Period1", Input::Period1, inputs.Period1},
      {"Period2", Input::Period2, inputs.Period2},
      {"PeriodCertain", Input::PeriodCertain, inputs.PeriodCertain},
      {"PercentToSurvivor", Input::PercentToSurvivor, inputs.PercentToSurvivor},
      {"COLA", Input::COLA, inputs.COLA},
      {"Load", Input::Load, inputs.Load},
  };
  for (const auto& [name, input, value] : numbers) {
    if (std::isnan(value))
      throw ValuationError(std::string(name) + " is not a number", input);
  }
  if (!std::isfinite(inputs.PaymentAge)) {
    throw ValuationError("PaymentAge of " + NumberText(inputs.PaymentAge) + " is not a finite age",
                         Input::PaymentAge);
  }
  if (inputs.Load == 100.0)
    throw ValuationError("Load of 100% divides the value by zero", Input::Load);

  // At -100% the monthly discount divides by zero; below it, it takes the twelfth root of a
  // negative number.
  const Number rates[] = {
      {"InterestRate1", Input::InterestRate1, inputs.InterestRate1},
      {"InterestRate2", Input::InterestRate2, inputs.InterestRate2},
      {"InterestRate3", Input::InterestRate3, inputs.InterestRate3},
      {"PostRetirementInterest", Input::PostRetirementInterest, inputs.PostRetirementInterest},
  };
  for (const auto& [name, input, rate] : rates) {
    if (rate <= -100.0) {
      throw ValuationError(std::string(name) + " of " + NumberText(rate) +
                               "% cannot discount: an interest rate must be above -100%",
                           input);
    }
  }
}

}  // namespace orvane::valuation::detail
