#include "sources/decimal_rate.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

#include "sources/named_table.h"
#include "sources/source_error.h"
#include "text/text.h"

namespace orvane::sources {
namespace {

constexpr std::int32_t kOne = 1000000;
constexpr std::size_t kOneDigits = 7;

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

DecimalReading Of(DecimalReading::Kind kind) {
  DecimalReading reading;
  reading.kind = kind;
  return reading;
}

// Rounds the digit string `kept` + `dropped` (a value in millionths with `dropped` after the
// unit's point) half to even; `kept` grows by a carry.
bool RoundHalfEven(std::string& kept, std::string_view dropped) {
  if (dropped.empty() || dropped.find_first_not_of('0') == std::string_view::npos)
    return false;
  const bool above_half =
      dropped[0] > '5' ||
      (dropped[0] == '5' && dropped.find_first_not_of('0', 1) != std::string_view::npos);
  const bool half = dropped[0] == '5' && !above_half;
  const bool odd = !kept.empty() && (kept.back() - '0') % 2 == 1;
  if (above_half || (half && odd)) {
    std::size_t i = kept.size();
    while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
    if (i == 0)
      kept.insert(kept.begin(), '1');
    else
      ++kept[i - 1];
  }
  return true;
}

}  // namespace

namespace {

// A decimal as written: its significant digits (leading zeros dropped), how many of them stood
// after the point, the exponent and the sign.
struct DecimalText {
  std::string digits;
  long fraction_digits = 0;
  long exponent = 0;
  bool negative = false;
};

// The decimal written in `value` (trimmed), or nothing when it is not one.
std::optional<DecimalText> ScanDecimal(std::string_view value) {
  DecimalText decimal;
  std::size_t i = 0;
  decimal.negative = value[0] == '-';
  if (decimal.negative)
    ++i;
  bool point = false;
  for (; i < value.size(); ++i) {
    if (IsDigit(value[i])) {
      decimal.digits += value[i];
      decimal.fraction_digits += point ? 1 : 0;
    } else if (value[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (decimal.digits.empty())
    return std::nullopt;
  if (i < value.size()) {
    if (value[i] != 'e' && value[i] != 'E')
      return std::nullopt;
    ++i;
    bool negative_exponent = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-'))
      negative_exponent = value[i++] == '-';
    if (i == value.size())
      return std::nullopt;
    for (; i < value.size(); ++i) {
      if (!IsDigit(value[i]))
        return std::nullopt;
      decimal.exponent = std::min(decimal.exponent * 10 + (value[i] - '0'), 100000L);
    }
    if (negative_exponent)
      decimal.exponent = -decimal.exponent;
  }
  decimal.digits.erase(0, std::min(decimal.digits.find_first_not_of('0'), decimal.digits.size()));
  return decimal;
}

// A positive decimal in whole millionths, rounded half to even, or kAboveOne.
DecimalReading InMillionths(const DecimalText& decimal) {
  const std::string& digits = decimal.digits;
  // value = digits x 10^(exponent - fraction_digits); in millionths the power grows by 6.
  const long power = decimal.exponent - decimal.fraction_digits + 6;
  if (power >= 0 && digits.size() + static_cast<std::size_t>(power) > kOneDigits)
    return Of(DecimalReading::Kind::kAboveOne);
  // Split the value into whole millionths and the digits beyond the sixth decimal.
  std::string kept = digits;
  std::string rest;
  if (power < 0) {
    const std::size_t dropped = static_cast<std::size_t>(-power);
    const std::size_t keep = dropped >= digits.size() ? 0 : digits.size() - dropped;
    kept = digits.substr(0, keep);
    rest.assign(dropped > digits.size() ? dropped - digits.size() : 0, '0');
    rest += digits.substr(keep);
  } else {
    kept.append(static_cast<std::size_t>(power), '0');
  }
  if (kept.size() > kOneDigits)
    return Of(DecimalReading::Kind::kAboveOne);
  const bool beyond = rest.find_first_not_of('0') != std::string::npos;
  const std::int32_t whole = kept.empty() ? 0 : static_cast<std::int32_t>(std::stol(kept));
  if (whole > kOne || (whole == kOne && beyond))
    return Of(DecimalReading::Kind::kAboveOne);
  DecimalReading reading = Of(DecimalReading::Kind::kNumber);
  reading.rounded = RoundHalfEven(kept, rest);
  reading.micro = kept.empty() ? 0 : static_cast<std::int32_t>(std::stol(kept));
  return reading;
}

}  // namespace

DecimalReading ReadDecimal(std::string_view raw) {
  const std::string_view value = text::Trim(raw);
  if (value.empty())
    return Of(DecimalReading::Kind::kEmpty);
  const std::optional<DecimalText> decimal = ScanDecimal(value);
  if (!decimal)
    return Of(DecimalReading::Kind::kNotANumber);
  if (decimal->digits.empty())
    return Of(DecimalReading::Kind::kNumber);
  if (decimal->negative)
    return Of(DecimalReading::Kind::kNegative);
  return InMillionths(*decimal);
}

namespace {

// A table file's cell (trimmed), with messages that speak of the cell's value and of the range
// the data file holds.
std::int32_t TableCellRate(std::string_view value, const std::string& where) {
  const DecimalReading reading = ReadDecimal(value);
  switch (reading.kind) {
    case DecimalReading::Kind::kEmpty:
      throw SourceError(where + ": no value");
    case DecimalReading::Kind::kNotANumber:
      throw SourceError(where + ": " + text::Quoted(value) + " is not a number from 0 to 0.999999");
    case DecimalReading::Kind::kNumber:
      if (reading.rounded)
        throw SourceError(where + ": value " + std::string(value) + " has more than 6 decimals");
      if (reading.micro <= kLargestMicro)
        return reading.micro;
      break;
    case DecimalReading::Kind::kNegative:
    case DecimalReading::Kind::kAboveOne:
      break;
  }
  throw SourceError(where + ": value " + std::string(value) +
                    " is outside 0 to 0.999999 (the file cannot hold 1: write 0.999999)");
}

}  // namespace

std::int32_t ReadRate(std::string_view cell, const std::string& where, RatePolicy policy,
                      int* rounded) {
  const std::string_view value = text::Trim(cell);
  if (policy == RatePolicy::kTableCell)
    return TableCellRate(value, where);
  // An improvement rate's sign is read here; the decimal after it as any other rate.
  const bool negative = policy == RatePolicy::kImprovement && !value.empty() && value[0] == '-';
  const DecimalReading reading = ReadDecimal(negative ? value.substr(1) : value);
  const std::string shown = text::Quoted(value);
  switch (reading.kind) {
    case DecimalReading::Kind::kEmpty:
      throw SourceError(where + ": no rate");
    case DecimalReading::Kind::kNotANumber:
      throw SourceError(where + ": " + shown + " is not a number");
    case DecimalReading::Kind::kNegative:
      throw SourceError(where + ": rate " + shown + " is negative");
    case DecimalReading::Kind::kAboveOne:
      throw SourceError(where + ": rate " + shown + " is above 1");
    case DecimalReading::Kind::kNumber:
      break;
  }
  if (reading.rounded && policy != RatePolicy::kPublishedRounded)
    throw SourceError(where + ": rate " + shown + " has more than 6 decimals");
  switch (policy) {
    case RatePolicy::kPublishedRounded:
      *rounded += reading.rounded ? 1 : 0;
      [[fallthrough]];
    case RatePolicy::kPublished:
      return std::min(reading.micro, kLargestMicro);
    case RatePolicy::kImprovement:
      if (reading.micro >= kOne)
        throw SourceError(where + ": improvement rate " + shown + " is not below 1 in size");
      return negative ? -reading.micro : reading.micro;
    case RatePolicy::kExact:
    case RatePolicy::kTableCell:
      break;
  }
  return reading.micro;
}

}  // namespace orvane::sources
