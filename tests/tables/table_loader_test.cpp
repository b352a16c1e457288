// LoadTable's decision order, projections, blends and the preamble adjustment, worked out by hand
// on small data files.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "numbers/rounding.h"
#include "tables/table_store.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::tables {
namespace {

using testing::BlockFileBuilder;
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
  std::string ErrorOf(const TableRequest& request) {
    try {
      store_->LoadTable(request);
    } catch (const TableError& error) {
      // The message with the data file's path as FILE.
      std::string message = error.what();
      const std::size_t at = message.find(Path());
      return at == std::string::npos ? message : message.replace(at, Path().size(), "FILE");
    }
    return "no error";
  }
  std::string Path() const { return (folder_ / "MortalityTables").string(); }

  testing::ScratchFolder folder_;
  std::optional<TableStore> store_;
};

TableRequest Projected(const std::string& name, bool pre, bool male, int year = 2000) {
  TableRequest request;
  request.TableName = name;
  request.DontProjTable = false;
  request.ProjToValuation = true;
  request.ValuationYear = year;
  request.Pre = pre;
  request.Male = male;
  return request;
}

// 0.999999 x 0.9^n rounded to 6 decimals: the rate that a base of 0.999999 and a scale of 0.1
// give after n years, so that each n shows in the rate.
double AfterYears(std::int64_t n) {
  return numbers::RoundHalfEven(0.999999 * std::pow(0.9, static_cast<double>(n)), 6);
}

void ExpectEveryAge(const QTable& q, const std::function<double(int)>& expected) {
  for (int x = 1; x <= 120; ++x) ASSERT_EQ(q.at(x), expected(x)) << "age " << x;
}

TEST_F(Loader, DirectLoadsReadTheStoredValuesOrGiveOneWhenAbsent) {
  TableStore& store = Store({{"Stored", [](int age) { return 1000 * age + 1; }}});
  TableRequest request;
  request.TableName = "Stored   with a description";
  // With "No Projection" the blend and preamble options change nothing.
  request.BlendSex = request.BlendAnn = request.FollowPreamble = true;
  const QTable q = store.LoadTable(request);
  EXPECT_EQ(q.at(0), 0.0);
  ExpectEveryAge(q, [](int x) { return (1000 * x + 1) / 1e6; });
  EXPECT_EQ(q.at(57), 0.057001);
  for (const char* absent : {"Absent", "    ", "stored"}) {
    request.TableName = absent;
    ExpectEveryAge(store.LoadTable(request), [](int) { return 1.0; });
  }
}

TEST_F(Loader, NoneIsExactlyFourCharactersAndOtherwiseProjectedLikeAnyChoice) {
  TableStore& store = Store({{"None", Zero},
                             {"M-N-Base", [](int) { return 999999; }},
                             {"M-Proj", [](int) { return 100000; }}});
  TableRequest request = Projected("None", true, true);
  EXPECT_EQ(store.LoadTable(request), QTable());
  // n = 2000 - 2000 + 15 before retirement: 0.999999 x 0.9^15 = 0.205891...
  for (const char* name : {"None    ", "None     No mortality", "Whatever"}) {
    request.TableName = name;
    EXPECT_EQ(store.LoadTable(request).at(30), 0.205891) << name;
  }
  request.DontProjTable = true;
  request.TableName = "None     No mortality";
  EXPECT_EQ(store.LoadTable(request), QTable());
  request.TableName = "Any";
  request.DontProjTable = false;
  request.ProjToValuation = false;
  EXPECT_EQ(ErrorOf(request),
            "Table \"Any\" of FILE cannot be loaded: neither \"No Projection\" nor a projection is "
            "selected");
  request.BlendSex = true;  // the rule is reached inside the blend as well
  EXPECT_THROW(store.LoadTable(request), TableError);
}

