#include "mortality/improvement_scale.h"

#include <algorithm>

#include "mortality/mortality_error.h"

namespace orvane::mortality {

ImprovementScale::ImprovementScale(std::string name, ScaleRange range, std::vector<double> rates)
    : name_(std::move(name)), range_(range), rates_(std::move(rates)) {
  const auto ages = static_cast<std::size_t>(range_.last_age - range_.first_age + 1);
  const auto years = static_cast<std::size_t>(range_.last_year - range_.first_year + 1);
  if (rates_.size() != ages * years) {
    throw MortalityError("Improvement scale \"" + name_ + "\" holds " +
                         std::to_string(rates_.size()) + " rates where its range needs " +
                         std::to_string(ages * years));
  }
}

double ImprovementScale::At(int age, int year) const {
  const int a = std::clamp(age, range_.first_age, range_.last_age);
  const int t = std::clamp(year, range_.first_year, range_.last_year);
  const auto ages = static_cast<std::size_t>(range_.last_age - range_.first_age + 1);
  return rates_[static_cast<std::size_t>(t - range_.first_year) * ages +
                static_cast<std::size_t>(a - range_.first_age)];
}

}  // namespace orvane::mortality
