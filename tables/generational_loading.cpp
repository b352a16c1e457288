// The direct load of a generational table: its base rates come from its own table file, its
// scale from the table file that field 1 names, and the cohort from the life's year of birth.
//
// A scale is some 140 blocks, read and parsed once per version of the data file and kept by the
// store (see scales_ in table_store.h): reading it afresh for every table of every recalculation
// cost the window more than a frame. The base rates are still read at every load.
#include <utility>
#include <vector>

#include "mortality/mortality_error.h"
#include "tables/generational_table.h"
#include "tables/table_store.h"

namespace orvane::tables {
namespace {

using mortality::ImprovementScale;
using mortality::ScaleRange;

constexpr int kLastAge = mortality::QTable::kLastAge;
constexpr int kYearDigits = 4;

std::string Trimmed(std::string name) {
  return TableStore::ClearBlanks(name);
}

}  // namespace

mortality::QTable TableStore::GenerationalLoad(const std::string& name8,
                                               const mortality::QTable& base,
                                               const std::string& scale8,
                                               std::optional<int> life_year_of_birth) {
  const std::string table = Trimmed(name8);
  const std::string scale_name = Trimmed(scale8);
  if (!life_year_of_birth) {
    throw TableError("Generational table \"" + table +
                     "\" needs the year of birth of the life it describes");
  }
  const auto missing = [&](const std::string& why) {
    throw TableError("Generational table \"" + table + "\" of " + data_file_.string() +
                     " names the improvement scale \"" + scale_name + "\", " + why);
  };
  // The identity is taken before any block of the scale is read: a file replaced after this
  // point is a new version at the next load, so a scale is never kept under a version it was
  // not read from.
  const std::optional<detail::FileIdentity> version = detail::IdentityOf(data_file_);
  if (version != scales_version_) {
    scales_.clear();
    scales_version_ = version;
  }
  // A file that cannot be identified, or was changed too lately to tell a further change by its
  // identity, has its scale read afresh every time.
  const bool keep = version && !detail::IsRecent(*version);
  const std::int32_t start = scale_name.empty() ? 0 : LocationFile(scale8);
  if (start <= 0)
    missing("which the data file lacks");
  auto key = std::make_pair(scale_name, start);
  if (const auto kept = scales_.find(key); keep && kept != scales_.end())
    return CohortRates(base, kept->second, *life_year_of_birth, table);
  OpenAt(start, scale_name);
  std::optional<ScaleRange> range;
  try {
    range = mortality::ScaleRangeOf(ReadString(), scale_name);
  } catch (const mortality::MortalityError& e) {
    throw TableError(e.what());
  }
  if (!range)
    missing("which is not an improvement scale");
  ImprovementScale scale = ReadScale(scale_name, *range);
  if (!keep)
    return CohortRates(base, scale, *life_year_of_birth, table);
  const auto placed = scales_.insert_or_assign(std::move(key), std::move(scale)).first;
  return CohortRates(base, placed->second, *life_year_of_birth, table);
}

ImprovementScale TableStore::ReadScale(const std::string& scale_name, const ScaleRange& range) {
  ReadString();                                      // the description
  for (int x = 1; x <= kLastAge; ++x) ReadString();  // the ultimate rates, for plain readers
  const int ages = range.last_age - range.first_age + 1;
  std::vector<std::int32_t> rates;
  rates.reserve(static_cast<std::size_t>(ages * (range.last_year - range.first_year + 1)));
  for (int year = range.first_year; year <= range.last_year; ++year) {
    const std::string stored = ReadString();
    if (stored != std::to_string(year) || stored.size() != kYearDigits) {
      Malformed("improvement scale year \"" + stored + "\" where " + std::to_string(year) +
                " is due: the years must follow each other without a gap");
    }
    for (int a = 0; a < ages; ++a) {
      const std::string field = ReadString();
      if (field.size() != static_cast<std::size_t>(format::kRateBytes)) {
        Malformed("the rate of " + std::to_string(year) + " at age " +
                  std::to_string(range.first_age + a) + " has " + std::to_string(field.size()) +
                  " bytes, 3 expected");
      }
      const double micro = UnPack(field, format::kRateBytes, 0);
      rates.push_back(static_cast<std::int32_t>(micro) - mortality::kScaleOffsetMillionths);
    }
  }
  return ImprovementScale(scale_name, range, std::move(rates));
}

}  // namespace orvane::tables
