#pragma once

#include <filesystem>

#include "valuation/yield_curve_rates.h"

namespace orvane::sheets {

// The fixed name of the full yield curve workbook in the data folder.
inline constexpr const char* kYieldCurveWorkbookName = "Full Yield Curve.xls";

// Reads the first sheet of a full yield curve workbook (.xls): row 1 headings and column A
// labels are skipped; column i + 1 holds curve i, rows 2..201 its 200 half-year spot rates as
// decimals; an empty cell reads as 0. Throws SheetError naming the file and the cell for a
// missing or unreadable workbook, a text cell, or a sheet without a curve.
valuation::YieldCurveRates ReadYieldCurveWorkbook(const std::filesystem::path& file);

}  // namespace orvane::sheets
