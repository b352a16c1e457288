#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/form_error.h"
#include "form_test_support.h"
#include "numbers/number_text.h"
#include "tables/table_store.h"
#include "valuation/valuation_engine.h"

namespace orvane::app::testing {
namespace {

constexpr const char* kRetirementDateHelp =
    "Date on which benefit to be valued will commence.  Normally this would be the date Normal "
    "Retirement Age attained.  If entered will recalculate Retirement Age.";
constexpr const char* kValuationDateHelp =
    "This is the date the benefit is being valued as of.  If entered, current age, spouse's "
    "current age and retirement age will be recalculated.";
constexpr const char* kMonthHelp = "Input month to use yield curve from.";

using StartUp = FormTest;

TEST_F(StartUp, WritesTheDefaultsWithoutRecalculating) {
  FormEnvironment environment;
  environment.data_dir = dir_;
  FormModel form(environment);
  EXPECT_EQ(form.Message(), "Calculate present values");
  std::vector<std::string> messages;
  form.SetChangeListener([&] {
    if (messages.empty() || messages.back() != form.Message())
      messages.push_back(form.Message());
  });
  form.Load();

  const std::vector<std::pair<Control, std::string>> texts = {
      {Control::CurrentAge, "65.000"},
      {Control::SpousesAge, "65.000"},
      {Control::RetirementAge, "65.000"},
      {Control::InterestRate1, " 4.600"},
      {Control::InterestRate2, " 4.820"},
      {Control::InterestRate3, " 4.910"},
      {Control::Period1, " 5"},
      {Control::Period2, "15"},
      {Control::PostRetirementInterest, " 5.000"},
      {Control::Benefit, "  1,000.00"},
      {Control::Maximum, " 20,000.00"},
      {Control::PeriodCertain, " 0.000"},
      {Control::PercentToSurvivor, "  0.000"},
      {Control::COLA, " 0.000"},
      {Control::Load, " 0.000"},
      {Control::DateOfBirth, "01/01/1943"},
      {Control::SpousesDateOfBirth, "01/01/1943"},
      {Control::RetirementDate, "01/01/2008"},
      {Control::ValuationDate, "01/01/2008"},
      {Control::YearOfYieldCurve, "2008"},
      {Control::MonthOfYieldCurve, " 1"},
      {Control::PreRetPrimary, "None"},
      {Control::PostRetContingent, "2008417e"},
      {Control::PreRetContingent, "None"},
      {Control::PostRetPrimary, "2008417e"},
  };
  for (const auto& [control, text] : texts) EXPECT_EQ(form.Text(control), text) << NameOf(control);
  for (Control on : {Control::YieldCurve, Control::NoProjection, Control::Male}) {
    EXPECT_TRUE(form.Checked(on)) << NameOf(on);
  }
  for (Control off : {Control::UseRoundedAge, Control::BlendedAnnuitnat, Control::BlendedMaleFemale,
                      Control::UsePreamble, Control::FullYieldCurve, Control::ProjToValuation,
                      Control::ProjToRetirement, Control::ProjToPayment, Control::Female}) {
    EXPECT_FALSE(form.Checked(off)) << NameOf(off);
  }
  // The date writes fire Change: valuation date first, retirement date last of the dates, then
  // the month of the yield curve.
  EXPECT_EQ(messages, (std::vector<std::string>{"Calculate present values", kValuationDateHelp,
                                                kRetirementDateHelp, kMonthHelp}));
  EXPECT_EQ(form.Message(), kMonthHelp);
  EXPECT_EQ(form.Result(), "Not calculated");
  EXPECT_EQ(form.RecalculationCount(), 0);
  EXPECT_FALSE(form.YieldCurveLoaded());
  EXPECT_FALSE(form.KeepDetail());
  EXPECT_EQ(form.Failure(), "");

  // The choosers list the catalogue in order: name as stored, a blank, the description.
  ASSERT_GT(form.TableList().size(), 2u);
  EXPECT_EQ(form.TableList()[0], "None     No mortality: rate 0 at every age");
  EXPECT_EQ(form.TableList()[1],
            "2008417e 2008 Applicable Mortality Table, Rev. Rul. 2007-67 (SOA 2801)");
  EXPECT_EQ(form.TableList().back(),
            "F-A-Base RP-2000 female annuitant: Employee to 49, Annuitant 50+");
}

TEST_F(StartUp, WithoutTheDataFileTheAnswerCancelEndsTheProgram) {
  std::filesystem::remove(dir_ / "MortalityTables");
  FormEnvironment environment;
  environment.data_dir = dir_;
  environment.ask_retry = [this] {
    ++questions_;
    return tables::RetryAnswer::kCancel;
  };
  FormModel form(environment);
  EXPECT_THROW(form.Load(), tables::DataFileUnavailable);
  EXPECT_EQ(questions_, 1);
}

// A catalogue entry whose table file is malformed: the lists stay empty, the reason is kept, and
// start-up goes on so that the window still opens with its defaults.
TEST_F(StartUp, AnUnreadableTableListLeavesTheChoosersEmptyAndGoesOn) {
  SpoilTable("RP2000CM", 0);
  auto form = MakeForm();
  EXPECT_TRUE(form->TableList().empty());
  EXPECT_EQ(form->Failure().rfind("The table list could not be read: ", 0), 0u) << form->Failure();
  EXPECT_EQ(form->Text(Control::MonthOfYieldCurve), " 1");
  EXPECT_EQ(form->Message(), kMonthHelp);
  form->Calculate();
  EXPECT_EQ(form->Result(), "145,922.71");
  EXPECT_EQ(form->Failure(), "");
}

using DatesAndAges = FormTest;

TEST_F(DatesAndAges, AnEnteredAgeMovesTheDatesAndAnEnteredDateTheAges) {
  auto form = MakeForm();
  Enter(*form, Control::CurrentAge, "45.5");
  EXPECT_EQ(form->Text(Control::CurrentAge), "45.500");
  EXPECT_EQ(form->Text(Control::DateOfBirth), "7/1/1962");
  EXPECT_EQ(form->Text(Control::RetirementDate), "7/1/2027");
  EXPECT_EQ(form->Text(Control::ValuationDate), "01/01/2008");
  // The rewrite of RetirementDate is a change of that field: its help text shows.
  EXPECT_EQ(form->Message(), kRetirementDateHelp);
  EXPECT_EQ(form->RecalculationCount(), 1);
  EXPECT_EQ(form->Failure(), "");
  EXPECT_NE(form->Result(), "Not calculated");

  Enter(*form, Control::RetirementDate, "1/1/2030");
  EXPECT_EQ(form->Text(Control::RetirementAge), "67.5");
  EXPECT_EQ(form->Text(Control::RetirementDate), "1/1/2030");
  EXPECT_EQ(form->RecalculationCount(), 2);
}

TEST_F(DatesAndAges, UnusableEntriesAreRebuiltFromThePairedAgeOrDate) {
  auto form = MakeForm();
  Enter(*form, Control::RetirementDate, "abc");
  EXPECT_EQ(form->Text(Control::RetirementDate), "1/1/2008");
  EXPECT_EQ(form->Text(Control::RetirementAge), "65");

  Enter(*form, Control::SpousesDateOfBirth, "");
  EXPECT_EQ(form->Text(Control::SpousesDateOfBirth), "1/1/1943");
  EXPECT_EQ(form->Text(Control::SpousesAge), "65");

  Enter(*form, Control::SpousesAge, "120");
  EXPECT_EQ(form->Text(Control::SpousesAge), "65.000");
  EXPECT_EQ(form->Text(Control::SpousesDateOfBirth), "1/1/1943");
  EXPECT_EQ(form->RecalculationCount(), 3);
  EXPECT_EQ(form->Failure(), "");
}

TEST_F(DatesAndAges, ANewValuationDateMovesBothCurrentAgesOnly) {
  auto form = MakeForm();
  Enter(*form, Control::ValuationDate, "1/1/2010");
  EXPECT_EQ(form->Text(Control::ValuationDate), "1/1/2010");
  EXPECT_EQ(form->Text(Control::CurrentAge), "67");
  EXPECT_EQ(form->Text(Control::SpousesAge), "67");
  EXPECT_EQ(form->Text(Control::RetirementDate), "01/01/2008");
  EXPECT_EQ(form->Text(Control::RetirementAge), "65.000");
  EXPECT_EQ(form->Message(), kValuationDateHelp);
  // The participant is two years past the payment age; the value differs from the default.
  const std::string later = form->Result();
  Enter(*form, Control::ValuationDate, "1/1/2008");
  EXPECT_NE(form->Result(), later);
}

// Going back 45.669 years from 1/1/2008 lands on 4/31/1962, a day of the 372-day calendar that
// April lacks. The form keeps it and later recalculations read its year as usual.
TEST_F(DatesAndAges, ARebuiltThirtyFirstOfAprilSurvivesLaterRecalculations) {
  auto form = MakeForm();
  Enter(*form, Control::CurrentAge, "45.669");
  EXPECT_EQ(form->Text(Control::DateOfBirth), "4/31/1962");
  EXPECT_EQ(form->Text(Control::RetirementDate), "4/31/2027");
  EXPECT_EQ(form->Failure(), "");
  const std::string value = form->Result();
  form->Validate(Control::Benefit);
  EXPECT_EQ(form->Failure(), "");
  EXPECT_EQ(form->Result(), value);
  EXPECT_EQ(form->TableRequests()[1].YearOfBirth, 1962);
  EXPECT_EQ(form->TableRequests()[0].RetirementYear, 2027);
  form->Validate(Control::DateOfBirth);
  EXPECT_EQ(form->Text(Control::DateOfBirth), "4/31/1962");
  EXPECT_EQ(form->Failure(), "");
}

using TableLoads = FormTest;

// The four loads: order, names, sex (the spouse is of the other sex), Pre, and the
// participant's year of birth for all four.
TEST_F(TableLoads, ContingentTablesTakeTheOtherSexAndTheParticipantsYearOfBirth) {
  auto form = MakeForm();
  Enter(*form, Control::CurrentAge, "45.5");              // born 7/1/1962
  Enter(*form, Control::SpousesDateOfBirth, "3/3/1950");  // never a year of birth of a load
  Enter(*form, Control::ValuationDate, "2/2/2009");
  form->SetChecked(Control::Female, true);
  form->SetChecked(Control::ProjToPayment, true);
  form->SetChecked(Control::BlendedAnnuitnat, true);
  Enter(*form, Control::PreRetPrimary, "RP2000CM");

  const auto requests = form->TableRequests();
  const std::vector<std::string> names = {"2008417e", "2008417e", "RP2000CM", "None"};
  const std::vector<bool> male = {false, true, false, true};
  const std::vector<bool> pre = {false, false, true, true};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(requests[i].TableName, names[i]) << i;
    EXPECT_EQ(requests[i].Male, male[i]) << i;
    EXPECT_EQ(requests[i].Pre, pre[i]) << i;
    EXPECT_EQ(requests[i].YearOfBirth, 1962) << i;
    EXPECT_EQ(requests[i].RetirementYear, 2027) << i;
    EXPECT_EQ(requests[i].ValuationYear, 2009) << i;
    EXPECT_FALSE(requests[i].DontProjTable);
    EXPECT_FALSE(requests[i].ProjToValuation);
    EXPECT_FALSE(requests[i].ProjToRetirement);
    EXPECT_TRUE(requests[i].ProjToPayment);
    EXPECT_TRUE(requests[i].BlendAnn);
    EXPECT_FALSE(requests[i].BlendSex);
    EXPECT_FALSE(requests[i].FollowPreamble);
  }

