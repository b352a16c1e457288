#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "form/controls.h"

namespace orvane::form {

// Raised by the form model when the form's texts cannot be used as they stand (a date field that
// is not a date, a number field that is not a number, a table the loader rejects) or when it is
// driven wrongly (the text of a check box). The message names the field as the form labels it;
// control() is that field, chooser or box as data, so that a window can mark it.
class FormError : public std::runtime_error {
 public:
  explicit FormError(const std::string& message, std::optional<Control> control = std::nullopt)
      : std::runtime_error(message), control_(control) {}

  std::optional<Control> control() const { return control_; }

 private:
  std::optional<Control> control_;
};

}  // namespace orvane::form
