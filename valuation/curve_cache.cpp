#include "valuation/curve_cache.h"

namespace orvane::valuation {

CurveCache::Curves CurveCache::Get(const YieldCurveRates& rates, int index, bool with_moved) {
  // The lock is held while a curve is built: the builds of a run are few, the look-ups many and
  // short. An entry is never removed and its moved curves are set once, under the lock, so what
  // a caller is given stays as it is.
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = entries_.find(index);
  if (found == entries_.end())
    found = entries_.emplace(index, Entry{rates.Discount(index), std::nullopt}).first;
  Entry& entry = found->second;
  if (with_moved && !entry.moved)
    entry.moved.emplace(MoveByBasisPoint(entry.curve));
  return {&entry.curve, with_moved ? &*entry.moved : nullptr};
}

}  // namespace orvane::valuation
