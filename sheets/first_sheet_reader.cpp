// ReadFirstSheet on FreeXL, which reads the BIFF (.xls) workbooks of Excel 97 to 2003.
#include <freexl.h>

#include <cmath>
#include <string>
#include <string_view>

#include "sheets/sheet_error.h"
#include "sheets/workbook.h"

namespace orvane::sheets {
namespace {

// What a FreeXL return code means to a user.
std::string Reason(int code) {
  switch (code) {
    case FREEXL_FILE_NOT_FOUND:
      return "the file does not exist or cannot be opened";
    case FREEXL_INSUFFICIENT_MEMORY:
      return "there is not enough memory to read it";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
    case FREEXL_BIFF_ILLEGAL_SHEET_INDEX:
      return "it holds no worksheet";
    case FREEXL_CRAFTED_FILE:
      return "the file is severely damaged";
    default:
      return "it is not a readable Excel 97-2003 workbook (.xls) (code " + std::to_string(code) +
             ")";
  }
}

// Owns a FreeXL handle; FreeXL wants freexl_close even after a failed open.
class Handle {
 public:
  Handle() = default;
  ~Handle() {
    if (handle_ != nullptr) {
      freexl_close(handle_);
    }
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  const void** Out() { return &handle_; }
  const void* Get() const { return handle_; }

 private:
  const void* handle_ = nullptr;
};

// The text in double quotes, for messages. (Built by appending: GCC 12 warns falsely on
// "\"" + std::string at -O2.)
std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

}  // namespace

const Cell& UsedRange::At(int row, int column) const {
  static const Cell kNothing;
  if (row < 0 || column < 0 || row >= rows || column >= columns) {
    return kNothing;
  }
  return cells[static_cast<std::size_t>(row) * columns + column];
}

UsedRange ReadFirstSheet(const std::filesystem::path& file) {
  const std::string name = Quoted(file.string());
  const auto fail = [&](int code) {
    return SheetError("cannot read the workbook " + name + ": " + Reason(code));
  };
  Handle handle;
  if (int code = freexl_open(file.string().c_str(), handle.Out()); code != FREEXL_OK) {
    throw fail(code);
  }
  unsigned int password = FREEXL_UNKNOWN;
  if (freexl_get_info(handle.Get(), FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
      password == FREEXL_BIFF_OBFUSCATED) {
    throw SheetError("cannot read the workbook " + name + ": it is protected by a password");
  }
  if (int code = freexl_select_active_worksheet(handle.Get(), 0); code != FREEXL_OK) {
    throw fail(code);
  }
  unsigned int rows = 0;
  unsigned short columns = 0;
  if (int code = freexl_worksheet_dimensions(handle.Get(), &rows, &columns); code != FREEXL_OK) {
    throw fail(code);
  }
  UsedRange range;
  range.rows = static_cast<int>(rows);
  range.columns = columns;
  range.cells.resize(static_cast<std::size_t>(rows) * columns);
  for (unsigned int row = 0; row < rows; ++row) {
    for (unsigned short column = 0; column < columns; ++column) {
      FreeXL_CellValue value;
      if (int code = freexl_get_cell_value(handle.Get(), row, column, &value); code != FREEXL_OK) {
        throw SheetError("cannot read cell " + CellLabel(static_cast<int>(row), column) + " of " +
                         name + ": " + Reason(code));
      }
      Cell& cell = range.cells[static_cast<std::size_t>(row) * columns + column];
      switch (value.type) {
        case FREEXL_CELL_INT:
          cell = static_cast<long>(value.value.int_value);
          break;
        case FREEXL_CELL_DOUBLE:
          cell = value.value.double_value;
          break;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME:
          cell = std::string(value.value.text_value != nullptr ? value.value.text_value : "");
          break;
        default:
          break;  // FREEXL_CELL_NULL: an empty cell
      }
    }
  }
  return range;
}

}  // namespace orvane::sheets
