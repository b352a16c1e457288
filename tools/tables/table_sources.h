#pragma once

// The CSV sources of a data file (layout documented in data/tables/README):
//   table files   header "age,NAME,NAME,...", then one row per age 1 to 120 in order; each cell
//                 a value from 0 to 0.999999 with at most 6 decimals;
//   the catalogue header "name,description,listed", one row per table; the rows marked "yes"
//                 form the choosers' list in that order;
//   lists of published files  "name,ages,source,table,at" (published_sources.h) and
//                 "year,inputs" (irs_construction.h), which build tables from the files they name.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/tables/data_file_content.h"

namespace orvane::tools {

// The values of one table column, in millionths.
struct TableValues {
  std::string name;  // 8 characters, padded with blanks
  std::array<std::int32_t, kTableAges + 1> micro{};
  std::string origin;  // file and column, for messages
  // What field 1 says after the name, and the fields after the 120th value: empty but for an
  // improvement scale or a generational table (improvement_scale_source.h).
  std::string kind;
  std::vector<std::string> extra_fields;
};

// A table that a scale list makes generational on a scale.
struct GenerationalMark {
  std::string table;  // 8 characters, padded with blanks
  std::string scale;  // 8 characters, padded with blanks
  std::string origin;
};

// One row of the catalogue file.
struct CatalogueRow {
  std::string name;  // 8 characters, padded with blanks
  std::string description;
  bool listed = false;
  std::string origin;  // file and line, for messages
};

struct SourceSet {
  std::vector<TableValues> tables;
  std::vector<CatalogueRow> rows;
  int catalogue_files = 0;
  std::vector<GenerationalMark> generational;
};

// Reads every file: each is a table file or the catalogue, told apart by the first header cell.
// Throws ToolError naming the file, line and column of the first bad cell.
SourceSet ReadSources(const std::vector<std::filesystem::path>& files);

// The content of the data file: the tables with their descriptions, the loader's own tables
// first and the others in catalogue-file order, and the listed names in catalogue-file order.
// Throws ToolError when the catalogue file is missing or doubled, when a table has no catalogue row
// or a row no table, or when a name occurs twice.
DataFileContent AssembleDataFile(const SourceSet& sources);

// A table name from a cell: at most 8 printable characters, not beginning with a blank, padded
// with blanks to 8. Throws ToolError starting with `where`.
std::string TableNameFromCell(const std::string& cell, const std::string& where);

// A value cell as millionths (0 to 999999). Plain decimals ("0.000637", ".5", "0") and
// spreadsheet exponents ("6.37E-04") are read exactly; trailing zeros beyond the sixth decimal
// are allowed. Throws ToolError starting with `where` for an empty cell, a text that is not a
// number, a value outside 0 to 0.999999, or a non-zero digit beyond the sixth decimal.
std::int32_t ParseValue(const std::string& cell, const std::string& where);

}  // namespace orvane::tools
