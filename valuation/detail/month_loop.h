#pragma once

#include "valuation/detail/prepared_ages.h"
#include "valuation/month_observer.h"
#include "valuation/valuation_inputs.h"
#include "valuation/yield_curve.h"

namespace orvane::valuation::detail {

// Walks forward from the valuation date month by month, in years, until the first year end at
// which both lives have passed age 120, and returns the sum of the discounted expected payments
// (before the load). `curve` selects full yield curve discounting when not null; `observer`, when
// not null, sees every month. Expects inputs accepted by CheckInputs and ages from PrepareAges;
// throws ValuationError for a table that cannot be read (see SurvivalSegment).
double RunMonths(const ValuationInputs& inputs, const PreparedAges& ages,
                 const CurveDiscount* curve, MonthObserver* observer);

}  // namespace orvane::valuation::detail
