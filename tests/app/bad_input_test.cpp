// Every text field and table chooser fed what slips of the keyboard and pasted clipboards produce,
// left (its Validate runs) and recalculated, a rotating subset exported; once more with the full
// yield curve ticked. No entry may reach the screen as NaN or infinity, or fail unexplained.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "app/form_error.h"
#include "form_test_support.h"

namespace orvane::app::testing {
namespace {

const std::vector<std::string> kBadEntries = {"",
                                              "    ",
                                              "abc",
                                              "-0",
                                              "1e308",
                                              "1e-308",
                                              "NaN",
                                              "inf",
                                              std::string(10000, '9'),
                                              "Z\xC3\xBCrich \xE2\x82\xAC"
                                              "5",
                                              "5\xFF",
                                              "=1+1"};

std::vector<Control> TextControls() {
  std::vector<Control> controls;
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    if (KindOf(control) == ControlKind::kTextField || KindOf(control) == ControlKind::kTableChooser)
      controls.push_back(control);
  }
  return controls;
}

// A NaN or an infinity as C++ and the usual formatters spell them, outside what the user typed.
bool ShowsNonFinite(std::string text, const std::string& entry) {
  static const std::regex kNonFinite("(^|[^A-Za-z])(nan|inf|infinity)([^A-Za-z]|$)",
                                     std::regex::icase);
  for (size_t at; !entry.empty() && (at = text.find(entry)) != std::string::npos;)
    text.erase(at, entry.size());
  return std::regex_search(text, kNonFinite);
}

bool IsResultText(const std::string& text) {
  static const std::regex kResult("[0-9]{1,3}(,[0-9]{3})*\\.[0-9]{2}");
  return std::regex_match(text, kResult);
}

class BadInput : public FormTest, public ::testing::WithParamInterface<std::tuple<Control, bool>> {
 protected:
  void ExpectNothingNonFinite(const FormModel& form, Control typed_into, const std::string& entry) {
    for (Control control : TextControls()) {
      const std::string& text = form.Text(control);
      EXPECT_FALSE(control != typed_into && ShowsNonFinite(text, ""))
          << NameOf(control) << " holds \"" << text << "\"";
    }
    EXPECT_FALSE(ShowsNonFinite(form.Result(), "")) << form.Result();
    EXPECT_FALSE(ShowsNonFinite(form.Failure(), entry)) << form.Failure();
  }

  // A workbook on success; a FormError naming the reason of a failed recalculation, and no file.
  void ExpectExports(FormModel& form, const std::string& name) {
    const auto detail = dir_ / (name + "-detail.xlsx");
    const std::string result_before = form.Result();
    try {
      form.ExportDetail(detail);
      EXPECT_EQ(form.Failure(), "");
      EXPECT_TRUE(std::filesystem::exists(detail));
    } catch (const FormError& e) {
      EXPECT_NE(std::string(e.what()).find(form.Failure()), std::string::npos) << e.what();
      EXPECT_EQ(form.Result(), result_before);
      EXPECT_FALSE(std::filesystem::exists(detail));
    }
    EXPECT_FALSE(form.KeepDetail());
    EXPECT_NO_THROW(form.ExportMortality(dir_ / (name + "-mortality.xlsx")));
  }
};

TEST_P(BadInput, EveryEntryIsNormalisedAndNeverReachesTheValuationUnexplained) {
  const auto [control, full_yield_curve] = GetParam();
  const bool chooser = KindOf(control) == ControlKind::kTableChooser;
  if (full_yield_curve)
    AddYieldCurveWorkbook();
  for (size_t i = 0; i < kBadEntries.size(); ++i) {
    const std::string& entry = kBadEntries[i];
    SCOPED_TRACE(std::string(NameOf(control)) + " <- " + entry.substr(0, 20));
    auto form = MakeForm();
    form->SetChecked(Control::FullYieldCurve, full_yield_curve);
    form->Calculate();
    ASSERT_EQ(form->Failure(), "");
    const std::string result_before = form->Result();
    Enter(*form, control, entry);
    if (chooser)
      EXPECT_EQ(form->Text(control), entry);
    // A normalised field always gives a valuation; an unknown table name says why instead.
    if (chooser && !form->Failure().empty()) {
      EXPECT_EQ(form->Result(), result_before);
    } else {
      EXPECT_EQ(form->Failure(), "");
      EXPECT_TRUE(IsResultText(form->Result())) << form->Result();
    }
    EXPECT_LT(form->Failure().size(), 600u);
    ExpectNothingNonFinite(*form, control, entry);
    if ((i + static_cast<size_t>(control)) % 3 == 0)
      ExpectExports(*form, std::to_string(i));
  }
}

// A number a double cannot hold is judged by its size, not by its spelling.
TEST_F(FormTest, NumbersBeyondADoubleAreJudgedBySize) {
  auto form = MakeForm();
  const std::string zeros(400, '0');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1e-401", "0.00"},
      {"0." + zeros + "1", "0.00"},
      {"-0." + zeros + "1", "0.00"},
      {"1" + zeros + "e-5", "1,000.00"},
      {"1" + zeros, "1,000.00"},
      {"1" + zeros + "e-400", "1.00"},
      {"0.0" + zeros + "1e401", "0.10"},
      {"1e-99999999999999999999", "0.00"},
      {"1e+99999999999999999999", "1,000.00"},
  };
  for (const auto& [text, shown] : cases) {
    Enter(*form, Control::Benefit, text);
    EXPECT_EQ(form->Text(Control::Benefit), shown) << text.substr(0, 40);
  }
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Control, bool>>& info) {
  return std::string(NameOf(std::get<0>(info.param))) +
         (std::get<1>(info.param) ? "_FullYieldCurve" : "");
}

INSTANTIATE_TEST_SUITE_P(AllTextFieldsAndChoosers, BadInput,
                         ::testing::Combine(::testing::ValuesIn(TextControls()), ::testing::Bool()),
                         CaseName);

}  // namespace
}  // namespace orvane::app::testing
