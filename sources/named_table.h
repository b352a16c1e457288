#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tables/data_file_format.h"

namespace orvane::sources {

inline constexpr int kTableAges = tables::format::kAges;
// The largest value three packed bytes hold, in millionths: 0.999999.
inline constexpr std::int32_t kLargestMicro = mortality::kLargestMillionths;

// One named table of ages 1 to 120, from wherever it was read to the data file.
struct NamedTable {
  std::string name;         // 8 characters, padded with blanks
  std::string description;  // the chooser's text; empty until the catalogue gives one
  std::array<std::int32_t, kTableAges + 1> micro{};  // millionths; index 0 unused
  std::string origin;  // where the values were read (file and column), for messages
  // Written after the name in field 1, and after the 120 values: empty but for an improvement
  // scale or a generational table (tables/generational_table.h).
  std::string kind;
  std::vector<std::string> extra_fields;
};

}  // namespace orvane::sources
