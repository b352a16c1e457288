// A two-dimensional improvement scale: rates of mortality improvement by age and calendar year,
// such as the SOA's Scale MP-2021. A rate may be negative (mortality worsening).
#pragma once

#include <string>
#include <vector>

#include "mortality/table_kind.h"

namespace orvane::mortality {

// A scale's rate is stored in the data file plus this offset, in millionths, so that three
// unsigned packed bytes hold rates from -0.5 to 0.499999.
inline constexpr int kScaleOffsetMillionths = 500000;

class ImprovementScale {
 public:
  // A scale over `range` with its rates year by year, each year's ages in order. Throws
  // MortalityError naming `name` when the count of rates does not match the range.
  ImprovementScale(std::string name, ScaleRange range, std::vector<double> rates);

  const std::string& name() const { return name_; }
  const ScaleRange& range() const { return range_; }

  // s(x, t), with the age and year held to the scale's range: below its first age the first
  // age's rate, after its last year the last year's (the ultimate rate). Never throws.
  double At(int age, int year) const;

 private:
  std::string name_;
  ScaleRange range_;
  std::vector<double> rates_;
};

}  // namespace orvane::mortality
