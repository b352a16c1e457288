// A two-dimensional improvement scale: rates of mortality improvement by age and calendar year,
// such as the SOA's Scale MP-2021, the one shape in which the table sources read it, the IRS
// construction applies it and the table store improves a generational table by it. A rate may
// be negative (mortality worsening); it is held exactly, in millionths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mortality/table_kind.h"

namespace orvane::mortality {

// A scale's rate is stored in the data file plus this offset, in millionths, so that three
// unsigned packed bytes hold rates from -0.5 to 0.499999.
inline constexpr int kScaleOffsetMillionths = 500000;

class ImprovementScale {
 public:
  // No improvement: a rate of 0 at every age and year.
  ImprovementScale() : millionths_{0}, rates_{0.0} {}

  // A scale over `range` with its rates year by year, each year's ages in order, in millionths.
  // Throws MortalityError naming `name` when the count of rates does not match the range.
  ImprovementScale(std::string name, ScaleRange range, std::vector<std::int32_t> millionths);

  const std::string& name() const { return name_; }
  const ScaleRange& range() const { return range_; }

  // s(x, t), with the age and year held to the scale's range: below its first age the first
  // age's rate, after its last year the last year's (the ultimate rate), and so on. The double
  // is the one nearest the decimal rate. Never throws.
  double At(int age, int year) const { return rates_[IndexOf(age, year)]; }
  std::int32_t MillionthsAt(int age, int year) const { return millionths_[IndexOf(age, year)]; }

 private:
  std::size_t IndexOf(int age, int year) const;

  std::string name_;
  ScaleRange range_;
  std::vector<std::int32_t> millionths_;
  std::vector<double> rates_;  // millionths_ / 10^6, read at every step of a cohort
};

}  // namespace orvane::mortality
