#pragma once

#include <span>
#include <string>
#include <vector>

namespace orvane::valuation {

// The spreadsheet name of a cell from its 1-based row and column: CellName(201, 41) is "AO201".
// Columns 1..702 (A..ZZ); throws ValuationError outside that range or for a row below 1.
std::string CellName(int row, int column);

// The curve chosen by the form's year and month: (year - 2007) x 12 + month - 7, rounded half to
// even, then raised to 1 and limited to curve_count (curve 1 is August 2007). Throws
// ValuationError when curve_count is below 1 or year or month is not finite.
int CurveIndex(double year, double month, int curve_count);

// The monthly discount factors of one yield curve: 200 annual spot rates as decimals, one per
// half-year of payment time. Factor(m) discounts a payment m whole months after the valuation
// date: (1 + rate of half-year Int(m/6 + 0.001) + 1)^(-m/12), with the last half-year's rate from
// month 1200 on, however long the run.
class CurveDiscount {
 public:
  static constexpr int kHalfYears = 200;

  // Throws ValuationError when there are not exactly 200 rates, or a rate is not finite or is
  // -100% or below (the discount would divide by zero or take a root of a negative number), or
  // so close to -100% that a factor of months 0..1440 exceeds the range of a double.
  explicit CurveDiscount(std::span<const double> half_year_rates);

  // m >= 0; throws ValuationError for a negative month, and for a month beyond 1440 whose factor
  // exceeds the range of a double.
  double Factor(long month) const;

  // The spot rate in percent that discounts month m (the half-year row, at most 200).
  double RatePercent(long month) const;

  // The same curve with every spot rate moved by `delta` (a decimal: 0.0001 is a basis point).
  // Throws as the constructor does when a moved rate is not usable.
  CurveDiscount Shifted(double delta) const;

 private:
  std::vector<double> rates_;    // half-year 1..200 at index 0..199
  std::vector<double> factors_;  // months 0..1440
};

}  // namespace orvane::valuation
