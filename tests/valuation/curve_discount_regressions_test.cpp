// Yield curves on which the discount factors once went wrong, each with what they must do.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/valuation/valuation_test_support.h"
#include "valuation/valuation_error.h"
#include "valuation/yield_curve.h"

namespace orvane::valuation {
namespace {

using testing::ErrorOf;

// A workbook of spot rates of -99.9% (above -100%, so accepted) gave an infinite discount factor
// from month 1234 on, which a valuation would have summed into an infinite present value.
TEST(CurveDiscountRegressions, ARateJustAboveMinus100PercentIsRefusedWhereItsFactorOverflows) {
  EXPECT_EQ(ErrorOf([] { CurveDiscount(std::vector<double>(200, -0.999)); }),
            "The yield curve rate of half-year 200 (-99.9%) gives month 1234 a discount factor "
            "too large for a number: the rate is too close to -100%");

  // -99% stays finite over the table's 1440 months and overflows only from month 1850 on,
  // which a valuation reaches only beyond the table.
  const CurveDiscount curve(std::vector<double>(200, -0.99));
  EXPECT_TRUE(std::isfinite(curve.Factor(1440)));
  EXPECT_TRUE(std::isfinite(curve.Factor(1849)));
  EXPECT_GT(curve.Factor(1849), 1e308);
  EXPECT_EQ(ErrorOf([&] { curve.Factor(1850); }),
            "The yield curve rate of half-year 200 (-99%) gives month 1850 a discount factor too "
            "large for a number: the rate is too close to -100%");

  // A huge rate discounts to 0, which is harmless and stays allowed.
  const CurveDiscount steep(std::vector<double>(200, 1e10));
  EXPECT_EQ(steep.Factor(1440), 0.0);
}

}  // namespace
}  // namespace orvane::valuation
