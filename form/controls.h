#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace orvane::form {

// Every control of the valuation form that holds an input or takes an event, named after its
// input. Frames and labels are not here: they hold no state of the model.
enum class Control {
  // text fields
  CurrentAge,
  SpousesAge,
  RetirementAge,
  InterestRate1,
  InterestRate2,
  InterestRate3,
  Period1,
  Period2,
  PostRetirementInterest,
  Benefit,
  Maximum,
  PeriodCertain,
  PercentToSurvivor,
  COLA,
  Load,
  DateOfBirth,
  SpousesDateOfBirth,
  RetirementDate,
  ValuationDate,
  YearOfYieldCurve,
  MonthOfYieldCurve,
  // table choosers
  PreRetPrimary,
  PostRetContingent,
  PreRetContingent,
  PostRetPrimary,
  // check boxes
  UseRoundedAge,
  YieldCurve,
  BlendedAnnuitnat,
  BlendedMaleFemale,
  UsePreamble,
  FullYieldCurve,
  // option buttons: projection group, then sex group
  NoProjection,
  ProjToValuation,
  ProjToRetirement,
  ProjToPayment,
  Female,
  Male,
  // command buttons
  ExportMortality,
  ExportDetail,
};

enum class ControlKind { kTextField, kTableChooser, kCheckBox, kOptionButton, kButton };

inline constexpr int kControlCount = static_cast<int>(Control::ExportDetail) + 1;

// The kind of a control.
ControlKind KindOf(Control control);

// The control's name as the form and the command line spell it ("CurrentAge").
std::string_view NameOf(Control control);

// The control of that name, or nothing.
std::optional<Control> ControlNamed(std::string_view name);

// The control's caption as the form labels it ("Retirement Date", "Pre Retirement Primary"), for
// messages that name a field.
std::string_view CaptionOf(Control control);

}  // namespace orvane::form
