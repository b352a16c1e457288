#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tables/detail/store_probe.h"
#include "tables/table_store.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::tables {
namespace {

using detail::StoreProbe;
using testing::BlockFileBuilder;
using testing::ScratchFolder;

TEST(ReadTries, TheOwnersCountsReplaceTheSeriesLengths) {
  ScratchFolder folder;
  std::vector<std::int64_t> tries_when_asked;
  TableStore* seen = nullptr;
  TableStore store(
      folder / "MortalityTables",
      [&] {
        tries_when_asked.push_back(StoreProbe::Tries(*seen));
        return tries_when_asked.size() < 3 ? RetryAnswer::kRetry : RetryAnswer::kCancel;
      },
      ReadTries{3, 2});
  seen = &store;
  EXPECT_THROW(store.ReadDataAt(0), DataFileUnavailable);
  EXPECT_EQ(tries_when_asked, (std::vector<std::int64_t>{3, 5, 7}));

  // A block that arrives in the file is read by the next try, whatever the counts.
  BlockFileBuilder file;
  file.PutText(0, 16, "arrived");
  file.Save(folder / "MortalityTables");
  EXPECT_EQ(store.ReadDataAt(0).substr(16, 7), "arrived");
}

TEST(ReadTries, CountsBelowOneAreOneTry) {
  ScratchFolder folder;
  int questions = 0;
  TableStore store(
      folder / "MortalityTables",
      [&] { return ++questions < 2 ? RetryAnswer::kRetry : RetryAnswer::kCancel; },
      ReadTries{0, -5});
  EXPECT_THROW(store.ReadDataAt(0), DataFileUnavailable);
  EXPECT_EQ(questions, 2);
  EXPECT_EQ(StoreProbe::Tries(store), 2);
}

}  // namespace
}  // namespace orvane::tables
