// The valuation engine of Orvane.
//
// Map of this library:
//   q_table.h           QTable, the rates of one table by whole age 0..120.
//   valuation_inputs.h  the 21 inputs of a valuation under their own names.
//   month_observer.h    the hook through which the calculation detail watches the month loop.
//   yield_curve.h       CurveDiscount (monthly factors of one curve), CurveIndex, CellName.
//   valuation_error.h   the one error type of the engine.
//   sensitivities.h     the value with its durations, convexity and DV01.
//   curve_cache.h       CurveCache, a batch run's curves with their moved curves, built once.
//   Orvane (below)      the month-by-month valuation itself.
//
// "What is valued" (ValuationInputs) is kept apart from "how it is valued" (the month loop with
// its survival, interest and payment steps, in detail/). Nothing here reads a form or a file.
#pragma once

#include "mortality/q_table.h"
#include "valuation/month_observer.h"
#include "valuation/valuation_error.h"
#include "valuation/valuation_inputs.h"
#include "valuation/yield_curve.h"

namespace orvane::valuation {

class SurvivalCache;

struct MovedCurves;  // sensitivities.h

// The form's state that the valuation reads besides its 21 inputs.
struct ValuationContext {
  // Set when the "Use Full Yield Curve" box is ticked: every month is then discounted with this
  // curve and the three rates and the post-retirement rate are not used.
  const CurveDiscount* full_yield_curve = nullptr;
  // Set while the calculation detail is kept: it sees every month of the run.
  MonthObserver* detail = nullptr;
  // May be set with full_yield_curve to that curve's MovedCurves, which the sensitivities then
  // use instead of building them; the value itself does not read them.
  const MovedCurves* moved_curves = nullptr;
  // Set in a batch run: the tables' monthly survival, fitted once per table for all its rows.
  // The value is the same to the bit with it or without it.
  SurvivalCache* survival_cache = nullptr;
};

// The present value at the valuation date of the monthly benefit described by `inputs`, grossed
// up for the load, in the currency unit of InitialBenefit. The run goes on month by month until
// both lives have passed age 120, however many months that takes. Never returns NaN or
// infinity. Throws ValuationError, naming the input, for: a number input that is NaN; a
// PaymentAge that is not finite; a Load of exactly 100; an interest rate of -100 or below; a
// starting age (after preparation) outside 0..120; a table rate of 1 or more at a life's starting
// whole age or the age below it when that is read; a table rate that is not finite at an age the
// run reads; a result that is not finite.
double Orvane(const ValuationInputs& inputs, const ValuationContext& context = {});

}  // namespace orvane::valuation
