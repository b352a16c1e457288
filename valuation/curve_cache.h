// CurveCache: the full yield curves of one batch run, each built from the workbook's rates once
// and then shared by every form model of the run, across threads, with the curves a basis point
// lower and higher once the sensitivities ask for them.
//
// The window does not use it: a recalculation there builds the curve of the form's year and
// month afresh. A census values thousands of rows on a handful of curves, and building a curve's
// 1,440 monthly factors (three times with the sensitivities) would cost as much as valuing the row.
#pragma once

#include <map>
#include <mutex>
#include <optional>

#include "valuation/sensitivities.h"
#include "valuation/yield_curve.h"
#include "valuation/yield_curve_rates.h"

namespace orvane::valuation {

class CurveCache {
 public:
  CurveCache() = default;
  CurveCache(const CurveCache&) = delete;
  CurveCache& operator=(const CurveCache&) = delete;

  // One curve and, when asked for, its moved curves; both stay valid as long as the cache.
  struct Curves {
    const CurveDiscount* curve = nullptr;
    const MovedCurves* moved = nullptr;  // null unless asked for
  };

  // Curve `index` of `rates`, built the first time the index is seen, with its moved curves when
  // `with_moved` (built the first time they are asked for). Every call of one cache must pass
  // the same workbook's rates: the index alone is the key. Safe to call from several threads.
  // Throws what YieldCurveRates::Discount throws, and keeps nothing then.
  Curves Get(const YieldCurveRates& rates, int index, bool with_moved);

 private:
  struct Entry {
    CurveDiscount curve;
    std::optional<MovedCurves> moved;
  };

  std::mutex mutex_;
  std::map<int, Entry> entries_;
};

}  // namespace orvane::valuation
