#include <cmath>

#include "numbers/rounding.h"
#include "tables/data_file_format.h"
#include "tables/detail/projection_years.h"
#include "tables/table_store.h"

namespace orvane::tables {
namespace {

constexpr int kLastAge = mortality::QTable::kLastAge;

}  // namespace

mortality::QTable TableStore::Projection(const TableRequest& request) {
  // The chosen name does not pick the rates: the base tables of the year 2000 and the
  // improvement scale of the life's sex do.
  TableRequest direct = request;
  direct.DontProjTable = true;
  direct.BlendAnn = false;
  direct.BlendSex = false;
  if (request.Pre) {
    direct.TableName = format::kNonannuitantBase.Of(request.Male);
  } else {
    direct.TableName = format::kAnnuitantBase.Of(request.Male);
  }
  const mortality::QTable base = LoadTable(direct);
  const std::string base_name = direct.TableName;
  direct.TableName = format::kImprovementScale.Of(request.Male);
  const mortality::QTable scale = LoadTable(direct);
  const auto years = detail::ProjectionYearsByAge(request);
  mortality::QTable q;
  for (int x = 1; x <= kLastAge; ++x) {
    const double factor = std::pow(1.0 - scale.at(x), static_cast<double>(years[x]));
    const double rate = base.at(x) * factor;
    // A scale of 1 projected backwards divides by zero; a far-off year overflows.
    if (!std::isfinite(rate)) {
      throw TableError("Table \"" + base_name + "\" of " + data_file_.string() +
                       " cannot be projected at age " + std::to_string(x) + ": improvement " +
                       std::to_string(scale.at(x)) + " over " + std::to_string(years[x]) +
                       " years gives no finite rate");
    }
    q.set(x, numbers::RoundHalfEven(rate, 6));
  }
  return q;
}

}  // namespace orvane::tables
