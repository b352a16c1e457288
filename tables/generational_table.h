// Generational mortality: a base table of 2012 improved along one life's own calendar years by a
// two-dimensional improvement scale (age x year), such as Pri-2012 with Scale MP-2021.
//
// In the data file both are ordinary table files that say what they are in field 1, the field
// every reader skips (see data/tables/README):
//   generational table  field 1 "NAME    GENERATIONAL:SCALE   ", fields 3-122 the 2012 base
//                       rates, so a reader that knows nothing of generations reads the base;
//   improvement scale   field 1 "NAME    SCALE:20-120,1951-2037", fields 3-122 the last year's
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

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "valuation/q_table.h"

namespace orvane::tables {

// The year of the base rates of every generational table.
inline constexpr int kGenerationalBaseYear = 2012;

// What field 1 of a table file says of its kind.
inline constexpr std::string_view kGenerationalMark = "GENERATIONAL:";
inline constexpr std::string_view kScaleMark = "SCALE:";
// A scale's rate is stored plus this offset, in millionths, so that three unsigned packed bytes
// hold rates from -0.5 to 0.499999.
inline constexpr int kScaleOffsetMicro = 500000;

// The ages and years a scale covers (inclusive).
struct ScaleRange {
  int first_age = 0;
  int last_age = 0;
  int first_year = 0;
  int last_year = 0;
};

// An improvement scale by age and calendar year.
class ImprovementScale {
 public:
  // A scale over `range` with its rates year by year, each year's ages in order. Throws
  // TableError naming `name` when the count of rates does not match the range.
  ImprovementScale(std::string name, ScaleRange range, std::vector<double> rates);

  const std::string& name() const { return name_; }
  const ScaleRange& range() const { return range_; }

  // s(x, t) with the age and year held to the scale's range as the cohort rule says.
  double At(int age, int year) const;

 private:
  std::string name_;
  ScaleRange range_;
  std::vector<double> rates_;
};

// The 8-character scale name that field 1 of a generational table names, or nothing for any
// other table file.
std::optional<std::string> GenerationalScaleOf(std::string_view field1);

// The range a scale's field 1 declares; nothing when field 1 is not a scale's. Throws TableError
// naming `table` for a scale mark followed by anything but "A-A,Y-Y" with A first <= last.
std::optional<ScaleRange> ScaleRangeOf(std::string_view field1, const std::string& table);

// The rates of the cohort born in `year_of_birth` from the base rates of `table` and its scale,
// by the rule above. Throws TableError naming the table, the age and the year of birth when a
// factor is not a positive finite number (a rate of improvement of 1 or more on the way) or the
// year of birth lies outside 1-9999.
valuation::QTable CohortRates(const valuation::QTable& base, const ImprovementScale& scale,
                              int year_of_birth, const std::string& table);

}  // namespace orvane::tables
