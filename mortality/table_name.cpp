#include "mortality/table_name.h"

namespace orvane::mortality {

std::string PaddedName(std::string_view name) {
  std::string padded(name.substr(0, kNameLength));
  padded.resize(kNameLength, ' ');
  return padded;
}

}  // namespace orvane::mortality
