// The IRS construction's rounding at a tie, worked by hand. Its tables against what the IRS
// published are checked by shipped_tables_test.py.
#include "sources/irs_construction.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "sources/table_sources.h"
#include "tests/sources/tool_run.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::sources {
namespace {

TEST(IrsConstruction, RoundsHalfUpOnTheExactValue) {
  // Base 0.00005 (male) and 0.00002 (female) at ages 20-23; the only improvement is the male
  // rate of 2013 at those ages, so q(x) = 0.00005 x (1 - MI), whatever the year.
  IrsInputs inputs;
  std::vector<std::int32_t> male(2 * 101, 0);  // 2013 and 2014, ages 20-120 each
  const struct {
    int age;
    std::int32_t improvement;  // millionths
    const char* q;             // the exact generational rate
    std::int32_t rate;         // the table's rate, the same in the unisex table
  } cases[] = {
      {20, 500000, "0.000025 exactly: half up, not to the even 0.00002", 30},
      {21, 500020, "0.000024999: 0.000025 to six decimals first", 30},
      {22, 510000, "0.0000245 exactly: 0.000025, then 0.00003", 30},
      {23, 510020, "0.000024499: 0.000024, then 0.00002", 20},
  };
  for (const auto& c : cases) {
    inputs.base[0][0][c.age] = 50, inputs.base[1][0][c.age] = 20;
    male[static_cast<std::size_t>(c.age - 20)] = c.improvement;
  }
  inputs.scale[0] = mortality::ImprovementScale("M", {20, 120, 2013, 2014}, male);
  inputs.scale[1] =
      mortality::ImprovementScale("F", {20, 120, 2013, 2014}, std::vector<std::int32_t>(202, 0));
  const std::vector<NamedTable> tables = IrsTables(inputs, 2025);
  for (const auto& c : cases) {
    EXPECT_EQ(tables[0].micro[c.age], c.rate) << c.q;
    EXPECT_EQ(tables[4].micro[c.age], c.rate) << "combined, weight 0: " << c.q;
    EXPECT_EQ(tables[6].micro[c.age], c.rate) << "417(e): " << c.q;
  }
}

// 2024 to 2199 and no year outside, whichever way a year reaches the construction: by itself, a
// construction list or a published list's constructed column.
TEST(IrsConstruction, BuildsTheYears2024To2199ThroughEveryEntry) {
  tables::testing::ScratchFolder folder;
  const std::string published = testing::Source("data/tables/published").string(),
                    y[] = {"2024", "2199", "2023", "2200"};
  const IrsInputs inputs = ReadIrsInputs(published);
  const auto listed = [&](const std::string& text) {
    std::ofstream(folder / "l.csv", std::ios::binary) << text;
    return tables::testing::ErrorOf([&] { ReadSources({folder / "l.csv"}); });
  };
  for (int k = 0; k < 4; ++k) {
    const std::string at = k < 2 ? "no error" : (folder / "l.csv").string() + ", line 2: \"" + y[k];
    EXPECT_EQ(
        tables::testing::ErrorOf([&] { IrsTables(inputs, std::stoi(y[k])); }),
        k < 2 ? at : "the IRS construction builds the tables of 2024 to 2199, not of " + y[k]);
    EXPECT_EQ(listed("year,inputs\n" + y[k] + "," + published + "\n"),
              k < 2 ? at : at + "\" is not a year from 2024 to 2199");
    EXPECT_EQ(listed("name,ages,source,table,at\nP,1-120," + published + "," + y[k] + "SPF,\n"),
              k < 2 ? at : at + "SPF\" is not a table the IRS construction builds");
  }
}

}  // namespace
}  // namespace orvane::sources
