// A small synthetic MortalityTables file for the form model's tests, written by a block writer
// of the tests' own: a one-block directory, the catalogue "INDEX13 " and field files of
// 120 packed rates each. The rates are made up (smooth Gompertz-like curves), not published
// tables; tests that need the published rates use the shipped data file.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace orvane::app::testing {

struct SyntheticTable {
  std::string name;                 // up to 8 characters, padded with blanks
  std::string description;          // the second field, shown by the choosers
  std::array<double, 120> rates{};  // ages 1..120, 0 <= rate <= 0.999999
  int stored_rates = 120;           // fewer makes a malformed table that the loader rejects
};

// q(x) = min(0.999999, a x e^(b x (x - 20))), rounded to 6 decimals.
std::array<double, 120> GompertzRates(double a, double b);

// The tables every synthetic file holds, in catalogue order: "None" (all 0), "2008417e",
// "Lighter " (half the rates of 2008417e), the base tables, scales and weights that the
// projections read, and "Broken  " (a table file with only 10 rates).
std::vector<SyntheticTable> StandardSyntheticTables();

// Writes the tables into a data file at `file`; the catalogue lists them in the given order.
void WriteSyntheticTables(const std::filesystem::path& file,
                          const std::vector<SyntheticTable>& tables);

}  // namespace orvane::app::testing
