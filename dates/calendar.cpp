#include "dates/calendar.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "dates/date_error.h"
#include "numbers/number_text.h"
#include "numbers/rounding.h"

namespace orvane::dates {
namespace {

constexpr int kDaysInMonth = 31;
constexpr int kMonthsInYear = 12;
constexpr int kDaysInYear = kDaysInMonth * kMonthsInYear;
// The years every date the library writes must lie in, so that it reads back.
constexpr int kFirstYear = 100;
constexpr int kLastYear = 9999;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0)))
    --q;
  return q;
}

std::int64_t FloorMod(std::int64_t a, std::int64_t b) {
  return a - FloorDiv(a, b) * b;
}

std::string AgeForMessage(double age) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.10g", age);
  return buffer;
}

}  // namespace

Day DayNumber(const CalendarDate& date) {
  const std::int64_t n = std::int64_t{kDaysInYear} * date.year +
                         std::int64_t{kDaysInMonth} * date.month + date.day - 32;
  if (n < std::numeric_limits<Day>::min() || n > std::numeric_limits<Day>::max()) {
    throw DateError("the date " + std::to_string(date.month) + "/" + std::to_string(date.day) +
                    "/" + std::to_string(date.year) + " lies outside the calendar");
  }
  return static_cast<Day>(n);
}

CalendarDate DateOfDay(Day day) {
  CalendarDate date;
  date.year = static_cast<int>(FloorDiv(day, kDaysInYear));
  date.month = static_cast<int>(FloorMod(FloorDiv(day, kDaysInMonth), kMonthsInYear)) + 1;
  date.day = static_cast<int>(FloorMod(day, kDaysInMonth)) + 1;
  return date;
}

std::string DayNumberText(Day day) {
  const CalendarDate date = DateOfDay(day);
  // "##" and "####" show a positive whole number's digits and nothing else: the month and the
  // day, and the year from 1 on, are written directly (a census enters thousands of dates).
  // "####" drops a zero year altogether; a date text always names its year.
  const std::string year = date.year > 0    ? std::to_string(date.year)
                           : date.year == 0 ? "0"
                                            : numbers::FormatPicture(date.year, "####");
  return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" + year;
}

double AgeBetween(const CalendarDate& end, const CalendarDate& start) {
  // Term by term and in this order (years, months, days), as the form has always computed it; the
  // value is the difference of the two day numbers over 372.
  const double age = static_cast<double>(end.year - start.year) +
                     static_cast<double>(end.month - start.month) / kMonthsInYear +
                     (static_cast<double>(end.day - start.day) / kDaysInMonth) / kMonthsInYear;
  return numbers::RoundHalfEven(age, 3);
}

Day AddAge(Day day, double age) {
  if (!std::isfinite(age)) {
    throw DateError("cannot move the date " + DayNumberText(day) + " by the age " +
                    AgeForMessage(age) + ": it is not a finite number");
  }
  const double moved = numbers::RoundHalfEven(static_cast<double>(day) + kDaysInYear * age);
  constexpr double kFirstDay = double{kDaysInYear} * kFirstYear;
  constexpr double kLastDay = double{kDaysInYear} * (kLastYear + 1) - 1;
  if (!(moved >= kFirstDay && moved <= kLastDay)) {
    throw DateError("cannot move the date " + DayNumberText(day) + " by " + AgeForMessage(age) +
                    " years: the result would leave the years " + std::to_string(kFirstYear) + "-" +
                    std::to_string(kLastYear));
  }
  return static_cast<Day>(moved);
}

double AgeEntry(std::string_view text) {
  const double v = numbers::ParseNumber(text).value_or(0.0);
  // A typed age must be a plausible human age; anything else falls back to the usual
  // retirement age.
  if (v >= 10.0 && v < 100.0)
    return v;
  return 65.0;
}

std::optional<Day> DateEntry(std::string_view text) {
  const std::optional<CalendarDate> date = ParseDate(text);
  if (!date)
    return std::nullopt;
  return DayNumber(*date);
}

std::string ComputedAgeText(double age) {
  if (!std::isfinite(age)) {
    throw DateError("cannot show the age " + AgeForMessage(age) + ": it is not a finite number");
  }
  return numbers::ShortestText(numbers::RoundHalfEven(age, 3));
}

}  // namespace orvane::dates
