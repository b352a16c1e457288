// The reader of "417e Segment Rates.csv": each kind of malformed line named with its line, and
// the lookups of a month with one line, with several plan years, and of one the file lacks.
#include "segment_rates/segment_rates.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "segment_rates/lump_sum_basis.h"

namespace orvane::segment_rates {
namespace {

using dates::Month;
using dates::MonthText;
using dates::ParseMonth;

const std::string kHeader =
    "plan_years_beginning_in,month,first_segment,second_segment,third_segment\n";

std::string ErrorOf(const std::string& text) {
  try {
    SegmentRateFile::Parse(text, "rates.csv");
  } catch (const SegmentRatesFileError& e) {
    return e.what();
  }
  return "read without error";
}

TEST(SegmentRateFile, NamesTheLineAndWhatIsWrong) {
  const std::string good = "All,2025-11,4.07,5.15,6.01\n";
  const struct {
    std::string text;
    std::string error;
  } kCases[] = {
      {"", "The segment rates file \"rates.csv\" is empty"},
      {"plan_year,month,first,second,third\n" + good,
       "The segment rates file \"rates.csv\", line 1: the header must read "
       "\"plan_years_beginning_in,month,first_segment,second_segment,third_segment\""},
      {kHeader, "The segment rates file \"rates.csv\" holds no month"},
      {kHeader + good + "All,2025-12,4.07,5.15\n",
       "The segment rates file \"rates.csv\", line 3: the third segment rate is missing"},
      {kHeader + good + "All,2025-12,4.07,n/a,6.01\n",
       "The segment rates file \"rates.csv\", line 3: the second segment rate \"n/a\" is not a "
       "rate in percent from 0 to below 100"},
      {kHeader + "All,2025-12,-1,5,6\n",
       "The segment rates file \"rates.csv\", line 2: the first segment rate \"-1\" is not a rate "
       "in percent from 0 to below 100"},
      {kHeader + "All,2025-12,100,5,6\n",
       "The segment rates file \"rates.csv\", line 2: the first segment rate \"100\" is not a "
       "rate in percent from 0 to below 100"},
      {kHeader + good + "\n" + good,
       "The segment rates file \"rates.csv\", line 4: 2025-11 for plan years All is given again "
       "(first at line 2)"},
      {kHeader + "Some,2025-11,4,5,6\n",
       "The segment rates file \"rates.csv\", line 2: the plan year \"Some\" is neither All nor a "
       "year"},
      {kHeader + "All,2025-13,4,5,6\n",
       "The segment rates file \"rates.csv\", line 2: the month \"2025-13\" is not written "
       "YYYY-MM"},
      {kHeader + "All,2025-11,4,5,6,7\n",
       "The segment rates file \"rates.csv\", line 2: 6 cells, the header has 5"},
      {kHeader + "All,\"2025-11,4,5,6\n",
       "The segment rates file \"rates.csv\", line 2: a quoted field is not closed"},
  };
  for (const auto& c : kCases) EXPECT_EQ(ErrorOf(c.text), c.error) << c.text;
  // Trailing empty cells, blanks around cells, a byte order mark and CRLF are read.
  EXPECT_EQ(ErrorOf("\xEF\xBB\xBF" + kHeader + " All , 2025-11 ,4.07,5.15,6.01,,\r\n"),
            "read without error");
}

TEST(SegmentRateFile, FindsTheMonthAndPlanYear) {
  const SegmentRateFile file = SegmentRateFile::Parse(
      kHeader +
          "All,2013-01,1.5,2.5,3.5\n"
          "2010,2011-10,2.51,3.99,4.55\n2011,2011-10,2.30,4.27,5.03\n2012,2011-10,2.09,4.56,5.50\n"
          "2008,2008-01,4.34,4.67,4.81\n",
      "rates.csv");
  const auto found = [&file](Month month, std::optional<int> plan_year) -> std::string {
    try {
      const auto& rates = file.Of(month, plan_year).rates;
      return rates[0] + "/" + rates[1] + "/" + rates[2];
    } catch (const SegmentRatesLookupError& e) {
      return e.what();
    }
  };
  EXPECT_EQ(found({2013, 1}, std::nullopt), "1.5/2.5/3.5");
  EXPECT_EQ(found({2013, 1}, 2020), "1.5/2.5/3.5");  // "All" holds for every plan year
  EXPECT_EQ(found({2011, 10}, 2011), "2.30/4.27/5.03");
  EXPECT_EQ(found({2011, 10}, std::nullopt),
            "The segment rates of 2011-10 differ by plan year (plan years beginning in 2010, "
            "2011 and 2012): name the plan year");
  EXPECT_EQ(found({2008, 1}, 2009),
            "The segment rates of 2008-01 are given for plan years beginning in 2008, not 2009");
  EXPECT_EQ(found({2013, 2}, std::nullopt),
            "The segment rates file \"rates.csv\" has no rates of 2013-02: it holds the months "
            "2008-01 to 2013-01");
  // Newest first, plan years in order within a month.
  std::string order;
  for (const SegmentRates& line : file.Lines())
    order += MonthText(line.month) + ":" + std::to_string(line.plan_year.value_or(0)) + " ";
  EXPECT_EQ(order, "2013-01:0 2011-10:2010 2011-10:2011 2011-10:2012 2008-01:2008 ");
  EXPECT_TRUE(file.SeveralPlanYears(file.Lines()[2]));
  EXPECT_FALSE(file.SeveralPlanYears(file.Lines()[0]));
}

// The regulation's worked examples for an annuity starting date in 2027-03 (synthetic rates, one
// line a month), and the month's line of the plan year that contains the date.
TEST(LumpSumBasis, TheStabilityPeriodFixesTheLookbackMonthAndTheTable) {
  using enum StabilityPeriod;
  const SegmentRateFile file = SegmentRateFile::Parse(
      kHeader +
          "All,2026-05,1,2,3\nAll,2026-08,1,2,3\nAll,2026-11,1,2,3\nAll,2027-02,1,2,3\n"
          "2009,2010-06,3.42,4.62,4.99\n2010,2010-06,3.06,4.86,5.43\n",
      "rates.csv");
  const struct {
    PlanTerms terms;
    Month paid, begins, lookback;
    int table_year;
  } kCases[] = {{{kCalendarYear, 2, 1}, {2027, 3}, {2027, 1}, {2026, 11}, 2027},
                {{kPlanYear, 2, 7}, {2027, 3}, {2026, 7}, {2026, 5}, 2026},
                {{kPlanQuarter, 3, 11}, {2027, 3}, {2027, 2}, {2026, 11}, 2027},
                {{kCalendarQuarter, 5, 1}, {2027, 3}, {2027, 1}, {2026, 8}, 2027},
                {{kMonth, 1, 1}, {2027, 3}, {2027, 3}, {2027, 2}, 2027},
                {{kCalendarQuarter, 1, 8}, {2010, 7}, {2010, 7}, {2010, 6}, 2010},
                {{kCalendarQuarter, 1, 8}, {2010, 9}, {2010, 7}, {2010, 6}, 2010}};
  for (const auto& c : kCases) {
    const LumpSumBasis basis = FindLumpSumBasis(c.terms, c.paid, file);
    EXPECT_EQ(std::tuple(basis.stability_begins, basis.lookback, basis.TableName()),
              std::tuple(c.begins, c.lookback, std::to_string(c.table_year) + "417e"))
        << MonthText(c.paid);
  }
  // July 2010 lies in the plan year that began in August 2009, September in that of 2010.
  EXPECT_EQ(FindLumpSumBasis(kCases[5].terms, {2010, 7}, file).rates.plan_year, 2009);
  EXPECT_EQ(FindLumpSumBasis(kCases[6].terms, {2010, 9}, file).rates.rates[0], "3.06");
  EXPECT_EQ(PlanTermsRefusal({kMonth, 0, 1}),
            "the lookback month is the 1st to 5th full month before the stability period, not 0");
  EXPECT_EQ(PlanTermsRefusal({kMonth, 5, 0}),
            "the plan year's first month is a month from 1 to 12, not 0");
}

}  // namespace
}  // namespace orvane::segment_rates
