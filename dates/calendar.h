// Dates and ages on the 372-day calendar: twelve months of 31 days, so a month is always 1/12
// year and a day 1/372 year, whatever the real length of the month.
//
// Map of this library:
//   calendar.h      the six pure operations (DayNumber, DayNumberText, AgeBetween, AddAge,
//                   AgeEntry, DateEntry), the date parser and the age texts.
//   date_error.h    the one error type of the library.
//   (later) the seven date and age field handlers that keep the form's dates and ages
//   consistent.
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

// 372 x year + 31 x month + day - 32.
Day DayNumber(const CalendarDate& date);

// The date of a day number as month/day/year without leading zeros ("7/1/1962").
std::string DayNumberText(Day day);

// The age from `start` to `end` in years, rounded to 3 decimals with ties to even; negative when
// end lies before start.
double AgeBetween(const CalendarDate& end, const CalendarDate& start);

// day + 372 x age, rounded to a whole day with ties to even (age negative to go back). Throws
// DateError when the age is not finite or the result leaves the years 100-9999.
Day AddAge(Day day, double age);

// An age typed into an age field: 0 for an empty or unreadable text; then any value outside
// 10 <= v < 100 becomes 65.
double AgeEntry(std::string_view text);

// The day number of a typed date, or nothing for an empty text or one that is not a date.
std::optional<Day> DateEntry(std::string_view text);

// An age computed from two dates as the form shows it: the shortest decimal text (65, 45.5).
std::string ComputedAgeText(double age);

}  // namespace orvane::dates
