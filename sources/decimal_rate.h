#pragma once

// Rates written as decimal text, read exactly: a published table's "0.0148", "6.37E-04" or
// "1" becomes a whole number of millionths without passing through a binary double, so a
// value is never nudged across a rounding boundary on its way into the data file.

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane::sources {

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

// What a source allows in a rate cell. Every policy reads the decimal exactly; they differ in
// the range, in what happens to a seventh decimal and in what a 1 becomes.
enum class RatePolicy {
  // A cell of a table file, written for the data file as it stands: 0 to 0.999999 with at
  // most six decimals. Its messages speak of the cell's value and the range the file holds.
  kTableCell,
  // A rate of a published table: 0 to 1 with at most six decimals, a 1 (which the data file
  // cannot hold) stored as 999999.
  kPublished,
  // As kPublished, but a longer rate is rounded half to even to six decimals and counted.
  kPublishedRounded,
  // An input of a construction: 0 to 1 with at most six decimals, a 1 kept as 1,000,000.
  kExact,
  // An improvement rate: either sign, below 1 in size, at most six decimals.
  kImprovement,
};

// The rate of `cell` (blanks around it allowed) in millionths under `policy`. Throws
// SourceError starting with `where` for an empty cell, a text that is not a number, a value
// outside the policy's range and a seventh decimal the policy refuses. Under kPublishedRounded
// each rounded rate adds 1 to `*rounded` (which must then be given).
std::int32_t ReadRate(std::string_view cell, const std::string& where, RatePolicy policy,
                      int* rounded = nullptr);

}  // namespace orvane::sources
