#include "sources/improvement_scale_source.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <sstream>

#include "mortality/packed_decimal.h"
#include "mortality/table_kind.h"
#include "sources/decimal_rate.h"
#include "sources/source_error.h"
#include "tables/data_file_format.h"
#include "tables/generational_table.h"
#include "text/text.h"

namespace orvane::sources {
namespace {

constexpr auto kOffset = static_cast<std::int32_t>(mortality::kScaleOffsetMillionths);

// A signed rate of improvement in millionths, read exactly, that the data file's three packed
// bytes hold once offset: from -0.5 to 0.499999.
std::int32_t ScaleRate(const std::string& cell, const std::string& where) {
  const std::int32_t rate = ReadRate(cell, where, RatePolicy::kImprovement);
  if (rate < -kOffset || rate >= kOffset) {
    throw SourceError(where + ": the rate of improvement \"" + cell +
                      "\" lies outside -0.5 to 0.499999");
  }
  return rate;
}

// Fills a scale from rates keyed by (age, year), refusing a gap inside their range.
mortality::ImprovementScale FromCells(const std::map<std::pair<int, int>, std::int32_t>& cells,
                                      const std::string& origin) {
  if (cells.empty())
    throw SourceError(origin + ": the scale has no rates");
  mortality::ScaleRange scale;
  scale.first_age = cells.begin()->first.first;
  scale.last_age = cells.rbegin()->first.first;
  scale.first_year = scale.last_year = cells.begin()->first.second;
  for (const auto& [key, rate] : cells) {
    scale.first_year = std::min(scale.first_year, key.second);
    scale.last_year = std::max(scale.last_year, key.second);
  }
  if (scale.first_age < 0 || scale.last_age > kTableAges) {
    throw SourceError(origin + ": ages " + std::to_string(scale.first_age) + "-" +
                      std::to_string(scale.last_age) + " lie outside 0 to 120");
  }
  std::vector<std::int32_t> millionths;
  for (int year = scale.first_year; year <= scale.last_year; ++year) {
    for (int age = scale.first_age; age <= scale.last_age; ++age) {
      const auto found = cells.find({age, year});
      if (found == cells.end()) {
        throw SourceError(origin + ": the scale has no rate at age " + std::to_string(age) +
                          " in " + std::to_string(year) + " (a gap in its ages or years)");
      }
      millionths.push_back(found->second);
    }
  }
  return mortality::ImprovementScale(origin, scale, std::move(millionths));
}

std::string Name8(const std::string& cell, const std::string& where) {
  return TableNameFromCell(cell, where);
}

// The scale as a table file: the last year's rates (none below 0) as its 120 values, then the
// years in order, each a field of its four digits and one field per age.
NamedTable ScaleTable(const std::string& name, const mortality::ImprovementScale& values,
                      const std::string& origin) {
  const mortality::ScaleRange& scale = values.range();
  if (scale.first_year < 1000 || scale.last_year > 9999)
    throw SourceError(origin + ": the scale's years are not four-digit years");
  NamedTable table;
  table.name = name;
  table.origin = origin;
  for (int age = 1; age <= kTableAges; ++age) {
    table.micro[static_cast<std::size_t>(age)] =
        std::max<std::int32_t>(0, values.MillionthsAt(age, scale.last_year));
  }
  table.kind = mortality::ScaleKind(scale);
  for (int year = scale.first_year; year <= scale.last_year; ++year) {
    table.extra_fields.push_back(std::to_string(year));
    for (int age = scale.first_age; age <= scale.last_age; ++age)
      table.extra_fields.push_back(
          mortality::PackedMillionths(values.MillionthsAt(age, year) + kOffset));
  }
  return table;
}

}  // namespace

mortality::ImprovementScale ScaleFromXtbml(const XtbmlFile& file, int table_number,
                                           const std::string& origin) {
  if (table_number < 1 || static_cast<std::size_t>(table_number) > file.tables.size()) {
    throw SourceError(origin + ": the file has no table " + std::to_string(table_number));
  }
  const XtbmlTable& table = file.tables[static_cast<std::size_t>(table_number - 1)];
  if (table.axes != std::vector<std::string>{"Age", "Year"}) {
    throw SourceError(origin + ": table " + std::to_string(table_number) +
                      " is not a scale of Age by Year");
  }
  if (!table.scaling_factor.empty() && text::Trim(table.scaling_factor) != "0")
    throw SourceError(origin + ": a ScalingFactor other than 0 is not read");
  std::map<std::pair<int, int>, std::int32_t> cells;
  for (const XtbmlValue& value : table.values) {
    const std::string where =
        origin + ", age " + std::to_string(value.outer) + ", year " + std::to_string(value.inner);
    if (!cells.emplace(std::pair{value.outer, value.inner}, ScaleRate(value.text, where)).second)
      throw SourceError(where + ": given twice");
  }
  return FromCells(cells, origin);
}

mortality::ImprovementScale ScaleFromCsv(const std::filesystem::path& file) {
  const std::vector<CsvRow> rows = ReadCsvFile(file);
  const std::string origin = file.string();
  if (rows.empty() || text::Trim(rows.front().cells.front()) != "Age")
    throw SourceError(origin + ": a scale's first row must be \"Age\" and its years");
  std::vector<int> years;
  for (std::size_t c = 1; c < rows.front().cells.size(); ++c) {
    const std::optional<int> year = text::WholeNumber(text::Trim(rows.front().cells[c]));
    if (!year)
      throw SourceError(origin + ", line 1: \"" + rows.front().cells[c] + "\" is not a year");
    years.push_back(*year);
  }
  std::map<std::pair<int, int>, std::int32_t> cells;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    const std::string where = origin + ", line " + std::to_string(row.line);
    const std::optional<int> whole_age = text::WholeNumber(text::Trim(row.cells[0]));
    if (!whole_age)
      throw SourceError(where + ": \"" + row.cells[0] + "\" is not an age");
    const int age = *whole_age;
    if (row.cells.size() != years.size() + 1)
      throw SourceError(where + ": " + std::to_string(years.size()) + " rates expected");
    for (std::size_t c = 0; c < years.size(); ++c) {
      if (!cells.emplace(std::pair{age, years[c]}, ScaleRate(row.cells[c + 1], where)).second)
        throw SourceError(where + ": age " + std::to_string(age) + " or a year is given twice");
    }
  }
  return FromCells(cells, origin);
}

