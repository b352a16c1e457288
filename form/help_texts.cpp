#include "form/help_texts.h"

namespace orvane::form {
namespace {

// Texts as the form has always shown them, spelling and double blanks included: users and their
// training material quote them.
constexpr std::array<HelpText, kHelpTextCount> kHelpTexts = {{
    {Control::Benefit, HelpEvent::kMouseMove, "This is the monthly benefit being valued."},
    {Control::Maximum, HelpEvent::kMouseMove,
     "If there is a post retirement COLA, then benefit will only increase to this maximum benefit. "
     " Otherwise, maximum should be atleast as large as the initial benefit."},
    {Control::PeriodCertain, HelpEvent::kMouseMove,
     "How many years that the benefit is guarenteed to be paid."},
    {Control::PercentToSurvivor, HelpEvent::kMouseMove,
     "Percent of benefit that continues to the spouse after retirement.  If there is an "
     "asssumption that less than 100% are married, than multiply % to survivor by % married before "
     "entering."},
    {Control::COLA, HelpEvent::kMouseMove,
     "If the benefit automatically increases each year, percent benefit increases.  Benefit "
     "increases on each anniversary of the retirement date."},
    {Control::InterestRate1, HelpEvent::kMouseMove,
     "If using a yield curve, this is the first segment rate.  If using select and ultimate rate, "
     "this is first rate.  Otherwise this is the pre retirement interest rate."},
    {Control::InterestRate2, HelpEvent::kMouseMove,
     "If using a yield curve, this is the second segment rate.  If using select and ultimate rate, "
     "this is second rate.  Otherwise this is moot."},
    {Control::InterestRate3, HelpEvent::kMouseMove,
     "If using a yield curve, this is the third segment rate.  If using select and ultimate rate, "
     "this is third rate.  Otherwise this is moot."},
    {Control::Period1, HelpEvent::kMouseMove,
     "If using yield curve, this is 5 years.  If using select and ultimate interest rates, this is "
     "period of first interest rate, otherwise this should be 99"},
    {Control::Period2, HelpEvent::kMouseMove,
     "If using yield curve, this is 15 years.  If using select and ultimate interest rates, this "
     "is period of the second interest rate, otherwise this should be 99"},
    {Control::PostRetirementInterest, HelpEvent::kMouseMove,
     "If using yield curve, this is moot, otherwise the post retirement interest rate."},
    {Control::YieldCurve, HelpEvent::kMouseMove, "Check if interest rate is yield curve."},
    {Control::CurrentAge, HelpEvent::kMouseMove,
     "This is the participant's current age on the date the present value is being calculated as "
     "of."},
    {Control::SpousesAge, HelpEvent::kMouseMove,
     "This is the spouse's age as of the calculation date.  For assumed spouse make appropraite "
     "age difference from participant.  This is only relevant for benefit forms with a survivor "
     "benefit."},
    {Control::RetirementAge, HelpEvent::kMouseMove,
     "This is the age at which the benefit being valued would commence, generally the Normal "
     "Retirement Age, but maybe an Early Retirement Age, if a subsidized Early Retirement benefit "
     "is being valued."},
    {Control::UseRoundedAge, HelpEvent::kMouseMove,
     "If checked, retirement age and period to retirement is rounded to nearest year.  If not "
     "checked, age is based on age in years and completed months."},
    {Control::DateOfBirth, HelpEvent::kMouseMove,
     "Participant's date of birth.  If entered, will recalculate current age and age at "
     "retirement."},
    {Control::SpousesDateOfBirth, HelpEvent::kMouseMove,
     "Spouse's date of birth.  If entered will recalculate spouse's current age.  Only relevant if "
     "there is a survivor's benefit."},
    {Control::RetirementDate, HelpEvent::kChange,
     "Date on which benefit to be valued will commence.  Normally this would be the date Normal "
     "Retirement Age attained.  If entered will recalculate Retirement Age."},
    {Control::ValuationDate, HelpEvent::kChange,
     "This is the date the benefit is being valued as of.  If entered, current age, spouse's "
     "current age and retirement age will be recalculated."},
    {Control::PreRetPrimary, HelpEvent::kGotFocus,
     "Mortality table applied to participant prior to retirement.  If there is no mortality "
     "discount prior to retirement then use None"},
    {Control::PreRetContingent, HelpEvent::kGotFocus,
     "Mortality table for spouse prior to retirement.  If there is assumed to be a spouse at "
     "retirement then use None.  Only relevant if there is a survivor benefit."},
    {Control::PostRetPrimary, HelpEvent::kGotFocus,
     "Mortality table for plan participant after retirement."},
    {Control::PostRetContingent, HelpEvent::kGotFocus,
     "Mortality table for spouse after retirement.  If there is no survivor benefit then this is "
     "moot."},
    {Control::NoProjection, HelpEvent::kMouseMove,
     "Use indicated mortality table, rather than a projected table."},
    {Control::ProjToValuation, HelpEvent::kMouseMove,
     "Indicate if mortality projected to year of the valuation, using that table to value the "
     "benefit.  This table will replace the indicated mortality table, unless the indicated "
     "mortality is None."},
    {Control::ProjToRetirement, HelpEvent::kMouseMove,
     "Indicate if mortality projected to actual year of retirement, using that projected mortality "
     "table as the 417(e) table applied.  This table will replace the indicated mortality table, "
     "unless the indicated mortality is None."},
    {Control::ProjToPayment, HelpEvent::kMouseMove,
     "Indicate if mortality projected to each year of payment.  This table will replace the "
     "indicated mortality table, unless the indicated mortality is None."},
    {Control::Male, HelpEvent::kMouseMove,
     "Indicate if the primary is male.  This is only relevant if the the mortality is projected, "
     "and the rates are not blended by sex."},
    {Control::Female, HelpEvent::kMouseMove,
     "Indicate if the primary is female.  This is only relevant if the the mortality is projected, "
     "and the rates are not blended by sex."},
    {Control::BlendedAnnuitnat, HelpEvent::kMouseMove,
     "Blend the projected mortality table between annuitants and non-annuitants.  This is only "
     "relevant if the mortality is projected.  If not used, then non-annuitant mortality will be "
     "used pre-retirement, and annuitant mortality post retirement.  Published 417(e) table used "
     "blended table, but 430(f) regulation states not to for projection of 417(e) table."},
    {Control::BlendedMaleFemale, HelpEvent::kMouseMove,
     "Blend male and female rates (required for 417(e)).  This is only relevant if the mortality "
     "is projected.  If not used, then non-annuitant mortality will be used pre-retirement, and "
     "annuitant mortality post retirement."},
    {Control::UsePreamble, HelpEvent::kMouseMove,
     "Adjusts projected annuitant and non-annuitant mortality to match method described in pramble "
     "to regulation, rather than method describe in the regulation"},
    {Control::Load, HelpEvent::kMouseMove, "Adds gross load.  Cost increased by 1/(1-load)."},
    {Control::ExportMortality, HelpEvent::kMouseMove,
     "Creates a spread sheet with the Q values from all four mortality tables being used."},
    {Control::FullYieldCurve, HelpEvent::kClick,
     "If using full yield curve based upon different rate for each six months, check this box."},
    {Control::YearOfYieldCurve, HelpEvent::kMouseMove, "Input year of yield curve to use."},
    {Control::MonthOfYieldCurve, HelpEvent::kChange, "Input month to use yield curve from."},
}};

}  // namespace

const std::array<HelpText, kHelpTextCount>& HelpTexts() {
  return kHelpTexts;
}

std::optional<std::string_view> HelpTextFor(Control control, HelpEvent event) {
  for (const HelpText& help : kHelpTexts) {
    if (help.control == control && help.event == event)
      return help.text;
  }
  return std::nullopt;
}

}  // namespace orvane::form
