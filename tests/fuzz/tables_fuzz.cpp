// Fuzz target of the table store: the input is the whole data file MortalityTables. Each run
// lists the catalogue, loads every listed table and every table the loader names itself as
// stored ("No Projection"), then makes eight more LoadTable requests whose projection choice,
// blend, preamble, sex and pre-retirement flags, name and years come from the input's last 24
// bytes (which are also the end of the file). Sweeping all 128 option combinations for every
// name took half a minute per run on the shipped file, since every load reads the base tables,
// scales and weights again block by block; letting the input pick the combinations keeps a run
// in milliseconds and lets the fuzzer steer towards the combinations that reach new code.
//
// The store documents TableError (DataFileUnavailable among them) and nothing else; any other
// exception escapes and ends the run as a crash. A loaded table must hold finite rates with 0 at
// age 0, and with "No Projection" the blend and preamble flags must not change it.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tables/table_store.h"
#include "tests/fuzz/fuzz_support.h"

namespace orvane::fuzz {
namespace {

using tables::TableError;
using tables::TableRequest;
using tables::TableStore;
using tables::format::kCatalogueName;

// The names the loader reads on its own, the catalogue's name, "None" as a chooser shows it and
// a blank chooser.
constexpr std::array<std::string_view, 12> kLoaderNames = {
    "None",     "None    ", "M-N-Base", "F-N-Base", "M-A-Base",     "F-A-Base",
    "M-Proj  ", "F-Proj  ", "M Weight", "F Weight", kCatalogueName, ""};

// A catalogue may list 320 names; the first few distinct ones are loaded in every run.
constexpr std::size_t kMostListedNames = 20;
// Requests chosen by the input per run, and the bytes that choose each.
constexpr int kChosenRequests = 8;
constexpr std::size_t kBytesPerRequest = 3;

struct Years {
  int valuation;
  int retirement;
  int birth;
};

// The shipped defaults, a plausible set and a far-flung set from the input's last six bytes.
std::vector<Years> YearsOf(const std::uint8_t* data, std::size_t size) {
  std::vector<Years> years = {{2008, 2008, 1943}};
  if (size >= 6) {
    const std::uint8_t* b = data + size - 6;
    const int valuation = 1990 + b[0] % 64;
    years.push_back({valuation, valuation + b[1] % 80 - 16, valuation - b[2] % 128});
    const auto wide = [](std::uint8_t high, std::uint8_t low) {
      return 2000 + static_cast<std::int16_t>(static_cast<std::uint16_t>(high << 8 | low));
    };
    years.push_back({wide(b[0], b[3]), wide(b[1], b[4]), wide(b[2], b[5])});
  }
  return years;
}

std::string Describe(const TableRequest& r) {
  return "\"" + r.TableName + "\" dont=" + std::to_string(r.DontProjTable) +
         " val=" + std::to_string(r.ProjToValuation) +
         " ret=" + std::to_string(r.ProjToRetirement) + " pay=" + std::to_string(r.ProjToPayment) +
         " ann=" + std::to_string(r.BlendAnn) + " sex=" + std::to_string(r.BlendSex) +
         " preamble=" + std::to_string(r.FollowPreamble) + " male=" + std::to_string(r.Male) +
         " pre=" + std::to_string(r.Pre) + " years " + std::to_string(r.ValuationYear) + "/" +
         std::to_string(r.RetirementYear) + "/" + std::to_string(r.YearOfBirth);
}

void CheckTable(const valuation::QTable& table, const TableRequest& request) {
  const auto& values = table.values();
  if (values[0] != 0.0)
    Fail("age 0 is not 0 for " + Describe(request));
  for (std::size_t x = 1; x < values.size(); ++x) {
    if (!std::isfinite(values[x]))
      Fail("rate at age " + std::to_string(x) + " is not finite for " + Describe(request));
  }
}

std::optional<valuation::QTable> Load(TableStore& store, const TableRequest& request) {
  try {
    valuation::QTable table = store.LoadTable(request);
    CheckTable(table, request);
    return table;
  } catch (const TableError&) {
    return std::nullopt;
  }
}

// The request that three control bytes choose: projection choice and flags from the first,
// the name from the second, the years from the third.
TableRequest Chosen(const std::uint8_t* control, const std::vector<std::string>& names,
                    const std::vector<Years>& years) {
  TableRequest request;
  const int projection = control[0] & 3;
  request.DontProjTable = projection == 0;
  request.ProjToValuation = projection == 1;
  request.ProjToRetirement = projection == 2;
  request.ProjToPayment = projection == 3;
  request.BlendAnn = (control[0] & 4) != 0;
  request.BlendSex = (control[0] & 8) != 0;
  request.FollowPreamble = (control[0] & 16) != 0;
  request.Male = (control[0] & 32) != 0;
  request.Pre = (control[0] & 64) != 0;
  request.TableName = names[control[1] % names.size()];
  const Years& chosen = years[control[2] % years.size()];
  request.ValuationYear = chosen.valuation;
  request.RetirementYear = chosen.retirement;
  request.YearOfBirth = chosen.birth;
  return request;
}

}  // namespace
}  // namespace orvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  static const fuzz::ScratchFile file("MortalityTables");
  file.Write(data, size);
  // A block that is not there is answered Cancel after one try: a short file costs nothing.
  tables::TableStore store(
      file.path(), [] { return tables::RetryAnswer::kCancel; }, tables::ReadTries{1, 1});

  std::vector<std::string> names(fuzz::kLoaderNames.begin(), fuzz::kLoaderNames.end());
  try {
    std::set<std::string> seen(names.begin(), names.end());
    for (const std::string& entry : store.GetTableList()) {
      if (entry.size() < 8)
        fuzz::Fail("catalogue entry \"" + entry + "\" is shorter than a name");
      // LoadTable reads the first 8 characters only.
      if (seen.insert(entry.substr(0, 8)).second &&
          names.size() < fuzz::kLoaderNames.size() + fuzz::kMostListedNames) {
        names.push_back(entry);
      }
    }
  } catch (const tables::TableError&) {
    // A malformed catalogue or a file too short for its directory: the loader's names remain.
  }

  // Every name as stored, with the flags all clear.
  std::map<std::string, std::optional<valuation::QTable>> stored;
  tables::TableRequest plain;
  for (const std::string& name : names) {
    plain.TableName = name;
    stored[name] = fuzz::Load(store, plain);
  }

  const std::vector<fuzz::Years> years = fuzz::YearsOf(data, size);
  const std::size_t control_size = fuzz::kChosenRequests * fuzz::kBytesPerRequest;
  if (size < control_size)
    return 0;
  for (int k = 0; k < fuzz::kChosenRequests; ++k) {
    const tables::TableRequest request =
        fuzz::Chosen(data + size - control_size + k * fuzz::kBytesPerRequest, names, years);
    const std::optional<valuation::QTable> table = fuzz::Load(store, request);
    // "No Projection" loads the table as stored, whatever the other flags say.
    const std::optional<valuation::QTable>& unflagged = stored[request.TableName];
    if (request.DontProjTable &&
        (table.has_value() != unflagged.has_value() || (table && !(*table == *unflagged)))) {
      fuzz::Fail("the flags change the unprojected table: " + fuzz::Describe(request));
    }
  }
  return 0;
}
