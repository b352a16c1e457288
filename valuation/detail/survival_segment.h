#pragma once

#include <cmath>

#include "mortality/q_table.h"
#include "numbers/rounding.h"
#include "valuation/valuation_error.h"

namespace orvane::valuation::detail {

using mortality::QTable;

// The least annual survival the monthly model takes for the year ahead: one millionth, kept as
// the exact double the method has always used so that results match to the last bit.
inline constexpr double kSurvivalFloor = 1.0000000000287557e-06;

// The monthly survival of one life in one phase (before or from the payment age) over its
// current year of age A. Within the year the monthly log survival changes linearly, month by
// month, with a slope from the central difference of the log survivals at A - 1 and A + 1; the
// twelve monthly factors of the year multiply exactly to the table's annual survival 1 - q(A).
class SurvivalSegment {
 public:
  // Fits the year of age Int(age) of `table` for a life starting the valuation at `age` (years,
  // 0..120). `table_name` and `life` ("participant", "spouse") word the errors, `input` is the
  // table the errors name as data. Throws
  // ValuationError when a rate the run will read is not finite, or when the rate at the starting
  // whole age, or at the age below when it is read, is 1 or more (no survival to take the log of).
  SurvivalSegment(const QTable& table, const char* table_name, Input input, const char* life,
                  double age);

  // The survival factor of the month that starts at `age` (years) within the current year of
  // age: exp(Level + Slope k), k the completed months since the birthday (0..11). Inline, like
  // ReachesWholeAge: the month loop calls both twice a month.
  double Factor(double age) const {
    const double completed_months = numbers::RoundHalfEven((age - numbers::Int(age)) * 12.0);
    return std::exp(level_ + slope_ * completed_months);
  }

  // Moves the segment to the year of age `whole_age`, reached at a birthday.
  void Roll(int whole_age);

  double PrevSurvival() const { return prev_survival_; }
  double Survival() const { return survival_; }
  double NextSurvival() const { return next_survival_; }
  double Slope() const { return slope_; }  // change of the monthly log survival per month
  double Level() const { return level_; }  // monthly log survival in month 0 of the year

 private:
  double NextSurvivalAfter(int whole_age, bool table_ends) const;
  void Fit();

  const QTable* table_;
  double prev_survival_ = 1.0;
  double survival_ = 1.0;
  double next_survival_ = 1.0;
  // Their logs, kept because a roll moves two of the three values on unchanged.
  double log_prev_survival_ = 0.0;
  double log_survival_ = 0.0;
  double log_next_survival_ = 0.0;
  double slope_ = 0.0;
  double level_ = 0.0;
};

// True when a life's age, just advanced by a month, has reached a whole age. The tolerance of
// 0.00001 catches an age that the repeated additions of 1/12 left a hair below the whole number.
inline bool ReachesWholeAge(double age) {
  return numbers::RoundHalfEven((age - numbers::Int(age + 0.00001)) * 12.0) == 0.0;
}

}  // namespace orvane::valuation::detail
