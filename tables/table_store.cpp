#include "tables/table_store.h"

#include <algorithm>
#include <utility>

#include "mortality/table_name.h"
#include "tables/data_file_format.h"
#include "tables/detail/block_file.h"

namespace orvane::tables {
namespace {

// Written into every fresh buffer; a try whose buffer still starts with it has failed.
constexpr std::string_view kSentinel = "File Not Read   ";
using format::kEntriesPerBlock;
using format::kEntryLength;
using format::kNameLength;

}  // namespace

TableStore::TableStore(std::filesystem::path data_file, RetryQuestion ask, ReadTries tries)
    : data_file_(std::move(data_file)),
      ask_(std::move(ask)),
      read_tries_{std::max(1, tries.first_series), std::max(1, tries.later_series)} {}

std::string TableStore::ReadDataAt(std::int32_t location) {
  int tries_in_series = read_tries_.first_series;
  for (;;) {
    for (int attempt = 1; attempt <= tries_in_series; ++attempt) {
      ++tries_;
      std::string buffer(kBlockSize, ' ');
      buffer.replace(0, kSentinel.size(), kSentinel);
      if (detail::TryReadBlock(data_file_, location, buffer) &&
          std::string_view(buffer).substr(0, kSentinel.size()) != kSentinel) {
        ++blocks_read_;
        return buffer;
      }
    }
    // The owner decides; without a question to ask, the answer is Cancel.
    if (!ask_ || ask_() == RetryAnswer::kCancel)
      throw DataFileUnavailable();
    tries_in_series = read_tries_.later_series;
  }
}

std::uint32_t TableStore::AscValue(std::string_view data, int length) {
  std::uint32_t value = 0;
  for (int i = 0; i < length && static_cast<std::size_t>(i) < data.size(); ++i) {
    value = value * 256u + static_cast<unsigned char>(data[i]);
  }
  return value;
}

std::int32_t TableStore::LocationFile(std::string_view name) {
  const std::string key = mortality::PaddedName(name);
  const std::int32_t last_block = static_cast<std::int32_t>(AscValue(ReadDataAt(0), 2));
  for (std::int32_t b = 0; b <= last_block; ++b) {
    const std::string block = ReadDataAt(b);
    for (int k = 1; k <= kEntriesPerBlock; ++k) {
      const std::size_t entry = static_cast<std::size_t>((k - 1) * kEntryLength);
      if (std::string_view(block).substr(entry + format::kEntryNameAt, kNameLength) == key) {
        return static_cast<std::int32_t>(
            AscValue(std::string_view(block).substr(entry + format::kEntryStartAt), 2));
      }
    }
  }
  return 0;
}

std::int32_t TableStore::OpenFile(std::string_view name) {
  std::string trimmed(name);
  ClearBlanks(trimmed);
  if (trimmed.empty())
    return 0;
  const std::int32_t start = LocationFile(trimmed);
  // An absent name positions the cursor on block 0, the directory; callers read no field then.
  OpenAt(start, trimmed);
  return start;
}

void TableStore::OpenAt(std::int32_t start, const std::string& name) {
  NextBlock = start;
  OpenFileReadNext();
  open_table_ = name;
}

void TableStore::OpenFileReadNext() {
  BlockBuffer = ReadDataAt(NextBlock);
  BlockPosition = 3;
  ++NextBlock;
}

std::string TableStore::ClearBlanks(std::string& temp) {
  const std::size_t first = temp.find_first_not_of(' ');
  if (first == std::string::npos) {
    temp.clear();
  } else {
    temp.erase(temp.find_last_not_of(' ') + 1);
    temp.erase(0, first);
  }
  return temp;
}

}  // namespace orvane::tables
