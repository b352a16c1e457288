#include "form/numeric_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "numbers/number_text.h"
#include "tests/form/form_test_support.h"

namespace orvane::form::testing {
namespace {

struct FieldExamples {
  Control control;
  std::vector<std::pair<std::string, std::string>> typed_and_shown;
};

const std::string kZeros(400, '0');

// The field rules' worked examples: fallbacks, bounds on both sides, display rounding that leaves
// a text just outside the range, two-digit years; numbers a double cannot hold, judged by their
// size and not by their spelling.
const std::vector<FieldExamples> kExamples = {
    {Control::Benefit,
     {{"1e-401", "0.00"},
      {"-0." + kZeros + "1", "0.00"},
      {"1" + kZeros + "e-5", "1,000.00"},
      {"1" + kZeros + "e-400", "1.00"},
      {"0.0" + kZeros + "1e401", "0.10"},
      {"1e-99999999999999999999", "0.00"},
      {"1e+99999999999999999999", "1,000.00"},
      {"NaN", "1,000.00"},
      {"inf", "1,000.00"},
      {"-0", "0.00"},
      {"", "1,000.00"},
      {"abc", "1,000.00"},
      {"-5", "1,000.00"},
      {"100000", "1,000.00"},
      {"99999.99", "99,999.99"},
      {"99999.996", "100,000.00"},
      {"  1,000.00", "1,000.00"}}},
    {Control::Maximum,
     {{"20000", "20,000.000"}, {"100000", "20,000.000"}, {"", "20,000.000"}, {"99", "99.000"}}},
    {Control::PeriodCertain, {{"", "0.000"}, {"99.9999", "100.000"}, {"100", "0.000"}}},
    {Control::PercentToSurvivor,
     {{"100", "100.000"}, {"100.5", "00.000"}, {"50", "50.000"}, {"5", "05.000"}}},
    {Control::COLA, {{"3", "3.000"}, {"-0.001", "0.000"}, {"0.001", "0.001"}, {"1e-3", "0.001"}}},
    {Control::InterestRate1, {{"4.6", "4.600"}, {"", "5.000"}}},
    {Control::InterestRate2, {{"", "5.000"}}},
    {Control::InterestRate3, {{"x", "5.000"}}},
    {Control::PostRetirementInterest, {{"100", "5.000"}, {"99.99", "99.990"}, {"0", "0.000"}}},
    {Control::Period1, {{"5.6", "6"}, {"", "5"}}},
    {Control::Period2, {{"", "15"}, {"7", "7"}}},
    {Control::Load, {{"2", "2.000"}, {"100", "0.000"}, {"0.001", "0.001"}, {"99.999", "99.999"}}},
    {Control::YearOfYieldCurve,
     {{"8", "2008"},
      {"19", "2019"},
      {"20", "2008"},
      {"2006", "2008"},
      {"1999", "2008"},
      {"2019", "2019"},
      {"2007", "2007"}}},
    {Control::MonthOfYieldCurve, {{"0.6", "1"}, {"12.4", "1"}, {"11.6", "12"}, {"12", "12"}}},
};

TEST(NumericFields, NormaliseEveryWorkedExample) {
  for (const auto& [control, examples] : kExamples) {
    const NumericField* field = NumericFieldOf(control);
    ASSERT_NE(field, nullptr) << NameOf(control);
    for (const auto& [typed, shown] : examples) {
      EXPECT_EQ(NormalisedNumberText(*field, typed), shown)
          << NameOf(control) << " \"" << typed.substr(0, 30) << "\"";
    }
  }
}

using NumericValidate = FormTest;

// A number is used as displayed: a period of 5.6 as 6, a benefit that rounds to 100,000.00 as
// that, not as the fallback.
TEST_F(NumericValidate, NumbersAreUsedAsDisplayed) {
  auto form = MakeForm();
  Enter(*form, Control::Period1, "6");
  const std::string six = form->Result();
  Enter(*form, Control::Period1, "5.6");
  EXPECT_EQ(form->Result(), six);
  Enter(*form, Control::Maximum, "99999.9999");
  Enter(*form, Control::Benefit, "1000");
  const double thousand = *numbers::ParseNumber(form->Result());
  Enter(*form, Control::Benefit, "99999.996");
  EXPECT_NEAR(*numbers::ParseNumber(form->Result()), 100 * thousand, 0.51);
}

}  // namespace
}  // namespace orvane::form::testing
