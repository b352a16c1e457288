#include "tools/tables/csv_file.h"

#include <fstream>

#include "tools/tables/tool_error.h"

namespace orvane::tools {
namespace {

bool IsEmptyLine(const std::vector<std::string>& cells) {
  for (const std::string& cell : cells) {
    if (cell.find_first_not_of(' ') != std::string::npos)
      return false;
  }
  return true;
}

std::vector<std::string> SplitLine(const std::string& text, const std::filesystem::path& file,
                                   int line) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        cells.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cells.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  if (quoted) {
    throw ToolError(file.string() + ", line " + std::to_string(line) +
                    ": a quoted cell is not closed on its line");
  }
  return cells;
}

}  // namespace

std::vector<CsvRow> ReadCsvFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in)
    throw ToolError(file.string() + ": cannot be opened for reading");
  std::vector<CsvRow> rows;
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
    ++line;
    if (!text.empty() && text.back() == '\r')
      text.pop_back();
    if (line == 1 && text.rfind("\xEF\xBB\xBF", 0) == 0)
      text.erase(0, 3);
    std::vector<std::string> cells = SplitLine(text, file, line);
    if (IsEmptyLine(cells))
      continue;
    rows.push_back({line, std::move(cells)});
  }
  if (in.bad())
    throw ToolError(file.string() + ": read error");
  return rows;
}

}  // namespace orvane::tools
