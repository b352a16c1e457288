#pragma once

#include <array>
#include <vector>

#include "valuation/yield_curve.h"

namespace orvane::valuation {

// The spot rates of every curve of the full yield curve workbook: curve 1 is August 2007, curve
// i the month i months after July 2007; each curve holds 200 annual spot rates as decimals, one
// per half-year of payment time. Any number of curves (at least one).
class YieldCurveRates {
 public:
  using Curve = std::array<double, CurveDiscount::kHalfYears>;

  // Throws ValuationError when there is no curve.
  explicit YieldCurveRates(std::vector<Curve> curves);

  int CurveCount() const;

  // The rate of curve 1..CurveCount at half-year 1..200; throws ValuationError outside.
  double Rate(int curve, int half_year) const;

  // The monthly discount factors of curve 1..CurveCount (use CurveIndex to choose it).
  CurveDiscount Discount(int curve) const;

 private:
  std::vector<Curve> curves_;
};

}  // namespace orvane::valuation
