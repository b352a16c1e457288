#include "dates/date_age_handlers.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "dates/date_error.h"

namespace orvane::dates {
namespace {

using enum DateAgeField;
using Typed = std::vector<std::pair<DateAgeField, const char*>>;

// The form with its start values. State() shows all seven fields in the order valuation date,
// date of birth, spouse's date of birth, retirement date, current age, spouse's age, retirement
// age.
class FakeForm : public DateAgeForm {
 public:
  std::string Text(DateAgeField field) const override { return texts_[static_cast<int>(field)]; }
  void SetText(DateAgeField field, const std::string& text) override {
    texts_[static_cast<int>(field)] = text;
  }
  std::string State() const {
    std::string state = texts_[0];
    for (int f = 1; f < 7; ++f) state += "|" + texts_[f];
    return state;
  }
  // Leaves `field`, which runs its validate handler.
  void Leave(DateAgeField field) {
    void (*const validate[])(DateAgeForm&) = {ValuationDate_Validate,      DateOfBirth_Validate,
                                              SpousesDateOfBirth_Validate, RetirementDate_Validate,
                                              CurrentAge_Validate,         SpousesAge_Validate,
                                              RetirementAge_Validate};
    validate[static_cast<int>(field)](*this);
  }

 private:
  std::array<std::string, 7> texts_ = {"01/01/2008", "01/01/1943", "01/01/1943", "01/01/2008",
                                       "65.000",     "65.000",     "65.000"};
};

// Each scenario starts from a fresh form; in each step a text is typed into a field (unless it
// is null) and the field is left, and then every field reads as shown.
TEST(DateAgeHandlers, EachFieldRewritesTheFieldsThatDependOnItOrRefusesUnusableOnes) {
  using Step = std::tuple<DateAgeField, const char*, const char*>;
  const std::vector<Step> scenarios[] = {
      // The retirement date follows a new date of birth and keeps the retirement age; 45.125
      // years are 16786.5 days, rebuilt as 16786: the recomputed age moves to 45.124.
      {{kCurrentAge, "45.5", "01/01/2008|7/1/1962|01/01/1943|7/1/2027|45.500|65.000|65.000"},
       {kRetirementDate, "1/1/2030", "01/01/2008|7/1/1962|01/01/1943|1/1/2030|45.500|65.000|67.5"},
       {kCurrentAge, "40", "01/01/2008|1/1/1968|01/01/1943|7/1/2035|40.000|65.000|67.5"},
       {kDateOfBirth, "", "01/01/2008|1/1/1968|01/01/1943|7/1/2035|40|65.000|67.5"},
       {kSpousesAge, "45.125", "01/01/2008|1/1/1968|11/17/1962|7/1/2035|40|45.125|67.5"},
       {kSpousesDateOfBirth, "", "01/01/2008|1/1/1968|11/17/1962|7/1/2035|40|45.124|67.5"}},
      {{kDateOfBirth, "07/15/1960",
        "01/01/2008|7/15/1960|01/01/1943|7/15/2025|47.462|65.000|65.000"},
       {kCurrentAge, nullptr, "01/01/2008|7/15/1960|01/01/1943|7/15/2025|47.462|65.000|65.000"}},
      // Typed ages outside 10 <= age < 100 become 65.
      {{kValuationDate, "3/15/2010",
        "3/15/2010|01/01/1943|01/01/1943|01/01/2008|67.204|67.204|65.000"},
       {kSpousesAge, "120", "3/15/2010|01/01/1943|3/15/1945|01/01/2008|67.204|65.000|65.000"},
       {kRetirementAge, "99.9999", "3/15/2010|01/01/1943|3/15/1945|1/1/2043|67.204|65.000|100.000"},
       {kCurrentAge, "", "3/15/2010|3/15/1945|3/15/1945|3/15/2045|65.000|65.000|100.000"}},
      // A date that is not one is rebuilt from its paired age.
      {{kValuationDate, "1/1/2010", "1/1/2010|01/01/1943|01/01/1943|01/01/2008|67|67|65.000"},
       {kValuationDate, "someday", "1/1/2010|01/01/1943|01/01/1943|01/01/2008|67|67|65.000"}},
      // A retirement date before the birth gives a negative age, read on as a plain number.
      {{kRetirementDate, "abc", "01/01/2008|01/01/1943|01/01/1943|1/1/2008|65.000|65.000|65"},
       {kRetirementDate, "1/1/1940 10:30 PM",
        "01/01/2008|01/01/1943|01/01/1943|1/1/1940|65.000|65.000|-3"},
       {kCurrentAge, "50", "01/01/2008|1/1/1958|01/01/1943|1/1/1955|50.000|65.000|-3"}}};
  for (const std::vector<Step>& steps : scenarios) {
    FakeForm form;
    for (const auto& [field, typed, state] : steps) {
      if (typed)
        form.SetText(field, typed);
      form.Leave(field);
      ASSERT_EQ(form.State(), state);
    }
  }

  // An unusable field read from another is refused: the handler throws naming the field and its
  // text, and writes nothing.
  const std::tuple<DateAgeField, Typed, const char*> cases[] = {
      {kSpousesAge, {{kValuationDate, "abc"}}, "Valuation Date \"abc\" is not a date"},
      {kCurrentAge,
       {{kRetirementAge, "abc"}, {kCurrentAge, "45.5"}},
       "Retirement Age \"abc\" is not a number"},
      {kDateOfBirth,
       {{kDateOfBirth, ""}, {kCurrentAge, "xyz"}},
       "Participant's Current Age \"xyz\" is not a number"},
      {kValuationDate,
       {{kSpousesDateOfBirth, "13/1/1950"}},
       "Spouse's Date of Birth \"13/1/1950\" is not a date"},
      {kDateOfBirth,
       {{kDateOfBirth, "1/1/9999"}},
       "cannot move the date 1/1/9999 by 65 years: the result would leave the years 100-9999"}};
  for (const auto& [left, typed, message] : cases) {
    FakeForm form;
    for (const auto& [field, text] : typed) form.SetText(field, text);
    const std::string before = form.State();
    try {
      form.Leave(left);
      ADD_FAILURE() << "no error, expected: " << message;
    } catch (const DateError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
    EXPECT_EQ(form.State(), before) << message;
  }
}

}  // namespace
}  // namespace orvane::dates
