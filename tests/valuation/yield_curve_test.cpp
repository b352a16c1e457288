#include "valuation/yield_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/valuation/valuation_test_support.h"
#include "valuation/q_table.h"
#include "valuation/valuation_error.h"

namespace orvane::valuation {
namespace {

using testing::ErrorOf;

TEST(CellName, ColumnLettersAndRow) {
  EXPECT_EQ(CellName(201, 26), "Z201");
  EXPECT_EQ(CellName(201, 27), "AA201");
  EXPECT_EQ(CellName(201, 41), "AO201");
  EXPECT_EQ(CellName(1, 702), "ZZ1");
  EXPECT_EQ(CellName(1, 1), "A1");
  EXPECT_EQ(CellName(65536, 52), "AZ65536");
  EXPECT_EQ(CellName(7, 53), "BA7");
  EXPECT_EQ(ErrorOf([] { CellName(1, 703); }),
            "Column 703 has no cell name: columns run from 1 (A) to 702 (ZZ)");
  EXPECT_EQ(ErrorOf([] { CellName(1, 0); }),
            "Column 0 has no cell name: columns run from 1 (A) to 702 (ZZ)");
  EXPECT_EQ(ErrorOf([] { CellName(0, 5); }), "Row 0 has no cell name: rows start at 1");
}

TEST(CurveIndex, MonthsAfterJuly2007ClampedToTheWorkbook) {
  EXPECT_EQ(CurveIndex(2008, 1, 40), 6);
  EXPECT_EQ(CurveIndex(2007, 7, 40), 1);
  EXPECT_EQ(CurveIndex(2007, 8, 40), 1);
  EXPECT_EQ(CurveIndex(2007, 9, 40), 2);
  EXPECT_EQ(CurveIndex(1990, 3, 40), 1);
  EXPECT_EQ(CurveIndex(2010, 11, 40), 40);
  EXPECT_EQ(CurveIndex(2010, 11, 32), 32);
  EXPECT_EQ(CurveIndex(1.0e300, 1, 32), 32);
  // Ties go to the even curve: 1.5 -> 2, 2.5 -> 2, 3.5 -> 4.
  EXPECT_EQ(CurveIndex(2007, 8.5, 40), 2);
  EXPECT_EQ(CurveIndex(2007, 9.5, 40), 2);
  EXPECT_EQ(CurveIndex(2007, 10.5, 40), 4);
  EXPECT_EQ(ErrorOf([] { CurveIndex(2008, 1, 0); }),
            "The yield curve workbook holds no curve (curve count 0)");
  EXPECT_EQ(ErrorOf([] { CurveIndex(std::nan(""), 1, 4); }),
            "YearOfYieldCurve is not a finite number");
  EXPECT_EQ(ErrorOf([] { CurveIndex(2008, std::numeric_limits<double>::infinity(), 4); }),
            "MonthOfYieldCurve is not a finite number");
}

std::vector<double> RisingRates() {
  std::vector<double> rates;
  for (int h = 1; h <= 200; ++h) rates.push_back(0.01 + 0.0001 * h);
  return rates;
}

double RateOfHalfYear(int h) {
  return 0.01 + 0.0001 * h;
}

TEST(CurveDiscount, HalfYearRowsOfTheMonths) {
  const CurveDiscount curve(RisingRates());
  const auto factor = [](int h, double m) {
    return std::pow(1.0 / (1.0 + RateOfHalfYear(h)), m / 12.0);
  };
  EXPECT_EQ(curve.Factor(0), 1.0);
  EXPECT_DOUBLE_EQ(curve.Factor(5), factor(1, 5));
  EXPECT_DOUBLE_EQ(curve.Factor(6), factor(2, 6));
  EXPECT_DOUBLE_EQ(curve.Factor(11), factor(2, 11));
  EXPECT_DOUBLE_EQ(curve.Factor(12), factor(3, 12));
  EXPECT_DOUBLE_EQ(curve.Factor(1193), factor(199, 1193));
  EXPECT_DOUBLE_EQ(curve.Factor(1194), factor(200, 1194));
  EXPECT_DOUBLE_EQ(curve.Factor(1199), factor(200, 1199));
  // From 100 years on the last half-year's rate is held, however long the run.
  EXPECT_DOUBLE_EQ(curve.Factor(1200), factor(200, 1200));
  EXPECT_DOUBLE_EQ(curve.Factor(1440), factor(200, 1440));
  EXPECT_DOUBLE_EQ(curve.Factor(1441), factor(200, 1441));
  EXPECT_DOUBLE_EQ(curve.Factor(2000), factor(200, 2000));

  EXPECT_DOUBLE_EQ(curve.RatePercent(0), 100 * RateOfHalfYear(1));
  EXPECT_DOUBLE_EQ(curve.RatePercent(5), 100 * RateOfHalfYear(1));
  EXPECT_DOUBLE_EQ(curve.RatePercent(6), 100 * RateOfHalfYear(2));
  EXPECT_DOUBLE_EQ(curve.RatePercent(1199), 100 * RateOfHalfYear(200));
  EXPECT_DOUBLE_EQ(curve.RatePercent(1500), 100 * RateOfHalfYear(200));

  const CurveDiscount flat(std::vector<double>(200, 0.05));
  for (long m = 0; m <= 1500; ++m) {
    const double expected = std::pow(1.05, -static_cast<double>(m) / 12.0);
    ASSERT_NEAR(flat.Factor(m), expected, 1e-14 * expected) << m;
  }
}

TEST(CurveDiscount, RefusedInput) {
  EXPECT_EQ(ErrorOf([] { CurveDiscount(std::vector<double>(199, 0.05)); }),
            "A yield curve needs 200 half-yearly spot rates, not 199");
  std::vector<double> rates(200, 0.05);
  rates[11] = -1.0;
  EXPECT_EQ(ErrorOf([&] { CurveDiscount{rates}; }),
            "The yield curve rate of half-year 12 is not a usable rate (it must be a number above "
            "-100%)");
  rates[11] = std::nan("");
  EXPECT_NE(ErrorOf([&] { CurveDiscount{rates}; }).find("half-year 12"), std::string::npos);
  rates[11] = 0.05;
  const CurveDiscount curve(rates);
  EXPECT_EQ(ErrorOf([&] { curve.Factor(-1); }),
            "No discount factor for month -1: months are counted from the valuation date");
  EXPECT_EQ(ErrorOf([&] { curve.RatePercent(-3); }),
            "No yield curve rate for month -3: months are counted from the valuation date");
}

TEST(QTable, BoundsCheckedAccess) {
  QTable table;
  table.set(1, 0.001);
  table.set(120, 1.0);
  EXPECT_EQ(table.at(0), 0.0);
  EXPECT_EQ(table.at(1), 0.001);
  EXPECT_EQ(table.at(120), 1.0);
  EXPECT_EQ(ErrorOf([&] { table.at(121); }),
            "Age 121 is outside the table, which holds ages 0 to 120");
  EXPECT_EQ(ErrorOf([&] { table.at(-1); }),
            "Age -1 is outside the table, which holds ages 0 to 120");
  EXPECT_EQ(ErrorOf([&] { table.set(0, 0.5); }),
            "Age 0 cannot be set in the table: only ages 1 to 120 hold rates (age 0 is always 0)");
  EXPECT_EQ(ErrorOf([&] { table.set(121, 0.5); }),
            "Age 121 cannot be set in the table: only ages 1 to 120 hold rates (age 0 is always "
            "0)");
  EXPECT_EQ(table.at(0), 0.0);
}

}  // namespace
}  // namespace orvane::valuation
