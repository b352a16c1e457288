#include "sources/irs_construction.h"

#include <algorithm>
#include <map>
#include <string>
#include <string_view>

#include "sources/decimal_rate.h"
#include "sources/improvement_scale_source.h"
#include "sources/source_error.h"
#include "sources/xtbml_file.h"
#include "sources/xtbml_import.h"
#include "text/text.h"

namespace orvane::sources {
namespace {

constexpr std::int32_t kOne = 1000000;
constexpr int kFirstBaseAge = 15;
constexpr int kFirstProductYear = 2013;
constexpr int kFirstScaleAge = 20;  // the ages of Scale MP-2021 are 20 to 120
constexpr int kLastUnmodifiedYear = 2020;
constexpr int kLastNoImprovementYear = 2024;
constexpr std::int32_t kLongTermCap = 7800;  // 0.0078

constexpr const char* kSexNames[] = {"M", "F"};
constexpr const char* kBaseColumns[2][2] = {{"Male EE", "Male HA"}, {"Female EE", "Female HA"}};
constexpr const char* kWeightColumns[] = {"Male", "Female"};
constexpr const char* kJuvenileFiles[] = {"xtbml/t3600.xml", "xtbml/t3599.xml"};
constexpr const char* kScaleFiles[] = {"xtbml/t3612.xml", "xtbml/t3611.xml"};

using text::Trim;

// Columns of a CSV table by header, for ages 15 to 120; the header row is the first that begins
// with "Age" (the base file has a title line above it).
template <std::size_t kColumns>
std::array<std::array<std::int32_t, kTableAges + 1>, kColumns> ReadAgeColumns(
    const std::filesystem::path& file, const std::array<const char*, kColumns>& names) {
  const std::vector<CsvRow> rows = ReadCsvFile(file);
  std::size_t header = 0;
  while (header < rows.size() && Trim(rows[header].cells[0]) != "Age") ++header;
  if (header == rows.size())
    throw SourceError(file.string() + ": no header row beginning with \"Age\"");
  std::array<std::size_t, kColumns> columns{};
  for (std::size_t n = 0; n < kColumns; ++n) {
    const std::vector<std::string>& cells = rows[header].cells;
    const auto found = std::find_if(cells.begin(), cells.end(), [&](const std::string& cell) {
      return Trim(cell) == names[n];
    });
    if (found == cells.end())
      throw SourceError(file.string() + ": no column \"" + names[n] + "\"");
    columns[n] = static_cast<std::size_t>(found - cells.begin());
  }
  std::array<std::array<std::int32_t, kTableAges + 1>, kColumns> values{};
  std::array<bool, kTableAges + 1> seen{};
  for (std::size_t r = header + 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    const std::string line = file.string() + ", line " + std::to_string(row.line);
    const int age = text::WholeNumber(Trim(row.cells[0])).value_or(0);
    if (age < kFirstBaseAge || age > kTableAges)
      throw SourceError(line + ": \"" + row.cells[0] + "\" is not an age from 15 to 120");
    if (seen[static_cast<std::size_t>(age)])
      throw SourceError(line + ": age " + std::to_string(age) + " is given twice");
    seen[static_cast<std::size_t>(age)] = true;
    for (std::size_t n = 0; n < kColumns; ++n) {
      const std::string where = line + " (\"" + names[n] + "\", age " + std::to_string(age) + ")";
      const std::string cell = columns[n] < row.cells.size() ? row.cells[columns[n]] : "";
      values[n][static_cast<std::size_t>(age)] = ReadRate(cell, where, RatePolicy::kExact);
    }
  }
  for (int age = kFirstBaseAge; age <= kTableAges; ++age) {
    if (!seen[static_cast<std::size_t>(age)])
      throw SourceError(file.string() + ": no row for age " + std::to_string(age));
  }
  return values;
}

// Scale MP-2021 of one sex, read as every scale is read (improvement_scale_source.h); the
// construction needs ages 20 to 120 and the years from 2013 on.
mortality::ImprovementScale ReadScale(const std::filesystem::path& file) {
  mortality::ImprovementScale scale = ScaleFromXtbml(ReadXtbmlFile(file), 1, file.string());
  const mortality::ScaleRange& range = scale.range();
  if (range.first_age != kFirstScaleAge || range.last_age != kTableAges)
    throw SourceError(file.string() + ": the scale's ages are " + std::to_string(range.first_age) +
                      "-" + std::to_string(range.last_age) + ", not 20-120");
  if (range.first_year > kFirstProductYear || range.last_year < kFirstProductYear)
    throw SourceError(file.string() + ": the years " + std::to_string(range.first_year) + "-" +
                      std::to_string(range.last_year) + " do not include 2013");
  return scale;
}

// A whole number as large as an exact product of decimals needs, in base 2^32.
class Natural {
 public:
  explicit Natural(std::uint32_t value) : limbs_{value} {}

  void Multiply(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs_) {
      const std::uint64_t product = std::uint64_t{limb} * factor + carry;
      limb = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0)
      limbs_.push_back(static_cast<std::uint32_t>(carry));
  }

