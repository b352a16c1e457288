#include "app/help_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "form_test_support.h"

namespace orvane::app::testing {
namespace {

// Each help text appears on its own event and no other, stays until another text replaces it,
// and never recalculates.
TEST_F(FormTest, EachHelpTextAppearsOnItsEventOnly) {
  auto form = MakeForm();
  const auto fire = [&](HelpEvent event, Control control) {
    switch (event) {
      case HelpEvent::kMouseMove:
        return form->MouseMove(control);
      case HelpEvent::kGotFocus:
        return form->GotFocus(control);
      case HelpEvent::kClick:
        return form->Click(control);
      case HelpEvent::kChange:
        return form->SetText(control, form->Text(control) + "0");
    }
  };
  for (const HelpText& help : HelpTexts()) {
    form->MouseMove(Control::ExportDetail);  // writes nothing
    form->Click(Control::Benefit);           // writes nothing
    const std::string before = form->Message();
    for (HelpEvent other : {HelpEvent::kMouseMove, HelpEvent::kGotFocus, HelpEvent::kClick}) {
      if (other != help.event)
        fire(other, help.control);
      EXPECT_EQ(form->Message(), before) << NameOf(help.control);
    }
    fire(help.event, help.control);
    EXPECT_EQ(form->Message(), help.text) << NameOf(help.control);
  }
  EXPECT_EQ(form->RecalculationCount(), 0);

  form->MouseMove(Control::Benefit);
  form->GotFocus(Control::CurrentAge);
  EXPECT_EQ(form->Message(), "This is the monthly benefit being valued.");
  form->SetChecked(Control::FullYieldCurve, true);  // the box shows its text on a click only
  EXPECT_EQ(form->Message(), "This is the monthly benefit being valued.");
}

}  // namespace
}  // namespace orvane::app::testing
