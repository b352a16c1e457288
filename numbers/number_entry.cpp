#include "numbers/number_entry.h"

#include "numbers/number_text.h"

namespace orvane::numbers {

double NumberEntry(std::string_view text, const NumberRule& rule) {
  const std::optional<double> parsed = ParseNumber(text);
  if (!parsed)
    return rule.fallback;
  double value = *parsed;
  if (rule.two_digit_years && value < 100.0)
    value += 2000.0;
  return WithinBounds(value, rule) ? value : rule.fallback;
}

bool WithinBounds(double value, const NumberRule& rule) {
  const bool above = rule.upper_included ? value > rule.upper : value >= rule.upper;
  return value >= rule.lower && !above;
}

}  // namespace orvane::numbers
