// A form model in a fresh folder of its own, on a copy of the shipped data file, for the app
// tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "form/form_model.h"
#include "tables/table_store.h"

namespace orvane::form::testing {

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("orvane_app_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    const char* source = std::getenv("ORVANE_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "ORVANE_SOURCE_DIR must name the repository";
    source_ = source;
    std::filesystem::copy_file(source_ / "data" / "MortalityTables", dir_ / "MortalityTables");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Sets the length byte of field `field` (0-based; 2 is the rate of age 1) of table `name` in the
  // copy of the data file to 5, below the 128 every field starts with: the store rejects the table.
  void SpoilTable(const std::string& name, int field = 2) {
    const std::int32_t start = tables::TableStore(dir_ / "MortalityTables", {}).LocationFile(name);
    ASSERT_GT(start, 0) << name << " is not in the data file";
    std::fstream file(dir_ / "MortalityTables", std::ios::in | std::ios::out | std::ios::binary);
    std::string block(256, '\0');
    file.seekg(start * 256);
    file.read(block.data(), 256);
    size_t position = 2;
    for (int skipped = 0; skipped < field; ++skipped)
      position += 1 + (static_cast<unsigned char>(block[position]) - 128);
    file.seekp(static_cast<std::streamoff>(start * 256 + position));
    file.put('\x05');
    ASSERT_TRUE(file.good());
  }

  void AddYieldCurveWorkbook() {
    std::filesystem::copy_file(source_ / "data" / "Full Yield Curve.xls",
                               dir_ / "Full Yield Curve.xls");
  }

  // A loaded form; the data-file question is answered Cancel.
  std::unique_ptr<FormModel> MakeForm() {
    FormEnvironment environment;
    environment.data_dir = dir_;
    environment.ask_retry = [this] {
      ++questions_;
      return tables::RetryAnswer::kCancel;
    };
    auto form = std::make_unique<FormModel>(environment);
    form->Load();
    return form;
  }

  // Types `text` into the field and leaves it, as a user does.
  static void Enter(FormModel& form, Control control, const std::string& text) {
    form.SetText(control, text);
    form.Validate(control);
  }

  std::filesystem::path source_, dir_;
  int questions_ = 0;
};

}  // namespace orvane::form::testing
