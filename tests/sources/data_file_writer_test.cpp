#include "sources/data_file_writer.h"

#include <gtest/gtest.h>

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
  NamedTable table;
  table.name = name;
  table.description = description;
  for (int age = 1; age <= kTableAges; ++age) {
    table.micro[static_cast<std::size_t>(age)] = std::min(age * step, kLargestMicro);
  }
  return table;
}

tables::TableStore Store(const std::filesystem::path& file) {
  return tables::TableStore(file, [] {
    ADD_FAILURE() << "a block past the end of the file was read";
    return tables::RetryAnswer::kCancel;
  });
}

// The writer's file read back through the store: every value, the list and the check.
TEST(DataFileWriter, WritesWhatTheReaderReads) {
  ScratchFolder folder;
  DataFileContent content;
  for (const std::string_view name : tables::format::kLoaderTables) {
    content.tables.push_back(MakeTable(std::string(name), "about " + std::string(name), 0));
  }
  // A description of the longest field, values up to the largest, and 37 more tables so that
  // the directory takes three blocks (48 entries with the catalogue's).
  content.tables.push_back(MakeTable("Longest ", std::string(124, 'x'), 8334));
  for (int i = 0; i < 37; ++i) {
    content.tables.push_back(
        MakeTable(std::string("T").append(std::to_string(100 + i)).append("    "), "", 17 * i));
  }
  content.catalogue = {"Longest ", "None    ", "T136    ", "Missing "};
  WriteDataFile(folder / "MortalityTables", content);

  tables::TableStore store = Store(folder / "MortalityTables");
  EXPECT_EQ(tables::TableStore::AscValue(store.ReadDataAt(0), 2), 2u);
  tables::TableRequest request;
  for (const NamedTable& table : content.tables) {
    request.TableName = table.name;
    const valuation::QTable q = store.LoadTable(request);
    for (int age = 1; age <= kTableAges; ++age) {
      ASSERT_EQ(q.at(age), table.micro[static_cast<std::size_t>(age)] / 1e6)
          << table.name << " " << age;
    }
  }
  request.TableName = "Longest";
  EXPECT_EQ(store.LoadTable(request).at(120), 0.999999);
  EXPECT_EQ(store.GetTableList(),
            (std::vector<std::string>{"Longest  " + std::string(124, 'x'),
                                      "None     about None    ", "T136     ", "Missing "}));
  const CheckReport report = CheckDataFile(folder / "MortalityTables");
  EXPECT_EQ(report.problems,
            std::vector<std::string>{"The catalogue lists \"Missing \", which has no table file"});
  EXPECT_EQ(report.tables_read, 47);
  EXPECT_EQ(report.catalogue_names, 4);
}

TEST(DataFileWriter, EndsTheCatalogueWithABlankNameUnlessTenBlocksAreFull) {
  ScratchFolder folder;
  for (const int count : {31, 32, 320}) {
    DataFileContent content;
    for (int i = 0; i < count; ++i)
      content.catalogue.push_back(std::string("N").append(std::to_string(1000 + i)).append("   "));
    const std::string bytes = EncodeDataFile(content);
    // One directory block, then the catalogue: 31 names and a blank fit one block, 32 need a
    // second for the blank, 320 fill ten blocks and need none.
    EXPECT_EQ(bytes.size(), 256u * (1 + (count == 31 ? 1 : count == 32 ? 2 : 10))) << count;
    WriteDataFile(folder / "MortalityTables", content);
    EXPECT_EQ(Store(folder / "MortalityTables").GetTableList().size(),
              static_cast<std::size_t>(count));
  }
}

TEST(DataFileWriter, RefusesWhatTheFormatCannotHold) {
  DataFileContent content;
  content.tables.push_back(MakeTable("Rates   ", "", 0));
  content.tables.back().micro[57] = 1000000;
  try {
    EncodeDataFile(content);
    FAIL() << "no error";
  } catch (const SourceError& error) {
    EXPECT_STREQ(error.what(), "Table \"Rates   \", age 57: value outside 0 to 0.999999");
  }
  content.tables = {MakeTable("Rates   ", std::string(125, 'x'), 0)};
  EXPECT_THROW(EncodeDataFile(content), SourceError);
  content.tables = {MakeTable("Short", "", 0)};
  EXPECT_THROW(EncodeDataFile(content), SourceError);
  content.tables.clear();
  content.catalogue.assign(321, "Name    ");
  EXPECT_THROW(EncodeDataFile(content), SourceError);
}

TEST(DataFileCheck, ReportsMalformedFiles) {
  ScratchFolder folder;
  tables::testing::BlockFileBuilder file;
  file.Entry(0, 1, "INDEX13", file.AppendCatalogue({"Broken", "Gone"}));
  std::vector<std::string> fields{"header", "broken"};
  for (int i = 0; i < 30; ++i) fields.push_back(std::string("\x00\x00\xA1", 3));
  file.Entry(0, 2, "Broken", file.AppendFields(fields));
  file.Entry(0, 3, "Broken", 1);
  file.Entry(0, 4, "Far", 400);
  file.Entry(0, 5, " Lead", 1);
  file.Save(folder / "MortalityTables");
  const CheckReport report = CheckDataFile(folder / "MortalityTables");
  std::vector<std::string> expected{
      "Table \"Broken  \": the value for age 1 is not 3 bytes of packed decimal digits",
      "Directory block 0, entry 3 \"Broken  \": an earlier entry has the same name, so this one "
      "is never found",
      "Directory block 0, entry 4 \"Far     \": start block 400 lies past the end of the file",
      "Directory block 0, entry 5 \" Lead   \": the name begins with a blank, which the loader "
      "drops"};
  for (const char* name : {"None    ", "M-N-Base", "F-N-Base", "M-A-Base", "F-A-Base", "M-Proj  ",
                           "F-Proj  ", "M Weight", "F Weight"}) {
    expected.push_back(std::string("The loader's table \"") + name + "\" is missing");
  }
  expected.push_back("The catalogue lists \"Gone    \", which has no table file");
  EXPECT_EQ(report.problems, expected);

  file.Truncate(256 + 10);
  file.Save(folder / "MortalityTables");
  EXPECT_EQ(CheckDataFile(folder / "MortalityTables").problems.front(),
            "The file size 266 is not a whole number of 256-byte blocks");
  EXPECT_EQ(CheckDataFile(folder / "Absent").problems,
            std::vector<std::string>{(folder / "Absent").string() + " cannot be read"});
}

}  // namespace
}  // namespace orvane::sources
