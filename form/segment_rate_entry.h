// The segment rates of a month entered into the form's three interest fields as a user enters
// them, from the data folder's "417e Segment Rates.csv" (segment_rates/segment_rates.h).
#pragma once

#include <filesystem>

#include "form/form_model.h"
#include "segment_rates/lump_sum_basis.h"
#include "segment_rates/segment_rates.h"

namespace orvane::form {

// The segment rates file of the form's data folder.
std::filesystem::path SegmentRatesPath(const FormEnvironment& environment);

// Types the first, second and third segment rate into InterestRate1, InterestRate2 and
// InterestRate3, leaving each in turn, so that their Validate handlers normalise them and
// recalculate as leaving a field does. Throws only what the form's handlers throw
// (tables::DataFileUnavailable).
void EnterSegmentRates(FormModel& form, const segment_rates::SegmentRates& rates);

// The 417(e) basis of a lump sum by the plan's terms (segment_rates/lump_sum_basis.h), for the
// form's Valuation Date as the annuity starting date, entered as a user enters it: the lookback
// month's three rates, "Applied as Yield Curve" ticked, Period 1 set to 5 and Period 2 to 15, and
// the year's 417(e) table chosen for PostRetPrimary and PostRetContingent; the pre-retirement
// choosers stay. Then one recalculation, and the form notes the basis for the Summary sheet.
// Nothing is entered when the basis cannot be found: throws FormError about ValuationDate when it
// is not a date or the data file has no table of the year (naming the year and the file),
// SegmentRatesLookupError as FindLumpSumBasis, and what the handlers throw
// (tables::DataFileUnavailable).
segment_rates::LumpSumBasis ApplyLumpSumBasis(FormModel& form,
                                              const segment_rates::PlanTerms& terms,
                                              const segment_rates::SegmentRateFile& file);

// The basis `terms` give for the form's Valuation Date, checked as ApplyLumpSumBasis checks it,
// without entering anything. Throws as ApplyLumpSumBasis.
segment_rates::LumpSumBasis LumpSumBasisOf(const FormModel& form,
                                           const segment_rates::PlanTerms& terms,
                                           const segment_rates::SegmentRateFile& file);

}  // namespace orvane::form
