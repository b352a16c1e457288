#include "dates/calendar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>

#include "dates/date_error.h"

namespace orvane::dates {
namespace {

constexpr CalendarDate kJan1st2008{2008, 1, 1};

template <typename F>
std::string ErrorOf(F&& call) try {
  call();
  return "";
} catch (const DateError& error) {
  return error.what();
}

// 2/12 - 30/372 = 0.086; 48 - 6/12 - 14/372 = 47.462; 4/31 is the day before 5/1; an end before
// the start gives a negative age, not a bound.
TEST(Calendar, AgesBetweenDatesTheirTextsAndEnteredAges) {
  const std::tuple<CalendarDate, CalendarDate, const char*> cases[] = {
      {kJan1st2008, {1943, 1, 1}, "65"},      {{2008, 3, 1}, {2008, 1, 31}, "0.086"},
      {kJan1st2008, {1960, 7, 15}, "47.462"}, {{2030, 1, 1}, {1962, 7, 1}, "67.5"},
      {{1940, 1, 1}, {1943, 1, 1}, "-3"},     {kJan1st2008, kJan1st2008, "0"},
      {{1962, 5, 1}, {1962, 4, 31}, "0.003"}, {kJan1st2008, {1962, 4, 31}, "45.669"}};
  for (const auto& [end, start, text] : cases)
    EXPECT_EQ(ComputedAgeText(AgeBetween(end, start)), text);
  EXPECT_EQ(AgeBetween(kJan1st2008, {1960, 7, 15}), 47.462);
  EXPECT_EQ(ComputedAgeText(-0.0001), "0");
  EXPECT_EQ(ErrorOf([] { ComputedAgeText(std::nan("")); }),
            "cannot show the age nan: it is not a finite number");
  // Entered ages outside 10 <= age < 100, or not numbers, become 65.
  const std::pair<const char*, double> ages[] = {
      {"", 65},    {"abc", 65}, {"9.999", 65}, {"10", 10}, {" 45.5 ", 45.5}, {"99.9999", 99.9999},
      {"100", 65}, {"-50", 65}, {"1e400", 65}};
  for (const auto& [text, age] : ages) EXPECT_EQ(AgeEntry(text), age) << text;
}

// 45.125 years are 16786.5 days, 45.375 are 16879.5: ties go to the even resulting day. Full
// precision counts: 47.4615 years are 17655.678 days.
TEST(Calendar, AddAgeRoundsTiesToTheEvenDayAndStaysInTheYearsRead) {
  const Day start = DayNumber(kJan1st2008);
  ASSERT_EQ(start, 746976);  // 372 x 2008 + 31 + 1 - 32
  const std::pair<double, Day> moves[] = {
      {-45.125, -16786}, {-45.375, -16880}, {45.375, 16880}, {-47.4615, -17656}};
  for (const auto& [age, days] : moves) EXPECT_EQ(AddAge(start, age), start + days) << age;
  EXPECT_EQ(AddAge(start + 1, -45.125), start + 1 - 16787);
  EXPECT_EQ(DayNumberText(AddAge(start, -45.5)), "7/1/1962");
  EXPECT_EQ(DayNumberText(AddAge(start, -45.669)), "4/31/1962");
  EXPECT_EQ(DayNumberText(AddAge(start, -1908)), "1/1/100");
  EXPECT_EQ(ErrorOf([&] { AddAge(start, std::nan("")); }),
            "cannot move the date 1/1/2008 by the age nan: it is not a finite number");
  EXPECT_EQ(ErrorOf([&] { AddAge(start, 8000); }),
            "cannot move the date 1/1/2008 by 8000 years: the result would leave the years "
            "100-9999");
  const Day last = DayNumber({9999, 12, 31});
  EXPECT_EQ(AddAge(last - 1, 1.0 / 372), last);
  EXPECT_THROW(AddAge(DayNumber({100, 1, 1}), -1.0 / 372), DateError);
  EXPECT_THROW(AddAge(last, 1.0 / 372), DateError);
}

TEST(Calendar, DayNumbersAndTheirTexts) {
  // Floor division below zero.
  EXPECT_EQ(DayNumberText(0) + " " + DayNumberText(-1) + " " + DayNumberText(-372) + " " +
                DayNumberText(-373),
            "1/1/0 12/31/-1 1/1/-1 12/31/-2");
  EXPECT_EQ(ErrorOf([] {
              DayNumber({-6000000, 1, 1});
            }),
            "the date 1/1/-6000000 lies outside the calendar");
  EXPECT_THROW(DayNumber({std::numeric_limits<int>::max(), 1, 1}), DateError);
  // Every day of several years, the days that real months lack included, reads back as itself.
  for (int year : {100, 999, 1943, 2000, 2029, 2030, 9999}) {
    for (int day = 0; day < 372; ++day) {
      const CalendarDate date{year, day / 31 + 1, day % 31 + 1};
      const std::string text = DayNumberText(DayNumber(date));
      ASSERT_EQ(text, std::to_string(date.month) + "/" + std::to_string(date.day) + "/" +
                          std::to_string(year));
      ASSERT_EQ(DateEntry(text), DayNumber(date)) << text;
    }
  }
}

TEST(Calendar, ParseDateReadsTheUsualFormsOnly) {
  const std::pair<const char*, CalendarDate> dates[] = {
      {"01/01/2008", {2008, 1, 1}}, {"  7/15/1960  ", {1960, 7, 15}},
      {"7/1/00", {2000, 7, 1}},     {"7/1/29", {2029, 7, 1}},
      {"7/1/30", {1930, 7, 1}},     {"7/1/99", {1999, 7, 1}},
      {"1/1/100", {100, 1, 1}},     {"12/31/9999", {9999, 12, 31}},
      {"2/30/2007", {2007, 2, 30}}, {"2008-01-31", {2008, 1, 31}},
      {"2008-1-5", {2008, 1, 5}},   {"\t1/5/1950\t", {1950, 1, 5}}};
  for (const auto& [text, date] : dates) EXPECT_EQ(ParseDate(text), date) << text;
  // A time of day is checked and dropped.
  for (const char* text : {"1/5/1950 10:30:15", "1/5/1950 0:00", "1/5/1950 23:59:59",
                           "1/5/1950 12:00 pm", "1/5/1950 1:05:00PM", "1950-01-05 10:30 AM "})
    EXPECT_EQ(ParseDate(text), (CalendarDate{1950, 1, 5})) << text;
  for (const char* bad :
       {"13/1/2008",  "0/5/2008",   "1/32/2008",        "1/0/2008",   "2008-13-01",
        "2008-00-01", "2008-01-32", "1/1/2008x",        "",           "   ",
        "1/1/99999",  "1//2008",    "1/1/0099",         "1/1/9",      "1 / 1 / 2008",
        "-1/1/2008",  "1-1-2008",   "08-01-01",         "001/1/2008", "1/001/2008",
        "20080101",   "2008/01/01", "2008-01-01T10:30", "1/1/2008\n", "1/1/99 x"})
    EXPECT_EQ(ParseDate(bad), std::nullopt) << '"' << bad << '"';
  for (const char* time : {"24:00", "10:60", "10:30:60", "0:30 AM", "13:00 PM", "10", "10:3",
                           "10:30 A", "10:30 AMX", "10:30 XM", "AM"})
    EXPECT_EQ(ParseDate(std::string("1/1/2008 ") + time), std::nullopt) << time;
}

}  // namespace
}  // namespace orvane::dates
