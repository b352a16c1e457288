#include "tools/tables/table_derivation.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "tools/tables/data_file_writer.h"
#include "tools/tables/tool_error.h"

namespace orvane::tools {
namespace {

// Removes the scratch file on every path out of the derivation.
class ScratchFile {
 public:
  explicit ScratchFile(std::filesystem::path path) : path_(std::move(path)) {}
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

 private:
  std::filesystem::path path_;
};

}  // namespace

tables::TableRequest UnisexLumpSumRequest(const std::string& name, int valuation_year) {
  tables::TableRequest request;
  request.TableName = name;
  request.DontProjTable = false;
  request.ProjToValuation = true;
  request.ProjToRetirement = false;
  request.ProjToPayment = false;
  request.BlendAnn = true;
  request.BlendSex = true;
  request.RetirementYear = valuation_year;
  request.ValuationYear = valuation_year;
  request.Male = true;
  request.YearOfBirth = valuation_year - 65;
  request.Pre = false;
  request.FollowPreamble = false;
  return request;
}

std::array<std::int32_t, kTableAges + 1> DeriveTable(const std::vector<TableValues>& tables,
                                                     const tables::TableRequest& request,
                                                     const std::filesystem::path& scratch) {
  DataFileContent content;
  for (const TableValues& table : tables) content.tables.push_back({table.name, "", table.micro});
  const ScratchFile remover(scratch);
  WriteDataFile(scratch, content);
  tables::TableStore store(scratch, [] { return tables::RetryAnswer::kCancel; });
  const valuation::QTable q = store.LoadTable(request);
  std::array<std::int32_t, kTableAges + 1> micro{};
  for (int age = 1; age <= kTableAges; ++age) {
    const double value = q.at(age);
    const double scaled = std::round(value * 1e6);
    if (!(scaled >= 0.0 && scaled <= kLargestMicro) || scaled / 1e6 != value) {
      throw ToolError("The derived value " + std::to_string(value) + " at age " +
                      std::to_string(age) +
                      " cannot be stored as 0 to 0.999999 (is a base table missing?)");
    }
    micro[static_cast<std::size_t>(age)] = static_cast<std::int32_t>(scaled);
  }
  return micro;
}

void WriteTableCsv(const std::filesystem::path& file, const std::string& name,
                   const std::array<std::int32_t, kTableAges + 1>& micro) {
  std::string trimmed = name;
  trimmed.erase(trimmed.find_last_not_of(' ') + 1);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << "age," << trimmed << "\n";
  for (int age = 1; age <= kTableAges; ++age) {
    const std::int32_t v = micro[static_cast<std::size_t>(age)];
    char text[32];
    std::snprintf(text, sizeof text, "%d,%d.%06d\n", age, v / 1000000, v % 1000000);
    out << text;
  }
  out.close();
  if (!out)
    throw ToolError(file.string() + ": cannot be written");
}

}  // namespace orvane::tools