std::string ScaleCsvText(const mortality::ImprovementScale& values) {
  const mortality::ScaleRange& scale = values.range();
  std::ostringstream out;
  out << "Age";
  for (int year = scale.first_year; year <= scale.last_year; ++year) out << "," << year;
  out << "\n";
  for (int age = scale.first_age; age <= scale.last_age; ++age) {
    out << age;
    for (int year = scale.first_year; year <= scale.last_year; ++year) {
      const std::int32_t micro = values.MillionthsAt(age, year);
      const std::int32_t size = micro < 0 ? -micro : micro;
      char text[16];
      std::snprintf(text, sizeof text, "%s%d.%06d", micro < 0 ? "-" : "", size / 1000000,
                    size % 1000000);
      out << "," << text;
    }
    out << "\n";
  }
  return out.str();
}

void ReadImprovementScaleList(const std::filesystem::path& file, const std::vector<CsvRow>& rows,
                              SourceSet& sources) {
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    const std::string where = file.string() + ", line " + std::to_string(row.line);
    if (row.cells.size() != 4)
      throw SourceError(where + ": a row needs scale, source, table and generational");
    const std::string name = Name8(row.cells[0], where);
    const std::filesystem::path source = file.parent_path() / text::Trim(row.cells[1]);
    const auto read_scale = [&] {
      if (source.extension() != ".xml")
        return ScaleFromCsv(source);
      const std::optional<int> number = text::WholeNumber(text::Trim(row.cells[2]));
      if (!number)
        throw SourceError(where + ": an XTbML source needs a table number");
      return ScaleFromXtbml(ReadXtbmlFile(source), *number, source.string());
    };
    sources.tables.push_back(ScaleTable(name, read_scale(), where));
    std::istringstream tables(row.cells[3]);
    std::string table;
    while (tables >> table) {
      const std::string table8 = Name8(table, where);
      for (const GenerationalMark& mark : sources.generational) {
        if (mark.table == table8)
          throw SourceError(where + ": table \"" + table + "\" has a scale already at " +
                            mark.origin);
      }
      sources.generational.push_back({table8, name, where});
    }
  }
}

void MarkGenerationalTables(SourceSet& sources) {
  for (const GenerationalMark& mark : sources.generational) {
    const auto table = std::find_if(sources.tables.begin(), sources.tables.end(),
                                    [&](const NamedTable& t) { return t.name == mark.table; });
    if (table == sources.tables.end()) {
      throw SourceError(mark.origin + ": no source gives the generational table \"" + mark.table +
                        "\"");
    }
    table->kind = mortality::GenerationalKind(mark.scale);
  }
  sources.generational.clear();
}

}  // namespace orvane::sources
