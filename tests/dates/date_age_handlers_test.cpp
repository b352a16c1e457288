#include "dates/date_age_handlers.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "dates/date_error.h"

namespace orvane::dates {
namespace {

using F = DateAgeField;

struct Write {
  F field;
  std::string text;
  friend bool operator==(const Write&, const Write&) = default;
};

const char* Name(F field) {
  switch (field) {
    case F::kValuationDate:
      return "ValuationDate";
    case F::kDateOfBirth:
      return "DateOfBirth";
    case F::kSpousesDateOfBirth:
      return "SpousesDateOfBirth";
    case F::kRetirementDate:
      return "RetirementDate";
    case F::kCurrentAge:
      return "CurrentAge";
    case F::kSpousesAge:
      return "SpousesAge";
    case F::kRetirementAge:
      return "RetirementAge";
  }
  return "?";
}

void PrintTo(const Write& w, std::ostream* os) {
  *os << Name(w.field) << "=\"" << w.text << '"';
}

// The form as the handlers see it, holding the start values and recording every write in order.
class FakeForm : public DateAgeForm {
 public:
  FakeForm() {
    texts_ = {{F::kValuationDate, "01/01/2008"},
              {F::kDateOfBirth, "01/01/1943"},
              {F::kSpousesDateOfBirth, "01/01/1943"},
              {F::kRetirementDate, "01/01/2008"},
              {F::kCurrentAge, "65.000"},
              {F::kSpousesAge, "65.000"},
              {F::kRetirementAge, "65.000"}};
  }
  std::string Text(F field) const override { return texts_.at(field); }
  void SetText(F field, const std::string& text) override {
    texts_[field] = text;
    writes.push_back({field, text});
  }
  // What the user types: not a handler's write.
  void Type(F field, const std::string& text) { texts_[field] = text; }
  // The writes since the last call.
  std::vector<Write> TakeWrites() { return std::exchange(writes, {}); }

  std::vector<Write> writes;

 private:
  std::map<F, std::string> texts_;
};

TEST(DateAgeHandlers, LeavingTheDateOfBirthAtTheStartValues) {
  FakeForm form;
  DateOfBirth_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kDateOfBirth, "1/1/1943"},
                                                   {F::kCurrentAge, "65"},
                                                   {F::kRetirementDate, "1/1/2008"}}));
}

TEST(DateAgeHandlers, EnteringTheCurrentAgeThenTheRetirementDate) {
  FakeForm form;
  form.Type(F::kCurrentAge, "45.5");
  CurrentAge_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kCurrentAge, "45.500"},
                                                   {F::kDateOfBirth, "7/1/1962"},
                                                   {F::kRetirementDate, "7/1/2027"}}));
  EXPECT_EQ(form.Text(F::kValuationDate), "01/01/2008");

  form.Type(F::kRetirementDate, "1/1/2030");
  RetirementDate_Validate(form);
  EXPECT_EQ(form.TakeWrites(),
            (std::vector<Write>{{F::kRetirementDate, "1/1/2030"}, {F::kRetirementAge, "67.5"}}));

  // The retirement date follows a new date of birth and keeps the retirement age.
  form.Type(F::kCurrentAge, "40");
  CurrentAge_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kCurrentAge, "40.000"},
                                                   {F::kDateOfBirth, "1/1/1968"},
                                                   {F::kRetirementDate, "7/1/2035"}}));
}

TEST(DateAgeHandlers, ComputedCurrentAgeRebuildsTheSameDateOfBirth) {
  FakeForm form;
  form.Type(F::kDateOfBirth, "07/15/1960");
  DateOfBirth_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kDateOfBirth, "7/15/1960"},
                                                   {F::kCurrentAge, "47.462"},
                                                   {F::kRetirementDate, "7/15/2025"}}));
  CurrentAge_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kCurrentAge, "47.462"},
                                                   {F::kDateOfBirth, "7/15/1960"},
                                                   {F::kRetirementDate, "7/15/2025"}}));
}

TEST(DateAgeHandlers, TypedAgesAreBoundedAndShownWithThreeDecimals) {
  FakeForm form;
  form.Type(F::kValuationDate, "3/15/2010");
  form.Type(F::kSpousesAge, "120");
  SpousesAge_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kSpousesAge, "65.000"},
                                                   {F::kSpousesDateOfBirth, "3/15/1945"}}));

  form.Type(F::kRetirementAge, "99.9999");
  RetirementAge_Validate(form);
  EXPECT_EQ(form.TakeWrites(),
            (std::vector<Write>{{F::kRetirementAge, "100.000"}, {F::kRetirementDate, "1/1/2043"}}));

  form.Type(F::kRetirementAge, "5");
  RetirementAge_Validate(form);
  EXPECT_EQ(form.TakeWrites(),
            (std::vector<Write>{{F::kRetirementAge, "65.000"}, {F::kRetirementDate, "1/1/2008"}}));

  form.Type(F::kCurrentAge, "");
  CurrentAge_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kCurrentAge, "65.000"},
                                                   {F::kDateOfBirth, "3/15/1945"},
                                                   {F::kRetirementDate, "3/15/2010"}}));
}

