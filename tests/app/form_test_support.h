// A form model in a fresh folder of its own, for the app tests: on a copy of the shipped data
// file, or on the synthetic one where a test needs a table the shipped file does not have.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/form_model.h"
#include "synthetic_tables.h"

namespace orvane::app::testing {

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("orvane_app_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
            std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    const char* source = std::getenv("ORVANE_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "ORVANE_SOURCE_DIR must name the repository";
    source_ = source;
    std::filesystem::copy_file(source_ / "data" / "MortalityTables", dir_ / "MortalityTables");
  }

  // Replaces the data file by the synthetic one (for its malformed and made-up tables).
  void UseSyntheticTables() {
    WriteSyntheticTables(dir_ / "MortalityTables", StandardSyntheticTables());
  }

  // Puts the shipped full yield curve workbook into the form's folder.
  void AddYieldCurveWorkbook() {
    std::filesystem::copy_file(source_ / "data" / "Full Yield Curve.xls",
                               dir_ / "Full Yield Curve.xls");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A loaded form on the synthetic tables; the data-file question is answered Cancel.
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

  std::filesystem::path source_;
  std::filesystem::path dir_;
  int questions_ = 0;
};

}  // namespace orvane::app::testing
