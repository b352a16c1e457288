// Fuzz target of the form's field handlers: the input is a sequence of user actions on a form
// started on the shipped data file and a small yield curve workbook. Each action is one byte
// choosing its kind and the bytes it needs:
//   kind 0, 1: a text field or chooser (next byte), a text of up to 63 bytes (length byte, text);
//   kind 2:    a check box or option button (next byte) clicked on or off (its low bit);
//   kind 3:    a chooser (next byte) set to one of the catalogue's entries (next byte).
// Every action is followed by the control's Validate, as when the focus leaves it; the run ends
// with a Calculate. After every step the results label must hold no "nan" or "inf", and a
// numeric field must read back with ParseNumber after its own Validate.
//
// The form catches the libraries' documented errors itself and shows them as its failure text;
// only tables::DataFileUnavailable is documented to pass, and with the shipped data file it
// must not happen either. Anything escaping a handler ends the run as a crash.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "form/controls.h"
#include "form/form_model.h"
#include "form/numeric_fields.h"
#include "numbers/number_text.h"
#include "tests/fuzz/fuzz_support.h"

namespace orvane::fuzz {
namespace {

using form::Control;
using form::ControlKind;

constexpr int kMostActions = 24;
constexpr std::size_t kLongestText = 63;

std::vector<Control> ControlsOf(std::initializer_list<ControlKind> kinds) {
  std::vector<Control> controls;
  for (int i = 0; i < form::kControlCount; ++i) {
    if (std::find(kinds.begin(), kinds.end(), form::KindOf(static_cast<Control>(i))) != kinds.end())
      controls.push_back(static_cast<Control>(i));
  }
  return controls;
}

// Reads the input front to back; past its end every byte is 0.
struct Actions {
  const std::uint8_t* data;
  std::size_t size, next = 0;
  std::uint8_t Byte() { return next < size ? data[next++] : 0; }
  std::string Text() {
    const std::size_t wanted = Byte() % (kLongestText + 1);
    const std::size_t length = std::min(wanted, size - next);
    next += length;
    return std::string(reinterpret_cast<const char*>(data + next - length), length);
  }
};

void CheckForm(const form::FormModel& form, std::optional<Control> validated) {
  std::string result = form.Result();
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  Check(result.find("nan") == std::string::npos && result.find("inf") == std::string::npos,
        "the results label reads \"", form.Result(), "\"");
  if (!validated || form::NumericFieldOf(*validated) == nullptr)
    return;
  const std::optional<double> value = numbers::ParseNumber(form.Text(*validated));
  Check(value && std::isfinite(*value), form::NameOf(*validated), " reads \"",
        form.Text(*validated), "\" after its Validate, which is not a number");
}

}  // namespace
}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  using fuzz::ControlKind;
  static const std::vector<form::Control> texts =
      fuzz::ControlsOf({ControlKind::kTextField, ControlKind::kTableChooser});
  static const std::vector<form::Control> clicks =
      fuzz::ControlsOf({ControlKind::kCheckBox, ControlKind::kOptionButton});
  static const std::vector<form::Control> choosers = fuzz::ControlsOf({ControlKind::kTableChooser});

  form::FormEnvironment environment;
  environment.data_dir = ORVANE_FUZZ_DATA_DIR;
  form::FormModel form(environment);
  form.Load();
  fuzz::CheckForm(form, std::nullopt);

  fuzz::Actions actions{data, size};
  for (int step = 0; step < fuzz::kMostActions && actions.next < size; ++step) {
    const std::uint8_t kind = actions.Byte() % 4;
    form::Control control;
    if (kind <= 1) {
      control = texts[actions.Byte() % texts.size()];
      form.SetText(control, actions.Text());
    } else if (kind == 2) {
      control = clicks[actions.Byte() % clicks.size()];
      form.SetChecked(control, (actions.Byte() & 1) != 0);
    } else {
      control = choosers[actions.Byte() % choosers.size()];
      const std::vector<std::string>& list = form.TableList();
      const std::uint8_t pick = actions.Byte();
      if (!list.empty())
        form.SetText(control, list[pick % list.size()]);
    }
    form.Validate(control);
    fuzz::CheckForm(form, control);
  }
  form.Calculate();
  fuzz::CheckForm(form, std::nullopt);
  return 0;
}