TEST(DateAgeHandlers, ClearedDatesOfBirthAreRebuiltFromTheirAges) {
  FakeForm form;
  form.Type(F::kCurrentAge, "45.5");
  CurrentAge_Validate(form);
  form.TakeWrites();
  form.Type(F::kDateOfBirth, "");
  DateOfBirth_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kDateOfBirth, "7/1/1962"},
                                                   {F::kCurrentAge, "45.5"},
                                                   {F::kRetirementDate, "7/1/2027"}}));

  // 45.125 years is 16786.5 days, rebuilt as 16786: the recomputed age moves to 45.124.
  form.Type(F::kSpousesAge, "45.125");
  SpousesAge_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kSpousesAge, "45.125"},
                                                   {F::kSpousesDateOfBirth, "11/17/1962"}}));
  form.Type(F::kSpousesDateOfBirth, "");
  SpousesDateOfBirth_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kSpousesDateOfBirth, "11/17/1962"},
                                                   {F::kSpousesAge, "45.124"}}));
}

TEST(DateAgeHandlers, NewValuationDateMovesBothCurrentAgesOnly) {
  FakeForm form;
  form.Type(F::kValuationDate, "1/1/2010");
  ValuationDate_Validate(form);
  EXPECT_EQ(form.TakeWrites(),
            (std::vector<Write>{
                {F::kValuationDate, "1/1/2010"}, {F::kCurrentAge, "67"}, {F::kSpousesAge, "67"}}));
  EXPECT_EQ(form.Text(F::kRetirementDate), "01/01/2008");
  EXPECT_EQ(form.Text(F::kRetirementAge), "65.000");
  EXPECT_EQ(form.Text(F::kDateOfBirth), "01/01/1943");
  EXPECT_EQ(form.Text(F::kSpousesDateOfBirth), "01/01/1943");

  // Not a date: rebuilt from the date of birth and the current age just written.
  form.Type(F::kValuationDate, "someday");
  ValuationDate_Validate(form);
  EXPECT_EQ(form.TakeWrites(),
            (std::vector<Write>{
                {F::kValuationDate, "1/1/2010"}, {F::kCurrentAge, "67"}, {F::kSpousesAge, "67"}}));
}

TEST(DateAgeHandlers, UnusableRetirementDateIsRebuilt) {
  FakeForm form;
  form.Type(F::kRetirementDate, "abc");
  RetirementDate_Validate(form);
  EXPECT_EQ(form.TakeWrites(),
            (std::vector<Write>{{F::kRetirementDate, "1/1/2008"}, {F::kRetirementAge, "65"}}));

  // A retirement date before the birth is kept and gives a negative age, which the next
  // handler reads as a plain number.
  form.Type(F::kRetirementDate, "1/1/1940 10:30 PM");
  RetirementDate_Validate(form);
  EXPECT_EQ(form.TakeWrites(),
            (std::vector<Write>{{F::kRetirementDate, "1/1/1940"}, {F::kRetirementAge, "-3"}}));
  form.Type(F::kCurrentAge, "50");
  CurrentAge_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kCurrentAge, "50.000"},
                                                   {F::kDateOfBirth, "1/1/1958"},
                                                   {F::kRetirementDate, "1/1/1955"}}));
}

TEST(DateAgeHandlers, DayThatTheMonthLacksIsReadBackByLaterHandlers) {
  FakeForm form;
  form.Type(F::kCurrentAge, "45.669");
  CurrentAge_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kCurrentAge, "45.669"},
                                                   {F::kDateOfBirth, "4/31/1962"},
                                                   {F::kRetirementDate, "4/31/2027"}}));
  RetirementDate_Validate(form);
  EXPECT_EQ(form.TakeWrites(),
            (std::vector<Write>{{F::kRetirementDate, "4/31/2027"}, {F::kRetirementAge, "65"}}));
  DateOfBirth_Validate(form);
  EXPECT_EQ(form.TakeWrites(), (std::vector<Write>{{F::kDateOfBirth, "4/31/1962"},
                                                   {F::kCurrentAge, "45.669"},
                                                   {F::kRetirementDate, "4/31/2027"}}));
  form.Type(F::kRetirementAge, "60");
  RetirementAge_Validate(form);
  EXPECT_EQ(form.TakeWrites(),
            (std::vector<Write>{{F::kRetirementAge, "60.000"}, {F::kRetirementDate, "4/31/2022"}}));
}

