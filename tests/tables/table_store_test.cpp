// The table store on data files built byte by byte: blocks, directory entries, fields and the
// catalogue; then LoadTable's decision order, projections, blends and the preamble adjustment,
// worked out by hand.
#include "tables/table_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "numbers/rounding.h"
#include "tables/detail/store_probe.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::tables {
namespace {

using detail::StoreProbe;
using mortality::QTable;
using testing::BlockFileBuilder;

using testing::ErrorOf;

// The 4-byte field of a rate in millionths, length byte included.
const auto RateField = [](int micro) { return "\x83" + testing::Packed(micro); };
// A field of n bytes with its length byte.
const auto Field = [](int n) { return static_cast<char>(128 + n) + std::string(n, 'x'); };

// A table's name and its value at an age in millionths.
using Table = std::pair<std::string, std::function<int(int)>>;

// A table of one value in millionths at every age.
const auto Flat = [](int micro) { return [=](int) { return micro; }; };
const auto Zero = Flat(0);

class BlockFile : public ::testing::Test {
 protected:
  TableStore Open(const BlockFileBuilder& file) {
    file.Save(path_);
    return TableStore(path_, nullptr);
  }
  // A file whose table "T" starts at block 1 and holds `blocks`, each written from byte 2.
  TableStore OpenTable(const std::vector<std::string>& blocks) {
    BlockFileBuilder file;
    file.Entry(0, 2, "T", 1);
    for (std::size_t b = 0; b < blocks.size(); ++b)
      file.PutText(static_cast<int>(b) + 1, 2, blocks[b]);
    TableStore store = Open(file);
    EXPECT_EQ(store.OpenFile("T"), 1);
    return store;
  }

  // Writes up to 16 tables and opens a store on them.
  TableStore Store(const std::vector<Table>& tables) {
    BlockFileBuilder file;
    for (std::size_t i = 0; i < tables.size(); ++i)
      file.Entry(0, static_cast<int>(i) + 1, tables[i].first,
                 file.AppendTable("", tables[i].second));
    return Open(file);
  }

