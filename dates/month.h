// A calendar month, as the IRS publishes its monthly rates and as the census and the command line
// write it: YYYY-MM.
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::dates {

struct Month {
  int year = 0;
  int month = 0;  // 1 to 12
  friend auto operator<=>(const Month&, const Month&) = default;
};

// "2025-11" as a month: four digits, a dash, two digits from 01 to 12, nothing else. Never throws.
std::optional<Month> ParseMonth(std::string_view text);

// "2025-11". Never throws.
std::string MonthText(Month month);

// The month `count` months after `month` (before it for a negative count). Never throws.
Month MonthsAfter(Month month, int count);

}  // namespace orvane::dates
