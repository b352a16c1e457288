#pragma once

#include "valuation/valuation_inputs.h"

namespace orvane::valuation::detail {

// The ages the month loop starts from, in years.
struct PreparedAges {
  double x = 0.0;  // participant
  double y = 0.0;  // spouse
  double r = 0.0;  // payment age, constant during the run
};

// With UseRoundedAge the payment age is rounded to whole years (halves to even) and each life
// keeps its whole number of years to payment: x = r - round(R - X). Otherwise every age is cut
// to completed months: Int((age + 0.0001) x 12) / 12, the 0.0001 absorbing ages entered to three
// decimals. Expects a finite PaymentAge (see CheckInputs). Throws ValuationError when a
// prepared starting age lies outside the tables' ages 0..120.
PreparedAges PrepareAges(const ValuationInputs& inputs);

}  // namespace orvane::valuation::detail
