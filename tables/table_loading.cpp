#include "tables/data_file_format.h"
#include "tables/generational_table.h"
#include "tables/table_store.h"

namespace orvane::tables {
namespace {

using mortality::GenerationalScaleOf;

constexpr int kLastAge = mortality::QTable::kLastAge;
using format::kRateBytes;
using format::kRateDecimals;

}  // namespace

mortality::QTable TableStore::LoadTable(const TableRequest& request) {
  const std::string name8 = request.Name();
  if (request.IsDirect())
    return DirectLoad(name8, request.LifeYearOfBirth);
  if (request.BlendSex)
    return SexBlend(request);
  if (request.BlendAnn)
    return AnnuitantBlend(request);
  if (request.FollowPreamble)
    return PreambleAdjustment(request);
  if (request.ProjToValuation || request.ProjToRetirement || request.ProjToPayment) {
    return Projection(request);
  }
  throw TableError("Table \"" + name8 + "\" of " + data_file_.string() +
                   " cannot be loaded: neither \"No Projection\" nor a projection is selected");
}

bool TableStore::IsGenerational(std::string_view name) {
  return OpenFile(name) > 0 && GenerationalScaleOf(ReadString()).has_value();
}

mortality::QTable TableStore::DirectLoad(const std::string& name8,
                                         std::optional<int> life_year_of_birth) {
  ++direct_loads_;
  mortality::QTable table;
  if (OpenFile(name8) > 0) {
    // The name, followed in a generational table by the scale it is improved by.
    const std::optional<std::string> scale = GenerationalScaleOf(ReadString());
    ReadString();  // the description, shown by the choosers only
    for (int x = 1; x <= kLastAge; ++x) {
      const std::string field = ReadString();
      if (field.size() < static_cast<std::size_t>(kRateBytes)) {
        Malformed("the value for age " + std::to_string(x) + " has " +
                  std::to_string(field.size()) + " bytes, 3 expected");
      }
      table.set(x, UnPack(field, kRateBytes, kRateDecimals));
    }
    if (scale)
      return GenerationalLoad(name8, table, *scale, life_year_of_birth);
  } else {
    // A table that cannot be found means certain death within each year of age.
    for (int x = 1; x <= kLastAge; ++x) table.set(x, 1.0);
  }
  return table;
}

}  // namespace orvane::tables
