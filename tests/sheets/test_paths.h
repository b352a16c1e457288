#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace orvane::sheets::testing {

// The repository root, from ctest's ORVANE_SOURCE_DIR.
inline std::filesystem::path SourceDir() {
  const char* dir = std::getenv("ORVANE_SOURCE_DIR");
  return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::path(".");
}

// The .xls workbooks written by make_xls_fixtures.py (the ctest fixture sheets_xls).
inline std::filesystem::path XlsFixture(const std::string& name) {
  return std::filesystem::path(ORVANE_SHEETS_FIXTURES) / name;
}

// A fresh folder of its own for one test, removed with the object.
class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("orvane_sheets_" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace orvane::sheets::testing
