#include "tables/generational_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "numbers/rounding.h"
#include "tables/data_file_format.h"
#include "tables/table_error.h"

namespace orvane::tables {
namespace {

constexpr int kLastAge = valuation::QTable::kLastAge;
constexpr int kEarliestBirth = 1;
constexpr int kLatestBirth = 9999;

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

}  // namespace

ImprovementScale::ImprovementScale(std::string name, ScaleRange range, std::vector<double> rates)
    : name_(std::move(name)), range_(range), rates_(std::move(rates)) {
  const auto ages = static_cast<std::size_t>(range_.last_age - range_.first_age + 1);
  const auto years = static_cast<std::size_t>(range_.last_year - range_.first_year + 1);
  if (rates_.size() != ages * years) {
    throw TableError("Improvement scale \"" + name_ + "\" holds " + std::to_string(rates_.size()) +
                     " rates where its range needs " + std::to_string(ages * years));
  }
}

double ImprovementScale::At(int age, int year) const {
  const int a = std::clamp(age, range_.first_age, range_.last_age);
  const int t = std::clamp(year, range_.first_year, range_.last_year);
  const auto ages = static_cast<std::size_t>(range_.last_age - range_.first_age + 1);
  return rates_[static_cast<std::size_t>(t - range_.first_year) * ages +
                static_cast<std::size_t>(a - range_.first_age)];
}

std::optional<std::string> GenerationalScaleOf(std::string_view field1) {
  if (field1.size() <= format::kNameLength)
    return std::nullopt;
  field1.remove_prefix(format::kNameLength);
  if (field1.substr(0, kGenerationalMark.size()) != kGenerationalMark)
    return std::nullopt;
  field1.remove_prefix(kGenerationalMark.size());
  std::string name(field1.substr(0, format::kNameLength));
  name.resize(format::kNameLength, ' ');
  return name;
}

std::optional<ScaleRange> ScaleRangeOf(std::string_view field1, const std::string& table) {
  if (field1.size() <= format::kNameLength)
    return std::nullopt;
  field1.remove_prefix(format::kNameLength);
  if (field1.substr(0, kScaleMark.size()) != kScaleMark)
    return std::nullopt;
  std::string_view rest = field1.substr(kScaleMark.size());
  const std::string declared(rest);
  ScaleRange range;
  const bool ages = ReadPair(rest, range.first_age, range.last_age);
  const bool comma = ages && !rest.empty() && rest.front() == ',';
  if (comma)
    rest.remove_prefix(1);
  if (!comma || !ReadPair(rest, range.first_year, range.last_year) || !rest.empty() ||
      range.first_age < 0 || range.last_age > kLastAge) {
    throw TableError("Improvement scale \"" + table + "\" declares the range \"" + declared +
                     "\", not ages and years as A-A,Y-Y");
  }
  return range;
}

valuation::QTable CohortRates(const valuation::QTable& base, const ImprovementScale& scale,
                              int year_of_birth, const std::string& table) {
  if (year_of_birth < kEarliestBirth || year_of_birth > kLatestBirth) {
    throw TableError("Generational table \"" + table + "\" cannot be built for the year of birth " +
                     std::to_string(year_of_birth) + ": years 1 to 9999 only");
  }
  valuation::QTable q;
  for (int x = 1; x <= kLastAge; ++x) {
    const int year = year_of_birth + x;
    double product = 1.0;
    for (int t = kGenerationalBaseYear + 1; t <= year; ++t) product *= 1.0 - scale.At(x, t);
    for (int t = year + 1; t <= kGenerationalBaseYear; ++t) product *= 1.0 - scale.At(x, t);
    const double factor = year < kGenerationalBaseYear ? 1.0 / product : product;
    const double rate = base.at(x) * factor;
    if (!(factor > 0.0) || !std::isfinite(factor) || !std::isfinite(rate)) {
      throw TableError("Generational table \"" + table + "\" with scale \"" + scale.name() +
                       "\" gives no rate at age " + std::to_string(x) + " for the year of birth " +
                       std::to_string(year_of_birth) +
                       ": the improvement factor is not a positive finite number");
    }
    q.set(x, std::min(1.0, numbers::RoundHalfEven(rate, 6)));
  }
  return q;
}

}  // namespace orvane::tables
