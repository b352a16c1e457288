// Generational tables of the shipped data file against the SOA's own XTbML files: each cohort
// rate is worked out here from the Pri-2012 base and Scale MP-2021 as read with pugixml, not by
// the table tool's importer. Then small data files for the faults and the kept scale.
#include "tables/generational_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <utility>

#include "numbers/rounding.h"
#include "sources/data_file_writer.h"
#include "tables/detail/store_probe.h"
#include "tables/table_store.h"
#include "tests/sources/tool_run.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::tables {
namespace {

// Rates keyed by (outer, inner) axis value; inner is 0 in a one-axis table.
std::map<std::pair<int, int>, double> ReadRates(const std::string& id) {
  pugi::xml_document doc;
  const auto file = sources::testing::Source("data/tables/published/xtbml/t" + id + ".xml");
  EXPECT_TRUE(doc.load_file(file.c_str())) << file;
  std::map<std::pair<int, int>, double> rates;
  for (const pugi::xml_node outer :
       doc.child("XTbML").child("Table").child("Values").children("Axis")) {
    for (const pugi::xpath_node y : outer.select_nodes(".//Y")) {
      const int t = y.node().attribute("t").as_int();
      rates[y.parent() == outer ? std::pair{t, 0} : std::pair{outer.attribute("t").as_int(), t}] =
          std::stod(y.node().text().get());
    }
  }
  return rates;
}

// Pri-2012 Retiree male (juvenile to 17, employee 18-49, retiree 50 on) on Scale MP-2021 male.
double ExpectedCohortRate(int born, int age) {
  static const auto juvenile = ReadRates("3600"), employee = ReadRates("3532"),
                    retiree = ReadRates("3534"), scale = ReadRates("3612");
  const double base = (age <= 17 ? juvenile : age <= 49 ? employee : retiree).at({age, 0});
  const auto s = [&](int t) {
    return scale.at({std::clamp(age, 20, 120), std::clamp(t, 1951, 2037)});
  };
  const int year = born + age;
  double product = 1.0;
  for (int t = 2013; t <= year; ++t) product *= 1.0 - s(t);
  for (int t = year + 1; t <= 2012; ++t) product *= 1.0 - s(t);
  const double f = year < 2012 ? 1.0 / product : product;
  return std::min(1.0, numbers::RoundHalfEven(base * f, 6));
}

TEST(GenerationalTable, CohortRatesFollowTheLifesOwnYears) {
  TableStore store(sources::testing::Source("data/MortalityTables"), {});
  const std::tuple<int, int, const char*> cases[] = {
      {1961, 65, "2026: improved over 2013-2026"},
      {1961, 90, "2051: past the scale's last year, which holds as the ultimate rate"},
      {1945, 65, "2010: projected backwards from 2012"},
      {1945, 10, "1955: backwards, and under 20 the scale is read at age 20"},
      {1961, 51, "2012 itself: the base rate"},
      {2030, 65, "2095: every year past 2037 at the ultimate rate"},
  };
  TableRequest request{.TableName = "PriRM-G"};
  for (const auto& [born, age, why] : cases) {
    request.LifeYearOfBirth = born;
    EXPECT_EQ(store.LoadTable(request).at(age), ExpectedCohortRate(born, age))
        << born << " at " << age << ": " << why;
  }
}

// A data file of one generational table "GEN" of rate 0.5 on a scale "SCALE" of ages 20-21, each
// year's improvement `micro` at both ages. The store keeps a parsed scale between loads, yet a
// file replaced between two loads through one store gives the new scale's rates at once. A file
// changed under two seconds ago is read afresh at every load, so the files are dated back to let
// the store keep the scale.
TEST(SmallGenerationalFile, RatesFailuresAndAReplacedFile) {
  testing::ScratchFolder folder;
  const auto file = folder / "MortalityTables";
  const auto write = [&](int micro, int hours_ago, std::vector<int> years = {2010, 2011, 2012}) {
    sources::NamedTable table{"GEN     ", "generational", {}, "", "GENERATIONAL:SCALE   ", {}};
    table.micro.fill(500000);
    sources::NamedTable scale{"SCALE   ", "scale", {}, "", "SCALE:20-21,2010-2012", {}};
    for (const int year : years) {
      const std::string rate = testing::Packed(micro + 500000);
      scale.extra_fields.insert(scale.extra_fields.end(), {std::to_string(year), rate, rate});
    }
    sources::WriteDataFile(file, sources::DataFileContent{{table, scale}, {}});
    std::filesystem::last_write_time(
        file, std::filesystem::file_time_type::clock::now() - std::chrono::hours(hours_ago));
  };
  // The rate at 30 of a life born in `born`, or the error of the load with the file as FILE.
  const auto rate_at_30 = [&](TableStore& store, int born) {
    const TableRequest request{.TableName = "GEN", .LifeYearOfBirth = born};
    std::string rate;
    std::string error =
        testing::ErrorOf([&] { rate = "rate " + std::to_string(store.LoadTable(request).at(30)); });
    const std::size_t at = error.find(file.string());
    return !rate.empty()             ? rate
           : at == std::string::npos ? error
                                     : error.replace(at, file.string().size(), "FILE");
  };
  write(0, 2, {2010, 2012, 2013});
  TableStore gap(file, {});
  EXPECT_EQ(rate_at_30(gap, 1990),
            "Malformed table file \"SCALE\" in FILE, block 6: improvement scale year \"2012\" "
            "where 2011 is due: the years must follow each other without a gap");
  // An improvement of 1, which no file holds, leaves no rate backwards (1/0) nor forwards (0).
  const mortality::ImprovementScale whole("S", {20, 20, 2013, 2013}, {1000000});
  for (const int born : {1990, 2013}) {
    EXPECT_EQ(
        testing::ErrorOf([&] { CohortRates({}, whole, born, "T"); }),
        "Generational table \"T\" with scale \"S\" gives no rate at age 1 for the year of birth " +
            std::to_string(born) + ": the improvement factor is not a positive finite number");
  }
  write(100000, 2);
  TableStore store(file, {});
  const auto blocks_of_load = [&](const std::string& expected) {
    const std::int64_t before = detail::StoreProbe::BlocksRead(store);
    EXPECT_EQ(rate_at_30(store, 1990), expected);
    return detail::StoreProbe::BlocksRead(store) - before;
  };
  // 0.5 improved by 10% from 2012 to the age-30 year 2020 of a life born 1990, with 2012
  // holding on as the ultimate rate: 0.5 x 0.9^8 = 0.215233605.
  const std::int64_t reading_the_scale = blocks_of_load("rate 0.215234");
  EXPECT_LT(blocks_of_load("rate 0.215234"), reading_the_scale) << "the scale was not kept";
  write(200000, 1);  // 0.5 x 0.8^8 = 0.08388608
  EXPECT_EQ(blocks_of_load("rate 0.083886"), reading_the_scale);
  // A file just written is not kept: it could still change within one tick of its clock.
  write(100000, 0);
  EXPECT_EQ(blocks_of_load("rate 0.215234"), reading_the_scale);
  EXPECT_EQ(blocks_of_load("rate 0.215234"), reading_the_scale);
}

}  // namespace
}  // namespace orvane::tables
