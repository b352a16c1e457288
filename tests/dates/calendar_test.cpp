#include "dates/calendar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "dates/date_error.h"
#include "numbers/number_text.h"

namespace orvane::dates {
namespace {

constexpr CalendarDate kJan1st2008{2008, 1, 1};

TEST(AgeBetween, WorkedExamplesAndTheirTexts) {
  EXPECT_EQ(AgeBetween(kJan1st2008, {1943, 1, 1}), 65.0);
  EXPECT_EQ(ComputedAgeText(AgeBetween(kJan1st2008, {1943, 1, 1})), "65");
  // 2/12 - 30/372 = 32/372 = 0.08602...
  EXPECT_EQ(ComputedAgeText(AgeBetween({2008, 3, 1}, {2008, 1, 31})), "0.086");
  // 48 - 6/12 - 14/372 = 47.46237...
  EXPECT_EQ(AgeBetween(kJan1st2008, {1960, 7, 15}), 47.462);
  EXPECT_EQ(ComputedAgeText(AgeBetween(kJan1st2008, {1960, 7, 15})), "47.462");
  EXPECT_EQ(ComputedAgeText(AgeBetween({2027, 7, 1}, {1962, 7, 1})), "65");
  EXPECT_EQ(ComputedAgeText(AgeBetween({2030, 1, 1}, {1962, 7, 1})), "67.5");
  // An end before the start gives a negative age, not a bound.
  EXPECT_EQ(ComputedAgeText(AgeBetween({1943, 1, 1}, kJan1st2008)), "-65");
  EXPECT_EQ(ComputedAgeText(AgeBetween({1940, 1, 1}, {1943, 1, 1})), "-3");
  EXPECT_EQ(ComputedAgeText(AgeBetween(kJan1st2008, kJan1st2008)), "0");
  // Days that real months lack count as any other day: 4/31 is one day before 5/1.
  EXPECT_EQ(AgeBetween({1962, 5, 1}, {1962, 4, 31}), 0.003);
  EXPECT_EQ(ComputedAgeText(AgeBetween(kJan1st2008, {1962, 4, 31})), "45.669");
}

TEST(ComputedAgeText, ShortestTextOfTheRoundedAge) {
  EXPECT_EQ(ComputedAgeText(45.5), "45.5");
  EXPECT_EQ(ComputedAgeText(47.46237), "47.462");
  EXPECT_EQ(ComputedAgeText(-0.0), "0");
  EXPECT_EQ(ComputedAgeText(-0.0001), "0");
  EXPECT_THROW(ComputedAgeText(std::nan("")), DateError);
  EXPECT_THROW(ComputedAgeText(std::numeric_limits<double>::infinity()), DateError);
}

TEST(AddAge, WorkedExamples) {
  const Day start = DayNumber(kJan1st2008);
  EXPECT_EQ(start, 746976);
  const Day back = AddAge(start, -45.5);
  EXPECT_EQ(DayNumberText(back), "7/1/1962");
  EXPECT_EQ(DayNumberText(AddAge(back, 65.0)), "7/1/2027");
  // 45.125 x 372 = 16786.5 days: the tie goes to the even day, 16786 days back.
  EXPECT_EQ(AddAge(start, -45.125), start - 16786);
  EXPECT_EQ(DayNumberText(AddAge(start, -45.125)), "11/17/1962");
  // 45.375 x 372 = 16879.5 days: 16880.
  EXPECT_EQ(AddAge(start, -45.375), start - 16880);
  EXPECT_EQ(AddAge(start, 45.375), start + 16880);
  // The tie is settled on the resulting day number, so from an odd day it goes the other way.
  EXPECT_EQ(AddAge(start + 1, -45.125), start + 1 - 16787);
  // Full precision counts, not a three-decimal display: 47.4615 x 372 = 17655.678.
  EXPECT_EQ(AddAge(start, -47.4615), start - 17656);
  EXPECT_EQ(AddAge(start, -47.462), start - 17656);
  EXPECT_EQ(DayNumberText(AddAge(start, -47.462)), "7/15/1960");
}

TEST(AddAge, DayThatTheMonthLacksReadsBack) {
  const Day day = AddAge(DayNumber(kJan1st2008), -45.669);
  EXPECT_EQ(DayNumberText(day), "4/31/1962");
  const auto parsed = ParseDate("4/31/1962");
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(*parsed, (CalendarDate{1962, 4, 31}));
  EXPECT_EQ(DayNumber(*parsed), day);
  EXPECT_EQ(DateEntry(DayNumberText(day)), day);
}

TEST(AddAge, RefusesNonFiniteAgesAndDatesOutsideTheYearsRead) {
  const Day start = DayNumber(kJan1st2008);
  try {
    AddAge(start, std::nan(""));
    FAIL() << "NaN accepted";
  } catch (const DateError& e) {
    EXPECT_EQ(std::string(e.what()),
              "cannot move the date 1/1/2008 by the age nan: it is not a finite number");
  }
  EXPECT_THROW(AddAge(start, std::numeric_limits<double>::infinity()), DateError);
  EXPECT_THROW(AddAge(start, -std::numeric_limits<double>::infinity()), DateError);
  EXPECT_THROW(AddAge(start, 1e300), DateError);
  try {
    AddAge(start, 8000);
    FAIL() << "year 10008 accepted";
  } catch (const DateError& e) {
    EXPECT_EQ(std::string(e.what()),
              "cannot move the date 1/1/2008 by 8000 years: the result would leave the years "
              "100-9999");
  }
  // The first and last days of the years read are reachable, one day further is not.
  const Day first = DayNumber({100, 1, 1});
  const Day last = DayNumber({9999, 12, 31});
  EXPECT_EQ(AddAge(first + 1, -1.0 / 372), first);
  EXPECT_EQ(AddAge(last - 1, 1.0 / 372), last);
  EXPECT_THROW(AddAge(first, -1.0 / 372), DateError);
  EXPECT_THROW(AddAge(last, 1.0 / 372), DateError);
  EXPECT_THROW(AddAge(start, -1909), DateError);
  EXPECT_EQ(DayNumberText(AddAge(start, -1908)), "1/1/100");
}

TEST(AgeEntry, BoundsAndFallback) {
  EXPECT_EQ(AgeEntry(""), 65.0);
  EXPECT_EQ(AgeEntry("abc"), 65.0);
  EXPECT_EQ(AgeEntry("9.999"), 65.0);
  EXPECT_EQ(AgeEntry("100"), 65.0);
  EXPECT_EQ(AgeEntry("-50"), 65.0);
  EXPECT_EQ(AgeEntry("1e400"), 65.0);
  EXPECT_EQ(AgeEntry("10"), 10.0);
  EXPECT_EQ(numbers::FormatPicture(AgeEntry("10"), "00.000"), "10.000");
  EXPECT_EQ(AgeEntry(" 45.5 "), 45.5);
  EXPECT_EQ(AgeEntry("99.9999"), 99.9999);
  EXPECT_EQ(numbers::FormatPicture(AgeEntry("99.9999"), "00.000"), "100.000");
  EXPECT_EQ(numbers::FormatPicture(AgeEntry("99.9999"), "#00.000"), "100.000");
}

TEST(DateEntry, DayNumberOrAbsent) {
  EXPECT_EQ(DateEntry("1/5/1950 10:30"), DayNumber({1950, 1, 5}));
  EXPECT_EQ(DateEntry("01/01/2008"), 746976);
  EXPECT_EQ(DateEntry(""), std::nullopt);
  EXPECT_EQ(DateEntry("abc"), std::nullopt);
  EXPECT_EQ(DateEntry("2/32/2008"), std::nullopt);
}

TEST(DayNumber, PositionsAndFloorDivisionBelowZero) {
  EXPECT_EQ(DayNumber({0, 1, 1}), 0);
  EXPECT_EQ(DayNumber({1962, 7, 1}), 372 * 1962 + 31 * 6);
  EXPECT_EQ(DayNumber({1962, 4, 31}) + 1, DayNumber({1962, 5, 1}));
  EXPECT_EQ(DayNumber({1962, 12, 31}) + 1, DayNumber({1963, 1, 1}));
  EXPECT_EQ(DayNumberText(0), "1/1/0");
  EXPECT_EQ(DayNumberText(-1), "12/31/-1");
  EXPECT_EQ(DayNumberText(-372), "1/1/-1");
  EXPECT_EQ(DayNumberText(-373), "12/31/-2");
  EXPECT_EQ(DateOfDay(-32), (CalendarDate{-1, 11, 31}));
  EXPECT_EQ(DateOfDay(std::numeric_limits<Day>::min()).month >= 1, true);
  EXPECT_EQ(DayNumber(DateOfDay(std::numeric_limits<Day>::min())), std::numeric_limits<Day>::min());
  EXPECT_EQ(DayNumber(DateOfDay(std::numeric_limits<Day>::max())), std::numeric_limits<Day>::max());
  EXPECT_THROW(DayNumber({std::numeric_limits<int>::max(), 1, 1}), DateError);
  EXPECT_THROW(DayNumber({-6000000, 1, 1}), DateError);
}

// Every day of several years, the days that real months lack included, reads back as itself.
TEST(DayNumberText, RoundTripsEveryDayOfSeveralYears) {
  for (int year : {100, 999, 1900, 1943, 2000, 2008, 2029, 2030, 9999}) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= 31; ++day) {
        const CalendarDate date{year, month, day};
        const std::string text = DayNumberText(DayNumber(date));
        ASSERT_EQ(text,
                  std::to_string(month) + "/" + std::to_string(day) + "/" + std::to_string(year));
        const auto parsed = ParseDate(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        ASSERT_EQ(*parsed, date) << text;
      }
    }
  }
}

}  // namespace
}  // namespace orvane::dates
