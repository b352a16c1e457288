// Every text field and table chooser of the form fed the entries that slips of the keyboard and
// pasted clipboards produce: blanks, letters, signed zero, numbers beyond any field, NaN and
// infinity, a 10,000-character text, non-ASCII text and a spreadsheet formula. After each entry
// the field is left (its Validate runs), the form recalculates, and for a rotating subset both
// workbooks are exported; all of it once more with the full yield curve ticked.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "app/form_error.h"
#include "form_test_support.h"
#include "sheets/sheet_error.h"

namespace orvane::app::testing {
namespace {

struct BadEntry {
  const char* label;
  std::string text;
  bool reads_as_zero;  // a number parser that reads it gives 0 (or a value that shows as 0)
};

const std::vector<BadEntry>& BadEntries() {
  static const std::vector<BadEntry> entries = {
      {"blank", "", false},
      {"spaces", "    ", false},
      {"letters", "abc", false},
      {"minus zero", "-0", true},
      {"huge", "1e308", false},
      {"tiny", "1e-308", true},
      {"NaN", "NaN", false},
      {"infinity", "inf", false},
      {"10,000 nines", std::string(10000, '9'), false},
      {"UTF-8",
       "Z\xC3\xBCrich \xE2\x82\xAC"
       "5",
       false},
      {"stray byte 0xFF", "5\xFF", false},
      {"formula", "=1+1", false},
  };
  return entries;
}

// What each plain-number field shows after a fallback and after an entry that reads as zero,
// written out from the fields' rules: bounds, fallback, display format. A zero outside the
// bounds (the year, the month) falls back; the year first becomes 2000 and is still too early.
struct NumberExpectation {
  Control control;
  const char* fallback;
  const char* zero;
};
constexpr NumberExpectation kNumberExpectations[] = {
    {Control::Benefit, "1,000.00", "0.00"},
    {Control::Maximum, "20,000.000", "0.000"},
    {Control::PeriodCertain, "0.000", "0.000"},
    {Control::PercentToSurvivor, "00.000", "00.000"},
    {Control::COLA, "0.000", "0.000"},
    {Control::InterestRate1, "5.000", "0.000"},
    {Control::InterestRate2, "5.000", "0.000"},
    {Control::InterestRate3, "5.000", "0.000"},
    {Control::PostRetirementInterest, "5.000", "0.000"},
    {Control::Period1, "5", "0"},
    {Control::Period2, "15", "0"},
    {Control::Load, "0.000", "0.000"},
    {Control::YearOfYieldCurve, "2008", "2008"},
    {Control::MonthOfYieldCurve, "1", "1"},
};

const NumberExpectation* NumberExpectationOf(Control control) {
  for (const NumberExpectation& expectation : kNumberExpectations) {
    if (expectation.control == control)
      return &expectation;
  }
  return nullptr;
}

// The date and age fields after an unusable entry on the start-up form: an age falls back to
// 65 and moves its dates; a date is rebuilt from its paired age, written month/day/year.
struct DateAgeExpectation {
  Control control;
  std::vector<std::pair<Control, const char*>> texts;
};
const std::vector<DateAgeExpectation>& DateAgeExpectations() {
  static const std::vector<DateAgeExpectation> expectations = {
      {Control::CurrentAge,
       {{Control::CurrentAge, "65.000"},
        {Control::DateOfBirth, "1/1/1943"},
        {Control::RetirementDate, "1/1/2008"}}},
      {Control::SpousesAge,
       {{Control::SpousesAge, "65.000"}, {Control::SpousesDateOfBirth, "1/1/1943"}}},
      {Control::RetirementAge,
       {{Control::RetirementAge, "65.000"}, {Control::RetirementDate, "1/1/2008"}}},
      {Control::DateOfBirth,
       {{Control::DateOfBirth, "1/1/1943"},
        {Control::CurrentAge, "65"},
        {Control::RetirementDate, "1/1/2008"}}},
      {Control::SpousesDateOfBirth,
       {{Control::SpousesDateOfBirth, "1/1/1943"}, {Control::SpousesAge, "65"}}},
      {Control::RetirementDate,
       {{Control::RetirementDate, "1/1/2008"}, {Control::RetirementAge, "65"}}},
      {Control::ValuationDate,
       {{Control::ValuationDate, "1/1/2008"},
        {Control::CurrentAge, "65"},
        {Control::SpousesAge, "65"}}},
  };
  return expectations;
}

const DateAgeExpectation* DateAgeExpectationOf(Control control) {
  for (const DateAgeExpectation& expectation : DateAgeExpectations()) {
    if (expectation.control == control)
      return &expectation;
  }
  return nullptr;
}

std::vector<Control> TextControls() {
  std::vector<Control> controls;
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    const ControlKind kind = KindOf(control);
    if (kind == ControlKind::kTextField || kind == ControlKind::kTableChooser)
      controls.push_back(control);
  }
  return controls;
}

// A NaN or an infinity as C++ and the usual formatters spell them ("nan", "-inf", "Infinity").
bool ShowsNonFinite(const std::string& text) {
  static const std::regex kNonFinite("(^|[^A-Za-z])(nan|inf|infinity)([^A-Za-z]|$)",
                                     std::regex::icase);
  return std::regex_search(text, kNonFinite);
}

// `text` without every occurrence of what the user typed, which a message may quote.
std::string WithoutEntry(std::string text, const std::string& entry) {
  if (entry.empty())
    return text;
  for (size_t at = text.find(entry); at != std::string::npos; at = text.find(entry, at)) {
    text.erase(at, entry.size());
  }
  return text;
}

// The results label: cents, thousands grouped, no sign (every value here is positive).
bool IsResultText(const std::string& text) {
  static const std::regex kResult("[0-9]{1,3}(,[0-9]{3})*\\.[0-9]{2}");
  return std::regex_match(text, kResult);
}

class BadInput : public FormTest, public ::testing::WithParamInterface<std::tuple<Control, bool>> {
 protected:
  Control field() const { return std::get<0>(GetParam()); }
  bool full_yield_curve() const { return std::get<1>(GetParam()); }

