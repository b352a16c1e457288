#pragma once

#include <stdexcept>
#include <string>

namespace orvane::app {

// Raised by the form model when the form's texts cannot be used as they stand (a date field that
// is not a date, a number field that is not a number, a table the loader rejects) or when it is
// driven wrongly (the text of a check box). The message names the field as the form labels it.
class FormError : public std::runtime_error {
 public:
  explicit FormError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace orvane::app
