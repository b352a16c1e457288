#include "sources/table_sources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "sources/decimal_rate.h"
#include "sources/source_error.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::sources {
namespace {

using tables::testing::ScratchFolder;

TEST(TableCellRate, ReadsSpreadsheetNumbersExactlyInMillionths) {
  EXPECT_EQ(ReadRate("0.000637", "cell", RatePolicy::kTableCell), 637);
  EXPECT_EQ(ReadRate(" 0.25 ", "cell", RatePolicy::kTableCell), 250000);
  EXPECT_EQ(ReadRate(".5", "cell", RatePolicy::kTableCell), 500000);
  EXPECT_EQ(ReadRate("0", "cell", RatePolicy::kTableCell), 0);
  EXPECT_EQ(ReadRate("0.999999", "cell", RatePolicy::kTableCell), 999999);
  EXPECT_EQ(ReadRate("6.37E-04", "cell", RatePolicy::kTableCell), 637);
  EXPECT_EQ(ReadRate("5e-6", "cell", RatePolicy::kTableCell), 5);
  EXPECT_EQ(ReadRate("0.1234560", "cell", RatePolicy::kTableCell),
            123456);  // a trailing zero is no seventh decimal
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"", "cell: no value"},
      {"1", "cell: value 1 is outside 0 to 0.999999 (the file cannot hold 1: write 0.999999)"},
      {"1.000000",
       "cell: value 1.000000 is outside 0 to 0.999999 (the file cannot hold 1: "
       "write 0.999999)"},
      {"-0.1",
       "cell: value -0.1 is outside 0 to 0.999999 (the file cannot hold 1: write "
       "0.999999)"},
      {"0.0000001", "cell: value 0.0000001 has more than 6 decimals"},
      {"1.5e-7", "cell: value 1.5e-7 has more than 6 decimals"},
      {"abc", "cell: \"abc\" is not a number from 0 to 0.999999"},
      {"5%", "cell: \"5%\" is not a number from 0 to 0.999999"},
      {"1e", "cell: \"1e\" is not a number from 0 to 0.999999"},
      {"0.1.2", "cell: \"0.1.2\" is not a number from 0 to 0.999999"}};
  for (const auto& [text, message] : refused) {
    try {
      ReadRate(text, "cell", RatePolicy::kTableCell);
      ADD_FAILURE() << text << " was accepted";
    } catch (const SourceError& error) {
      EXPECT_EQ(error.what(), message);
    }
  }
}

class Sources : public ::testing::Test {
 protected:
  // Writes a table file "age,<header>" with ages 1..120, each row `row(age)`.
  std::filesystem::path TableFile(const std::string& name, const std::string& header,
                                  const std::function<std::string(int)>& row) {
    std::ofstream out(folder_ / name, std::ios::binary);
    out << "age," << header << "\n";
    for (int age = 1; age <= 120; ++age) {
      const std::string text = row(age);
      if (!text.empty())
        out << text << "\n";
    }
    return folder_ / name;
  }
  std::filesystem::path Text(const std::string& name, const std::string& text) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
    return folder_ / name;
  }
  std::string ErrorOf(const std::vector<std::filesystem::path>& files) {
    try {
      AssembleDataFile(ReadSources(files));
    } catch (const SourceError& error) {
      return error.what();
    }
    return "no error";
  }
  std::string Name(const std::string& file) const { return (folder_ / file).string(); }

  ScratchFolder folder_;
};

TEST_F(Sources, ReadsAWideFileAndACatalogueAsASpreadsheetSavesThem) {
  const auto rates = TableFile("rates.csv", "M-Proj,Wide 1,", [](int age) {
    return std::to_string(age) + ",0.02," + std::to_string(age) + "E-06,\r";
  });
  const auto catalogue = Text("catalogue.csv",
                              "\xEF\xBB\xBFname,description,listed\r\n"
                              "Wide 1,\"Wide, with a comma and \"\"quotes\"\"\",yes\r\n"
                              "\r\n"
                              "M-Proj,Scale,NO\r\n");
  const DataFileContent content = AssembleDataFile(ReadSources({rates, catalogue}));
  // The loader's own table comes first in the directory, whatever the catalogue file's order.
  ASSERT_EQ(content.tables.size(), 2u);
  EXPECT_EQ(content.tables[1].name, "Wide 1  ");
  EXPECT_EQ(content.tables[1].description, "Wide, with a comma and \"quotes\"");
  EXPECT_EQ(content.tables[1].micro[120], 120);
  EXPECT_EQ(content.tables[0].name, "M-Proj  ");
  EXPECT_EQ(content.tables[0].micro[1], 20000);
  EXPECT_EQ(content.catalogue, std::vector<std::string>{"Wide 1  "});
}

