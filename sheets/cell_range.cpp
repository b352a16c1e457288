#include <cctype>
#include <string>
#include <string_view>

#include "sheets/sheet_error.h"
#include "sheets/workbook.h"
#include "text/text.h"

namespace orvane::sheets {
namespace {

using text::Quoted;

constexpr int kMaxColumns = 702;   // A..ZZ, far beyond any sheet Orvane writes
constexpr int kMaxRows = 1048576;  // the .xlsx limit

// Reads one corner such as "B2" or "ao201" from the front of `text`; returns false when the
// corner is malformed. Advances `text` past the corner.
bool ParseCorner(std::string_view& text, int& row, int& column) {
  std::size_t i = 0;
  int letters = 0;
  column = 0;
  while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
    column = column * 26 + (std::toupper(static_cast<unsigned char>(text[i])) - 'A' + 1);
    ++i;
    if (++letters > 2) {
      return false;
    }
  }
  if (letters == 0 || i == text.size() || !std::isdigit(static_cast<unsigned char>(text[i])) ||
      text[i] == '0') {
    return false;
  }
  long number = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    number = number * 10 + (text[i] - '0');
    ++i;
    if (number > kMaxRows) {
      return false;
    }
  }
  if (column > kMaxColumns) {
    return false;
  }
  row = static_cast<int>(number) - 1;
  column -= 1;
  text.remove_prefix(i);
  return true;
}

}  // namespace

std::string CellLabel(int row, int column) {
  std::string letters;
  for (long n = static_cast<long>(column) + 1; n > 0; n = (n - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
  }
  return letters + std::to_string(static_cast<long>(row) + 1);
}

CellRange CellRange::Parse(std::string_view name) {
  const auto fail = [&]() {
    return SheetError(Quoted(name) + " is not a cell or a rectangle of cells");
  };
  std::string_view rest = name;
  CellRange range;
  if (!ParseCorner(rest, range.first_row, range.first_column)) {
    throw fail();
  }
  if (rest.empty()) {
    range.last_row = range.first_row;
    range.last_column = range.first_column;
    return range;
  }
  if (rest.front() != ':') {
    throw fail();
  }
  rest.remove_prefix(1);
  if (!ParseCorner(rest, range.last_row, range.last_column) || !rest.empty() ||
      range.last_row < range.first_row || range.last_column < range.first_column) {
    throw fail();
  }
  return range;
}

}  // namespace orvane::sheets
