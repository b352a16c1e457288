// The census columns RatesOf and PlanYear: a participant's month of 417(e) segment rates (and
// the plan year, for a month whose rates differ by plan year), entered into the three interest
// fields before the row's other cells, as `orvane-value --rates-of` enters them before the
// Control=Text arguments.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "segment_rates/segment_rates.h"

namespace orvane::census {

// Where the header names the two columns, when it does.
struct RatesColumns {
  std::optional<std::size_t> rates_of;
  std::optional<std::size_t> plan_year;
  bool Holds(std::size_t column) const { return column == rates_of || column == plan_year; }
};

// Whether a header cell (trimmed) names one of the two columns.
bool IsRatesColumn(const std::string& name);

// The two columns of `header` (cells trimmed). Throws CensusHeaderError when one is named twice,
// or PlanYear without RatesOf.
RatesColumns FindRatesColumns(const std::vector<std::string>& header);

// The rates a row's cells ask for from `file`; nothing when its RatesOf cell is blank. Throws
// SegmentRatesLookupError with the reason: a month not written YYYY-MM, a plan year not written
// YYYY, a plan year without a month, and what SegmentRateFile::Of throws. `file` may be null
// only when the header has no RatesOf column.
std::optional<segment_rates::SegmentRates> RowRates(const std::vector<std::string>& cells,
                                                    const RatesColumns& columns,
                                                    const segment_rates::SegmentRateFile* file);

}  // namespace orvane::census
