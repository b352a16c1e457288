#include "mortality/improvement_scale.h"

#include <algorithm>

#include "mortality/mortality_error.h"

namespace orvane::mortality {

ImprovementScale::ImprovementScale(std::string name, ScaleRange range,
                                   std::vector<std::int32_t> millionths)
    : name_(std::move(name)), range_(range), millionths_(std::move(millionths)) {
  const auto ages = static_cast<std::size_t>(range_.last_age - range_.first_age + 1);
  const auto years = static_cast<std::size_t>(range_.last_year - range_.first_year + 1);
  if (range_.first_age > range_.last_age || range_.first_year > range_.last_year ||
      millionths_.size() != ages * years) {
    throw MortalityError("Improvement scale \"" + name_ + "\" holds " +
                         std::to_string(millionths_.size()) + " rates where its range " +
                         ScaleRangeText(range_) + " needs " + std::to_string(ages * years));
  }
  rates_.reserve(millionths_.size());
  // Dividing the whole number of millionths gives the double nearest the decimal rate.
  for (const std::int32_t m : millionths_) rates_.push_back(m / 1e6);
}

std::size_t ImprovementScale::IndexOf(int age, int year) const {
  const int a = std::clamp(age, range_.first_age, range_.last_age);
  const int t = std::clamp(year, range_.first_year, range_.last_year);
  const auto ages = static_cast<std::size_t>(range_.last_age - range_.first_age + 1);
  return static_cast<std::size_t>(t - range_.first_year) * ages +
         static_cast<std::size_t>(a - range_.first_age);
}

}  // namespace orvane::mortality
