// The data file as blocks, directory entries, fields and the catalogue, read from files built
// byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tables/detail/store_probe.h"
#include "tables/table_store.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::tables {
namespace {

using detail::StoreProbe;
using testing::BlockFileBuilder;
using testing::RateField;

// The message of the TableError that `read` throws.
std::string ErrorOf(const std::function<void()>& read) {
  try {
    read();
  } catch (const TableError& error) {
    return error.what();
  }
  return "no error";
}

class BlockFile : public ::testing::Test {
 protected:
  TableStore Open(
      const BlockFileBuilder& file, RetryQuestion ask = [] {
        ADD_FAILURE() << "the retry question was asked";
        return RetryAnswer::kCancel;
      }) {
    file.Save(Path());
    return TableStore(Path(), std::move(ask));
  }
  // A file whose table "T" starts at block 1 and holds `blocks`, each written from byte 2.
  TableStore OpenTable(const std::vector<std::string>& blocks) {
    BlockFileBuilder file;
    file.Entry(0, 2, "T", 1);
    for (std::size_t b = 0; b < blocks.size(); ++b)
      file.PutText(static_cast<int>(b) + 1, 2, blocks[b]);
    TableStore store = Open(file);
    EXPECT_EQ(store.OpenFile("T"), 1);
    return store;
  }
  std::string Path() const { return (folder_ / "MortalityTables").string(); }

