// The census columns of a participant's interest basis, entered before (RatesOf, PlanYear) or
// after (Stability, Lookback, PlanYearBegins) the row's other cells:
//   RatesOf, PlanYear   a month of 417(e) segment rates (and the plan year, for a month whose
//                       rates differ by plan year), entered into the three interest fields as
//                       `orvane-value --rates-of` enters them before the Control=Text arguments;
//   Stability, Lookback, PlanYearBegins
//                       the plan's terms of the 417(e) basis (segment_rates/lump_sum_basis.h),
//                       applied after the row's cells since the row's own Valuation Date decides
//                       it; a cell overrides the same term of `orvane-value --stability`.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "segment_rates/lump_sum_basis.h"
#include "segment_rates/segment_rates.h"

namespace orvane::census {

// Where the header names the columns, when it does.
struct RatesColumns {
  std::optional<std::size_t> rates_of;
  std::optional<std::size_t> plan_year;
  std::optional<std::size_t> stability;
  std::optional<std::size_t> lookback;
  std::optional<std::size_t> plan_year_begins;
  bool Holds(std::size_t column) const {
    return column == rates_of || column == plan_year || column == stability || column == lookback ||
           column == plan_year_begins;
  }
};

// Whether a header cell (trimmed) names one of the five columns.
bool IsRatesColumn(const std::string& name);

// The columns of `header` (cells trimmed). Throws CensusHeaderError when one is named twice, or
// PlanYear without RatesOf.
RatesColumns FindRatesColumns(const std::vector<std::string>& header);

// The rates a row's cells ask for from `file`; nothing when its RatesOf cell is blank. Throws
// SegmentRatesLookupError with the reason: a month not written YYYY-MM, a plan year not written
// YYYY, a plan year without a month, and what SegmentRateFile::Of throws. `file` may be null
// only when the header has no RatesOf column.
std::optional<segment_rates::SegmentRates> RowRates(const std::vector<std::string>& cells,
                                                    const RatesColumns& columns,
                                                    const segment_rates::SegmentRateFile* file);

// The plan's terms of a row: `plan` (the command line's, when given) with each term the row's
// cells give in its place; nothing when neither gives any. Throws SegmentRatesLookupError with
// the reason: a stability period, lookback or first month not among those allowed, terms without
// their stability period or lookback, and terms in a row that also has a RatesOf month.
std::optional<segment_rates::PlanTerms> RowTerms(
    const std::vector<std::string>& cells, const RatesColumns& columns,
    const std::optional<segment_rates::PlanTerms>& plan);

}  // namespace orvane::census
