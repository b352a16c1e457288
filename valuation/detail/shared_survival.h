#pragma once

#include <array>
#include <memory>
#include <optional>

#include "mortality/q_table.h"
#include "valuation/detail/survival_segment.h"

namespace orvane::valuation::detail {

// Every year of age of one table as SurvivalSegment fits it, with its twelve monthly factors,
// worked out once so that the rows of a batch run on the same table share them. A segment's year
// depends on the table, the whole age, and whether the life starts in that year without reading
// the year below (ages 0 to 2); nothing else. So the years of one table are a fixed list: those
// a roll reaches (ages 1 to 122; from 122 on every year is the same, all at the floor) and the
// three starting years without the year below.
class SharedSurvival {
 public:
  struct Year {
    FittedYear fit;
    MonthlyFactors factors;  // exp(fit.level + fit.slope k), the expression of Factor
  };

  // The years of `table`, or null when sharing them would not give the segment's own bits: a
  // rate that is not finite (the segment refuses it where it reads it), or a survival 1 - q
  // that is above 0 but below the floor, which a start takes as it is and a roll floors.
  static std::unique_ptr<const SharedSurvival> Of(const mortality::QTable& table);

  // The year `whole_age` as a roll reaches it, which is also the year of a life starting there
  // that reads the year below.
  const Year& Rolled(int whole_age) const;
  // The year `whole_age` (0 to 2) of a life starting there without reading the year below.
  // Expects a rate below 1 at that age, which the segment requires before it asks.
  const Year& Started(int whole_age) const;

 private:
  static constexpr int kLastDistinctAge = mortality::QTable::kLastAge + 2;
  SharedSurvival() = default;

  std::array<Year, kLastDistinctAge + 1> rolled_{};  // index 0 unused: no roll reaches age 0
  std::array<std::optional<Year>, 3> started_{};
};

}  // namespace orvane::valuation::detail
