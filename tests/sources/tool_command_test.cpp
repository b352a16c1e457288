#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sources/data_file_writer.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::sources {
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
  std::string File(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
    return "'" + (folder_ / name).string() + "'";
  }

  ScratchFolder folder_;
};

TEST_F(ToolCommand, ShowsListsAndChecksTheShippedFile) {
  const std::string shipped =
      std::string("'").append(Source("data/MortalityTables").string()).append("'");
  const Outcome check = Run("check " + shipped);
  EXPECT_EQ(check.exit_code, 0) << check.out;
  EXPECT_NE(check.out.find(" catalogue names, 0 problems"), std::string::npos);

  // The published 2008 table as the SOA's file gives it, its 1 at age 120 stored as 0.999999.
  const Outcome show = Run("show 2008417e " + shipped);
  EXPECT_EQ(show.exit_code, 0);
  const Outcome imported =
      Run("import '" + Source("data/tables/published/xtbml/t2801.xml").string() + "'");
  EXPECT_EQ(imported.exit_code, 0);
  EXPECT_EQ(imported.out.substr(0, 20), "age,t2801\n1,0.000380");
  EXPECT_EQ(show.out.substr(show.out.find('\n')), imported.out.substr(imported.out.find('\n')));
  EXPECT_NE(show.out.find("\n65,0.009602\n"), std::string::npos);
  EXPECT_NE(show.out.find("\n120,0.999999\n"), std::string::npos);

  const Outcome list = Run("list " + shipped);
  EXPECT_EQ(list.exit_code, 0);
  EXPECT_NE(list.out.find(" \"2008417e\"\n"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find(" entries)\nNone     No mortality"), std::string::npos);

  const Outcome absent = Run("show Absent " + shipped);
  EXPECT_EQ(absent.exit_code, 1);
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

// An XTbML table of the ages first..last with the rate `rate(age)`; "Duration" as `inner` makes
// it a select table of two durations.
std::string XtbmlTable(int first, int last, const std::function<std::string(int)>& rate,
                       const std::string& inner = "", const std::string& scaling = "0") {
  std::string axes = "<AxisDef id=\"Age\"/>";
  if (!inner.empty())
    axes += "<AxisDef id=\"" + inner + "\"/>";
  std::string values;
  for (int age = first; age <= last; ++age) {
    const std::string y = "<Y t=\"" + std::to_string(age) + "\">" + rate(age) + "</Y>";
    values +=
        inner.empty() ? y : "<Axis t=\"" + std::to_string(age) + "\"><Axis>" + y + "</Axis></Axis>";
  }
  return "<Table><MetaData><ScalingFactor>" + scaling + "</ScalingFactor>" + axes +
         "</MetaData><Values>" + (inner.empty() ? "<Axis>" + values + "</Axis>" : values) +
         "</Values></Table>";
}

std::string Xtbml(const std::string& tables) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XTbML><ContentClassification>"
         "<TableIdentity>9001</TableIdentity></ContentClassification>" +
         tables + "</XTbML>";
}

std::string Line(const std::string& text, int age) {
  const std::size_t at = text.find("\n" + std::to_string(age) + ",");
  return at == std::string::npos ? "" : text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

TEST_F(ToolCommand, ImportsAnAgeTableAndRefusesOthersSayingWhichToTake) {
  const auto flat = [](int) { return std::string("0.001"); };
  const std::string select =
      File("select.xml", Xtbml(XtbmlTable(1, 120, flat, "Duration") + XtbmlTable(1, 120, flat)));
  const Outcome refused = Run("import " + select);
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_NE(refused.err.find("select.xml, table 1 has a Duration axis (select rates); only a "
                             "table with a single age axis can be imported (the file's table 2 "
                             "has one: --table 2)"),
            std::string::npos)
      << refused.err;
  const Outcome ultimate = Run("import " + select + " --table 2 --name Ult");
  EXPECT_EQ(ultimate.exit_code, 0) << ultimate.err;
  EXPECT_EQ(ultimate.out.substr(0, 18), "age,Ult\n1,0.001000");
  EXPECT_EQ(std::count(ultimate.out.begin(), ultimate.out.end(), '\n'), 121);

  // Ages 20-60 only, with rates beyond six decimals: half to even on the decimal value.
  const std::map<int, std::string> odd = {
      {20, "0.0001235"}, {21, "0.0001245"}, {22, "0.00012451"}, {23, "1.2345E-4"}, {60, "1"}};
  const std::string part = File("part.xml", Xtbml(XtbmlTable(20, 60, [&](int age) {
                                  return odd.count(age) ? odd.at(age) : std::string("0.002");
                                })));
  const Outcome gap = Run("import " + part);
  EXPECT_EQ(gap.exit_code, 1);
  EXPECT_NE(gap.err.find("table 1 has no rate for ages 1-19, 61-120"), std::string::npos);
  const Outcome held = Run("import " + part + " --hold");
  EXPECT_EQ(held.exit_code, 0) << held.err;
  EXPECT_NE(held.err.find("4 rates of "), std::string::npos) << held.err;
  EXPECT_NE(held.err.find(" were rounded half to even to 6"), std::string::npos);
  const std::vector<std::pair<int, std::string>> rows = {
      {1, "1,0.000124"},   {19, "19,0.000124"}, {20, "20,0.000124"}, {21, "21,0.000124"},
      {22, "22,0.000125"}, {23, "23,0.000123"}, {60, "60,0.999999"}, {120, "120,0.999999"}};
  for (const auto& [age, line] : rows) EXPECT_EQ(Line(held.out, age), line);
}

TEST_F(ToolCommand, ImportNamesTheFaultOfADamagedFileOrAWrongCall) {
  const auto with = [](int bad_age, const std::string& bad) {
    return Xtbml(XtbmlTable(1, 120, [=](int age) { return age == bad_age ? bad : "0.01"; }));
  };
  const std::string good = with(0, "");
  const std::vector<std::pair<std::string, std::string>> damaged = {
      {good.substr(0, good.size() / 2), ", line 2: not well-formed XML"},
      {"<html><body/></html>", ": not an XTbML file (its root element is <html>"},
      {"", ", line 1: not well-formed XML"},
      {with(45, "-0.002"), ", table 1, age 45: rate \"-0.002\" is negative"},
      {with(46, ""), ", table 1, age 46: no rate"},
      {with(47, "n/a"), ", table 1, age 47: \"n/a\" is not a number"},
      {with(48, "1.5"), ", table 1, age 48: rate \"1.5\" is above 1"},
      {Xtbml(XtbmlTable(
           1, 120, [](int) { return "1"; }, "", "3")),
       ", table 1 has ScalingFactor 3; only tables of plain rates"},
      {Xtbml(XtbmlTable(
           1, 120, [](int) { return "0.1"; }, "Year")),
       ", table 1 has a Year axis (a two-dimensional improvement scale)"}};
  for (const auto& [text, message] : damaged) {
    const std::string file = File("damaged.xml", text);
    const Outcome outcome = Run("import " + file);
    EXPECT_EQ(outcome.exit_code, 1) << message;
    EXPECT_EQ(outcome.out, "") << message;
    EXPECT_NE(outcome.err.find((folder_ / "damaged.xml").string() + message), std::string::npos)
        << outcome.err;
  }
  EXPECT_EQ(Run("import '" + (folder_ / "absent.xml").string() + "'").exit_code, 1);
  const std::string file = File("good.xml", good);
  for (const std::string& usage :
       {std::string("import"), "import " + file + " " + file, "import " + file + " --table 0",
        "import " + file + " --table x", "import " + file + " --table",
        "import " + file + " --name NineChars", "import " + file + " --fast"}) {
    EXPECT_EQ(Run(usage).exit_code, 2) << usage;
  }
  EXPECT_EQ(Run("import " + file + " --table 2").exit_code, 1);  // the file holds one table
}

TEST_F(ToolCommand, ImportsAScaleAndChecksThatAGenerationalTableHasOne) {
  // MP-2021 male, ages 20-120 by the years 1951-2037; the cells as t3612.xml gives them.
  const Outcome scale =
      Run("import '" + Source("data/tables/published/xtbml/t3612.xml").string() + "' --scale");
  ASSERT_EQ(scale.exit_code, 0) << scale.err;
  EXPECT_EQ(scale.out.substr(0, 15), "Age,1951,1952,1");
  const std::string age65 = Line(scale.out, 65);
  const auto cell = [&](int year) {
    std::size_t at = 0;
    for (int column = 0; column < year - 1950; ++column) at = age65.find(',', at) + 1;
    return age65.substr(at, age65.find(',', at) - at);
  };
  EXPECT_EQ(cell(1951), "0.008200");
  EXPECT_EQ(cell(2021), "-0.000500");
  EXPECT_EQ(cell(2037), "0.013100");
  EXPECT_EQ(Line(scale.out, 20).substr(0, 13), "20,-0.014800,");
  EXPECT_EQ(Run("import '" + Source("data/tables/published/xtbml/t3612.xml").string() +
                "' --scale --hold")
                .exit_code,
            2);

  NamedTable orphan{"GEN     ", "generational", {}, "", "GENERATIONAL:SCALE   ", {}};
  orphan.micro.fill(1000);
  DataFileContent content;
  content.tables = {orphan};
  WriteDataFile(folder_ / "orphan", content);
  const Outcome check = Run("check '" + (folder_ / "orphan").string() + "'");
  EXPECT_EQ(check.exit_code, 1);
  EXPECT_NE(check.out.find("Generational table \"GEN\" of "), std::string::npos) << check.out;
  EXPECT_NE(check.out.find("names the improvement scale \"SCALE\", which the data file lacks"),
            std::string::npos)
      << check.out;
}

}  // namespace
}  // namespace orvane::sources
