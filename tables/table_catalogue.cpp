#include "tables/table_store.h"

namespace orvane::tables {
namespace {

constexpr std::string_view kCatalogueName = "INDEX13 ";
constexpr std::string_view kBlankName = "        ";
constexpr int kCatalogueBlocks = 10;
constexpr int kNamesPerBlock = 32;
constexpr std::size_t kNameLength = 8;

}  // namespace

std::vector<std::string> TableStore::GetTableList() {
  std::vector<std::string> entries;
  const std::int32_t start = LocationFile(kCatalogueName);
  // Without a catalogue the list is empty; reading on from block 0 would list the directory.
  if (start <= 0)
    return entries;
  for (int b = 0; b < kCatalogueBlocks; ++b) {
    const std::string block = ReadDataAt(start + b);
    for (int k = 0; k < kNamesPerBlock; ++k) {
      const std::string name = block.substr(static_cast<std::size_t>(k) * kNameLength, kNameLength);
      if (name == kBlankName)
        return entries;
      if (OpenFile(name) > 0) {
        ReadString();
        entries.push_back(name + " " + ReadString());
      } else {
        entries.push_back(name);
      }
    }
  }
  return entries;
}

}  // namespace orvane::tables
