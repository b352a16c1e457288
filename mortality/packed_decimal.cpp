#include "mortality/packed_decimal.h"

#include "mortality/mortality_error.h"

namespace orvane::mortality {

std::string PackedMillionths(std::int32_t millionths) {
  if (millionths < 0 || millionths > kLargestMillionths) {
    throw MortalityError("the value " + std::to_string(millionths) +
                         " millionths lies outside 0 to 0.999999, which three packed bytes hold");
  }
  std::string bytes(kRateBytes, '\0');
  for (std::size_t i = kRateBytes; i-- > 0;) {
    const int pair = millionths % 100;
    millionths /= 100;
    bytes[i] = static_cast<char>((pair / 10) * 16 + pair % 10);
  }
  return bytes;
}

}  // namespace orvane::mortality
