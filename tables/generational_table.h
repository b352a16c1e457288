// Generational mortality: a base table of 2012 improved along one life's own calendar years by a
// two-dimensional improvement scale (age x year), such as Pri-2012 with Scale MP-2021.
//
// In the data file both are ordinary table files that say what they are in field 1, the field
// every reader skips (mortality/table_kind.h; see data/tables/README):
//   generational table  fields 3-122 the 2012 base rates, so a reader that knows nothing of
//                       generations reads the base;
//   improvement scale   fields 3-122 the last year's
//                       rates (held at age 20 below 20), then after field 122 one group per
//                       year in order: a field of the year's four digits and one field per age
//                       with the rate plus 0.5 as three packed-decimal bytes of 6 decimals
//                       (rates of improvement can be negative; packed digits have no sign).
//
// The cohort rule, for a life born in year B at whole age x (Y = B + x):
//   f = prod (1 - s(x, t)) for t = 2013..Y when Y > 2012; 1 / prod (1 - s(x, t)) for
//   t = Y+1..2012 when Y < 2012; 1 when Y = 2012; s(x, t) read at age min(max(x, first age),
//   last age) and year min(max(t, first year), last year), the last year being the ultimate
//   rate; q[x] = min(1, Round6(base[x] * f)), halves to even.
#pragma once

#include <string>

#include "mortality/improvement_scale.h"
#include "mortality/q_table.h"

namespace orvane::tables {

// The year of the base rates of every generational table.
inline constexpr int kGenerationalBaseYear = 2012;

// The rates of the cohort born in `year_of_birth` from the base rates of `table` and its scale,
// by the rule above. Throws TableError naming the table, the age and the year of birth when a
// factor is not a positive finite number (a rate of improvement of 1 or more on the way) or the
// year of birth lies outside 1-9999.
mortality::QTable CohortRates(const mortality::QTable& base,
                              const mortality::ImprovementScale& scale, int year_of_birth,
                              const std::string& table);

}  // namespace orvane::tables