  testing::ScratchFolder folder_;
};

TEST_F(BlockFile, DirectoryLooksNamesUpByteForByteOnTheirFirstEightCharacters) {
  BlockFileBuilder file;
  file.Entry(0, 2, "None", 7);
  file.Entry(0, 3, "2008417e", 9);
  file.Entry(0, 4, "abc", 11);
  file.Put(11, 0, {0});
  TableStore store = Open(file);
  EXPECT_EQ(store.LocationFile("None"), 7);
  EXPECT_EQ(store.LocationFile("None    "), 7);
  EXPECT_EQ(store.LocationFile("NONE"), 0);
  EXPECT_EQ(store.LocationFile("2008417e Computed unisex table"), 9);
  // OpenFile trims the name first; LocationFile keeps the leading blank.
  EXPECT_EQ(store.OpenFile("  abc   "), 11);
  EXPECT_EQ(store.LocationFile(" abc"), 0);
  const std::int64_t tries = StoreProbe::Tries(store);
  EXPECT_EQ(store.OpenFile("        "), 0);
  EXPECT_EQ(StoreProbe::Tries(store), tries);  // a blank name reads nothing
  // An absent name scans the directory and leaves the cursor on block 0.
  EXPECT_EQ(store.OpenFile("Missing"), 0);
  EXPECT_EQ(StoreProbe::NextBlock(store), 1);
  EXPECT_EQ(StoreProbe::BlockPosition(store), 3);
}

TEST_F(BlockFile, DirectorySearchesBlocksZeroToLAndReturnsTheFirstMatch) {
  BlockFileBuilder file;
  file.Entry(1, 1, "InBlock1", 40);
  file.Entry(1, 2, "Twice", 41);
  file.Entry(0, 16, "Twice", 42);
  file.Entry(0, 3, "Same", 43);
  file.Entry(0, 5, "Same", 44);
  // Entry 1 of block 0 shares its first bytes with L but is searched like any other.
  file.Entry(0, 1, "First", 45);
  file.Entry(0, 6, "AtZero", 0);
  TableStore store = Open(file);
  EXPECT_EQ(store.LocationFile("InBlock1"), 0);
  EXPECT_EQ(store.LocationFile("Twice"), 42);
  EXPECT_EQ(store.LocationFile("Same"), 43);
  EXPECT_EQ(store.LocationFile("First"), 45);
  EXPECT_EQ(store.OpenFile("AtZero"), 0);  // start block 0 means absent
  file.LastDirectoryBlock(1);
  file.Save(Path());
  EXPECT_EQ(store.LocationFile("InBlock1"), 40);
  EXPECT_EQ(store.LocationFile("Twice"), 42);
}

TEST_F(BlockFile, ReadsTheBlockAtItsOffsetAndFailsPastTheEndOrOnTheSentinel) {
  BlockFileBuilder file;
  file.PutText(1, 0, "File Not Read   and more");
  file.PutText(2, 0, "third block");
  file.PutText(2, 250, "ending");
  file.Put(3, 0, {1});
  file.Truncate(3 * 256 + 255);  // block 3 is one byte short
  int questions = 0;
  TableStore store = Open(file, [&] {
    ++questions;
    return RetryAnswer::kCancel;
  });
  const std::string block = store.ReadDataAt(2);
  ASSERT_EQ(block.size(), 256u);
  EXPECT_EQ(block.substr(0, 11), "third block");
  EXPECT_EQ(block.substr(250), "ending");
  for (const std::int32_t location : {1, 3, 4, 70000, -1}) {
    const std::int64_t before = StoreProbe::Tries(store);
    EXPECT_THROW(store.ReadDataAt(location), DataFileUnavailable) << location;
    EXPECT_EQ(StoreProbe::Tries(store) - before, 1000) << location;
  }
  EXPECT_EQ(questions, 5);
  EXPECT_EQ(StoreProbe::BlocksRead(store), 1);
  EXPECT_EQ(TableStore::AscValue("\x01\x02", 2), 258u);
  EXPECT_EQ(TableStore::AscValue("\xFF\xFF\x07", 2), 65535u);
  EXPECT_EQ(TableStore::AscValue("\x80", 2), 128u);
}

TEST_F(BlockFile, AMissingFileTakesASeriesOfTriesBeforeEachQuestion) {
  std::vector<std::int64_t> tries_when_asked;
  TableStore* seen = nullptr;
  const auto ask = [&] {
    tries_when_asked.push_back(StoreProbe::Tries(*seen));
    return tries_when_asked.size() < 3 ? RetryAnswer::kRetry : RetryAnswer::kCancel;
  };
  TableStore store(Path(), ask);
  seen = &store;
  EXPECT_EQ(ErrorOf([&] { store.ReadDataAt(0); }), "Data File not available");
  EXPECT_EQ(tries_when_asked, (std::vector<std::int64_t>{1000, 1999, 2998}));

  // The owner's counts replace the series lengths; a count below one is one try.
  tries_when_asked.clear();
  TableStore owned(Path(), ask, ReadTries{3, 2});
  seen = &owned;
  EXPECT_THROW(owned.ReadDataAt(0), DataFileUnavailable);
  EXPECT_EQ(tries_when_asked, (std::vector<std::int64_t>{3, 5, 7}));
  tries_when_asked.clear();
  TableStore least(Path(), ask, ReadTries{0, -5});
  seen = &least;
  EXPECT_THROW(least.ReadDataAt(0), DataFileUnavailable);
  EXPECT_EQ(tries_when_asked, (std::vector<std::int64_t>{1, 2, 3}));
  // A file that arrives is read by the next try.
  BlockFileBuilder file;
  file.PutText(0, 16, "arrived");
  file.Save(Path());
  EXPECT_EQ(owned.ReadDataAt(0).substr(16, 7), "arrived");

  // Without a question to ask the answer is Cancel.
  TableStore alone(folder_ / "Absent", nullptr);
  EXPECT_THROW(alone.ReadDataAt(0), DataFileUnavailable);
  EXPECT_EQ(StoreProbe::Tries(alone), 1000);
}

TEST(TableStoreText, UnPacksDigitPairsAndClearsBlanks) {
  EXPECT_EQ(TableStore::UnPack("\x01\x23\x45", 3, 6), 0.012345);
  EXPECT_EQ(TableStore::UnPack("\x01\x23\x45", 3, 0), 12345.0);
  EXPECT_DOUBLE_EQ(TableStore::UnPack("\x01\x23\x45", 2, -2), 12300.0);
  EXPECT_EQ(TableStore::UnPack("\x99\x99\x99", 3, 6), 0.999999);
  // Half-bytes above 9 are not validated: 0xAB counts 10 x 10 + 11.
  EXPECT_EQ(TableStore::UnPack("\x01\xAB", 2, 0), 1 * 100 + 111.0);
  EXPECT_EQ(ErrorOf([] { TableStore::UnPack("\x01\x23", 3, 6); }),
            "Packed decimal of 2 bytes cannot be decoded as 3 bytes");
  std::string text = "  ab c  ";
  EXPECT_EQ(TableStore::ClearBlanks(text), "ab c");
  EXPECT_EQ(text, "ab c");
  std::string blanks = "    ";
  EXPECT_EQ(TableStore::ClearBlanks(blanks), "");
  std::string tabbed = "\tab\t";
  EXPECT_EQ(TableStore::ClearBlanks(tabbed), "\tab\t");
}

// A field of n bytes with its length byte.
std::string Field(int n) {
  return static_cast<char>(128 + n) + std::string(static_cast<std::size_t>(n), 'x');
}

TEST_F(BlockFile, FieldsMoveThePositionAndEveryMarkerContinuesAtByte2OfTheNextBlock) {
  std::string first = Field(0);
  for (int i = 0; i < 10; ++i) first += RateField(100 + i);
  // The last field of block 4 ends at byte 255 exactly.
  TableStore store = OpenTable({first + "\xFD", RateField(2) + "\xFE", RateField(3) + "\xFF",
                                Field(124) + Field(124) + RateField(4)});
  const auto rate = [&] { return TableStore::UnPack(store.ReadString(), 3, 6); };
  EXPECT_EQ(store.ReadString(), "");
  EXPECT_EQ(StoreProbe::BlockPosition(store), 4);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(rate(), (100 + i) / 1e6);
  EXPECT_EQ(StoreProbe::BlockPosition(store), 44);
  EXPECT_EQ(rate(), 0.000002);
  EXPECT_EQ(rate(), 0.000003);
  EXPECT_EQ(StoreProbe::NextBlock(store), 4);
  EXPECT_EQ(store.ReadString().size(), 124u);
  EXPECT_EQ(store.ReadString().size(), 124u);
  EXPECT_EQ(rate(), 0.000004);
  EXPECT_EQ(StoreProbe::BlockPosition(store), 257);
}

TEST_F(BlockFile, MalformedFieldsNameTheFileTheTableAndTheBlock) {
  struct Case {
    std::vector<std::string> blocks;
    int good_fields;
    std::string message;
  };
  const Case cases[] = {
      {{RateField(1) + "\x05"}, 1, "block 1: length byte 5 at byte 6 is below 128"},
      {{Field(124) + Field(124) + RateField(4)},
       3,
       "block 1: the field ending at byte 255 is followed by more fields without a "
       "continuation marker"},
      {{RateField(1) + "\xFF", "\xFE"}, 1, "block 2: continuation marker at byte 2"},
      {{"\xFD"}, 0, "block 1: continuation marker at byte 2"},
      // 2 + 4 + 66 + 125 + 3 = byte 200, and 1 + 56 bytes from there run one past byte 255.
      {{RateField(1) + Field(65) + Field(124) + Field(2) + Field(56)},
       4,
       "block 1: the field of 56 bytes at byte 200 runs past byte 255"},
  };
  for (const Case& c : cases) {
    TableStore store = OpenTable(c.blocks);
    for (int i = 0; i < c.good_fields; ++i) store.ReadString();
    EXPECT_EQ(ErrorOf([&] { store.ReadString(); }),
              "Malformed table file \"T\" in " + Path() + ", " + c.message);
  }
  TableStore unopened(Path(), nullptr);
  EXPECT_EQ(ErrorOf([&] { unopened.ReadString(); }),
            "No table file of " + Path() + " is open for reading");
}

TEST_F(BlockFile, TheCatalogueListsNameBlankDescriptionUpToABlankNameOrTenBlocks) {
  const auto zero = [](int) { return 0; };
  BlockFileBuilder file;
  file.Entry(0, 2, "None", file.AppendTable("No mortality", zero));
  file.Entry(0, 3, "2008417e", file.AppendTable("Unisex 2008", zero));
  file.Entry(0, 4, "Empty", file.AppendTable("", zero));
  EXPECT_TRUE(Open(file).GetTableList().empty());
  file.Entry(0, 1, format::kCatalogueName,
             file.AppendCatalogue({"2008417e", "None", "Absent", "Empty", "None", "", "Never"}));
  EXPECT_EQ(Open(file).GetTableList(),
            (std::vector<std::string>{"2008417e Unisex 2008", "None     No mortality", "Absent  ",
                                      "Empty    ", "None     No mortality"}));

  BlockFileBuilder full;
  std::vector<std::string> names;
  for (int i = 0; i < 320; ++i) names.push_back("N" + std::to_string(i));
  full.Entry(0, 1, "INDEX13", full.AppendCatalogue(names));
  ASSERT_EQ(full.blocks(), 11);  // the file ends with the tenth catalogue block
  const std::vector<std::string> list = Open(full).GetTableList();
  ASSERT_EQ(list.size(), 320u);
  EXPECT_EQ(list.back(), "N319    ");
}

}  // namespace
}  // namespace orvane::tables
