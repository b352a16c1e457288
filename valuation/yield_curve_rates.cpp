#include "valuation/yield_curve_rates.h"

#include <string>
#include <utility>

#include "valuation/valuation_error.h"

namespace orvane::valuation {

YieldCurveRates::YieldCurveRates(std::vector<Curve> curves) : curves_(std::move(curves)) {
  if (curves_.empty()) {
    throw ValuationError("The full yield curve holds no curve.");
  }
}

int YieldCurveRates::CurveCount() const {
  return static_cast<int>(curves_.size());
}

double YieldCurveRates::Rate(int curve, int half_year) const {
  if (curve < 1 || curve > CurveCount()) {
    throw ValuationError("Yield curve " + std::to_string(curve) + " is outside curves 1 to " +
                         std::to_string(CurveCount()) + ".");
  }
  if (half_year < 1 || half_year > CurveDiscount::kHalfYears) {
    throw ValuationError("Half-year " + std::to_string(half_year) +
                         " of a yield curve is outside 1 to 200.");
  }
  return curves_[static_cast<std::size_t>(curve - 1)][static_cast<std::size_t>(half_year - 1)];
}

CurveDiscount YieldCurveRates::Discount(int curve) const {
  Rate(curve, 1);  // the same check and message as Rate
  return CurveDiscount(curves_[static_cast<std::size_t>(curve - 1)]);
}

}  // namespace orvane::valuation
