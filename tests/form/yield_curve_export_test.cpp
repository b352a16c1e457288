#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "form/form_error.h"
#include "sheets/sheet_error.h"
#include "tests/form/form_test_support.h"

namespace orvane::form::testing {
namespace {

bool IsWorkbook(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string magic(2, '\0');
  in.read(magic.data(), 2);
  return in && magic == "PK";  // an .xlsx is a zip archive
}

// The workbook is read once per run; a failed read leaves YieldCurveLoaded false, so the next
// valuation tries again. The curve follows the month; months before the first curve (August
// 2007) take the first, after the last the last.
TEST_F(FormTest, TheWorkbookIsReadOnceAndItsCurvesFollowTheMonth) {
  auto form = MakeForm();
  form->SetChecked(Control::FullYieldCurve, true);
  form->Validate(Control::FullYieldCurve);
  EXPECT_EQ(form->Result(), "Not calculated");
  EXPECT_NE(form->Failure().find("Full Yield Curve.xls"), std::string::npos) << form->Failure();
  EXPECT_FALSE(form->YieldCurveLoaded());
  AddYieldCurveWorkbook();
  Enter(*form, Control::YearOfYieldCurve, "2007");
  Enter(*form, Control::MonthOfYieldCurve, "8");
  EXPECT_TRUE(form->YieldCurveLoaded());
  const std::string first = form->Result();
  std::filesystem::remove(dir_ / "Full Yield Curve.xls");  // still in memory
  Enter(*form, Control::MonthOfYieldCurve, "7");
  EXPECT_EQ(form->Result(), first);
  Enter(*form, Control::MonthOfYieldCurve, "9");
  EXPECT_NE(form->Result(), first);
  Enter(*form, Control::YearOfYieldCurve, "2019");
  Enter(*form, Control::MonthOfYieldCurve, "12");
  const std::string last = form->Result();
  form->SetText(Control::YearOfYieldCurve, "2030");  // typed, not left: used as it stands
  form->Calculate();
  EXPECT_EQ(form->Result(), last);
  form->SetText(Control::YearOfYieldCurve, "next");
  form->Calculate();
  EXPECT_EQ(form->Failure(), "Year \"next\" is not a number");
  form->SetChecked(Control::FullYieldCurve, false);
  form->Validate(Control::FullYieldCurve);
  EXPECT_EQ(form->Result(), "145,922.71");
  form->Load();
  EXPECT_FALSE(form->YieldCurveLoaded());
}

// The detail export recalculates with the detail kept, then clears it, also when it fails; the
// mortality export loads the four tables without recalculating. A failure writes no file.
TEST_F(FormTest, ExportsWriteWorkbooksOrNoFile) {
  auto form = MakeForm();
  std::vector<bool> keep_detail_at_result;
  form->SetChangeListener([&] {
    if (form->Result() != "Not calculated" && keep_detail_at_result.empty())
      keep_detail_at_result.push_back(form->KeepDetail());
  });
  form->ExportDetail(dir_ / "detail.xlsx");
  EXPECT_TRUE(IsWorkbook(dir_ / "detail.xlsx"));
  EXPECT_EQ(form->Result(), "145,922.71");
  EXPECT_EQ(keep_detail_at_result, std::vector<bool>{true});
  EXPECT_FALSE(form->KeepDetail());
  EXPECT_EQ(form->Text(Control::PeriodCertain), " 0.000");

  form->SetText(Control::Load, "100");
  EXPECT_THROW(form->ExportDetail(dir_ / "failed.xlsx"), FormError);
  EXPECT_FALSE(form->KeepDetail());
  EXPECT_EQ(form->Result(), "145,922.71");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "failed.xlsx"));

  auto fresh = MakeForm();
  fresh->ExportMortality(dir_ / "mortality.xlsx");
  EXPECT_TRUE(IsWorkbook(dir_ / "mortality.xlsx"));
  EXPECT_EQ(fresh->RecalculationCount(), 0);
  fresh->SetText(Control::RetirementDate, "someday");
  EXPECT_THROW(fresh->ExportMortality(dir_ / "again.xlsx"), FormError);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "again.xlsx"));
}

}  // namespace
}  // namespace orvane::form::testing
