// What field 1 of a table file says of its kind. Every reader skips field 1, so the newer kinds
// of table file say what they are there, after the table's 8-character name:
//   generational table  "NAME    GENERATIONAL:SCALE   ": its rates are the base of a cohort
//                       table, improved by the scale of that name;
//   improvement scale   "NAME    SCALE:20-120,1951-2037": rates by age and calendar year over
//                       the ages and years it declares.
// A plain table's field 1 holds nothing after its name. The marks are written and read here only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane::mortality {

// The ages and years a scale covers (inclusive).
struct ScaleRange {
  int first_age = 0;
  int last_age = 0;
  int first_year = 0;
  int last_year = 0;
  friend bool operator==(const ScaleRange&, const ScaleRange&) = default;
};

// The text after a generational table's name: "GENERATIONAL:" and the scale's name cut or padded
// to 8 characters. Never throws.
std::string GenerationalKind(std::string_view scale_name);

// The text after a scale's name: "SCALE:" and its range as "A-A,Y-Y". Never throws.
std::string ScaleKind(const ScaleRange& range);

// The range as "A-A,Y-Y" ("20-120,1951-2037"). Never throws.
std::string ScaleRangeText(const ScaleRange& range);

// The 8-character scale name that field 1 of a generational table names, or nothing for any
// other table file. Never throws.
std::optional<std::string> GenerationalScaleOf(std::string_view field1);

// The range a scale's field 1 declares; nothing when field 1 is not a scale's. Throws
// MortalityError naming `table` for a scale mark followed by anything but "A-A,Y-Y" with each
// first <= last and the ages within 0 to 120.
std::optional<ScaleRange> ScaleRangeOf(std::string_view field1, const std::string& table);

}  // namespace orvane::mortality
