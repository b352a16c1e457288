#include "form/numeric_fields.h"

#include "numbers/number_text.h"

namespace orvane::form {
namespace {

using numbers::NumberRule;

// {lower, upper, upper included, fallback, two-digit years}. The fallbacks of the interest rates
// are 5, not their start-up texts: a cleared rate means "the usual 5%".
constexpr std::array<NumericField, kNumericFieldCount> kFields = {{
    {Control::Benefit, NumberRule{0, 100000, false, 1000, false}, "###,##0.00"},
    // Three decimals although the start-up text " 20,000.00" shows two; kept as users know it.
    {Control::Maximum, NumberRule{0, 100000, false, 20000, false}, "###,##0.000"},
    {Control::PeriodCertain, NumberRule{0, 100, false, 0, false}, "#0.000"},
    {Control::PercentToSurvivor, NumberRule{0, 100, true, 0, false}, "#00.000"},
    {Control::COLA, NumberRule{0, 100, false, 0, false}, "#0.000"},
    {Control::InterestRate1, numbers::kInterestRateRule, "#0.000"},
    {Control::InterestRate2, numbers::kInterestRateRule, "#0.000"},
    {Control::InterestRate3, numbers::kInterestRateRule, "#0.000"},
    {Control::PostRetirementInterest, numbers::kInterestRateRule, "#0.000"},
    // Periods show, and so are used as, whole years.
    {Control::Period1, NumberRule{0, 100, false, 5, false}, "#0"},
    {Control::Period2, NumberRule{0, 100, false, 15, false}, "#0"},
    {Control::Load, NumberRule{0, 100, false, 0, false}, "#0.000"},
    {Control::YearOfYieldCurve, NumberRule{2007, 2020, false, 2008, true}, "#000"},
    {Control::MonthOfYieldCurve, NumberRule{1, 12, true, 1, false}, "#0"},
}};

}  // namespace

const std::array<NumericField, kNumericFieldCount>& NumericFields() {
  return kFields;
}

const NumericField* NumericFieldOf(Control control) {
  for (const NumericField& field : kFields) {
    if (field.control == control)
      return &field;
  }
  return nullptr;
}

std::string NormalisedNumberText(const NumericField& field, std::string_view text) {
  return numbers::FormatPicture(numbers::NumberEntry(text, field.rule), field.display_format);
}

}  // namespace orvane::form
