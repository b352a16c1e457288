#include "numbers/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "numbers/number_error.h"
#include "numbers/rounding.h"

namespace orvane::numbers {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

void RequireFinite(double v, std::string_view what) {
  if (!std::isfinite(v)) {
    throw NumberError("cannot show " + std::string(what) + ": the value is not a finite number");
  }
}

// A finite non-negative value as its shortest round-trip decimal digits: value = 0.digits x
// 10^point. Zero has no digits.
struct DecimalDigits {
  std::string digits;
  int point = 0;
};

DecimalDigits ShortestDigits(double magnitude) {
  DecimalDigits result;
  if (magnitude == 0.0)
    return result;
  std::array<char, 64> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                       std::chars_format::scientific);
  const std::string_view text(buffer.data(), static_cast<size_t>(end - buffer.data()));
  const size_t e = text.find('e');
  for (size_t i = 0; i < e; ++i) {
    if (IsDigit(text[i]))
      result.digits.push_back(text[i]);
  }
  int exponent = 0;
  std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                  exponent);
  result.point = exponent + 1;
  return result;
}

// Rounds the decimal digits to `decimals` places after the point, halves away from zero.
void RoundDigits(DecimalDigits& d, int decimals) {
  const int keep = d.point + decimals;
  if (keep < 0) {
    d.digits.clear();
    return;
  }
  if (static_cast<int>(d.digits.size()) <= keep)
    return;
  const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
  d.digits.resize(static_cast<size_t>(keep));
  if (!up)
    return;
  int i = keep - 1;
  while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') {
    d.digits[static_cast<size_t>(i)] = '0';
    --i;
  }
  if (i >= 0) {
    ++d.digits[static_cast<size_t>(i)];
  } else {
    d.digits.insert(d.digits.begin(), '1');
    ++d.point;
  }
}

struct Picture {
  int min_whole_digits = 0;
  int required_decimals = 0;
  int optional_decimals = 0;
  bool grouping = false;
};

Picture ReadPicture(std::string_view pattern) {
  Picture picture;
  bool after_point = false;
  for (char c : pattern) {
    if (c == '.') {
      after_point = true;
    } else if (c == ',') {
      if (!after_point)
        picture.grouping = true;
    } else if (c == '0') {
      if (after_point) {
        ++picture.required_decimals;
      } else {
        ++picture.min_whole_digits;
      }
    } else if (c == '#') {
      if (after_point)
        ++picture.optional_decimals;
    }
  }
  return picture;
}

std::string GroupThousands(const std::string& whole) {
  std::string grouped;
  const size_t n = whole.size();
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0)
      grouped.push_back(',');
    grouped.push_back(whole[i]);
  }
  return grouped;
}

// Whether a cleaned number text (optional '-', digits with at most one '.', optional exponent) that
// a double cannot hold lies below the smallest double rather than above the largest: its decimal
// order of magnitude, the place of the first non-zero digit plus the exponent, is negative. A
// mantissa of zeros counts as tiny. The exponent is read with saturation, since it may have any
// number of digits.
bool IsUnderflow(std::string_view cleaned) {
  const size_t e = cleaned.find('e');
  const std::string_view mantissa = cleaned.substr(0, e);
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  const size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos)
    return true;
  long long order = first < point ? static_cast<long long>(point - first) - 1
                                  : static_cast<long long>(point) - static_cast<long long>(first);
  if (e != std::string_view::npos) {
    constexpr long long kSaturated = 1'000'000'000;  // far beyond any double and any text length
    size_t i = e + 1;
    const bool negative = i < cleaned.size() && cleaned[i] == '-';
    if (i < cleaned.size() && (cleaned[i] == '-' || cleaned[i] == '+'))
      ++i;
    long long exponent = 0;
    for (; i < cleaned.size(); ++i) {
      exponent = std::min(kSaturated, exponent * 10 + (cleaned[i] - '0'));
    }
    order += negative ? -exponent : exponent;
  }
  return order < 0;
}

}  // namespace

