#include "dates/month.h"

#include <algorithm>
#include <cctype>

namespace orvane::dates {
namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

std::optional<Month> ParseMonth(std::string_view text) {
  if (text.size() != 7 || text[4] != '-' || !AllDigits(text.substr(0, 4)) ||
      !AllDigits(text.substr(5)))
    return std::nullopt;
  const Month month{std::stoi(std::string(text.substr(0, 4))),
                    std::stoi(std::string(text.substr(5)))};
  if (month.month < 1 || month.month > 12)
    return std::nullopt;
  return month;
}

std::string MonthText(Month month) {
  std::string text = std::to_string(month.year);
  text.insert(0, 4 - std::min<std::size_t>(4, text.size()), '0');
  return text + (month.month < 10 ? "-0" : "-") + std::to_string(month.month);
}

Month MonthsAfter(Month month, int count) {
  const int index = month.year * 12 + (month.month - 1) + count;
  const int year = index >= 0 ? index / 12 : -((-index + 11) / 12);
  return Month{year, index - year * 12 + 1};
}

}  // namespace orvane::dates
