#pragma once

// Writes the block format that the table store reads:
//   blocks 0..L   the directory: 16 entries of 16 bytes per block; bytes 0-1 of block 0 hold L,
//                 entry bytes 2-3 the start block (big-endian), bytes 8-15 the name;
//   then          the catalogue "INDEX13 ": blocks of 32 eight-byte names, ended by a blank name;
//   then          one table file per table: blocks whose bytes 2-255 hold length-prefixed fields
//                 (length byte 128 + n), ended by a continuation marker 255 when more follow.
// Fields of a table file: its name, its description, then 120 values as 3 packed-decimal bytes.
// Unused bytes are zero. This code shares nothing with the reader, so each checks the other.

#include <filesystem>
#include <string>

#include "tools/tables/data_file_content.h"

namespace orvane::tools {

// The data file's bytes. Throws ToolError for a name that is not 8 characters, a description
// longer than 124 bytes, a value outside 0..999999 millionths, more than 320 catalogue names or
// a file larger than 65,536 blocks.
std::string EncodeDataFile(const DataFileContent& content);

// Writes the encoded file to `file` through a temporary file in the same folder that then
// replaces it, so a reader never sees half a file. Throws ToolError when it cannot be written.
void WriteDataFile(const std::filesystem::path& file, const DataFileContent& content);

}  // namespace orvane::tools
