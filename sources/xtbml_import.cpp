#include "sources/xtbml_import.h"

#include <algorithm>
#include <iterator>

#include "sources/decimal_rate.h"
#include "sources/source_error.h"
#include "sources/table_sources.h"

namespace orvane::sources {
namespace {

std::string TableWord(int number) {
  return "table " + std::to_string(number);
}

// What a reader of the message should take an axis to mean.
std::string AxisKind(const std::string& axis) {
  if (axis == "Duration")
    return "a Duration axis (select rates)";
  if (axis == "Year")
    return "a Year axis (a two-dimensional improvement scale)";
  return "an axis \"" + axis + "\"";
}

bool AgeOnly(const XtbmlTable& table) {
  return table.axes.size() == 1 && table.axes[0] == "Age";
}

// "1-14, 60, 118-120"
std::string AgeRanges(const std::vector<int>& ages) {
  std::string text;
  for (std::size_t i = 0; i < ages.size();) {
    std::size_t j = i;
    while (j + 1 < ages.size() && ages[j + 1] == ages[j] + 1) ++j;
    text += (text.empty() ? "" : ", ") + std::to_string(ages[i]);
    if (j > i)
      text += "-" + std::to_string(ages[j]);
    i = j + 1;
  }
  return text;
}

}  // namespace

std::map<int, std::string> AgeRates(const XtbmlFile& file, int table_number,
                                    const std::string& origin) {
  const int count = static_cast<int>(file.tables.size());
  if (table_number < 1 || table_number > count) {
    throw SourceError(origin + " holds " + std::to_string(count) +
                      (count == 1 ? " table" : " tables") + ", not a " + TableWord(table_number));
  }
  const XtbmlTable& table = file.tables[static_cast<std::size_t>(table_number - 1)];
  const std::string where = origin + ", " + TableWord(table_number);
  if (!AgeOnly(table)) {
    std::string message = where + " has ";
    for (std::size_t i = 0; i < table.axes.size(); ++i) {
      if (table.axes[i] != "Age")
        message += AxisKind(table.axes[i]);
    }
    if (table.axes.size() == 1)
      message += " and no age axis";
    message += "; only a table with a single age axis can be imported";
    for (const XtbmlTable& other : file.tables) {
      if (AgeOnly(other)) {
        message += " (the file's " + TableWord(other.number) + " has one: --table " +
                   std::to_string(other.number) + ")";
        break;
      }
    }
    throw SourceError(message);
  }
  // A ScalingFactor n scales the rates by a power of ten; none of the IRS or RP-2000 tables has
  // one, so rather than guess its direction such a table is refused.
  const DecimalReading scaling = ReadDecimal(table.scaling_factor);
  if (!table.scaling_factor.empty() &&
      !(scaling.kind == DecimalReading::Kind::kNumber && scaling.micro == 0 && !scaling.rounded)) {
    throw SourceError(where + " has ScalingFactor " + table.scaling_factor +
                      "; only tables of plain rates (ScalingFactor 0) are read");
  }
  std::map<int, std::string> rates;
  for (const XtbmlValue& value : table.values) {
    if (value.outer < 1)
      continue;
    if (!rates.emplace(value.outer, value.text).second)
      throw SourceError(where + ": age " + std::to_string(value.outer) + " is given twice");
  }
  return rates;
}

ImportedTable ImportXtbml(const XtbmlFile& file, const std::string& origin,
                          const ImportOptions& options) {
  const std::map<int, std::string> rates = AgeRates(file, options.table_number, origin);
  const std::string where = origin + ", " + TableWord(options.table_number);
  ImportedTable imported;
  imported.origin = origin;
  imported.name = options.name ? TableNameFromCell(*options.name, "--name")
                               : TableNameFromCell("t" + file.identity,
                                                   origin + ": the name from TableIdentity " +
                                                       "(choose one with --name)");
  std::vector<int> missing;
  for (int age = 1; age <= kTableAges; ++age) {
    if (rates.count(age) == 0)
      missing.push_back(age);
  }
  const bool any = !rates.empty() && rates.begin()->first <= kTableAges;
  if (!missing.empty() && !(options.hold && any)) {
    throw SourceError(where + " has no rate for age" + (missing.size() > 1 ? "s " : " ") +
                      AgeRanges(missing) +
                      (options.hold ? ""
                                    : " (--hold gives ages outside the table its first or "
                                      "last age's rate)"));
  }
  const int first = rates.begin()->first;
  const int last = std::prev(rates.end())->first;
  std::map<int, std::int32_t> micro;
  for (int age = 1; age <= kTableAges; ++age) {
    if (rates.count(age) == 0 && age > first && age < last) {
      throw SourceError(where + " has no rate for age " + std::to_string(age) +
                        ", inside its ages " + std::to_string(first) + "-" + std::to_string(last) +
                        " (--hold fills only ages outside them)");
    }
    // Each source rate is read once, so a held rate counts once among the rounded ones.
    const int source = std::clamp(age, first, last);
    auto it = micro.find(source);
    if (it == micro.end()) {
      const std::string at = where + ", age " + std::to_string(source);
      it = micro
               .emplace(source, ReadRate(rates.at(source), at, RatePolicy::kPublishedRounded,
                                         &imported.rounded))
               .first;
    }
    imported.micro[static_cast<std::size_t>(age)] = it->second;
  }
  return imported;
}

}  // namespace orvane::sources
