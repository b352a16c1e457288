#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "numbers/rounding.h"
#include "tables/detail/store_probe.h"
#include "tables/table_store.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::tables {
namespace {

using detail::StoreProbe;
using testing::BlockFileBuilder;
using testing::ScratchFolder;
using valuation::QTable;

struct Table {
  std::string name;
  std::function<int(int)> micro;  // value at an age in millionths
};

int Zero(int) {
  return 0;
}

class Loader : public ::testing::Test {
 protected:
  // Writes the tables, 16 directory entries per block, and opens a store on them.
  TableStore& Store(const std::vector<Table>& tables) {
    BlockFileBuilder file;
    const int directory_blocks = static_cast<int>(tables.size()) / 16 + 1;
    file.Put(directory_blocks - 1, 255, {0});
    file.LastDirectoryBlock(directory_blocks - 1);
    for (std::size_t i = 0; i < tables.size(); ++i) {
      const int start = file.AppendTable("description of " + tables[i].name, tables[i].micro);
      file.Entry(static_cast<int>(i / 16), static_cast<int>(i % 16) + 1, tables[i].name, start);
    }
    file.Save(folder_ / "MortalityTables");
    store_.emplace(folder_ / "MortalityTables", [] { return RetryAnswer::kCancel; });
    return *store_;
  }
  std::string Path() const { return (folder_ / "MortalityTables").string(); }

  ScratchFolder folder_;
  std::optional<TableStore> store_;
};

TableRequest Projected(const std::string& name, bool pre, bool male) {
  TableRequest request;
  request.TableName = name;
  request.DontProjTable = false;
  request.ProjToValuation = true;
  request.ValuationYear = 2000;
  request.Pre = pre;
  request.Male = male;
  return request;
}

TEST_F(Loader, DirectLoadsReadTheStoredValuesOrGiveOneWhenAbsent) {
  TableStore& store = Store({{"Stored", [](int age) { return 1000 * age + 1; }}});
  TableRequest request;
  request.TableName = "Stored   with a description";
  // With "No Projection" the blend and preamble options change nothing.
  request.BlendSex = request.BlendAnn = request.FollowPreamble = true;
  const QTable q = store.LoadTable(request);
  EXPECT_EQ(q.at(0), 0.0);
  EXPECT_EQ(q.at(1), 0.001001);
  EXPECT_EQ(q.at(57), 0.057001);
  EXPECT_EQ(q.at(120), 0.120001);
  EXPECT_EQ(StoreProbe::DirectLoads(store), 1);
  for (const char* absent : {"Absent", "", "    ", "stored"}) {
    request.TableName = absent;
    const QTable ones = store.LoadTable(request);
    EXPECT_EQ(ones.at(0), 0.0) << absent;
    for (int age = 1; age <= 120; ++age) ASSERT_EQ(ones.at(age), 1.0) << absent << age;
  }
}

TEST_F(Loader, NoneIsExactlyFourCharactersAndOtherwiseProjectedLikeAnyChoice) {
  TableStore& store = Store({{"None", Zero},
                             {"M-N-Base", [](int) { return 999999; }},
                             {"M-Proj", [](int) { return 100000; }}});
  TableRequest request = Projected("None", true, true);
  EXPECT_EQ(store.LoadTable(request), QTable());
  request.TableName = "None    ";
  // n = 2000 - 2000 + 15 before retirement: 0.999999 x 0.9^15 = 0.205891...
  EXPECT_EQ(store.LoadTable(request).at(30), 0.205891);
  request.TableName = "None     No mortality";
  EXPECT_EQ(store.LoadTable(request).at(30), 0.205891);
  request.TableName = "Whatever";
  EXPECT_EQ(store.LoadTable(request).at(30), 0.205891);
  request.DontProjTable = true;
  request.TableName = "None     No mortality";
  EXPECT_EQ(store.LoadTable(request), QTable());
}

TEST_F(Loader, WithoutAnyProjectionFlagNoTableIsBuilt) {
  TableStore& store = Store({{"None", Zero}});
  TableRequest request;
  request.TableName = "Any";
  request.DontProjTable = false;
  try {
    store.LoadTable(request);
    FAIL() << "no error";
  } catch (const TableError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Table \"Any\" of " + Path() +
                  " cannot be loaded: neither \"No Projection\" nor a projection is selected");
  }
  request.BlendSex = true;  // the rule is reached inside the blend as well
  EXPECT_THROW(store.LoadTable(request), TableError);
}

// 0.999999 x 0.9^n rounded to 6 decimals: the rate that a base of 0.999999 and a scale of 0.1
// give after n years, so that each n shows in the rate.
double AfterYears(std::int64_t n) {
  return numbers::RoundHalfEven(0.999999 * std::pow(0.9, static_cast<double>(n)), 6);
}

