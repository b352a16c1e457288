#include "sources/table_csv.h"

#include <cstdio>

namespace orvane::sources {

std::string TableCsvText(const std::vector<NamedTable>& tables) {
  std::string text = "age";
  for (const NamedTable& table : tables)
    text += "," + table.name.substr(0, table.name.find_last_not_of(' ') + 1);
  text += "\n";
  for (int age = 1; age <= kTableAges; ++age) {
    text += std::to_string(age);
    for (const NamedTable& table : tables) {
      const std::int32_t v = table.micro[static_cast<std::size_t>(age)];
      char cell[32];
      std::snprintf(cell, sizeof cell, ",%d.%06d", v / 1000000, v % 1000000);
      text += cell;
    }
    text += "\n";
  }
  return text;
}

}  // namespace orvane::sources
