#pragma once

// Rates written as decimal text, read exactly: a published table's "0.0148", "6.37E-04" or
// "1" becomes a whole number of millionths without passing through a binary double, so a
// value is never nudged across a rounding boundary on its way into the data file.

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane::tools {

// What a decimal text holds, in millionths.
struct DecimalReading {
  enum class Kind { kNumber, kEmpty, kNotANumber, kNegative, kAboveOne };
  Kind kind = Kind::kEmpty;
  // The value rounded half to even to six decimals (0 to 1,000,000); 0 unless kNumber.
  std::int32_t micro = 0;
  // A non-zero digit stood beyond the sixth decimal.
  bool rounded = false;
};

// Reads `text` (blanks around it allowed): digits with an optional point and an optional
// exponent ("E-04"), no sign but a leading "-" (read as kNegative when digits follow), no
// grouping. A value above 1 is kAboveOne; the rounding never lifts a value above 1 by itself.
// Never throws but std::bad_alloc.
DecimalReading ReadDecimal(std::string_view text);

// Throws ToolError starting with `where` unless `reading` (of `text`) is a number: for an empty
// cell, a text that is not a number, a negative value or one above 1.
void RefuseUnlessNumber(const DecimalReading& reading, std::string_view text,
                        const std::string& where);

// A published rate in millionths: rounded half to even to six decimals, a 1 (which the data
// file cannot hold) stored as 999999. Throws ToolError starting with `where` for an empty
// cell, a text that is not a number, a negative value or one above 1; counts a rounded value
// in `rounded`.
std::int32_t PublishedRate(std::string_view text, const std::string& where, int& rounded);

}  // namespace orvane::tools
