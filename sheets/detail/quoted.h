#pragma once

#include <string>
#include <string_view>

namespace orvane::sheets::detail {

// The text in double quotes, for messages. (Built by appending: GCC 12 warns falsely on
// "\"" + std::string at -O2.)
inline std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

}  // namespace orvane::sheets::detail
