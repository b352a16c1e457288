#pragma once

#include <stdexcept>
#include <string>

namespace orvane::sources {

// Raised for a bad source or a data file that cannot be written; the message names the file
// and, for a CSV cell, its line and column.
class SourceError : public std::runtime_error {
 public:
  explicit SourceError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace orvane::sources
