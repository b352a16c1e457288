#include "tools/tables/decimal_rate.h"

#include <algorithm>
#include <cctype>

#include "tools/tables/data_file_content.h"
#include "tools/tables/tool_error.h"

namespace orvane::tools {
namespace {

constexpr std::int32_t kOne = 1000000;
constexpr std::size_t kOneDigits = 7;

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
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

DecimalReading ReadDecimal(std::string_view raw) {
  const std::string_view text = Trim(raw);
  if (text.empty())
    return Of(DecimalReading::Kind::kEmpty);
  std::size_t i = 0;
  const bool negative = text[0] == '-';
  if (negative)
    ++i;
  std::string digits;
  long fraction_digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      digits += text[i];
      fraction_digits += point ? 1 : 0;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits.empty())
    return Of(DecimalReading::Kind::kNotANumber);
  long exponent = 0;
  if (i < text.size()) {
    if (text[i] != 'e' && text[i] != 'E')
      return Of(DecimalReading::Kind::kNotANumber);
    ++i;
    bool negative_exponent = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
      negative_exponent = text[i++] == '-';
    if (i == text.size())
      return Of(DecimalReading::Kind::kNotANumber);
    for (; i < text.size(); ++i) {
      if (!IsDigit(text[i]))
        return Of(DecimalReading::Kind::kNotANumber);
      exponent = std::min(exponent * 10 + (text[i] - '0'), 100000L);
    }
    if (negative_exponent)
      exponent = -exponent;
  }
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  if (digits.empty())
    return Of(DecimalReading::Kind::kNumber);
  if (negative)
    return Of(DecimalReading::Kind::kNegative);
  // value = digits x 10^(exponent - fraction_digits); in millionths the power grows by 6.
  const long power = exponent - fraction_digits + 6;
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
  const std::int32_t micro = kept.empty() ? 0 : static_cast<std::int32_t>(std::stol(kept));
  reading.micro = micro;
  return reading;
}

void RefuseUnlessNumber(const DecimalReading& reading, std::string_view text,
                        const std::string& where) {
  const std::string shown = "\"" + std::string(Trim(text)) + "\"";
  switch (reading.kind) {
    case DecimalReading::Kind::kEmpty:
      throw ToolError(where + ": no rate");
    case DecimalReading::Kind::kNotANumber:
      throw ToolError(where + ": " + shown + " is not a number");
    case DecimalReading::Kind::kNegative:
      throw ToolError(where + ": rate " + shown + " is negative");
    case DecimalReading::Kind::kAboveOne:
      throw ToolError(where + ": rate " + shown + " is above 1");
    case DecimalReading::Kind::kNumber:
      break;
  }
}

std::int32_t PublishedRate(std::string_view text, const std::string& where, int& rounded) {
  const DecimalReading reading = ReadDecimal(text);
  RefuseUnlessNumber(reading, text, where);
  rounded += reading.rounded ? 1 : 0;
  return std::min(reading.micro, kLargestMicro);
}

}  // namespace orvane::tools
