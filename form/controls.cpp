#include "form/controls.h"

#include <string_view>

namespace orvane::form {
namespace {

// The names in the order of the Control enum.
constexpr std::array<std::string_view, kControlCount> kNames = {
    "CurrentAge",
    "SpousesAge",
    "RetirementAge",
    "InterestRate1",
    "InterestRate2",
    "InterestRate3",
    "Period1",
    "Period2",
    "PostRetirementInterest",
    "Benefit",
    "Maximum",
    "PeriodCertain",
    "PercentToSurvivor",
    "COLA",
    "Load",
    "DateOfBirth",
    "SpousesDateOfBirth",
    "RetirementDate",
    "ValuationDate",
    "YearOfYieldCurve",
    "MonthOfYieldCurve",
    "PreRetPrimary",
    "PostRetContingent",
    "PreRetContingent",
    "PostRetPrimary",
    "UseRoundedAge",
    "YieldCurve",
    "BlendedAnnuitnat",
    "BlendedMaleFemale",
    "UsePreamble",
    "FullYieldCurve",
    "NoProjection",
    "ProjToValuation",
    "ProjToRetirement",
    "ProjToPayment",
    "Female",
    "Male",
    "ExportMortality",
    "ExportDetail",
};

// The captions of the labels beside the controls (or the controls' own captions), in the order
// of the Control enum; a chooser is named by its row and column labels.
constexpr std::array<std::string_view, kControlCount> kCaptions = {
    "Participant's Current Age",
    "Spouse's Current Age",
    "Retirement Age",
    "Interest Rate 1",
    "Interest Rate 2",
    "Interest Rate 3",
    "Period 1",
    "Period 2",
    "Post Retirement",
    "Initial Benefit",
    "Maximum Benefit",
    "Period Certain",
    "% to survivor",
    "Post Retirement COLA",
    "Load",
    "Date of Birth",
    "Spouse's Date of Birth",
    "Retirement Date",
    "Valuation Date",
    "Year",
    "Month",
    "Pre Retirement Primary",
    "Post Retirement Contingent",
    "Pre Retirement Contingent",
    "Post Retirement Primary",
    "Use Rounded Age",
    "Applied as Yield Curve",
    "Blend Annuitant - Nonannuitant",
    "Blend Male Female",
    "Use adjustment from Preamble",
    "Use Full Yield Curve",
    "No Projection",
    "To Valuation",
    "To Retirement",
    "To Payment",
    "Female",
    "Male",
    "Export Mortality Tables",
    "Export Calculation Detail",
};

}  // namespace

ControlKind KindOf(Control control) {
  if (control <= Control::MonthOfYieldCurve)
    return ControlKind::kTextField;
  if (control <= Control::PostRetPrimary)
    return ControlKind::kTableChooser;
  if (control <= Control::FullYieldCurve)
    return ControlKind::kCheckBox;
  if (control <= Control::Male)
    return ControlKind::kOptionButton;
  return ControlKind::kButton;
}

std::string_view NameOf(Control control) {
  return kNames[static_cast<size_t>(control)];
}

std::string_view CaptionOf(Control control) {
  return kCaptions[static_cast<size_t>(control)];
}

std::optional<Control> ControlNamed(std::string_view name) {
  for (int i = 0; i < kControlCount; ++i) {
    if (kNames[static_cast<size_t>(i)] == name)
      return static_cast<Control>(i);
  }
  return std::nullopt;
}

}  // namespace orvane::form
