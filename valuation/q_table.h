#pragma once

#include <array>

namespace orvane::valuation {

// The rates of one table by whole age: 121 doubles for ages 0..120. Index 0 is always 0. For a
// mortality table the value at age x is the probability of dying between x and x+1 as a fraction
// of 1; improvement scales and annuitant weights use the same type. A plain value.
class QTable {
 public:
  static constexpr int kLastAge = 120;

  QTable() = default;

  // The value at `age` (0..120). Throws ValuationError naming the age when it lies outside.
  double at(int age) const;

  // Sets the value at `age` (1..120; age 0 stays 0). Throws ValuationError outside 1..120.
  void set(int age, double value);

  const std::array<double, kLastAge + 1>& values() const { return values_; }

  friend bool operator==(const QTable&, const QTable&) = default;

 private:
  std::array<double, kLastAge + 1> values_{};
};

}  // namespace orvane::valuation
