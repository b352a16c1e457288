#include "sources/table_sources.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <map>

#include "mortality/table_name.h"
#include "sources/csv_file.h"
#include "sources/decimal_rate.h"
#include "sources/improvement_scale_source.h"
#include "sources/irs_construction.h"
#include "sources/published_sources.h"
#include "sources/source_error.h"
#include "tables/data_file_format.h"
#include "text/text.h"

namespace orvane::sources {
namespace {

namespace format = tables::format;
constexpr std::size_t kNameLength = format::kNameLength;
constexpr auto kLongestDescription = static_cast<std::size_t>(format::kLongestField);
constexpr auto kLongestCatalogue = static_cast<std::size_t>(format::kLongestCatalogue);

using text::Quoted;
using text::Trim;

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool IsPrintable(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 32 && c <= 126; });
}

std::string Cell(const std::filesystem::path& file, int line, std::size_t column) {
  return file.string() + ", line " + std::to_string(line) + ", column " +
         std::to_string(column + 1);
}

void ReadTableFile(const std::filesystem::path& file, const std::vector<CsvRow>& rows,
                   SourceSet& sources) {
  const CsvRow& header = rows.front();
  std::size_t columns = header.cells.size();
  // Trailing empty header cells are spreadsheet artefacts, not tables.
  while (columns > 1 && Trim(header.cells[columns - 1]).empty()) --columns;
  if (columns < 2) {
    throw SourceError(file.string() + ", line " + std::to_string(header.line) +
                      ": the header names no table after \"age\"");
  }
  std::vector<NamedTable> tables;
  for (std::size_t c = 1; c < columns; ++c) {
    NamedTable table;
    table.name = TableNameFromCell(header.cells[c], Cell(file, header.line, c));
    table.origin = file.string() + ", column " + std::to_string(c + 1);
    tables.push_back(table);
  }
  int age = 0;
  int last_line = header.line;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    last_line = row.line;
    ++age;
    const std::string age_cell(Trim(row.cells[0]));
    if (age > kTableAges) {
      throw SourceError(Cell(file, row.line, 0) + ": a row after age 120 (\"" + age_cell + "\")");
    }
    if (age_cell != std::to_string(age)) {
      throw SourceError(Cell(file, row.line, 0) + ": age " + std::to_string(age) +
                        " is missing (found \"" + age_cell +
                        "\"; ages run from 1 to 120 in order)");
    }
    for (std::size_t c = 1; c < row.cells.size(); ++c) {
      if (c >= columns && !Trim(row.cells[c]).empty()) {
        throw SourceError(Cell(file, row.line, c) + ": a value in a column without a table name");
      }
    }
    for (std::size_t c = 1; c < columns; ++c) {
      const std::string where = Cell(file, row.line, c) + " (" + Quoted(tables[c - 1].name) +
                                ", age " + std::to_string(age) + ")";
      const std::string cell = c < row.cells.size() ? row.cells[c] : std::string();
      tables[c - 1].micro[static_cast<std::size_t>(age)] =
          ReadRate(cell, where, RatePolicy::kTableCell);
    }
  }
  if (age < kTableAges) {
    throw SourceError(Cell(file, last_line + 1, 0) + ": age " + std::to_string(age + 1) +
                      " is missing (the rows end after age " + std::to_string(age) + ")");
  }
  sources.tables.insert(sources.tables.end(), tables.begin(), tables.end());
}

bool ParseListed(const std::string& cell, const std::string& where) {
  const std::string text = Lower(Trim(cell));
  if (text == "yes")
    return true;
  if (text == "no")
    return false;
  throw SourceError(where + ": \"listed\" must be yes or no, not \"" + cell + "\"");
}

void ReadCatalogueFile(const std::filesystem::path& file, const std::vector<CsvRow>& rows,
                       SourceSet& sources) {
  const CsvRow& header = rows.front();
  const char* expected[] = {"name", "description", "listed"};
  for (std::size_t c = 0; c < 3; ++c) {
    if (c >= header.cells.size() || Lower(Trim(header.cells[c])) != expected[c]) {
      throw SourceError(Cell(file, header.line, c) + ": the catalogue header must read " +
                        "\"name,description,listed\"");
    }
  }
  ++sources.catalogue_files;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    CatalogueRow entry;
    entry.name = TableNameFromCell(row.cells[0], Cell(file, row.line, 0));
    entry.description = row.cells.size() > 1 ? std::string(Trim(row.cells[1])) : std::string();
    if (!IsPrintable(entry.description)) {
      throw SourceError(Cell(file, row.line, 1) +
                        ": the description may hold only printable ASCII characters");
    }
    if (entry.description.size() > kLongestDescription) {
      throw SourceError(Cell(file, row.line, 1) + ": the description has " +
                        std::to_string(entry.description.size()) + " characters, at most 124 fit");
    }
    entry.listed =
        ParseListed(row.cells.size() > 2 ? row.cells[2] : std::string(), Cell(file, row.line, 2));
    for (std::size_t c = 3; c < row.cells.size(); ++c) {
      if (!Trim(row.cells[c]).empty()) {
        throw SourceError(Cell(file, row.line, c) + ": the catalogue has three columns only");
      }
    }
    entry.origin = file.string() + ", line " + std::to_string(row.line);
    sources.rows.push_back(entry);
  }
}

}  // namespace

