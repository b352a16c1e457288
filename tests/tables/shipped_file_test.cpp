#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tables/table_store.h"
#include "tools/tables/table_derivation.h"

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
    std::vector<std::string> cells;
    std::stringstream split(line);
    std::string cell;
    while (std::getline(split, cell, ',')) cells.push_back(cell);
    if (line.back() == ',')
      cells.emplace_back();
    if (header.empty()) {
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

TEST_F(ShippedFile, ListsNoneAndThe417eTableFirst) {
  const std::vector<std::string> list = store_.GetTableList();
  ASSERT_EQ(list.size(), 8u);
  EXPECT_EQ(list[0], "None     No mortality: rate 0 at every age");
  EXPECT_EQ(list[1], "2008417e Computed from RP-2000, Scale AA, RP-2000 shares (not IRS)");
  EXPECT_EQ(list[2].substr(0, 9), "RP2000CM ");
  EXPECT_EQ(list[3].substr(0, 9), "RP2000CF ");
  for (const std::string& entry : list) EXPECT_LE(entry.size(), 9u + 60u) << entry;
}

TEST_F(ShippedFile, HoldsThePublishedRatesJoinedAtTheirAges) {
  // RP-2000 Employee to 70, then Healthy Annuitant, for non-annuitants; Employee to 49 for
  // annuitants. The report's age-120 rate of 1 is stored as 0.999999.
  EXPECT_EQ(Stored("M-N-Base").at(70), 0.009922);
  EXPECT_EQ(Stored("M-N-Base").at(71), 0.024570);
  EXPECT_EQ(Stored("F-N-Base").at(70), 0.007613);
  EXPECT_EQ(Stored("F-N-Base").at(71), 0.018579);
  EXPECT_EQ(Stored("M-A-Base").at(49), 0.001995);
  EXPECT_EQ(Stored("M-A-Base").at(50), 0.005347);
  EXPECT_EQ(Stored("M-A-Base").at(102), 0.371685);  // the report's value, not the export's
  EXPECT_EQ(Stored("F-A-Base").at(49), 0.001550);
  EXPECT_EQ(Stored("F-A-Base").at(50), 0.002344);
  EXPECT_EQ(Stored("F-A-Base").at(120), 0.999999);
  EXPECT_EQ(Stored("RP2000CM").at(51), 0.002449);
  EXPECT_EQ(Stored("RP2000CF").at(51), 0.001852);
  EXPECT_EQ(Stored("M-Proj").at(1), 0.02);
  EXPECT_EQ(Stored("F-Proj").at(101), 0.0);
  EXPECT_EQ(Stored("M Weight").at(49), 0.0);
  EXPECT_EQ(Stored("M Weight").at(51), 0.0498);
  EXPECT_EQ(Stored("F Weight").at(69), 0.9627);
  EXPECT_EQ(Stored("F Weight").at(70), 0.999999);
  EXPECT_EQ(Stored("M Weight").at(71), 0.999999);
  EXPECT_EQ(Stored("None"), valuation::QTable());
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
}

TEST_F(ShippedFile, The417eTableIsWhatTheLoaderBuildsForTheValuationYear2008) {
  const std::filesystem::path computed = SourceDir() / "data/tables/2008417e_computed.csv";
  if (!std::filesystem::exists(computed)) {
    GTEST_SKIP() << "2008417e is not the computed table: " << computed << " was removed";
  }
  const valuation::QTable built = store_.LoadTable(tools::UnisexLumpSumRequest("2008417e", 2008));
  const valuation::QTable stored = Stored("2008417e");
  EXPECT_EQ(built, stored);
  // Checked by hand: 23 and 15 years of Scale AA, the RP-2000 shares, then the sexes averaged.
  EXPECT_EQ(stored.at(1), 0.000380);
  EXPECT_EQ(stored.at(50), 0.001269);
  EXPECT_EQ(stored.at(65), 0.009602);
  EXPECT_EQ(stored.at(85), 0.085220);
  EXPECT_EQ(stored.at(120), 0.999999);
  const auto csv = Columns(computed);
  for (int x = 1; x <= 120; ++x) {
    ASSERT_EQ(std::stod(csv.at("2008417e")[static_cast<std::size_t>(x - 1)]), stored.at(x)) << x;
  }
}

TEST_F(ShippedFile, TheDefaultRecalculationLoadsNoneBeforeAndThe417eTableAfterRetirement) {
  TableRequest request;
  request.TableName = "2008417e";
  request.Pre = false;
  EXPECT_EQ(store_.LoadTable(request).at(65), 0.009602);
  request.Male = false;
  EXPECT_EQ(store_.LoadTable(request).at(65), 0.009602);
  request.TableName = "None";
  request.Pre = true;
  EXPECT_EQ(store_.LoadTable(request), valuation::QTable());
}

}  // namespace
}  // namespace orvane::tables
