#include <gtest/gtest.h>

#include <string>

#include "tables/detail/store_probe.h"
#include "tables/table_store.h"
#include "tests/tables/block_file_builder.h"

namespace orvane::tables {
namespace {

using detail::StoreProbe;
using testing::BlockFileBuilder;
using testing::PackedDigits;
using testing::RateField;
using testing::ScratchFolder;

TEST(UnPack, DecodesTwoDigitsPerByte) {
  const std::string digits = "\x01\x23\x45";
  EXPECT_EQ(TableStore::UnPack(digits, 3, 6), 0.012345);
  EXPECT_EQ(TableStore::UnPack(digits, 3, 0), 12345.0);
  EXPECT_EQ(TableStore::UnPack(digits, 0, 6), 0.0);
  EXPECT_EQ(TableStore::UnPack("\x99\x99\x99", 3, 6), 0.999999);
  // Half-bytes above 9 are not validated: 0xAB counts 10 x 10 + 11.
  EXPECT_EQ(TableStore::UnPack("\xAB", 1, 0), 111.0);
  EXPECT_EQ(TableStore::UnPack("\x01\xAB", 2, 0), 1 * 100 + 111.0);
  try {
    TableStore::UnPack("\x01\x23", 3, 6);
    FAIL() << "no error";
  } catch (const TableError& error) {
    EXPECT_STREQ(error.what(), "Packed decimal of 2 bytes cannot be decoded as 3 bytes");
  }
}

// A file whose table "T" starts at block 1 and holds the blocks written by `fill`.
class FieldFile : public ::testing::Test {
 protected:
  TableStore Open(const std::function<void(BlockFileBuilder&)>& fill) {
    BlockFileBuilder file;
    file.Entry(0, 2, "T", 1);
    fill(file);
    file.Save(folder_ / "MortalityTables");
    TableStore store(folder_ / "MortalityTables", [] { return RetryAnswer::kCancel; });
    EXPECT_EQ(store.OpenFile("T"), 1);
    return store;
  }
  std::string Path() const { return (folder_ / "MortalityTables").string(); }

