// A table's name as the data file stores it: 8 single-byte characters, padded on the right with
// blanks. Longer names are cut to their first 8 characters, as the directory search reads them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane::mortality {

inline constexpr std::size_t kNameLength = 8;

// `name` cut or padded with blanks to 8 characters. Never throws.
std::string PaddedName(std::string_view name);

}  // namespace orvane::mortality
