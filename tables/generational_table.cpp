#include "tables/generational_table.h"

#include <algorithm>
#include <cmath>

#include "numbers/rounding.h"
#include "tables/data_file_format.h"
#include "tables/table_error.h"

namespace orvane::tables {
namespace {

constexpr int kLastAge = mortality::QTable::kLastAge;
constexpr int kEarliestBirth = 1;
constexpr int kLatestBirth = 9999;

}  // namespace

mortality::QTable CohortRates(const mortality::QTable& base,
                              const mortality::ImprovementScale& scale, int year_of_birth,
                              const std::string& table) {
  if (year_of_birth < kEarliestBirth || year_of_birth > kLatestBirth) {
    throw TableError("Generational table \"" + table + "\" cannot be built for the year of birth " +
                     std::to_string(year_of_birth) + ": years 1 to 9999 only");
  }
  mortality::QTable q;
  for (int x = 1; x <= kLastAge; ++x) {
    const int year = year_of_birth + x;
    double product = 1.0;
    for (int t = kGenerationalBaseYear + 1; t <= year; ++t) product *= 1.0 - scale.At(x, t);
    for (int t = year + 1; t <= kGenerationalBaseYear; ++t) product *= 1.0 - scale.At(x, t);
    const double factor = year < kGenerationalBaseYear ? 1.0 / product : product;
    const double rate = base.at(x) * factor;
    if (!(factor > 0.0) || !std::isfinite(factor) || !std::isfinite(rate)) {
      throw TableError("Generational table \"" + table + "\" with scale \"" + scale.name() +
                       "\" gives no rate at age " + std::to_string(x) + " for the year of birth " +
                       std::to_string(year_of_birth) +
                       ": the improvement factor is not a positive finite number");
    }
    q.set(x, std::min(1.0, numbers::RoundHalfEven(rate, 6)));
  }
  return q;
}

}  // namespace orvane::tables
