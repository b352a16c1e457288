#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tables/table_store.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::tables {
namespace {

using testing::BlockFileBuilder;
using testing::ScratchFolder;

int Zero(int) {
  return 0;
}

class Catalogue : public ::testing::Test {
 protected:
  std::vector<std::string> List(BlockFileBuilder& file) {
    file.Save(folder_ / "MortalityTables");
    TableStore store(folder_ / "MortalityTables", [] {
      ADD_FAILURE() << "a block past the end of the file was read";
      return RetryAnswer::kCancel;
    });
    return store.GetTableList();
  }

  ScratchFolder folder_;
};

TEST_F(Catalogue, ListsNameBlankDescriptionInCatalogueOrder) {
  BlockFileBuilder file;
  file.Entry(0, 2, "None", file.AppendTable("No mortality", Zero));
  file.Entry(0, 3, "2008417e", file.AppendTable("Unisex 2008", Zero));
  file.Entry(0, 4, "Empty", file.AppendTable("", Zero));
  file.Entry(0, 1, format::kCatalogueName,
             file.AppendCatalogue({"2008417e", "None", "Absent", "Empty", "None"}));
  const std::vector<std::string> list = List(file);
  EXPECT_EQ(list, (std::vector<std::string>{"2008417e Unisex 2008", "None     No mortality",
                                            "Absent  ", "Empty    ", "None     No mortality"}));
  // The entry's first 8 characters are "None" and four blanks, not the exact name "None".
  EXPECT_EQ(list[1].substr(0, 8), "None    ");
}

TEST_F(Catalogue, ABlankNameEndsTheList) {
  BlockFileBuilder file;
  std::vector<std::string> names(40, "Absent");
  names[0] = "First";
  names[1] = "Second";
  names[2] = "        ";
  file.Entry(0, 1, "INDEX13", file.AppendCatalogue(names));
  EXPECT_EQ(List(file), (std::vector<std::string>{"First   ", "Second  "}));

  BlockFileBuilder empty;
  std::vector<std::string> blank_first(40, "Absent");
  blank_first[0] = "";
  empty.Entry(0, 1, "INDEX13", empty.AppendCatalogue(blank_first));
  EXPECT_TRUE(List(empty).empty());
}

TEST_F(Catalogue, TenFullBlocksGive320EntriesAndNoEleventhBlockIsRead) {
  BlockFileBuilder file;
  std::vector<std::string> names;
  for (int i = 0; i < 320; ++i) names.push_back(std::string("N").append(std::to_string(i)));
  file.Entry(0, 1, "INDEX13", file.AppendCatalogue(names));
  ASSERT_EQ(file.blocks(), 11);  // the file ends with the tenth catalogue block
  const std::vector<std::string> list = List(file);
  ASSERT_EQ(list.size(), 320u);
  EXPECT_EQ(list.front(), "N0      ");
  EXPECT_EQ(list.back(), "N319    ");
}

TEST_F(Catalogue, WithoutACatalogueTheListIsEmpty) {
  BlockFileBuilder file;
  file.Entry(0, 1, "None", file.AppendTable("No mortality", Zero));
  EXPECT_TRUE(List(file).empty());
}

}  // namespace
}  // namespace orvane::tables
