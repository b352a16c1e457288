#include "window/window_layout.h"

namespace orvane::window::layout {
namespace {

constexpr FrameSpec kFrames[] = {
    {"Message", nullptr, "The Quillby Says", {240, 240, 7575, 1095}},
    {"Frame5", nullptr, "Present Value of Benefit", {8160, 360, 3255, 855}},
    {"Frame3", nullptr, "Benefit Information", {240, 1440, 3255, 2295}},
    {"Frame4", nullptr, "Mortality and other assumptions", {3550, 1440, 7865, 3500}},
    {"Frame7", "Frame4", nullptr, {120, 1400, 7600, 400}},
    {"Frame8", "Frame4", nullptr, {120, 3000, 7600, 400}},
    {"Frame2", nullptr, "Interest rate information", {240, 3785, 2775, 3135}},
    {"Frame1", nullptr, "Ages", {4000, 5020, 3255, 1900}},
    {"Frame6", nullptr, "Dates", {8150, 5020, 3255, 1900}},
    {"Frame9", nullptr, "Full Yield Curve", {240, 6960, 7000, 735}},
};

// The labels beside the fields are 300 high at left 120, 1300 wide in Frame2 and 1800 wide in
// Frame1, Frame3 and Frame6. Labels of the check boxes reach to their box, so that their
// captions fit on one line.
constexpr LabelSpec kLabels[] = {
    {"Label3", "Frame1", Control::CurrentAge, {120, 255, 1800, 300}},
    {"Label4", "Frame1", Control::SpousesAge, {120, 650, 1800, 300}},
    {"Label5", "Frame1", Control::RetirementAge, {120, 1050, 1800, 300}},
    {"Label14", "Frame1", Control::UseRoundedAge, {120, 1450, 1800, 300}},
    {"Label7", "Frame2", Control::InterestRate1, {120, 255, 1300, 300}},
    {"Label8", "Frame2", Control::InterestRate2, {120, 650, 1300, 300}},
    {"Label9", "Frame2", Control::InterestRate3, {120, 1050, 1300, 300}},
    {"Label10", "Frame2", Control::Period1, {120, 1450, 1300, 300}},
    {"Label11", "Frame2", Control::Period2, {120, 1850, 1300, 300}},
    {"Label13", "Frame2", Control::PostRetirementInterest, {120, 2250, 1300, 300}},
    {"Label12", "Frame2", Control::YieldCurve, {120, 2640, 2000, 300}},
    {"Label15", "Frame3", Control::Benefit, {120, 250, 1800, 300}},
    {"Label16", "Frame3", Control::Maximum, {120, 650, 1800, 300}},
    {"Label17", "Frame3", Control::PeriodCertain, {120, 1050, 1800, 300}},
    {"Label18", "Frame3", Control::PercentToSurvivor, {120, 1450, 1800, 300}},
    {"Label19", "Frame3", Control::COLA, {120, 1850, 1800, 300}},
    {"Label20", "Frame4", "Pre Retirement", {1000, 360, 3350, 300}},
    {"Label21", "Frame4", "Post Retirement", {4450, 360, 3350, 300}},
    {"Label22", "Frame4", "Primary", {120, 650, 880, 300}},
    {"Label23", "Frame4", "Contingent", {120, 1050, 880, 300}},
    {"Label25", "Frame4", Control::Load, {120, 2650, 1300, 300}},
    {"Label24", "Frame7", "Projection", {0, 50, 1500, 300}},
    {"Label28", "Frame8", "Partipant's Sex", {0, 50, 1500, 300}},
    {"Label1", "Frame6", Control::DateOfBirth, {120, 250, 1800, 300}},
    {"Label2", "Frame6", Control::SpousesDateOfBirth, {120, 650, 1800, 300}},
    {"Label26", "Frame6", Control::RetirementDate, {120, 1050, 1800, 300}},
    {"Label27", "Frame6", Control::ValuationDate, {120, 1450, 1800, 300}},
    {"Label31", "Frame9", Control::FullYieldCurve, {120, 255, 2000, 300}},
    {"Label29", "Frame9", Control::YearOfYieldCurve, {3840, 255, 600, 300}},
    {"Label30", "Frame9", Control::MonthOfYieldCurve, {5600, 255, 650, 300}},
};

constexpr int kField = 1000;  // a text field's usual width
constexpr int kFieldHigh = 300;

constexpr ControlSpec kControls[] = {
    {Control::CurrentAge, "Frame1", false, {2000, 255, kField, kFieldHigh}},
    {Control::SpousesAge, "Frame1", false, {2000, 650, kField, kFieldHigh}},
    {Control::RetirementAge, "Frame1", false, {2000, 1050, kField, kFieldHigh}},
    {Control::UseRoundedAge, "Frame1", false, {2700, 1450, 300, 300}},
    {Control::InterestRate1, "Frame2", false, {1500, 255, kField, kFieldHigh}},
    {Control::InterestRate2, "Frame2", false, {1500, 650, kField, kFieldHigh}},
    {Control::InterestRate3, "Frame2", false, {1500, 1050, kField, kFieldHigh}},
    {Control::Period1, "Frame2", false, {1500, 1450, kField, kFieldHigh}},
    {Control::Period2, "Frame2", false, {1500, 1850, kField, kFieldHigh}},
    {Control::YieldCurve, "Frame2", false, {2205, 2640, 300, 300}},
    {Control::PostRetirementInterest, "Frame2", false, {1500, 2250, kField, kFieldHigh}},
    {Control::Benefit, "Frame3", false, {2000, 250, kField, kFieldHigh}},
    {Control::Maximum, "Frame3", false, {2000, 650, kField, kFieldHigh}},
    {Control::PeriodCertain, "Frame3", false, {2000, 1050, kField, kFieldHigh}},
    {Control::PercentToSurvivor, "Frame3", false, {2000, 1450, kField, kFieldHigh}},
    {Control::COLA, "Frame3", false, {2000, 1850, kField, kFieldHigh}},
    {Control::PreRetPrimary, "Frame4", false, {1000, 650, 3350, 315}},
    {Control::PostRetContingent, "Frame4", false, {4450, 1050, 3350, 315}},
    {Control::PreRetContingent, "Frame4", false, {1000, 1050, 3350, 315}},
    {Control::PostRetPrimary, "Frame4", false, {4450, 650, 3350, 315}},
    {Control::BlendedAnnuitnat, "Frame4", true, {10, 1850, 2625, 345}},
    {Control::Load, "Frame4", false, {1500, 2650, kField, kFieldHigh}},
    {Control::BlendedMaleFemale, "Frame4", true, {15, 2250, 1755, 345}},
    {Control::NoProjection, "Frame7", true, {1500, 50, 1575, 300}},
    {Control::ProjToValuation, "Frame7", true, {3000, 50, 1575, 300}},
    {Control::ProjToRetirement, "Frame7", true, {4500, 50, 1575, 300}},
    {Control::ProjToPayment, "Frame7", true, {6000, 50, 1575, 300}},
    {Control::Female, "Frame8", true, {3000, 50, 1575, 300}},
    {Control::Male, "Frame8", true, {1500, 45, 1215, 300}},
    {Control::UsePreamble, "Frame4", true, {3495, 1845, 2550, 345}},
    {Control::ExportMortality, "Frame4", true, {3495, 2250, 2550, 375}},
    {Control::DateOfBirth, "Frame6", false, {2000, 250, kField, kFieldHigh}},
    {Control::SpousesDateOfBirth, "Frame6", false, {2000, 650, kField, kFieldHigh}},
    {Control::RetirementDate, "Frame6", false, {2000, 1050, kField, kFieldHigh}},
    {Control::ValuationDate, "Frame6", false, {2000, 1450, kField, kFieldHigh}},
    {Control::FullYieldCurve, "Frame9", false, {2205, 255, 300, 300}},
    {Control::YearOfYieldCurve, "Frame9", false, {4440, 255, 500, 300}},
    {Control::MonthOfYieldCurve, "Frame9", false, {6250, 255, 500, 300}},
    {Control::ExportDetail, nullptr, true, {7560, 7080, 2550, 375}},
};

// Sorted by the controls' tab indices.
constexpr Control kTabOrder[] = {
    Control::CurrentAge,
    Control::SpousesAge,
    Control::RetirementAge,
    Control::InterestRate1,
    Control::InterestRate2,
    Control::InterestRate3,
    Control::Period1,
    Control::Period2,
    Control::YieldCurve,
    Control::PostRetirementInterest,
    Control::UseRoundedAge,
    Control::Benefit,
    Control::Maximum,
    Control::PeriodCertain,
    Control::PercentToSurvivor,
    Control::COLA,
    Control::PreRetPrimary,
    Control::PostRetContingent,
    Control::PreRetContingent,
    Control::PostRetPrimary,
    Control::BlendedAnnuitnat,
    Control::Load,
    Control::DateOfBirth,
    Control::SpousesDateOfBirth,
    Control::RetirementDate,
    Control::ValuationDate,
    Control::BlendedMaleFemale,
    Control::NoProjection,
    Control::ProjToValuation,
    Control::ProjToRetirement,
    Control::ProjToPayment,
    Control::Female,
    Control::Male,
    Control::UsePreamble,
    Control::ExportMortality,
    Control::FullYieldCurve,
    Control::YearOfYieldCurve,
    Control::MonthOfYieldCurve,
    Control::ExportDetail,
};

}  // namespace

std::span<const FrameSpec> Frames() {
  return kFrames;
}
std::span<const LabelSpec> Labels() {
  return kLabels;
}
std::span<const ControlSpec> Controls() {
  return kControls;
}
std::span<const Control> TabOrder() {
  return kTabOrder;
}

}  // namespace orvane::window::layout
