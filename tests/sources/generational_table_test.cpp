// Small generational data files: the faults of a scale and the scale the store keeps. The
// shipped file's cohorts are worked out from the SOA's own files in shipped_tables_test.py.
#include "tables/generational_table.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "sources/data_file_writer.h"
#include "tables/detail/store_probe.h"
#include "tables/table_store.h"
#include "tests/sources/tool_run.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::tables {
namespace {

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