TEST_F(Loader, ProjectionYearsFollowTheValuationRetirementAndPaymentRules) {
  TableStore& store = Store({{"M-N-Base", [](int) { return 999999; }},
                             {"M-A-Base", [](int) { return 999999; }},
                             {"F-N-Base", [](int age) { return 1000 * age + 7; }},
                             {"M-Proj", [](int) { return 100000; }},
                             {"F-Proj", [](int) { return 100000; }}});
  EXPECT_EQ(AfterYears(10), 0.348678);
  EXPECT_EQ(AfterYears(0), 0.999999);

  // To retirement, before it: born 1960, valued 2010.
  TableRequest request = Projected("Any", true, true);
  request.ProjToValuation = false;
  request.ProjToRetirement = true;
  request.YearOfBirth = 1960;
  request.ValuationYear = 2010;
  request.RetirementYear = 2025;
  QTable q = store.LoadTable(request);
  for (int x = 1; x <= 120; ++x) ASSERT_EQ(q.at(x), AfterYears(x <= 50 ? 10 : x - 40)) << x;
  EXPECT_EQ(q.at(50), 0.348678);
  EXPECT_EQ(q.at(51), 0.31381);  // n = 11

  // To retirement, after it: 2025 - 2000 + 7 = 32 years at every age.
  request.Pre = false;
  q = store.LoadTable(request);
  for (int x = 1; x <= 120; ++x) ASSERT_EQ(q.at(x), AfterYears(32)) << x;

  // To each payment year: unprojected up to age 50, then x - 50 years.
  request.ProjToRetirement = false;
  request.ProjToPayment = true;
  request.Pre = true;
  q = store.LoadTable(request);
  for (int x = 1; x <= 120; ++x) ASSERT_EQ(q.at(x), AfterYears(x <= 50 ? 0 : x - 50)) << x;

  // To the valuation year 2000: 15 years before retirement, 7 after.
  q = store.LoadTable(Projected("Any", true, true));
  for (int x = 1; x <= 120; ++x) ASSERT_EQ(q.at(x), AfterYears(15)) << x;
  q = store.LoadTable(Projected("Any", false, true));
  for (int x = 1; x <= 120; ++x) ASSERT_EQ(q.at(x), AfterYears(7)) << x;
  EXPECT_EQ(q.at(1), 0.478296);

  // Valued 1985, before retirement: n = 0 and the base rates come back unchanged.
  request = Projected("Any", true, false);
  request.ValuationYear = 1985;
  q = store.LoadTable(request);
  for (int x = 1; x <= 120; ++x) ASSERT_EQ(q.at(x), (1000 * x + 7) / 1e6) << x;

  // Valued 1980: n = -5, the projection runs backwards.
  request = Projected("Any", true, true);
  request.ValuationYear = 1980;
  EXPECT_EQ(store.LoadTable(request).at(40), 1.693507);
}

TEST_F(Loader, AScaleOfOneGivesZeroForwardsAndAnErrorBackwards) {
  // No scale tables: each loads as 1 at every age.
  TableStore& store = Store({{"M-N-Base", [](int) { return 20000; }}});
  TableRequest request = Projected("Any", true, true);
  EXPECT_EQ(store.LoadTable(request).at(60), 0.0);
  request.ValuationYear = 1985;  // n = 0: 0^0 is 1
  EXPECT_EQ(store.LoadTable(request).at(60), 0.02);
  request.ValuationYear = 1980;
  try {
    store.LoadTable(request);
    FAIL() << "no error";
  } catch (const TableError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Table \"M-N-Base\" of " + Path() +
                  " cannot be projected at age 1: improvement 1.000000 over -5 years gives no "
                  "finite rate");
  }
}

TEST_F(Loader, SexAndAnnuitantBlendsRoundHalvesToEven) {
  TableStore& store =
      Store({{"M-A-Base", [](int age) { return age == 1   ? 10001
                                               : age == 2 ? 500000
                                                          : 30000; }},
             {"F-A-Base", [](int age) { return age == 1   ? 10002
                                               : age == 2 ? 1
                                                          : 10000; }},
             {"M-N-Base", [](int) { return 10000; }},
             {"F-N-Base", [](int) { return 40000; }},
             {"M-Proj", Zero},
             {"F-Proj", Zero},
             {"M Weight", [](int age) { return age < 50    ? 0
                                               : age <= 70 ? 250000
                                                           : 999999; }},
             {"F Weight", [](int age) { return age < 50 ? 0 : 500000; }}});
  TableRequest request = Projected("Any", false, true);
  request.BlendSex = true;
  QTable q = store.LoadTable(request);
  EXPECT_EQ(q.at(1), 0.010002);
  EXPECT_EQ(q.at(2), 0.25);
  EXPECT_EQ(q.at(3), 0.02);
  request.Male = false;  // the caller's sex does not matter
  EXPECT_EQ(store.LoadTable(request), q);

  request = Projected("Any", true, true);
  request.BlendAnn = true;
  q = store.LoadTable(request);
  EXPECT_EQ(q.at(49), 0.01);   // all non-annuitant
  EXPECT_EQ(q.at(50), 0.015);  // 0.75 x 0.01 + 0.25 x 0.03
  EXPECT_EQ(q.at(71), 0.03);   // 0.000001 x 0.01 + 0.999999 x 0.03 = 0.02999998
  request.Pre = false;         // the caller's Pre does not matter
  EXPECT_EQ(store.LoadTable(request), q);

  // Both: the average of the male and the female annuitant blends.
  request.BlendSex = true;
  q = store.LoadTable(request);
  EXPECT_EQ(q.at(10), 0.025);  // (0.01 + 0.04) / 2
  EXPECT_EQ(q.at(60), 0.02);   // (0.015 + 0.025) / 2
}

