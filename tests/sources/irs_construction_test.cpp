// The IRS construction against what the IRS published: the 2024 tables, the three 2026 rates
// quoted in public, the IRS's own files of its modified scale and projection periods; and the
// rounding at a tie, worked by hand.

#include "sources/irs_construction.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "sources/csv_file.h"
#include "sources/decimal_rate.h"
#include "sources/source_error.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::sources {
namespace {

using tables::testing::ScratchFolder;

std::filesystem::path Source(const std::string& relative) {
  const char* dir = std::getenv("ORVANE_SOURCE_DIR");
  EXPECT_NE(dir, nullptr) << "ORVANE_SOURCE_DIR is not set";
  return std::filesystem::path(dir == nullptr ? "." : dir) / relative;
}

const std::filesystem::path kPublished = "data/tables/published";

// A decimal cell in millionths, either sign; a 1 as the data file holds it.
std::int32_t Micro(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  const bool negative = !text.empty() && text[0] == '-';
  const DecimalReading reading = ReadDecimal(negative ? text.substr(1) : text);
  EXPECT_EQ(reading.kind, DecimalReading::Kind::kNumber) << text;
  EXPECT_FALSE(reading.rounded) << text;
  return negative ? -reading.micro : std::min(reading.micro, kLargestMicro);
}

// The columns of a CSV table by header and age, from its row beginning with "Age".
std::map<std::string, std::map<int, std::int32_t>> Columns(const std::filesystem::path& file) {
  const std::vector<CsvRow> rows = ReadCsvFile(file);
  std::size_t header = 0;
  while (header < rows.size() && rows[header].cells[0] != "Age" && rows[header].cells[0] != "age")
    ++header;
  std::map<std::string, std::map<int, std::int32_t>> columns;
  for (std::size_t r = header + 1; r < rows.size(); ++r) {
    for (std::size_t c = 1; c < rows[r].cells.size(); ++c)
      columns[rows[header].cells[c]][std::stoi(rows[r].cells[0])] = Micro(rows[r].cells[c]);
  }
  return columns;
}

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

class IrsCommand : public ::testing::Test {
 protected:
  // Runs orvane-tables in `folder` with `arguments`.
  Outcome Run(const std::filesystem::path& folder, const std::string& arguments) {
    const std::string command = "cd '" + folder.string() + "' && '" + ORVANE_TABLES_TOOL + "' " +
                                arguments + " >'" + (scratch_ / "out").string() + "' 2>'" +
                                (scratch_ / "err").string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(scratch_ / "out"),
            Slurp(scratch_ / "err")};
  }
  static std::string Slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  ScratchFolder scratch_;
};

TEST_F(IrsCommand, Builds2024AsPublishedAnd2026AsQuoted) {
  const std::filesystem::path built = scratch_ / "irs2024.csv";
  const Outcome run = Run(Source("."), "irs --year 2024 --out '" + built.string() + "'");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  auto mine = Columns(built);
  auto published = Columns(Source(kPublished / "irs/430_published_2024.csv"));
  published["2024417e"] = Columns(Source(kPublished / "irs/417e_published.csv"))["2024"];
  const std::map<std::string, std::string> ours = {
      {"Male EE", "2024NAM"},   {"Female EE", "2024NAF"}, {"Male HA", "2024ANM"},
      {"Female HA", "2024ANF"}, {"Male", "2024SPM"},      {"Female", "2024SPF"},
      {"2024417e", "2024417e"}};
  int compared = 0;
  for (const auto& [column, name] : ours) {
    for (int age = 15; age <= 120; ++age, ++compared)
      EXPECT_EQ(mine[name][age], published[column][age]) << name << " at age " << age;
  }
  EXPECT_EQ(compared, 742);
  EXPECT_EQ(mine["2024NAM"].size(), 120u);

  const Outcome y2026 = Run(Source("."), "irs --year 2026");
  ASSERT_EQ(y2026.exit_code, 0) << y2026.err;
  EXPECT_EQ(y2026.out.substr(0, y2026.out.find('\n')),
            "age,2026NAM,2026NAF,2026ANM,2026ANF,2026SPM,2026SPF,2026417e");
  EXPECT_NE(y2026.out.find("\n65,0.004820,0.002710,0.009140,0.007430,0.008470,0.006100,0.007290\n"),
            std::string::npos);
}

