#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvane::tools {

// One line of a CSV file with its 1-based line number.
struct CsvRow {
  int line = 0;
  std::vector<std::string> cells;
};

// Reads a CSV file as a spreadsheet writes it: comma-separated cells, a cell in double quotes
// may hold commas and doubled quotes, CR LF or LF line ends, an optional UTF-8 byte order mark.
// Lines that are empty or hold only commas and blanks are skipped. A quoted cell cannot span
// lines. Throws ToolError naming the file (and line) when it cannot be read or a quote is open.
std::vector<CsvRow> ReadCsvFile(const std::filesystem::path& file);

}  // namespace orvane::tools