namespace {

// The number's text without blanks around it and without grouping commas, as from_chars reads
// it: an optional "-", digits (commas between them dropped), an optional point and digits, an
// optional exponent. Nothing when the text is not written so.
std::optional<std::string> CleanedNumber(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  size_t end = n;
  while (end > i && IsBlank(text[end - 1])) --end;

  std::string cleaned;
  if (i < end && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-')
      cleaned.push_back('-');
    ++i;
  }
  bool any_digit = false;
  while (i < end && (IsDigit(text[i]) || (text[i] == ',' && any_digit))) {
    if (text[i] != ',') {
      cleaned.push_back(text[i]);
      any_digit = true;
    }
    ++i;
  }
  if (i < end && text[i] == '.') {
    cleaned.push_back('.');
    ++i;
    while (i < end && IsDigit(text[i])) {
      cleaned.push_back(text[i]);
      any_digit = true;
      ++i;
    }
  }
  if (!any_digit)
    return std::nullopt;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    cleaned.push_back('e');
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-'))
      cleaned.push_back(text[i++]);
    bool exponent_digit = false;
    while (i < end && IsDigit(text[i])) {
      cleaned.push_back(text[i]);
      exponent_digit = true;
      ++i;
    }
    if (!exponent_digit)
      return std::nullopt;
  }
  if (i != end)
    return std::nullopt;
  return cleaned;
}

// The finite double of a cleaned number; nothing when it is too large to hold.
std::optional<double> ValueOf(const std::string& cleaned) {
  double value = 0.0;
  const char* first = cleaned.data();
  const char* last = cleaned.data() + cleaned.size();
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (ptr != last)
    return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    // Too small to hold is zero; too large to hold is not a number we can use. The size decides,
    // not the spelling: 0.000...01 is tiny without an exponent, 1000...0e-5 huge with a negative
    // one.
    if (!IsUnderflow(cleaned))
      return std::nullopt;
    value = 0.0;
  } else if (ec != std::errc()) {
    return std::nullopt;
  }
  if (!std::isfinite(value))
    return std::nullopt;
  if (value == 0.0)
    value = 0.0;  // no negative zero reaches a field
  return value;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
  const std::optional<std::string> cleaned = CleanedNumber(text);
  if (!cleaned)
    return std::nullopt;
  return ValueOf(*cleaned);
}

std::string FormatPicture(double v, std::string_view pattern) {
  if (!std::isfinite(v))  // the message is put together only when it is needed
    RequireFinite(v, "a number in the format \"" + std::string(pattern) + "\"");
  const Picture picture = ReadPicture(pattern);
  const int decimals = picture.required_decimals + picture.optional_decimals;

  DecimalDigits d = ShortestDigits(std::fabs(v));
  RoundDigits(d, decimals);

  std::string whole;
  std::string fraction;
  for (int pos = 0; pos < std::max(d.point, 0); ++pos) {
    whole.push_back(pos < static_cast<int>(d.digits.size()) ? d.digits[static_cast<size_t>(pos)]
                                                            : '0');
  }
  for (int k = 0; k < decimals; ++k) {
    const int pos = d.point + k;
    const bool inside = pos >= 0 && pos < static_cast<int>(d.digits.size());
    fraction.push_back(inside ? d.digits[static_cast<size_t>(pos)] : '0');
  }
  while (static_cast<int>(fraction.size()) > picture.required_decimals && !fraction.empty() &&
         fraction.back() == '0') {
    fraction.pop_back();
  }
  size_t leading = 0;
  while (leading < whole.size() && whole[leading] == '0') ++leading;
  whole.erase(0, leading);
  while (static_cast<int>(whole.size()) < picture.min_whole_digits) whole.insert(0, "0");
  if (picture.grouping)
    whole = GroupThousands(whole);

  const bool nonzero = d.digits.find_first_not_of('0') != std::string::npos;
  std::string text = (v < 0 && nonzero) ? "-" : "";
  text += whole;
  if (!fraction.empty())
    text += "." + fraction;
  return text;
}

std::string ResultText(double v) {
  RequireFinite(v, "the present value");
  return FormatPicture(RoundHalfEven(v, 2), "##,###,##0.00");
}

std::string ShortestText(double v) {
  RequireFinite(v, "an age");
  if (v == 0.0)
    v = 0.0;
  std::array<char, 400> buffer{};
  const auto [end, ec] =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), v, std::chars_format::fixed);
  return std::string(buffer.data(), static_cast<size_t>(end - buffer.data()));
}

}  // namespace orvane::numbers
