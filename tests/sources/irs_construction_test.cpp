// The IRS construction against what the IRS published: the 2024 tables and the 2026 rates quoted
// in public; and the rounding at a tie, worked by hand.
#include "sources/irs_construction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "sources/source_error.h"
#include "tests/sources/tool_run.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::sources {
namespace {

using testing::Source;

// The cells of a CSV table in millionths by column header and age, from its row beginning with
// "Age" or "age" on; read with plain code of its own.
std::map<std::string, std::map<int, long>> Columns(const std::filesystem::path& file) {
  std::istringstream in(testing::Slurp(file));
  std::map<std::string, std::map<int, long>> columns;
  std::vector<std::string> header;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::stringstream split(line);
    for (std::string cell; std::getline(split, cell, ',');) cells.push_back(cell);
    for (std::size_t c = 1; !header.empty() && c < cells.size(); ++c) {
      if (cells[c].find_first_of("0123456789") != std::string::npos)
        columns[header.at(c)][std::stoi(cells[0])] = std::lround(std::stod(cells[c]) * 1e6);
    }
    if (header.empty() && (line.rfind("Age,", 0) == 0 || line.rfind("age,", 0) == 0))
      header = cells;
  }
  return columns;
}

TEST(IrsCommand, Builds2024AsPublishedAnd2026AsQuoted) {
  tables::testing::ScratchFolder scratch;
  const auto run = testing::RunTool(
      "irs --year 2024 --out '" + (scratch / "2024.csv").string() + "'", scratch / "", Source("."));
  ASSERT_EQ(run.exit_code, 0) << run.err;
  auto mine = Columns(scratch / "2024.csv");
  auto published = Columns(Source("data/tables/published/irs/430_published_2024.csv"));
  published["417e"] = Columns(Source("data/tables/published/irs/417e_published.csv"))["2024"];
  const std::pair<std::string, std::string> columns[] = {
      {"Male EE", "NAM"}, {"Female EE", "NAF"}, {"Male HA", "ANM"}, {"Female HA", "ANF"},
      {"Male", "SPM"},    {"Female", "SPF"},    {"417e", "417e"}};
  for (const auto& [column, name] : columns) {
    ASSERT_EQ(published[column].size(), 106u) << column;
    for (const auto& [age, rate] : published[column])
      EXPECT_EQ(mine["2024" + name][age], std::min(rate, 999999L)) << name << " at age " << age;
  }
  const auto y2026 = testing::RunTool("irs --year 2026", scratch / "", Source("."));
  EXPECT_EQ(y2026.out.substr(0, y2026.out.find('\n')),
            "age,2026NAM,2026NAF,2026ANM,2026ANF,2026SPM,2026SPF,2026417e");
  EXPECT_NE(y2026.out.find("\n65,0.004820,0.002710,0.009140,0.007430,0.008470,0.006100,0.007290\n"),
            std::string::npos);
}

TEST(IrsConstruction, RoundsHalfUpOnTheExactValue) {
  // Base 0.00005 (male) and 0.00002 (female) at ages 20-23; the only improvement is the male
  // rate of 2013 at those ages, so q(x) = 0.00005 x (1 - MI), whatever the year.
  IrsInputs inputs;
  for (ImprovementScale& scale : inputs.scale) {
    scale.first_year = 2013, scale.last_year = 2014;
    scale.rates.assign(101, std::vector<std::int32_t>(2, 0));
  }
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
    inputs.scale[0].rates[c.age - 20][0] = c.improvement;
  }
  const std::vector<NamedTable> tables = IrsTables(inputs, 2025);
  for (const auto& c : cases) {
    EXPECT_EQ(tables[0].micro[c.age], c.rate) << c.q;
    EXPECT_EQ(tables[4].micro[c.age], c.rate) << "combined, weight 0: " << c.q;
    EXPECT_EQ(tables[6].micro[c.age], c.rate) << "417(e): " << c.q;
  }
  EXPECT_EQ(tables[6].micro[120], kLargestMicro);
  EXPECT_THROW(IrsTables(inputs, 2023), SourceError);
}

}  // namespace
}  // namespace orvane::sources
