#include <algorithm>

#include "tables/data_file_format.h"
#include "tables/table_store.h"

namespace orvane::tables {
namespace {

using format::kLengthBase;
using format::kLongestField;
// The reader counts positions from 1, as the file's description does: the data area of every
// block begins at the position of byte kFirstFieldAt.
constexpr std::int32_t kFirstPosition = format::kFirstFieldAt + 1;

}  // namespace

void TableStore::Malformed(const std::string& what) const {
  throw TableError("Malformed table file \"" + open_table_ + "\" in " + data_file_.string() +
                   ", block " + std::to_string(NextBlock - 1) + ": " + what);
}

std::string TableStore::ReadString() {
  if (BlockBuffer.size() != static_cast<std::size_t>(kBlockSize)) {
    throw TableError("No table file of " + data_file_.string() + " is open for reading");
  }
  // Positions are 1-based as in the file's description: byte k of the block is position k + 1.
  const auto byte_at = [this](std::int32_t position) {
    return static_cast<int>(static_cast<unsigned char>(BlockBuffer[position - 1]));
  };
  std::int32_t p = BlockPosition;
  if (p > kBlockSize) {
    Malformed(
        "the field ending at byte 255 is followed by more fields without a continuation "
        "marker");
  }
  int n = byte_at(p) - kLengthBase;
  if (n > kLongestField) {
    if (p == kFirstPosition)
      Malformed("continuation marker at byte 2");
    OpenFileReadNext();
    p = kFirstPosition;
    n = byte_at(p) - kLengthBase;
    if (n > kLongestField)
      Malformed("continuation marker at byte 2");
  }
  if (n < 0) {
    Malformed("length byte " + std::to_string(n + kLengthBase) + " at byte " +
              std::to_string(p - 1) + " is below 128");
  }
  if (p + n > kBlockSize) {
    Malformed("the field of " + std::to_string(n) + " bytes at byte " + std::to_string(p - 1) +
              " runs past byte 255");
  }
  BlockPosition = p + 1 + n;
  return BlockBuffer.substr(static_cast<std::size_t>(p), static_cast<std::size_t>(n));
}

double TableStore::UnPack(std::string_view data, int length, int decimal_position) {
  if (length < 0 || static_cast<std::size_t>(length) > data.size()) {
    throw TableError("Packed decimal of " + std::to_string(data.size()) +
                     " bytes cannot be decoded as " + std::to_string(length) + " bytes");
  }
  double v = 0.0;
  for (int i = 0; i < length; ++i) {
    // Digits are not validated: a half-byte above 9 adds its face value in its place.
    const int b = static_cast<unsigned char>(data[i]);
    v = v * 100.0 + (b / 16) * 10 + (b % 16);
  }
  // Beyond 10^±400 a double is infinite or zero anyway; the clamp only bounds the loops.
  decimal_position = std::clamp(decimal_position, -400, 400);
  double scale = 1.0;
  for (int i = 0; i < decimal_position; ++i) scale *= 10.0;
  for (int i = 0; i > decimal_position; --i) scale /= 10.0;
  return v / scale;
}

}  // namespace orvane::tables
