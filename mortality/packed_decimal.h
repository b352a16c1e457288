// A rate as the data file stores it: a whole number of millionths in three packed-decimal bytes,
// two decimal digits a byte, most significant first (0.012345 is 01 23 45). Packed digits have no
// sign, so a stored value lies from 0 to 999,999.
#pragma once

#include <cstdint>
#include <string>

namespace orvane::mortality {

inline constexpr int kRateBytes = 3;
inline constexpr int kRateDecimals = 6;
inline constexpr std::int32_t kLargestMillionths = 999999;

// The three bytes of `millionths`. Throws MortalityError for a value outside 0 to 999,999.
std::string PackedMillionths(std::int32_t millionths);

}  // namespace orvane::mortality
