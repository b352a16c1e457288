#include "form/segment_rate_entry.h"

#include <array>

#include "form/control_entry.h"

namespace orvane::form {

std::filesystem::path SegmentRatesPath(const FormEnvironment& environment) {
  return environment.data_dir / segment_rates::kSegmentRatesFileName;
}

void EnterSegmentRates(FormModel& form, const segment_rates::SegmentRates& rates) {
  constexpr std::array<Control, 3> kFields = {Control::InterestRate1, Control::InterestRate2,
                                              Control::InterestRate3};
  for (std::size_t s = 0; s < kFields.size(); ++s)
    EnterControlText(form, kFields[s], rates.rates[s]);
}

}  // namespace orvane::form
