#pragma once

#include <stdexcept>
#include <string>

namespace orvane::dates {

// Raised when a date or an age cannot be used: a date outside the calendar the program handles,
// an age that is not a finite number.
class DateError : public std::runtime_error {
 public:
  explicit DateError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace orvane::dates
