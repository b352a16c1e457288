#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "mortality/table_name.h"
#include "tables/data_file_format.h"
#include "tables/table_store.h"

namespace orvane::tables {

std::vector<DirectoryEntry> TableStore::ReadDirectory() {
  std::vector<DirectoryEntry> entries;
  const auto last = static_cast<std::int32_t>(AscValue(ReadDataAt(0), 2));
  for (std::int32_t b = 0; b <= last; ++b) {
    const std::string block = ReadDataAt(b);
    for (int k = 1; k <= format::kEntriesPerBlock; ++k) {
      const std::string_view entry =
          std::string_view(block).substr(static_cast<std::size_t>((k - 1) * format::kEntryLength),
                                         static_cast<std::size_t>(format::kEntryLength));
      const auto start =
          static_cast<std::int32_t>(AscValue(entry.substr(format::kEntryStartAt), 2));
      if (start > 0)
        entries.push_back(
            {b, k, std::string(entry.substr(format::kEntryNameAt, format::kNameLength)), start});
    }
  }
  return entries;
}

std::vector<std::string> TableStore::CatalogueNames() {
  std::vector<std::string> names;
  const std::int32_t start = LocationFile(format::kCatalogueName);
  // Without a catalogue the list is empty; reading on from block 0 would list the directory.
  if (start <= 0)
    return names;
  for (int b = 0; b < format::kCatalogueBlocks; ++b) {
    const std::string block = ReadDataAt(start + b);
    for (int k = 0; k < format::kNamesPerCatalogueBlock; ++k) {
      std::string name =
          block.substr(static_cast<std::size_t>(k) * format::kNameLength, format::kNameLength);
      if (name == format::kBlankName)
        return names;
      names.push_back(std::move(name));
    }
  }
  return names;
}

std::vector<std::string> TableStore::GetTableList() {
  // The directory is read once for the whole list instead of once a name: the start of each
  // name's first entry, as LocationFile finds it (a start of 0 included).
  std::map<std::string, std::int32_t, std::less<>> starts;
  const auto last = static_cast<std::int32_t>(AscValue(ReadDataAt(0), 2));
  for (std::int32_t b = 0; b <= last; ++b) {
    const std::string block = ReadDataAt(b);
    for (int k = 0; k < format::kEntriesPerBlock; ++k) {
      const std::string_view entry =
          std::string_view(block).substr(static_cast<std::size_t>(k * format::kEntryLength),
                                         static_cast<std::size_t>(format::kEntryLength));
      starts.emplace(std::string(entry.substr(format::kEntryNameAt, format::kNameLength)),
                     static_cast<std::int32_t>(AscValue(entry.substr(format::kEntryStartAt), 2)));
    }
  }
  std::vector<std::string> entries;
  for (const std::string& name : CatalogueNames()) {
    std::string trimmed = name;
    ClearBlanks(trimmed);
    const auto found = trimmed.empty() ? starts.end() : starts.find(mortality::PaddedName(trimmed));
    if (found != starts.end() && found->second > 0) {
      OpenAt(found->second, trimmed);
      ReadString();
      entries.push_back(name + " " + ReadString());
    } else {
      entries.push_back(name);
    }
  }
  return entries;
}

}  // namespace orvane::tables
