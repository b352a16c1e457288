#pragma once

#include <string>
#include <vector>

#include "sources/named_table.h"

namespace orvane::sources {

// A table file for the sources of a data file: the header "age,NAME,..." (names without their
// padding blanks), then one row per age 1 to 120 with each table's value to six decimals
// ("1,0.000380"). Never throws but std::bad_alloc.
std::string TableCsvText(const std::vector<NamedTable>& tables);

}  // namespace orvane::sources
