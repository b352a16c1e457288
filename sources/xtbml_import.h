#pragma once

// A one-table CSV from an XTbML file: what `orvane-tables import` writes.

#include <map>
#include <optional>
#include <string>

#include "sources/named_table.h"
#include "sources/xtbml_file.h"

namespace orvane::sources {

// The rates of an age-only table by age as written in the file; ages below 1 are left out.
// Throws SourceError starting with `origin` for a table number the file lacks, a table with
// another axis than age (naming it and, where the file has one, an age-only table to take), a
// ScalingFactor other than 0 and an age given twice.
std::map<int, std::string> AgeRates(const XtbmlFile& file, int table_number,
                                    const std::string& origin);

struct ImportOptions {
  std::optional<std::string> name;  // default: "t" and the file's TableIdentity
  int table_number = 1;
  bool hold = false;  // ages outside the table take the rate of its first or last age
};

// The table, with `origin` the file, and how many of its rates were rounded.
struct ImportedTable : NamedTable {
  int rounded = 0;  // rates that had more than six decimals
};

// The table's rates for ages 1 to 120. Throws SourceError starting with `origin` as AgeRates does,
// for ages 1 to 120 the table does not cover (named, unless options.hold), for a rate that is
// empty, not a number, negative or above 1 (naming the table, the age and the text), and for a
// name that the data file cannot hold.
ImportedTable ImportXtbml(const XtbmlFile& file, const std::string& origin,
                          const ImportOptions& options);

}  // namespace orvane::sources
