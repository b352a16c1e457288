#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tables/table_store.h"

namespace orvane::sources {

// What `check` found: one line per problem; empty when the file is sound.
struct CheckReport {
  std::vector<std::string> problems;
  int tables_read = 0;
  int catalogue_names = 0;
};

// Reads every directory entry and every catalogue name of `file` through the table store as the
// window does, and lists what is malformed: a directory or table file past the end of the file,
// shadowed or unreachable names, malformed fields, values that are not six packed digits,
// catalogue names without a table file, and missing tables that the loader itself uses.
// Never throws for a bad file; the problems say what is wrong.
CheckReport CheckDataFile(const std::filesystem::path& file);

}  // namespace orvane::sources
