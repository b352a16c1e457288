// TableCache: the tables of one batch run, each read from the data file once and then shared by
// every form model of the run, across threads.
//
// The window does not use it: every recalculation there reloads its tables from the data file,
// so a file replaced while the program runs is used from the next recalculation on. A batch run
// (a census of many participants) reads each distinct request once; a data file replaced while
// it runs is not seen by that run.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <tuple>
#include <vector>

#include "mortality/q_table.h"
#include "tables/table_store.h"

namespace orvane::tables {

class TableCache {
 public:
  TableCache() = default;
  TableCache(const TableCache&) = delete;
  TableCache& operator=(const TableCache&) = delete;

  // The table `store.LoadTable(request)` returns, loaded through `store` the first time the
  // request (or an equivalent one) is seen and copied from the cache afterwards. Safe to call
  // from several threads, each with its own store on the same data file. A failed load is not
  // kept: it throws what LoadTable throws (TableError, DataFileUnavailable) and the next call
  // tries again. `follows_life`, when given, is set to whether the table follows the life's
  // year of birth (a generational table loaded directly).
  mortality::QTable Load(const TableRequest& request, TableStore& store,
                         bool* follows_life = nullptr);

  // Whether `a` and `b` load the same table, `a`'s table following the life's year of birth
  // or not (as Load said): the fields of the cache's key are equal.
  static bool SameTable(const TableRequest& a, const TableRequest& b, bool follows_life);

  // The choosers' list, `store.GetTableList()` read through `store` once per run (every form
  // of a run starts up with it). Safe to call from several threads; a failed read is not kept.
  std::vector<std::string> TableList(TableStore& store);

  // Distinct tables held, and the loads that went to the data file (for tests and benchmarks).
  std::size_t size() const;
  long loads() const;

 private:
  // Every field LoadTable reads, the name cut to the 8 characters that name a table. A direct
  // load (no projection, or exactly "None") depends on the name and, for a generational table,
  // the life's year of birth alone, so its other fields (and the year, for any other table) are
  // blanked out of the key.
  using Key = std::tuple<std::string, bool, bool, bool, bool, bool, bool, int, int, bool, int, bool,
                         bool, std::optional<int>>;
  static Key KeyOf(const TableRequest& request, bool follows_life);

  mutable std::shared_mutex mutex_;
  std::map<Key, mortality::QTable> tables_;
  std::map<std::string, bool> generational_;  // by the 8 characters of a name
  std::optional<std::vector<std::string>> table_list_;
  long loads_ = 0;
};

}  // namespace orvane::tables