  // A loaded and calculated form, with the full yield curve ticked when the case asks for it.
  std::unique_ptr<FormModel> StartedForm() {
    auto form = MakeForm();
    if (full_yield_curve()) {
      form->SetChecked(Control::FullYieldCurve, true);
      form->Validate(Control::FullYieldCurve);
    } else {
      form->Calculate();
    }
    EXPECT_EQ(form->Failure(), "");
    EXPECT_TRUE(IsResultText(form->Result())) << form->Result();
    return form;
  }

  // No NaN or infinity in any field, the results label, or the failure text (apart from what the
  // user typed and a message quotes).
  static void ExpectNothingNonFinite(const FormModel& form, Control typed_into,
                                     const std::string& entry) {
    for (Control control : TextControls()) {
      const std::string& text = form.Text(control);
      if (control == typed_into && text == entry)
        continue;  // a chooser keeps what was typed
      EXPECT_FALSE(ShowsNonFinite(text)) << NameOf(control) << " holds \"" << text << "\"";
    }
    EXPECT_FALSE(ShowsNonFinite(form.Result())) << form.Result();
    EXPECT_FALSE(ShowsNonFinite(WithoutEntry(form.Failure(), entry))) << form.Failure();
  }

  // Both exports of the form as it stands: a workbook on success, a FormError naming the reason
  // of a failed recalculation (and no file) otherwise.
  void ExpectExports(FormModel& form, const std::string& name) {
    const auto detail = dir_ / (name + "-detail.xlsx");
    const auto mortality = dir_ / (name + "-mortality.xlsx");
    const std::string result_before = form.Result();
    try {
      form.ExportDetail(detail);
      EXPECT_EQ(form.Failure(), "");
      EXPECT_TRUE(std::filesystem::exists(detail));
    } catch (const FormError& e) {
      EXPECT_NE(form.Failure(), "");
      EXPECT_NE(std::string(e.what()).find(form.Failure()), std::string::npos) << e.what();
      EXPECT_EQ(form.Result(), result_before);
      EXPECT_FALSE(std::filesystem::exists(detail));
    }
    EXPECT_FALSE(form.KeepDetail());
    try {
      form.ExportMortality(mortality);
      EXPECT_TRUE(std::filesystem::exists(mortality));
    } catch (const FormError& e) {
      ADD_FAILURE() << "the four tables did not load: " << e.what();
    }
  }
};

TEST_P(BadInput, EveryEntryIsNormalisedAndNeverReachesTheValuationUnexplained) {
  const std::vector<BadEntry>& entries = BadEntries();
  const Control control = field();
  const NumberExpectation* number = NumberExpectationOf(control);
  const DateAgeExpectation* date_age = DateAgeExpectationOf(control);
  const bool chooser = KindOf(control) == ControlKind::kTableChooser;
  ASSERT_TRUE(number || date_age || chooser) << NameOf(control);
  if (full_yield_curve())
    AddYieldCurveWorkbook();

  for (size_t i = 0; i < entries.size(); ++i) {
    const BadEntry& entry = entries[i];
    SCOPED_TRACE(std::string(NameOf(control)) + " <- " + entry.label);
    auto form = StartedForm();
    const std::string result_before = form->Result();

    Enter(*form, control, entry.text);

    if (number) {
      EXPECT_EQ(form->Text(control), entry.reads_as_zero ? number->zero : number->fallback);
    } else if (date_age) {
      for (const auto& [dependent, text] : date_age->texts) {
        EXPECT_EQ(form->Text(dependent), text) << NameOf(dependent);
      }
    } else {
      EXPECT_EQ(form->Text(control), entry.text);  // a chooser keeps any text
    }

    // A normalised field always gives a valuation; an unknown table name may not, and then says
    // why and leaves the label alone.
    if (chooser && !form->Failure().empty()) {
      EXPECT_EQ(form->Result(), result_before);
    } else {
      EXPECT_EQ(form->Failure(), "");
      EXPECT_TRUE(IsResultText(form->Result())) << form->Result();
    }
    // A message quotes a typed text only as far as a reader needs it.
    EXPECT_LT(form->Failure().size(), 600u) << form->Failure().substr(0, 600);
    ExpectNothingNonFinite(*form, control, entry.text);

    // Every field's entries are exported in turn, a different third of them for each field.
    if ((i + static_cast<size_t>(control)) % 3 == 0) {
      ExpectExports(*form, std::to_string(i));
      ExpectNothingNonFinite(*form, control, entry.text);
    }
  }
}

using OutOfRangeSpelling = FormTest;

// A number a double cannot hold is judged by its size, not by its spelling: below the smallest
// double it reads as 0, above the largest it is unreadable and falls back, whether or not an
// exponent or a minus sign in the exponent is written.
TEST_F(OutOfRangeSpelling, NumbersBeyondADoubleAreJudgedBySize) {
  auto form = MakeForm();
  const std::string zeros(400, '0');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1e-401", "0.00"},                   // tiny, with an exponent
      {"0." + zeros + "1", "0.00"},         // tiny, without one
      {"-0." + zeros + "1", "0.00"},        // tiny and negative: zero, inside the bounds
      {"1" + zeros + "e-5", "1,000.00"},    // 1e395: huge despite the negative exponent
      {"1" + zeros, "1,000.00"},            // 1e400
      {"1" + zeros + "e-400", "1.00"},      // exactly 1 once the exponent is applied
      {"0.0" + zeros + "1e401", "0.10"},    // tiny digits, big exponent: 0.1
      {"1e-99999999999999999999", "0.00"},  // an exponent beyond any integer type
      {"1e+99999999999999999999", "1,000.00"},
  };
  for (const auto& [text, shown] : cases) {
    Enter(*form, Control::Benefit, text);
    EXPECT_EQ(form->Text(Control::Benefit), shown) << text.substr(0, 40);
    EXPECT_EQ(form->Failure(), "");
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
