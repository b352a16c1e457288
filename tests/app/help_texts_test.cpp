#include "app/help_texts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "form_test_support.h"

namespace orvane::app::testing {
namespace {

TEST(HelpTexts, EveryControlButExportDetailHasExactlyOne) {
  std::set<Control> seen;
  for (const HelpText& help : HelpTexts()) {
    EXPECT_TRUE(seen.insert(help.control).second) << NameOf(help.control);
  }
  EXPECT_EQ(seen.size(), 38u);
  EXPECT_EQ(seen.count(Control::ExportDetail), 0u);
}

// The texts are the form's own, with their spelling and two blanks after inner full stops.
TEST(HelpTexts, KeepTheFormsOwnWording) {
  EXPECT_EQ(HelpTextFor(Control::Maximum, HelpEvent::kMouseMove),
            "If there is a post retirement COLA, then benefit will only increase to this maximum "
            "benefit.  Otherwise, maximum should be atleast as large as the initial benefit.");
  EXPECT_EQ(HelpTextFor(Control::Period1, HelpEvent::kMouseMove),
            "If using yield curve, this is 5 years.  If using select and ultimate interest rates, "
            "this is period of first interest rate, otherwise this should be 99");
  EXPECT_EQ(HelpTextFor(Control::UsePreamble, HelpEvent::kMouseMove),
            "Adjusts projected annuitant and non-annuitant mortality to match method described in "
            "pramble to regulation, rather than method describe in the regulation");
  EXPECT_EQ(HelpTextFor(Control::FullYieldCurve, HelpEvent::kClick),
            "If using full yield curve based upon different rate for each six months, check this "
            "box.");
  EXPECT_EQ(HelpTextFor(Control::FullYieldCurve, HelpEvent::kMouseMove), std::nullopt);
  EXPECT_EQ(HelpTextFor(Control::ExportDetail, HelpEvent::kClick), std::nullopt);
  EXPECT_EQ(HelpTextFor(Control::PreRetPrimary, HelpEvent::kMouseMove), std::nullopt);
}

using HelpEvents = FormTest;

// Each help text appears on its own event and no other, and never recalculates.
TEST_F(HelpEvents, EachTextAppearsOnItsEventOnly) {
  auto form = MakeForm();
  for (const HelpText& help : HelpTexts()) {
    form->MouseMove(Control::ExportDetail);  // writes nothing
    form->Click(Control::Benefit);           // writes nothing
    const std::string before = form->Message();
    for (HelpEvent other : {HelpEvent::kMouseMove, HelpEvent::kGotFocus, HelpEvent::kClick}) {
      if (other == help.event)
        continue;
      if (other == HelpEvent::kMouseMove)
        form->MouseMove(help.control);
      if (other == HelpEvent::kGotFocus)
        form->GotFocus(help.control);
      if (other == HelpEvent::kClick)
        form->Click(help.control);
      EXPECT_EQ(form->Message(), before) << NameOf(help.control);
    }
    switch (help.event) {
      case HelpEvent::kMouseMove:
        form->MouseMove(help.control);
        break;
      case HelpEvent::kGotFocus:
        form->GotFocus(help.control);
        break;
      case HelpEvent::kClick:
        form->Click(help.control);
        break;
      case HelpEvent::kChange:
        form->SetText(help.control, form->Text(help.control) + "0");
        break;
    }
    EXPECT_EQ(form->Message(), help.text) << NameOf(help.control);
  }
  EXPECT_EQ(form->RecalculationCount(), 0);
  EXPECT_EQ(form->Result(), "Not calculated");
}

TEST_F(HelpEvents, TheMessageStaysUntilAnotherTextReplacesIt) {
  auto form = MakeForm();
  form->MouseMove(Control::Benefit);
  form->MouseMove(Control::ExportDetail);
  form->GotFocus(Control::CurrentAge);  // a text field shows nothing on focus
  EXPECT_EQ(form->Message(), "This is the monthly benefit being valued.");
  // One typed character in ValuationDate shows its text before the field is left.
  form->SetText(Control::ValuationDate, "1");
  EXPECT_EQ(form->Message(),
            "This is the date the benefit is being valued as of.  If entered, current age, "
            "spouse's current age and retirement age will be recalculated.");
  form->GotFocus(Control::PreRetPrimary);
  EXPECT_EQ(form->Message(),
            "Mortality table applied to participant prior to retirement.  If there is no "
            "mortality discount prior to retirement then use None");
  // Ticking FullYieldCurve by itself shows nothing; its click does.
  form->SetChecked(Control::FullYieldCurve, true);
  EXPECT_NE(form->Message().substr(0, 20), "If using full yield ");
  form->Click(Control::FullYieldCurve);
  EXPECT_EQ(form->Message(),
            "If using full yield curve based upon different rate for each six months, check this "
            "box.");
}

}  // namespace
}  // namespace orvane::app::testing
