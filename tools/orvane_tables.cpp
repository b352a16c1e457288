// orvane-tables: lists, shows, imports, builds and checks Orvane's mortality table data file.
// Exit status: 0 success, 1 an error or a malformed file, 2 a usage error.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "mortality/mortality_error.h"
#include "mortality/table_kind.h"
#include "sources/data_file_check.h"
#include "sources/data_file_writer.h"
#include "sources/improvement_scale_source.h"
#include "sources/irs_construction.h"
#include "sources/source_error.h"
#include "sources/table_csv.h"
#include "sources/table_sources.h"
#include "sources/xtbml_import.h"
#include "tables/data_folder.h"
#include "tables/generational_table.h"
#include "tables/table_store.h"
#include "text/text.h"

namespace {

namespace mortality = orvane::mortality;
namespace sources = orvane::sources;
namespace tables = orvane::tables;
using orvane::text::Quoted;

constexpr const char* kUsage =
    "Usage:\n"
    "  orvane-tables list [FILE]              the directory entries and the choosers' list\n"
    "  orvane-tables show NAME [FILE] [--born YEAR]\n"
    "                                         the 120 values of a table as age,value CSV; a\n"
    "                                         generational table needs the year of birth\n"
    "  orvane-tables build --out FILE SOURCE...\n"
    "                                         write a data file from CSV sources\n"
    "  orvane-tables import FILE.xml [--name NAME] [--table N] [--hold]\n"
    "                                         an SOA XTbML table as table CSV on stdout\n"
    "  orvane-tables import FILE.xml --scale [--table N]\n"
    "                                         an Age x Year improvement scale as a CSV of\n"
    "                                         ages by years\n"
    "  orvane-tables check FILE               report what is malformed (exit 1 if anything)\n"
    "  orvane-tables irs --year YEAR [--out FILE]\n"
    "                                         the IRS tables of YEAR (2024 on) by the IRS's\n"
    "                                         construction, as table CSV (stdout without --out);\n"
    "                                         where the IRS has published a table (2026417e;\n"
    "                                         2026SPM, 2026SPF at 40-120), the shipped data file\n"
    "                                         holds the published one\n"
    "FILE defaults to MortalityTables in the current directory, or else the installed data\n"
    "file. The CSV layout is described in data/tables/README.\n";

// MortalityTables in the current directory, as before, when it holds one; otherwise the installed
// data file, as orvane-value and the window find it.
std::string DefaultFile() {
  const std::filesystem::path folder =
      tables::DataFolder(".", tables::InstalledDataFolder(ORVANE_DATA_DIR_FROM_BIN));
  return folder == "." ? "MortalityTables" : (folder / "MortalityTables").string();
}

class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// Tools never wait on a question: a data file that cannot be read is an error at once.
tables::TableStore OpenStore(const std::string& file) {
  return tables::TableStore(file, [] { return tables::RetryAnswer::kCancel; });
}

// " generational on SCALE" or " scale AGES,YEARS" for the new kinds of table file, else empty.
std::string KindOf(tables::TableStore& store, const std::string& name) {
  if (name == tables::format::kCatalogueName)
    return {};
  try {
    store.OpenFile(name);
    const std::string field1 = store.ReadString();
    if (const auto scale = mortality::GenerationalScaleOf(field1))
      return " generational on " + Quoted(*scale);
    if (const auto range = mortality::ScaleRangeOf(field1, name))
      return " scale " + mortality::ScaleRangeText(*range);
  } catch (const tables::TableError&) {
    // `check` reports a malformed table; the listing shows what it can.
  } catch (const mortality::MortalityError&) {
    // `check` reports a malformed table; the listing shows what it can.
  }
  return {};
}

// A word beginning with "--" is an option, never a FILE or a NAME: one the command does not take
// is a usage error, not a file that is not there.
void RefuseOptions(const std::vector<std::string>& args, const std::string& command) {
  for (const std::string& arg : args) {
    if (arg.rfind("--", 0) == 0)
      throw UsageError(command + " takes no option " + Quoted(arg));
  }
}

int List(const std::vector<std::string>& args) {
  RefuseOptions(args, "list");
  if (args.size() > 1)
    throw UsageError("list takes at most one FILE");
  const std::string file = args.empty() ? DefaultFile() : args[0];
  tables::TableStore store = OpenStore(file);
  // Read before the heading, so that a file that cannot be read prints nothing on stdout.
  const std::vector<tables::DirectoryEntry> entries = store.ReadDirectory();
  std::cout << "Directory of " << file << "\n"
            << "block entry start name\n";
  for (const tables::DirectoryEntry& entry : entries) {
    char line[64];
    std::snprintf(line, sizeof line, "%5d %5d %5d ", entry.block, entry.entry, entry.start);
    std::cout << line << Quoted(entry.name) << KindOf(store, entry.name) << "\n";
  }
  const std::vector<std::string> list = store.GetTableList();
  std::cout << "\nChoosers' list (" << list.size() << " entries)\n";
  for (const std::string& text : list) std::cout << text << "\n";
  return 0;
}

int PositiveNumber(const std::string& option, const std::string& text);

int Show(std::vector<std::string> args) {
  std::optional<int> born;
  const auto option = std::find(args.begin(), args.end(), "--born");
  if (option != args.end()) {
    if (option + 1 == args.end())
      throw UsageError("--born needs a year");
    born = PositiveNumber("--born", *(option + 1));
    args.erase(option, option + 2);
  }
  RefuseOptions(args, "show");
  if (args.empty() || args.size() > 2)
    throw UsageError("show takes a NAME and at most one FILE");
  const std::string file = args.size() == 2 ? args[1] : DefaultFile();
  tables::TableStore store = OpenStore(file);
  if (store.OpenFile(args[0]) <= 0) {
    // The loader would give rate 1 at every age; say plainly that the table is not there.
    std::cerr << "orvane-tables: " << file << " has no table " << Quoted(args[0]) << "\n";
    return 1;
  }
  tables::TableRequest request;
  request.TableName = args[0];
  request.DontProjTable = true;
  request.LifeYearOfBirth = born;
  const orvane::mortality::QTable q = store.LoadTable(request);
  std::string name = args[0].substr(0, 8);
  tables::TableStore::ClearBlanks(name);
  std::cout << "age," << name << "\n";
  for (int age = 1; age <= orvane::mortality::QTable::kLastAge; ++age) {
    char line[64];
    std::snprintf(line, sizeof line, "%d,%.6f\n", age, q.at(age));
    std::cout << line;
  }
  return 0;
}

struct Options {
  std::optional<std::string> out;
  std::vector<std::filesystem::path> sources;
};

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::optional<std::string>* target = nullptr;
    if (arg == "--out")
      target = &options.out;
    if (target != nullptr) {
      if (i + 1 == args.size())
        throw UsageError(arg + " needs a value");
      *target = args[++i];
    } else if (arg.rfind("--", 0) == 0) {
      throw UsageError("unknown option " + arg);
    } else {
      options.sources.emplace_back(arg);
    }
  }
  if (!options.out)
    throw UsageError("--out is required");
  if (options.sources.empty())
    throw UsageError("no SOURCE files given");
  return options;
}

