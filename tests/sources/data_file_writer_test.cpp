// The data file writer and checker: what is written loads back through the table store, what
// the format cannot hold is refused, and a malformed file is reported problem by problem.
#include "sources/data_file_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sources/data_file_check.h"
#include "sources/source_error.h"
#include "tables/table_store.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::sources {
namespace {

using tables::testing::ScratchFolder;

NamedTable MakeTable(const std::string& name, const std::string& description, int step) {
  NamedTable table{name, description, {}, "", "", {}};
  for (int age = 1; age <= kTableAges; ++age)
    table.micro[static_cast<std::size_t>(age)] = std::min(age * step, kLargestMicro);
  return table;
}

TEST(DataFileWriter, WritesWhatTheReaderReads) {
  ScratchFolder folder;
  DataFileContent content;
  // A description of the longest field, values up to the largest, and 38 more tables so that
  // the directory takes three blocks (40 entries with the catalogue's).
  content.tables.push_back(MakeTable("Longest ", std::string(124, 'x'), 8334));
  for (int i = 0; i < 38; ++i)
    content.tables.push_back(MakeTable("T" + std::to_string(100 + i) + "    ", "", 17 * i));
  content.catalogue = {"Longest ", "T137    ", "Missing "};
  WriteDataFile(folder / "MortalityTables", content);

  tables::TableStore store(folder / "MortalityTables", nullptr);
  EXPECT_EQ(tables::TableStore::AscValue(store.ReadDataAt(0), 2), 2u);
  for (const NamedTable& table : content.tables) {
    const mortality::QTable q = store.LoadTable({.TableName = table.name});
    for (int age = 1; age <= kTableAges; ++age)
      ASSERT_EQ(q.at(age), table.micro[static_cast<std::size_t>(age)] / 1e6) << table.name << age;
  }
  EXPECT_EQ(store.GetTableList(), (std::vector<std::string>{"Longest  " + std::string(124, 'x'),
                                                            "T137     ", "Missing "}));

  // The catalogue ends with a blank name unless ten full blocks end it: 31 names and the blank
  // fit one block, 32 need a second for the blank, 320 fill ten blocks and need none.
  for (const auto& [count, blocks] : {std::pair{31, 2}, {32, 3}, {320, 11}}) {
    DataFileContent names;
    for (int i = 0; i < count; ++i)
      names.catalogue.push_back("N" + std::to_string(1000 + i) + "   ");
    EXPECT_EQ(EncodeDataFile(names).size(), 256u * blocks) << count;
    WriteDataFile(folder / "MortalityTables", names);
    EXPECT_EQ(tables::TableStore(folder / "MortalityTables", nullptr).GetTableList().size(),
              std::size_t(count));
  }
}

TEST(DataFileWriter, RefusesWhatTheFormatCannotHold) {
  DataFileContent content;
  content.tables = {MakeTable("Rates   ", "", 0)};
  content.tables.back().micro[57] = 1000000;
  EXPECT_EQ(tables::testing::ErrorOf([&] { EncodeDataFile(content); }),
            "Table \"Rates   \", age 57: value outside 0 to 0.999999");
  for (const NamedTable& bad :
       {MakeTable("Rates   ", std::string(125, 'x'), 0), MakeTable("Short", "", 0)})
    EXPECT_THROW(EncodeDataFile(DataFileContent{{bad}, {}}), SourceError);
  EXPECT_THROW(EncodeDataFile({{}, std::vector<std::string>(321, "Name    ")}), SourceError);
}

TEST(DataFileCheck, ReportsMalformedFiles) {
  ScratchFolder folder;
  tables::testing::BlockFileBuilder file;
  file.Entry(0, 1, "INDEX13", file.AppendCatalogue({"Broken", "Gone"}));
  std::vector<std::string> fields{"header", "broken"};
  for (int i = 0; i < 30; ++i) fields.push_back(std::string("\x00\x00\xA1", 3));
  file.Entry(0, 2, "Broken", file.AppendFields(fields));
  file.Entry(0, 3, "Broken", 1);
  file.Entry(0, 4, "Far", 3);  // the first block past the end
  file.Entry(0, 5, " Lead", 1);
  file.Save(folder / "MortalityTables");
  std::vector<std::string> problems = CheckDataFile(folder / "MortalityTables").problems;
  // Every table the loader reads by name is missing here; one stands for them all.
  const std::string loader_table = "The loader's table";
  EXPECT_EQ(std::count(problems.begin(), problems.end(), loader_table + " \"M-Proj  \" is missing"),
            1);
  std::erase_if(problems, [&](const std::string& p) { return p.rfind(loader_table, 0) == 0; });
  EXPECT_EQ(problems,
            (std::vector<std::string>{
                "Table \"Broken  \": the value for age 1 is not 3 bytes of packed decimal digits",
                "Directory block 0, entry 3 \"Broken  \": an earlier entry has the same name, so "
                "this one is never found",
                "Directory block 0, entry 4 \"Far     \": start block 3 lies past the end of "
                "the file",
                "Directory block 0, entry 5 \" Lead   \": the name begins with a blank, which the "
                "loader drops",
                "The catalogue lists \"Gone    \", which has no table file"}));
  file.Truncate(256 + 10);
  file.Save(folder / "MortalityTables");
  EXPECT_EQ(CheckDataFile(folder / "MortalityTables").problems.front(),
            "The file size 266 is not a whole number of 256-byte blocks");
  EXPECT_EQ(CheckDataFile(folder / "Absent").problems,
            std::vector<std::string>{(folder / "Absent").string() + " cannot be read"});
}

}  // namespace
}  // namespace orvane::sources
