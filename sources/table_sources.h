// The sources of Orvane's mortality tables and the data file built from them: what turns the
// published tables into MortalityTables, and what checks the result. orvane-tables drives it;
// the table store (tables/) reads what it writes.
//
// Map of this library:
//   table_sources.h      the CSV sources of a data file, told apart by their header, and the
//                        data file's content assembled from them (this header).
//   named_table.h        NamedTable: one table of ages 1 to 120 in millionths, from its source
//                        to the data file.
//   decimal_rate.h       rates read exactly from decimal text, under the policy of each source.
//   published_sources.h  the list of published tables and the ages each source file fills.
//   irs_construction.h   the IRS's tables of 2024 on, built from their published inputs.
//   xtbml_file.h         the SOA's XTbML files; xtbml_import.h one age table from one of them.
//   csv_file.h           a source CSV file as rows (through text/csv.h); table_csv.h the table
//                        files orvane-tables writes.
//   data_file_writer.h   the data file's bytes; data_file_check.h what is malformed in one,
//                        read through the table store.
//   source_error.h       SourceError, raised for a bad source, naming the file, line and column.
#pragma once

// The CSV sources of a data file (layout documented in data/tables/README):
//   table files   header "age,NAME,NAME,...", then one row per age 1 to 120 in order; each cell
//                 a value from 0 to 0.999999 with at most 6 decimals;
//   the catalogue header "name,description,listed", one row per table; the rows marked "yes"
//                 form the choosers' list in that order;
//   lists of published files  "name,ages,source,table,at" (published_sources.h) and
//                 "year,inputs" (irs_construction.h), which build tables from the files they name.

#include <filesystem>
#include <string>
#include <vector>

#include "sources/data_file_writer.h"
#include "sources/named_table.h"

namespace orvane::sources {

// One row of the catalogue file.
struct CatalogueRow {
  std::string name;  // 8 characters, padded with blanks
  std::string description;
  bool listed = false;
  std::string origin;  // file and line, for messages
};

// A table that a scale list makes generational on a scale.
struct GenerationalMark {
  std::string table;  // 8 characters, padded with blanks
  std::string scale;  // 8 characters, padded with blanks
  std::string origin;
};

struct SourceSet {
  std::vector<NamedTable> tables;  // without descriptions
  std::vector<CatalogueRow> rows;
  int catalogue_files = 0;
  std::vector<GenerationalMark> generational;
};

// Reads every file: each is a table file or the catalogue, told apart by the first header cell.
// Throws SourceError naming the file, line and column of the first bad cell.
SourceSet ReadSources(const std::vector<std::filesystem::path>& files);

// The content of the data file: the tables with their descriptions, the loader's own tables
// first and the others in catalogue-file order, and the listed names in catalogue-file order.
// Throws SourceError when the catalogue file is missing or doubled, when a table has no
// catalogue row or a row no table, or when a name occurs twice.
DataFileContent AssembleDataFile(const SourceSet& sources);

// A table name from a cell: at most 8 printable characters, not beginning with a blank, padded
// with blanks to 8. Throws SourceError starting with `where`.
std::string TableNameFromCell(const std::string& cell, const std::string& where);

}  // namespace orvane::sources
