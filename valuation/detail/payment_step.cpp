#include "valuation/detail/payment_step.h"

namespace orvane::valuation::detail {

PaymentStep::PaymentStep(const ValuationInputs& inputs)
    : current_benefit_(inputs.InitialBenefit),
      maximum_(inputs.Maximum),
      period_certain_(inputs.PeriodCertain),
      percent_to_survivor_(inputs.PercentToSurvivor),
      survivor_share_(inputs.PercentToSurvivor / 100.0),
      cola_(inputs.COLA) {}

}  // namespace orvane::valuation::detail
