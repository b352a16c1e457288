// Each handler first reads and computes everything it needs and only then writes, in its fixed
// order: a handler that throws (a reference date that does not parse, a date pushed out of the
// years 100-9999) leaves every field as it found it instead of half of a consistent update.
#include "dates/date_age_handlers.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dates/calendar.h"
#include "dates/date_error.h"
#include "numbers/number_text.h"

namespace orvane::dates {
namespace {

using Field = DateAgeField;

// The caption beside the field, used to name it in messages.
const char* Caption(Field field) {
  switch (field) {
    case Field::kValuationDate:
      return "Valuation Date";
    case Field::kDateOfBirth:
      return "Date of Birth";
    case Field::kSpousesDateOfBirth:
      return "Spouse's Date of Birth";
    case Field::kRetirementDate:
      return "Retirement Date";
    case Field::kCurrentAge:
      return "Participant's Current Age";
    case Field::kSpousesAge:
      return "Spouse's Current Age";
    case Field::kRetirementAge:
      return "Retirement Age";
  }
  return "date or age field";
}

// A date another field holds; it is expected to parse, since every field holds its start value
// or what a handler wrote. Throws DateError naming the field and its text.
Day ReferenceDate(const DateAgeForm& form, Field field) {
  const std::string text = form.Text(field);
  const std::optional<CalendarDate> date = ParseDate(text);
  if (!date) {
    throw DateError(std::string(Caption(field)) + " \"" + text + "\" is not a date");
  }
  return DayNumber(*date);
}

// An age another field holds, taken as a plain number (it is not bounded again). Throws
// DateError naming the field and its text.
double PlainAge(const DateAgeForm& form, Field field) {
  const std::string text = form.Text(field);
  const std::optional<double> age = numbers::ParseNumber(text);
  if (!age) {
    throw DateError(std::string(Caption(field)) + " \"" + text + "\" is not a number");
  }
  return *age;
}

// The age from `start` to `end` as the form shows a computed age.
std::string AgeText(Day end, Day start) {
  return ComputedAgeText(AgeBetween(DateOfDay(end), DateOfDay(start)));
}

// The writes of one handler, made in order once everything has been computed.
class Writes {
 public:
  void Add(Field field, std::string text) { writes_.push_back({field, std::move(text)}); }
  void ApplyTo(DateAgeForm& form) const {
    for (const auto& [field, text] : writes_) form.SetText(field, text);
  }

 private:
  struct Write {
    Field field;
    std::string text;
  };
  std::vector<Write> writes_;
};

// The own entry of a date handler: the typed date, or the one rebuilt from `reference` moved by
// the paired age (backwards for a date of birth).
Day DateOrRebuilt(const DateAgeForm& form, Field own, Day reference, Field paired_age,
                  bool backwards) {
  if (const std::optional<Day> typed = DateEntry(form.Text(own)))
    return *typed;
  const double age = PlainAge(form, paired_age);
  return AddAge(reference, backwards ? -age : age);
}

}  // namespace

void CurrentAge_Validate(DateAgeForm& form) {
  const double age = AgeEntry(form.Text(Field::kCurrentAge));
  const Day valuation = ReferenceDate(form, Field::kValuationDate);
  const Day birth = AddAge(valuation, -age);
  const Day retirement = AddAge(birth, PlainAge(form, Field::kRetirementAge));
  Writes writes;
  writes.Add(Field::kCurrentAge, numbers::FormatPicture(age, "00.000"));
  writes.Add(Field::kDateOfBirth, DayNumberText(birth));
  writes.Add(Field::kRetirementDate, DayNumberText(retirement));
  writes.ApplyTo(form);
}

void SpousesAge_Validate(DateAgeForm& form) {
  const double age = AgeEntry(form.Text(Field::kSpousesAge));
  const Day valuation = ReferenceDate(form, Field::kValuationDate);
  const Day birth = AddAge(valuation, -age);
  Writes writes;
  writes.Add(Field::kSpousesAge, numbers::FormatPicture(age, "00.000"));
  writes.Add(Field::kSpousesDateOfBirth, DayNumberText(birth));
  writes.ApplyTo(form);
}

void RetirementAge_Validate(DateAgeForm& form) {
  const double age = AgeEntry(form.Text(Field::kRetirementAge));
  const Day birth = ReferenceDate(form, Field::kDateOfBirth);
  const Day retirement = AddAge(birth, age);
  Writes writes;
  writes.Add(Field::kRetirementAge, numbers::FormatPicture(age, "#00.000"));
  writes.Add(Field::kRetirementDate, DayNumberText(retirement));
  writes.ApplyTo(form);
}

void DateOfBirth_Validate(DateAgeForm& form) {
  const Day valuation = ReferenceDate(form, Field::kValuationDate);
  const Day birth =
      DateOrRebuilt(form, Field::kDateOfBirth, valuation, Field::kCurrentAge, /*backwards=*/true);
  const Day retirement = AddAge(birth, PlainAge(form, Field::kRetirementAge));
  Writes writes;
  writes.Add(Field::kDateOfBirth, DayNumberText(birth));
  writes.Add(Field::kCurrentAge, AgeText(valuation, birth));
  writes.Add(Field::kRetirementDate, DayNumberText(retirement));
  writes.ApplyTo(form);
}

void SpousesDateOfBirth_Validate(DateAgeForm& form) {
  const Day valuation = ReferenceDate(form, Field::kValuationDate);
  const Day birth = DateOrRebuilt(form, Field::kSpousesDateOfBirth, valuation, Field::kSpousesAge,
                                  /*backwards=*/true);
  Writes writes;
  writes.Add(Field::kSpousesDateOfBirth, DayNumberText(birth));
  writes.Add(Field::kSpousesAge, AgeText(valuation, birth));
  writes.ApplyTo(form);
}

void RetirementDate_Validate(DateAgeForm& form) {
  const Day birth = ReferenceDate(form, Field::kDateOfBirth);
  const Day retirement = DateOrRebuilt(form, Field::kRetirementDate, birth, Field::kRetirementAge,
                                       /*backwards=*/false);
  Writes writes;
  writes.Add(Field::kRetirementDate, DayNumberText(retirement));
  writes.Add(Field::kRetirementAge, AgeText(retirement, birth));
  writes.ApplyTo(form);
}

void ValuationDate_Validate(DateAgeForm& form) {
  const Day birth = ReferenceDate(form, Field::kDateOfBirth);
  const Day valuation = DateOrRebuilt(form, Field::kValuationDate, birth, Field::kCurrentAge,
                                      /*backwards=*/false);
  const Day spouses_birth = ReferenceDate(form, Field::kSpousesDateOfBirth);
  Writes writes;
  writes.Add(Field::kValuationDate, DayNumberText(valuation));
  writes.Add(Field::kCurrentAge, AgeText(valuation, birth));
  writes.Add(Field::kSpousesAge, AgeText(valuation, spouses_birth));
  writes.ApplyTo(form);
}

}  // namespace orvane::dates
