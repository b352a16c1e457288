#include "sources/data_file_writer.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <system_error>
#include <vector>

#include "mortality/packed_decimal.h"
#include "sources/source_error.h"
#include "tables/data_file_format.h"

namespace orvane::sources {
namespace {

namespace format = tables::format;
constexpr auto kBlock = static_cast<std::size_t>(format::kBlockSize);
constexpr auto kDirectoryEntries = static_cast<std::size_t>(format::kEntriesPerBlock);
constexpr auto kNamesPerCatalogueBlock = static_cast<std::size_t>(format::kNamesPerCatalogueBlock);
constexpr auto kCatalogueLimit = static_cast<std::size_t>(format::kLongestCatalogue);
constexpr auto kLongestField = static_cast<std::size_t>(format::kLongestField);
constexpr auto kMostBlocks = static_cast<std::size_t>(format::kMostBlocks);
constexpr auto kLengthBase = static_cast<unsigned char>(format::kLengthBase);
constexpr auto kMarker = static_cast<unsigned char>(format::kContinuationMarker);
constexpr auto kFirstFieldAt = static_cast<std::size_t>(format::kFirstFieldAt);
constexpr auto kRateBytes = static_cast<std::size_t>(format::kRateBytes);

using Block = std::string;

Block EmptyBlock() {
  return Block(kBlock, '\0');
}

void PutBigEndian16(Block& block, std::size_t at, std::size_t value) {
  block[at] = static_cast<char>((value >> 8) & 0xFF);
  block[at + 1] = static_cast<char>(value & 0xFF);
}

void CheckName(const std::string& name) {
  if (name.size() != format::kNameLength) {
    throw SourceError("Table name \"" + name + "\" is not 8 characters long");
  }
}

// The value's packed bytes, or the table and age of a value that does not fit them.
std::string Packed(std::int32_t micro, const std::string& table, int age) {
  if (micro < 0 || micro > mortality::kLargestMillionths) {
    throw SourceError("Table \"" + table + "\", age " + std::to_string(age) +
                      ": value outside 0 to 0.999999");
  }
  return mortality::PackedMillionths(micro);
}

// Lays fields into blocks: a field goes into the current block when it leaves room for a
// marker after it, or when it is the last field and ends by byte 255.
std::vector<Block> FieldBlocks(const std::vector<std::string>& fields) {
  std::vector<Block> blocks{EmptyBlock()};
  std::size_t at = kFirstFieldAt;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    const std::size_t n = fields[f].size();
    const bool last = f + 1 == fields.size();
    const bool fits = last ? at + n <= kBlock - 1 : at + n <= kBlock - 2;
    if (!fits) {
      blocks.back()[at] = static_cast<char>(kMarker);
      blocks.push_back(EmptyBlock());
      at = kFirstFieldAt;
    }
    blocks.back()[at] = static_cast<char>(kLengthBase + n);
    blocks.back().replace(at + 1, n, fields[f]);
    at += 1 + n;
  }
  return blocks;
}

std::vector<Block> TableBlocks(const NamedTable& table) {
  CheckName(table.name);
  if (table.description.size() > kLongestField) {
    throw SourceError("Table \"" + table.name + "\": the description is longer than 124 bytes");
  }
  if (table.name.size() + table.kind.size() > kLongestField)
    throw SourceError("Table \"" + table.name + "\": field 1 is longer than 124 bytes");
  std::vector<std::string> fields{table.name + table.kind, table.description};
  for (int age = 1; age <= kTableAges; ++age) {
    fields.push_back(Packed(table.micro[static_cast<std::size_t>(age)], table.name, age));
  }
  for (const std::string& field : table.extra_fields) {
    if (field.size() > kLongestField)
      throw SourceError("Table \"" + table.name + "\": a field after the values is too long");
    fields.push_back(field);
  }
  return FieldBlocks(fields);
}

std::vector<Block> CatalogueBlocks(const std::vector<std::string>& names) {
  if (names.size() > kCatalogueLimit) {
    throw SourceError("The catalogue holds at most 320 names, not " + std::to_string(names.size()));
  }
  // Room for the blank name that ends the list, unless ten full blocks end it by themselves.
  const std::size_t slots = names.size() == kCatalogueLimit ? names.size() : names.size() + 1;
  const std::size_t count = (slots + kNamesPerCatalogueBlock - 1) / kNamesPerCatalogueBlock;
  std::vector<Block> blocks(count, Block(kBlock, ' '));
  for (std::size_t i = 0; i < names.size(); ++i) {
    CheckName(names[i]);
    blocks[i / kNamesPerCatalogueBlock].replace((i % kNamesPerCatalogueBlock) * format::kNameLength,
                                                format::kNameLength, names[i]);
  }
  return blocks;
}

}  // namespace

std::string EncodeDataFile(const DataFileContent& content) {
  std::vector<std::string> names;
  std::vector<std::vector<Block>> files;
  if (!content.catalogue.empty()) {
    names.push_back(std::string(format::kCatalogueName));
    files.push_back(CatalogueBlocks(content.catalogue));
  }
  for (const NamedTable& table : content.tables) {
    names.push_back(table.name);
    files.push_back(TableBlocks(table));
  }
  const std::size_t directory_blocks =
      std::max<std::size_t>(1, (names.size() + kDirectoryEntries - 1) / kDirectoryEntries);
  std::vector<Block> directory(directory_blocks, EmptyBlock());
  std::size_t next = directory_blocks;
  for (std::size_t i = 0; i < names.size(); ++i) {
    Block& block = directory[i / kDirectoryEntries];
    const std::size_t entry = (i % kDirectoryEntries) * format::kEntryLength;
    if (next >= kMostBlocks)
      throw SourceError("The data file would exceed 65,536 blocks");
    PutBigEndian16(block, entry + format::kEntryStartAt, next);
    block.replace(entry + format::kEntryNameAt, format::kNameLength, names[i]);
    next += files[i].size();
  }
  if (next > kMostBlocks)
    throw SourceError("The data file would exceed 65,536 blocks");
  // Bytes 0-1 of block 0: the last directory block.
  PutBigEndian16(directory[0], 0, directory_blocks - 1);
  std::string bytes;
  bytes.reserve(next * kBlock);
  for (const Block& block : directory) bytes += block;
  for (const auto& file : files) {
    for (const Block& block : file) bytes += block;
  }
  return bytes;
}

void WriteDataFile(const std::filesystem::path& file, const DataFileContent& content) {
  const std::string bytes = EncodeDataFile(content);
  std::filesystem::path temporary = file;
  temporary += ".writing";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
      throw SourceError(temporary.string() + ": cannot be written");
  }
  std::error_code error;
  std::filesystem::rename(temporary, file, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    throw SourceError(file.string() + ": cannot be replaced");
  }
}

}  // namespace orvane::sources
