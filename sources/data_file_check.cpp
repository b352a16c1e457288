#include "sources/data_file_check.h"

#include <set>
#include <system_error>

#include "tables/data_file_format.h"
#include "tables/generational_table.h"
#include "text/text.h"

namespace orvane::sources {
namespace {

using tables::DirectoryEntry;
using tables::format::kCatalogueName;

using text::Quoted;

bool ValidPackedDigits(const std::string& field) {
  for (const char c : field) {
    const int b = static_cast<unsigned char>(c);
    if (b / 16 > 9 || b % 16 > 9)
      return false;
  }
  return true;
}

// The cohort a generational table is checked with: its years run on both sides of 2012.
constexpr int kCheckedYearOfBirth = 1950;

// Reads the fields of one table file as the loader does and reports what is wrong.
void CheckTableFile(tables::TableStore& store, const DirectoryEntry& entry,
                    std::vector<std::string>& problems) {
  try {
    store.OpenFile(entry.name);
    const std::string field1 = store.ReadString();
    store.ReadString();
    for (int age = 1; age <= tables::format::kAges; ++age) {
      const std::string field = store.ReadString();
      if (field.size() != tables::format::kRateBytes || !ValidPackedDigits(field)) {
        problems.push_back("Table " + Quoted(entry.name) + ": the value for age " +
                           std::to_string(age) + " is not 3 bytes of packed decimal digits");
        return;
      }
    }
    if (mortality::GenerationalScaleOf(field1)) {
      // One cohort reads the whole scale: a missing scale, a year out of order or a gap fails.
      tables::TableRequest request;
      request.TableName = entry.name;
      request.LifeYearOfBirth = kCheckedYearOfBirth;
      store.LoadTable(request);
    }
  } catch (const tables::DataFileUnavailable&) {
    problems.push_back("Table " + Quoted(entry.name) + " runs past the end of the file");
  } catch (const tables::TableError& error) {
    problems.push_back(error.what());
  }
}

void CheckCatalogue(tables::TableStore& store, CheckReport& report) {
  try {
    for (const std::string& name : store.CatalogueNames()) {
      ++report.catalogue_names;
      if (store.LocationFile(name) <= 0) {
        report.problems.push_back("The catalogue lists " + Quoted(name) +
                                  ", which has no table file");
      }
    }
    store.GetTableList();
  } catch (const tables::DataFileUnavailable&) {
    report.problems.push_back("The catalogue runs past the end of the file");
  } catch (const tables::TableError& error) {
    report.problems.push_back(error.what());
  }
}

void CheckFile(const std::filesystem::path& file, CheckReport& report) {
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  if (error) {
    report.problems.push_back(file.string() + " cannot be read");
    return;
  }
  const auto blocks = static_cast<std::int64_t>(size / tables::format::kBlockSize);
  if (size % tables::format::kBlockSize != 0) {
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
  bool catalogue = false;
  for (const DirectoryEntry& entry : store.ReadDirectory()) {
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
      catalogue = true;
      continue;
    }
    if (entry.name.front() == ' ') {
      report.problems.push_back(where + ": the name begins with a blank, which the loader drops");
      continue;
    }
    ++report.tables_read;
    CheckTableFile(store, entry, report.problems);
  }
  for (const std::string_view name : tables::format::kLoaderTables) {
    if (seen.count(std::string(name)) == 0) {
      report.problems.push_back("The loader's table " + Quoted(name) + " is missing");
    }
  }
  if (!catalogue) {
    report.problems.push_back("There is no catalogue " + Quoted(kCatalogueName) +
                              ": the choosers stay empty");
  } else {
    CheckCatalogue(store, report);
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

}  // namespace orvane::sources
