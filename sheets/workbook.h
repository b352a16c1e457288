// The small workbook interface that the exports and the yield curve reader are written against.
//
// Writing goes to a new .xlsx (libxlsxwriter), reading comes from the first sheet of an .xls
// (FreeXL). Both turn every library return code into SheetError naming the file and, where it
// applies, the cell, because a line on stderr is invisible in a window.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
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

// A chart drawn by the spreadsheet from cells of the workbook: each series is a rectangle of
// one column (or row) of a sheet, so the chart follows the cells when the user edits them.
enum class ChartKind { kColumn, kLine };

struct ChartSeries {
  std::string name;  // the legend's entry
  int sheet = 0;     // the sheet that holds the cells (0 is the first)
  CellRange values;
  std::optional<CellRange> categories;  // the x axis' labels; none: 1, 2, 3, ...
};

struct Chart {
  ChartKind kind = ChartKind::kLine;
  std::string title, x_axis, y_axis;
  std::string y_number_format;  // the value axis' display format; empty: the general format
  std::vector<ChartSeries> series;
  int row = 0, column = 0;                       // the cell that holds the chart's top-left corner
  double width_scale = 1.0, height_scale = 1.0;  // of the default 480 x 288 pixels
};

// A new workbook, written to `file` by Close. It starts with one sheet (index 0, named by the
// library "Sheet1"); AddSheet appends more. Operations may come in any order: the content, the
// number formats, the fitted columns, the wrapped rows and the charts are gathered and written in
// one pass when the workbook is closed, each distinct format created once. A workbook destroyed
// without Close writes nothing. The `sheet` argument of every operation is a sheet's index.
class NewWorkbook {
 public:
  // Throws SheetError when the writer cannot be set up.
  explicit NewWorkbook(std::filesystem::path file);
  ~NewWorkbook();
  NewWorkbook(const NewWorkbook&) = delete;
  NewWorkbook& operator=(const NewWorkbook&) = delete;

  // Appends a sheet named `name` and returns its index. Throws SheetError for a name the
  // spreadsheet refuses (empty, a duplicate, longer than 31 characters, one of []:*?/\).
  int AddSheet(const std::string& name);

  // The name of a sheet, as formulas and charts refer to it. Throws SheetError for no such sheet.
  std::string SheetName(int sheet) const;

  // Writes element (i, j) of `block` to row range.first_row + i, column range.first_column + j;
  // elements that fall outside the rectangle are dropped, and an empty element empties its cell.
  // Numbers are stored with 16 significant digits (libxlsxwriter's precision; Excel shows 15).
  // Throws SheetError for a number that is not finite or of magnitude 1e308 or more (naming the
  // cell), or for a block whose cells do not match its size.
  void WriteBlock(const CellRange& range, const CellBlock& block, int sheet = 0);

  // Writes one cell (0-based row and column); throws SheetError as WriteBlock does.
  void WriteCell(int row, int column, Cell value, int sheet = 0);

  // Writes a formula (with or without its leading "=") into one cell; `cached_result` is the value
  // shown by readers that do not recalculate.
  void WriteFormula(int row, int column, std::string formula, double cached_result, int sheet = 0);

  // Gives every written cell of the rectangle the display format `format` ("0.000", "###,##0.00");
  // a later format wins where rectangles overlap. Cells of the rectangle that hold nothing stay
  // unwritten.
  void SetNumberFormat(const CellRange& range, std::string format, int sheet = 0);

  // Sets the column as wide as the longest text it holds, and at least `at_least` characters (at
  // least the default width); numbers do not count, so a column of numbers names its width.
  void FitColumn(int column, int sheet = 0, int at_least = 0);

  // Lets the texts of the row wrap.
  void WrapRow(int row, int sheet = 0);

  // Places a chart on `sheet`. Throws SheetError for a series on no such sheet or a chart
  // without series; the library's own refusals surface at Close.
  void AddChart(const Chart& chart, int sheet = 0);

  // Prints the sheet landscape on one page.
  void PrintOnOnePage(int sheet = 0);

  // Writes the file. Throws SheetError naming the file when the workbook cannot be written (a
  // missing folder, no permission, a full disk) or a cell or chart is refused. Call once.
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
