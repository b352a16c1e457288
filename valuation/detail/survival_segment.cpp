#include "valuation/detail/survival_segment.h"

#include <cmath>
#include <string>

#include "numbers/rounding.h"
#include "valuation/detail/error_text.h"
#include "valuation/detail/shared_survival.h"
#include "valuation/valuation_error.h"

namespace orvane::valuation::detail {
namespace {

// The year of age below the starting one shapes the slope only from age 2 on: younger lives
// take a survival of 1 there, so the first rates of a table are never read.
bool ReadsAgeBelow(double age) {
  return age > 2.0;
}

void RequireSurvivalAt(const QTable& table, const char* table_name, Input input, const char* life,
                       int whole_age, double start_age) {
  const double q = table.at(whole_age);
  if (q >= 1.0) {
    throw ValuationError(std::string(table_name) + " has a rate of " + NumberText(q) + " at age " +
                             std::to_string(whole_age) + ", read for the " + life +
                             "'s starting age " + NumberText(start_age) +
                             ": a certain death leaves no survival to spread over the months; "
                             "choose a table with rates below 1 at that age",
                         input);
  }
}

}  // namespace

SurvivalSegment::SurvivalSegment(const QTable& table, const char* table_name, Input input,
                                 const char* life, double age, const SharedSurvival* shared)
    : table_(&table), shared_(shared) {
  const int whole_age = static_cast<int>(numbers::Int(age));
  // Shared years exist only for a table whose every rate is finite.
  const int first_read = shared_ != nullptr   ? QTable::kLastAge + 1
                         : ReadsAgeBelow(age) ? whole_age - 1
                                              : whole_age;
  for (int a = first_read; a <= QTable::kLastAge; ++a) {
    if (!std::isfinite(table.at(a))) {
      throw ValuationError(std::string(table_name) + " has no finite rate at age " +
                               std::to_string(a) + " (it reads " + NumberText(table.at(a)) + ")",
                           input);
    }
  }
  if (ReadsAgeBelow(age))
    RequireSurvivalAt(table, table_name, input, life, whole_age - 1, age);
  RequireSurvivalAt(table, table_name, input, life, whole_age, age);
  if (shared_ != nullptr) {
    const SharedSurvival::Year& year =
        ReadsAgeBelow(age) ? shared_->Rolled(whole_age) : shared_->Started(whole_age);
    year_ = year.fit;
    factors_ = &year.factors;
    return;
  }
  year_.prev_survival = ReadsAgeBelow(age) ? 1.0 - table.at(whole_age - 1) : 1.0;
  year_.next_survival = NextSurvivalAfter(whole_age, !(age < QTable::kLastAge));
  year_.survival = 1.0 - table.at(whole_age);
  year_.log_prev_survival = std::log(year_.prev_survival);
  year_.log_survival = std::log(year_.survival);
  year_.log_next_survival = std::log(year_.next_survival);
  Fit();
}

double SurvivalSegment::NextSurvivalAfter(int whole_age, bool table_ends) const {
  // A certain death next year (or the end of the table) would make the slope infinite; the
  // floor keeps it finite while leaving survival beyond that age negligible.
  const double next = table_ends ? kSurvivalFloor : 1.0 - table_->at(whole_age + 1);
  return kSurvivalFloor > next ? kSurvivalFloor : next;
}

void SurvivalSegment::Fit() {
  // 12 turns an annual log survival into a monthly one; 24 months lie between the ages A - 1
  // and A + 1; 66 = 0 + 1 + ... + 11 makes the twelve monthly logs add up to log(Survival).
  year_.slope = (year_.log_next_survival / 12.0 - year_.log_prev_survival / 12.0) / 24.0;
  year_.level = (year_.log_survival - 66.0 * year_.slope) / 12.0;
  // Next to a steep change of mortality, a year of (almost) no deaths would be tilted so far
  // that a monthly survival factor exceeds 1 (a table of zeros meets the floor at 121 this way),
  // and the probability of being alive would rise above 1. Such a year is spread evenly
  // instead: its twelve factors still multiply to the year's survival.
  if (year_.level > 0.0 || year_.level + 11.0 * year_.slope > 0.0) {
    year_.slope = 0.0;
    year_.level = year_.log_survival / 12.0;
  }
}

void SurvivalSegment::Roll(int whole_age) {
  if (shared_ != nullptr) {
    const SharedSurvival::Year& year = shared_->Rolled(whole_age);
    year_ = year.fit;
    factors_ = &year.factors;
    return;
  }
  year_.prev_survival = year_.survival;
  year_.survival = year_.next_survival;
  year_.next_survival = NextSurvivalAfter(whole_age, whole_age >= QTable::kLastAge);
  year_.log_prev_survival = year_.log_survival;
  year_.log_survival = year_.log_next_survival;
  year_.log_next_survival = std::log(year_.next_survival);
  Fit();
}

}  // namespace orvane::valuation::detail
