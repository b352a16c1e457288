// One entry made as a user makes it: type a text into a field or chooser, or click a check box or
// option button, then leave the control. The command line's Control=Text arguments and the cells
// of a census row are both applied this way.
#pragma once

#include <string>

#include "form/controls.h"
#include "form/form_model.h"

namespace orvane::form {

// Whether `text` is an entry the control can take: any text for a text field or chooser, "1" or
// "0" for a check box or option button, nothing for a button. Returns the reason when not
// ("\"Female\" takes 1 or 0, not \"yes\""), empty when it can. Never throws.
std::string EntryRefusal(Control control, const std::string& text);

// One Control=Text entry: the control and the text to enter.
struct Assignment {
  Control control;
  std::string text;
};

// Parses "Control=Text", split at the first '=', into an entry the control takes. Throws
// FormError for no '=' or an unknown control (no control()), and for an entry EntryRefusal
// refuses (control() is that control).
Assignment ParseAssignment(const std::string& argument);

// Applies the entry: SetText or SetChecked (1 checks, 0 clears), then Validate. Throws FormError
// for an entry that EntryRefusal refuses; otherwise throws only what the form's handlers throw
// (tables::DataFileUnavailable).
void EnterControlText(FormModel& form, Control control, const std::string& text);

}  // namespace orvane::form
