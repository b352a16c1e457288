#include "sources/published_sources.h"

#include <map>
#include <memory>

#include "mortality/table_name.h"
#include "sources/decimal_rate.h"
#include "sources/irs_construction.h"
#include "sources/source_error.h"
#include "sources/xtbml_import.h"
#include "text/text.h"

namespace orvane::sources {
namespace {

using text::Trim;
using text::WholeNumber;

// A table name without its padding blanks, in quotes.
std::string Shown(const std::string& name) {
  return text::Quoted(Trim(name, " "));
}

bool IsAgeHeader(const std::string& cell) {
  const std::string_view text = Trim(cell);
  return text.size() == 3 && (text[0] == 'a' || text[0] == 'A') && text.substr(1) == "ge";
}

// The rates of one column of a CSV table by age; empty cells are left out.
std::map<int, std::string> CsvColumn(const std::filesystem::path& file, const std::string& header,
                                     const std::string& where) {
  const std::vector<CsvRow> rows = ReadCsvFile(file);
  std::size_t start = 0;
  while (start < rows.size() && !IsAgeHeader(rows[start].cells[0])) ++start;
  if (start == rows.size())
    throw SourceError(file.string() + ": no header row beginning with \"Age\"");
  const std::vector<std::string>& names = rows[start].cells;
  std::size_t column = 1;
  while (column < names.size() && Trim(names[column]) != header) ++column;
  if (column == names.size())
    throw SourceError(where + ": " + file.string() + " has no column \"" + header + "\"");
  std::map<int, std::string> rates;
  for (std::size_t r = start + 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    const std::optional<int> age = WholeNumber(Trim(row.cells[0]));
    if (!age) {
      throw SourceError(file.string() + ", line " + std::to_string(row.line) + ": \"" +
                        row.cells[0] + "\" is not an age");
    }
    if (column < row.cells.size() && !Trim(row.cells[column]).empty())
      rates[*age] = row.cells[column];
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
      const std::optional<int> number = WholeNumber(table);
      if (!number)
        throw SourceError(where + ": an XTbML source needs a table number, not \"" + table + "\"");
      auto& parsed = xtbml_[source];
      if (!parsed)
        parsed = std::make_unique<XtbmlFile>(ReadXtbmlFile(file));
      rates = AgeRates(*parsed, *number, file.string());
    } else if (file.extension() == ".csv") {
      rates = CsvColumn(file, table, where);
    } else if (std::filesystem::is_directory(file)) {
      rates = ConstructedColumn(file, table, where);
    } else {
      throw SourceError(where + ": the source " + source +
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
    const std::optional<int> year =
        table.size() < 4 ? std::nullopt : WholeNumber(std::string_view(table).substr(0, 4));
    if (!year || *year < kFirstIrsYear || *year > kLastIrsYear)
      throw SourceError(where + ": \"" + table + "\" is not a table the IRS construction builds");
    auto& inputs = construction_inputs_[inputs_folder];
    if (!inputs)
      inputs = std::make_unique<IrsInputs>(ReadIrsInputs(inputs_folder));
    const std::string padded = mortality::PaddedName(table);
    for (const NamedTable& built : IrsTables(*inputs, *year)) {
      if (built.name != padded)
        continue;
      std::map<int, std::string> rates;
      for (int age = 1; age <= kTableAges; ++age) {
        const std::string digits = std::to_string(built.micro[static_cast<std::size_t>(age)]);
        rates[age] = "0." + std::string(6 - digits.size(), '0') + digits;
      }
      return rates;
    }
    throw SourceError(where + ": the IRS construction builds no table \"" + table + "\"");
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
  const std::string_view text = Trim(cell);
  const std::size_t dash = text.find('-');
  const std::optional<int> first = WholeNumber(text.substr(0, dash));
  const std::optional<int> last =
      dash == std::string_view::npos ? first : WholeNumber(text.substr(dash + 1));
  if (!first || !last || *first < 1 || *last > kTableAges || *first > *last) {
    throw SourceError(where + ": ages \"" + cell + "\" are not a range such as 1-120 within 1 to " +
                      "120");
  }
  return {*first, *last};
}

}  // namespace

void ReadPublishedList(const std::filesystem::path& file, const std::vector<CsvRow>& rows,
                       SourceSet& sources) {
  SourceFiles files(file.parent_path());
  std::map<std::string, NamedTable> built;
  std::vector<std::string> order;
  std::map<std::string, std::array<bool, kTableAges + 1>> filled;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    const std::string where = file.string() + ", line " + std::to_string(row.line);
    if (row.cells.size() < 4)
      throw SourceError(where + ": a row needs name, ages, source and table");
    const std::string name = TableNameFromCell(row.cells[0], where);
    const AgeRange ages = ParseAges(row.cells[1], where);
    const std::string source(Trim(row.cells[2]));
    const std::string table(Trim(row.cells[3]));
    const std::string at_cell(row.cells.size() > 4 ? Trim(row.cells[4]) : std::string_view());
    const std::optional<int> at = WholeNumber(at_cell);
    if (!at_cell.empty() && !at)
      throw SourceError(where + ": \"at\" must be an age, not \"" + at_cell + "\"");
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
        throw SourceError(where + ": age " + std::to_string(age) + " of " + Shown(name) +
                          " is filled twice");
      done = true;
      const int source_age = at_cell.empty() ? age : *at;
      const std::string at_source = (files.folder() / source).string() + ", table " + table +
                                    ", age " + std::to_string(source_age);
      const auto rate = rates.find(source_age);
      if (rate == rates.end())
        throw SourceError(at_source + ": no rate (needed for " + Shown(name) + ")");
      built[name].micro[static_cast<std::size_t>(age)] =
          ReadRate(rate->second, at_source, RatePolicy::kPublished);
    }
  }
  for (const std::string& name : order) {
    for (int age = 1; age <= kTableAges; ++age) {
      if (!filled[name][static_cast<std::size_t>(age)]) {
        throw SourceError(built[name].origin + ": no row fills age " + std::to_string(age) +
                          " of " + Shown(name));
      }
    }
    sources.tables.push_back(built[name]);
  }
}

}  // namespace orvane::sources
