// Generational tables of the shipped data file against the SOA's own XTbML files: each cohort
// rate is worked out here from the Pri-2012 base and Scale MP-2021 as read with pugixml, not by
// the table tool's importer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <utility>

#include "numbers/rounding.h"
#include "sources/data_file_writer.h"
#include "tables/detail/store_probe.h"
#include "tables/table_store.h"

namespace orvane::tables {
namespace {

std::filesystem::path SourceDir() {
  const char* dir = std::getenv("ORVANE_SOURCE_DIR");
  return dir == nullptr ? std::filesystem::path() : dir;
}

std::filesystem::path Xtbml(const std::string& id) {
  return SourceDir() / "data/tables/published/xtbml" / ("t" + id + ".xml");
}

// Rates keyed by (outer, inner) axis value; inner is 0 in a one-axis table.
std::map<std::pair<int, int>, double> ReadRates(const std::filesystem::path& file) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_file(file.c_str())) << file;
  std::map<std::pair<int, int>, double> rates;
  const pugi::xml_node values = doc.child("XTbML").child("Table").child("Values");
  for (const pugi::xml_node outer : values.children("Axis")) {
    for (const pugi::xml_node y : outer.children("Y"))
      rates[{y.attribute("t").as_int(), 0}] = std::stod(y.text().get());
    for (const pugi::xml_node inner : outer.children("Axis")) {
      for (const pugi::xml_node y : inner.children("Y"))
        rates[{outer.attribute("t").as_int(), y.attribute("t").as_int()}] =
            std::stod(y.text().get());
    }
  }
  return rates;
}

// Pri-2012 Retiree male: juvenile to 17, employee 18-49, retiree 50 on.
double RetireeMaleBase(int age) {
  static const auto juvenile = ReadRates(Xtbml("3600"));
  static const auto employee = ReadRates(Xtbml("3532"));
  static const auto retiree = ReadRates(Xtbml("3534"));
  const auto& source = age <= 17 ? juvenile : age <= 49 ? employee : retiree;
  return source.at({age, 0});
}

double ExpectedCohortRate(int born, int age) {
  static const auto scale = ReadRates(Xtbml("3612"));
  const auto s = [&](int t) {
    return scale.at({std::clamp(age, 20, 120), std::clamp(t, 1951, 2037)});
  };
  const int year = born + age;
  double product = 1.0;
  for (int t = 2013; t <= year; ++t) product *= 1.0 - s(t);
  for (int t = year + 1; t <= 2012; ++t) product *= 1.0 - s(t);
  const double f = year < 2012 ? 1.0 / product : product;
  return std::min(1.0, numbers::RoundHalfEven(RetireeMaleBase(age) * f, 6));
}

TableStore ShippedStore() {
  return TableStore(SourceDir() / "data/MortalityTables", {});
}

TEST(GenerationalTable, CohortRatesFollowTheLifesOwnYears) {
  TableStore store = ShippedStore();
  struct Case {
    int born;
    int age;
    const char* why;
  };
  const Case cases[] = {
      {1961, 65, "2026: improved over 2013-2026"},
      {1961, 90, "2051: past the scale's last year, which holds as the ultimate rate"},
      {1945, 65, "2010: projected backwards from 2012"},
      {1945, 10, "1955: backwards, and under 20 the scale is read at age 20"},
      {1961, 51, "2012 itself: the base rate"},
      {2030, 65, "2095: every year past 2037 at the ultimate rate"},
  };
  for (const Case& c : cases) {
    TableRequest request;
    request.TableName = "PriRM-G";
    request.LifeYearOfBirth = c.born;
    const valuation::QTable q = store.LoadTable(request);
    EXPECT_EQ(q.at(c.age), ExpectedCohortRate(c.born, c.age))
        << c.born << " at " << c.age << ": " << c.why;
  }
  // The figure the README quotes for this cohort, pinned against a silent change of the file.
  TableRequest request;
  request.TableName = "PriRM-G";
  request.LifeYearOfBirth = 1961;
  EXPECT_EQ(store.LoadTable(request).at(65), 0.010762);
}

// A reader that knows only the plain field rules (field 1 skipped, field 2 the description,
// fields 3-122 the rates) reads a generational table's 2012 base.
TEST(GenerationalTable, PlainFieldRulesReadTheBase) {
  TableStore store = ShippedStore();
  ASSERT_GT(store.OpenFile("PriRM-G"), 0);
  store.ReadString();
  store.ReadString();
  for (int age = 1; age <= 120; ++age) {
    const double rate = TableStore::UnPack(store.ReadString(), 3, 6);
    // The file cannot hold a rate of 1: age 120 is stored as 0.999999.
    EXPECT_EQ(rate, std::min(RetireeMaleBase(age), 0.999999)) << "age " << age;
  }
}

