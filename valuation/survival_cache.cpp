#include "valuation/survival_cache.h"

#include <cstdint>
#include <cstring>

namespace orvane::valuation {

// Every fourth age is enough to tell the tables of a run apart (a cohort or a projection moves
// nearly every rate); tables alike at those ages still compare whole.
std::size_t SurvivalCache::RatesHash::operator()(const mortality::QTable& table) const {
  std::uint64_t hash = 0x9E3779B97F4A7C15u;
  const auto& rates = table.values();
  for (std::size_t age = 1; age < rates.size(); age += 4) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &rates[age], sizeof bits);
    hash = (hash ^ bits) * 0x100000001B3u;
    hash ^= hash >> 29;
  }
  return static_cast<std::size_t>(hash);
}

bool SurvivalCache::SameRates::operator()(const mortality::QTable& a,
                                          const mortality::QTable& b) const {
  return std::memcmp(a.values().data(), b.values().data(), sizeof(double) * a.values().size()) == 0;
}

const detail::SharedSurvival* SurvivalCache::Of(const mortality::QTable& table) {
  {
    // Every row looks its tables up, the workers side by side; a table is new only a few times.
    const std::shared_lock<std::shared_mutex> reading(mutex_);
    const auto found = tables_.find(table);
    if (found != tables_.end())
      return found->second.get();
  }
  const std::lock_guard<std::shared_mutex> lock(mutex_);
  auto found = tables_.find(table);
  if (found == tables_.end())
    found = tables_.emplace(table, detail::SharedSurvival::Of(table)).first;
  return found->second.get();
}

std::size_t SurvivalCache::size() const {
  const std::shared_lock<std::shared_mutex> lock(mutex_);
  return tables_.size();
}

}  // namespace orvane::valuation
