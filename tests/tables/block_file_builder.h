#pragma once

// Hand-built data files for tests. Written from the block layout directly and on purpose
// independent of the reader in tables/ and of the writer in sources/.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::tables::testing {

// The three packed-decimal bytes of a rate in millionths: 12345 -> 0x01 0x23 0x45.
std::string Packed(int micro);

class BlockFileBuilder {
 public:
  // Raw bytes from `byte` of `block`; the file grows to hold the block when needed.
  void PutText(int block, int byte, std::string_view text);
  // Directory entry k (1..16) of `block`: start block at bytes 2-3, name (blank-padded) at 8-15.
  void Entry(int block, int k, std::string name, int start);

  // Appends blocks holding `fields` (each a data string), length bytes 128 + n, a marker 255
  // where a block is full. Returns the first block.
  int AppendFields(const std::vector<std::string>& fields);
  // Appends a table file: a first field, the description and 120 rates from `micro(age)`.
  int AppendTable(const std::string& description, const std::function<int(int)>& micro);
  // Appends catalogue blocks of 8-character names, padded with blanks to whole blocks.
  int AppendCatalogue(const std::vector<std::string>& names);

  int blocks() const { return static_cast<int>(bytes_.size() / 256); }
  void Truncate(std::size_t size) { bytes_.resize(size); }
  void Save(const std::filesystem::path& file) const;

 private:
  std::string bytes_ = std::string(256, '\0');  // one zero-filled directory block
};

// A folder of its own for one test, removed afterwards.
struct ScratchFolder {
  ScratchFolder();
  ~ScratchFolder() {
    std::error_code ignored;  // a destructor must not throw
    std::filesystem::remove_all(path_, ignored);
  }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  std::filesystem::path path_;
};

// The message of what `run` throws, or "no error".
inline std::string ErrorOf(const std::function<void()>& run) try {
  run();
  return "no error";
} catch (const std::exception& error) {
  return error.what();
}

}  // namespace orvane::tables::testing
