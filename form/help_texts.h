// The help texts of the message area: one fixed text per control, written when the user points at
// the control, enters it, changes it or clicks it (which of these depends on the control).
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "form/controls.h"

namespace orvane::form {

// The events that write a help text.
enum class HelpEvent { kMouseMove, kGotFocus, kChange, kClick };

struct HelpText {
  Control control;
  HelpEvent event;
  std::string_view text;
};

// Every control but ExportDetail has exactly one help text.
inline constexpr int kHelpTextCount = 38;

// The 38 help texts in the order the form lists them.
const std::array<HelpText, kHelpTextCount>& HelpTexts();

// The text that `event` on `control` writes into the message area, or nothing when that event of
// that control writes none (a MouseMove over FullYieldCurve, a GotFocus of a text field).
std::optional<std::string_view> HelpTextFor(Control control, HelpEvent event);

}  // namespace orvane::form
