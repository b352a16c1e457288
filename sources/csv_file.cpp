#include "sources/csv_file.h"

#include <fstream>

#include "sources/source_error.h"
#include "text/csv.h"
#include "text/text.h"

namespace orvane::sources {
namespace {

bool IsEmptyLine(const std::vector<std::string>& cells) {
  for (const std::string& cell : cells) {
    if (!text::Trim(cell, " ").empty())
      return false;
  }
  return true;
}

}  // namespace

// The census reader reads the table sources too, so both take a spreadsheet's CSV alike.
std::vector<CsvRow> ReadCsvFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in)
    throw SourceError(file.string() + ": cannot be opened for reading");
  std::vector<CsvRow> rows;
  text::CsvReader reader(in);
  while (std::optional<text::CsvRecord> record = reader.Next()) {
    if (!record->error.empty())
      throw SourceError(file.string() + ", " + record->error);
    if (IsEmptyLine(record->cells))
      continue;
    rows.push_back({record->line, std::move(record->cells)});
  }
  if (in.bad())
    throw SourceError(file.string() + ": read error");
  return rows;
}

}  // namespace orvane::sources
