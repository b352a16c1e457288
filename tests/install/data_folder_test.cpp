#include "app/data_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace orvane::app {
namespace {

class DataFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("orvane_data_folder_" + std::to_string(::getpid()));
    std::filesystem::remove_all(root_);
    current_ = root_ / "current";
    installed_ = root_ / "share" / "orvane";
    std::filesystem::create_directories(current_);
    std::filesystem::create_directories(installed_);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  static void PutTables(const std::filesystem::path& folder) {
    std::ofstream(folder / "MortalityTables") << "blocks";
  }

  std::filesystem::path root_;
  std::filesystem::path current_;
  std::filesystem::path installed_;
};

TEST_F(DataFolderTest, TheCurrentDirectoryComesFirstThenTheInstalledData) {
  // Neither holds the data file: the current directory, where the question will look.
  EXPECT_EQ(DataFolder(current_, installed_), current_);
  // Only the installation does: the window started from the desktop menu.
  PutTables(installed_);
  EXPECT_EQ(DataFolder(current_, installed_), installed_);
  // Both do: the user's own data folder, as `make run` has it.
  PutTables(current_);
  EXPECT_EQ(DataFolder(current_, installed_), current_);
  // An installed folder that could not be found is never taken.
  std::filesystem::remove(current_ / "MortalityTables");
  EXPECT_EQ(DataFolder(current_, {}), current_);
  // A folder named MortalityTables is not the data file.
  std::filesystem::create_directory(current_ / "MortalityTables");
  EXPECT_EQ(DataFolder(current_, installed_), installed_);
}

TEST_F(DataFolderTest, TheInstalledFolderLiesBesideTheProgramsBinFolder) {
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(InstalledDataFolder("../share/orvane"),
            program.parent_path().parent_path() / "share" / "orvane");
  EXPECT_EQ(InstalledDataFolder(""), std::filesystem::path());
}

}  // namespace
}  // namespace orvane::app
