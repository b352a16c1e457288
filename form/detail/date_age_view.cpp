#include "form/detail/date_age_view.h"

#include <array>

#include "form/form_error.h"

namespace orvane::form::detail {
namespace {

using dates::DateAgeField;

struct DateAgeBinding {
  Control control;
  DateAgeField field;
  DateAgeHandler handler;
};

constexpr std::array<DateAgeBinding, 7> kDateAgeFields = {{
    {Control::ValuationDate, DateAgeField::kValuationDate, &dates::ValuationDate_Validate},
    {Control::DateOfBirth, DateAgeField::kDateOfBirth, &dates::DateOfBirth_Validate},
    {Control::SpousesDateOfBirth, DateAgeField::kSpousesDateOfBirth,
     &dates::SpousesDateOfBirth_Validate},
    {Control::RetirementDate, DateAgeField::kRetirementDate, &dates::RetirementDate_Validate},
    {Control::CurrentAge, DateAgeField::kCurrentAge, &dates::CurrentAge_Validate},
    {Control::SpousesAge, DateAgeField::kSpousesAge, &dates::SpousesAge_Validate},
    {Control::RetirementAge, DateAgeField::kRetirementAge, &dates::RetirementAge_Validate},
}};

Control ControlOf(DateAgeField field) {
  for (const DateAgeBinding& binding : kDateAgeFields) {
    if (binding.field == field)
      return binding.control;
  }
  throw FormError("unknown date or age field");
}

}  // namespace

DateAgeHandler DateAgeHandlerOf(Control control) {
  for (const DateAgeBinding& binding : kDateAgeFields) {
    if (binding.control == control)
      return binding.handler;
  }
  return nullptr;
}

std::string DateAgeView::Text(DateAgeField field) const {
  return form_.Text(ControlOf(field));
}

void DateAgeView::SetText(DateAgeField field, const std::string& text) {
  form_.SetText(ControlOf(field), text);
}

}  // namespace orvane::form::detail
