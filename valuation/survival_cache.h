// SurvivalCache: the monthly survival of every table of one batch run, fitted once per table and
// then shared by every row of the run, across threads.
//
// A row's month loop takes two exp calls a month for the lives' survival factors, yet within one
// table a factor depends only on the whole age, the months completed in it and whether the life
// started there without reading the year below: about 121 x 12 values a table, which every row
// on that table would otherwise work out again. The window does not use it: a recalculation
// there fits the years of its own tables, as the cache does, to the same bits.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

#include "mortality/q_table.h"
#include "valuation/detail/shared_survival.h"

namespace orvane::valuation {

class SurvivalCache {
 public:
  SurvivalCache() = default;
  SurvivalCache(const SurvivalCache&) = delete;
  SurvivalCache& operator=(const SurvivalCache&) = delete;

  // The years of the table with exactly these rates, fitted the first time the rates are seen;
  // null for a table whose years cannot be shared (see SharedSurvival::Of), which its rows then
  // fit themselves. Valid as long as the cache. Safe to call from several threads.
  const detail::SharedSurvival* Of(const mortality::QTable& table);

  std::size_t size() const;  // distinct tables seen (for tests and benchmarks)

 private:
  // Rates compared bit for bit: two tables share their years only when every rate is the same
  // double.
  struct RatesHash {
    std::size_t operator()(const mortality::QTable& table) const;
  };
  struct SameRates {
    bool operator()(const mortality::QTable& a, const mortality::QTable& b) const;
  };

  mutable std::shared_mutex mutex_;
  std::unordered_map<mortality::QTable, std::unique_ptr<const detail::SharedSurvival>, RatesHash,
                     SameRates>
      tables_;
};

}  // namespace orvane::valuation
