// Fuzz target of the full yield curve workbook reader: the input is the whole file
// "Full Yield Curve.xls". A workbook that reads must give finite rates, and the discount factors
// of the curves that the form's year and month can pick must be finite and not negative at every
// month a valuation reaches.
//
// The reader documents SheetError; building a curve's discount factors documents ValuationError
// for a rate of -100% or below. Anything else escapes and ends the run as a crash.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "sheets/sheet_error.h"
#include "sheets/yield_curve_workbook.h"
#include "tests/fuzz/fuzz_support.h"
#include "valuation/valuation_error.h"
#include "valuation/yield_curve.h"
#include "valuation/yield_curve_rates.h"

namespace orvane::fuzz {
namespace {

// Year and month pairs of the form: before the first curve, the first, a middle one, the last
// shipped one, and far beyond.
constexpr double kYearMonths[][2] = {{1990.0, 1.0}, {2007.0, 8.0},  {2008.0, 1.0},
                                     {2013.0, 6.0}, {2019.0, 12.0}, {2400.0, 3.0}};
// A valuation runs until both lives pass 120: at most 1441 months, some beyond the table.
constexpr long kMonths[] = {0,   1,    5,    6,    7,    11,   12,   599,
                            600, 1199, 1200, 1201, 1439, 1440, 1441, 1452};

void CheckCurve(const valuation::YieldCurveRates& rates, int curve) {
  std::optional<valuation::CurveDiscount> discount;
  try {
    discount.emplace(rates.Discount(curve));
  } catch (const valuation::ValuationError&) {
    return;  // a rate of -100% or below, refused with its half-year named
  }
  for (const long month : kMonths) {
    const double factor = discount->Factor(month);
    // A huge rate may discount to 0 (an underflow, harmless); a NaN, infinity or sign may not.
    const double rate = discount->RatePercent(month);
    Check(std::isfinite(factor) && factor >= 0.0 && std::isfinite(rate), "curve ", curve,
          " discounts month ", month, " by ", factor, " at ", rate, "%");
  }
}

}  // namespace
}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  static const fuzz::ScratchFile file(sheets::kYieldCurveWorkbookName);
  file.Write(data, size);
  try {
    const valuation::YieldCurveRates rates = sheets::ReadYieldCurveWorkbook(file.path());
    const int count = rates.CurveCount();
    fuzz::Check(count >= 1, "a workbook read with ", count, " curves");
    for (int curve = 1; curve <= count; ++curve) {
      for (int half_year = 1; half_year <= valuation::CurveDiscount::kHalfYears; ++half_year)
        fuzz::Check(std::isfinite(rates.Rate(curve, half_year)), curve, "/", half_year,
                    " not finite");
    }
    std::set<int> curves;
    for (const auto& [year, month] : fuzz::kYearMonths)
      curves.insert(valuation::CurveIndex(year, month, count));
    for (const int curve : curves) fuzz::CheckCurve(rates, curve);
  } catch (const sheets::SheetError&) {
    // A file that is not a readable workbook, a text in a rate cell, no curve: documented.
  }
  return 0;
}
