#pragma once

// The IRS's static mortality tables of a year from 2024 on, built from their published inputs
// the way the IRS builds them (section 1.430(h)(3)-1 of the regulations as amended in 2023):
//
//   base rate b(x)     the IRS's Pri-2012 rates, non-annuitant and annuitant, ages 15-120;
//                      below 15 the SOA's Pri-2012 juvenile rate of the sex, for both kinds
//   improvement        Scale MP-2021 at age max(x, 20), its last year for later years, capped
//                      by the IRS at 0 for 2021-2024 and at 0.0078 from 2025
//   q(x, T)            b(x) x the product of (1 - improvement) over the years 2013 to T
//   projection period  male 88 - x to age 80, then 8 - (x - 80)/3 down to 0; female one more
//   static rate        q to the valuation year plus the period, the whole years first and the
//                      fraction interpolated; 5 decimals
//   combined (small plans)  annuitant and non-annuitant rates weighted by age and sex
//   417(e)(3)          the mean of the male and female combined rates
//
// Every rounding takes halves up and is done on the exact decimal value, in whole millionths
// (the generational rate as an exact product): a six-decimal rate ending in 5 is a tie at the
// fifth decimal (175 of the rates of 2024-2027), where a binary double falls either side, and
// one generational rate of 2024 lies 1.4e-9 from a boundary of the sixth.
//
// The inputs live in data/tables/published (see SOURCES.md there): irs/construction/
// irs_base_pri2012.csv and irs_weights.csv, and the SOA's XTbML files t3600/t3599 (juvenile,
// male/female) and t3612/t3611 (MP-2021, male/female).

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "mortality/improvement_scale.h"
#include "sources/csv_file.h"
#include "sources/named_table.h"
#include "sources/table_sources.h"

namespace orvane::sources {

// The first year whose tables the IRS builds by this construction.
inline constexpr int kFirstIrsYear = 2024;
// The last: each rate is an exact product with one factor a year from 2013 on, whose cost grows
// with the square of the years; 2199 (products to 2287) still takes a fraction of a second.
inline constexpr int kLastIrsYear = 2199;

enum class Sex { kMale = 0, kFemale = 1 };
enum class Kind { kNonAnnuitant = 0, kAnnuitant = 1 };

// Everything the construction reads, in millionths; a 1 is 1,000,000.
struct IrsInputs {
  // [sex][kind][age], ages 1 to 120.
  std::array<std::array<std::array<std::int32_t, kTableAges + 1>, 2>, 2> base{};
  // The annuitant rate's weight in the combined tables, [sex][age]; 0 below 15.
  std::array<std::array<std::int32_t, kTableAges + 1>, 2> weight{};
  // Scale MP-2021 of each sex: ages 20 to 120, in millionths (negative where mortality worsened).
  std::array<mortality::ImprovementScale, 2> scale;  // [sex]
};

// Reads the inputs from the folder of published files (data/tables/published). Throws
// SourceError naming the file, column or table and age of a missing, unreadable or out-of-range
// rate (a base rate or weight outside 0 to 1, an improvement rate of 1 or more in size), and
// for a scale that lacks an age or year or does not reach back to 2013.
IrsInputs ReadIrsInputs(const std::filesystem::path& published);

// The folder of published files: data/tables/published in `start` or the nearest folder above
// it that has one with irs/construction inside. Throws SourceError when there is none.
std::filesystem::path FindPublishedFolder(const std::filesystem::path& start);

// The IRS's modified improvement rate of age `age` (any age from 1; below 20 the rate of 20)
// in year `year`, in millionths. Throws SourceError for a year before the scale's first.
std::int32_t ModifiedImprovement(const IrsInputs& inputs, Sex sex, int age, int year);

// The projection period beyond the valuation year at age `age`, in thirds of a year.
int ProjectionThirds(Sex sex, int age);

// The seven tables of `year` (kFirstIrsYear to kLastIrsYear), ages 1 to 120, named and ordered
// YYYYNAM, YYYYNAF, YYYYANM, YYYYANF, YYYYSPM, YYYYSPF, YYYY417e; age 120's 1 is held as
// 0.999999, as in the data file. Throws SourceError for a year outside that range.
std::vector<NamedTable> IrsTables(const IrsInputs& inputs, int year);

// Appends the tables an IRS construction list (already read into `rows`, header first) names:
//
//   year,inputs
//   2027,published
//
// one row per year, `inputs` the folder of published files relative to the list. Throws
// SourceError naming the list's line for a bad year or folder, and as ReadIrsInputs does.
void ReadIrsConstructionList(const std::filesystem::path& file, const std::vector<CsvRow>& rows,
                             SourceSet& sources);

}  // namespace orvane::sources
