#include "tests/tables/block_file_builder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <fstream>

namespace orvane::tables::testing {

std::string PackedDigits(std::string_view six_digits) {
  std::string out;
  for (std::size_t i = 0; i + 1 < six_digits.size(); i += 2)
    out += static_cast<char>((six_digits[i] - '0') << 4 | (six_digits[i + 1] - '0'));
  return out;
}

std::string RateField(int micro) {
  std::string digits = std::to_string(micro);
  digits.insert(0, 6 - digits.size(), '0');
  return std::string(1, static_cast<char>(0x83)).append(PackedDigits(digits));
}

void BlockFileBuilder::Put(int block, int byte, std::vector<int> values) {
  std::string text;
  for (const int value : values) text += static_cast<char>(value);
  PutText(block, byte, text);
}

void BlockFileBuilder::PutText(int block, int byte, std::string_view text) {
  const std::size_t at = static_cast<std::size_t>(block) * 256 + static_cast<std::size_t>(byte);
  if (bytes_.size() < (static_cast<std::size_t>(block) + 1) * 256)
    bytes_.resize((static_cast<std::size_t>(block) + 1) * 256, '\0');
  bytes_.replace(at, text.size(), text);
}

void BlockFileBuilder::Entry(int block, int k, std::string_view name, int start) {
  std::string padded(name);
  padded.resize(8, ' ');
  Put(block, (k - 1) * 16 + 2, {start >> 8, start & 0xFF});
  PutText(block, (k - 1) * 16 + 8, padded);
}

int BlockFileBuilder::AppendFields(const std::vector<std::string>& fields) {
  const int first = blocks();
  int block = first;
  int at = 2;
  Put(block, 0, {});
  for (const std::string& field : fields) {
    const int n = static_cast<int>(field.size());
    // Keep a byte free for the marker after every field.
    if (at + 1 + n > 255) {
      Put(block++, at, {255});
      at = 2;
    }
    Put(block, at, {128 + n});
    PutText(block, at + 1, field);
    at += 1 + n;
  }
  return first;
}

int BlockFileBuilder::AppendTable(std::string_view description,
                                  const std::function<int(int)>& micro) {
  std::vector<std::string> fields{"header", std::string(description)};
  for (int age = 1; age <= 120; ++age) fields.push_back(RateField(micro(age)).substr(1));
  return AppendFields(fields);
}

int BlockFileBuilder::AppendCatalogue(const std::vector<std::string>& names) {
  const int first = blocks();
  std::string text;
  for (std::string name : names) text += name.append(8, ' ').substr(0, 8);
  text.resize((text.size() + 255) / 256 * 256, ' ');
  bytes_ += text;
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
