// orvane-tables run as a user runs it: each command's arguments, output and exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sources/data_file_writer.h"
#include "tests/sources/tool_run.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::sources {
namespace {

using testing::Outcome;

class ToolCommand : public ::testing::Test {
 protected:
  Outcome Run(const std::string& arguments) { return testing::RunTool(arguments, folder_ / ""); }
  // Writes `text` into the scratch folder; returns the file quoted for the command line.
  std::string File(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
    return "'" + (folder_ / name).string() + "'";
  }

  tables::testing::ScratchFolder folder_;
};

// The line of `age` in a CSV text of ages.
std::string Line(const std::string& text, int age) {
  const std::size_t at = text.find("\n" + std::to_string(age) + ",");
  return at == std::string::npos ? "" : text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

TEST_F(ToolCommand, ListsShowsAndChecksTheShippedFile) {
  const std::string shipped = "'" + testing::Source("data/MortalityTables").string() + "'";
  const Outcome check = Run("check " + shipped);
  EXPECT_EQ(check.exit_code, 0) << check.out;
  EXPECT_NE(check.out.find(" catalogue names, 0 problems\n"), std::string::npos);
  const Outcome list = Run("list " + shipped);
  EXPECT_EQ(list.exit_code, 0);
  EXPECT_NE(list.out.find("block entry start name\n    0     1    10 \"INDEX13 \"\n"),
            std::string::npos)
      << list.out;
  EXPECT_NE(list.out.find("\n    9     3   450 \"PriRM-G \" generational on \"MP2021M \"\n"),
            std::string::npos);
  EXPECT_NE(list.out.find(" \"MP2021M \" scale 20-120,1951-2037\n"), std::string::npos);
  EXPECT_NE(list.out.find(" entries)\nNone     No mortality"), std::string::npos);

  // The published 2008 table as the SOA's file gives it, its 1 at age 120 stored as 0.999999.
  const Outcome show = Run("show 2008417e " + shipped);
  EXPECT_EQ(show.exit_code, 0);
  EXPECT_EQ(show.out.substr(0, 23), "age,2008417e\n1,0.000380");
  EXPECT_EQ(Line(show.out, 65), "65,0.009602");
  EXPECT_EQ(Line(show.out, 120), "120,0.999999");
  const Outcome cohort = Run("show PriRM-G " + shipped + " --born 1961");
  EXPECT_EQ(Line(cohort.out, 65), "65,0.010762");
  const Outcome unborn = Run("show PriRM-G " + shipped);
  EXPECT_EQ(unborn.exit_code, 1);
  EXPECT_EQ(unborn.err,
            "orvane-tables: Generational table \"PriRM-G\" needs the year of birth of the life it "
            "describes\n");
  const Outcome absent = Run("show Absent " + shipped);
  EXPECT_EQ(absent.exit_code, 1);
  EXPECT_EQ(absent.err, "orvane-tables: " + testing::Source("data/MortalityTables").string() +
                            " has no table \"Absent\"\n");
}

TEST_F(ToolCommand, BuildsChecksAndReportsUsageAndUnavailableFiles) {
  for (const std::string usage : {"", "frobnicate", "build --out x", "build x", "build --out",
                                  "build --out x --fast y", "show", "show a b c", "show a --born",
                                  "show a --born 0", "list a b", "check", "check a b"}) {
    const Outcome outcome = Run(usage);
    EXPECT_EQ(outcome.exit_code, 2) << usage;
    EXPECT_NE(outcome.err.find("\nUsage:\n"), std::string::npos) << usage;
  }
  EXPECT_EQ(Run("help").exit_code, 0);
  const Outcome missing = Run("list '" + (folder_ / "Absent").string() + "'");
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.err, "orvane-tables: Data File not available\n");

  const std::string catalogue = File("catalogue.csv", "name,description,listed\nT,a table,yes\n");
  std::string rates = "age,T\n";
  for (int age = 1; age <= 120; ++age) rates += std::to_string(age) + ",0.5\n";
  const std::string out = (folder_ / "built").string();
  const Outcome built = Run("build --out '" + out + "' " + File("t.csv", rates) + " " + catalogue);
  EXPECT_EQ(built.out, "Wrote " + out + ": 1 tables, 1 listed\n");
  EXPECT_EQ(Line(Run("show T '" + out + "'").out, 120), "120,0.500000");
  const Outcome check = Run("check '" + out + "'");
  EXPECT_EQ(check.exit_code, 1);
  EXPECT_NE(check.out.find("\n" + out + ": 1 tables, 1 catalogue names, "), std::string::npos);

  rates.replace(rates.find("\n2,0.5"), 6, "\n2,1.0");
  const Outcome bad = Run("build --out '" + out + "x' " + File("bad.csv", rates) + " " + catalogue);
  EXPECT_EQ(bad.exit_code, 1);
  EXPECT_EQ(bad.err, "orvane-tables: " + (folder_ / "bad.csv").string() +
                         ", line 3, column 2 (\"T       \", age 2): value 1.0 is outside 0 to "
                         "0.999999 (the file cannot hold 1: write 0.999999)\n");
  EXPECT_FALSE(std::filesystem::exists(out + "x"));

  NamedTable orphan{"GEN     ", "generational", {}, "", "GENERATIONAL:SCALE   ", {}};
  orphan.micro.fill(1000);
  WriteDataFile(folder_ / "orphan", DataFileContent{{orphan}, {}});
  const Outcome orphaned = Run("check '" + (folder_ / "orphan").string() + "'");
  EXPECT_EQ(orphaned.exit_code, 1);
  EXPECT_NE(orphaned.out.find("Generational table \"GEN\" of " + (folder_ / "orphan").string() +
                              " names the improvement scale \"SCALE\", which the data file lacks"),
            std::string::npos)
      << orphaned.out;
}

// An XTbML table of the ages first..last with the rate `rate(age)`; "Duration" as `inner`
// makes it a select table of two durations.
std::string XtbmlTable(int first, int last, const std::function<std::string(int)>& rate,
                       const std::string& inner = "", const std::string& scaling = "0") {
  std::string values;
  for (int age = first; age <= last; ++age) {
    const std::string y = "<Y t=\"" + std::to_string(age) + "\">" + rate(age) + "</Y>";
    values +=
        inner.empty() ? y : "<Axis t=\"" + std::to_string(age) + "\"><Axis>" + y + "</Axis></Axis>";
  }
  return "<Table><MetaData><ScalingFactor>" + scaling + "</ScalingFactor><AxisDef id=\"Age\"/>" +
         (inner.empty() ? "" : "<AxisDef id=\"" + inner + "\"/>") + "</MetaData><Values>" +
         (inner.empty() ? "<Axis>" + values + "</Axis>" : values) + "</Values></Table>";
}

std::string Xtbml(const std::string& tables) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XTbML><ContentClassification>"
         "<TableIdentity>9001</TableIdentity></ContentClassification>" +
         tables + "</XTbML>";
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
  const Outcome named =
      Run("import '" + testing::Source("data/tables/published/xtbml/t2801.xml").string() + "'");
  EXPECT_EQ(named.out.substr(0, 20), "age,t2801\n1,0.000380");

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
  EXPECT_EQ(held.err, "orvane-tables: 4 rates of " + (folder_ / "part.xml").string() +
                          " had more than 6 decimals and were rounded half to even to 6\n");
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
    const Outcome outcome = Run("import " + File("damaged.xml", text));
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
        "import " + file + " --name NineChars", "import " + file + " --fast",
        "import " + file + " --scale --hold"}) {
    EXPECT_EQ(Run(usage).exit_code, 2) << usage;
  }
  EXPECT_EQ(Run("import " + file + " --table 2").exit_code, 1);  // the file holds one table

  // MP-2021 male, ages 20-120 by the years 1951-2037; the cells as t3612.xml gives them.
  const Outcome scale = Run(
      "import '" + testing::Source("data/tables/published/xtbml/t3612.xml").string() + "' --scale");
  ASSERT_EQ(scale.exit_code, 0) << scale.err;
  EXPECT_EQ(scale.out.substr(0, 15), "Age,1951,1952,1");
  const std::string age65 = Line(scale.out, 65);
  EXPECT_EQ(age65.substr(0, 21), "65,0.008200,0.006400,");
  EXPECT_NE(age65.find(",-0.002300,-0.000500,0.001600,"), std::string::npos);  // 2020-2022
  EXPECT_EQ(age65.substr(age65.size() - 9), ",0.013100");
  EXPECT_EQ(Line(scale.out, 20).substr(0, 13), "20,-0.014800,");
}

}  // namespace
}  // namespace orvane::sources
