// The date parser of the date fields. It reads the forms people type on a US desktop and the
// forms this library writes, and nothing else: a text it cannot read in full is not a date.
#include <cstddef>
#include <optional>
#include <string_view>

#include "dates/calendar.h"

namespace orvane::dates {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// A run of digits read at the cursor: its value and how many digits it had.
struct Digits {
  int value = 0;
  int count = 0;
};

class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ == text_.size(); }

  // Reads between min_count and max_count digits; a longer run is refused, not split.
  std::optional<Digits> ReadDigits(int min_count, int max_count) {
    Digits d;
    while (!AtEnd() && IsDigit(text_[pos_])) {
      if (d.count == max_count)
        return std::nullopt;
      d.value = d.value * 10 + (text_[pos_] - '0');
      ++d.count;
      ++pos_;
    }
    if (d.count < min_count)
      return std::nullopt;
    return d;
  }

  bool Take(char c) {
    if (AtEnd() || Upper(text_[pos_]) != c)
      return false;
    ++pos_;
    return true;
  }

  bool Peek(char c) const { return !AtEnd() && text_[pos_] == c; }

  // Skips blanks and says how many there were.
  int SkipBlanks() {
    int n = 0;
    while (!AtEnd() && IsBlank(text_[pos_])) {
      ++pos_;
      ++n;
    }
    return n;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Two-digit years: 00-29 are this century's, 30-99 the last one's.
int WidenYear(const Digits& year) {
  if (year.count != 2)
    return year.value;
  return year.value < 30 ? 2000 + year.value : 1900 + year.value;
}

// m/d/yy, m/d/yyyy (also a 3-digit year, as DayNumberText writes years 100-999) or yyyy-mm-dd.
std::optional<CalendarDate> ReadDatePart(Cursor& in) {
  const std::optional<Digits> first = in.ReadDigits(1, 4);
  if (!first)
    return std::nullopt;
  CalendarDate date;
  if (first->count == 4 && in.Take('-')) {
    const std::optional<Digits> month = in.ReadDigits(1, 2);
    if (!month || !in.Take('-'))
      return std::nullopt;
    const std::optional<Digits> day = in.ReadDigits(1, 2);
    if (!day)
      return std::nullopt;
    date = {first->value, month->value, day->value};
  } else if (first->count <= 2 && in.Take('/')) {
    const std::optional<Digits> day = in.ReadDigits(1, 2);
    if (!day || !in.Take('/'))
      return std::nullopt;
    const std::optional<Digits> year = in.ReadDigits(2, 4);
    if (!year)
      return std::nullopt;
    date = {WidenYear(*year), first->value, day->value};
  } else {
    return std::nullopt;
  }
  return date;
}

// A time of day, h:mm or h:mm:ss with an optional AM or PM. It is checked and then ignored.
bool ReadTimeOfDay(Cursor& in) {
  const std::optional<Digits> hour = in.ReadDigits(1, 2);
  if (!hour || !in.Take(':'))
    return false;
  const std::optional<Digits> minute = in.ReadDigits(2, 2);
  if (!minute || minute->value > 59)
    return false;
  if (in.Take(':')) {
    const std::optional<Digits> second = in.ReadDigits(2, 2);
    if (!second || second->value > 59)
      return false;
  }
  in.SkipBlanks();
  const bool twelve_hour = (in.Peek('A') || in.Peek('a') || in.Peek('P') || in.Peek('p'));
  if (twelve_hour) {
    if (!(in.Take('A') || in.Take('P')) || !in.Take('M'))
      return false;
    return hour->value >= 1 && hour->value <= 12;
  }
  return hour->value <= 23;
}

}  // namespace

std::optional<CalendarDate> ParseDate(std::string_view text) {
  Cursor in(text);
  in.SkipBlanks();
  const std::optional<CalendarDate> date = ReadDatePart(in);
  if (!date)
    return std::nullopt;
  if (in.SkipBlanks() > 0 && !in.AtEnd()) {
    if (!ReadTimeOfDay(in))
      return std::nullopt;
    in.SkipBlanks();
  }
  if (!in.AtEnd())
    return std::nullopt;
  if (date->month < 1 || date->month > 12)
    return std::nullopt;
  if (date->day < 1 || date->day > 31)
    return std::nullopt;
  if (date->year < 100 || date->year > 9999)
    return std::nullopt;
  return date;
}

}  // namespace orvane::dates
