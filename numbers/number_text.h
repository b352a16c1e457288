#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane::numbers {

// Reads a number the way the fields and the recalculation do (US conventions): blanks around it,
// an optional sign, digits with optional "," group separators in the whole part, an optional "."
// with decimals, an optional exponent (e or E, sign, digits). Anything else, a text without a
// digit, NaN, infinity and values beyond the range of a double give no value. Never throws.
std::optional<double> ParseNumber(std::string_view text);

// Formats v with a picture pattern made of '#', '0', ',' and one '.': "0" is a digit always
// shown, "#" a digit shown only when significant, "," asks for thousands grouping. The value is
// rounded to the pattern's decimals with halves away from zero as the decimal value reads
// (1.005 in "0.00" is 1.01); no blanks are added; a negative value that does not round to zero
// gets a leading minus. Throws NumberError for a NaN or infinity.
std::string FormatPicture(double v, std::string_view pattern);

// The results label text: v rounded to cents with halves to even, then "##,###,##0.00"
// (1234.125 -> "1,234.12", 1234567.891 -> "1,234,567.89"). Throws NumberError when v is not finite.
std::string ResultText(double v);

// The shortest decimal text that reads back as v, without exponent and without a trailing
// ".0": 65 -> "65", 45.5 -> "45.5", 47.462 -> "47.462". Negative zero is written "0".
// Throws NumberError when v is not finite.
std::string ShortestText(double v);

}  // namespace orvane::numbers
