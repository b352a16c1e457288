#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "form/form_error.h"
#include "numbers/number_text.h"
#include "tables/table_store.h"
#include "tests/form/form_test_support.h"
#include "valuation/valuation_engine.h"

namespace orvane::form::testing {
namespace {

constexpr const char* kDefaultValue = "145,922.71";  // the start-up form on the shipped tables

TEST_F(FormTest, StartUpShowsNoValueUntilAsked) {
  auto form = MakeForm();
  EXPECT_EQ(form->Result(), "Not calculated");
  EXPECT_EQ(form->RecalculationCount(), 0);
  EXPECT_EQ(form->Message(), "Input month to use yield curve from.");
  EXPECT_EQ(form->TableList()[1],
            "2008417e 2008 Applicable Mortality Table, Rev. Rul. 2007-67 (SOA 2801)");
  form->Calculate();
  EXPECT_EQ(form->Result(), kDefaultValue);

  std::filesystem::remove(dir_ / "MortalityTables");
  EXPECT_THROW(MakeForm(), tables::DataFileUnavailable);
  EXPECT_EQ(questions_, 1);
}

// A malformed catalogue entry leaves the lists empty and the reason shown; the form still works.
TEST_F(FormTest, AnUnreadableTableListLeavesTheChoosersEmptyAndGoesOn) {
  SpoilTable("RP2000CM", 0);
  auto form = MakeForm();
  EXPECT_TRUE(form->TableList().empty());
  EXPECT_EQ(form->Failure().rfind("The table list could not be read: ", 0), 0u) << form->Failure();
  form->Calculate();
  EXPECT_EQ(form->Result(), kDefaultValue);
  EXPECT_EQ(form->Failure(), "");
}

// The four loads in order: name, sex (the spouse's is the other), Pre, the participant's year of
// birth for all four, whatever the spouse's, and the form's options.
TEST_F(FormTest, ContingentTablesTakeTheOtherSexAndTheParticipantsYearOfBirth) {
  auto form = MakeForm();
  Enter(*form, Control::CurrentAge, "45.5");
  Enter(*form, Control::SpousesDateOfBirth, "3/3/1950");
  Enter(*form, Control::ValuationDate, "2/2/2009");
  form->SetChecked(Control::Female, true);
  form->SetChecked(Control::ProjToPayment, true);
  form->SetChecked(Control::BlendedAnnuitnat, true);
  Enter(*form, Control::PreRetPrimary, "RP2000CM");
  const auto requests = form->TableRequests();
  const char* names[] = {"2008417e", "2008417e", "RP2000CM", "None"};
  for (size_t i = 0; i < 4; ++i) {
    const tables::TableRequest& r = requests[i];
    EXPECT_EQ(std::tuple(r.TableName, r.Male, r.Pre, r.YearOfBirth, r.RetirementYear,
                         r.ValuationYear, r.DontProjTable, r.ProjToValuation, r.ProjToRetirement,
                         r.ProjToPayment, r.BlendAnn, r.BlendSex, r.FollowPreamble),
              std::tuple(std::string(names[i]), i % 2 == 1, i >= 2, 1962, 2027, 2009, false, false,
                         false, true, true, false, false))
        << i;
  }
  tables::TableStore store(dir_ / "MortalityTables", [] { return tables::RetryAnswer::kCancel; });
  const mortality::QTable male_1962 = store.LoadTable(requests[1]);
  EXPECT_EQ(form->LoadMortality().PostContingent, male_1962);
  EXPECT_NE(form->LoadMortality().PostPrimary, male_1962);
}

// The fifteen numbers reach the valuation in their places: the value built here from the same
// inputs and tables is the value the form shows.
TEST_F(FormTest, TheFifteenNumbersReachTheValuationInTheirPlaces) {
  using valuation::ValuationInputs;
  const struct {
    Control control;
    const char* text;
    double ValuationInputs::*field;
    double value;
  } kNumbers[] = {
      {Control::CurrentAge, "55.250", &ValuationInputs::CurrentAge, 55.25},
      {Control::SpousesAge, "52.000", &ValuationInputs::SpousesCurrentAge, 52},
      {Control::RetirementAge, "62.000", &ValuationInputs::PaymentAge, 62},
      {Control::Benefit, "1,234.50", &ValuationInputs::InitialBenefit, 1234.5},
      {Control::Maximum, "1,300.000", &ValuationInputs::Maximum, 1300},
      {Control::InterestRate1, "3.000", &ValuationInputs::InterestRate1, 3},
      {Control::InterestRate2, "4.000", &ValuationInputs::InterestRate2, 4},
      {Control::InterestRate3, "6.000", &ValuationInputs::InterestRate3, 6},
      {Control::PostRetirementInterest, "5.500", &ValuationInputs::PostRetirementInterest, 5.5},
      {Control::Period1, "3", &ValuationInputs::Period1, 3},
      {Control::Period2, "9", &ValuationInputs::Period2, 9},
      {Control::PeriodCertain, "5.000", &ValuationInputs::PeriodCertain, 5},
      {Control::PercentToSurvivor, "75.000", &ValuationInputs::PercentToSurvivor, 75},
      {Control::COLA, "2.000", &ValuationInputs::COLA, 2},
      {Control::Load, "1.500", &ValuationInputs::Load, 1.5},
  };
  auto form = MakeForm();
  ValuationInputs inputs;
  for (const auto& n : kNumbers) {
    form->SetText(n.control, n.text);
    inputs.*n.field = n.value;
  }
  form->SetText(Control::PreRetPrimary, "RP2000CF");
  form->SetChecked(Control::UseRoundedAge, true);
  form->Calculate();
  ASSERT_EQ(form->Failure(), "");

  tables::TableStore store(dir_ / "MortalityTables", [] { return tables::RetryAnswer::kCancel; });
  tables::TableRequest request;
  request.TableName = "RP2000CF";
  inputs.PrePrimaryMortality = store.LoadTable(request);
  request.TableName = "None";
  inputs.PreContingentMortality = store.LoadTable(request);
  request.TableName = "2008417e";
  inputs.PostPrimaryMortality = inputs.PostContingentMortality = store.LoadTable(request);
  inputs.UseRoundedAge = inputs.TreatAsYieldCurve = true;
  EXPECT_EQ(form->Result(), numbers::ResultText(valuation::Orvane(inputs)));
}

// An option click recalculates at once, and a second click on the selected one changes nothing;
// the groups are independent. Boxes without a change handler wait for the focus to leave, the
// blend boxes recalculate at once, a chooser when left. Each is seen on the results label.
TEST_F(FormTest, ChoiceControlsRecalculateWhenTheyTakeEffect) {
  auto form = MakeForm();
  form->SetText(Control::CurrentAge, "64.4");  // an age that rounding changes
  form->SetChecked(Control::ProjToValuation, true);
  const std::string male = form->Result();
  EXPECT_NE(male, "Not calculated");
  form->SetChecked(Control::Female, true);
  EXPECT_NE(form->Result(), male);
  EXPECT_FALSE(form->Checked(Control::Male));
  EXPECT_TRUE(form->Checked(Control::ProjToValuation));
  form->SetChecked(Control::Female, false);
  EXPECT_TRUE(form->Checked(Control::Male));
  EXPECT_EQ(form->Result(), male);

  // Each change is undone before the next, so each one's own effect is seen.
  for (Control box : {Control::YieldCurve, Control::UseRoundedAge, Control::BlendedMaleFemale}) {
    const bool at_once = box == Control::BlendedMaleFemale;
    form->SetChecked(box, !form->Checked(box));
    EXPECT_EQ(form->Result() != male, at_once) << NameOf(box);
    form->Validate(box);
    EXPECT_NE(form->Result(), male) << NameOf(box);
    form->SetChecked(box, !form->Checked(box));
    form->Validate(box);
    EXPECT_EQ(form->Result(), male) << NameOf(box);
  }
  // Without a projection the chooser's own table is used.
  form->SetChecked(Control::NoProjection, true);
  const std::string unprojected = form->Result();
  form->SetText(Control::PostRetPrimary, "RP2000CF");
  EXPECT_EQ(form->Result(), unprojected);
  form->Validate(Control::PostRetPrimary);
  EXPECT_NE(form->Result(), unprojected);
}

// The tooltip's figures are those of the value on display, computed when asked for; whenever
// the value on display is not that of the entries it says so instead.
TEST_F(FormTest, TheResultToolTipShowsTheSensitivitiesOfTheValueOnDisplayOnly) {
  auto form = MakeForm();
  EXPECT_EQ(form->ResultToolTip().rfind("No sensitivities: ", 0), 0u);
  form->Calculate();
  const int recalculations = form->RecalculationCount();
  const std::string tip = form->ResultToolTip();
  EXPECT_EQ(form->RecalculationCount(), recalculations);
  EXPECT_FALSE(form->Sensitivities());

  // The figures by their definitions, from three fresh forms valued with every rate of the mode
  // one basis point lower, as it stands, and one basis point higher.
  const auto value_moved = [&](double basis_points) {
    auto moved = MakeForm();
    for (Control rate : {Control::InterestRate1, Control::InterestRate2, Control::InterestRate3,
                         Control::PostRetirementInterest})
      Enter(*moved, rate,
            std::to_string(*numbers::ParseNumber(moved->Text(rate)) + basis_points / 100));
    moved->Calculate();
    return moved->Summary().value;
  };
  const double lower = value_moved(-1), value = value_moved(0), higher = value_moved(1);
  double duration = 0, dv01 = 0, convexity = 0;
  ASSERT_EQ(std::sscanf(tip.c_str(), "Duration %lf years\nDV01 %lf per basis point\nConvexity %lf",
                        &duration, &dv01, &convexity),
            3)
      << tip;
  EXPECT_NEAR(duration, (lower - higher) / (2 * 0.0001 * value), 0.00005 + 1e-9);
  EXPECT_NEAR(dv01, (lower - higher) / 2, 0.005 + 1e-9);
  EXPECT_NEAR(convexity, (lower + higher - 2 * value) / (0.0001 * 0.0001 * value), 0.005 + 1e-6);

  form->SetText(Control::InterestRate1, "6");
  EXPECT_EQ(form->ResultToolTip(),
            "No sensitivities: an entry has changed since the value on display was calculated; "
            "leave the field to recalculate");
  form->Validate(Control::InterestRate1);
  EXPECT_NE(form->ResultToolTip(), tip);
  form->SetText(Control::Load, "100");
  form->Calculate();
  EXPECT_EQ(form->ResultToolTip(),
            "No sensitivities: the value on display is not that of the entries as they stand "
            "(see the reason under it)");
  // Only some figures exist (InterestRate2 cannot move a basis point lower, the other rates
  // can): the tooltip gives the reason, not the figures it has.
  form->SetText(Control::Load, "0");
  form->SetChecked(Control::YieldCurve, false);
  form->SetText(Control::InterestRate2, "-99.995");
  form->Calculate();
  EXPECT_EQ(form->ResultToolTip(),
            "No sensitivities: InterestRate2 of -99.995% cannot move a basis point lower: an "
            "interest rate must be above -100%");
}

// A failed recalculation leaves the value on display and names the reason and the control at
// fault, wherever it is found out; the next successful one clears both.
TEST_F(FormTest, AFailedRecalculationNamesTheReasonAndTheControl) {
  SpoilTable("RP2000CF");
  AddYieldCurveWorkbook();
  auto form = MakeForm();
  form->Calculate();
  const struct {
    Control control;
    const char* spoiled;
    const char* restored;
    const char* failure;
  } cases[] = {
      {Control::Load, "100", "0.000", "Load of 100% divides the value by zero"},
      {Control::InterestRate2, "-100", "4.820",
       "InterestRate2 of -100% cannot discount: an interest rate must be above -100%"},
      {Control::ValuationDate, "13/45/2008", "1/1/2008",
       "Valuation Date \"13/45/2008\" is not a date: enter it as month/day/year"},
      {Control::Benefit, "12abc", "1,000.00", "Initial Benefit \"12abc\" is not a number"},
      {Control::PostRetPrimary, "Nonexist", "2008417e",
       "Post Retirement Primary table \"Nonexist\" is not in the data file MortalityTables, so "
       "every rate reads as 1: choose a table from the list"},
      {Control::PostRetContingent, "RP2000CF", "2008417e",
       "Post Retirement Contingent table \"RP2000CF\" cannot be used: "},
      {Control::YearOfYieldCurve, "x", "2008", "Year \"x\" is not a number"},
  };
  for (const auto& c : cases) {
    form->SetChecked(Control::FullYieldCurve, c.control == Control::YearOfYieldCurve);
    form->Calculate();
    const std::string value = form->Result();
    form->SetText(c.control, c.spoiled);
    form->Calculate();
    EXPECT_NE(form->Failure().find(c.failure), std::string::npos) << form->Failure();
    EXPECT_EQ(form->FailureControl(), c.control) << form->Failure();
    EXPECT_EQ(form->Result(), value);
    form->SetText(c.control, c.restored);
    form->Calculate();
    EXPECT_EQ(form->Failure(), "");
    EXPECT_EQ(form->FailureControl(), std::nullopt) << NameOf(c.control);
  }
  // Leaving Load replaces its 100 by 0.000 before the recalculation.
  form->SetText(Control::Load, "100");
  form->Validate(Control::Load);
  EXPECT_EQ(form->Text(Control::Load), "0.000");
  EXPECT_EQ(form->Failure(), "");

  std::filesystem::remove(dir_ / "Full Yield Curve.xls");
  auto fresh = MakeForm();
  fresh->SetChecked(Control::FullYieldCurve, true);
  fresh->Calculate();
  EXPECT_EQ(fresh->FailureControl(), Control::FullYieldCurve) << fresh->Failure();
  // A date handler whose reference date does not parse stops before recalculating.
  fresh->SetText(Control::ValuationDate, "not a date");
  const int count = fresh->RecalculationCount();
  Enter(*fresh, Control::CurrentAge, "50");
  EXPECT_EQ(fresh->FailureControl(), Control::CurrentAge);
  EXPECT_EQ(fresh->Failure().rfind("Participant's Current Age: ", 0), 0u) << fresh->Failure();
  EXPECT_EQ(fresh->RecalculationCount(), count);
}

// The data file vanishing after start-up is the one failure that ends the program; a control of
// the wrong kind is refused.
TEST_F(FormTest, AnUnavailableDataFileReachesTheCallerAndWrongKindsAreRefused) {
  auto form = MakeForm();
  EXPECT_THROW(form->SetText(Control::Female, "1"), FormError);
  EXPECT_THROW((void)form->Checked(Control::PreRetPrimary), FormError);
  std::filesystem::remove(dir_ / "MortalityTables");
  EXPECT_THROW(Enter(*form, Control::Benefit, "2000"), tables::DataFileUnavailable);
  EXPECT_THROW(form->SetChecked(Control::Female, true), tables::DataFileUnavailable);
  EXPECT_EQ(questions_, 2);
}

// Generational tables follow the cohort of the life each describes.
TEST_F(FormTest, ParticipantAndSpouseTakeTheirOwnGenerationalCohorts) {
  auto form = MakeForm();
  const std::pair<Control, const char*> entries[] = {
      {Control::DateOfBirth, "7/1/1961"},      {Control::SpousesDateOfBirth, "3/1/1963"},
      {Control::PercentToSurvivor, "50"},      {Control::PostRetPrimary, "PriRM-G"},
      {Control::PostRetContingent, "PriCF-G"}, {Control::PreRetPrimary, "PriEM-G"},
      {Control::PreRetContingent, "PriEF-G"}};
  for (const auto& [control, text] : entries) Enter(*form, control, text);
  EXPECT_EQ(form->Failure(), "");
  tables::TableStore store(dir_ / "MortalityTables", {});
  const auto cohort = [&](const char* name, int born) {
    tables::TableRequest request;
    request.TableName = name;
    request.LifeYearOfBirth = born;
    return store.LoadTable(request);
  };
  const sheets::MortalityColumns columns = form->LoadMortality();
  EXPECT_EQ(columns.PostPrimary, cohort("PriRM-G", 1961));
  EXPECT_EQ(columns.PreContingent, cohort("PriEF-G", 1963));
  EXPECT_LT(columns.PostContingent.at(80), cohort("PriCF-G", 1961).at(80));
}

// A help text shows on its own event only: moving the mouse over the benefit, the focus reaching a
// chooser, a click on the full yield curve box, a change of the valuation date; none recalculates.
TEST_F(FormTest, EachHelpTextAppearsOnItsEventOnly) {
  auto form = MakeForm();
  form->GotFocus(Control::Benefit);
  form->Click(Control::PreRetPrimary);
  form->MouseMove(Control::FullYieldCurve);
  EXPECT_EQ(form->Message(), "Input month to use yield curve from.");
  form->MouseMove(Control::Benefit);
  EXPECT_EQ(form->Message(), "This is the monthly benefit being valued.");
  form->GotFocus(Control::PreRetPrimary);
  EXPECT_EQ(form->Message().substr(0, 60),
            "Mortality table applied to participant prior to retirement. ");
  form->Click(Control::FullYieldCurve);
  EXPECT_EQ(form->Message().substr(0, 31), "If using full yield curve based");
  form->SetText(Control::ValuationDate, "1");
  EXPECT_EQ(form->Message().substr(0, 51), "This is the date the benefit is being valued as of.");
  EXPECT_EQ(form->RecalculationCount(), 0);
}

}  // namespace
}  // namespace orvane::form::testing