  ScratchFolder folder_;
};

TEST_F(FieldFile, ReadsFieldsAndMovesThePosition) {
  TableStore store = Open([](BlockFileBuilder& file) {
    file.Put(1, 2, {0x83, 0x01, 0x23, 0x45, 0x80});
    for (int i = 0; i < 10; ++i) file.PutText(1, 7 + 4 * i, RateField(100 + i));
  });
  const std::string rate = store.ReadString();
  EXPECT_EQ(rate, PackedDigits("012345"));
  EXPECT_EQ(TableStore::UnPack(rate, 3, 6), 0.012345);
  EXPECT_EQ(StoreProbe::BlockPosition(store), 7);
  // Length byte 128: an empty field, one position on.
  EXPECT_EQ(store.ReadString(), "");
  EXPECT_EQ(StoreProbe::BlockPosition(store), 8);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(TableStore::UnPack(store.ReadString(), 3, 6), (100 + i) / 1e6);
  }
  EXPECT_EQ(StoreProbe::BlockPosition(store), 48);
}

TEST_F(FieldFile, TenRateFieldsFromPosition3LeavePosition43) {
  TableStore store = Open([](BlockFileBuilder& file) {
    for (int i = 0; i < 10; ++i) file.PutText(1, 2 + 4 * i, RateField(i));
  });
  for (int i = 0; i < 10; ++i) store.ReadString();
  EXPECT_EQ(StoreProbe::BlockPosition(store), 43);
}

TEST_F(FieldFile, EveryMarkerValueContinuesAtByte2OfTheNextBlock) {
  TableStore store = Open([](BlockFileBuilder& file) {
    file.PutText(1, 2, RateField(1));
    file.Put(1, 6, {253});
    file.PutText(2, 2, RateField(2));
    file.Put(2, 6, {254});
    file.PutText(3, 2, RateField(3));
    file.Put(3, 6, {255});
    // The last field of block 4 ends at byte 255 exactly.
    file.Put(4, 2, {128 + 124});
    file.Put(4, 127, {128 + 124});
    file.PutText(4, 252, RateField(4));
  });
  EXPECT_EQ(TableStore::UnPack(store.ReadString(), 3, 6), 0.000001);
  EXPECT_EQ(TableStore::UnPack(store.ReadString(), 3, 6), 0.000002);
  EXPECT_EQ(StoreProbe::NextBlock(store), 3);
  EXPECT_EQ(TableStore::UnPack(store.ReadString(), 3, 6), 0.000003);
  EXPECT_EQ(store.ReadString().size(), 124u);
  EXPECT_EQ(store.ReadString().size(), 124u);
  EXPECT_EQ(TableStore::UnPack(store.ReadString(), 3, 6), 0.000004);
  EXPECT_EQ(StoreProbe::BlockPosition(store), 257);
}

// The message of the TableError that `read` throws.
std::string ErrorOf(const std::function<void()>& read) {
  try {
    read();
  } catch (const TableError& error) {
    return error.what();
  }
  return "no error";
}

TEST_F(FieldFile, MalformedFieldsNameTheFileTheTableAndTheBlock) {
  const std::string prefix = "Malformed table file \"T\" in " + Path();
  {
    TableStore store = Open([](BlockFileBuilder& file) {
      file.PutText(1, 2, RateField(1));
      file.Put(1, 6, {0x05});
    });
    store.ReadString();
    EXPECT_EQ(ErrorOf([&] { store.ReadString(); }),
              prefix + ", block 1: length byte 5 at byte 6 is below 128");
  }
  {
    // A field ends at byte 255 and a further field is asked for: no marker, no length byte.
    TableStore store = Open([](BlockFileBuilder& file) {
      file.Put(1, 2, {128 + 124});
      file.Put(1, 127, {128 + 124});
      file.PutText(1, 252, RateField(4));
    });
    for (int i = 0; i < 3; ++i) store.ReadString();
    EXPECT_EQ(ErrorOf([&] { store.ReadString(); }),
              prefix +
                  ", block 1: the field ending at byte 255 is followed by more fields "
                  "without a continuation marker");
  }
  {
    TableStore store = Open([](BlockFileBuilder& file) {
      file.PutText(1, 2, RateField(1));
      file.Put(1, 6, {255});
      file.Put(2, 2, {254});
    });
    store.ReadString();
    EXPECT_EQ(ErrorOf([&] { store.ReadString(); }),
              prefix + ", block 2: continuation marker at byte 2");
  }
  {
    TableStore store = Open([](BlockFileBuilder& file) { file.Put(1, 2, {253}); });
    EXPECT_EQ(ErrorOf([&] { store.ReadString(); }),
              prefix + ", block 1: continuation marker at byte 2");
  }
  {
    TableStore store = Open([](BlockFileBuilder& file) {
      file.PutText(1, 2, RateField(1));
      file.Put(1, 200, {128 + 60});
      file.Put(1, 6, {128 + 65});    // a 65-byte field to byte 71 ...
      file.Put(1, 72, {128 + 124});  // ... then one of 124 bytes to 196 ...
      file.Put(1, 197, {128 + 2});   // ... one of 2 bytes to 199, then 60 from 200.
    });
    for (int i = 0; i < 4; ++i) store.ReadString();
    EXPECT_EQ(ErrorOf([&] { store.ReadString(); }),
              prefix + ", block 1: the field of 60 bytes at byte 200 runs past byte 255");
  }
}

TEST_F(FieldFile, ReadingWithoutAnOpenTableIsAnError) {
  TableStore store(folder_ / "MortalityTables", [] { return RetryAnswer::kCancel; });
  EXPECT_EQ(ErrorOf([&] { store.ReadString(); }),
            "No table file of " + Path() + " is open for reading");
}

}  // namespace
}  // namespace orvane::tables
