#include "valuation/detail/payment_step.h"

namespace orvane::valuation::detail {

PaymentStep::PaymentStep(const ValuationInputs& inputs)
    : current_benefit_(inputs.InitialBenefit),
      maximum_(inputs.Maximum),
      period_certain_(inputs.PeriodCertain),
      percent_to_survivor_(inputs.PercentToSurvivor),
      cola_(inputs.COLA) {}

}  // namespace orvane::valuation::detail
