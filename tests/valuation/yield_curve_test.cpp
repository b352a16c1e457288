#include "valuation/yield_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "mortality/q_table.h"
#include "tests/valuation/valuation_test_support.h"
#include "valuation/valuation_error.h"

namespace orvane::valuation {
namespace {

TEST(YieldCurve, CellNamesCurveIndicesAndTableAges) {
  const std::tuple<int, int, const char*> cells[] = {
      {201, 26, "Z201"}, {201, 27, "AA201"}, {201, 41, "AO201"}, {1, 702, "ZZ1"},
      {1, 1, "A1"},      {7, 52, "AZ7"},     {7, 53, "BA7"}};
  for (const auto& [row, column, name] : cells) EXPECT_EQ(CellName(row, column), name);
  EXPECT_EQ(ErrorOf([] { CellName(1, 703); }),
            "Column 703 has no cell name: columns run from 1 (A) to 702 (ZZ)");
  EXPECT_NE(ErrorOf([] { CellName(1, 0); }), "");
  EXPECT_EQ(ErrorOf([] { CellName(0, 5); }), "Row 0 has no cell name: rows start at 1");

  // Months after July 2007, ties to the even curve, clamped to the workbook.
  const std::tuple<double, double, int, int> indices[] = {
      {2008, 1, 40, 6},   {2007, 7, 40, 1},   {2007, 9, 40, 2},   {2010, 11, 40, 40},
      {2010, 11, 32, 32}, {1e300, 1, 32, 32}, {-1e300, 1, 32, 1}, {2007, 8.5, 40, 2},
      {2007, 9.5, 40, 2}, {2007, 10.5, 40, 4}};
  for (const auto& [year, month, count, curve] : indices)
    EXPECT_EQ(CurveIndex(year, month, count), curve) << year << " " << month;
  EXPECT_EQ(ErrorOf([] { CurveIndex(2008, 1, 0); }),
            "The yield curve workbook holds no curve (curve count 0)");
  EXPECT_EQ(ErrorOf([] { CurveIndex(2008, std::numeric_limits<double>::infinity(), 4); }),
            "MonthOfYieldCurve is not a finite number");
  EXPECT_EQ(ErrorOf([] { CurveIndex(std::nan(""), 1.0, 3); }),
            "YearOfYieldCurve is not a finite number");
}

// Half-year h holds the rate 1% + h basis points; month m is discounted at the rate of half-year
// Int(m/6 + 0.001) + 1, from month 1200 on at the last one's.
TEST(YieldCurve, MonthsAreDiscountedAtTheRateOfTheirHalfYear) {
  std::vector<double> rates;
  for (int h = 1; h <= 200; ++h) rates.push_back(0.01 + 0.0001 * h);
  const CurveDiscount curve(rates);
  const std::pair<int, int> months[] = {{0, 1},      {5, 1},      {6, 2},      {11, 2},
                                        {12, 3},     {1193, 199}, {1194, 200}, {1200, 200},
                                        {1440, 200}, {1441, 200}, {2000, 200}};
  for (const auto& [month, half_year] : months) {
    const double rate = 0.01 + 0.0001 * half_year;
    EXPECT_DOUBLE_EQ(curve.Factor(month), std::pow(1.0 / (1.0 + rate), month / 12.0)) << month;
    EXPECT_DOUBLE_EQ(curve.RatePercent(month), 100 * rate) << month;
  }

  EXPECT_EQ(ErrorOf([] { CurveDiscount(std::vector<double>(199, 0.05)); }),
            "A yield curve needs 200 half-yearly spot rates, not 199");
  rates[11] = -1.0;
  EXPECT_EQ(ErrorOf([&] { CurveDiscount{rates}; }),
            "The yield curve rate of half-year 12 is not a usable rate (it must be a number above "
            "-100%)");
  rates[11] = std::nan("");
  EXPECT_NE(ErrorOf([&] { CurveDiscount{rates}; }), "");
  EXPECT_EQ(ErrorOf([&] { curve.Factor(-1); }),
            "No discount factor for month -1: months are counted from the valuation date");
  EXPECT_EQ(ErrorOf([&] { curve.RatePercent(-3); }),
            "No yield curve rate for month -3: months are counted from the valuation date");

  // Rates of -99.9% are above -100% but their factor overflows from month 1234 on; -99% only
  // beyond the tabulated months, from month 1850 on. A huge rate discounts to 0, harmlessly.
  EXPECT_EQ(ErrorOf([] { CurveDiscount(std::vector<double>(200, -0.999)); }),
            "The yield curve rate of half-year 200 (-99.9%) gives month 1234 a discount factor "
            "too large for a number: the rate is too close to -100%");
  const CurveDiscount steep(std::vector<double>(200, -0.99));
  EXPECT_GT(steep.Factor(1849), 1e308);
  EXPECT_EQ(ErrorOf([&] { steep.Factor(1850); }),
            "The yield curve rate of half-year 200 (-99%) gives month 1850 a discount factor too "
            "large for a number: the rate is too close to -100%");
  EXPECT_EQ(CurveDiscount(std::vector<double>(200, 1e10)).Factor(1440), 0.0);
}

}  // namespace
}  // namespace orvane::valuation
