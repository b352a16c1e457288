// NewWorkbook on libxlsxwriter. The library only writes the file at workbook_close(), and it
// cannot change a cell's format after the cell is written, so the sheet is gathered here first and
// handed over in one pass at Close, each distinct format created once.
#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
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

struct NewWorkbook::State {
  std::filesystem::path file;
  lxw_workbook* workbook = nullptr;
  lxw_worksheet* sheet = nullptr;
  std::vector<Entry> entries;
  std::vector<std::pair<CellRange, std::string>> formats;  // in the order they were set
  std::vector<int> fitted_columns;
  std::vector<int> wrapped_rows;
  std::map<std::pair<int, bool>, lxw_format*> made_formats;  // (format index or -1, wrap)

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

  void Add(int row, int column, Cell value) {
    CheckPlace(row, column);
    if (const double* number = std::get_if<double>(&value)) {
      CheckNumber(*number, row, column);
    }
    entries.push_back(Entry{static_cast<std::uint32_t>(row), static_cast<std::uint16_t>(column),
                            false, 0.0, std::move(value)});
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
  lxw_format* FormatOf(int row, int column) {
    int index = -1;
    for (int i = static_cast<int>(formats.size()) - 1; i >= 0; --i) {
      if (formats[i].first.Contains(row, column)) {
        index = i;
        break;
      }
    }
    const bool wrap =
        std::find(wrapped_rows.begin(), wrapped_rows.end(), row) != wrapped_rows.end();
    if (index < 0 && !wrap) {
      return nullptr;
    }
    lxw_format*& made = made_formats[{index, wrap}];
    if (made == nullptr) {
      made = workbook_add_format(workbook);
      if (made == nullptr) {
        throw SheetError("cannot create a cell format for \"" + file.string() + "\"");
      }
      if (index >= 0) {
        format_set_num_format(made, formats[index].second.c_str());
      }
      if (wrap) {
        format_set_text_wrap(made);
      }
    }
    return made;
  }

  // The entries in sheet order, one per cell: the last write to a cell wins.
  std::vector<const Entry*> FinalEntries() const {
    std::vector<const Entry*> order;
    order.reserve(entries.size());
    for (const Entry& entry : entries) {
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

  void WriteEntry(const Entry& entry, std::map<int, std::size_t>& widest) {
    const int row = static_cast<int>(entry.row);
    const int column = entry.column;
    if (std::holds_alternative<std::monostate>(entry.value)) {
      return;
    }
    lxw_format* format = FormatOf(row, column);
    lxw_error error = LXW_NO_ERROR;
    if (entry.formula) {
      error = worksheet_write_formula_num(sheet, entry.row, entry.column,
                                          std::get<std::string>(entry.value).c_str(), format,
                                          entry.cached_result);
    } else if (const long* whole = std::get_if<long>(&entry.value)) {
      error = worksheet_write_number(sheet, entry.row, entry.column, static_cast<double>(*whole),
                                     format);
    } else if (const double* number = std::get_if<double>(&entry.value)) {
      error = worksheet_write_number(sheet, entry.row, entry.column, *number, format);
    } else {
      const std::string& text = std::get<std::string>(entry.value);
      error = worksheet_write_string(sheet, entry.row, entry.column, text.c_str(), format);
      if (auto found = widest.find(column); found != widest.end()) {
        found->second = std::max(found->second, DisplayLength(text));
      }
    }
    Check(error, Where(row, column));
  }
};

NewWorkbook::NewWorkbook(std::filesystem::path file) : state_(std::make_unique<State>()) {
  state_->file = std::move(file);
  state_->workbook = workbook_new(state_->file.string().c_str());
  if (state_->workbook == nullptr) {
    throw SheetError("cannot start the workbook \"" + state_->file.string() + "\"");
  }
  state_->sheet = workbook_add_worksheet(state_->workbook, nullptr);
  if (state_->sheet == nullptr) {
    lxw_workbook_free(state_->workbook);
    state_->workbook = nullptr;
    throw SheetError("cannot add a sheet to the workbook \"" + state_->file.string() + "\"");
  }
}

NewWorkbook::~NewWorkbook() {
  if (state_ && state_->workbook != nullptr) {
    lxw_workbook_free(state_->workbook);  // discards: nothing reaches the disk
  }
}

void NewWorkbook::WriteBlock(const CellRange& range, const CellBlock& block) {
  if (block.rows < 0 || block.columns < 0 ||
      block.cells.size() != static_cast<std::size_t>(block.rows) * block.columns) {
    throw SheetError("a block of " + std::to_string(block.cells.size()) + " cells is not " +
                     std::to_string(block.rows) + " rows by " + std::to_string(block.columns) +
                     " columns");
  }
  const int rows = std::min(block.rows, range.Rows());
  const int columns = std::min(block.columns, range.Columns());
  state_->entries.reserve(state_->entries.size() + static_cast<std::size_t>(rows) * columns);
  for (int j = 0; j < columns; ++j) {
    const std::size_t start = static_cast<std::size_t>(j) * block.rows;
    for (int i = 0; i < rows; ++i) {
      state_->Add(range.first_row + i, range.first_column + j, block.cells[start + i]);
    }
  }
}

void NewWorkbook::WriteCell(int row, int column, Cell value) {
  state_->Add(row, column, std::move(value));
}

void NewWorkbook::WriteFormula(int row, int column, std::string formula, double cached_result) {
  state_->CheckPlace(row, column);
  state_->CheckNumber(cached_result, row, column);
  state_->entries.push_back(Entry{static_cast<std::uint32_t>(row),
                                  static_cast<std::uint16_t>(column), true, cached_result,
                                  std::move(formula)});
}

void NewWorkbook::SetNumberFormat(const CellRange& range, std::string format) {
  state_->formats.emplace_back(range, std::move(format));
}

void NewWorkbook::FitColumn(int column) {
  state_->CheckPlace(0, column);
  state_->fitted_columns.push_back(column);
}

void NewWorkbook::WrapRow(int row) {
  state_->CheckPlace(row, 0);
  state_->wrapped_rows.push_back(row);
}

void NewWorkbook::Close() {
  State& s = *state_;
  if (s.workbook == nullptr) {
    throw SheetError("the workbook \"" + s.file.string() + "\" is already closed");
  }
  std::map<int, std::size_t> widest;
  for (int column : s.fitted_columns) {
    widest.emplace(column, 0);
  }
  for (const Entry* entry : s.FinalEntries()) {
    s.WriteEntry(*entry, widest);
  }
  for (const auto& [column, length] : widest) {
    // Excel's default column holds 8.43 characters; one more than the text keeps it off the edge.
    const double width = std::clamp(static_cast<double>(length) + 1.0, LXW_DEF_COL_WIDTH, 255.0);
    const auto col = static_cast<lxw_col_t>(column);
    s.Check(
        worksheet_set_column(s.sheet, col, col, width, nullptr),
        "the width of column " + std::to_string(column + 1) + " of \"" + s.file.string() + "\"");
  }
  for (int row : s.wrapped_rows) {
    s.Check(worksheet_set_row(s.sheet, static_cast<lxw_row_t>(row), LXW_DEF_ROW_HEIGHT,
                              s.FormatOf(row, -1)),
            "the wrap of row " + std::to_string(row + 1) + " of \"" + s.file.string() + "\"");
  }
  lxw_workbook* workbook = s.workbook;
  s.workbook = nullptr;  // workbook_close frees it, whatever it returns
  s.Check(workbook_close(workbook), "the workbook \"" + s.file.string() + "\"");
}

}  // namespace orvane::sheets
