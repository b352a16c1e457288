#include "valuation/detail/survival_segment.h"

#include <cmath>
#include <string>

#include "numbers/rounding.h"
#include "valuation/detail/error_text.h"
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
                                 const char* life, double age)
    : table_(&table) {
  const int whole_age = static_cast<int>(numbers::Int(age));
  const int first_read = ReadsAgeBelow(age) ? whole_age - 1 : whole_age;
  for (int a = first_read; a <= QTable::kLastAge; ++a) {
    if (!std::isfinite(table.at(a))) {
      throw ValuationError(std::string(table_name) + " has no finite rate at age " +
                               std::to_string(a) + " (it reads " + NumberText(table.at(a)) + ")",
                           input);
    }
  }
  if (ReadsAgeBelow(age)) {
    RequireSurvivalAt(table, table_name, input, life, whole_age - 1, age);
    prev_survival_ = 1.0 - table.at(whole_age - 1);
  } else {
    prev_survival_ = 1.0;
  }
  RequireSurvivalAt(table, table_name, input, life, whole_age, age);
  next_survival_ = NextSurvivalAfter(whole_age, !(age < QTable::kLastAge));
  survival_ = 1.0 - table.at(whole_age);
  log_prev_survival_ = std::log(prev_survival_);
  log_survival_ = std::log(survival_);
  log_next_survival_ = std::log(next_survival_);
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
  slope_ = (log_next_survival_ / 12.0 - log_prev_survival_ / 12.0) / 24.0;
  level_ = (log_survival_ - 66.0 * slope_) / 12.0;
  // Next to a steep change of mortality, a year of (almost) no deaths would be tilted so far
  // that a monthly survival factor exceeds 1 (a table of zeros meets the floor at 121 this way),
  // and the probability of being alive would rise above 1. Such a year is spread evenly
  // instead: its twelve factors still multiply to the year's survival.
  if (level_ > 0.0 || level_ + 11.0 * slope_ > 0.0) {
    slope_ = 0.0;
    level_ = log_survival_ / 12.0;
  }
}

void SurvivalSegment::Roll(int whole_age) {
  prev_survival_ = survival_;
  survival_ = next_survival_;
  next_survival_ = NextSurvivalAfter(whole_age, whole_age >= QTable::kLastAge);
  log_prev_survival_ = log_survival_;
  log_survival_ = log_next_survival_;
  log_next_survival_ = std::log(next_survival_);
  Fit();
}

}  // namespace orvane::valuation::detail
