#include "form/segment_rate_entry.h"

#include <array>

#include "dates/calendar.h"
#include "form/control_entry.h"
#include "form/form_error.h"
#include "mortality/table_name.h"

namespace orvane::form {
namespace {

// What the 417(e) basis sets, and the date it follows: the basis holds while these stand.
const std::vector<Control> kBasisControls = {
    Control::ValuationDate, Control::InterestRate1,  Control::InterestRate2,
    Control::InterestRate3, Control::YieldCurve,     Control::Period1,
    Control::Period2,       Control::PostRetPrimary, Control::PostRetContingent};

}  // namespace

std::filesystem::path SegmentRatesPath(const FormEnvironment& environment) {
  return environment.data_dir / segment_rates::kSegmentRatesFileName;
}

void EnterSegmentRates(FormModel& form, const segment_rates::SegmentRates& rates) {
  constexpr std::array<Control, 3> kFields = {Control::InterestRate1, Control::InterestRate2,
                                              Control::InterestRate3};
  for (std::size_t s = 0; s < kFields.size(); ++s)
    EnterControlText(form, kFields[s], rates.rates[s]);
}

segment_rates::LumpSumBasis LumpSumBasisOf(const FormModel& form,
                                           const segment_rates::PlanTerms& terms,
                                           const segment_rates::SegmentRateFile& file) {
  const std::string& date_text = form.Text(Control::ValuationDate);
  const std::optional<dates::CalendarDate> date = dates::ParseDate(date_text);
  if (!date) {
    throw FormError(std::string(CaptionOf(Control::ValuationDate)) + " \"" + date_text +
                        "\" is not a date, so it gives no annuity starting date for the 417(e) "
                        "basis",
                    Control::ValuationDate);
  }
  segment_rates::LumpSumBasis basis =
      segment_rates::FindLumpSumBasis(terms, dates::Month{date->year, date->month}, file);
  const std::string table = mortality::PaddedName(basis.TableName());
  const std::vector<std::string>& list = form.TableList();
  if (std::none_of(list.begin(), list.end(),
                   [&](const std::string& entry) { return entry.starts_with(table); })) {
    throw FormError("The data file " + form.Environment().tables_file.filename().string() +
                        " has no 417(e) table of " + std::to_string(basis.table_year) + " (" +
                        basis.TableName() + ") for the 417(e) basis",
                    Control::ValuationDate);
  }
  return basis;
}

segment_rates::LumpSumBasis ApplyLumpSumBasis(FormModel& form,
                                              const segment_rates::PlanTerms& terms,
                                              const segment_rates::SegmentRateFile& file) {
  const segment_rates::LumpSumBasis basis = LumpSumBasisOf(form, terms, file);
  EnterSegmentRates(form, basis.rates);
  EnterControlText(form, Control::YieldCurve, "1");
  EnterControlText(form, Control::Period1, "5");
  EnterControlText(form, Control::Period2, "15");
  EnterControlText(form, Control::PostRetPrimary, basis.TableName());
  EnterControlText(form, Control::PostRetContingent, basis.TableName());
  form.Calculate();
  form.NoteBasis(segment_rates::BasisLines(basis), kBasisControls);
  return basis;
}

}  // namespace orvane::form
