// The CSV sources of a data file: exact decimal cells, a spreadsheet's way of saving, and every
// bad cell or mismatch named by file, line and column.
#include "sources/table_sources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "sources/decimal_rate.h"
#include "sources/source_error.h"
#include "tests/sources/tool_run.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::sources {
namespace {

using tables::testing::ErrorOf;

TEST(TableCellRate, ReadsSpreadsheetNumbersExactlyInMillionths) {
  const std::pair<const char*, std::int32_t> read[] = {{" 0.25 ", 250000},    {".5", 500000},
                                                       {"6.37E-04", 637},     {"0.999999", 999999},
                                                       {"0.1234560", 123456}, {"0", 0}};
  for (const auto& [text, micro] : read)
    EXPECT_EQ(ReadRate(text, "cell", RatePolicy::kTableCell), micro) << text;
  const std::string outside = " is outside 0 to 0.999999 (the file cannot hold 1: write 0.999999)";
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"", "no value"},
      {"1", "value 1" + outside},
      {"1.000000", "value 1.000000" + outside},
      {"-0.1", "value -0.1" + outside},
      {"0.0000001", "value 0.0000001 has more than 6 decimals"},
      {"1.5e-7", "value 1.5e-7 has more than 6 decimals"},
      {"5%", "\"5%\" is not a number from 0 to 0.999999"},
      {"1e", "\"1e\" is not a number from 0 to 0.999999"},
      {"0.1.2", "\"0.1.2\" is not a number from 0 to 0.999999"}};
  for (const auto& [text, message] : refused)
    EXPECT_EQ(ErrorOf([&] { ReadRate(text, "cell", RatePolicy::kTableCell); }), "cell: " + message);
  // Halves to even on the decimal digits: a carry through a run of 9s, a kept part that is empty,
  // unsigned and two-digit exponents.
  const std::tuple<const char*, std::int32_t, bool> rounded[] = {
      {"0.0099999995", 10000, true}, {"0.0000005", 0, true},  {"0.0000015", 2, true},
      {"0.9999995", 1000000, true},  {"125E-5", 1250, false}, {"0.05e+01", 500000, false}};
  for (const auto& [text, micro, was_rounded] : rounded) {
    const DecimalReading reading = ReadDecimal(text);
    EXPECT_EQ(std::tuple(reading.micro, reading.rounded), std::tuple(micro, was_rounded)) << text;
  }
}

class Sources : public ::testing::Test {
 protected:
  // A table file "age,<header>" with the row `cells` after each age 1..120, but `bad` after
  // `bad_age` ("-": no row for it).
  std::filesystem::path Table(const std::string& name, const std::string& header,
                              const std::string& cells, int bad_age = 0,
                              const std::string& bad = "") {
    std::string text = "age," + header + "\n";
    for (int age = 1; age <= 120; ++age)
      if (age != bad_age || bad != "-")
        text += std::to_string(age) + (age == bad_age ? bad : cells) + "\n";
    return Text(name, text);
  }
  std::filesystem::path Text(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
    return folder_ / name;
  }
  // The message of the assembly, the folder's path left out.
  std::string AssemblyError(const std::vector<std::filesystem::path>& files) {
    std::string message = ErrorOf([&] { AssembleDataFile(ReadSources(files)); });
    for (std::size_t at; (at = message.find((folder_ / "").string())) != std::string::npos;)
      message.erase(at, (folder_ / "").string().size());
    return message;
  }

  tables::testing::ScratchFolder folder_;
};

