#include "sheets/yield_curve_workbook.h"

#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "sheets/sheet_error.h"
#include "sheets/workbook.h"
#include "valuation/yield_curve.h"

namespace orvane::sheets {

valuation::YieldCurveRates ReadYieldCurveWorkbook(const std::filesystem::path& file) {
  const UsedRange sheet = ReadFirstSheet(file);
  // Column A holds the half-year labels, so the curves are the used columns after it.
  const int curve_count = sheet.columns - 1;
  if (curve_count < 1) {
    throw SheetError("the yield curve workbook \"" + file.string() +
                     "\" holds no curve: its first sheet has no column after A");
  }
  std::vector<valuation::YieldCurveRates::Curve> curves(static_cast<std::size_t>(curve_count));
  for (int curve = 1; curve <= curve_count; ++curve) {
    auto& rates = curves[static_cast<std::size_t>(curve - 1)];
    for (int half_year = 1; half_year <= valuation::CurveDiscount::kHalfYears; ++half_year) {
      // Row h + 1 (1-based) is 0-based row h; a row beyond the used range is empty and reads 0.
      const Cell& cell = sheet.At(half_year, curve);
      double rate = 0.0;
      if (const double* number = std::get_if<double>(&cell)) {
        rate = *number;
      } else if (const long* whole = std::get_if<long>(&cell)) {
        rate = static_cast<double>(*whole);
      } else if (const std::string* text = std::get_if<std::string>(&cell)) {
        throw SheetError("cell " + valuation::CellName(half_year + 1, curve + 1) +
                         " of the yield curve workbook \"" + file.string() +
                         "\" holds the text \"" + *text + "\", not a spot rate");
      }
      if (!std::isfinite(rate)) {
        throw SheetError("cell " + valuation::CellName(half_year + 1, curve + 1) +
                         " of the yield curve workbook \"" + file.string() +
                         "\" does not hold a finite number");
      }
      rates[static_cast<std::size_t>(half_year - 1)] = rate;
    }
  }
  return valuation::YieldCurveRates(std::move(curves));
}

}  // namespace orvane::sheets
