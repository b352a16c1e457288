#include "dates/date_age_handlers.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "dates/date_error.h"

namespace orvane::dates {
namespace {

using F = DateAgeField;
using Handler = void (*)(DateAgeForm&);
using Typed = std::vector<std::pair<F, const char*>>;

// The form with its start values. State() shows all seven fields in the order valuation date,
// date of birth, spouse's date of birth, retirement date, current age, spouse's age, retirement
// age.
class FakeForm : public DateAgeForm {
 public:
  std::string Text(F field) const override { return texts_[static_cast<int>(field)]; }
  void SetText(F field, const std::string& text) override {
    texts_[static_cast<int>(field)] = text;
  }
  void Type(const Typed& typed) {
    for (const auto& [field, text] : typed) SetText(field, text);
  }
  std::string State() const {
    std::string state = texts_[0];
    for (int f = 1; f < 7; ++f) state += "|" + texts_[f];
    return state;
  }

 private:
  std::array<std::string, 7> texts_ = {"01/01/2008", "01/01/1943", "01/01/1943", "01/01/2008",
                                       "65.000",     "65.000",     "65.000"};
};

struct Step {
  Typed typed;  // what the user types before leaving the field
  Handler handler;
  const char* state;  // every field afterwards
};

// Each scenario starts from a fresh form; its steps follow one another.
TEST(DateAgeHandlers, EachFieldRewritesTheFieldsThatDependOnIt) {
  const std::vector<Step> scenarios[] = {
      {{{}, DateOfBirth_Validate, "01/01/2008|1/1/1943|01/01/1943|1/1/2008|65|65.000|65.000"}},
      {{{{F::kCurrentAge, "45.5"}},
        CurrentAge_Validate,
        "01/01/2008|7/1/1962|01/01/1943|7/1/2027|45.500|65.000|65.000"},
       {{{F::kRetirementDate, "1/1/2030"}},
        RetirementDate_Validate,
        "01/01/2008|7/1/1962|01/01/1943|1/1/2030|45.500|65.000|67.5"},
       // The retirement date follows a new date of birth and keeps the retirement age.
       {{{F::kCurrentAge, "40"}},
        CurrentAge_Validate,
        "01/01/2008|1/1/1968|01/01/1943|7/1/2035|40.000|65.000|67.5"},
       {{{F::kDateOfBirth, ""}},
        DateOfBirth_Validate,
        "01/01/2008|1/1/1968|01/01/1943|7/1/2035|40|65.000|67.5"},
       // 45.125 years is 16786.5 days, rebuilt as 16786: the recomputed age moves to 45.124.
       {{{F::kSpousesAge, "45.125"}},
        SpousesAge_Validate,
        "01/01/2008|1/1/1968|11/17/1962|7/1/2035|40|45.125|67.5"},
       {{{F::kSpousesDateOfBirth, ""}},
        SpousesDateOfBirth_Validate,
        "01/01/2008|1/1/1968|11/17/1962|7/1/2035|40|45.124|67.5"}},
      {{{{F::kDateOfBirth, "07/15/1960"}},
        DateOfBirth_Validate,
        "01/01/2008|7/15/1960|01/01/1943|7/15/2025|47.462|65.000|65.000"},
       {{}, CurrentAge_Validate, "01/01/2008|7/15/1960|01/01/1943|7/15/2025|47.462|65.000|65.000"}},
      // Typed ages outside 10 <= age < 100 become 65.
      {{{{F::kValuationDate, "3/15/2010"}},
        ValuationDate_Validate,
        "3/15/2010|01/01/1943|01/01/1943|01/01/2008|67.204|67.204|65.000"},
       {{{F::kSpousesAge, "120"}},
        SpousesAge_Validate,
        "3/15/2010|01/01/1943|3/15/1945|01/01/2008|67.204|65.000|65.000"},
       {{{F::kRetirementAge, "99.9999"}},
        RetirementAge_Validate,
        "3/15/2010|01/01/1943|3/15/1945|1/1/2043|67.204|65.000|100.000"},
       {{{F::kRetirementAge, "5"}},
        RetirementAge_Validate,
        "3/15/2010|01/01/1943|3/15/1945|1/1/2008|67.204|65.000|65.000"},
       {{{F::kCurrentAge, ""}},
        CurrentAge_Validate,
        "3/15/2010|3/15/1945|3/15/1945|3/15/2010|65.000|65.000|65.000"}},
      // A date that is not one is rebuilt from its paired age.
      {{{{F::kValuationDate, "1/1/2010"}},
        ValuationDate_Validate,
        "1/1/2010|01/01/1943|01/01/1943|01/01/2008|67|67|65.000"},
       {{{F::kValuationDate, "someday"}},
        ValuationDate_Validate,
        "1/1/2010|01/01/1943|01/01/1943|01/01/2008|67|67|65.000"}},
      // A retirement date before the birth gives a negative age, read on as a plain number.
      {{{{F::kRetirementDate, "abc"}},
        RetirementDate_Validate,
        "01/01/2008|01/01/1943|01/01/1943|1/1/2008|65.000|65.000|65"},
       {{{F::kRetirementDate, "1/1/1940 10:30 PM"}},
        RetirementDate_Validate,
        "01/01/2008|01/01/1943|01/01/1943|1/1/1940|65.000|65.000|-3"},
       {{{F::kCurrentAge, "50"}},
        CurrentAge_Validate,
        "01/01/2008|1/1/1958|01/01/1943|1/1/1955|50.000|65.000|-3"}},
      // The day that April lacks is written and read back by the later handlers.
      {{{{F::kCurrentAge, "45.669"}},
        CurrentAge_Validate,
        "01/01/2008|4/31/1962|01/01/1943|4/31/2027|45.669|65.000|65.000"},
       {{}, RetirementDate_Validate, "01/01/2008|4/31/1962|01/01/1943|4/31/2027|45.669|65.000|65"},
       {{{F::kRetirementAge, "60"}},
        RetirementAge_Validate,
        "01/01/2008|4/31/1962|01/01/1943|4/31/2022|45.669|65.000|60.000"}}};
  for (const std::vector<Step>& steps : scenarios) {
    FakeForm form;
    for (const Step& step : steps) {
      form.Type(step.typed);
      step.handler(form);
      ASSERT_EQ(form.State(), step.state);
    }
  }
}

// The handler throws naming the field and its text, and writes nothing.
TEST(DateAgeHandlers, UnusableFieldsReadFromOtherFieldsAreRefused) {
  struct Case {
    Typed typed;
    Handler handler;
    const char* message;
  };
  const Case cases[] = {
      {{{F::kValuationDate, "abc"}}, SpousesAge_Validate, "Valuation Date \"abc\" is not a date"},
      {{{F::kRetirementAge, "abc"}, {F::kCurrentAge, "45.5"}},
       CurrentAge_Validate,
       "Retirement Age \"abc\" is not a number"},
      {{{F::kDateOfBirth, ""}, {F::kCurrentAge, "xyz"}},
       DateOfBirth_Validate,
       "Participant's Current Age \"xyz\" is not a number"},
      {{{F::kSpousesDateOfBirth, ""}, {F::kSpousesAge, ""}},
       SpousesDateOfBirth_Validate,
       "Spouse's Current Age \"\" is not a number"},
      {{{F::kDateOfBirth, ""}}, RetirementAge_Validate, "Date of Birth \"\" is not a date"},
      {{{F::kSpousesDateOfBirth, "13/1/1950"}},
       ValuationDate_Validate,
       "Spouse's Date of Birth \"13/1/1950\" is not a date"},
      {{{F::kDateOfBirth, "1/1/9999"}},
       DateOfBirth_Validate,
       "cannot move the date 1/1/9999 by 65 years: the result would leave the years 100-9999"}};
  for (const auto& c : cases) {
    FakeForm form;
    form.Type(c.typed);
    const std::string before = form.State();
    try {
      c.handler(form);
      ADD_FAILURE() << "no error, expected: " << c.message;
    } catch (const DateError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_EQ(form.State(), before) << c.message;
  }
}

}  // namespace
}  // namespace orvane::dates
