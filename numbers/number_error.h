#pragma once

#include <stdexcept>
#include <string>

namespace orvane::numbers {

// Raised when a number cannot be shown or used: a NaN or an infinity reaching a formatter.
class NumberError : public std::runtime_error {
 public:
  explicit NumberError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace orvane::numbers
