#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/tables/block_file_builder.h"

namespace orvane::tools {
namespace {

using tables::testing::ScratchFolder;

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::filesystem::path Source(const std::string& relative) {
  const char* dir = std::getenv("ORVANE_SOURCE_DIR");
  EXPECT_NE(dir, nullptr) << "ORVANE_SOURCE_DIR is not set";
  return std::filesystem::path(dir == nullptr ? "." : dir) / relative;
}

class ToolCommand : public ::testing::Test {
 protected:
  // Runs orvane-tables with `arguments` (already quoted where needed).
  Outcome Run(const std::string& arguments) {
    const std::string command = std::string("'") + ORVANE_TABLES_TOOL + "' " + arguments + " >'" +
                                (folder_ / "out").string() + "' 2>'" + (folder_ / "err").string() +
                                "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(folder_ / "out"),
            Slurp(folder_ / "err")};
  }
  std::string Sources() {
    std::string list;
    for (const auto& entry : std::filesystem::directory_iterator(Source("data/tables"))) {
      if (entry.path().extension() == ".csv")
        list.append("'").append(entry.path().string()).append("' ");
    }
    return list;
  }

  ScratchFolder folder_;
};

TEST_F(ToolCommand, ShowsListsAndChecksTheShippedFile) {
  const std::string shipped =
      std::string("'").append(Source("data/MortalityTables").string()).append("'");
  const Outcome check = Run("check " + shipped);
  EXPECT_EQ(check.exit_code, 0) << check.out;
  EXPECT_NE(check.out.find("12 tables, 8 catalogue names, 0 problems"), std::string::npos);

  const Outcome show = Run("show 2008417e " + shipped);
  EXPECT_EQ(show.exit_code, 0);
  EXPECT_EQ(show.out.substr(0, 22), "age,2008417e\n1,0.00038");
  EXPECT_NE(show.out.find("\n65,0.009602\n"), std::string::npos);
  EXPECT_NE(show.out.find("\n120,0.999999\n"), std::string::npos);

  const Outcome list = Run("list " + shipped);
  EXPECT_EQ(list.exit_code, 0);
  EXPECT_NE(list.out.find("    0     3     5 \"2008417e\"\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("Choosers' list (8 entries)\nNone     No mortality"), std::string::npos);

  const Outcome absent = Run("show Absent " + shipped);
  EXPECT_EQ(absent.exit_code, 1);
}

TEST_F(ToolCommand, BuildAndDeriveReproduceTheCommittedFiles) {
  const Outcome build = Run("build --out '" + (folder_ / "built").string() + "' " + Sources());
  ASSERT_EQ(build.exit_code, 0) << build.err;
  EXPECT_EQ(Slurp(folder_ / "built"), Slurp(Source("data/MortalityTables")));

  if (!std::filesystem::exists(Source("data/tables/2008417e_computed.csv"))) {
    GTEST_SKIP() << "2008417e is not the computed table";
  }
  const Outcome derive = Run("derive --out '" + (folder_ / "derived.csv").string() + "' --data '" +
                             (folder_ / "rebuilt").string() + "' " + Sources());
  ASSERT_EQ(derive.exit_code, 0) << derive.err;
  EXPECT_EQ(Slurp(folder_ / "derived.csv"), Slurp(Source("data/tables/2008417e_computed.csv")));
  EXPECT_EQ(Slurp(folder_ / "rebuilt"), Slurp(Source("data/MortalityTables")));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "derived.csv.scratch"));
}

TEST_F(ToolCommand, ReportsUsageUnavailableFilesAndBadSources) {
  const Outcome none = Run("");
  EXPECT_EQ(none.exit_code, 2);
  EXPECT_NE(none.err.find("Usage:"), std::string::npos);
  EXPECT_EQ(Run("frobnicate").exit_code, 2);
  EXPECT_EQ(Run("build --out x").exit_code, 2);
  EXPECT_EQ(Run("show").exit_code, 2);
  EXPECT_EQ(Run("check a b").exit_code, 2);

  const Outcome missing = Run("list '" + (folder_ / "Absent").string() + "'");
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.err, "orvane-tables: Data File not available\n");

  std::ofstream(folder_ / "bad.csv") << "age,T\n1,0.5\n2,1.0\n";
  const Outcome bad = Run("build --out '" + (folder_ / "x").string() + "' '" +
                          (folder_ / "bad.csv").string() + "'");
  EXPECT_EQ(bad.exit_code, 1);
  EXPECT_EQ(bad.err, "orvane-tables: " + (folder_ / "bad.csv").string() +
                         ", line 3, column 2 (\"T       \", age 2): value 1.0 is outside 0 to "
                         "0.999999 (the file cannot hold 1: write 0.999999)\n");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "x"));

  tables::testing::BlockFileBuilder broken;
  broken.Entry(0, 1, "None", 7);
  broken.Save(folder_ / "broken");
  const Outcome check = Run("check '" + (folder_ / "broken").string() + "'");
  EXPECT_EQ(check.exit_code, 1);
  EXPECT_NE(check.out.find("start block 7 lies past the end of the file"), std::string::npos);
}

}  // namespace
}  // namespace orvane::tools
