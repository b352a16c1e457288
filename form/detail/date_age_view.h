// The seven date and age fields of the form, bound to the calendar's handlers (dates/), and the
// view of the form through which those handlers read and rewrite them.
#pragma once

#include <string>

#include "dates/date_age_handlers.h"
#include "form/controls.h"
#include "form/form_model.h"

namespace orvane::form::detail {

using DateAgeHandler = void (*)(dates::DateAgeForm&);

// The Validate handler of a date or age field; null for any other control. Never throws.
DateAgeHandler DateAgeHandlerOf(Control control);

// The date and age handlers see the form through this view; each of their writes is a change of
// the field, so the Change help texts of RetirementDate and ValuationDate appear as they do when
// the user types.
class DateAgeView : public dates::DateAgeForm {
 public:
  explicit DateAgeView(FormModel& form) : form_(form) {}
  std::string Text(dates::DateAgeField field) const override;
  void SetText(dates::DateAgeField field, const std::string& text) override;

 private:
  FormModel& form_;
};

}  // namespace orvane::form::detail
