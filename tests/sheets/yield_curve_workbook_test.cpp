#include "sheets/yield_curve_workbook.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sheets/sheet_error.h"
#include "tests/sheets/test_paths.h"
#include "valuation/yield_curve.h"

namespace orvane::sheets {
namespace {

using testing::XlsFixture;
using valuation::CurveIndex;

// Expects `read` to throw SheetError whose message holds every one of `parts`.
template <typename F>
void ExpectSheetError(F read, const std::vector<std::string>& parts) {
  try {
    read();
    ADD_FAILURE() << "no SheetError";
  } catch (const SheetError& error) {
    for (const std::string& part : parts) {
      EXPECT_NE(std::string(error.what()).find(part), std::string::npos)
          << "\"" << error.what() << "\" lacks \"" << part << "\"";
    }
  }
}

// (1 + rate)^(-month/12).
double Discounted(double rate, long month) {
  return std::pow(1.0 + rate, -static_cast<double>(month) / 12.0);
}

// Equal to 1e-13 relative: the factor may be taken as (1 / (1 + rate))^(month/12).
::testing::AssertionResult SameFactor(double actual, double expected) {
  if (std::abs(actual - expected) <= 1e-13 * expected) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << actual << " is not " << expected;
}

TEST(YieldCurveWorkbook, ReadsEachCurveByColumnAndHalfYearByRow) {
  const auto rates = ReadYieldCurveWorkbook(XlsFixture("graded.xls"));
  ASSERT_EQ(rates.CurveCount(), 12);     // columns A..M used: labels and 12 curves
  EXPECT_EQ(rates.Rate(1, 1), 0.0101);   // B2
  EXPECT_EQ(rates.Rate(6, 1), 0.0601);   // G2
  EXPECT_EQ(rates.Rate(6, 2), 0.0602);   // G3
  EXPECT_EQ(rates.Rate(12, 200), 0.14);  // M201

  // The form's default year 2008 and month 1 choose curve 6 (January 2008, column G).
  const int curve = CurveIndex(2008, 1, rates.CurveCount());
  ASSERT_EQ(curve, 6);
  const auto discount = rates.Discount(curve);
  EXPECT_EQ(discount.Factor(0), 1.0);
  EXPECT_TRUE(SameFactor(discount.Factor(5), Discounted(0.0601, 5)));  // months 1..5: half-year 1
  EXPECT_TRUE(SameFactor(discount.Factor(6), Discounted(0.0602, 6)));  // month 6: half-year 2
  EXPECT_TRUE(SameFactor(discount.Factor(1193), Discounted(0.0799, 1193)));  // half-year 199
  EXPECT_TRUE(SameFactor(discount.Factor(1194), Discounted(0.08, 1194)));    // half-year 200
  // From month 1200 on the last half-year's rate holds.
  EXPECT_TRUE(SameFactor(discount.Factor(1199), Discounted(0.08, 1199)));
  EXPECT_TRUE(SameFactor(discount.Factor(1200), Discounted(0.08, 1200)));
  EXPECT_TRUE(SameFactor(discount.Factor(1440), std::pow(1.08, -120.0)));

  // Out of range months take the first or the last curve.
  EXPECT_EQ(CurveIndex(2007, 8, rates.CurveCount()), 1);
  EXPECT_EQ(CurveIndex(2007, 7, rates.CurveCount()), 1);
  EXPECT_EQ(CurveIndex(2007, 1, rates.CurveCount()), 1);
  EXPECT_EQ(CurveIndex(2008, 7, rates.CurveCount()), 12);
  EXPECT_EQ(CurveIndex(2020, 12, rates.CurveCount()), 12);
  EXPECT_DOUBLE_EQ(rates.Discount(CurveIndex(2020, 12, rates.CurveCount())).Factor(12),
                   1 / 1.1203);  // month 12 lies in half-year 3
}

TEST(YieldCurveWorkbook, FlatFivePercentCurveDiscountsEveryMonthAtFivePercent) {
  const auto rates = ReadYieldCurveWorkbook(XlsFixture("flat5.xls"));
  ASSERT_EQ(rates.CurveCount(), 3);
  for (int curve = 1; curve <= 3; ++curve) {
    const auto discount = rates.Discount(curve);
    for (int month = 0; month <= 1440; ++month) {
      const double expected = std::pow(1.05, -month / 12.0);
      ASSERT_NEAR(discount.Factor(month), expected, 1e-14 * expected)
          << "curve " << curve << ", month " << month;
    }
  }
  EXPECT_DOUBLE_EQ(rates.Discount(1).Factor(12), 1 / 1.05);
}

TEST(YieldCurveWorkbook, ReadsMoreCurvesThanColumnsBToAO) {
  const auto rates = ReadYieldCurveWorkbook(XlsFixture("wide.xls"));
  ASSERT_EQ(rates.CurveCount(), 60);
  EXPECT_EQ(rates.Rate(40, 1), 0.04);     // AO2, the last column of a 40-curve table
  EXPECT_EQ(rates.Rate(41, 100), 0.041);  // AP101
  EXPECT_EQ(rates.Rate(60, 200), 0.06);   // BI201
  EXPECT_EQ(CurveIndex(2012, 7, 60), 60);
  EXPECT_DOUBLE_EQ(rates.Discount(60).Factor(12), 1 / 1.06);
}

TEST(YieldCurveWorkbook, EmptyCellsAndRowsOutsideTheUsedRangeReadAsZero) {
  const auto rates = ReadYieldCurveWorkbook(XlsFixture("empty_cell.xls"));
  ASSERT_EQ(rates.CurveCount(), 2);
  EXPECT_EQ(rates.Rate(1, 3), 0.04);
  EXPECT_EQ(rates.Rate(1, 4), 0.0);  // B5 is empty
  EXPECT_EQ(rates.Rate(2, 1), 1.0);  // C2 holds the whole number 1
  const auto discount = rates.Discount(1);
  EXPECT_TRUE(SameFactor(discount.Factor(17), Discounted(0.04, 17)));  // half-year 3
  EXPECT_EQ(discount.Factor(18), 1.0);                                 // half-year 4: rate 0

  const auto short_sheet = ReadYieldCurveWorkbook(XlsFixture("short.xls"));
  ASSERT_EQ(short_sheet.CurveCount(), 2);
  EXPECT_EQ(short_sheet.Rate(1, 50), 0.03);
  EXPECT_EQ(short_sheet.Rate(1, 51), 0.0);
  EXPECT_EQ(short_sheet.Rate(2, 200), 0.0);
}

TEST(YieldCurveWorkbook, RefusesTextCellsAndMissingOrCorruptWorkbooks) {
  ExpectSheetError([] { ReadYieldCurveWorkbook(XlsFixture("text_cell.xls")); },
                   {"D17", "text_cell.xls", "\"n/a\""});
  ExpectSheetError([] { ReadYieldCurveWorkbook(XlsFixture("labels_only.xls")); },
                   {"labels_only.xls", "no curve"});

  testing::TempDir dir;
  const auto missing = dir.path() / "Full Yield Curve.xls";
  ExpectSheetError([&] { ReadYieldCurveWorkbook(missing); }, {missing.string(), "does not exist"});

  const auto random = dir.path() / "random.xls";
  {
    std::ofstream out(random, std::ios::binary);
    std::uint32_t state = 12345;
    for (int i = 0; i < 8192; ++i) {
      state = state * 1664525u + 1013904223u;
      out.put(static_cast<char>(state >> 24));
    }
  }
  ExpectSheetError([&] { ReadYieldCurveWorkbook(random); }, {random.string(), "cannot read"});

  // The first 4 KiB of a real workbook: a valid header whose sectors are missing.
  const auto truncated = dir.path() / "truncated.xls";
  {
    std::ifstream in(XlsFixture("graded.xls"), std::ios::binary);
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    std::ofstream(truncated, std::ios::binary).write(head.data(), in.gcount());
  }
  ExpectSheetError([&] { ReadYieldCurveWorkbook(truncated); }, {truncated.string()});

  const auto empty = dir.path() / "empty.xls";
  std::ofstream(empty, std::ios::binary).flush();
  ExpectSheetError([&] { ReadYieldCurveWorkbook(empty); }, {empty.string()});
}

// Damaged workbooks on which the reading library itself faults (an invalid free, heap and stack
// over-reads, found by fuzzing): each gives an error naming the file, and the program goes on.
TEST(YieldCurveWorkbook, AWorkbookThatMakesTheReaderFaultIsAnErrorNotACrash) {
  const auto folder = testing::SourceDir() / "tests" / "sheets" / "regressions";
  for (const char* name :
       {"freexl_heap_overread.xls", "freexl_iconv_stack_overread.xls", "freexl_invalid_free.xls"}) {
    SCOPED_TRACE(name);
    ExpectSheetError([&] { ReadYieldCurveWorkbook(folder / name); }, {name, "cannot read"});
  }
  // The reader is still usable afterwards.
  EXPECT_EQ(ReadYieldCurveWorkbook(XlsFixture("graded.xls")).CurveCount() > 0, true);
}

// The shipped workbook against the table it was built from: every rate of the 149 curves.
TEST(YieldCurveWorkbook, ShippedWorkbookHoldsTheSourceSpotRatesAsDecimals) {
  const auto root = testing::SourceDir();
  const auto rates = ReadYieldCurveWorkbook(root / "data" / kYieldCurveWorkbookName);
  ASSERT_EQ(rates.CurveCount(), 149);  // August 2007 to December 2019

  std::ifstream csv(root / "data" / "yield_curve" / "yield_curve_spot_rates.csv");
  ASSERT_TRUE(csv) << "data/yield_curve/yield_curve_spot_rates.csv is missing";
  std::string line;
  std::getline(csv, line);  // maturity_years,2007-08,...
  int half_year = 0;
  while (std::getline(csv, line)) {
    ++half_year;
    std::stringstream fields(line);
    std::string field;
    std::getline(fields, field, ',');
    EXPECT_EQ(std::stod(field), half_year / 2.0);
    for (int curve = 1; std::getline(fields, field, ','); ++curve) {
      ASSERT_LE(curve, 149);
      ASSERT_NEAR(rates.Rate(curve, half_year), std::stod(field) / 100, 1e-12)
          << "curve " << curve << ", half-year " << half_year;
    }
  }
  EXPECT_EQ(half_year, 200);

  // First and last values of the source: 5.47% at 0.5 years in August 2007, 3.71% at 100 years
  // in December 2019; January 2008 at 0.5 years is 4.06%.
  EXPECT_DOUBLE_EQ(rates.Rate(1, 1), 0.0547);
  EXPECT_DOUBLE_EQ(rates.Rate(149, 200), 0.0371);
  EXPECT_DOUBLE_EQ(rates.Rate(CurveIndex(2008, 1, 149), 1), 0.0406);
  EXPECT_EQ(CurveIndex(2019, 12, 149), 149);
}

}  // namespace
}  // namespace orvane::sheets
