#pragma once

#include <string_view>

namespace orvane::numbers {

// The accepted range and fallback of one numeric field.
struct NumberRule {
  double lower = 0.0;  // always included
  double upper = 0.0;  // excluded unless upper_included
  bool upper_included = false;
  double fallback = 0.0;         // replaces a blank, unreadable or out-of-range entry
  bool two_digit_years = false;  // a value below 100 first has 2000 added
};

// The rule of the four interest rate fields, in percent: from 0 to below 100, a cleared rate
// meaning "the usual 5%". The segment rates file is held to the same bounds.
inline constexpr NumberRule kInterestRateRule{0, 100, false, 5, false};

// Whether `value` lies within the rule's bounds (before any two-digit-year shift). Never throws.
bool WithinBounds(double value, const NumberRule& rule);

// Turns a field's text into a number inside the rule's bounds; never refuses an entry. The empty
// text and any text ParseNumber does not read give the fallback; the bounds are checked on the
// parsed value (after the two-digit-year shift, before any display rounding).
double NumberEntry(std::string_view text, const NumberRule& rule);

}  // namespace orvane::numbers
