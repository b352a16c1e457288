#include "tables/table_cache.h"

namespace orvane::tables {

TableCache::Key TableCache::KeyOf(const TableRequest& r, bool follows_life) {
  std::string name8 = r.Name();
  if (r.IsDirect())
    return Key(std::move(name8), true, false, false, false, false, false, 0, 0, false, 0, false,
               false, follows_life ? r.LifeYearOfBirth : std::nullopt);
  return Key(std::move(name8), r.DontProjTable, r.ProjToValuation, r.ProjToRetirement,
             r.ProjToPayment, r.BlendAnn, r.BlendSex, r.RetirementYear, r.ValuationYear, r.Male,
             r.YearOfBirth, r.Pre, r.FollowPreamble, std::nullopt);
}

bool TableCache::SameTable(const TableRequest& a, const TableRequest& b, bool follows_life) {
  return KeyOf(a, follows_life) == KeyOf(b, follows_life);
}

bool TableCache::FollowsLife(const std::string& name8, TableStore& store) {
  {
    std::shared_lock<std::shared_mutex> reading(mutex_);
    const auto known = generational_.find(name8);
    if (known != generational_.end())
      return known->second;
  }
  std::lock_guard<std::shared_mutex> lock(mutex_);
  const auto known = generational_.find(name8);
  if (known != generational_.end())
    return known->second;
  return generational_.emplace(name8, store.IsGenerational(name8)).first->second;
}

mortality::QTable TableCache::Load(const TableRequest& request, TableStore& store,
                                   bool* follows_life) {
  const bool generational = request.IsDirect() && FollowsLife(request.Name(), store);
  if (follows_life != nullptr)
    *follows_life = generational;
  Key key = KeyOf(request, generational);
  {
    // The look-ups of a run are many and short: the workers make them side by side.
    std::shared_lock<std::shared_mutex> reading(mutex_);
    const auto found = tables_.find(key);
    if (found != tables_.end())
      return found->second;
  }
  // The lock is held while a table loads, so concurrent first requests for one table read the
  // data file once; the loads of a run are few.
  std::lock_guard<std::shared_mutex> lock(mutex_);
  const auto found = tables_.find(key);
  if (found != tables_.end())
    return found->second;
  mortality::QTable table = store.LoadTable(request);
  ++loads_;
  tables_.emplace(std::move(key), table);
  return table;
}

std::vector<std::string> TableCache::TableList(TableStore& store) {
  std::lock_guard<std::shared_mutex> lock(mutex_);
  if (!table_list_)
    table_list_ = store.GetTableList();
  return *table_list_;
}

std::size_t TableCache::size() const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  return tables_.size();
}

long TableCache::loads() const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  return loads_;
}

}  // namespace orvane::tables
