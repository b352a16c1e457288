#include "tools/tables/published_sources.h"

#include <charconv>
#include <map>
#include <memory>

#include "tools/tables/decimal_rate.h"
#include "tools/tables/irs_construction.h"
#include "tools/tables/tool_error.h"
#include "tools/tables/xtbml_import.h"

namespace orvane::tools {
namespace {

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool WholeNumber(const std::string& text, int& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

std::string Shown(std::string name) {
  name.erase(name.find_last_not_of(' ') + 1);
  return "\"" + name + "\"";
}

bool IsAgeHeader(const std::string& cell) {
  const std::string text = Trim(cell);
  return text.size() == 3 && (text[0] == 'a' || text[0] == 'A') && text.substr(1) == "ge";
}

// The rates of one column of a CSV table by age; empty cells are left out.
std::map<int, std::string> CsvColumn(const std::filesystem::path& file, const std::string& header,
                                     const std::string& where) {
  const std::vector<CsvRow> rows = ReadCsvFile(file);
  std::size_t start = 0;
  while (start < rows.size() && !IsAgeHeader(rows[start].cells[0])) ++start;
  if (start == rows.size())
    throw ToolError(file.string() + ": no header row beginning with \"Age\"");
  const std::vector<std::string>& names = rows[start].cells;
  std::size_t column = 1;
  while (column < names.size() && Trim(names[column]) != header) ++column;
  if (column == names.size())
    throw ToolError(where + ": " + file.string() + " has no column \"" + header + "\"");
  std::map<int, std::string> rates;
  for (std::size_t r = start + 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    int age = 0;
    if (!WholeNumber(Trim(row.cells[0]), age)) {
      throw ToolError(file.string() + ", line " + std::to_string(row.line) + ": \"" + row.cells[0] +
                      "\" is not an age");
    }
    if (column < row.cells.size() && !Trim(row.cells[column]).empty())
      rates[age] = row.cells[column];
  }
  return rates;
}

// Source files are read once however many rows use them.
class SourceFiles {
 public:
  explicit SourceFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}

  const std::map<int, std::string>& Column(const std::string& source, const std::string& table,
                                           const std::string& where) {
    const std::string key = source + "\n" + table;
    const auto known = columns_.find(key);
    if (known != columns_.end())
      return known->second;
    const std::filesystem::path file = folder_ / source;
    std::map<int, std::string> rates;
    if (file.extension() == ".xml") {
      int number = 0;
      if (!WholeNumber(table, number))
        throw ToolError(where + ": an XTbML source needs a table number, not \"" + table + "\"");
      auto& parsed = xtbml_[source];
      if (!parsed)
        parsed = std::make_unique<XtbmlFile>(ReadXtbmlFile(file));
      rates = AgeRates(*parsed, number, file.string());
    } else if (file.extension() == ".csv") {
      rates = CsvColumn(file, table, where);
    } else if (std::filesystem::is_directory(file)) {
      rates = ConstructedColumn(file, table, where);
    } else {
      throw ToolError(where + ": the source " + source +
                      " is neither .xml nor .csv nor a folder of construction inputs");
    }
    return columns_.emplace(key, std::move(rates)).first->second;
  }

  const std::filesystem::path& folder() const { return folder_; }

 private:
  // The rates of a table the IRS construction builds from the inputs in `inputs_folder`, as
  // six-decimal text like a published file's (the year is the name's first four characters).
  std::map<int, std::string> ConstructedColumn(const std::filesystem::path& inputs_folder,
                                               const std::string& table, const std::string& where) {
    int year = 0;
    if (table.size() < 4 || !WholeNumber(table.substr(0, 4), year) || year < kFirstIrsYear ||
        year > kLastIrsYear)
      throw ToolError(where + ": \"" + table + "\" is not a table the IRS construction builds");
    auto& inputs = construction_inputs_[inputs_folder];
    if (!inputs)
      inputs = std::make_unique<IrsInputs>(ReadIrsInputs(inputs_folder));
    std::string padded = table;
    padded.resize(tables::format::kNameLength, ' ');
    for (const TableValues& built : IrsTables(*inputs, year)) {
      if (built.name != padded)
        continue;
      std::map<int, std::string> rates;
      for (int age = 1; age <= kTableAges; ++age) {
        const std::string digits = std::to_string(built.micro[static_cast<std::size_t>(age)]);
        rates[age] = "0." + std::string(6 - digits.size(), '0') + digits;
      }
      return rates;
    }
    throw ToolError(where + ": the IRS construction builds no table \"" + table + "\"");
  }

  std::map<std::filesystem::path, std::unique_ptr<IrsInputs>> construction_inputs_;
  std::filesystem::path folder_;
  std::map<std::string, std::unique_ptr<XtbmlFile>> xtbml_;
  std::map<std::string, std::map<int, std::string>> columns_;
};

struct AgeRange {
  int first = 0;
  int last = 0;
};

AgeRange ParseAges(const std::string& cell, const std::string& where) {
  const std::string text = Trim(cell);
  const std::size_t dash = text.find('-');
  AgeRange range;
  const bool read = dash == std::string::npos
                        ? WholeNumber(text, range.first) && (range.last = range.first, true)
                        : WholeNumber(text.substr(0, dash), range.first) &&
                              WholeNumber(text.substr(dash + 1), range.last);
  if (!read || range.first < 1 || range.last > kTableAges || range.first > range.last) {
    throw ToolError(where + ": ages \"" + cell + "\" are not a range such as 1-120 within 1 to " +
                    "120");
  }
  return range;
}

}  // namespace

void ReadPublishedList(const std::filesystem::path& file, const std::vector<CsvRow>& rows,
                       SourceSet& sources) {
  SourceFiles files(file.parent_path());
  std::map<std::string, TableValues> built;
  std::vector<std::string> order;
  std::map<std::string, std::array<bool, kTableAges + 1>> filled;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    const std::string where = file.string() + ", line " + std::to_string(row.line);
    if (row.cells.size() < 4)
      throw ToolError(where + ": a row needs name, ages, source and table");
    const std::string name = TableNameFromCell(row.cells[0], where);
    const AgeRange ages = ParseAges(row.cells[1], where);
    const std::string source = Trim(row.cells[2]);
    const std::string table = Trim(row.cells[3]);
    const std::string at_cell = row.cells.size() > 4 ? Trim(row.cells[4]) : std::string();
    int at = 0;
    if (!at_cell.empty() && !WholeNumber(at_cell, at))
      throw ToolError(where + ": \"at\" must be an age, not \"" + at_cell + "\"");
    const std::map<int, std::string>& rates = files.Column(source, table, where);
    if (built.count(name) == 0) {
      order.push_back(name);
      built[name].name = name;
      built[name].origin = where;
      filled[name].fill(false);
    }
    for (int age = ages.first; age <= ages.last; ++age) {
      bool& done = filled[name][static_cast<std::size_t>(age)];
      if (done)
        throw ToolError(where + ": age " + std::to_string(age) + " of " + Shown(name) +
                        " is filled twice");
      done = true;
      const int source_age = at_cell.empty() ? age : at;
      const std::string at_source = (files.folder() / source).string() + ", table " + table +
                                    ", age " + std::to_string(source_age);
      const auto rate = rates.find(source_age);
      if (rate == rates.end())
        throw ToolError(at_source + ": no rate (needed for " + Shown(name) + ")");
      int rounded = 0;
      built[name].micro[static_cast<std::size_t>(age)] =
          PublishedRate(rate->second, at_source, rounded);
      if (rounded > 0)
        throw ToolError(at_source + ": rate " + rate->second + " has more than 6 decimals");
    }
  }
  for (const std::string& name : order) {
    for (int age = 1; age <= kTableAges; ++age) {
      if (!filled[name][static_cast<std::size_t>(age)]) {
        throw ToolError(built[name].origin + ": no row fills age " + std::to_string(age) + " of " +
                        Shown(name));
      }
    }
    sources.tables.push_back(built[name]);
  }
}

}  // namespace orvane::tools
