#pragma once

#include <vector>

#include "valuation/detail/prepared_ages.h"
#include "valuation/month_observer.h"
#include "valuation/valuation_inputs.h"
#include "valuation/yield_curve.h"

namespace orvane::valuation::detail {

// One month of a run as far as interest is concerned: where it falls and, in a payment month, the
// amounts that do not depend on interest. Discounting these months again at other rates gives
// the value at those rates without walking the survival again.
struct TracedMonth {
  long years_elapsed = 0;
  long months_elapsed = 0;  // whole months from the valuation date; kept with a full yield curve
  bool payment = false;
  double benefit = 0.0;  // CurrentBenefit
  double weight = 0.0;   // what multiplies benefit and Vx (see PaymentStep::Pay)
};

// Walks forward from the valuation date month by month, in years, until the first year end at
// which both lives have passed age 120, and returns the sum of the discounted expected payments
// (before the load). `curve` selects full yield curve discounting when not null; `observer`, when
// not null, sees every month; `trace`, when not null, receives every month (replacing what it
// held). Expects inputs accepted by CheckInputs and ages from PrepareAges; throws ValuationError
// for a table that cannot be read (see SurvivalSegment).
double RunMonths(const ValuationInputs& inputs, const PreparedAges& ages,
                 const CurveDiscount* curve, MonthObserver* observer,
                 std::vector<TracedMonth>* trace = nullptr);

}  // namespace orvane::valuation::detail
