#include <cmath>
#include <string>

#include "numbers/rounding.h"
#include "valuation/valuation_error.h"
#include "valuation/yield_curve.h"

namespace orvane::valuation {

int CurveIndex(double year, double month, int curve_count) {
  if (curve_count < 1) {
    throw ValuationError(
        "The yield curve workbook holds no curve (curve count " + std::to_string(curve_count) + ")",
        Input::FullYieldCurve);
  }
  if (!std::isfinite(year)) {
    throw ValuationError("YearOfYieldCurve is not a finite number", Input::YearOfYieldCurve);
  }
  if (!std::isfinite(month)) {
    throw ValuationError("MonthOfYieldCurve is not a finite number", Input::MonthOfYieldCurve);
  }
  // Curve 1 is August 2007: months are counted from July 2007.
  const double index = numbers::RoundHalfEven((year - 2007.0) * 12.0 + month - 7.0);
  // Clamped as a double first, so that a far-off year cannot overflow the conversion.
  if (index < 1.0)
    return 1;
  if (index > static_cast<double>(curve_count))
    return curve_count;
  return static_cast<int>(index);
}

}  // namespace orvane::valuation