  testing::ScratchFolder folder_;
  std::string path_ = (folder_ / "MortalityTables").string();
};

TEST_F(BlockFile, DirectoryLooksEightCharacterNamesUpInBlocksZeroToL) {
  BlockFileBuilder file;
  // Entry 1 shares its first bytes with L.
  const std::pair<const char*, int> entries[] = {{"First", 45}, {"None", 7},   {"2008417e", 9},
                                                 {"abc", 11},   {"Twice", 42}, {"Twice", 43},
                                                 {"AtZero", 0}};
  for (int k = 1; k <= 7; ++k) file.Entry(0, k, entries[k - 1].first, entries[k - 1].second);
  file.Entry(1, 1, "InBlock1", 40);
  file.PutText(11, 0, "x");
  TableStore store = Open(file);
  // OpenFile trims the name first; LocationFile keeps the leading blank.
  const std::pair<const char*, int> found[] = {{"First", 45},         {"None", 7},     {"NONE", 0},
                                               {"Twice", 42},         {"InBlock1", 0}, {" abc", 0},
                                               {"2008417e unisex", 9}};
  for (const auto& [name, start] : found) EXPECT_EQ(store.LocationFile(name), start) << name;
  EXPECT_EQ(store.OpenFile("AtZero"), 0);     // start block 0 means absent
  EXPECT_TRUE(store.GetTableList().empty());  // no catalogue "INDEX13"
  EXPECT_EQ(store.OpenFile("  abc   "), 11);
  const std::int64_t tries = StoreProbe::Tries(store);
  EXPECT_EQ(store.OpenFile("        "), 0);
  EXPECT_EQ(StoreProbe::Tries(store), tries);  // a blank name reads nothing
  // An absent name scans the directory and leaves the cursor on block 0.
  EXPECT_EQ(store.OpenFile("Missing"), 0);
  EXPECT_EQ(StoreProbe::NextBlock(store), 1);
  EXPECT_EQ(StoreProbe::BlockPosition(store), 3);
  file.PutText(0, 0, std::string{'\0', '\1'});  // blocks 0 to 1 hold the directory
  file.Save(path_);
  EXPECT_EQ(store.LocationFile("InBlock1"), 40);
}

// Block 1, the first after a one-block directory, holds a table or the catalogue like any other.
TEST_F(BlockFile, TheFirstBlockAfterTheDirectoryHoldsATableOrTheCatalogue) {
  for (const bool table_first : {true, false}) {
    BlockFileBuilder file;
    const auto table = [&] { file.Entry(0, 1, "First", file.AppendTable("the first", Flat(7))); };
    const auto catalogue = [&] { file.Entry(0, 2, "INDEX13", file.AppendCatalogue({"First"})); };
    table_first ? (table(), catalogue()) : (catalogue(), table());
    TableStore store = Open(file);
    EXPECT_EQ(store.ReadDirectory().at(table_first ? 0 : 1).start, 1);
    EXPECT_EQ(store.GetTableList(), std::vector<std::string>{"First    the first"});
    EXPECT_EQ(store.LoadTable({.TableName = "First", .DontProjTable = true}).at(1), 7e-6);
  }
}

TEST_F(BlockFile, ReadsTheBlockAtItsOffsetAndFailsPastTheEndOrOnTheSentinel) {
  BlockFileBuilder file;
  file.PutText(1, 0, "File Not Read   and more");
  file.PutText(2, 0, "third block");
  file.PutText(2, 250, "ending");
  file.Truncate(3 * 256 + 255);  // block 3 is one byte short
  TableStore store = Open(file);
  EXPECT_EQ(store.ReadDataAt(2), "third block" + std::string(239, '\0') + "ending");
  for (const std::int32_t location : {1, 3, 4, 70000, -1}) {
    const std::int64_t before = StoreProbe::Tries(store);
    EXPECT_EQ(ErrorOf([&] { store.ReadDataAt(location); }), "Data File not available");
    EXPECT_EQ(StoreProbe::Tries(store) - before, 1000) << location;
  }
  EXPECT_EQ(StoreProbe::BlocksRead(store), 1);
}

TEST_F(BlockFile, AMissingFileTakesASeriesOfTriesBeforeEachQuestion) {
  const auto asked_at = [&](ReadTries tries) {
    std::vector<std::int64_t> at;
    TableStore* seen = nullptr;
    const auto ask = [&] {
      at.push_back(StoreProbe::Tries(*seen));
      return at.size() < 3 ? RetryAnswer::kRetry : RetryAnswer::kCancel;
    };
    TableStore store(path_, ask, tries);
    seen = &store;
    EXPECT_THROW(store.ReadDataAt(0), DataFileUnavailable);
    return at;
  };
  EXPECT_EQ(asked_at({}), (std::vector<std::int64_t>{1000, 1999, 2998}));
  EXPECT_EQ(asked_at({3, 2}), (std::vector<std::int64_t>{3, 5, 7}));
  EXPECT_EQ(asked_at({0, -5}), (std::vector<std::int64_t>{1, 2, 3}));  // below one is one
}

TEST_F(BlockFile, FieldsMoveThePositionAndEveryMarkerContinuesAtByte2OfTheNextBlock) {
  std::string first = Field(0);
  for (int i = 0; i < 10; ++i) first += RateField(100 + i);
  // The last field of block 4 ends at byte 255 exactly.
  TableStore store = OpenTable({first + "\xFD", RateField(2) + "\xFE", RateField(3) + "\xFF",
                                Field(124) + Field(124) + RateField(4)});
  const auto rate = [&] { return TableStore::UnPack(store.ReadString(), 3, 6); };
  EXPECT_EQ(store.ReadString(), "");
  for (int i = 0; i < 10; ++i) EXPECT_EQ(rate(), (100 + i) / 1e6);
  EXPECT_EQ(rate(), 0.000002);
  EXPECT_EQ(rate(), 0.000003);
  EXPECT_EQ(store.ReadString().size() + store.ReadString().size(), 248u);
  EXPECT_EQ(rate(), 0.000004);
  EXPECT_EQ(StoreProbe::BlockPosition(store), 257);
}

TEST_F(BlockFile, MalformedFieldsNameTheFileTheTableAndTheBlock) {
  const struct {
    std::vector<std::string> blocks;
    int good_fields;
    std::string message;
  } cases[] = {
      {{RateField(1) + "\x05"}, 1, "block 1: length byte 5 at byte 6 is below 128"},
      {{Field(124) + Field(124) + RateField(4)},
       3,
       "block 1: the field ending at byte 255 is followed by more fields without a "
       "continuation marker"},
      {{RateField(1) + "\xFF", "\xFE"}, 1, "block 2: continuation marker at byte 2"},
      {{"\xFD"}, 0, "block 1: continuation marker at byte 2"},
      // 2 + 4 + 66 + 125 + 3 = byte 200, and 1 + 56 bytes from there run one past byte 255.
      {{RateField(1) + Field(65) + Field(124) + Field(2) + Field(56)},
       4,
       "block 1: the field of 56 bytes at byte 200 runs past byte 255"},
  };
  for (const auto& c : cases) {
    TableStore store = OpenTable(c.blocks);
    for (int i = 0; i < c.good_fields; ++i) store.ReadString();
    EXPECT_EQ(ErrorOf([&] { store.ReadString(); }),
              "Malformed table file \"T\" in " + path_ + ", " + c.message);
  }
  EXPECT_EQ(ErrorOf([&] { TableStore(path_, nullptr).ReadString(); }),
            "No table file of " + path_ + " is open for reading");
}

// The table store with LoadTable on tables of its own.
using Loader = BlockFile;

TableRequest Projected(const std::string& name, bool pre, bool male, int year = 2000) {
  TableRequest request{.TableName = name, .DontProjTable = false, .ProjToValuation = true};
  request.ValuationYear = year, request.Pre = pre, request.Male = male;
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

TEST_F(Loader, DirectLoadsReadTheStoredValuesAndNoneIsExactlyFourCharacters) {
  TableStore store = Store({{"None", Zero},
                            {"Stored", [](int age) { return 1000 * age + 1; }},
                            {"M-N-Base", Flat(999999)},
                            {"M-Proj", Flat(100000)}});
  TableRequest request{.TableName = "Stored   with a description"};
  // With "No Projection" the blend and preamble options change nothing.
  request.BlendSex = request.BlendAnn = request.FollowPreamble = true;
  ExpectEveryAge(store.LoadTable(request), [](int x) { return (1000 * x + 1) / 1e6; });
  request.TableName = "stored";  // absent: certain death at every age
  ExpectEveryAge(store.LoadTable(request), [](int) { return 1.0; });
  request = Projected("None", true, true);
  EXPECT_EQ(store.LoadTable(request), QTable());
  // n = 2000 - 2000 + 15 before retirement: 0.999999 x 0.9^15 = 0.205891...
  for (const char* name : {"None    ", "None     No mortality", "Whatever"})
    EXPECT_EQ(store.LoadTable(Projected(name, true, true)).at(30), 0.205891) << name;
  request.DontProjTable = true, request.TableName = "None     No mortality";
  EXPECT_EQ(store.LoadTable(request), QTable());
  request.TableName = "Any", request.DontProjTable = request.ProjToValuation = false;
  EXPECT_EQ(ErrorOf([&] { store.LoadTable(request); }),
            "Table \"Any\" of " + path_ +
                " cannot be loaded: neither \"No Projection\" "
                "nor a projection is selected");
}

TEST_F(Loader, ProjectionYearsFollowTheRulesAndAScaleOfOneGivesNoRateBackwards) {
  TableStore store = Store({{"M-N-Base", Flat(999999)},
                            {"M-A-Base", Flat(999999)},
                            {"F-N-Base", [](int age) { return 1000 * age + 7; }},
                            {"M-Proj", Flat(100000)},
                            {"F-Proj", Flat(100000)}});

  // To retirement, before it: born 1960, valued 2010.
  TableRequest request = Projected("Any", true, true, 2010);
  request.ProjToValuation = false, request.ProjToRetirement = true;
  request.YearOfBirth = 1960, request.RetirementYear = 2025;
  ExpectEveryAge(store.LoadTable(request), [](int x) { return AfterYears(x <= 50 ? 10 : x - 40); });
  // To retirement, after it: 2025 - 2000 + 7 = 32 years at every age.
  request.Pre = false;
  ExpectEveryAge(store.LoadTable(request), [](int) { return AfterYears(32); });
  // To each payment year: unprojected up to age 50, then x - 50 years.
  request.ProjToRetirement = false, request.ProjToPayment = true, request.Pre = true;
  ExpectEveryAge(store.LoadTable(request), [](int x) { return AfterYears(x <= 50 ? 0 : x - 50); });
  // To the valuation year 2000: 15 years before retirement, 7 after.
  ExpectEveryAge(store.LoadTable(Projected("Any", true, true)), [](int) { return AfterYears(15); });
  ExpectEveryAge(store.LoadTable(Projected("Any", false, true)), [](int) { return AfterYears(7); });
  // Valued 1985, before retirement: n = 0 and the base rates come back unchanged.
  ExpectEveryAge(store.LoadTable(Projected("Any", true, false, 1985)),
                 [](int x) { return (1000 * x + 7) / 1e6; });
  // Valued 1980: n = -5, the projection runs backwards.
  EXPECT_EQ(store.LoadTable(Projected("Any", true, true, 1980)).at(40), 1.693507);

  // No scale tables: each loads as 1 at every age, which gives zero forwards and no rate
  // backwards.
  TableStore unscaled = Store({{"M-N-Base", Flat(20000)}});
  EXPECT_EQ(unscaled.LoadTable(Projected("Any", true, true)).at(60), 0.0);
  EXPECT_EQ(unscaled.LoadTable(Projected("Any", true, true, 1985)).at(60), 0.02);  // 0^0 is 1
  EXPECT_EQ(ErrorOf([&] { unscaled.LoadTable(Projected("Any", true, true, 1980)); }),
            "Table \"M-N-Base\" of " + path_ +
                " cannot be projected at age 1: improvement 1.000000 over -5 "
                "years gives no finite rate");
}

TEST_F(Loader, SexAndAnnuitantBlendsRoundHalvesToEven) {
  TableStore store =
      Store({{"M-A-Base", [](int age) { return age == 1 ? 10001 : (age == 2 ? 500000 : 30000); }},
             {"F-A-Base", [](int age) { return age == 1 ? 10002 : (age == 2 ? 1 : 10000); }},
             {"M-N-Base", Flat(10000)},
             {"F-N-Base", Flat(40000)},
             {"M-Proj", Zero},
             {"F-Proj", Zero},
             {"M Weight", [](int age) { return age < 50 ? 0 : (age <= 70 ? 250000 : 999999); }},
             {"F Weight", [](int age) { return age < 50 ? 0 : 500000; }}});
  // The caller's sex does not matter to the sex blend, nor the caller's Pre to the annuitant one.
  const struct {
    bool sex, annuitant, pre, male;
    int age;
    double q;
  } cases[] = {
      {true, false, false, true, 1, 0.010002}, {true, false, false, false, 2, 0.25},
      {true, false, false, true, 3, 0.02},     {false, true, true, true, 49, 0.01},
      {false, true, false, true, 50, 0.015},  // 0.75 x 0.01 + 0.25 x 0.03
      {false, true, true, true, 71, 0.03},    // 0.000001 x 0.01 + 0.999999 x 0.03 = 0.02999998
      {true, true, true, true, 10, 0.025},    // both: (0.01 + 0.04) / 2
      {true, true, false, false, 60, 0.02}};  // (0.015 + 0.025) / 2
  for (const auto& c : cases) {
    TableRequest request = Projected("Any", c.pre, c.male);
    request.BlendSex = c.sex, request.BlendAnn = c.annuitant;
    EXPECT_EQ(store.LoadTable(request).at(c.age), c.q) << c.age;
  }
}

TEST_F(Loader, ThePreambleAdjustmentGradesOverItsBands) {
  const auto n = [](int age) { return 1000 + age; };
  const auto a = [](int age) { return 50000 + 100 * age; };
  const std::vector<Table> tables = {{"M-N-Base", n}, {"M-A-Base", a},  {"F-N-Base", n},
                                     {"F-A-Base", a}, {"M-Proj", Zero}, {"F-Proj", Zero}};
  TableStore store = Store(tables);
  TableRequest request = Projected("Any", true, true);
  request.FollowPreamble = true;
  const auto expect = [&](const std::vector<std::pair<int, double>>& rates) {
    const QTable q = store.LoadTable(request);
    for (const auto& [age, rate] : rates) EXPECT_NEAR(q.at(age), rate, 1e-12) << age;
  };
  expect({{1, 0.001001}, {70, 0.00107}, {80, 0.058}, {81, 0.0581}});
  expect({{75, 0.00107 + 15.0 / 55.0 * (0.058 - 0.00107)}});
  request.Pre = false;
  expect({{40, 0.00104}, {41, 0.00104 + (0.055 - 0.00104) / 55.0}, {50, 0.055}, {51, 0.0551}});
  request.Male = false;
  expect({{44, 0.001044}, {49, 0.001044 + 15.0 / 21.0 * (0.055 - 0.001044)}, {50, 0.055}});
}

TEST_F(Loader, PackedDecimalsKeepUncheckedDigitsButRefuseAWrongWidth) {
  // Half-bytes above 9 are not validated: 0xAB counts 10 x 10 + 11.
  EXPECT_EQ(TableStore::UnPack("\x01\xAB", 2, 0), 1 * 100 + 111.0);
  EXPECT_EQ(ErrorOf([] { TableStore::UnPack("\x01\x23", 3, 6); }),
            "Packed decimal of 2 bytes cannot be decoded as 3 bytes");
  BlockFileBuilder file;
  file.Entry(0, 1, "Narrow", file.AppendFields({"header", "", testing::Packed(1), "\x01\x02"}));
  TableStore store = Open(file);
  EXPECT_EQ(ErrorOf([&] { store.LoadTable({.TableName = "Narrow"}); }),
            "Malformed table file \"Narrow\" in " + path_ +
                ", block 1: the value for age 2 has 2 bytes, 3 expected");
}

}  // namespace
}  // namespace orvane::tables
