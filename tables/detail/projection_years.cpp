#include "tables/detail/projection_years.h"

namespace orvane::tables::detail {
namespace {

constexpr std::int64_t kBaseYear = 2000;
// The static projections run beyond their target year: 15 years for non-annuitants (before
// retirement), 7 years for annuitants.
constexpr std::int64_t kYearsBeyondBeforeRetirement = 15;
constexpr std::int64_t kYearsBeyondAfterRetirement = 7;

}  // namespace

std::array<std::int64_t, 121> ProjectionYearsByAge(const TableRequest& request) {
  const std::int64_t valuation_year = request.ValuationYear;
  std::int64_t n = 0;
  bool generational = false;
  if (request.ProjToValuation) {
    n = valuation_year - kBaseYear +
        (request.Pre ? kYearsBeyondBeforeRetirement : kYearsBeyondAfterRetirement);
  } else if (request.ProjToRetirement) {
    if (request.Pre) {
      n = valuation_year - kBaseYear;
      generational = true;
    } else {
      n = std::int64_t{request.RetirementYear} - kBaseYear + kYearsBeyondAfterRetirement;
    }
  } else {
    // Projection to each year of payment starts unprojected, not at the valuation year.
    n = 0;
    generational = true;
  }
  std::array<std::int64_t, 121> years{};
  for (int x = 1; x <= 120; ++x) {
    years[x] = n;
    // The step follows the rate of age x, so it first counts at age x + 1.
    if (generational && std::int64_t{request.YearOfBirth} + x >= valuation_year)
      ++n;
  }
  return years;
}

}  // namespace orvane::tables::detail
