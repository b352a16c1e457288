#include "tables/data_folder.h"

#include <system_error>

namespace orvane::tables {
namespace {

bool HoldsTables(const std::filesystem::path& folder) {
  std::error_code error;
  return !folder.empty() && std::filesystem::is_regular_file(folder / "MortalityTables", error);
}

}  // namespace

std::filesystem::path DataFolder(const std::filesystem::path& current,
                                 const std::filesystem::path& installed) {
  if (HoldsTables(current) || !HoldsTables(installed))
    return current;
  return installed;
}

std::filesystem::path InstalledDataFolder(std::string_view from_bin) {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || from_bin.empty())
    return {};
  return (program.parent_path() / from_bin).lexically_normal();
}

}  // namespace orvane::tables