TEST_F(Sources, NameTheFileLineAndColumnOfEachFault) {
  const auto catalogue =
      Text("catalogue.csv", "\xEF\xBB\xBFname,description,listed\r\nT,a table,yes\r\n");
  const auto t = Table("t.csv", "T", ",0");
  const auto u = Table("u.csv", "U,T,", ",0,0,\r");
  const std::string listing = "name,description,listed\n";
  const std::vector<std::pair<std::vector<std::filesystem::path>, std::string>> cases = {
      {{Table("c.csv", "T", ",0", 3, ""), catalogue},
       "c.csv, line 4, column 2 (\"T       \", age 3): no value"},
      {{Table("d.csv", "T", ",0", 57, "-"), catalogue},
       "d.csv, line 58, column 1: age 57 is missing (found \"58\"; ages run from 1 to 120 in "
       "order)"},
      {{Table("r.csv", "T", ",0", 120, ",0\n121,0"), catalogue},
       "r.csv, line 122, column 1: a row after age 120 (\"121\")"},
      {{Table("e.csv", "T", ",0", 120, "-"), catalogue},
       "e.csv, line 121, column 1: age 120 is missing (the rows end after age 119)"},
      {{Table("f.csv", "TooLongName", ",0"), catalogue},
       "f.csv, line 1, column 2: the table name \"TooLongName\" is longer than 8 characters"},
      {{Text("p.csv", "name,ages\nT,1-120\n")},
       "p.csv, line 2: a row needs name, ages, source and table"},
      {{Text("q.csv", "name,ages,source,table\nT,1,c.csv,Q")},
       "q.csv, line 2: c.csv has no column \"Q\""},
      {{Text("g.csv", "rate,T\n"), catalogue},
       "g.csv, line 1, column 1: the first row must begin with \"age\" (a table file) or "
       "\"name\" (the catalogue), not \"rate\""},
      {{Text("h.csv", listing + "T,\"a table,yes\n"), catalogue},
       "h.csv, line 2: a quoted field is not closed"},
      {{t}, "No catalogue file (header \"name,description,listed\") among the sources"},
      {{t, catalogue, catalogue}, "More than one catalogue file among the sources"},
      {{t, u, catalogue}, "Table \"T       \" is given twice: t.csv, column 2 and u.csv, column 3"},
      {{t, Text("two.csv", listing + "T,a,yes\n \nV,b,NO\n")},
       "two.csv, line 4: no table file has a column \"V       \""},
      {{t, Text("none.csv", listing)},
       "t.csv, column 2: table \"T       \" has no row in the catalogue file"},
      {{t, Text("dup.csv", listing + "T,a,yes\nT,b,yes\n")},
       "dup.csv, line 3: table \"T       \" has a row already at dup.csv, line 2"},
      {{t, Text("listed.csv", listing + "T,a,maybe\n")},
       "listed.csv, line 2, column 3: \"listed\" must be yes or no, not \"maybe\""},
      {{t, Text("lead.csv", listing + " T,a,yes\n")},
       "lead.csv, line 2, column 1: the table name \" T\" begins with a blank, which the loader "
       "would drop"}};
  for (const auto& [files, message] : cases) EXPECT_EQ(AssemblyError(files), message);
}

// A published list's rows fill every age of a table once, from ranges within 1-120; each fault
// names the list's line, or the source cell and the table that needs it.
TEST_F(Sources, PublishedListsNameEachFaultOfTheirAges) {
  Table("src.csv", "Q", ",0.001", 7, ",");  // a blank cell at age 7
  Text("ago.csv", "Ago,Q\n1,0.001\n");
  // Read without a fault, the list stops the assembly only for want of a catalogue.
  const auto error = [&](const std::string& rows) {
    return AssemblyError({Text("p.csv", "name,ages,source,table,at\n" + rows)});
  };
  for (const char* ages : {"0-6", "1-121", "6-1", "a-6", "1-", "-6", "", "1-6-", "1.5-6"}) {
    EXPECT_EQ(error("P," + std::string(ages) + ",src.csv,Q,\n"),
              "p.csv, line 2: ages \"" + std::string(ages) +
                  "\" are not a range such as 1-120 within 1 to 120");
  }
  const std::pair<const char*, const char*> cases[] = {
      {"P,1,src.csv,Q,\nP,2-6,src.csv,Q,\nP,7,src.csv,Q,8\nP,8-120,src.csv,Q,\n",
       "No catalogue file (header \"name,description,listed\") among the sources"},
      {"P,1-6,src.csv,Q,\nP,6-120,src.csv,Q,8\n", "p.csv, line 3: age 6 of \"P\" is filled twice"},
      {"P,1-5,src.csv,Q,\nP,8-120,src.csv,Q,\nP,7,src.csv,Q,9\n",
       "p.csv, line 2: no row fills age 6 of \"P\""},
      {"P,1-120,src.csv,Q,\n", "src.csv, table Q, age 7: no rate (needed for \"P\")"},
      {"P,1-120,src.csv,Q,x\n", "p.csv, line 2: \"at\" must be an age, not \"x\""},
      {"P,1-120,ago.csv,Q,\n", "ago.csv: no header row beginning with \"Age\""},
  };
  for (const auto& [rows, message] : cases) EXPECT_EQ(error(rows), message) << rows;
}

// A scale turned into a table holds no negative improvement; a published list takes its ages
// from an XTbML table and a CSV column.
TEST_F(Sources, ScaleAndPublishedListsBecomeTables) {
  Text("s.csv", "Age,2010,2011\n20,0.3,-0.01\n21,0.1,0.02\n");
  const std::string xml = testing::Source("data/tables/published/xtbml/t2801.xml").string();
  const SourceSet set = ReadSources({Text("l.csv", "scale,source,table,generational\nS,s.csv,,\n"),
                                     Text("p.csv", "name,ages,source,table,at\nP,1-60," + xml +
                                                       ",1,\nP,61-120,s.csv,2011,21\n")});
  const auto &s = set.tables.at(0).micro, &p = set.tables.at(1).micro;
  EXPECT_EQ((std::vector{s[19], s[20], s[21], s[22], p[1], p[60], p[61], p[120]}),
            (std::vector<std::int32_t>{0, 0, 20000, 20000, 380, 4856, 20000, 20000}));
}

}  // namespace
}  // namespace orvane::sources
