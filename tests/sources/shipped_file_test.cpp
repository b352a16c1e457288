#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sources/source_error.h"
#include "sources/xtbml_import.h"
#include "tables/table_store.h"

namespace orvane::tables {
namespace {

std::filesystem::path SourceDir() {
  const char* dir = std::getenv("ORVANE_SOURCE_DIR");
  if (dir == nullptr) {
    ADD_FAILURE() << "ORVANE_SOURCE_DIR is not set";
    return {};
  }
  return dir;
}

// The columns of a CSV file by header name, each a list of cells by row, read with plain code
// of its own so that the tool's parser is not checked against itself.
std::map<std::string, std::vector<std::string>> Columns(const std::filesystem::path& file) {
  std::ifstream in(file);
  EXPECT_TRUE(in.good()) << file;
  std::string line;
  std::vector<std::string> header;
  std::map<std::string, std::vector<std::string>> columns;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::vector<std::string> cells;
    std::stringstream split(line);
    std::string cell;
    while (std::getline(split, cell, ',')) cells.push_back(cell);
    if (line.back() == ',')
      cells.emplace_back();
    if (header.empty()) {
      // The IRS files open with a line that holds the year alone.
      if (!cells.empty() && (cells[0] == "age" || cells[0] == "Age"))
        header = cells;
      continue;
    }
    for (std::size_t c = 0; c < header.size(); ++c) {
      columns[header[c]].push_back(c < cells.size() ? cells[c] : "");
    }
  }
  return columns;
}

class ShippedFile : public ::testing::Test {
 protected:
  ShippedFile()
      : store_(SourceDir() / "data/MortalityTables", [] { return RetryAnswer::kCancel; }) {}

  valuation::QTable Stored(const std::string& name) {
    TableRequest request;
    request.TableName = name;
    return store_.LoadTable(request);
  }