int Build(const std::vector<std::string>& args) {
  const Options options = ParseOptions(args);
  const sources::DataFileContent content =
      sources::AssembleDataFile(sources::ReadSources(options.sources));
  sources::WriteDataFile(*options.out, content);
  std::cout << "Wrote " << *options.out << ": " << content.tables.size() << " tables, "
            << content.catalogue.size() << " listed\n";
  return 0;
}

// Positive whole numbers of options such as --table; anything else is a usage error.
int PositiveNumber(const std::string& option, const std::string& text) {
  int number = 0;
  std::size_t used = 0;
  try {
    number = std::stoi(text, &used);
  } catch (const std::logic_error&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || number < 1)
    throw UsageError(option + " needs a whole number from 1, not " + Quoted(text));
  return number;
}

int Import(const std::vector<std::string>& args) {
  std::optional<std::string> file;
  sources::ImportOptions options;
  bool scale = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool valued = arg == "--name" || arg == "--table";
    if (arg == "--scale") {
      scale = true;
      continue;
    }
    if (valued && i + 1 == args.size())
      throw UsageError(arg + " needs a value");
    if (arg == "--name") {
      options.name = args[++i];
      try {
        sources::TableNameFromCell(*options.name, "--name");
      } catch (const sources::SourceError& error) {
        throw UsageError(error.what());
      }
    } else if (arg == "--table") {
      options.table_number = PositiveNumber(arg, args[++i]);
    } else if (arg == "--hold") {
      options.hold = true;
    } else if (arg.rfind("--", 0) == 0) {
      throw UsageError("unknown option " + arg);
    } else if (file) {
      throw UsageError("import takes one FILE.xml");
    } else {
      file = arg;
    }
  }
  if (!file)
    throw UsageError("import needs an XTbML FILE.xml");
  if (scale) {
    if (options.name || options.hold)
      throw UsageError("--scale takes neither --name nor --hold");
    std::cout << sources::ScaleCsvText(
        sources::ScaleFromXtbml(sources::ReadXtbmlFile(*file), options.table_number, *file));
    return 0;
  }
  const sources::ImportedTable table =
      sources::ImportXtbml(sources::ReadXtbmlFile(*file), *file, options);
  std::cout << sources::TableCsvText({table});
  if (table.rounded > 0) {
    std::cerr << "orvane-tables: " << table.rounded << (table.rounded == 1 ? " rate" : " rates")
              << " of " << *file << " had more than 6 decimals and "
              << (table.rounded == 1 ? "was" : "were") << " rounded half to even to 6\n";
  }
  return 0;
}

