// The small workbook interface that the exports and the yield curve reader are written against.
//
// Writing goes to a new .xlsx (libxlsxwriter), reading comes from the first sheet of an .xls
// (FreeXL). Both turn every library return code into SheetError naming the file and, where it
// applies, the cell, because a line on stderr is invisible in a window.
#pragma once

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvane::sheets {

// One cell: nothing, a whole number, a number or a text. A text is always stored as a string,
// whatever it begins with: a field text "=1+1" stays the text "=1+1" and never becomes a formula.
using Cell = std::variant<std::monostate, long, double, std::string>;

// A rectangle of cells with 0-based rows and columns, both corners included.
struct CellRange {
  int first_row = 0;
  int first_column = 0;
  int last_row = 0;
  int last_column = 0;

  // Parses "A1", "B2:B1441" or "AA10:AO201" (columns A..ZZ, rows from 1; letters of either case).
  // Throws SheetError naming the text when it is malformed or its corners are out of order.
  static CellRange Parse(std::string_view name);

  int Rows() const { return last_row - first_row + 1; }
  int Columns() const { return last_column - first_column + 1; }
  bool Contains(int row, int column) const {
    return row >= first_row && row <= last_row && column >= first_column && column <= last_column;
  }
};

// The A1-style name of the 0-based cell (row, column): CellLabel(0, 0) is "A1", CellLabel(11, 0)
// "A12", CellLabel(0, 26) "AA1". For messages; any non-negative row and column.
std::string CellLabel(int row, int column);

// A two-dimensional block of cells laid out with the row index varying fastest: element (i, j)
// is cells[j * rows + i]. cells must hold rows x columns elements.
struct CellBlock {
  std::span<const Cell> cells;
  int rows = 0;
  int columns = 0;
};

// A new workbook with one sheet, written to `file` by Close. Operations may come in any order:
// the content, the number formats, the fitted columns and the wrapped rows are gathered and
// written in one pass when the workbook is closed, each distinct format created once. A workbook
// destroyed without Close writes nothing.
class NewWorkbook {
 public:
  // Throws SheetError when the writer cannot be set up.
  explicit NewWorkbook(std::filesystem::path file);
  ~NewWorkbook();
  NewWorkbook(const NewWorkbook&) = delete;
  NewWorkbook& operator=(const NewWorkbook&) = delete;

  // Writes element (i, j) of `block` to row range.first_row + i, column range.first_column + j;
  // elements that fall outside the rectangle are dropped, and an empty element empties its cell.
  // Numbers are stored with 16 significant digits (libxlsxwriter's precision; Excel shows 15).
  // Throws SheetError for a number that is not finite or of magnitude 1e308 or more (naming the
  // cell), or for a block whose cells do not match its size.
  void WriteBlock(const CellRange& range, const CellBlock& block);

  // Writes one cell (0-based row and column); throws SheetError as WriteBlock does.
  void WriteCell(int row, int column, Cell value);

  // Writes a formula (with or without its leading "=") into one cell; `cached_result` is the value
  // shown by readers that do not recalculate.
  void WriteFormula(int row, int column, std::string formula, double cached_result);

  // Gives every written cell of the rectangle the display format `format` ("0.000", "###,##0.00");
  // a later format wins where rectangles overlap. Cells of the rectangle that hold nothing stay
  // unwritten.
  void SetNumberFormat(const CellRange& range, std::string format);

  // Sets the column as wide as the longest text it holds (at least the default width).
  void FitColumn(int column);

  // Lets the texts of the row wrap.
  void WrapRow(int row);

  // Writes the file. Throws SheetError naming the file when the workbook cannot be written (a
  // missing folder, no permission, a full disk) or a cell is refused. Call once.
  void Close();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The used range of a sheet, counted from A1: rows x columns cells, row-major.
struct UsedRange {
  int rows = 0;
  int columns = 0;
  std::vector<Cell> cells;

  // The cell at 0-based (row, column); nothing outside the range.
  const Cell& At(int row, int column) const;
};

// Reads the used range of the first sheet of the .xls `file`. Dates and times read as their text.
// Throws SheetError naming the file for a missing, unreadable or password-protected workbook, or
// one without a sheet.
// The workbook is read in a child process, so that a damaged file that makes the reading library
// fault (or hang for 30 seconds) gives a SheetError too instead of ending the program.
UsedRange ReadFirstSheet(const std::filesystem::path& file);

namespace detail {
// The same reading in this process, without the protection of a child process.
UsedRange ReadFirstSheetInProcess(const std::filesystem::path& file);
}  // namespace detail

}  // namespace orvane::sheets
