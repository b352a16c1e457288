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
#include <algorithm>
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

using tables::TableRequest;

// The names the loader reads on its own, "None" as a chooser shows it, a blank chooser and the
// catalogue's name.
constexpr std::array<std::string_view, 12> kLoaderNames = {
    "None",     "None    ", "M-N-Base", "F-N-Base", "M-A-Base", "F-A-Base",
    "M-Proj  ", "F-Proj  ", "M Weight", "F Weight", "",         tables::format::kCatalogueName};
// A catalogue may list 320 names; the first few distinct ones are loaded in every run.
constexpr std::size_t kMostListedNames = 20;
// Requests chosen by the input per run, each by three bytes.
constexpr std::size_t kChosenRequests = 8;

std::string Describe(const TableRequest& r) {
  std::string flags;
  for (const bool flag : {r.DontProjTable, r.ProjToValuation, r.ProjToRetirement, r.ProjToPayment,
                          r.BlendAnn, r.BlendSex, r.FollowPreamble, r.Male, r.Pre})
    flags += flag ? '1' : '0';
  return "\"" + r.TableName + "\" flags (dont val ret pay ann sex preamble male pre) " + flags +
         " years " + std::to_string(r.ValuationYear) + "/" + std::to_string(r.RetirementYear) +
         "/" + std::to_string(r.YearOfBirth);
}

std::optional<mortality::QTable> Load(tables::TableStore& store, const TableRequest& request) {
  try {
    mortality::QTable table = store.LoadTable(request);
    const auto& q = table.values();
    const auto wrong =
        std::find_if(q.begin() + 1, q.end(), [](double v) { return !std::isfinite(v); });
    Check(q[0] == 0.0 && wrong == q.end(), "age 0 is not 0 or the rate at age ", wrong - q.begin(),
          " is not finite for ", Describe(request));
    return table;
  } catch (const tables::TableError&) {
    return std::nullopt;
  }
}

// The request that three control bytes choose: projection choice and flags from the first, the
// name from the second, and from the third the shipped years, a plausible set or a far-flung set
// (both from the input's last six bytes).
TableRequest Chosen(const std::uint8_t* control, const std::vector<std::string>& names,
                    const std::uint8_t* last6) {
  TableRequest r;
  bool* flags[] = {
      &r.DontProjTable, &r.ProjToValuation, &r.ProjToRetirement, &r.ProjToPayment,  //
      &r.BlendAnn,      &r.BlendSex,        &r.FollowPreamble,   &r.Male,          &r.Pre};
  for (int i = 0; i < 4; ++i) *flags[i] = (control[0] & 3) == i;
  for (int bit = 0; bit < 5; ++bit) *flags[4 + bit] = (control[0] >> (bit + 2)) & 1;
  r.TableName = names[control[1] % names.size()];
  const auto wide = [](std::uint8_t high, std::uint8_t low) {
    return 2000 + static_cast<std::int16_t>(static_cast<std::uint16_t>(high << 8 | low));
  };
  const int valuation = 1990 + last6[0] % 64;
  if (control[2] % 3 == 1) {
    r.ValuationYear = valuation;
    r.RetirementYear = valuation + last6[1] % 80 - 16;
    r.YearOfBirth = valuation - last6[2] % 128;
  } else if (control[2] % 3 == 2) {
    r.ValuationYear = wide(last6[0], last6[3]);
    r.RetirementYear = wide(last6[1], last6[4]);
    r.YearOfBirth = wide(last6[2], last6[5]);
  }
  return r;
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
      fuzz::Check(entry.size() >= 8, "catalogue entry \"", entry, "\" is shorter than a name");
      // LoadTable reads the first 8 characters only.
      if (seen.insert(entry.substr(0, 8)).second &&
          names.size() < fuzz::kLoaderNames.size() + fuzz::kMostListedNames)
        names.push_back(entry);
    }
  } catch (const tables::TableError&) {
    // A malformed catalogue or a file too short for its directory: the loader's names remain.
  }

  // Every name as stored, with the flags all clear.
  std::map<std::string, std::optional<mortality::QTable>> stored;
  tables::TableRequest plain;
  for (const std::string& name : names) {
    plain.TableName = name;
    stored[name] = fuzz::Load(store, plain);
  }
  if (size < fuzz::kChosenRequests * 3)
    return 0;
  for (std::size_t k = 0; k < fuzz::kChosenRequests; ++k) {
    const tables::TableRequest request =
        fuzz::Chosen(data + size - 3 * (fuzz::kChosenRequests - k), names, data + size - 6);
    const std::optional<mortality::QTable> table = fuzz::Load(store, request);
    // "No Projection" loads the table as stored, whatever the other flags say.
    const std::optional<mortality::QTable>& unflagged = stored[request.TableName];
    if (request.DontProjTable)
      fuzz::Check(table.has_value() == unflagged.has_value() && (!table || *table == *unflagged),
                  "the flags change the unprojected table: ", fuzz::Describe(request));
  }
  return 0;
}
