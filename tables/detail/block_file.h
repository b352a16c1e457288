#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace orvane::tables::detail {

// One try of a block read: opens `file` for reading without any lock, reads the 256 bytes of
// block `location` into `buffer` (which must hold 256 characters) and closes the file again.
// Returns false when the file cannot be opened, the location is negative, or the block lies
// partly or wholly past the end of the file; `buffer` may then hold part of the block. Never
// throws.
bool TryReadBlock(const std::filesystem::path& file, std::int32_t location, std::string& buffer);

}  // namespace orvane::tables::detail