TEST_F(Sources, NamesTheFileLineAndColumnOfABadCell) {
  const auto catalogue = Text("catalogue.csv", "name,description,listed\nT,a table,yes\n");
  const auto value_at = [](int bad_age, const std::string& bad) {
    return [=](int age) { return std::to_string(age) + "," + (age == bad_age ? bad : "0.01"); };
  };
  EXPECT_EQ(ErrorOf({TableFile("a.csv", "T", value_at(10, "1")), catalogue}),
            Name("a.csv") +
                ", line 11, column 2 (\"T       \", age 10): value 1 is outside 0 to "
                "0.999999 (the file cannot hold 1: write 0.999999)");
  EXPECT_EQ(ErrorOf({TableFile("b.csv", "T", value_at(57, "0.0123456")), catalogue}),
            Name("b.csv") +
                ", line 58, column 2 (\"T       \", age 57): value 0.0123456 has "
                "more than 6 decimals");
  EXPECT_EQ(ErrorOf({TableFile("c.csv", "T", value_at(3, "")), catalogue}),
            Name("c.csv") + ", line 4, column 2 (\"T       \", age 3): no value");
  EXPECT_EQ(
      ErrorOf({TableFile("d.csv", "T",
                         [](int age) { return age == 57 ? "" : std::to_string(age) + ",0.01"; }),
               catalogue}),
      Name("d.csv") +
          ", line 58, column 1: age 57 is missing (found \"58\"; ages run from "
          "1 to 120 in order)");
  EXPECT_EQ(
      ErrorOf({TableFile("e.csv", "T",
                         [](int age) { return age == 120 ? "" : std::to_string(age) + ",0.01"; }),
               catalogue}),
      Name("e.csv") +
          ", line 121, column 1: age 120 is missing (the rows end after age "
          "119)");
  EXPECT_EQ(ErrorOf({TableFile("f.csv", "TooLongName", value_at(0, "")), catalogue}),
            Name("f.csv") +
                ", line 1, column 2: the table name \"TooLongName\" is longer than 8 "
                "characters");
  EXPECT_EQ(ErrorOf({Text("g.csv", "rate,T\n"), catalogue}),
            Name("g.csv") +
                ", line 1, column 1: the first row must begin with \"age\" (a table "
                "file) or \"name\" (the catalogue), not \"rate\"");
  EXPECT_EQ(ErrorOf({Text("h.csv", "name,description,listed\nT,\"a table,yes\n"), catalogue}),
            Name("h.csv") + ", line 2: a quoted field is not closed");
}

TEST_F(Sources, TheCatalogueAndTheTablesMustMatch) {
  const auto t = TableFile("t.csv", "T", [](int age) { return std::to_string(age) + ",0"; });
  const auto u = TableFile("u.csv", "U,T", [](int age) { return std::to_string(age) + ",0,0"; });
  const auto catalogue = Text("catalogue.csv", "name,description,listed\nT,a table,yes\n");
  EXPECT_EQ(ErrorOf({t}),
            "No catalogue file (header \"name,description,listed\") among the sources");
  EXPECT_EQ(ErrorOf({t, catalogue, catalogue}), "More than one catalogue file among the sources");
  EXPECT_EQ(ErrorOf({t, u, catalogue}), "Table \"T       \" is given twice: " + Name("t.csv") +
                                            ", column 2 and " + Name("u.csv") + ", column 3");
  EXPECT_EQ(ErrorOf({t, Text("two.csv", "name,description,listed\nT,a,yes\nV,b,no\n")}),
            Name("two.csv") + ", line 3: no table file has a column \"V       \"");
  EXPECT_EQ(ErrorOf({t, Text("none.csv", "name,description,listed\n")}),
            Name("t.csv") + ", column 2: table \"T       \" has no row in the catalogue file");
  EXPECT_EQ(ErrorOf({t, Text("dup.csv", "name,description,listed\nT,a,yes\nT,b,yes\n")}),
            Name("dup.csv") + ", line 3: table \"T       \" has a row already at " +
                Name("dup.csv") + ", line 2");
  EXPECT_EQ(ErrorOf({t, Text("listed.csv", "name,description,listed\nT,a,maybe\n")}),
            Name("listed.csv") + ", line 2, column 3: \"listed\" must be yes or no, not \"maybe\"");
  EXPECT_EQ(ErrorOf({t, Text("lead.csv", "name,description,listed\n T,a,yes\n")}),
            Name("lead.csv") +
                ", line 2, column 1: the table name \" T\" begins with a blank, "
                "which the loader would drop");
}

}  // namespace
}  // namespace orvane::sources
