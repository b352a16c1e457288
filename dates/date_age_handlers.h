#pragma once

#include <string>

namespace orvane::dates {

// The seven date and age fields that the handlers keep consistent.
enum class DateAgeField {
  kValuationDate,
  kDateOfBirth,
  kSpousesDateOfBirth,
  kRetirementDate,
  kCurrentAge,
  kSpousesAge,
  kRetirementAge,
};

// The handlers' view of the form: read a field's text, write it. A write is a change of that
// field to the form (its change handlers run), in the order the handler makes them.
class DateAgeForm {
 public:
  virtual ~DateAgeForm() = default;
  virtual std::string Text(DateAgeField field) const = 0;
  virtual void SetText(DateAgeField field, const std::string& text) = 0;
};

// The validate handlers of the seven fields. Each normalises its own field, rewrites the dates or
// ages that depend on it (every write through SetText, its own field first, in a fixed order)
// and returns; the caller then recalculates once. None refuses an entry: an unusable age becomes
// 65, an unusable date is rebuilt from its paired age. They throw DateError, naming the field and
// its text, when a field they read from another field cannot be used (a reference date that does
// not parse, an age that is not a number) or a date would leave the years 100-9999; a handler
// that throws has written nothing.
void CurrentAge_Validate(DateAgeForm& form);
void SpousesAge_Validate(DateAgeForm& form);
void RetirementAge_Validate(DateAgeForm& form);
void DateOfBirth_Validate(DateAgeForm& form);
void SpousesDateOfBirth_Validate(DateAgeForm& form);
void RetirementDate_Validate(DateAgeForm& form);
void ValuationDate_Validate(DateAgeForm& form);

}  // namespace orvane::dates