  // Through the loaded tables: the spouse's post-retirement table is the male projection for a
  // life born in 1962, whatever the spouse's date of birth.
  tables::TableStore store(dir_ / "MortalityTables", [] { return tables::RetryAnswer::kCancel; });
  tables::TableRequest male_1962 = requests[1];
  const valuation::QTable expected = store.LoadTable(male_1962);
  const sheets::MortalityColumns loaded = form->LoadMortality();
  EXPECT_EQ(loaded.PostContingent, expected);
  EXPECT_NE(loaded.PostPrimary, expected);  // the female participant's own projection

  Enter(*form, Control::SpousesDateOfBirth, "3/3/1955");
  EXPECT_EQ(form->LoadMortality().PostContingent, expected);
  Enter(*form, Control::DateOfBirth, "3/3/1955");
  EXPECT_NE(form->LoadMortality().PostContingent, expected);
}

// The fifteen numbers reach the valuation in their places: a value built here from the same
// inputs and the same tables is the value the form shows.
TEST_F(TableLoads, TheFifteenNumbersReachTheValuationInTheirPlaces) {
  auto form = MakeForm();
  const std::vector<std::pair<Control, std::string>> typed = {
      {Control::CurrentAge, "55.250"},
      {Control::SpousesAge, "52.000"},
      {Control::RetirementAge, "62.000"},
      {Control::Benefit, "1,234.50"},
      {Control::Maximum, "1,300.000"},
      {Control::InterestRate1, "3.000"},
      {Control::InterestRate2, "4.000"},
      {Control::InterestRate3, "6.000"},
      {Control::PostRetirementInterest, "5.500"},
      {Control::Period1, "3"},
      {Control::Period2, "9"},
      {Control::PeriodCertain, "5.000"},
      {Control::PercentToSurvivor, "75.000"},
      {Control::COLA, "2.000"},
      {Control::Load, "1.500"}};
  for (const auto& [control, text] : typed) form->SetText(control, text);
  form->SetText(Control::PreRetPrimary, "RP2000CF");
  form->SetChecked(Control::UseRoundedAge, true);
  form->Calculate();
  ASSERT_EQ(form->Failure(), "");

  tables::TableStore store(dir_ / "MortalityTables", [] { return tables::RetryAnswer::kCancel; });
  tables::TableRequest request;
  valuation::ValuationInputs inputs;
  inputs.CurrentAge = 55.25;
  inputs.SpousesCurrentAge = 52;
  inputs.PaymentAge = 62;
  inputs.InitialBenefit = 1234.5;
  inputs.Maximum = 1300;
  inputs.InterestRate1 = 3;
  inputs.InterestRate2 = 4;
  inputs.InterestRate3 = 6;
  inputs.PostRetirementInterest = 5.5;
  inputs.Period1 = 3;
  inputs.Period2 = 9;
  inputs.PeriodCertain = 5;
  inputs.PercentToSurvivor = 75;
  inputs.COLA = 2;
  inputs.Load = 1.5;
  request.TableName = "RP2000CF";
  inputs.PrePrimaryMortality = store.LoadTable(request);
  request.TableName = "None";
  inputs.PreContingentMortality = store.LoadTable(request);
  request.TableName = "2008417e";
  inputs.PostPrimaryMortality = store.LoadTable(request);
  inputs.PostContingentMortality = inputs.PostPrimaryMortality;
  inputs.UseRoundedAge = true;
  inputs.ProjectMortality = true;
  inputs.TreatAsYieldCurve = true;
  EXPECT_EQ(form->Result(), numbers::ResultText(valuation::Orvane(inputs)));
}

using ChoiceControls = FormTest;

TEST_F(ChoiceControls, AnOptionClickRecalculatesTwiceWithTheFinalGroup) {
  auto form = MakeForm();
  form->SetChecked(Control::ProjToValuation, true);
  EXPECT_EQ(form->RecalculationCount(), 2);
  EXPECT_FALSE(form->Checked(Control::NoProjection));
  const std::string male = form->Result();

  form->SetChecked(Control::Female, true);
  EXPECT_EQ(form->RecalculationCount(), 4);
  EXPECT_TRUE(form->Checked(Control::Female));
  EXPECT_FALSE(form->Checked(Control::Male));
  EXPECT_TRUE(form->Checked(Control::ProjToValuation));  // the groups are independent
  EXPECT_NE(form->Result(), male);

  // The same final state reached the other way round shows the same value.
  auto other = MakeForm();
  other->SetChecked(Control::Female, true);
  other->SetChecked(Control::ProjToValuation, true);
  EXPECT_EQ(other->Result(), form->Result());

  // Clicking the selected button again changes nothing and does not recalculate.
  form->SetChecked(Control::Female, true);
  EXPECT_EQ(form->RecalculationCount(), 4);
  // Leaving an option button recalculates.
  form->Validate(Control::Female);
  EXPECT_EQ(form->RecalculationCount(), 5);
  // Clearing the selected button selects the other of its group.
  form->SetChecked(Control::Female, false);
  EXPECT_TRUE(form->Checked(Control::Male));
  EXPECT_EQ(form->Result(), male);
  form->SetChecked(Control::ProjToValuation, false);
  EXPECT_TRUE(form->Checked(Control::NoProjection));
}

TEST_F(ChoiceControls, BoxesWithoutChangeHandlersWaitForTheFocusToLeave) {
  auto form = MakeForm();
  form->Validate(Control::YieldCurve);
  EXPECT_EQ(form->RecalculationCount(), 1);
  const std::string segments = form->Result();

  form->SetChecked(Control::YieldCurve, false);
  EXPECT_EQ(form->RecalculationCount(), 1);
  EXPECT_EQ(form->Result(), segments);
  form->Validate(Control::YieldCurve);
  EXPECT_EQ(form->RecalculationCount(), 2);
  EXPECT_NE(form->Result(), segments);

  for (Control box : {Control::UseRoundedAge, Control::UsePreamble, Control::FullYieldCurve}) {
    form->SetChecked(box, true);
    form->SetChecked(box, false);
  }
  EXPECT_EQ(form->RecalculationCount(), 2);
}

TEST_F(ChoiceControls, BlendBoxesRecalculateAtOnce) {
  auto form = MakeForm();
  form->SetChecked(Control::BlendedAnnuitnat, true);
  EXPECT_EQ(form->RecalculationCount(), 1);
  form->SetChecked(Control::BlendedMaleFemale, true);
  EXPECT_EQ(form->RecalculationCount(), 2);
  form->Validate(Control::BlendedMaleFemale);
  EXPECT_EQ(form->RecalculationCount(), 3);
  // With "No Projection" the blends have no effect.
  auto plain = MakeForm();
  plain->Calculate();
  EXPECT_EQ(form->Result(), plain->Result());
}

TEST_F(ChoiceControls, AChooserTakesEffectWhenLeft) {
  auto form = MakeForm();
  form->GotFocus(Control::PostRetPrimary);
  EXPECT_EQ(form->Message(), "Mortality table for plan participant after retirement.");
  form->Validate(Control::PostRetPrimary);  // left unchanged: still one recalculation
  EXPECT_EQ(form->RecalculationCount(), 1);
  const std::string standard = form->Result();

  form->SetText(Control::PostRetPrimary,
                "RP2000CF RP-2000 Combined Healthy, female, base year 2000");
  EXPECT_EQ(form->RecalculationCount(), 1);
  EXPECT_EQ(form->Result(), standard);
  form->Validate(Control::PostRetPrimary);
  EXPECT_EQ(form->RecalculationCount(), 2);
  // The longer lives of women: a larger value.
  EXPECT_GT(*numbers::ParseNumber(form->Result()), *numbers::ParseNumber(standard));
}

using ResultToolTip = FormTest;

// The tooltip's figures are those of the value on display, computed when asked for; whenever the
// value on display is not that of the entries it says so instead.
TEST_F(ResultToolTip, ShowsTheSensitivitiesOfTheValueOnDisplayOnly) {
  auto form = MakeForm();
  EXPECT_EQ(form->ResultToolTip().rfind("No sensitivities: ", 0), 0u);
  form->Calculate();
  const int recalculations = form->RecalculationCount();
  const std::string tip = form->ResultToolTip();
  EXPECT_EQ(form->RecalculationCount(), recalculations);
  EXPECT_FALSE(form->Sensitivities());  // the window's form keeps none

  // The same figures as a batch run's form, which computes them with every value.
  FormEnvironment batch;
  batch.data_dir = dir_;
  batch.with_sensitivities = true;
  FormModel batch_form(batch);
  batch_form.Load();
  batch_form.Calculate();
  ASSERT_TRUE(batch_form.Sensitivities());
  const valuation::Sensitivities& figures = *batch_form.Sensitivities();
  EXPECT_EQ(numbers::ResultText(figures.value), form->Result());
  EXPECT_EQ(tip, "Duration " + numbers::FormatPicture(*figures.Duration, "#,##0.0000") +
                     " years\nDV01 " + numbers::FormatPicture(*figures.DV01, "#,##0.00") +
                     " per basis point\nConvexity " +
                     numbers::FormatPicture(*figures.Convexity, "#,##0.00"));
  EXPECT_GT(*figures.Duration, 1.0);

  form->SetText(Control::InterestRate1, "6");  // typed, not left
  EXPECT_EQ(form->ResultToolTip(),
            "No sensitivities: an entry has changed since the value on display was calculated; "
            "leave the field to recalculate");
  form->Validate(Control::InterestRate1);
  EXPECT_NE(form->ResultToolTip(), tip);
  EXPECT_EQ(form->ResultToolTip().rfind("Duration ", 0), 0u);

  form->SetText(Control::Load, "100");
  form->Calculate();
  ASSERT_NE(form->Failure(), "");
  EXPECT_EQ(form->ResultToolTip(),
            "No sensitivities: the value on display is not that of the entries as they stand "
            "(see the reason under it)");
  batch_form.SetText(Control::Load, "100");
  batch_form.Calculate();
  EXPECT_FALSE(batch_form.Sensitivities());

  Enter(*form, Control::Load, "0");
  Enter(*form, Control::Benefit, "0");
  EXPECT_EQ(form->ResultToolTip(),
            "No sensitivities: The present value is 0, so it has no duration or convexity");
}

using FailedRecalculation = FormTest;

TEST_F(FailedRecalculation, LeavesTheLabelAndNamesTheReason) {
  auto form = MakeForm();
  form->Calculate();
  const std::string value = form->Result();
  ASSERT_EQ(value, "145,922.71");  // the default form on the shipped tables

  // Typed and not yet left: Load 100 reaches a recalculation started elsewhere.
  form->SetText(Control::Load, "100");
  form->SetChecked(Control::BlendedAnnuitnat, true);
  EXPECT_EQ(form->Result(), value);
  EXPECT_NE(form->Failure().find("Load"), std::string::npos) << form->Failure();
  // Leaving the field replaces it by 0.000 and the next recalculation clears the reason.
  form->Validate(Control::Load);
  EXPECT_EQ(form->Text(Control::Load), "0.000");
  EXPECT_EQ(form->Failure(), "");
  EXPECT_EQ(form->Result(), value);

  form->SetText(Control::ValuationDate, "13/45/2008");
  form->Calculate();
  EXPECT_EQ(form->Failure(),
            "Valuation Date \"13/45/2008\" is not a date: enter it as month/day/year");
  form->SetText(Control::ValuationDate, "1/1/2008");
  form->SetText(Control::Benefit, "12abc");
  form->Calculate();
  EXPECT_EQ(form->Failure(), "Initial Benefit \"12abc\" is not a number");
  EXPECT_EQ(form->Result(), value);
  EXPECT_EQ(form->RecalculationCount(), 5);
}

TEST_F(FailedRecalculation, ATableTheLoaderRejectsIsNamedWithItsChooser) {
  SpoilTable("RP2000CF");
  auto form = MakeForm();
  // Only a rate is spoiled: the table is still listed with its description.
  const std::vector<std::string>& list = form->TableList();
  EXPECT_NE(std::find(list.begin(), list.end(),
                      "RP2000CF RP-2000 Combined Healthy, female, base year 2000"),
            list.end());
  form->Calculate();
  const std::string value = form->Result();
  ASSERT_EQ(form->Failure(), "");
  Enter(*form, Control::PostRetContingent, "RP2000CF");
  EXPECT_EQ(form->Result(), value);
  EXPECT_EQ(
      form->Failure().rfind("Post Retirement Contingent table \"RP2000CF\" cannot be used: ", 0),
      0u)
      << form->Failure();
  Enter(*form, Control::PostRetContingent, "2008417e");
  EXPECT_EQ(form->Failure(), "");
  EXPECT_EQ(form->Result(), value);
}

// The control at fault comes with the failure as data, from wherever it is found out: the
// number and date conversions, the valuation's own checks, a table the data file lacks, the
// yield curve workbook; a successful recalculation clears it.
TEST_F(FailedRecalculation, TheControlAtFaultComesWithTheReason) {
  auto form = MakeForm();
  const struct {
    Control control;
    const char* spoiled;
    const char* restored;
  } cases[] = {
      {Control::Load, "100", "0.000"},
      {Control::InterestRate2, "-100", "4.820"},
      {Control::ValuationDate, "13/45/2008", "1/1/2008"},
      {Control::Benefit, "12abc", "1,000.00"},
      {Control::PostRetPrimary, "Nonexist", "2008417e"},
      {Control::YearOfYieldCurve, "x", "2008"},
  };
  for (const auto& c : cases) {
    form->SetChecked(Control::FullYieldCurve, c.control == Control::YearOfYieldCurve);
    if (c.control == Control::YearOfYieldCurve)
      AddYieldCurveWorkbook();
    form->SetText(c.control, c.spoiled);
    form->Calculate();
    EXPECT_NE(form->Failure(), "") << c.spoiled;
    EXPECT_EQ(form->FailureControl(), c.control) << form->Failure();
    form->SetText(c.control, c.restored);
    form->Calculate();
    EXPECT_EQ(form->Failure(), "");
    EXPECT_EQ(form->FailureControl(), std::nullopt) << NameOf(c.control);
  }
  // Without the workbook, the box that asks for it is at fault.
  std::filesystem::remove(dir_ / "Full Yield Curve.xls");
  auto fresh = MakeForm();
  fresh->SetChecked(Control::FullYieldCurve, true);
  fresh->Calculate();
  EXPECT_EQ(fresh->FailureControl(), Control::FullYieldCurve) << fresh->Failure();
  // A date handler that fails is about the field it was leaving.
  fresh->SetText(Control::ValuationDate, "not a date");
  Enter(*fresh, Control::CurrentAge, "50");
  EXPECT_EQ(fresh->FailureControl(), Control::CurrentAge);
}

// A date handler whose reference date does not parse stops before recalculating.
TEST_F(FailedRecalculation, ADateHandlerThatFailsDoesNotRecalculate) {
  auto form = MakeForm();
  form->SetText(Control::ValuationDate, "not a date");
  Enter(*form, Control::CurrentAge, "50");
  EXPECT_EQ(form->RecalculationCount(), 0);
  EXPECT_EQ(form->Result(), "Not calculated");
  EXPECT_EQ(form->Failure().rfind("Participant's Current Age: ", 0), 0u) << form->Failure();
}

// The data file vanishing after start-up is the one failure that ends the program.
TEST_F(FailedRecalculation, AnUnavailableDataFileReachesTheCaller) {
  auto form = MakeForm();
  std::filesystem::remove(dir_ / "MortalityTables");
  EXPECT_THROW(Enter(*form, Control::Benefit, "2000"), tables::DataFileUnavailable);
  EXPECT_THROW(form->SetChecked(Control::Female, true), tables::DataFileUnavailable);
  EXPECT_EQ(questions_, 2);
}

TEST_F(FailedRecalculation, WrongKindsOfControlAreRefused) {
  auto form = MakeForm();
  EXPECT_THROW(form->SetText(Control::Female, "1"), FormError);
  EXPECT_THROW(form->SetChecked(Control::Benefit, true), FormError);
  EXPECT_THROW((void)form->Text(Control::ExportDetail), FormError);
  EXPECT_THROW((void)form->Checked(Control::PreRetPrimary), FormError);
  form->Validate(Control::ExportDetail);  // a button has no Validate
  EXPECT_EQ(form->RecalculationCount(), 0);
}

}  // namespace
}  // namespace orvane::app::testing
