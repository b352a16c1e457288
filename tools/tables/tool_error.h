#pragma once

#include <stdexcept>
#include <string>

namespace orvane::tools {

// Raised by the table tool for bad sources or a data file it cannot write; the message names
// the file and, for a CSV cell, its line and column.
class ToolError : public std::runtime_error {
 public:
  explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace orvane::tools
