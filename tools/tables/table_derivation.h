#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tables/table_store.h"
#include "tools/tables/data_file_content.h"
#include "tools/tables/table_sources.h"

namespace orvane::tools {

// The request by which the loader builds a unisex table for lump sums in the manner of section
// 417(e): both base tables projected statically to the valuation year (15 years beyond it for
// non-annuitants, 7 for annuitants), blended by the annuitant shares, then male and female
// averaged. The name is any text other than exactly "None".
tables::TableRequest UnisexLumpSumRequest(const std::string& name, int valuation_year);

// Writes `tables` (without a catalogue) to the data file `scratch`, loads `request` from it
// through the table store, removes the file again and returns the values in millionths.
// Throws ToolError when a value cannot be stored (a base table missing gives rate 1), and
// TableError when the loader fails.
std::array<std::int32_t, kTableAges + 1> DeriveTable(const std::vector<TableValues>& tables,
                                                     const tables::TableRequest& request,
                                                     const std::filesystem::path& scratch);

// Writes a table file "age,NAME" with ages 1 to 120 and 6 decimals. Throws ToolError.
void WriteTableCsv(const std::filesystem::path& file, const std::string& name,
                   const std::array<std::int32_t, kTableAges + 1>& micro);

}  // namespace orvane::tools
