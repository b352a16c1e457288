#include "app/control_entry.h"

#include "app/form_error.h"

namespace orvane::app {

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

}  // namespace orvane::app
