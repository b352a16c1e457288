#pragma once

// Writes the data file that the table store reads, in the layout of tables/data_file_format.h,
// the reader's own description of it: the directory blocks first, then the catalogue, then one
// table file per table (its name, its description and 120 values). Unused bytes are zero. The
// tests read what this writes back through the table store and the checker (data_file_check.h),
// so a layout the two understood differently would show.

#include <filesystem>
#include <string>
#include <vector>

#include "sources/named_table.h"

namespace orvane::sources {

// What a data file holds: the tables in directory order and the catalogue's names.
struct DataFileContent {
  std::vector<NamedTable> tables;
  std::vector<std::string> catalogue;  // 8-character names; empty: no catalogue entry
};

// The data file's bytes. Throws SourceError for a name that is not 8 characters, a description
// longer than 124 bytes, a value outside 0..999999 millionths, more than 320 catalogue names or
// a file larger than 65,536 blocks.
std::string EncodeDataFile(const DataFileContent& content);

// Writes the encoded file to `file` through a temporary file in the same folder that then
// replaces it, so a reader never sees half a file. Throws SourceError when it cannot be written.
void WriteDataFile(const std::filesystem::path& file, const DataFileContent& content);

}  // namespace orvane::sources