TEST_F(Loader, ThePreambleAdjustmentGradesOverItsBands) {
  const auto n = [](int age) { return 1000 + age; };
  const auto a = [](int age) { return 50000 + 100 * age; };
  TableStore& store = Store({{"M-N-Base", n},
                             {"M-A-Base", a},
                             {"F-N-Base", n},
                             {"F-A-Base", a},
                             {"M-Proj", Zero},
                             {"F-Proj", Zero}});
  TableRequest request = Projected("Any", true, true);
  request.FollowPreamble = true;
  QTable q = store.LoadTable(request);
  EXPECT_EQ(q.at(70), 0.00107);
  EXPECT_NEAR(q.at(75), 0.00107 + 15.0 / 55.0 * (0.058 - 0.00107), 1e-15);
  EXPECT_NEAR(q.at(80), 0.058, 1e-12);
  EXPECT_EQ(q.at(81), 0.0581);

  request.Pre = false;
  q = store.LoadTable(request);
  EXPECT_EQ(q.at(40), 0.00104);
  EXPECT_NEAR(q.at(41), 0.00104 + (0.055 - 0.00104) / 55.0, 1e-15);
  EXPECT_NEAR(q.at(50), 0.055, 1e-12);
  EXPECT_EQ(q.at(51), 0.0551);

  request.Male = false;
  q = store.LoadTable(request);
  EXPECT_EQ(q.at(44), 0.001044);
  EXPECT_NEAR(q.at(49), 0.001044 + 15.0 / 21.0 * (0.055 - 0.001044), 1e-15);
  EXPECT_EQ(q.at(50), 0.055);
}

TEST_F(Loader, EveryOptionTogetherMakesEighteenDirectLoads) {
  TableStore& store = Store({{"M-N-Base", [](int) { return 10000; }}});
  TableRequest request = Projected("Any", true, true);
  const std::vector<std::pair<std::function<void()>, int>> steps = {
      {[] {}, 2},
      {[&] { request.FollowPreamble = true; }, 4},
      {[&] { request.BlendAnn = true; }, 9},
      {[&] { request.BlendSex = true; }, 18},
      {[&] { request.ProjToValuation = false, request.ProjToPayment = true; }, 18},
      {[&] { request.DontProjTable = true; }, 1}};
  for (const auto& [change, loads] : steps) {
    change();
    const std::int64_t before = StoreProbe::DirectLoads(store);
    store.LoadTable(request);
    EXPECT_EQ(StoreProbe::DirectLoads(store) - before, loads);
  }
}

TEST_F(Loader, AMalformedTableFileStopsItsLoad) {
  BlockFileBuilder file;
  // 40 values, then nothing: the zero byte after them is no length byte.
  std::vector<std::string> short_table{"header", "short"};
  for (int i = 0; i < 40; ++i) short_table.push_back(testing::PackedDigits("000001"));
  file.Entry(0, 2, "Short", file.AppendFields(short_table));
  std::vector<std::string> narrow{"header", "narrow", testing::PackedDigits("000001"), "\x01\x02"};
  file.Entry(0, 3, "Narrow", file.AppendFields(narrow));
  file.Save(folder_ / "MortalityTables");
  TableStore store(folder_ / "MortalityTables", [] { return RetryAnswer::kCancel; });
  TableRequest request;
  request.TableName = "Short";
  try {
    store.LoadTable(request);
    FAIL() << "no error";
  } catch (const TableError& error) {
    EXPECT_EQ(std::string(error.what()), "Malformed table file \"Short\" in " + Path() +
                                             ", block 1: length byte 0 at byte 175 is below 128");
  }
  request.TableName = "Narrow";
  try {
    store.LoadTable(request);
    FAIL() << "no error";
  } catch (const TableError& error) {
    EXPECT_EQ(std::string(error.what()), "Malformed table file \"Narrow\" in " + Path() +
                                             ", block 2: the value for age 2 has 2 bytes, 3 "
                                             "expected");
  }
}

}  // namespace
}  // namespace orvane::tables
