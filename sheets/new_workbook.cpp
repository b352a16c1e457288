// NewWorkbook on libxlsxwriter. The library only writes the file at workbook_close(), and it
// cannot change a cell's format after the cell is written, so each sheet is gathered here first
// and handed over in one pass at Close, each distinct format created once.
#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "sheets/sheet_error.h"
#include "sheets/workbook.h"

namespace orvane::sheets {
namespace {

constexpr double kLargestNumber = 1e308;

// A cell as gathered: its value (a formula is held as its text) and the order of writing, so
// that the last write to a cell wins.
struct Entry {
  std::uint32_t row = 0;
  std::uint16_t column = 0;
  bool formula = false;
  double cached_result = 0.0;
  Cell value;
};

// The width of a text in characters: UTF-8 continuation bytes do not count.
std::size_t DisplayLength(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

// What one sheet gathers until Close.
struct SheetContent {
  lxw_worksheet* sheet = nullptr;
  std::vector<Entry> entries;
  std::vector<std::pair<CellRange, std::string>> formats;   // in the order they were set
  std::vector<std::pair<int, std::size_t>> fitted_columns;  // column, least width
  std::vector<int> wrapped_rows;
  std::vector<Chart> charts;
  bool one_page = false;
};

struct NewWorkbook::State {
  std::filesystem::path file;
  lxw_workbook* workbook = nullptr;
  std::vector<SheetContent> sheets;
  // (sheet, format index or -1, wrap)
  std::map<std::tuple<int, int, bool>, lxw_format*> made_formats;

  SheetContent& Sheet(int sheet) {
    if (sheet < 0 || sheet >= static_cast<int>(sheets.size())) {
      throw SheetError("the workbook \"" + file.string() + "\" has no sheet " +
                       std::to_string(sheet + 1));
    }
    return sheets[static_cast<std::size_t>(sheet)];
  }

  std::string Where(int row, int column) const {
    return "cell " + CellLabel(row, column) + " of \"" + file.string() + "\"";
  }

  void CheckPlace(int row, int column) const {
    if (row < 0 || column < 0 || row >= static_cast<int>(LXW_ROW_MAX) ||
        column >= static_cast<int>(LXW_COL_MAX)) {
      throw SheetError("row " + std::to_string(row) + ", column " + std::to_string(column) +
                       " lies outside the sheet of \"" + file.string() + "\"");
    }
  }

  void Add(int sheet, int row, int column, Cell value) {
    SheetContent& content = Sheet(sheet);
    CheckPlace(row, column);
    if (const double* number = std::get_if<double>(&value)) {
      CheckNumber(*number, row, column);
    }
    content.entries.push_back(Entry{static_cast<std::uint32_t>(row),
                                    static_cast<std::uint16_t>(column), false, 0.0,
                                    std::move(value)});
  }

  // libxlsxwriter writes numbers with 16 significant digits, so a number within a few units of
  // the largest double would be written as one that overflows when the sheet is read.
  void CheckNumber(double number, int row, int column) const {
    if (!std::isfinite(number)) {
      throw SheetError("the number for " + Where(row, column) + " is not finite");
    }
    if (std::abs(number) >= kLargestNumber) {
      throw SheetError("the number for " + Where(row, column) + " is too large for a workbook");
    }
  }

  void Check(lxw_error error, const std::string& what) const {
    if (error != LXW_NO_ERROR) {
      throw SheetError("cannot write " + what + ": " + lxw_strerror(error));
    }
  }

  // The format of a cell: the last number format whose rectangle holds it, and the wrap of its
  // row; nullptr when neither applies.
  lxw_format* FormatOf(int sheet, int row, int column) {
    const SheetContent& content = sheets[static_cast<std::size_t>(sheet)];
    int index = -1;
    for (int i = static_cast<int>(content.formats.size()) - 1; i >= 0; --i) {
      if (content.formats[i].first.Contains(row, column)) {
        index = i;
        break;
      }
    }
    const bool wrap = std::find(content.wrapped_rows.begin(), content.wrapped_rows.end(), row) !=
                      content.wrapped_rows.end();
    if (index < 0 && !wrap) {
      return nullptr;
    }
    lxw_format*& made = made_formats[{sheet, index, wrap}];
    if (made == nullptr) {
      made = workbook_add_format(workbook);
      if (made == nullptr) {
        throw SheetError("cannot create a cell format for \"" + file.string() + "\"");
      }
      if (index >= 0) {
        format_set_num_format(made, content.formats[index].second.c_str());
      }
      if (wrap) {
        format_set_text_wrap(made);
      }
    }
    return made;
  }

  // The entries in sheet order, one per cell: the last write to a cell wins.
  static std::vector<const Entry*> FinalEntries(const SheetContent& content) {
    std::vector<const Entry*> order;
    order.reserve(content.entries.size());
    for (const Entry& entry : content.entries) {
      order.push_back(&entry);
    }
    std::stable_sort(order.begin(), order.end(), [](const Entry* a, const Entry* b) {
      return a->row != b->row ? a->row < b->row : a->column < b->column;
    });
    std::vector<const Entry*> last;
    last.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
      const bool superseded = i + 1 < order.size() && order[i + 1]->row == order[i]->row &&
                              order[i + 1]->column == order[i]->column;
      if (!superseded) {
        last.push_back(order[i]);
      }
    }
    return last;
  }

  void WriteEntry(int sheet, const Entry& entry, std::map<int, std::size_t>& widest) {
    const int row = static_cast<int>(entry.row);
    const int column = entry.column;
    if (std::holds_alternative<std::monostate>(entry.value)) {
      return;
    }
    lxw_worksheet* target = sheets[static_cast<std::size_t>(sheet)].sheet;
    lxw_format* format = FormatOf(sheet, row, column);
    lxw_error error = LXW_NO_ERROR;
    if (entry.formula) {
      error = worksheet_write_formula_num(target, entry.row, entry.column,
                                          std::get<std::string>(entry.value).c_str(), format,
                                          entry.cached_result);
    } else if (const long* whole = std::get_if<long>(&entry.value)) {
      error = worksheet_write_number(target, entry.row, entry.column, static_cast<double>(*whole),
                                     format);
    } else if (const double* number = std::get_if<double>(&entry.value)) {
      error = worksheet_write_number(target, entry.row, entry.column, *number, format);
    } else {
      const std::string& text = std::get<std::string>(entry.value);
      error = worksheet_write_string(target, entry.row, entry.column, text.c_str(), format);
      if (auto found = widest.find(column); found != widest.end()) {
        found->second = std::max(found->second, DisplayLength(text));
      }
    }
    Check(error, Where(row, column));
  }

  void WriteSheet(int sheet) {
    SheetContent& content = sheets[static_cast<std::size_t>(sheet)];
    std::map<int, std::size_t> widest;
    for (const auto& [column, least] : content.fitted_columns) {
      widest[column] = std::max(widest[column], least);
    }
    for (const Entry* entry : FinalEntries(content)) {
      WriteEntry(sheet, *entry, widest);
    }
    for (const auto& [column, length] : widest) {
      // Excel's default column holds 8.43 characters; one more than the text keeps it off the
      // edge.
      const double width = std::clamp(static_cast<double>(length) + 1.0, LXW_DEF_COL_WIDTH, 255.0);
      const auto col = static_cast<lxw_col_t>(column);
      Check(worksheet_set_column(content.sheet, col, col, width, nullptr),
            "the width of column " + std::to_string(column + 1) + " of \"" + file.string() + "\"");
    }
    for (int row : content.wrapped_rows) {
      Check(worksheet_set_row(content.sheet, static_cast<lxw_row_t>(row), LXW_DEF_ROW_HEIGHT,
                              FormatOf(sheet, row, -1)),
            "the wrap of row " + std::to_string(row + 1) + " of \"" + file.string() + "\"");
    }
    for (const Chart& chart : content.charts) {
      WriteChart(content.sheet, chart);
    }
    if (content.one_page) {
      worksheet_set_landscape(content.sheet);
      worksheet_fit_to_pages(content.sheet, 1, 1);
    }
  }

  void WriteChart(lxw_worksheet* target, const Chart& chart) {
    const std::string what = "the chart \"" + chart.title + "\" of \"" + file.string() + "\"";
    lxw_chart* made = workbook_add_chart(
        workbook, chart.kind == ChartKind::kColumn ? LXW_CHART_COLUMN : LXW_CHART_LINE);
    if (made == nullptr) {
      throw SheetError("cannot create " + what);
    }
    for (const ChartSeries& entry : chart.series) {
      lxw_chart_series* series = chart_add_series(made, nullptr, nullptr);
      if (series == nullptr) {
        throw SheetError("cannot add the series \"" + entry.name + "\" to " + what);
      }
      // The library keeps its own copies of these names.
      const std::string sheet_name = sheets[static_cast<std::size_t>(entry.sheet)].sheet->name;
      const CellRange& v = entry.values;
      chart_series_set_values(series, sheet_name.c_str(), static_cast<lxw_row_t>(v.first_row),
                              static_cast<lxw_col_t>(v.first_column),
                              static_cast<lxw_row_t>(v.last_row),
                              static_cast<lxw_col_t>(v.last_column));
      if (entry.categories) {
        const CellRange& c = *entry.categories;
        chart_series_set_categories(series, sheet_name.c_str(), static_cast<lxw_row_t>(c.first_row),
                                    static_cast<lxw_col_t>(c.first_column),
                                    static_cast<lxw_row_t>(c.last_row),
                                    static_cast<lxw_col_t>(c.last_column));
      }
      chart_series_set_name(series, entry.name.c_str());
    }
    chart_title_set_name(made, chart.title.c_str());
    chart_axis_set_name(made->x_axis, chart.x_axis.c_str());
    chart_axis_set_name(made->y_axis, chart.y_axis.c_str());
    if (!chart.y_number_format.empty()) {
      chart_axis_set_num_format(made->y_axis, chart.y_number_format.c_str());
    }
    chart_legend_set_position(
        made, chart.series.size() > 1 ? LXW_CHART_LEGEND_BOTTOM : LXW_CHART_LEGEND_NONE);
    lxw_chart_options options{};
    options.x_scale = chart.width_scale;
    options.y_scale = chart.height_scale;
    Check(worksheet_insert_chart_opt(target, static_cast<lxw_row_t>(chart.row),
                                     static_cast<lxw_col_t>(chart.column), made, &options),
          what);
  }
};

NewWorkbook::NewWorkbook(std::filesystem::path file) : state_(std::make_unique<State>()) {
  state_->file = std::move(file);
  state_->workbook = workbook_new(state_->file.string().c_str());
  if (state_->workbook == nullptr) {
    throw SheetError("cannot start the workbook \"" + state_->file.string() + "\"");
  }
  lxw_worksheet* sheet = workbook_add_worksheet(state_->workbook, nullptr);
  if (sheet == nullptr) {
    lxw_workbook_free(state_->workbook);
    state_->workbook = nullptr;
    throw SheetError("cannot add a sheet to the workbook \"" + state_->file.string() + "\"");
  }
  state_->sheets.emplace_back().sheet = sheet;
}

NewWorkbook::~NewWorkbook() {
  if (state_ && state_->workbook != nullptr) {
    lxw_workbook_free(state_->workbook);  // discards: nothing reaches the disk
  }
}

int NewWorkbook::AddSheet(const std::string& name) {
  State& s = *state_;
  const std::string what = "the sheet \"" + name + "\" of \"" + s.file.string() + "\"";
  if (name.empty()) {
    throw SheetError("cannot write " + what + ": a sheet needs a name");
  }
  s.Check(workbook_validate_sheet_name(s.workbook, name.c_str()), what);
  lxw_worksheet* sheet = workbook_add_worksheet(s.workbook, name.c_str());
  if (sheet == nullptr) {
    throw SheetError("cannot add " + what);
  }
  s.sheets.emplace_back().sheet = sheet;
  return static_cast<int>(s.sheets.size()) - 1;
}

std::string NewWorkbook::SheetName(int sheet) const {
  return state_->Sheet(sheet).sheet->name;
}

void NewWorkbook::WriteBlock(const CellRange& range, const CellBlock& block, int sheet) {
  if (block.rows < 0 || block.columns < 0 ||
      block.cells.size() != static_cast<std::size_t>(block.rows) * block.columns) {
    throw SheetError("a block of " + std::to_string(block.cells.size()) + " cells is not " +
                     std::to_string(block.rows) + " rows by " + std::to_string(block.columns) +
                     " columns");
  }
  const int rows = std::min(block.rows, range.Rows());
  const int columns = std::min(block.columns, range.Columns());
  std::vector<Entry>& entries = state_->Sheet(sheet).entries;
  entries.reserve(entries.size() + static_cast<std::size_t>(rows) * columns);
  for (int j = 0; j < columns; ++j) {
    const std::size_t start = static_cast<std::size_t>(j) * block.rows;
    for (int i = 0; i < rows; ++i) {
      state_->Add(sheet, range.first_row + i, range.first_column + j, block.cells[start + i]);
    }
  }
}

void NewWorkbook::WriteCell(int row, int column, Cell value, int sheet) {
  state_->Add(sheet, row, column, std::move(value));
}

void NewWorkbook::WriteFormula(int row, int column, std::string formula, double cached_result,
                               int sheet) {
  SheetContent& content = state_->Sheet(sheet);
  state_->CheckPlace(row, column);
  state_->CheckNumber(cached_result, row, column);
  content.entries.push_back(Entry{static_cast<std::uint32_t>(row),
                                  static_cast<std::uint16_t>(column), true, cached_result,
                                  std::move(formula)});
}

void NewWorkbook::SetNumberFormat(const CellRange& range, std::string format, int sheet) {
  state_->Sheet(sheet).formats.emplace_back(range, std::move(format));
}

void NewWorkbook::FitColumn(int column, int sheet, int at_least) {
  SheetContent& content = state_->Sheet(sheet);
  state_->CheckPlace(0, column);
  content.fitted_columns.emplace_back(column, static_cast<std::size_t>(std::max(at_least, 0)));
}

void NewWorkbook::WrapRow(int row, int sheet) {
  SheetContent& content = state_->Sheet(sheet);
  state_->CheckPlace(row, 0);
  content.wrapped_rows.push_back(row);
}

void NewWorkbook::AddChart(const Chart& chart, int sheet) {
  SheetContent& content = state_->Sheet(sheet);
  state_->CheckPlace(chart.row, chart.column);
  if (chart.series.empty()) {
    throw SheetError("the chart \"" + chart.title + "\" has no series");
  }
  for (const ChartSeries& series : chart.series) {
    state_->Sheet(series.sheet);
  }
  content.charts.push_back(chart);
}

void NewWorkbook::PrintOnOnePage(int sheet) {
  state_->Sheet(sheet).one_page = true;
}

void NewWorkbook::Close() {
  State& s = *state_;
  if (s.workbook == nullptr) {
    throw SheetError("the workbook \"" + s.file.string() + "\" is already closed");
  }
  for (int sheet = 0; sheet < static_cast<int>(s.sheets.size()); ++sheet) {
    s.WriteSheet(sheet);
  }
  lxw_workbook* workbook = s.workbook;
  s.workbook = nullptr;  // workbook_close frees it, whatever it returns
  s.Check(workbook_close(workbook), "the workbook \"" + s.file.string() + "\"");
}

}  // namespace orvane::sheets
