// The fourteen plain-number fields of the form: their accepted range, the fallback that replaces
// a blank, unreadable or out-of-range entry, and the display format the field is rewritten in
// when the focus leaves it.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "form/controls.h"
#include "numbers/number_entry.h"

namespace orvane::form {

struct NumericField {
  Control control;
  numbers::NumberRule rule;
  std::string_view display_format;  // a picture for numbers::FormatPicture
};

inline constexpr int kNumericFieldCount = 14;

// The fourteen fields, in the order of the form's benefit, interest and yield curve frames.
const std::array<NumericField, kNumericFieldCount>& NumericFields();

// The rule of a numeric field, or nullptr for any other control.
const NumericField* NumericFieldOf(Control control);

// The text a numeric field holds after its Validate: NumberEntry of `text` under the field's
// rule, written in the field's display format (Benefit "99999.996" -> "100,000.00", "abc" ->
// "1,000.00"). Never throws: NumberEntry always yields a finite value.
std::string NormalisedNumberText(const NumericField& field, std::string_view text);

}  // namespace orvane::form
