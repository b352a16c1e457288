#pragma once

// Hand-built data files for tests. Written from the block layout directly and on purpose
// independent of the reader in tables/ and of the writer in sources/.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::tables::testing {

// Three packed-decimal bytes of a rate given as six digits, "012345" -> 0x01 0x23 0x45.
std::string PackedDigits(std::string_view six_digits);

// The 4-byte field of a rate given in millionths, length byte included.
std::string RateField(int micro);

class BlockFileBuilder {
 public:
  // Starts with one zero-filled directory block.
  BlockFileBuilder() : bytes_(256, '\0') {}

  // Raw bytes; the file grows to hold `block` when needed.
  void Put(int block, int byte, std::vector<int> values);
  void PutText(int block, int byte, std::string_view text);
  // Directory entry k (1..16) of `block`: start block at bytes 2-3, name (blank-padded) at 8-15.
  void Entry(int block, int k, std::string_view name, int start);
  // Bytes 0-1 of block 0.
  void LastDirectoryBlock(int last) { Put(0, 0, {last >> 8, last & 0xFF}); }

  // Appends blocks holding `fields` (each a data string), length bytes 128 + n, a marker 255
  // where a block is full. Returns the first block.
  int AppendFields(const std::vector<std::string>& fields);
  // Appends a table file: a first field, the description and 120 rates from `micro(age)`.
  int AppendTable(std::string_view description, const std::function<int(int)>& micro);
  // Appends catalogue blocks of 8-character names, padded with blanks to whole blocks.
  int AppendCatalogue(const std::vector<std::string>& names);

  int blocks() const { return static_cast<int>(bytes_.size() / 256); }
  void Truncate(std::size_t size) { bytes_.resize(size); }
  void Save(const std::filesystem::path& file) const;

 private:
  std::string bytes_;
};

// A folder of its own for one test, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace orvane::tables::testing
