#include "tests/tables/block_file_builder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <fstream>

namespace orvane::tables::testing {

std::string Packed(int micro) {
  std::string bytes(3, '\0');
  for (int i = 2; i >= 0; --i, micro /= 100)
    bytes[i] = static_cast<char>(micro % 100 / 10 * 16 + micro % 10);
  return bytes;
}

void BlockFileBuilder::PutText(int block, int byte, std::string_view text) {
  const std::size_t end = (static_cast<std::size_t>(block) + 1) * 256;
  bytes_.resize(std::max(bytes_.size(), end), '\0');
  bytes_.replace(end - 256 + static_cast<std::size_t>(byte), text.size(), text);
}

void BlockFileBuilder::Entry(int block, int k, std::string name, int start) {
  PutText(block, (k - 1) * 16 + 2,
          std::string{static_cast<char>(start >> 8), static_cast<char>(start)});
  PutText(block, (k - 1) * 16 + 8, name.append(8, ' ').substr(0, 8));
}

int BlockFileBuilder::AppendFields(const std::vector<std::string>& fields) {
  const int first = blocks();
  int block = first;
  int at = 2;
  PutText(block, 0, "");
  for (const std::string& field : fields) {
    // Keep a byte free for the marker after every field.
    if (at + 1 + static_cast<int>(field.size()) > 255) {
      PutText(block++, at, "\xFF");
      at = 2;
    }
    PutText(block, at, static_cast<char>(128 + field.size()) + field);
    at += 1 + static_cast<int>(field.size());
  }
  return first;
}

int BlockFileBuilder::AppendTable(const std::string& description,
                                  const std::function<int(int)>& micro) {
  std::vector<std::string> fields{"header", description};
  for (int age = 1; age <= 120; ++age) fields.push_back(Packed(micro(age)));
  return AppendFields(fields);
}

int BlockFileBuilder::AppendCatalogue(const std::vector<std::string>& names) {
  const int first = blocks();
  for (std::string name : names) bytes_ += name.append(8, ' ').substr(0, 8);
  bytes_.resize((bytes_.size() + 255) / 256 * 256, ' ');
  return first;
}

void BlockFileBuilder::Save(const std::filesystem::path& file) const {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
  ASSERT_TRUE(out.good()) << file;
}

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          ("orvane_tables_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

}  // namespace orvane::tables::testing
