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

mortality::QTable TableCache::Load(const TableRequest& request, TableStore& store,
                                   bool* follows_life) {
  const std::string name8 = request.Name();
  const bool direct = request.IsDirect();
  {
    // The look-ups of a run are many and short: the workers make them side by side.
    std::shared_lock<std::shared_mutex> reading(mutex_);
    const auto kind = direct ? generational_.find(name8) : generational_.end();
    if (!direct || kind != generational_.end()) {
      const bool generational = direct && kind->second;
      const auto found = tables_.find(KeyOf(request, generational));
      if (found != tables_.end()) {
        if (follows_life != nullptr)
          *follows_life = generational;
        return found->second;
      }
    }
  }
  // The lock is held while a table loads, so concurrent first requests for one table read the
  // data file once; the loads of a run are few. Whether a name's table is generational is asked
  // of the file once.
  std::lock_guard<std::shared_mutex> lock(mutex_);
  auto kind = generational_.find(name8);
  if (direct && kind == generational_.end())
    kind = generational_.emplace(name8, store.IsGenerational(name8)).first;
  const bool generational = direct && kind->second;
  if (follows_life != nullptr)
    *follows_life = generational;
  Key key = KeyOf(request, generational);
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
