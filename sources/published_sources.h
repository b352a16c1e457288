#pragma once

// The list of published tables a data file takes its rates from (data/tables/published.csv):
//
//   name,ages,source,table,at
//   2008417e,1-120,xtbml/t2801.xml,1,
//   M-N-Base,1-70,xtbml/t1594.xml,1,
//   M-N-Base,71-120,xtbml/t1595.xml,1,
//   2021417e,15-120,irs/417e_published.csv,2021,
//   2021417e,1-14,irs/417e_published.csv,2021,15
//
// Each row fills the ages of a table from one source file, named relative to the list: an
// XTbML file (table = the 1-based Table element, age axis only), a CSV file (table = the
// header of a column, in the first row that begins with "Age") or a folder of the IRS
// construction's inputs (table = the name of a table it builds, 2026NAM). `at`, when given, is the
// one age of the source whose rate fills every age of the row. The rows of a name together fill
// ages 1 to 120, each once. Rates are read exactly; a published 1 is stored as 0.999999.

#include <filesystem>
#include <vector>

#include "sources/csv_file.h"
#include "sources/table_sources.h"

namespace orvane::sources {

// Appends the tables the list `file` (already read into `rows`, header first) builds. Throws
// SourceError naming the list's line, or the source file with its table and age, for a row that
// cannot be read, a source rate that is missing, not a number, negative, above 1 or longer than
// six decimals, and a table whose rows leave an age empty or fill one twice.
void ReadPublishedList(const std::filesystem::path& file, const std::vector<CsvRow>& rows,
                       SourceSet& sources);

}  // namespace orvane::sources
