// Where the programs look for their data: the current directory first, then the installation.
#include "tables/data_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace orvane::tables {
namespace {

TEST(DataFolder, TheCurrentDirectoryComesFirstThenTheInstalledData) {
  const auto root =
      std::filesystem::temp_directory_path() / ("orvane_data_" + std::to_string(::getpid()));
  const auto current = root / "current", installed = root / "share" / "orvane";
  for (const auto& folder : {current, installed}) std::filesystem::create_directories(folder);
  // Neither holds the data file: the current directory, where the question will look.
  EXPECT_EQ(DataFolder(current, installed), current);
  // Only the installation does: the window started from the desktop menu.
  std::ofstream(installed / "MortalityTables") << "blocks";
  EXPECT_EQ(DataFolder(current, installed), installed);
  // Both do: the user's own data folder, as `make run` has it.
  std::ofstream(current / "MortalityTables") << "blocks";
  EXPECT_EQ(DataFolder(current, installed), current);
  // An installed folder that could not be found is never taken.
  std::filesystem::remove(current / "MortalityTables");
  EXPECT_EQ(DataFolder(current, {}), current);
  // A folder named MortalityTables is not the data file.
  std::filesystem::create_directory(current / "MortalityTables");
  EXPECT_EQ(DataFolder(current, installed), installed);
  std::filesystem::remove_all(root);
  // The installed folder lies beside the program's bin folder.
  EXPECT_EQ(InstalledDataFolder("../share/orvane"),
            std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "share" /
                "orvane");
  EXPECT_EQ(InstalledDataFolder(""), std::filesystem::path());
}

}  // namespace
}  // namespace orvane::tables
