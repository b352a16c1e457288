// orvane-tables run as a user runs it: each command's arguments, output and exit status.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "sources/data_file_writer.h"
#include "tests/sources/tool_run.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::sources {
namespace {

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

std::string Rates(int bad_age, const std::string& bad) {
  return Xtbml(XtbmlTable(1, 120, [=](int age) { return age == bad_age ? bad : "0.01"; }));
}

TEST(ToolCommand, EachCommandKeepsItsArgumentsOutputAndExitStatus) {
  tables::testing::ScratchFolder folder;
  // Writes `text` into the scratch folder; returns the file's path.
  const auto file = [&](const std::string& name, const std::string& text) {
    std::ofstream(folder / name, std::ios::binary) << text;
    return (folder / name).string();
  };
  const std::string shipped = testing::Source("data/MortalityTables").string();
  std::string rates = "age,T\n";
  for (int age = 1; age <= 120; ++age)
    rates += std::to_string(age) + (age == 2 ? ",1.0\n" : ",0.5\n");
  const std::string catalogue = file("catalogue.csv", "name,description,listed\nT,a table,yes\n");
  const std::string good = file("t.csv", std::string(rates).replace(rates.find(",1.0"), 4, ",0.5"));
  const std::string bad = file("bad.csv", rates);
  const std::string built = (folder / "built").string();
  tables::testing::BlockFileBuilder first;  // a table at block 1, the first after the directory
  first.Entry(0, 1, "First", first.AppendTable("", [](int) { return 7; }));
  first.Save(folder / "first");
  WriteDataFile(
      folder / "orphan",
      DataFileContent{{{"GEN     ", "generational", {}, "", "GENERATIONAL:SCALE   ", {}}}, {}});
  const std::string part = file(
      "part.xml", Xtbml(XtbmlTable(20, 60, [](int age) {
        const std::map<int, std::string> odd = {
            {20, "0.0001235"}, {21, "0.0001245"}, {22, "0.00012451"}, {23, "1.2345E-4"}, {60, "1"}};
        return odd.count(age) ? odd.at(age) : std::string("0.002");
      })));
  const auto flat = [](int) { return std::string("0.001"); };
  const std::string select =
      file("select.xml", Xtbml(XtbmlTable(1, 120, flat, "Duration") + XtbmlTable(1, 120, flat)));
  const std::string good_xml = Rates(49, "0.0012345"), one = file("one.xml", good_xml);
  const struct {
    std::string arguments;
    int exit_code;
    std::string expected;  // stdout and stderr one after the other; "..." stands for any text
  } calls[] = {
      {"check '" + shipped + "'", 0, " catalogue names, 0 problems\n"},
      {"list '" + shipped + "'", 0,
       "block entry start name\n    0     1    10 \"INDEX13 \"\n...\n    9     3   450 "
       "\"PriRM-G \" generational on \"MP2021M \"\n... \"MP2021M \" scale 20-120,1951-2037\n"},
      // The published 2008 table as the SOA's file gives it, its 1 at age 120 stored as 0.999999.
      {"show 2008417e '" + shipped + "'", 0, "age,2008417e\n1,0.000380\n...\n120,0.999999\n"},
      {"show PriRM-G '" + shipped + "' --born 1961", 0, "\n65,0.010762\n"},
      {"show PriRM-G '" + shipped + "'", 1,
       "orvane-tables: Generational table \"PriRM-G\" needs the year of birth of the life it "
       "describes\n"},
      {"show Absent '" + shipped + "'", 1, shipped + " has no table \"Absent\"\n"},
      {"show First '" + (folder / "first").string() + "'", 0, "age,First\n1,0.000007\n"},
      {"build --out '" + built + "' '" + good + "' '" + catalogue + "'", 0,
       "Wrote " + built + ": 1 tables, 1 listed\n"},
      {"check '" + built + "'", 1, "\n" + built + ": 1 tables, 1 catalogue names, "},
      {"build --out '" + built + "x' '" + bad + "' '" + catalogue + "'", 1,
       "orvane-tables: " + bad +
           ", line 3, column 2 (\"T       \", age 2): value 1.0 is outside 0 "
           "to 0.999999 (the file cannot hold 1: write 0.999999)\n"},
      {"check '" + (folder / "orphan").string() + "'", 1,
       "Generational table \"GEN\" of " + (folder / "orphan").string() +
           " names the improvement scale \"SCALE\", which the data file lacks\n...There is no "
           "catalogue \"INDEX13 \": the choosers stay empty\n"},
      {"irs --year 2023", 2,
       "orvane-tables: the IRS construction builds the tables of 2024 on, not of 2023\n"},
      {"irs --year 2025", 1, "no data/tables/published/irs/construction"},
      {"import '" + select + "'", 1,
       "select.xml, table 1 has a Duration axis (select rates); only a table with a single age "
       "axis can be imported (the file's table 2 has one: --table 2)"},
      {"import '" + select + "' --table 2 --name Ult", 0, "age,Ult\n1,0.001000\n2,0.001000\n"},
      {"import '" + part + "'", 1, "table 1 has no rate for ages 1-19, 61-120"},
      // Rates beyond six decimals round half to even on the decimal value; held at both ends.
      {"import '" + part + "' --hold", 0,
       "age,t9001\n1,0.000124\n...\n19,0.000124\n20,0.000124\n21,0.000124\n22,0.000125\n23,"
       "0.000123\n...\n119,0.999999\n120,0.999999\norvane-tables: 4 rates of " +
           part + " had more than 6 decimals and were rounded half to even to 6\n"},
      {"import '" + one + "' --table 2", 1, "one.xml"},
      {"import '" + (folder / "absent.xml").string() + "'", 1, "absent.xml"},
      // MP-2021 male, ages 20-120 by the years 1951-2037; the cells as t3612.xml gives them.
      {"import '" + testing::Source("data/tables/published/xtbml/t3612.xml").string() + "' --scale",
       0, "Age,1951,1952,1953,...\n65,0.008200,0.006400,...,0.013100\n66,"},
      {"help", 0, "Usage:\n  orvane-tables list [FILE]"},
      // A damaged XTbML file is named with its fault.
      {"import '" + file("half.xml", good_xml.substr(0, good_xml.size() / 2)) + "'", 1,
       "half.xml, line 2: not well-formed XML"},
      {"import '" + file("html.xml", "<html><body/></html>") + "'", 1,
       "html.xml: not an XTbML file (its root element is <html>"},
      {"import '" + file("empty.xml", "") + "'", 1, "empty.xml, line 1: not well-formed XML"},
      {"import '" + file("neg.xml", Rates(45, "-0.002")) + "'", 1,
       "neg.xml, table 1, age 45: rate \"-0.002\" is negative"},
      {"import '" + file("no.xml", Rates(46, "")) + "'", 1, "no.xml, table 1, age 46: no rate"},
      {"import '" + one + "'", 0,
       "\n49,0.001234\n...: 1 rate of " + one + " had more than 6 decimals and was rounded"},
      {"import '" + file("short.xml", Xtbml(XtbmlTable(1, 119, flat))) + "'", 1,
       "short.xml, table 1 has no rate for age 120 ("},
      {"import '" + file("nan.xml", Rates(47, "n/a")) + "'", 1,
       "nan.xml, table 1, age 47: \"n/a\" is not a number"},
      {"import '" + file("big.xml", Rates(48, "1.5")) + "'", 1,
       "big.xml, table 1, age 48: rate \"1.5\" is above 1"},
      {"import '" + file("scaled.xml", Xtbml(XtbmlTable(1, 120, flat, "", "3"))) + "'", 1,
       "scaled.xml, table 1 has ScalingFactor 3; only tables of plain rates"},
      {"import '" + file("year.xml", Xtbml(XtbmlTable(1, 120, flat, "Year"))) + "'", 1,
       "year.xml, table 1 has a Year axis (a two-dimensional improvement scale)"},
  };
  for (const auto& call : calls) {
    const testing::Outcome outcome = testing::RunTool(call.arguments, folder / "", folder / "");
    EXPECT_EQ(outcome.exit_code, call.exit_code) << call.arguments << "\n" << outcome.err;
    std::size_t found = 0;
    for (std::size_t from = 0, dots = 0; dots != std::string::npos; from = dots + 3) {
      dots = call.expected.find("...", from);
      found = (outcome.out + outcome.err).find(call.expected.substr(from, dots - from), found);
      EXPECT_NE(found, std::string::npos) << call.arguments << "\n" << outcome.out << outcome.err;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(built + "x"));

  // Run in the scratch folder, where one.xml is.
  const std::string wrongs =
      "|frobnicate|build --out x|build x|build --out|build --out x --fast y|show|show a b c|"
      "show a --born|show a --born 0|list a b|check|check a b|import|import one.xml one.xml|"
      "import one.xml --table 0|import one.xml --table x|import one.xml --table|"
      "import one.xml --name NineChars|import one.xml --fast|import one.xml --scale --hold|irs|"
      "irs --year 2024.5|irs --year|irs --out|irs --year 2200|list --out x|check one.xml --fast|"
      "show a --table 1|";
  for (std::size_t at = 0, bar; (bar = wrongs.find('|', at)) != std::string::npos; at = bar + 1) {
    const std::string wrong = wrongs.substr(at, bar - at);
    const testing::Outcome outcome = testing::RunTool(wrong, folder / "", folder / "");
    EXPECT_EQ(outcome.exit_code, 2) << wrong;
    EXPECT_NE(outcome.err.find("\nUsage:\n"), std::string::npos) << wrong;
  }
  // The last year the construction builds, with --out, in the repository where its inputs are.
  const std::string out = (folder / "irs.csv").string();
  const testing::Outcome irs =
      testing::RunTool("irs --out '" + out + "' --year 2199", folder / "", testing::Source(""));
  EXPECT_EQ(std::tuple(irs.exit_code, irs.out + irs.err), std::tuple(0, std::string())) << irs.err;
  EXPECT_EQ(testing::Slurp(out).rfind("age,2199NAM,2199NAF,", 0), 0u);
}

}  // namespace
}  // namespace orvane::sources
