#pragma once

#include <array>
#include <span>
#include <vector>

#include "valuation/detail/interest_state.h"
#include "valuation/detail/prepared_ages.h"
#include "valuation/month_observer.h"
#include "valuation/valuation_engine.h"
#include "valuation/valuation_inputs.h"
#include "valuation/yield_curve.h"

namespace orvane::valuation::detail {

// One month of a run as far as interest is concerned: where it falls and, in a payment month, the
// amounts that do not depend on interest. Discounting these months again at other rates gives
// the value at those rates without walking the survival again.
struct TracedMonth {
  long years_elapsed = 0;
  long months_elapsed = 0;  // whole months from the valuation date; always kept in a trace
  bool payment = false;
  double benefit = 0.0;  // CurrentBenefit
  double weight = 0.0;   // what multiplies benefit and Vx (see PaymentStep::Pay)
};

// The discounted expected payments of a run (before the load): their sum, and the sums of the
// payments of each rate slot, which in segment mode are the payments that each rate discounts.
struct DiscountedPayments {
  double sum = 0.0;
  std::array<double, 3> by_slot{};
};

// Walks forward from the valuation date month by month, in years, until the first year end at
// which both lives have passed age 120, and returns the sum of the discounted expected payments
// (before the load), discounted month by month exactly as ReplayMonths discounts the recorded
// months, so that a replay at the inputs' own rates gives the same sum to the bit. The context's
// curve selects full yield curve discounting when not null; its observer (`detail`), when not
// null, sees every month; its survival cache, when not null, gives the lives' fitted years;
// `trace`, when not null, receives the recorded months (replacing what it held). Expects
// inputs accepted by CheckInputs and ages from PrepareAges; throws ValuationError for a table
// that cannot be read (see SurvivalSegment).
double RunMonths(const ValuationInputs& inputs, const PreparedAges& ages,
                 const ValuationContext& context, std::vector<TracedMonth>* trace = nullptr);

// One way to discount a run: at `rates` (above -100%), or along `curve` when not null.
struct DiscountBasis {
  InterestInputs rates;
  const CurveDiscount* curve = nullptr;
};

// Discounts the recorded months of a run in their order on each of `bases` and sums their
// payments: one result for each basis, in their order. It discounts in the one order that
// RunMonths values in (one class in month_loop.cpp), and the sensitivities replay the same months
// at moved rates or curves, so a moved value differs from the value by the rates alone (and is the
// value of the moved inputs to the bit). The bases go through the months side by side, in one pass.
// Throws ValuationError when the bases mix yield curves and rates, which discount in other modes.
std::vector<DiscountedPayments> ReplayMonths(const std::vector<TracedMonth>& months,
                                             std::span<const DiscountBasis> bases);

}  // namespace orvane::valuation::detail
