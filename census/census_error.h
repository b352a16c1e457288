// The errors of a census run, beside the form's own: a header that names no control, and a census
// or output file that cannot be read or written.
#pragma once

#include <string>
#include <utility>

#include "form/form_error.h"

namespace orvane::census {

// A header that names no control, a button, or nothing at all; a malformed header record.
class CensusHeaderError : public form::FormError {
 public:
  using form::FormError::FormError;
};

// The census file cannot be read, or the output cannot be written. The message names the file;
// file() is that file, as it was given.
class CensusFileError : public form::FormError {
 public:
  CensusFileError(const std::string& message, std::string file)
      : form::FormError(message), file_(std::move(file)) {}

  const std::string& file() const { return file_; }

 private:
  std::string file_;
};

}  // namespace orvane::census
