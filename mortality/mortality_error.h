#pragma once

#include <stdexcept>
#include <string>

namespace orvane::mortality {

// Raised when a value of the vocabulary cannot be made: an age outside a table, a rate that does
// not fit a packed field, a declared scale range that is not one. The message names the value
// and reads well to a user; the libraries above say which table or file it came from.
class MortalityError : public std::runtime_error {
 public:
  explicit MortalityError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace orvane::mortality