int Check(const std::vector<std::string>& args) {
  RefuseOptions(args, "check");
  if (args.size() != 1)
    throw UsageError("check takes one FILE");
  const sources::CheckReport report = sources::CheckDataFile(args[0]);
  for (const std::string& problem : report.problems) std::cout << problem << "\n";
  std::cout << args[0] << ": " << report.tables_read << " tables, " << report.catalogue_names
            << " catalogue names, " << report.problems.size() << " problems\n";
  return report.problems.empty() ? 0 : 1;
}

// The inputs are the published files of the repository (data/tables/published), found from
// the current directory up, so the command runs from the checkout or a build folder inside it.
int Irs(const std::vector<std::string>& args) {
  std::optional<std::string> year_text;
  std::optional<std::string> out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg != "--year" && arg != "--out")
      throw UsageError("irs takes --year YEAR and --out FILE, not " + Quoted(arg));
    if (i + 1 == args.size())
      throw UsageError(arg + " needs a value");
    (arg == "--year" ? year_text : out) = args[++i];
  }
  if (!year_text)
    throw UsageError("irs needs --year YEAR");
  int year = 0;
  std::size_t used = 0;
  try {
    year = std::stoi(*year_text, &used);
  } catch (const std::logic_error&) {
    used = 0;
  }
  if (used == 0 || used != year_text->size() || year > sources::kLastIrsYear)
    throw UsageError("--year needs a year from 2024 to " + std::to_string(sources::kLastIrsYear) +
                     ", not " + Quoted(*year_text));
  if (year < sources::kFirstIrsYear)
    throw UsageError("the IRS construction builds the tables of 2024 on, not of " + *year_text);
  const std::string text = sources::TableCsvText(sources::IrsTables(
      sources::ReadIrsInputs(sources::FindPublishedFolder(std::filesystem::current_path())), year));
  if (!out) {
    std::cout << text;
    return 0;
  }
  std::ofstream file(*out, std::ios::binary);
  file << text;
  file.close();
  if (!file)
    throw sources::SourceError("cannot write " + *out);
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty())
    throw UsageError("no command given");
  const std::string command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "--help" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "list")
    return List(rest);
  if (command == "show")
    return Show(rest);
  if (command == "build")
    return Build(rest);
  if (command == "import")
    return Import(rest);
  if (command == "check")
    return Check(rest);
  if (command == "irs")
    return Irs(rest);
  throw UsageError("unknown command " + Quoted(command));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& error) {
    std::cerr << "orvane-tables: " << error.what() << "\n" << kUsage;
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "orvane-tables: " << error.what() << "\n";
    return 1;
  }
}
