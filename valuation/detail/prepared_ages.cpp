#include "valuation/detail/prepared_ages.h"

#include <string>

#include "mortality/q_table.h"
#include "numbers/rounding.h"
#include "valuation/detail/error_text.h"
#include "valuation/valuation_error.h"

namespace orvane::valuation::detail {
namespace {

double CompletedMonths(double age) {
  return numbers::Int((age + 0.0001) * 12.0) / 12.0;
}

void RequireTableAge(const char* name, Input input, double entered, double prepared) {
  // Written so that NaN and infinities fail too.
  if (!(prepared >= 0.0 && prepared <= QTable::kLastAge)) {
    throw ValuationError(std::string(name) + " of " + NumberText(entered) +
                             " gives a starting age of " + NumberText(prepared) +
                             ", outside the mortality tables (ages 0 to 120)",
                         input);
  }
}

}  // namespace

PreparedAges PrepareAges(const ValuationInputs& inputs) {
  PreparedAges ages;
  if (inputs.UseRoundedAge) {
    // The differences use the unrounded payment age, so both lives keep their distance to it.
    ages.r = numbers::RoundHalfEven(inputs.PaymentAge);
    ages.x = ages.r - numbers::RoundHalfEven(inputs.PaymentAge - inputs.CurrentAge);
    ages.y = ages.r - numbers::RoundHalfEven(inputs.PaymentAge - inputs.SpousesCurrentAge);
  } else {
    ages.x = CompletedMonths(inputs.CurrentAge);
    ages.y = CompletedMonths(inputs.SpousesCurrentAge);
    ages.r = CompletedMonths(inputs.PaymentAge);
  }
  RequireTableAge("CurrentAge", Input::CurrentAge, inputs.CurrentAge, ages.x);
  RequireTableAge("SpousesCurrentAge", Input::SpousesCurrentAge, inputs.SpousesCurrentAge, ages.y);
  return ages;
}

}  // namespace orvane::valuation::detail