  TableStore store_;
};

// None and the 2008 table first; then each kind of IRS table newest first, one entry a year
// without a gap; then the ten generational tables; then the RP-2000 tables.
TEST_F(ShippedFile, ListsTheIrsTablesNewestFirst) {
  const std::vector<std::string> list = store_.GetTableList();
  ASSERT_GT(list.size(), 20u);
  EXPECT_EQ(list[0], "None     No mortality: rate 0 at every age");
  EXPECT_EQ(list[1].substr(0, 41), "2008417e 2008 Applicable Mortality Table,");
  std::size_t at = 2;
  const auto run_of = [&](const std::vector<std::string>& kinds) {
    const int newest = std::stoi(list.at(at).substr(0, 4));
    for (int year = newest; year >= 2009; --year) {
      for (const std::string& kind : kinds) {
        std::string name = std::to_string(year) + kind;
        name.resize(9, ' ');
        ASSERT_EQ(list.at(at++).substr(0, 9), name);
      }
    }
  };
  run_of({"417e"});
  run_of({"NAM", "NAF", "ANM", "ANF", "SPM", "SPF"});
  EXPECT_EQ(list.at(at).substr(0, 9), "PriEM-G  ");
  at += 10;
  EXPECT_EQ(list.at(at).substr(0, 9), "RP2000CM ");
  EXPECT_EQ(list.size(), at + 6);
  for (const std::string& entry : list) EXPECT_LE(entry.size(), 9u + 124u) << entry;
}

// Every stored value equals the published one at every age (1 stored as 0.999999).
TEST_F(ShippedFile, EveryRateComesFromThePublishedSources) {
  const std::filesystem::path published = SourceDir() / "data/tables/published";
  auto rp = Columns(published / "rp2000.csv");
  auto aa = Columns(published / "scale_aa.csv");
  auto shares = Columns(published / "rp2000_combined_weights.csv");
  const auto value = [](const std::string& cell) {
    const double v = std::stod(cell);
    return v == 1.0 ? 0.999999 : v;
  };
  for (const char* sex : {"male", "female"}) {
    const std::string s = sex[0] == 'm' ? "M" : "F";
    const auto n = Stored(s + "-N-Base"), a = Stored(s + "-A-Base");
    const auto combined = Stored(s == "M" ? "RP2000CM" : "RP2000CF");
    const auto scale = Stored(s + "-Proj"), weight = Stored(s + " Weight");
    for (int x = 1; x <= 120; ++x) {
      const std::size_t row = static_cast<std::size_t>(x - 1);
      const std::string employee = rp["employee_" + std::string(sex)][row];
      const std::string annuitant = rp["annuitant_" + std::string(sex)][row];
      ASSERT_EQ(n.at(x), value(x <= 70 ? employee : annuitant)) << sex << x;
      ASSERT_EQ(a.at(x), value(x <= 49 ? employee : annuitant)) << sex << x;
      ASSERT_EQ(combined.at(x), value(rp["combined_" + std::string(sex)][row])) << sex << x;
      ASSERT_EQ(scale.at(x), value(aa[sex][row])) << sex << x;
      const double share = x < 50 ? 0.0 : x > 70 ? 0.999999 : value(shares[sex][row - 49]);
      ASSERT_EQ(weight.at(x), share) << sex << x;
    }
  }
  EXPECT_EQ(Stored("None"), valuation::QTable());
}

// The table the IRS file gives in `column`, in millionths, read with the test's own CSV reading:
// ages 15-120 as published, ages 1-14 at the age-15 rate.
std::array<std::int32_t, 121> FromIrsCsv(const std::filesystem::path& file,
                                         const std::string& column) {
  auto columns = Columns(file);
  const std::vector<std::string>& ages = columns.count("Age") ? columns["Age"] : columns["age"];
  std::array<std::int32_t, 121> micro{};
  for (std::size_t row = 0; row < ages.size(); ++row) {
    const double value = std::stod(columns.at(column).at(row));
    micro.at(static_cast<std::size_t>(std::stoi(ages[row]))) =
        value == 1.0 ? 999999 : static_cast<std::int32_t>(std::lround(value * 1e6));
  }
  for (std::size_t age = 1; age < 15; ++age) micro[age] = micro[15];
  return micro;
}

// Every IRS table of the file equals its published source at every age: the SOA's XTbML files
// (2008-2016) through the importer, the IRS's CSV files (2017-2024). Which table a file holds is
// read from its own description, not from the build's list.
TEST_F(ShippedFile, EveryIrsTableEqualsItsPublishedSource) {
  const std::filesystem::path published = SourceDir() / "data/tables/published";
  std::map<std::string, std::array<std::int32_t, 121>> sources;
  const std::vector<std::pair<std::string, std::string>> kinds = {{"417(e)", "417e"},
                                                                  {"Optional Combined", "SP"},
                                                                  {"Non-Annuitant", "NA"},
                                                                  {"Annuitant", "AN"}};
  for (const auto& entry : std::filesystem::directory_iterator(published / "xtbml")) {
    const sources::XtbmlFile file = sources::ReadXtbmlFile(entry.path());
    const std::string description = file.tables.at(0).description;
    std::string name;
    if (file.identity == "2801") {
      name = "2008417e";
    } else if (description.rfind("IRS 20", 0) == 0) {
      const auto kind = std::find_if(kinds.begin(), kinds.end(), [&](const auto& k) {
        return description.find(k.first) != std::string::npos;
      });
      ASSERT_NE(kind, kinds.end()) << description;
      name = description.substr(4, 4) + kind->second;
      if (kind->second != "417e")
        name += description.substr(description.size() - 4) == "Male" ? "M" : "F";
    } else {
      continue;
    }
    sources[name] = sources::ImportXtbml(file, entry.path().string(), {}).micro;
  }
  for (int year = 2017; year <= 2024; ++year) {
    const std::string y = std::to_string(year);
    sources[y + "417e"] = FromIrsCsv(published / "irs/417e_published.csv", y);
    const std::filesystem::path file = published / ("irs/430_published_" + y + ".csv");
    for (const auto& [column, kind] :
         std::vector<std::pair<std::string, std::string>>{{"Male EE", "NAM"},
                                                          {"Female EE", "NAF"},
                                                          {"Male HA", "ANM"},
                                                          {"Female HA", "ANF"},
                                                          {"Male", "SPM"},
                                                          {"Female", "SPF"}}) {
      sources[y + kind] = FromIrsCsv(file, column);
    }
  }
  ASSERT_EQ(sources.size(), 113u);
  for (const auto& [name, micro] : sources) {
    const valuation::QTable stored = Stored(name);
    for (int x = 1; x <= 120; ++x)
      ASSERT_EQ(stored.at(x), micro[static_cast<std::size_t>(x)] / 1e6) << name << " age " << x;
  }
}

// The 2026 tables as the IRS published them (Notice 2025-40): the unisex table at every age, the
// small-plan combined tables at 40-120, the ages the published file has.
TEST_F(ShippedFile, The2026TablesAreThePublishedOnes) {
  auto columns = Columns(SourceDir() / "data/tables/published/irs/2026_published.csv");
  int compared = 0;
  for (const auto& [column, name] : std::vector<std::pair<std::string, std::string>>{
           {"417e", "2026417e"}, {"Male", "2026SPM"}, {"Female", "2026SPF"}}) {
    const valuation::QTable stored = Stored(name);
    ASSERT_EQ(columns.at(column).size(), 120u);
    for (int x = 1; x <= 120; ++x) {
      const std::string& cell = columns.at(column)[static_cast<std::size_t>(x - 1)];
      ASSERT_EQ(columns.at("Age")[static_cast<std::size_t>(x - 1)], std::to_string(x));
      if (cell.empty())
        continue;
      const double published = std::stod(cell) == 1.0 ? 0.999999 : std::stod(cell);
      ASSERT_EQ(stored.at(x), published) << name << " age " << x;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 120 + 81 + 81);
}

// The IRS's own rule: the unisex 417(e) table is the half-up average of the year's male and
// female small-plan combined tables.
TEST_F(ShippedFile, The417eTablesAverageTheCombinedTables) {
  int compared = 0;
  for (int year = 2009; year <= 2016; ++year) {
    const std::string y = std::to_string(year);
    const auto male = Stored(y + "SPM"), female = Stored(y + "SPF"), unisex = Stored(y + "417e");
    for (int x = 1; x <= 120; ++x, ++compared) {
      const long sum = std::lround(male.at(x) * 1e6) + std::lround(female.at(x) * 1e6);
      ASSERT_EQ(std::lround(unisex.at(x) * 1e6), (sum + 1) / 2) << y << " age " << x;
    }
  }
  EXPECT_EQ(compared, 960);
}

// The importer on every XTbML file we hold, and on the SOA files beside the project where there
// are any: an age table imports with --hold, and without it exactly when it covers ages 1-120;
// an improvement scale (age by year) is refused for its Year axis.
TEST(Importer, ReadsEveryXtbmlFileWeHold) {
  std::vector<std::filesystem::path> folders = {SourceDir() / "data/tables/published/xtbml",
                                                SourceDir() / "../shared/data/xtbml"};
  int files = 0;
  for (const std::filesystem::path& folder : folders) {
    if (!std::filesystem::is_directory(folder))
      continue;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      ++files;
      const std::string origin = entry.path().string();
      const sources::XtbmlFile file = sources::ReadXtbmlFile(entry.path());
      const sources::XtbmlTable& table = file.tables.at(0);
      if (table.axes.size() == 2) {
        try {
          sources::ImportXtbml(file, origin, {});
          ADD_FAILURE() << origin << " was imported";
        } catch (const sources::SourceError& error) {
          EXPECT_NE(std::string(error.what()).find("has a Year axis"), std::string::npos)
              << error.what();
        }
        continue;
      }
      std::set<int> ages;
      for (const sources::XtbmlValue& value : table.values) ages.insert(value.outer);
      bool whole = true;
      for (int x = 1; x <= 120; ++x) whole = whole && ages.count(x) > 0;
      sources::ImportOptions hold;
      hold.hold = true;
      const sources::ImportedTable held = sources::ImportXtbml(file, origin, hold);
      EXPECT_EQ(held.name, ("t" + file.identity + "        ").substr(0, 8)) << origin;
      for (int x = 1; x <= 120; ++x)
        ASSERT_LE(held.micro[static_cast<std::size_t>(x)], 999999) << origin << " age " << x;
      try {
        EXPECT_EQ(sources::ImportXtbml(file, origin, {}).micro, held.micro) << origin;
        EXPECT_TRUE(whole) << origin << " was imported without all its ages";
      } catch (const sources::SourceError& error) {
        EXPECT_FALSE(whole) << error.what();
      }
    }
  }
  EXPECT_GE(files, 60);
}

}  // namespace
}  // namespace orvane::tables
