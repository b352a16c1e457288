// The vocabulary of mortality shared by the table store (tables/), the table sources (sources/)
// and the valuation (valuation/), below all three:
//   q_table.h            QTable (this file): the rates of one table by whole age.
//   table_name.h         the 8-character table name of the data file.
//   packed_decimal.h     a rate in millionths as the data file's packed-decimal bytes.
//   table_kind.h         what field 1 of a table file says of its kind: the GENERATIONAL: and
//                        SCALE: marks, written and read in one place.
//   improvement_scale.h  a two-dimensional improvement scale (age x calendar year).
//   mortality_error.h    the one error type of the library.
#pragma once

#include <array>

namespace orvane::mortality {

// The rates of one table by whole age: 121 doubles for ages 0..120. Index 0 is always 0. For a
// mortality table the value at age x is the probability of dying between x and x+1 as a fraction
// of 1; improvement scales and annuitant weights use the same type. A plain value.
class QTable {
 public:
  static constexpr int kLastAge = 120;

  QTable() = default;

  // The value at `age` (0..120). Throws MortalityError naming the age when it lies outside.
  double at(int age) const;

  // Sets the value at `age` (1..120; age 0 stays 0). Throws MortalityError outside 1..120.
  void set(int age, double value);

  const std::array<double, kLastAge + 1>& values() const { return values_; }

  friend bool operator==(const QTable&, const QTable&) = default;

 private:
  std::array<double, kLastAge + 1> values_{};
};

}  // namespace orvane::mortality
