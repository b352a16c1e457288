// The IRS construction against what the IRS published: the 2024 tables, the 2026 rates quoted in
// public, the IRS's own files of its modified scale and projection periods; and the rounding at
// a tie, worked by hand.
#include "sources/irs_construction.h"

#include <gtest/gtest.h>

#include <string>

#include "sources/source_error.h"
#include "tests/sources/tool_run.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::sources {
namespace {

using testing::Columns;
using testing::Micro;
using testing::Source;

const std::string kPublished = "data/tables/published/";

TEST(IrsCommand, Builds2024AsPublishedAnd2026AsQuoted) {
  tables::testing::ScratchFolder scratch;
  const std::filesystem::path built = scratch / "irs2024.csv";
  const auto run =
      testing::RunTool("irs --year 2024 --out '" + built.string() + "'", scratch / "", Source("."));
  ASSERT_EQ(run.exit_code, 0) << run.err;
  auto mine = Columns(built);
  auto published = Columns(Source(kPublished + "irs/430_published_2024.csv"));
  published["2024417e"] = Columns(Source(kPublished + "irs/417e_published.csv"))["2024"];
  const std::map<std::string, std::string> ours = {
      {"Male EE", "2024NAM"},   {"Female EE", "2024NAF"}, {"Male HA", "2024ANM"},
      {"Female HA", "2024ANF"}, {"Male", "2024SPM"},      {"Female", "2024SPF"},
      {"2024417e", "2024417e"}};
  for (const auto& [column, name] : ours) {
    ASSERT_EQ(published[column].size(), 106u) << column;
    ASSERT_EQ(mine[name].size(), 120u) << name;
    for (const auto& [age, rate] : published[column])
      EXPECT_EQ(Micro(mine[name][age]), Micro(rate)) << name << " at age " << age;
  }

  const auto y2026 = testing::RunTool("irs --year 2026", scratch / "", Source("."));
  ASSERT_EQ(y2026.exit_code, 0) << y2026.err;
  EXPECT_EQ(y2026.out.substr(0, y2026.out.find('\n')),
            "age,2026NAM,2026NAF,2026ANM,2026ANF,2026SPM,2026SPF,2026417e");
  EXPECT_NE(y2026.out.find("\n65,0.004820,0.002710,0.009140,0.007430,0.008470,0.006100,0.007290\n"),
            std::string::npos);
}

TEST(IrsCommand, RefusesEarlyYearsAndMissingOrBadInputs) {
  tables::testing::ScratchFolder scratch;
  const auto run = [&](const std::string& arguments, const std::filesystem::path& folder) {
    return testing::RunTool(arguments, scratch / "", folder);
  };
  const auto early = run("irs --year 2023", Source("."));
  EXPECT_EQ(early.exit_code, 2);
  EXPECT_EQ(early.err.substr(0, early.err.find('\n')),
            "orvane-tables: the IRS construction builds the tables of 2024 on, not of 2023");
  EXPECT_EQ(run("irs --year 2024.5", Source(".")).exit_code, 2);
  EXPECT_EQ(run("irs", Source(".")).exit_code, 2);
  const auto nowhere = run("irs --year 2025", scratch / "");
  EXPECT_EQ(nowhere.exit_code, 1);
  EXPECT_NE(nowhere.err.find("no data/tables/published/irs/construction"), std::string::npos);

  // A copy of the inputs with one base rate spoilt.
  const std::filesystem::path copy = scratch / kPublished;
  std::filesystem::create_directories(copy);
  for (const char* folder : {"irs", "xtbml"})
    std::filesystem::copy(Source(kPublished + folder), copy / folder,
                          std::filesystem::copy_options::recursive);
  const std::filesystem::path base = copy / "irs/construction/irs_base_pri2012.csv";
  std::string text = testing::Slurp(base);
  text.replace(text.find("\n65,0.00573,"), 12, "\n65,0.0057x,");
  std::ofstream(base, std::ios::binary | std::ios::trunc) << text;
  EXPECT_NE(
      run("irs --year 2025", scratch / "")
          .err.find(
              "irs_base_pri2012.csv, line 53 (\"Male EE\", age 65): \"0.0057x\" is not a number"),
      std::string::npos);
}

TEST(IrsConstruction, ModifiesTheScaleAndProjectsAsTheIrsFilesSay) {
  const IrsInputs inputs = ReadIrsInputs(Source(kPublished));
  int cells = 0;
  for (const auto& [file, sex] : {std::pair{"male", Sex::kMale}, {"female", Sex::kFemale}}) {
    const auto scale =
        Columns(Source(kPublished + "irs/construction/mp2021_adjusted_" + file + ".csv"));
    for (const auto& [year, by_age] : scale) {
      for (const auto& [age, rate] : by_age) {
        ++cells;
        EXPECT_EQ(ModifiedImprovement(inputs, sex, age, std::stoi(year)), std::lround(rate * 1e6))
            << file << ", age " << age << ", " << year;
      }
    }
  }
  EXPECT_EQ(cells, 2 * 101 * 87);
  int periods = 0;
  for (const auto& [column, by_age] :
       Columns(Source(kPublished + "irs/construction/irs_projection_years.csv"))) {
    const Sex sex = column.rfind("Male", 0) == 0 ? Sex::kMale : Sex::kFemale;
    for (const auto& [age, years] : by_age) {
      ++periods;
      EXPECT_NEAR(ProjectionThirds(sex, age) / 3.0, years, 1e-8) << column << ", age " << age;
    }
  }
  EXPECT_EQ(periods, 4 * 106);
}

TEST(IrsConstruction, RoundsHalfUpOnTheExactValue) {
  // Base 0.00005 (male) and 0.00002 (female) at ages 20-23; the only improvement is the male
  // rate of 2013 at those ages, so q(x) = 0.00005 x (1 - MI), whatever the year.
  IrsInputs inputs;
  for (ImprovementScale& scale : inputs.scale) {
    scale.first_year = 2013;
    scale.last_year = 2014;
    scale.rates.assign(101, std::vector<std::int32_t>(2, 0));
  }
  struct Case {
    int age;
    std::int32_t improvement;  // millionths
    const char* q;             // the exact generational rate
    std::int32_t rate;         // the table's rate, the same in the unisex table
  };
  const Case cases[] = {
      {20, 500000, "0.000025 exactly: half up, not to the even 0.00002", 30},
      {21, 500020, "0.000024999: 0.000025 to six decimals first", 30},
      {22, 510000, "0.0000245 exactly: 0.000025, then 0.00003", 30},
      {23, 510020, "0.000024499: 0.000024, then 0.00002", 20},
  };
  for (const Case& c : cases) {
    inputs.base[0][0][c.age] = 50;
    inputs.base[1][0][c.age] = 20;
    inputs.scale[0].rates[c.age - 20][0] = c.improvement;
  }
  const std::vector<NamedTable> tables = IrsTables(inputs, 2025);
  for (const Case& c : cases) {
    EXPECT_EQ(tables[0].micro[c.age], c.rate) << c.q;
    EXPECT_EQ(tables[4].micro[c.age], c.rate) << "combined, weight 0: " << c.q;
    EXPECT_EQ(tables[6].micro[c.age], c.rate) << "417(e): " << c.q;
  }
  EXPECT_EQ(tables[6].micro[120], kLargestMicro);
  EXPECT_THROW(IrsTables(inputs, 2023), SourceError);
}

}  // namespace
}  // namespace orvane::sources