  // Replaces the number by its quotient, rounded down.
  void Divide(std::uint32_t divisor) {
    std::uint64_t remainder = 0;
    for (auto limb = limbs_.rbegin(); limb != limbs_.rend(); ++limb) {
      const std::uint64_t current = (remainder << 32) | *limb;
      *limb = static_cast<std::uint32_t>(current / divisor);
      remainder = current % divisor;
    }
    while (limbs_.size() > 1 && limbs_.back() == 0) limbs_.pop_back();
  }

  bool Above(std::uint64_t limit) const { return limbs_.size() > 2 || Small() > limit; }

  // The number, when it is below 2^64.
  std::uint64_t Small() const {
    return limbs_.size() == 1 ? limbs_[0] : (std::uint64_t{limbs_[1]} << 32) | limbs_[0];
  }

 private:
  std::vector<std::uint32_t> limbs_;
};

// n / d rounded half up, for n >= 0 and d > 0.
std::int64_t RoundedQuotient(std::int64_t n, std::int64_t d) {
  return (2 * n + d) / (2 * d);
}

// Millionths to the fifth decimal, half up.
std::int64_t RoundToFifth(std::int64_t micro) {
  return (micro + 5) / 10 * 10;
}

// q(age, through) in millionths, rounded half up from the exact product.
std::int64_t GenerationalRate(const IrsInputs& inputs, Sex sex, Kind kind, int age, int through) {
  const std::int32_t base =
      inputs.base[static_cast<std::size_t>(sex)][static_cast<std::size_t>(kind)]
                 [static_cast<std::size_t>(age)];
  // base x 10 x the product of (1e6 - MI) over 1e6 per year: ten times the rate in millionths,
  // whose last digit decides the rounding.
  Natural product(static_cast<std::uint32_t>(base) * 10u);
  int years = 0;
  for (int year = kFirstProductYear; year <= through; ++year, ++years)
    product.Multiply(
        static_cast<std::uint32_t>(kOne - ModifiedImprovement(inputs, sex, age, year)));
  for (; years > 0; --years) product.Divide(static_cast<std::uint32_t>(kOne));
  // Only a scale whose rates are mostly negative can lift a rate above 1.
  if (product.Above(10 * static_cast<std::uint64_t>(kOne)))
    throw SourceError("the improvement scale lifts the " +
                      std::string(sex == Sex::kMale ? "male" : "female") + " rate of age " +
                      std::to_string(age) + " above 1 by " + std::to_string(through));
  return (static_cast<std::int64_t>(product.Small()) + 5) / 10;
}

// The static rate to six decimals, before the table's rounding to five.
std::int64_t StaticRate(const IrsInputs& inputs, Sex sex, Kind kind, int age, int year) {
  if (age == kTableAges)
    return kOne;
  const int thirds = ProjectionThirds(sex, age);
  const int whole = thirds / 3;
  const int fraction = thirds % 3;
  std::int64_t rate = GenerationalRate(inputs, sex, kind, age, year + whole);
  if (fraction > 0) {
    const std::int64_t next = GenerationalRate(inputs, sex, kind, age, year + whole + 1);
    rate = RoundedQuotient(3 * rate + fraction * (next - rate), 3);
  }
  return rate;
}

std::string YearRange() {
  return std::to_string(kFirstIrsYear) + " to " + std::to_string(kLastIrsYear);
}

std::string TableName(int year, const std::string& suffix) {
  std::string name = std::to_string(year) + suffix;
  name.resize(8, ' ');
  return name;
}

}  // namespace

IrsInputs ReadIrsInputs(const std::filesystem::path& published) {
  IrsInputs inputs;
  const auto base = ReadAgeColumns<4>(
      published / "irs/construction/irs_base_pri2012.csv",
      {kBaseColumns[0][0], kBaseColumns[0][1], kBaseColumns[1][0], kBaseColumns[1][1]});
  const auto weights = ReadAgeColumns<2>(published / "irs/construction/irs_weights.csv",
                                         {kWeightColumns[0], kWeightColumns[1]});
  for (std::size_t sex = 0; sex < 2; ++sex) {
    const std::filesystem::path juvenile_file = published / kJuvenileFiles[sex];
    const std::map<int, std::string> juvenile =
        AgeRates(ReadXtbmlFile(juvenile_file), 1, juvenile_file.string());
    for (int age = 1; age <= kTableAges; ++age) {
      const auto a = static_cast<std::size_t>(age);
      if (age < kFirstBaseAge) {
        const std::string where = juvenile_file.string() + ", age " + std::to_string(age);
        const auto rate = juvenile.find(age);
        if (rate == juvenile.end())
          throw SourceError(where + ": no rate");
        inputs.base[sex][0][a] = inputs.base[sex][1][a] =
            ReadRate(rate->second, where, RatePolicy::kExact);
      } else {
        inputs.base[sex][0][a] = base[2 * sex][a];
        inputs.base[sex][1][a] = base[2 * sex + 1][a];
        inputs.weight[sex][a] = weights[sex][a];
      }
    }
    inputs.scale[sex] = ReadScale(published / kScaleFiles[sex]);
  }
  return inputs;
}

