#pragma once

#include <stdexcept>
#include <string>

namespace orvane::tables {

// Raised when a table cannot be read: a malformed table file (the message names the data file,
// the table and the block), or a load the options cannot build.
class TableError : public std::runtime_error {
 public:
  explicit TableError(const std::string& message) : std::runtime_error(message) {}
};

// Raised when the data file could not be read and the owner's question was answered Cancel.
// Its message is "Data File not available".
class DataFileUnavailable : public TableError {
 public:
  DataFileUnavailable() : TableError("Data File not available") {}
};

}  // namespace orvane::tables
