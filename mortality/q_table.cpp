#include "mortality/q_table.h"

#include <string>

#include "mortality/mortality_error.h"

namespace orvane::mortality {

double QTable::at(int age) const {
  if (age < 0 || age > kLastAge) {
    throw MortalityError("Age " + std::to_string(age) +
                         " is outside the table, which holds ages 0 to 120");
  }
  return values_[static_cast<std::size_t>(age)];
}

void QTable::set(int age, double value) {
  if (age < 1 || age > kLastAge) {
    throw MortalityError("Age " + std::to_string(age) +
                         " cannot be set in the table: only ages 1 to 120 hold rates "
                         "(age 0 is always 0)");
  }
  values_[static_cast<std::size_t>(age)] = value;
}

}  // namespace orvane::mortality