TEST_F(IrsCommand, RefusesEarlyYearsAndMissingOrBadInputs) {
  const Outcome early = Run(Source("."), "irs --year 2023");
  EXPECT_EQ(early.exit_code, 2);
  EXPECT_NE(early.err.find("2024"), std::string::npos) << early.err;
  EXPECT_EQ(Run(Source("."), "irs --year 2024.5").exit_code, 2);
  EXPECT_EQ(Run(Source("."), "irs").exit_code, 2);

  const Outcome nowhere = Run(scratch_ / ".", "irs --year 2025");
  EXPECT_EQ(nowhere.exit_code, 1);
  EXPECT_NE(nowhere.err.find("no data/tables/published/irs/construction"), std::string::npos);

  // A copy of the inputs with one base rate spoilt.
  const std::filesystem::path copy = scratch_ / "data/tables/published";
  std::filesystem::create_directories(copy);
  std::filesystem::copy(Source(kPublished / "irs"), copy / "irs",
                        std::filesystem::copy_options::recursive);
  std::filesystem::copy(Source(kPublished / "xtbml"), copy / "xtbml",
                        std::filesystem::copy_options::recursive);
  const std::filesystem::path base = copy / "irs/construction/irs_base_pri2012.csv";
  std::string text = Slurp(base);
  text.replace(text.find("\n65,0.00573,"), 12, "\n65,0.0057x,");
  std::ofstream(base, std::ios::binary | std::ios::trunc) << text;
  const Outcome bad = Run(scratch_ / ".", "irs --year 2025");
  EXPECT_EQ(bad.exit_code, 1);
  EXPECT_NE(bad.err.find("irs_base_pri2012.csv, line 53 (\"Male EE\", age 65): \"0.0057x\" is "
                         "not a number"),
            std::string::npos)
      << bad.err;
}

TEST(IrsConstruction, ModifiesTheScaleAndProjectsAsTheIrsFilesSay) {
  const IrsInputs inputs = ReadIrsInputs(Source(kPublished));
  int cells = 0;
  for (const auto& [file, sex] : {std::pair{"mp2021_adjusted_male.csv", Sex::kMale},
                                  std::pair{"mp2021_adjusted_female.csv", Sex::kFemale}}) {
    for (const auto& [year, by_age] : Columns(Source(kPublished / "irs/construction" / file))) {
      for (const auto& [age, rate] : by_age) {
        ++cells;
        EXPECT_EQ(ModifiedImprovement(inputs, sex, age, std::stoi(year)), rate)
            << file << ", age " << age << ", " << year;
      }
    }
  }
  EXPECT_EQ(cells, 2 * 101 * 87);

  int periods = 0;
  const std::vector<CsvRow> rows =
      ReadCsvFile(Source(kPublished / "irs/construction/irs_projection_years.csv"));
  for (std::size_t c = 1; c < rows[0].cells.size(); ++c) {
    const std::string& column = rows[0].cells[c];
    const Sex sex = column.rfind("Male", 0) == 0 ? Sex::kMale : Sex::kFemale;
    for (std::size_t r = 1; r < rows.size(); ++r, ++periods) {
      const int age = std::stoi(rows[r].cells[0]);
      EXPECT_NEAR(ProjectionThirds(sex, age) / 3.0, std::stod(rows[r].cells[c]), 1e-8)
          << column << ", age " << age;
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
    std::int32_t rate;         // the table's rate
    std::int32_t unisex;       // with the female 0.00002
  };
  const Case cases[] = {
      {20, 500000, "0.000025 exactly: half up, not to the even 0.00002", 30, 30},
      {21, 500020, "0.000024999: 0.000025 to six decimals first", 30, 30},
      {22, 510000, "0.0000245 exactly: 0.000025, then 0.00003", 30, 30},
      {23, 510020, "0.000024499: 0.000024, then 0.00002", 20, 20},
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
    EXPECT_EQ(tables[6].micro[c.age], c.unisex) << "417(e): " << c.q;
  }
  EXPECT_EQ(tables[6].micro[120], kLargestMicro);
  EXPECT_THROW(IrsTables(inputs, 2023), SourceError);
}

}  // namespace
}  // namespace orvane::sources
