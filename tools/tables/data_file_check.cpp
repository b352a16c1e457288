#include "tools/tables/data_file_check.h"

#include <set>
#include <system_error>

namespace orvane::tools {
namespace {

constexpr int kEntriesPerBlock = 16;
constexpr int kRateFields = 120;
constexpr std::string_view kCatalogueName = "INDEX13 ";

// The tables that the loader opens by name for projections and blends.
constexpr const char* kLoaderTables[] = {"None    ", "M-N-Base", "F-N-Base", "M-A-Base", "F-A-Base",
                                         "M-Proj  ", "F-Proj  ", "M Weight", "F Weight"};

std::string Quoted(const std::string& name) {
  return "\"" + name + "\"";
}

bool ValidPackedDigits(const std::string& field) {
  for (const char c : field) {
    const int b = static_cast<unsigned char>(c);
    if (b / 16 > 9 || b % 16 > 9)
      return false;
  }
  return true;
}

// Reads the fields of one table file as the loader does and reports what is wrong.
void CheckTableFile(tables::TableStore& store, const DirectoryEntry& entry,
                    std::vector<std::string>& problems) {
  try {
    store.OpenFile(entry.name);
    store.ReadString();
    store.ReadString();
    for (int age = 1; age <= kRateFields; ++age) {
      const std::string field = store.ReadString();
      if (field.size() != 3 || !ValidPackedDigits(field)) {
        problems.push_back("Table " + Quoted(entry.name) + ": the value for age " +
                           std::to_string(age) + " is not 3 bytes of packed decimal digits");
        return;
      }
    }
  } catch (const tables::DataFileUnavailable&) {
    problems.push_back("Table " + Quoted(entry.name) + " runs past the end of the file");
  } catch (const tables::TableError& error) {
    problems.push_back(error.what());
  }
}

void CheckCatalogue(tables::TableStore& store, std::int32_t start, std::int64_t blocks,
                    CheckReport& report) {
  // The names are read raw, as the choosers' list does, so that names without a table file can
  // be reported; the list itself is then built through the same reader the window uses.
  for (int b = 0; b < 10; ++b) {
    if (start + b >= blocks) {
      report.problems.push_back("The catalogue runs past the end of the file at block " +
                                std::to_string(start + b));
      return;
    }
    const std::string block = store.ReadDataAt(start + b);
    for (int k = 0; k < 32; ++k) {
      const std::string name = block.substr(static_cast<std::size_t>(k) * 8, 8);
      if (name == "        ") {
        b = 10;
        break;
      }
      ++report.catalogue_names;
      std::string trimmed = name;
      tables::TableStore::ClearBlanks(trimmed);
      if (store.LocationFile(trimmed) <= 0) {
        report.problems.push_back("The catalogue lists " + Quoted(name) +
                                  ", which has no table file");
      }
    }
  }
  try {
    store.GetTableList();
  } catch (const tables::DataFileUnavailable&) {
    report.problems.push_back("The choosers' list reads past the end of the file");
  } catch (const tables::TableError& error) {
    report.problems.push_back(error.what());
  }
}

}  // namespace

std::vector<DirectoryEntry> ReadDirectory(tables::TableStore& store) {
  std::vector<DirectoryEntry> entries;
  const auto last = static_cast<std::int32_t>(tables::TableStore::AscValue(store.ReadDataAt(0), 2));
  for (std::int32_t b = 0; b <= last; ++b) {
    const std::string block = store.ReadDataAt(b);
    for (int k = 1; k <= kEntriesPerBlock; ++k) {
      const std::string_view entry = std::string_view(block).substr((k - 1) * 16, 16);
      const auto start =
          static_cast<std::int32_t>(tables::TableStore::AscValue(entry.substr(2), 2));
      if (start > 0)
        entries.push_back({b, k, std::string(entry.substr(8, 8)), start});
    }
  }
  return entries;
}

namespace {

void CheckFile(const std::filesystem::path& file, CheckReport& report) {
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  if (error) {
    report.problems.push_back(file.string() + " cannot be read");
    return;
  }
  const auto blocks = static_cast<std::int64_t>(size / 256);
  if (size % 256 != 0) {
    report.problems.push_back("The file size " + std::to_string(size) +
                              " is not a whole number of 256-byte blocks");
  }
  if (blocks == 0) {
    report.problems.push_back("The file holds no directory block");
    return;
  }
  tables::TableStore store(file, [] { return tables::RetryAnswer::kCancel; });
  const auto last = static_cast<std::int64_t>(tables::TableStore::AscValue(store.ReadDataAt(0), 2));
  if (last >= blocks) {
    report.problems.push_back("The directory claims blocks 0 to " + std::to_string(last) +
                              " but the file has " + std::to_string(blocks) + " blocks");
    return;
  }
  std::set<std::string> seen;
  std::int32_t catalogue = 0;
  for (const DirectoryEntry& entry : ReadDirectory(store)) {
    const std::string where = "Directory block " + std::to_string(entry.block) + ", entry " +
                              std::to_string(entry.entry) + " " + Quoted(entry.name);
    if (entry.start >= blocks) {
      report.problems.push_back(where + ": start block " + std::to_string(entry.start) +
                                " lies past the end of the file");
      continue;
    }
    if (!seen.insert(entry.name).second) {
      report.problems.push_back(where +
                                ": an earlier entry has the same name, so this one is "
                                "never found");
      continue;
    }
    if (entry.name == kCatalogueName) {
      catalogue = entry.start;
      continue;
    }
    if (entry.name.front() == ' ') {
      report.problems.push_back(where + ": the name begins with a blank, which the loader drops");
      continue;
    }
    ++report.tables_read;
    CheckTableFile(store, entry, report.problems);
  }
  for (const char* name : kLoaderTables) {
    if (seen.count(name) == 0) {
      report.problems.push_back("The loader's table " + Quoted(name) + " is missing");
    }
  }
  if (catalogue == 0) {
    report.problems.push_back("There is no catalogue \"INDEX13 \": the choosers stay empty");
  } else {
    CheckCatalogue(store, catalogue, blocks, report);
  }
}

}  // namespace

CheckReport CheckDataFile(const std::filesystem::path& file) {
  CheckReport report;
  try {
    CheckFile(file, report);
  } catch (const tables::DataFileUnavailable&) {
    // The file vanished or shrank while it was being checked.
    report.problems.push_back(file.string() + " could not be read to the end");
  }
  return report;
}

}  // namespace orvane::tools
