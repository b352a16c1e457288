#pragma once

#include <array>
#include <cmath>

#include "mortality/q_table.h"
#include "numbers/rounding.h"
#include "valuation/valuation_error.h"

namespace orvane::valuation::detail {

using mortality::QTable;

// The least annual survival the monthly model takes for the year ahead: one millionth, kept as
// the exact double the method has always used so that results match to the last bit.
inline constexpr double kSurvivalFloor = 1.0000000000287557e-06;

// One year of age A as the monthly model fits it: the annual survivals at A - 1, A and A + 1,
// their logs, and the line of monthly log survivals through the year.
struct FittedYear {
  double prev_survival = 1.0;
  double survival = 1.0;
  double next_survival = 1.0;
  // The logs, kept because a roll moves two of the three values on unchanged.
  double log_prev_survival = 0.0;
  double log_survival = 0.0;
  double log_next_survival = 0.0;
  double slope = 0.0;  // change of the monthly log survival per month
  double level = 0.0;  // monthly log survival in month 0 of the year
};

// The twelve monthly survival factors of a fitted year, exp(Level + Slope k) for k = 0..11.
using MonthlyFactors = std::array<double, 12>;

class SharedSurvival;

// The monthly survival of one life in one phase (before or from the payment age) over its
// current year of age A. Within the year the monthly log survival changes linearly, month by
// month, with a slope from the central difference of the log survivals at A - 1 and A + 1; the
// twelve monthly factors of the year multiply exactly to the table's annual survival 1 - q(A).
class SurvivalSegment {
 public:
  // Fits the year of age Int(age) of `table` for a life starting the valuation at `age` (years,
  // 0..120). `table_name` and `life` ("participant", "spouse") word the errors, `input` is the
  // table the errors name as data. `shared`, when not null, holds the years of this table
  // fitted once for a batch run: the segment then takes its years from there instead of fitting
  // them, to the same bits. Throws ValuationError when a rate the run will read is not finite,
  // or when the rate at the starting whole age, or at the age below when it is read, is 1 or
  // more (no survival to take the log of).
  SurvivalSegment(const QTable& table, const char* table_name, Input input, const char* life,
                  double age, const SharedSurvival* shared = nullptr);

  // The survival factor of the month that starts `completed_months` (0..11) after the birthday
  // within the current year of age: exp(Level + Slope k), read from the shared years when there
  // are some. Inline: the month loop calls it twice a month.
  double Factor(int completed_months) const {
    if (factors_ != nullptr)
      return (*factors_)[static_cast<std::size_t>(completed_months)];
    return std::exp(year_.level + year_.slope * static_cast<double>(completed_months));
  }

  // Moves the segment to the year of age `whole_age`, reached at a birthday.
  void Roll(int whole_age);

  const FittedYear& Fitted() const { return year_; }
  double PrevSurvival() const { return year_.prev_survival; }
  double Survival() const { return year_.survival; }
  double NextSurvival() const { return year_.next_survival; }
  double Slope() const { return year_.slope; }
  double Level() const { return year_.level; }

 private:
  double NextSurvivalAfter(int whole_age, bool table_ends) const;
  void Fit();

  const QTable* table_;
  const SharedSurvival* shared_;
  FittedYear year_;
  const MonthlyFactors* factors_ = nullptr;  // the shared year's factors, or null
};

}  // namespace orvane::valuation::detail
