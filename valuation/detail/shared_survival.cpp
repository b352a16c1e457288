#include "valuation/detail/shared_survival.h"

#include <algorithm>
#include <cmath>

#include "valuation/valuation_error.h"

namespace orvane::valuation::detail {
namespace {

// The year the segment holds, with its factors by the segment's own expression.
SharedSurvival::Year YearOf(const SurvivalSegment& segment) {
  SharedSurvival::Year year{segment.Fitted(), {}};
  for (std::size_t k = 0; k < year.factors.size(); ++k)
    year.factors[k] = std::exp(year.fit.level + year.fit.slope * static_cast<double>(k));
  return year;
}

}  // namespace

std::unique_ptr<const SharedSurvival> SharedSurvival::Of(const mortality::QTable& table) {
  for (const double q : table.values()) {
    if (!std::isfinite(q) || (q < 1.0 && 1.0 - q < kSurvivalFloor))
      return nullptr;
  }
  std::unique_ptr<SharedSurvival> shared(new SharedSurvival());
  // The years are fitted by the segment itself: a life starting at 0 (age 0 has no deaths, so
  // it starts) rolled through every later year; a life starting at 0, 1 or 2 where it can.
  SurvivalSegment chain(table, "", Input::PostPrimaryMortality, "", 0.0);
  for (int age = 1; age <= kLastDistinctAge; ++age) {
    chain.Roll(age);
    shared->rolled_[static_cast<std::size_t>(age)] = YearOf(chain);
  }
  for (int age = 0; age <= 2; ++age) {
    if (table.at(age) < 1.0) {
      shared->started_[static_cast<std::size_t>(age)] = YearOf(
          SurvivalSegment(table, "", Input::PostPrimaryMortality, "", static_cast<double>(age)));
    }
  }
  return shared;
}

const SharedSurvival::Year& SharedSurvival::Rolled(int whole_age) const {
  return rolled_[static_cast<std::size_t>(std::clamp(whole_age, 1, kLastDistinctAge))];
}

const SharedSurvival::Year& SharedSurvival::Started(int whole_age) const {
  return started_.at(static_cast<std::size_t>(whole_age)).value();
}

}  // namespace orvane::valuation::detail
