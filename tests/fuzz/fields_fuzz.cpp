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

#include "app/controls.h"
#include "app/form_model.h"
#include "app/numeric_fields.h"
#include "numbers/number_text.h"
#include "tests/fuzz/fuzz_support.h"

namespace orvane::fuzz {
namespace {

using app::Control;
using app::ControlKind;

constexpr int kMostActions = 24;
constexpr std::size_t kLongestText = 63;

std::vector<Control> ControlsOf(std::initializer_list<ControlKind> kinds) {
  std::vector<Control> controls;
  for (int i = 0; i < app::kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    if (std::find(kinds.begin(), kinds.end(), app::KindOf(control)) != kinds.end())
      controls.push_back(control);
  }
  return controls;
}

// Reads the input front to back; past its end every byte is 0.
class Actions {
 public:
  Actions(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Done() const { return next_ >= size_; }
  std::uint8_t Byte() { return next_ < size_ ? data_[next_++] : 0; }
  std::string Text() {
    const std::size_t length = std::min<std::size_t>(Byte() % (kLongestText + 1), size_ - next_);
    std::string text(reinterpret_cast<const char*>(data_ + next_), length);
    next_ += length;
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t next_ = 0;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

void CheckForm(const app::FormModel& form, std::optional<Control> validated) {
  const std::string result = Lower(form.Result());
  if (result.find("nan") != std::string::npos || result.find("inf") != std::string::npos)
    Fail("the results label reads \"" + form.Result() + "\"");
  if (!validated)
    return;
  if (app::NumericFieldOf(*validated) != nullptr) {
    const std::string& text = form.Text(*validated);
    const std::optional<double> value = numbers::ParseNumber(text);
    if (!value || !std::isfinite(*value)) {
      Fail(std::string(app::NameOf(*validated)) + " reads \"" + text +
           "\" after its Validate, which is not a number");
    }
  }
}

}  // namespace
}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  using fuzz::ControlKind;
  static const std::vector<app::Control> texts =
      fuzz::ControlsOf({ControlKind::kTextField, ControlKind::kTableChooser});
  static const std::vector<app::Control> clicks =
      fuzz::ControlsOf({ControlKind::kCheckBox, ControlKind::kOptionButton});
  static const std::vector<app::Control> choosers = fuzz::ControlsOf({ControlKind::kTableChooser});

  app::FormEnvironment environment;
  environment.data_dir = ORVANE_FUZZ_DATA_DIR;
  app::FormModel form(environment);
  form.Load();
  fuzz::CheckForm(form, std::nullopt);

  fuzz::Actions actions(data, size);
  for (int step = 0; step < fuzz::kMostActions && !actions.Done(); ++step) {
    const std::uint8_t kind = actions.Byte() % 4;
    app::Control control;
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
