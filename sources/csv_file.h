#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvane::sources {

// One line of a CSV file with its 1-based line number.
struct CsvRow {
  int line = 0;
  std::vector<std::string> cells;
};

// Reads a CSV file as a spreadsheet writes it, with the census file's reader (text/csv.h):
// comma-separated cells, a cell in double quotes may hold commas, doubled quotes and line breaks,
// CR LF, LF or CR line ends, an optional UTF-8 byte order mark. Lines that are empty or hold only
// commas and blanks are skipped. Throws SourceError naming the file (and line) when it cannot be
// read or a record is malformed (a quote left open, text after a closing quote).
std::vector<CsvRow> ReadCsvFile(const std::filesystem::path& file);

}  // namespace orvane::sources
