#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tables/detail/store_probe.h"
#include "tables/table_store.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::tables {
namespace {

using detail::StoreProbe;
using testing::BlockFileBuilder;
using testing::ScratchFolder;

RetryAnswer NeverAsked() {
  ADD_FAILURE() << "the retry question was asked";
  return RetryAnswer::kCancel;
}

TEST(Directory, LooksNamesUpByteForByteOnTheirFirstEightCharacters) {
  ScratchFolder folder;
  BlockFileBuilder file;
  file.Entry(0, 2, "None", 7);
  file.Entry(0, 3, "2008417e", 9);
  file.Entry(0, 4, "abc", 11);
  file.Put(11, 0, {0});  // OpenFile loads the first block of the table file
  file.Save(folder / "MortalityTables");
  TableStore store(folder / "MortalityTables", NeverAsked);

  EXPECT_EQ(store.LocationFile("None"), 7);  // padded to "None    "
  EXPECT_EQ(store.LocationFile("None    "), 7);
  EXPECT_EQ(store.LocationFile("none"), 0);
  EXPECT_EQ(store.LocationFile("NONE"), 0);
  EXPECT_EQ(store.LocationFile("2008417e Computed unisex table"), 9);
  EXPECT_EQ(store.OpenFile("2008417e Computed unisex table"), 9);
  // OpenFile trims the name first; LocationFile keeps the leading blank.
  EXPECT_EQ(store.OpenFile(" abc"), 11);
  EXPECT_EQ(store.OpenFile("  abc   "), 11);
  EXPECT_EQ(store.LocationFile(" abc"), 0);
  EXPECT_EQ(store.LocationFile("abc"), 11);
}

TEST(Directory, BlankNamesReadNothingAndAbsentNamesGiveZero) {
  ScratchFolder folder;
  BlockFileBuilder file;
  file.Entry(0, 2, "Table", 3);
  file.Save(folder / "MortalityTables");
  TableStore store(folder / "MortalityTables", NeverAsked);

  EXPECT_EQ(store.OpenFile(""), 0);
  EXPECT_EQ(store.OpenFile("        "), 0);
  EXPECT_EQ(StoreProbe::Tries(store), 0);
  // An absent name scans the directory and leaves the cursor on block 0.
  EXPECT_EQ(store.OpenFile("Missing"), 0);
  EXPECT_EQ(StoreProbe::NextBlock(store), 1);
  EXPECT_EQ(StoreProbe::BlockPosition(store), 3);
}

TEST(Directory, SearchesBlocksZeroToLAndReturnsTheFirstMatch) {
  ScratchFolder folder;
  BlockFileBuilder file;
  file.Entry(1, 1, "InBlock1", 40);
  file.Entry(1, 2, "Twice", 41);
  file.Entry(0, 16, "Twice", 42);
  file.Entry(0, 3, "Same", 43);
  file.Entry(0, 5, "Same", 44);
  // Entry 1 of block 0 shares its first bytes with L but is searched like any other.
  file.Entry(0, 1, "First", 45);
  file.Entry(0, 6, "AtZero", 0);
  file.LastDirectoryBlock(0);
  file.Save(folder / "MortalityTables");
  TableStore store(folder / "MortalityTables", NeverAsked);

  // With L = 0 only block 0 is searched.
  EXPECT_EQ(store.LocationFile("InBlock1"), 0);
  EXPECT_EQ(store.LocationFile("Twice"), 42);
  EXPECT_EQ(store.LocationFile("Same"), 43);
  EXPECT_EQ(store.LocationFile("First"), 45);
  // A start block of 0 means absent, to every caller.
  EXPECT_EQ(store.OpenFile("AtZero"), 0);

  file.LastDirectoryBlock(1);
  file.Save(folder / "MortalityTables");
  EXPECT_EQ(store.LocationFile("InBlock1"), 40);
  EXPECT_EQ(store.LocationFile("Twice"), 42);  // block 0 comes before block 1
}

TEST(BlockRead, ReturnsTheBlockAtItsOffsetAndOpensTheFileAgainEachTime) {
  ScratchFolder folder;
  BlockFileBuilder file;
  file.PutText(2, 0, "third block");
  file.PutText(2, 250, "ending");
  file.Save(folder / "MortalityTables");
  TableStore store(folder / "MortalityTables", NeverAsked);

  const std::string block = store.ReadDataAt(2);
  ASSERT_EQ(block.size(), 256u);
  EXPECT_EQ(block.substr(0, 11), "third block");
  EXPECT_EQ(block.substr(250), "ending");

  // A file replaced between two reads is used from the next read on.
  BlockFileBuilder replacement;
  replacement.PutText(2, 0, "new contents");
  replacement.Save(folder / "replacement");
  std::filesystem::rename(folder / "replacement", folder / "MortalityTables");
  EXPECT_EQ(store.ReadDataAt(2).substr(0, 12), "new contents");
  EXPECT_EQ(StoreProbe::Tries(store), 2);
}

TEST(BlockRead, AMissingFileTakes1000TriesThen999AfterEachRetry) {
  ScratchFolder folder;
  int questions = 0;
  std::vector<std::int64_t> tries_when_asked;
  TableStore* seen = nullptr;
  TableStore store(folder / "MortalityTables", [&] {
    ++questions;
    tries_when_asked.push_back(StoreProbe::Tries(*seen));
    return questions < 3 ? RetryAnswer::kRetry : RetryAnswer::kCancel;
  });
  seen = &store;
  try {
    store.ReadDataAt(0);
    FAIL() << "no error";
  } catch (const DataFileUnavailable& error) {
    EXPECT_STREQ(error.what(), "Data File not available");
  }
  EXPECT_EQ(questions, 3);
  EXPECT_EQ(tries_when_asked, (std::vector<std::int64_t>{1000, 1999, 2998}));
  EXPECT_EQ(StoreProbe::BlocksRead(store), 0);
}

TEST(BlockRead, ABlockPastTheEndOrTheSentinelIsAFailedTry) {
  ScratchFolder folder;
  BlockFileBuilder file;
  file.PutText(1, 0, "File Not Read   and more");
  file.Put(2, 0, {1});
  file.Truncate(2 * 256 + 100);  // block 2 is cut short
  file.Save(folder / "MortalityTables");
  int questions = 0;
  TableStore store(folder / "MortalityTables", [&] {
    ++questions;
    return RetryAnswer::kCancel;
  });

  for (const std::int32_t location : {1, 2, 3, 70000, -1}) {
    const std::int64_t before = StoreProbe::Tries(store);
    EXPECT_THROW(store.ReadDataAt(location), DataFileUnavailable) << location;
    EXPECT_EQ(StoreProbe::Tries(store) - before, 1000) << location;
  }
  EXPECT_EQ(questions, 5);
  EXPECT_EQ(store.ReadDataAt(0).size(), 256u);
}

TEST(BlockRead, AFileThatAppearsBeforeTheRetryIsRead) {
  ScratchFolder folder;
  TableStore store(folder / "MortalityTables", [&] {
    BlockFileBuilder file;
    file.PutText(0, 16, "arrived");
    file.Save(folder / "MortalityTables");
    return RetryAnswer::kRetry;
  });
  EXPECT_EQ(store.ReadDataAt(0).substr(16, 7), "arrived");
  EXPECT_EQ(StoreProbe::Tries(store), 1001);
}

TEST(BlockRead, WithoutAQuestionTheAnswerIsCancel) {
  ScratchFolder folder;
  TableStore store(folder / "MortalityTables", nullptr);
  EXPECT_THROW(store.ReadDataAt(0), DataFileUnavailable);
  EXPECT_EQ(StoreProbe::Tries(store), 1000);
}

TEST(AscValue, ReadsBigEndianUnsignedBytes) {
  EXPECT_EQ(TableStore::AscValue("\x01\x02", 2), 258u);
  EXPECT_EQ(TableStore::AscValue("\xFF\xFF\x07", 2), 65535u);
  EXPECT_EQ(TableStore::AscValue("", 2), 0u);
  EXPECT_EQ(TableStore::AscValue("\x80", 1), 128u);
}

TEST(ClearBlanks, TrimsBlanksOnlyAndTheCallersVariable) {
  std::string text = "  ab c  ";
  EXPECT_EQ(TableStore::ClearBlanks(text), "ab c");
  EXPECT_EQ(text, "ab c");
  std::string blanks = "    ";
  EXPECT_EQ(TableStore::ClearBlanks(blanks), "");
  std::string tabbed = "\tab\t";
  EXPECT_EQ(TableStore::ClearBlanks(tabbed), "\tab\t");
}

}  // namespace
}  // namespace orvane::tables
