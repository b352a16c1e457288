// The segment rates of a month entered into the form's three interest fields as a user enters
// them, from the data folder's "417e Segment Rates.csv" (segment_rates/segment_rates.h).
#pragma once

#include <filesystem>

#include "form/form_model.h"
#include "segment_rates/segment_rates.h"

namespace orvane::form {

// The segment rates file of the form's data folder.
std::filesystem::path SegmentRatesPath(const FormEnvironment& environment);

// Types the first, second and third segment rate into InterestRate1, InterestRate2 and
// InterestRate3, leaving each in turn, so that their Validate handlers normalise them and
// recalculate as leaving a field does. Throws only what the form's handlers throw
// (tables::DataFileUnavailable).
void EnterSegmentRates(FormModel& form, const segment_rates::SegmentRates& rates);

}  // namespace orvane::form
