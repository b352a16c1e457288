#include "form/control_entry.h"

#include "form/form_error.h"

namespace orvane::form {

std::string EntryRefusal(Control control, const std::string& text) {
  const std::string name(NameOf(control));
  switch (KindOf(control)) {
    case ControlKind::kButton:
      return "\"" + name + "\" is a button, not an input";
    case ControlKind::kCheckBox:
    case ControlKind::kOptionButton:
      if (text != "0" && text != "1")
        return "\"" + name + "\" takes 1 or 0, not \"" + text + "\"";
      return {};
    case ControlKind::kTextField:
    case ControlKind::kTableChooser:
      return {};
  }
  return {};
}

Assignment ParseAssignment(const std::string& argument) {
  const std::size_t equals = argument.find('=');
  if (equals == std::string::npos)
    throw FormError("\"" + argument + "\" is not Control=Text");
  const std::string name = argument.substr(0, equals);
  const std::optional<Control> control = ControlNamed(name);
  if (!control)
    throw FormError("unknown control \"" + name + "\"");
  Assignment assignment{*control, argument.substr(equals + 1)};
  const std::string refusal = EntryRefusal(assignment.control, assignment.text);
  if (!refusal.empty())
    throw FormError(refusal, assignment.control);
  return assignment;
}

void EnterControlText(FormModel& form, Control control, const std::string& text) {
  const std::string refusal = EntryRefusal(control, text);
  if (!refusal.empty())
    throw FormError(refusal);
  const ControlKind kind = KindOf(control);
  if (kind == ControlKind::kTextField || kind == ControlKind::kTableChooser) {
    form.SetText(control, text);
  } else {
    form.SetChecked(control, text == "1");
  }
  form.Validate(control);
}

}  // namespace orvane::form
