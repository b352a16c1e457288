#include "mortality/table_kind.h"

#include <charconv>

#include "mortality/mortality_error.h"
#include "mortality/q_table.h"
#include "mortality/table_name.h"

namespace orvane::mortality {
namespace {

constexpr std::string_view kGenerationalMark = "GENERATIONAL:";
constexpr std::string_view kScaleMark = "SCALE:";

// Reads "A-B" from the front of `text` into a and b; false when it is not there.
bool ReadPair(std::string_view& text, int& a, int& b) {
  const char* end = text.data() + text.size();
  auto [p, e1] = std::from_chars(text.data(), end, a);
  if (e1 != std::errc() || p == end || *p != '-')
    return false;
  auto [q, e2] = std::from_chars(p + 1, end, b);
  if (e2 != std::errc())
    return false;
  text.remove_prefix(static_cast<std::size_t>(q - text.data()));
  return a <= b;
}

// What follows the name in field 1 when it begins with `mark`, or nothing.
std::optional<std::string_view> AfterMark(std::string_view field1, std::string_view mark) {
  if (field1.size() <= kNameLength)
    return std::nullopt;
  field1.remove_prefix(kNameLength);
  if (field1.substr(0, mark.size()) != mark)
    return std::nullopt;
  return field1.substr(mark.size());
}

}  // namespace

std::string GenerationalKind(std::string_view scale_name) {
  return std::string(kGenerationalMark) + PaddedName(scale_name);
}

std::string ScaleKind(const ScaleRange& range) {
  return std::string(kScaleMark) + ScaleRangeText(range);
}

std::string ScaleRangeText(const ScaleRange& range) {
  return std::to_string(range.first_age) + "-" + std::to_string(range.last_age) + "," +
         std::to_string(range.first_year) + "-" + std::to_string(range.last_year);
}

std::optional<std::string> GenerationalScaleOf(std::string_view field1) {
  const std::optional<std::string_view> scale = AfterMark(field1, kGenerationalMark);
  if (!scale)
    return std::nullopt;
  return PaddedName(*scale);
}

std::optional<ScaleRange> ScaleRangeOf(std::string_view field1, const std::string& table) {
  std::optional<std::string_view> rest = AfterMark(field1, kScaleMark);
  if (!rest)
    return std::nullopt;
  const std::string declared(*rest);
  ScaleRange range;
  const bool ages = ReadPair(*rest, range.first_age, range.last_age);
  const bool comma = ages && !rest->empty() && rest->front() == ',';
  if (comma)
    rest->remove_prefix(1);
  if (!comma || !ReadPair(*rest, range.first_year, range.last_year) || !rest->empty() ||
      range.first_age < 0 || range.last_age > QTable::kLastAge) {
    throw MortalityError("Improvement scale \"" + table + "\" declares the range \"" + declared +
                         "\", not ages and years as A-A,Y-Y");
  }
  return range;
}

}  // namespace orvane::mortality
