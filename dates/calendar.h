// Dates and ages on the 372-day calendar: twelve months of 31 days, so a month is always 1/12
// year and a day 1/372 year, whatever the real length of the month.
//
// Map of this library:
//   calendar.h             the six pure operations (DayNumber, DayNumberText, AgeBetween,
//                          AddAge, AgeEntry, DateEntry), the date parser and the age texts.
//   date_error.h           the one error type of the library.
//   date_age_handlers.h    the seven validate handlers that keep the form's four dates and
//                          three ages consistent, through the DateAgeForm read/write interface.
//
// Every date the library writes (through AddAge and DayNumberText) lies in the years 100-9999
// and reads back through ParseDate as the same day, 4/31/1962 included.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::dates {

// A position on the 372-day calendar: 372 x year + 31 x (month - 1) + (day - 1).
using Day = std::int32_t;

// A date as the parser yields it: month 1..12 and day 1..31 in every month (the 372-day calendar
// has no short months, so 4/31/1962, which AddAge can produce, is a date here).
struct CalendarDate {
  int year = 0;
  int month = 1;
  int day = 1;
  friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// Reads m/d/yyyy, m/d/yy (00-29 -> 2000s, 30-99 -> 1900s) and yyyy-mm-dd, each optionally
// followed by a time of day (10:30, 10:30:15, 10:30 AM), with blanks around. Refuses a month
// outside 1-12, a day outside 1-31, a year outside 100-9999 and anything else. Never throws.
std::optional<CalendarDate> ParseDate(std::string_view text);

// 372 x year + 31 x month + day - 32. Throws DateError when the result does not fit 32 bits
// (only for dates far outside the years the parser reads).
Day DayNumber(const CalendarDate& date);

// The calendar date of a day number (floor division, so day -1 is 12/31 of year -1). The inverse
// of DayNumber for every month 1-12 and day 1-31. Never throws.
CalendarDate DateOfDay(Day day);

// The date of a day number as month/day/year without leading zeros ("7/1/1962"); year 0 is
// written "0". Never throws.
std::string DayNumberText(Day day);

// The age from `start` to `end` in years, rounded to 3 decimals with ties to even; negative when
// end lies before start. Never throws.
double AgeBetween(const CalendarDate& end, const CalendarDate& start);

// day + 372 x age, rounded to a whole day with ties to even (age negative to go back). Throws
// DateError when the age is not finite or the result leaves the years 100-9999.
Day AddAge(Day day, double age);

// An age typed into an age field: 0 for an empty or unreadable text; then any value outside
// 10 <= v < 100 becomes 65. Never throws.
double AgeEntry(std::string_view text);

// The day number of a typed date, or nothing for an empty text or one that is not a date.
// Never throws.
std::optional<Day> DateEntry(std::string_view text);

// An age computed from two dates as the form shows it: the shortest decimal text of the age
// rounded to 3 decimals (65, 45.5, 47.462). Throws DateError when the age is not finite.
std::string ComputedAgeText(double age);

}  // namespace orvane::dates
