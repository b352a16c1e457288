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
  // Year by year: the projection moves one year further with each year of the life's age from
  // the valuation year on (the projection to each year of payment). Not to be confused with the
  // generational tables, whose cohort follows the life's own year of birth.
  bool year_by_year = false;
  if (request.ProjToValuation) {
    n = valuation_year - kBaseYear +
        (request.Pre ? kYearsBeyondBeforeRetirement : kYearsBeyondAfterRetirement);
  } else if (request.ProjToRetirement) {
    if (request.Pre) {
      n = valuation_year - kBaseYear;
      year_by_year = true;
    } else {
      n = std::int64_t{request.RetirementYear} - kBaseYear + kYearsBeyondAfterRetirement;
    }
  } else {
    // Projection to each year of payment starts unprojected, not at the valuation year.
    n = 0;
    year_by_year = true;
  }
  std::array<std::int64_t, 121> years{};
  for (int x = 1; x <= 120; ++x) {
    years[x] = n;
    // The step follows the rate of age x, so it first counts at age x + 1.
    if (year_by_year && std::int64_t{request.YearOfBirth} + x >= valuation_year)
      ++n;
  }
  return years;
}

}  // namespace orvane::tables::detail
