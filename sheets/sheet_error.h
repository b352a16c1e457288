#pragma once

#include <stdexcept>
#include <string>

namespace orvane::sheets {

// Raised when a workbook cannot be written or read; the message names the file and, where it
// applies, the cell.
class SheetError : public std::runtime_error {
 public:
  explicit SheetError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace orvane::sheets