TEST(DateAgeHandlers, EachHandlerWritesItsFieldsInItsOrder) {
  struct Case {
    const char* name;
    void (*handler)(DateAgeForm&);
    std::vector<F> order;
  };
  const Case cases[] = {
      {"CurrentAge", CurrentAge_Validate, {F::kCurrentAge, F::kDateOfBirth, F::kRetirementDate}},
      {"SpousesAge", SpousesAge_Validate, {F::kSpousesAge, F::kSpousesDateOfBirth}},
      {"RetirementAge", RetirementAge_Validate, {F::kRetirementAge, F::kRetirementDate}},
      {"DateOfBirth", DateOfBirth_Validate, {F::kDateOfBirth, F::kCurrentAge, F::kRetirementDate}},
      {"SpousesDateOfBirth", SpousesDateOfBirth_Validate, {F::kSpousesDateOfBirth, F::kSpousesAge}},
      {"RetirementDate", RetirementDate_Validate, {F::kRetirementDate, F::kRetirementAge}},
      {"ValuationDate",
       ValuationDate_Validate,
       {F::kValuationDate, F::kCurrentAge, F::kSpousesAge}},
  };
  for (const Case& c : cases) {
    FakeForm form;
    c.handler(form);
    std::vector<F> written;
    for (const Write& w : form.writes) written.push_back(w.field);
    EXPECT_EQ(written, c.order) << c.name;
  }
}

// The handler throws naming the field and its text, and writes nothing.
void ExpectRefused(FakeForm& form, void (*handler)(DateAgeForm&), const std::string& message) {
  try {
    handler(form);
    ADD_FAILURE() << "no error, expected: " << message;
  } catch (const DateError& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
  EXPECT_TRUE(form.writes.empty()) << message;
}

TEST(DateAgeHandlers, UnusableFieldsReadFromOtherFields) {
  {
    FakeForm form;
    form.Type(F::kValuationDate, "abc");
    ExpectRefused(form, CurrentAge_Validate, "Valuation Date \"abc\" is not a date");
    ExpectRefused(form, SpousesAge_Validate, "Valuation Date \"abc\" is not a date");
    ExpectRefused(form, DateOfBirth_Validate, "Valuation Date \"abc\" is not a date");
    ExpectRefused(form, SpousesDateOfBirth_Validate, "Valuation Date \"abc\" is not a date");
    EXPECT_EQ(form.Text(F::kCurrentAge), "65.000");
  }
  {
    FakeForm form;
    form.Type(F::kRetirementAge, "abc");
    form.Type(F::kCurrentAge, "45.5");
    ExpectRefused(form, CurrentAge_Validate, "Retirement Age \"abc\" is not a number");
    ExpectRefused(form, DateOfBirth_Validate, "Retirement Age \"abc\" is not a number");
    form.Type(F::kRetirementDate, "");
    ExpectRefused(form, RetirementDate_Validate, "Retirement Age \"abc\" is not a number");
    EXPECT_EQ(form.Text(F::kCurrentAge), "45.5");
  }
  {
    FakeForm form;
    form.Type(F::kDateOfBirth, "");
    form.Type(F::kCurrentAge, "xyz");
    ExpectRefused(form, DateOfBirth_Validate, "Participant's Current Age \"xyz\" is not a number");
    form.Type(F::kSpousesDateOfBirth, "");
    form.Type(F::kSpousesAge, "");
    ExpectRefused(form, SpousesDateOfBirth_Validate, "Spouse's Current Age \"\" is not a number");
    ExpectRefused(form, RetirementAge_Validate, "Date of Birth \"\" is not a date");
    ExpectRefused(form, RetirementDate_Validate, "Date of Birth \"\" is not a date");
    ExpectRefused(form, ValuationDate_Validate, "Date of Birth \"\" is not a date");
  }
  {
    FakeForm form;
    form.Type(F::kSpousesDateOfBirth, "13/1/1950");
    ExpectRefused(form, ValuationDate_Validate,
                  "Spouse's Date of Birth \"13/1/1950\" is not a date");
  }
  {
    // A typed date of birth so late that the retirement date would leave the calendar.
    FakeForm form;
    form.Type(F::kDateOfBirth, "1/1/9999");
    ExpectRefused(form, DateOfBirth_Validate,
                  "cannot move the date 1/1/9999 by 65 years: the result would leave the years "
                  "100-9999");
    EXPECT_EQ(form.Text(F::kDateOfBirth), "1/1/9999");
    EXPECT_EQ(form.Text(F::kCurrentAge), "65.000");
  }
}

}  // namespace
}  // namespace orvane::dates
