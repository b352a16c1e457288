#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tables/data_file_format.h"

namespace orvane::tools {

inline constexpr int kTableAges = tables::format::kAges;
// The largest value three packed bytes hold, in millionths: 0.999999.
inline constexpr std::int32_t kLargestMicro = 999999;

// One table file of a data file: its name, its description and its value for ages 1..120 in
// millionths (index 0 unused).
struct TableFile {
  std::string name;  // 8 characters, padded with blanks
  std::string description;
  std::array<std::int32_t, kTableAges + 1> micro{};
  // Written after the name in field 1, and after the 120 values: empty but for an improvement
  // scale or a generational table (tables/generational_table.h).
  std::string kind;
  std::vector<std::string> extra_fields;
};

// What a data file holds: the table files in directory order and the catalogue's names.
struct DataFileContent {
  std::vector<TableFile> tables;
  std::vector<std::string> catalogue;  // 8-character names; empty: no catalogue entry
};

}  // namespace orvane::tools