std::string TableNameFromCell(const std::string& cell, const std::string& where) {
  std::string name = cell;
  name.erase(name.find_last_not_of(' ') + 1);
  if (name.empty())
    throw SourceError(where + ": the table name is empty");
  if (name.front() == ' ') {
    throw SourceError(where + ": the table name \"" + cell +
                      "\" begins with a blank, which the loader would drop");
  }
  if (!IsPrintable(name)) {
    throw SourceError(where + ": the table name may hold only printable ASCII characters");
  }
  if (name.size() > kNameLength) {
    throw SourceError(where + ": the table name \"" + name + "\" is longer than 8 characters");
  }
  name = mortality::PaddedName(name);
  if (name == format::kCatalogueName) {
    throw SourceError(where + ": \"INDEX13\" is the catalogue's own name");
  }
  return name;
}

SourceSet ReadSources(const std::vector<std::filesystem::path>& files) {
  SourceSet sources;
  for (const std::filesystem::path& file : files) {
    const std::vector<CsvRow> rows = ReadCsvFile(file);
    if (rows.empty())
      throw SourceError(file.string() + ": the file is empty");
    const std::string first = Lower(Trim(rows.front().cells.front()));
    if (first == "age") {
      ReadTableFile(file, rows, sources);
    } else if (first == "name" && rows.front().cells.size() > 1 &&
               Lower(Trim(rows.front().cells[1])) == "ages") {
      ReadPublishedList(file, rows, sources);
    } else if (first == "name") {
      ReadCatalogueFile(file, rows, sources);
    } else if (first == "year") {
      ReadIrsConstructionList(file, rows, sources);
    } else if (first == "scale") {
      ReadImprovementScaleList(file, rows, sources);
    } else {
      throw SourceError(Cell(file, rows.front().line, 0) +
                        ": the first row must begin with \"age\" (a table file) or \"name\" (the "
                        "catalogue), not \"" +
                        rows.front().cells.front() + "\"");
    }
  }
  MarkGenerationalTables(sources);
  return sources;
}

DataFileContent AssembleDataFile(const SourceSet& sources) {
  if (sources.catalogue_files != 1) {
    throw SourceError(
        sources.catalogue_files == 0
            ? "No catalogue file (header \"name,description,listed\") among the sources"
            : "More than one catalogue file among the sources");
  }
  std::map<std::string, const NamedTable*> by_name;
  for (const NamedTable& table : sources.tables) {
    const auto [it, inserted] = by_name.emplace(table.name, &table);
    if (!inserted) {
      throw SourceError("Table " + Quoted(table.name) + " is given twice: " + it->second->origin +
                        " and " + table.origin);
    }
  }
  DataFileContent content;
  std::map<std::string, std::string> rows_seen;
  for (const CatalogueRow& row : sources.rows) {
    if (!rows_seen.emplace(row.name, row.origin).second) {
      throw SourceError(row.origin + ": table " + Quoted(row.name) + " has a row already at " +
                        rows_seen[row.name]);
    }
    const auto it = by_name.find(row.name);
    if (it == by_name.end()) {
      throw SourceError(row.origin + ": no table file has a column " + Quoted(row.name));
    }
    content.tables.push_back({row.name, row.description, it->second->micro, it->second->origin,
                              it->second->kind, it->second->extra_fields});
    if (row.listed)
      content.catalogue.push_back(row.name);
  }
  // A projection opens up to 72 of the loader's own tables by name, each found by scanning the
  // directory from its first block: they come first, the others follow in the catalogue file's
  // order (which is also the choosers' order of the listed ones).
  std::stable_partition(content.tables.begin(), content.tables.end(), [](const NamedTable& table) {
    return std::find(std::begin(format::kLoaderTables), std::end(format::kLoaderTables),
                     table.name) != std::end(format::kLoaderTables);
  });
  for (const NamedTable& table : sources.tables) {
    if (rows_seen.count(table.name) == 0) {
      throw SourceError(table.origin + ": table " + Quoted(table.name) +
                        " has no row in the catalogue file");
    }
  }
  if (content.catalogue.size() > kLongestCatalogue) {
    throw SourceError("The catalogue lists " + std::to_string(content.catalogue.size()) +
                      " tables; the choosers read at most 320");
  }
  return content;
}

}  // namespace orvane::sources
