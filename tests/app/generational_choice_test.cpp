// Generational tables chosen on the form: each follows the cohort of the life it describes.
#include <gtest/gtest.h>

#include "app/control_entry.h"
#include "app/form_model.h"
#include "form_test_support.h"
#include "tables/table_store.h"

namespace orvane::app {
namespace {

using GenerationalChoice = testing::FormTest;

valuation::QTable Cohort(const std::filesystem::path& data_file, const std::string& name,
                         int born) {
  tables::TableStore store(data_file, {});
  tables::TableRequest request;
  request.TableName = name;
  request.LifeYearOfBirth = born;
  return store.LoadTable(request);
}

TEST_F(GenerationalChoice, ParticipantAndSpouseTakeTheirOwnCohorts) {
  FormEnvironment environment;
  environment.data_dir = dir_;
  FormModel form(environment);
  form.Load();
  // As `orvane-value` enters them (it gives the same figure for these arguments).
  EnterControlText(form, Control::DateOfBirth, "7/1/1961");
  EnterControlText(form, Control::SpousesDateOfBirth, "3/1/1963");
  EnterControlText(form, Control::PercentToSurvivor, "50");
  EnterControlText(form, Control::PostRetPrimary, "PriRM-G");
  EnterControlText(form, Control::PostRetContingent, "PriCF-G");
  EnterControlText(form, Control::PreRetPrimary, "PriEM-G");
  EnterControlText(form, Control::PreRetContingent, "PriEF-G");
  form.Calculate();
  EXPECT_EQ(form.Failure(), "");
  EXPECT_EQ(form.Result(), "65,861.56");

  const sheets::MortalityColumns columns = form.LoadMortality();
  const auto data_file = dir_ / "MortalityTables";
  EXPECT_EQ(columns.PostPrimary, Cohort(data_file, "PriRM-G", 1961));
  EXPECT_EQ(columns.PrePrimary, Cohort(data_file, "PriEM-G", 1961));
  EXPECT_EQ(columns.PostContingent, Cohort(data_file, "PriCF-G", 1963));
  EXPECT_EQ(columns.PreContingent, Cohort(data_file, "PriEF-G", 1963));
  // The spouse's cohort is not the participant's: two years on, the rates are lower.
  EXPECT_LT(columns.PostContingent.at(80), Cohort(data_file, "PriCF-G", 1961).at(80));
}

}  // namespace
}  // namespace orvane::app