// Small data files with one generational table "GEN" on a scale "SCALE" of ages 20-21 and the
// given years, each year's rate `rate` at both ages.
class SmallGenerationalFile : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove(file_); }

  void Write(const std::string& scale_name, const std::vector<int>& years, int micro) {
    sources::NamedTable table{"GEN     ", "generational", {}, "", "GENERATIONAL:SCALE   ", {}};
    table.micro.fill(500000);
    sources::NamedTable scale{"SCALE   ", "scale", {}, "", "SCALE:20-21,2010-2012", {}};
    for (int year : years) {
      scale.extra_fields.push_back(std::to_string(year));
      const auto packed = [](int v) {
        std::string bytes(3, '\0');
        for (int i = 2; i >= 0; --i, v /= 100)
          bytes[i] = static_cast<char>(((v % 100) / 10) * 16 + v % 10);
        return bytes;
      };
      scale.extra_fields.push_back(packed(micro + 500000));
      scale.extra_fields.push_back(packed(micro + 500000));
    }
    sources::DataFileContent content;
    content.tables = {table};
    if (scale_name == "SCALE")
      content.tables.push_back(scale);
    sources::WriteDataFile(file_, content);
  }

  // The cohort's rate at 30, or the error of the load.
  static std::string RateAt30(TableStore& store, int born) {
    TableRequest request;
    request.TableName = "GEN";
    request.LifeYearOfBirth = born;
    try {
      const valuation::QTable q = store.LoadTable(request);
      return "rate " + std::to_string(q.at(30));
    } catch (const TableError& e) {
      return e.what();
    }
  }

  std::string ErrorOf(const std::string& scale_name, const std::vector<int>& years, int micro,
                      int born) {
    Write(scale_name, years, micro);
    TableStore store(file_, {});
    return RateAt30(store, born);
  }

  std::filesystem::path file_ = std::filesystem::temp_directory_path() /
                                ("orvane_generational_" + std::to_string(::getpid()));
};

TEST_F(SmallGenerationalFile, EachFailureNamesTheTable) {
  // A sound file first: 0.5 improved by 10% from 2012 to the age-30 year 2020 of a life born
  // 1990, with 2012 holding on as the ultimate rate: 0.5 x 0.9^8 = 0.215233605.
  EXPECT_EQ(ErrorOf("SCALE", {2010, 2011, 2012}, 100000, 1990), "rate 0.215234");
  const std::string missing = ErrorOf("none", {}, 0, 1990);
  EXPECT_NE(missing.find("\"GEN\""), std::string::npos) << missing;
  EXPECT_NE(missing.find("\"SCALE\", which the data file lacks"), std::string::npos) << missing;
  const std::string gap = ErrorOf("SCALE", {2010, 2012, 2013}, 0, 1990);
  EXPECT_NE(gap.find("\"SCALE\""), std::string::npos) << gap;
  EXPECT_NE(gap.find("year \"2012\" where 2011 is due"), std::string::npos) << gap;
  // A rate of improvement of 0.499999 is the largest the file holds; projecting back from 2012
  // to 971 (age 1 of a life born 970) doubles the rate 1,041 times and leaves no finite rate.
  const std::string overflow = ErrorOf("SCALE", {2010, 2011, 2012}, 499999, 970);
  EXPECT_NE(overflow.find("Generational table \"GEN\""), std::string::npos) << overflow;
  EXPECT_NE(overflow.find("not a positive finite number"), std::string::npos) << overflow;
}

// The store keeps a parsed scale between loads, yet a data file replaced between two loads
// through one store gives the new scale's rates at once. A file changed under two seconds ago is
// read afresh at every load, so the files here are dated back to let the store keep the scale.
TEST_F(SmallGenerationalFile, AReplacedFileGivesTheNewScaleAtTheNextLoad) {
  using std::chrono::hours;
  const auto now = std::filesystem::file_time_type::clock::now();
  Write("SCALE", {2010, 2011, 2012}, 100000);
  std::filesystem::last_write_time(file_, now - hours(1));
  TableStore store(file_, {});
  const auto blocks_of_load = [&](const std::string& expected) {
    const std::int64_t before = detail::StoreProbe::BlocksRead(store);
    EXPECT_EQ(RateAt30(store, 1990), expected);
    return detail::StoreProbe::BlocksRead(store) - before;
  };
  const std::int64_t reading_the_scale = blocks_of_load("rate 0.215234");  // 0.5 x 0.9^8
  EXPECT_LT(blocks_of_load("rate 0.215234"), reading_the_scale) << "the scale was not kept";
  // 0.5 x 0.8^8 = 0.08388608: the improvement of the new file.
  Write("SCALE", {2010, 2011, 2012}, 200000);
  std::filesystem::last_write_time(file_, now - hours(2));
  EXPECT_EQ(blocks_of_load("rate 0.083886"), reading_the_scale);
  // A file just written is not kept: it could still change within one tick of its clock.
  Write("SCALE", {2010, 2011, 2012}, 100000);
  EXPECT_EQ(blocks_of_load("rate 0.215234"), reading_the_scale);
  EXPECT_EQ(blocks_of_load("rate 0.215234"), reading_the_scale);
}

}  // namespace
}  // namespace orvane::tables