TEST_F(Loader, ProjectionYearsFollowTheValuationRetirementAndPaymentRules) {
  TableStore& store = Store({{"M-N-Base", [](int) { return 999999; }},
                             {"M-A-Base", [](int) { return 999999; }},
                             {"F-N-Base", [](int age) { return 1000 * age + 7; }},
                             {"M-Proj", [](int) { return 100000; }},
                             {"F-Proj", [](int) { return 100000; }}});
  EXPECT_EQ(AfterYears(10), 0.348678);

  // To retirement, before it: born 1960, valued 2010.
  TableRequest request = Projected("Any", true, true, 2010);
  request.ProjToValuation = false;
  request.ProjToRetirement = true;
  request.YearOfBirth = 1960;
  request.RetirementYear = 2025;
  QTable q = store.LoadTable(request);
  ExpectEveryAge(q, [](int x) { return AfterYears(x <= 50 ? 10 : x - 40); });
  EXPECT_EQ(q.at(51), 0.31381);  // n = 11
  // To retirement, after it: 2025 - 2000 + 7 = 32 years at every age.
  request.Pre = false;
  ExpectEveryAge(store.LoadTable(request), [](int) { return AfterYears(32); });
  // To each payment year: unprojected up to age 50, then x - 50 years.
  request.ProjToRetirement = false;
  request.ProjToPayment = true;
  request.Pre = true;
  ExpectEveryAge(store.LoadTable(request), [](int x) { return AfterYears(x <= 50 ? 0 : x - 50); });
  // To the valuation year 2000: 15 years before retirement, 7 after.
  ExpectEveryAge(store.LoadTable(Projected("Any", true, true)), [](int) { return AfterYears(15); });
  q = store.LoadTable(Projected("Any", false, true));
  ExpectEveryAge(q, [](int) { return AfterYears(7); });
  EXPECT_EQ(q.at(1), 0.478296);
  // Valued 1985, before retirement: n = 0 and the base rates come back unchanged.
  ExpectEveryAge(store.LoadTable(Projected("Any", true, false, 1985)),
                 [](int x) { return (1000 * x + 7) / 1e6; });
  // Valued 1980: n = -5, the projection runs backwards.
  EXPECT_EQ(store.LoadTable(Projected("Any", true, true, 1980)).at(40), 1.693507);
}

TEST_F(Loader, AScaleOfOneGivesZeroForwardsAndAnErrorBackwards) {
  // No scale tables: each loads as 1 at every age.
  TableStore& store = Store({{"M-N-Base", [](int) { return 20000; }}});
  EXPECT_EQ(store.LoadTable(Projected("Any", true, true)).at(60), 0.0);
  EXPECT_EQ(store.LoadTable(Projected("Any", true, true, 1985)).at(60), 0.02);  // 0^0 is 1
  EXPECT_EQ(ErrorOf(Projected("Any", true, true, 1980)),
            "Table \"M-N-Base\" of FILE cannot be projected at age 1: improvement 1.000000 over -5 "
            "years gives no finite "
            "rate");
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

TEST_F(Loader, AMalformedTableFileStopsItsLoad) {
  BlockFileBuilder file;
  // 40 values, then nothing: the zero byte after them is no length byte.
  std::vector<std::string> short_table{"header", "short"};
  for (int i = 0; i < 40; ++i) short_table.push_back(testing::PackedDigits("000001"));
  file.Entry(0, 2, "Short", file.AppendFields(short_table));
  file.Entry(0, 3, "Narrow",
             file.AppendFields({"header", "narrow", testing::PackedDigits("000001"), "\x01\x02"}));
  file.Save(folder_ / "MortalityTables");
  store_.emplace(folder_ / "MortalityTables", [] { return RetryAnswer::kCancel; });
  TableRequest request;
  request.TableName = "Short";
  EXPECT_EQ(
      ErrorOf(request),
      "Malformed table file \"Short\" in FILE, block 1: length byte 0 at byte 175 is below 128");
  request.TableName = "Narrow";
  EXPECT_EQ(ErrorOf(request),
            "Malformed table file \"Narrow\" in FILE, block 2: the value for age 2 has 2 bytes, 3 "
            "expected");
}

}  // namespace
}  // namespace orvane::tables