std::filesystem::path FindPublishedFolder(const std::filesystem::path& start) {
  std::filesystem::path folder = std::filesystem::absolute(start);
  for (;;) {
    const std::filesystem::path published = folder / "data" / "tables" / "published";
    std::error_code ignored;
    if (std::filesystem::is_directory(published / "irs" / "construction", ignored))
      return published;
    if (folder == folder.parent_path())
      break;
    folder = folder.parent_path();
  }
  throw SourceError("no data/tables/published/irs/construction in " + start.string() +
                    " or a folder above it: run orvane-tables irs inside the Orvane repository");
}

std::int32_t ModifiedImprovement(const IrsInputs& inputs, Sex sex, int age, int year) {
  const mortality::ImprovementScale& scale = inputs.scale[static_cast<std::size_t>(sex)];
  if (year < scale.range().first_year)
    throw SourceError("the improvement scale starts in " +
                      std::to_string(scale.range().first_year) + ", not " + std::to_string(year));
  // Below age 20 the scale's rate at 20; after its last year, the last year's.
  const std::int32_t rate = scale.MillionthsAt(age, year);
  if (year <= kLastUnmodifiedYear)
    return rate;
  return std::min(rate, year <= kLastNoImprovementYear ? 0 : kLongTermCap);
}

int ProjectionThirds(Sex sex, int age) {
  const int to_80 = sex == Sex::kMale ? 8 : 9;
  if (age <= 80)
    return 3 * (to_80 + 80 - age);
  return std::max(0, 3 * to_80 - (age - 80));
}

std::vector<NamedTable> IrsTables(const IrsInputs& inputs, int year) {
  if (year < kFirstIrsYear || year > kLastIrsYear)
    throw SourceError("the IRS construction builds the tables of " + YearRange() + ", not of " +
                      std::to_string(year));
  // [sex][kind]: the static rates to six decimals; [sex]: the combined table.
  std::array<std::array<std::array<std::int64_t, kTableAges + 1>, 2>, 2> rates{};
  std::array<std::array<std::int64_t, kTableAges + 1>, 2> combined{};
  for (std::size_t s = 0; s < 2; ++s) {
    for (std::size_t k = 0; k < 2; ++k) {
      for (int age = 1; age <= kTableAges; ++age)
        rates[s][k][static_cast<std::size_t>(age)] =
            StaticRate(inputs, static_cast<Sex>(s), static_cast<Kind>(k), age, year);
    }
    for (std::size_t a = 1; a <= kTableAges; ++a) {
      const std::int64_t w = inputs.weight[s][a];
      combined[s][a] =
          RoundToFifth(RoundedQuotient(w * rates[s][1][a] + (kOne - w) * rates[s][0][a], kOne));
    }
  }
  std::vector<NamedTable> tables(7);
  const auto fill = [&](NamedTable& table, const std::string& suffix, auto rate_of_age) {
    table.name = TableName(year, suffix);
    table.origin = "the IRS construction of " + std::to_string(year);
    for (std::size_t a = 1; a <= kTableAges; ++a)
      table.micro[a] =
          static_cast<std::int32_t>(std::min<std::int64_t>(rate_of_age(a), kLargestMicro));
  };
  for (std::size_t s = 0; s < 2; ++s) {
    const std::string sex = kSexNames[s];
    fill(tables[s], "NA" + sex, [&](std::size_t a) { return RoundToFifth(rates[s][0][a]); });
    fill(tables[2 + s], "AN" + sex, [&](std::size_t a) { return RoundToFifth(rates[s][1][a]); });
    fill(tables[4 + s], "SP" + sex, [&](std::size_t a) { return combined[s][a]; });
  }
  fill(tables[6], "417e", [&](std::size_t a) {
    return RoundToFifth(RoundedQuotient(combined[0][a] + combined[1][a], 2));
  });
  return tables;
}

void ReadIrsConstructionList(const std::filesystem::path& file, const std::vector<CsvRow>& rows,
                             SourceSet& sources) {
  std::map<std::filesystem::path, IrsInputs> read;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    const std::string where = file.string() + ", line " + std::to_string(row.line);
    const int year = text::WholeNumber(Trim(row.cells[0])).value_or(0);
    if (year < kFirstIrsYear || year > kLastIrsYear)
      throw SourceError(where + ": \"" + row.cells[0] + "\" is not a year from " + YearRange());
    const std::string folder = row.cells.size() > 1 ? std::string(Trim(row.cells[1])) : "";
    if (folder.empty())
      throw SourceError(where + ": no inputs folder");
    const std::filesystem::path published = file.parent_path() / folder;
    auto known = read.find(published);
    if (known == read.end())
      known = read.emplace(published, ReadIrsInputs(published)).first;
    for (NamedTable& table : IrsTables(known->second, year)) {
      table.origin = where + " (the IRS construction of " + std::to_string(year) + ")";
      sources.tables.push_back(std::move(table));
    }
  }
}

}  // namespace orvane::sources
