#include "form/detail/valuation_of_form.h"

#include <optional>
#include <string_view>

#include "dates/calendar.h"
#include "form/form_error.h"
#include "numbers/number_text.h"
#include "sheets/sheet_error.h"
#include "sheets/yield_curve_workbook.h"

namespace orvane::form::detail {
namespace {

using valuation::ValuationInputs;

// The calendar year of a date field. The parser accepts the 372-day dates that the date
// handlers can write (4/31/1962), so such a date does not stop the recalculation.
int YearOf(const FormModel& form, Control control) {
  const std::string& text = form.Text(control);
  const std::optional<dates::CalendarDate> date = dates::ParseDate(text);
  if (!date) {
    throw FormError(std::string(CaptionOf(control)) + " \"" + text +
                        "\" is not a date: enter it as month/day/year",
                    control);
  }
  return date->year;
}

}  // namespace

double NumberOf(const FormModel& form, Control control) {
  const std::optional<double> value = form.NumberIn(control);
  if (!value) {
    throw FormError(
        std::string(CaptionOf(control)) + " \"" + form.Text(control) + "\" is not a number",
        control);
  }
  return *value;
}

namespace {

// The fifteen number fields and the valuation inputs they fill, in the valuation's order, with
// the name the valuation's errors give each input.
struct NumberInput {
  Control control;
  double ValuationInputs::*input;
  valuation::Input name;
};

constexpr std::array<NumberInput, 15> kNumberInputs = {{
    {Control::CurrentAge, &ValuationInputs::CurrentAge, valuation::Input::CurrentAge},
    {Control::SpousesAge, &ValuationInputs::SpousesCurrentAge, valuation::Input::SpousesCurrentAge},
    {Control::RetirementAge, &ValuationInputs::PaymentAge, valuation::Input::PaymentAge},
    {Control::Benefit, &ValuationInputs::InitialBenefit, valuation::Input::InitialBenefit},
    {Control::Maximum, &ValuationInputs::Maximum, valuation::Input::Maximum},
    {Control::InterestRate1, &ValuationInputs::InterestRate1, valuation::Input::InterestRate1},
    {Control::InterestRate2, &ValuationInputs::InterestRate2, valuation::Input::InterestRate2},
    {Control::InterestRate3, &ValuationInputs::InterestRate3, valuation::Input::InterestRate3},
    {Control::PostRetirementInterest, &ValuationInputs::PostRetirementInterest,
     valuation::Input::PostRetirementInterest},
    {Control::Period1, &ValuationInputs::Period1, valuation::Input::Period1},
    {Control::Period2, &ValuationInputs::Period2, valuation::Input::Period2},
    {Control::PeriodCertain, &ValuationInputs::PeriodCertain, valuation::Input::PeriodCertain},
    {Control::PercentToSurvivor, &ValuationInputs::PercentToSurvivor,
     valuation::Input::PercentToSurvivor},
    {Control::COLA, &ValuationInputs::COLA, valuation::Input::COLA},
    {Control::Load, &ValuationInputs::Load, valuation::Input::Load},
}};

// The choosers in the order of the four loads.
constexpr std::array<Control, 4> kLoadOrder = {Control::PostRetPrimary, Control::PostRetContingent,
                                               Control::PreRetPrimary, Control::PreRetContingent};

mortality::QTable LoadChosen(tables::TableStore& store, tables::TableCache* cache,
                             const tables::TableRequest& request, Control chooser,
                             bool* follows_life) {
  try {
    return cache != nullptr ? cache->Load(request, store, follows_life) : store.LoadTable(request);
  } catch (const tables::DataFileUnavailable&) {
    throw;
  } catch (const tables::TableError& e) {
    // The table's name only, not the chooser's whole text: a long typed text stays out of the
    // message.
    throw FormError(std::string(CaptionOf(chooser)) + " table \"" + request.Name() +
                        "\" cannot be used: " + e.what(),
                    chooser);
  }
}

// The valuation's input that each chooser fills.
struct ChooserTable {
  Control chooser;
  valuation::Input table;
  size_t load;  // index in kLoadOrder
};
constexpr std::array<ChooserTable, 4> kChooserTables = {{
    {Control::PostRetPrimary, valuation::Input::PostPrimaryMortality, 0},
    {Control::PostRetContingent, valuation::Input::PostContingentMortality, 1},
    {Control::PreRetPrimary, valuation::Input::PrePrimaryMortality, 2},
    {Control::PreRetContingent, valuation::Input::PreContingentMortality, 3},
}};

// The control that fills a valuation input, or nothing for a failure of no one input.
std::optional<Control> ControlOf(valuation::Input input) {
  for (const NumberInput& number : kNumberInputs) {
    if (number.name == input)
      return number.control;
  }
  for (const ChooserTable& entry : kChooserTables) {
    if (entry.table == input)
      return entry.chooser;
  }
  switch (input) {
    case valuation::Input::YearOfYieldCurve:
      return Control::YearOfYieldCurve;
    case valuation::Input::MonthOfYieldCurve:
      return Control::MonthOfYieldCurve;
    case valuation::Input::FullYieldCurve:
      return Control::FullYieldCurve;
    default:
      return std::nullopt;
  }
}

// A chooser naming a table the data file lacks loads as certain death at every age, and the
// valuation then stops on a rate of 1 in a table it knows only by its own name. Says which
// chooser it was and why, so the user can pick another table.
void ExplainMissingTable(const valuation::ValuationError& error, tables::TableStore& store,
                         const std::array<tables::TableRequest, 4>& requests) {
  for (const ChooserTable& entry : kChooserTables) {
    if (entry.table != error.input())
      continue;
    const tables::TableRequest& request = requests[entry.load];
    const std::string name8 = request.Name();
    if (request.IsDirect() && store.OpenFile(name8) == 0) {
      throw FormError(std::string(CaptionOf(entry.chooser)) + " table \"" + name8 +
                          "\" is not in the data file " + store.data_file().filename().string() +
                          ", so every rate reads as 1: choose a table from the list",
                      entry.chooser);
    }
  }
}

}  // namespace

std::array<tables::TableRequest, 4> TableRequestsOf(const FormModel& form) {
  tables::TableRequest common;
  common.DontProjTable = form.Checked(Control::NoProjection);
  common.ProjToValuation = form.Checked(Control::ProjToValuation);
  common.ProjToRetirement = form.Checked(Control::ProjToRetirement);
  common.ProjToPayment = form.Checked(Control::ProjToPayment);
  common.BlendAnn = form.Checked(Control::BlendedAnnuitnat);
  common.BlendSex = form.Checked(Control::BlendedMaleFemale);
  common.RetirementYear = YearOf(form, Control::RetirementDate);
  common.ValuationYear = YearOf(form, Control::ValuationDate);
  // The projection to each year of payment follows the participant's year of birth for all four
  // tables; a generational table follows its own life's (below).
  common.YearOfBirth = YearOf(form, Control::DateOfBirth);
  common.FollowPreamble = form.Checked(Control::UsePreamble);

  // A generational table follows the life it describes: the participant's cohort for the
  // primary choosers, the spouse's for the contingent ones. A spouse's date that does not parse
  // stops only a generational table, which then says it needs a year of birth.
  const std::optional<dates::CalendarDate> spouse =
      dates::ParseDate(form.Text(Control::SpousesDateOfBirth));

  std::array<tables::TableRequest, 4> requests;
  for (size_t i = 0; i < kLoadOrder.size(); ++i) {
    const Control chooser = kLoadOrder[i];
    const bool contingent =
        chooser == Control::PostRetContingent || chooser == Control::PreRetContingent;
    requests[i] = common;
    requests[i].TableName = form.Text(chooser);
    // The spouse is taken to be of the other sex than the participant.
    requests[i].Male = contingent ? form.Checked(Control::Female) : form.Checked(Control::Male);
    requests[i].Pre = chooser == Control::PreRetPrimary || chooser == Control::PreRetContingent;
    if (!contingent)
      requests[i].LifeYearOfBirth = common.YearOfBirth;
    else if (spouse)
      requests[i].LifeYearOfBirth = spouse->year;
  }
  return requests;
}

sheets::MortalityColumns LoadTables(const std::array<tables::TableRequest, 4>& requests,
                                    tables::TableStore& store, tables::TableCache* cache,
                                    LastTables* last) {
  // The column each place of kLoadOrder fills; a census copies each table as few times as it can.
  static constexpr std::array<mortality::QTable sheets::MortalityColumns::*, 4> kColumnOf = {
      &sheets::MortalityColumns::PostPrimary, &sheets::MortalityColumns::PostContingent,
      &sheets::MortalityColumns::PrePrimary, &sheets::MortalityColumns::PreContingent};
  sheets::MortalityColumns columns;
  for (size_t i = 0; i < kLoadOrder.size(); ++i) {
    mortality::QTable& column = columns.*kColumnOf[i];
    if (last != nullptr && last->held[i] &&
        tables::TableCache::SameTable(last->requests[i], requests[i], last->follows_life[i])) {
      column = last->tables[i];
      continue;
    }
    bool follows_life = false;
    column = LoadChosen(store, cache, requests[i], kLoadOrder[i], &follows_life);
    if (last != nullptr) {
      last->requests[i] = requests[i];
      last->follows_life[i] = follows_life;
      last->tables[i] = column;
      last->held[i] = true;
    }
  }
  return columns;
}

valuation::ValuationInputs ValuationInputsOf(const FormModel& form,
                                             const sheets::MortalityColumns& tables) {
  ValuationInputs inputs;
  for (const NumberInput& number : kNumberInputs)
    inputs.*number.input = NumberOf(form, number.control);
  inputs.PrePrimaryMortality = tables.PrePrimary;
  inputs.PreContingentMortality = tables.PreContingent;
  inputs.PostPrimaryMortality = tables.PostPrimary;
  inputs.PostContingentMortality = tables.PostContingent;
  inputs.UseRoundedAge = form.Checked(Control::UseRoundedAge);
  inputs.TreatAsYieldCurve = form.Checked(Control::YieldCurve);
  return inputs;
}

valuation::YieldCurveRates ReadYieldCurve(const FormEnvironment& environment) {
  try {
    return sheets::ReadYieldCurveWorkbook(environment.data_dir / sheets::kYieldCurveWorkbookName);
  } catch (const sheets::SheetError& e) {
    throw FormError(e.what(), Control::FullYieldCurve);
  } catch (const valuation::ValuationError& e) {
    throw FormError(e.what(), Control::FullYieldCurve);
  }
}

FormError FormErrorOf(const valuation::ValuationError& error, tables::TableStore& store,
                      const std::array<tables::TableRequest, 4>& requests) {
  ExplainMissingTable(error, store, requests);
  return FormError(error.what(), ControlOf(error.input()));
}

}  // namespace orvane::form::detail
