#pragma once

// A one-table CSV from an XTbML file: what `orvane-tables import` writes.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "tools/tables/data_file_content.h"
#include "tools/tables/xtbml_file.h"

namespace orvane::tools {

// The rates of an age-only table by age as written in the file; ages below 1 are left out.
// Throws ToolError starting with `origin` for a table number the file lacks, a table with
// another axis than age (naming it and, where the file has one, an age-only table to take), a
// ScalingFactor other than 0 and an age given twice.
std::map<int, std::string> AgeRates(const XtbmlFile& file, int table_number,
                                    const std::string& origin);

struct ImportOptions {
  std::optional<std::string> name;  // default: "t" and the file's TableIdentity
  int table_number = 1;
  bool hold = false;  // ages outside the table take the rate of its first or last age
};

struct ImportedTable {
  std::string name;  // 8 characters, padded with blanks
  std::array<std::int32_t, kTableAges + 1> micro{};
  int rounded = 0;  // rates that had more than six decimals
};

// The table's rates for ages 1 to 120. Throws ToolError starting with `origin` as AgeRates does,
// for ages 1 to 120 the table does not cover (named, unless options.hold), for a rate that is
// empty, not a number, negative or above 1 (naming the table, the age and the text), and for a
// name that the data file cannot hold.
ImportedTable ImportXtbml(const XtbmlFile& file, const std::string& origin,
                          const ImportOptions& options);

}  // namespace orvane::tools
