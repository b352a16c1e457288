#include <cmath>

#include "numbers/rounding.h"
#include "tables/data_file_format.h"
#include "tables/table_store.h"

namespace orvane::tables {
namespace {

constexpr int kLastAge = mortality::QTable::kLastAge;

double Round6(double v) {
  return numbers::RoundHalfEven(v, 6);
}

// The band of the preamble adjustment: N up to age a, graded increments over the band, A from
// the first age after it. D is the sum of the steps 1 + 2 + ... from a to b, so that the band
// would reach A[b] at age b.
struct PreambleBand {
  int a;
  int last_band_age;
  int b;
  double d;
};

PreambleBand BandFor(bool pre, bool male) {
  if (pre)
    return {70, 80, 80, 55.0};
  if (male)
    return {40, 50, 50, 55.0};
  // The female band stops at 49 and age 50 takes A[50] directly.
  return {44, 49, 50, 21.0};
}

}  // namespace

mortality::QTable TableStore::SexBlend(const TableRequest& request) {
  TableRequest each = request;
  each.DontProjTable = false;
  each.BlendSex = false;
  each.Male = true;
  const mortality::QTable m = LoadTable(each);
  each.Male = false;
  const mortality::QTable f = LoadTable(each);
  mortality::QTable q;
  // Fixed weights of one half: a unisex table, whatever the life's sex.
  for (int x = 1; x <= kLastAge; ++x) q.set(x, Round6((m.at(x) + f.at(x)) / 2.0));
  return q;
}

mortality::QTable TableStore::AnnuitantBlend(const TableRequest& request) {
  TableRequest each = request;
  each.DontProjTable = false;
  each.BlendAnn = false;
  each.BlendSex = false;
  each.Pre = true;
  const mortality::QTable n = LoadTable(each);
  each.Pre = false;
  const mortality::QTable a = LoadTable(each);
  TableRequest weights = request;
  weights.TableName = format::kAnnuitantWeights.Of(request.Male);
  weights.DontProjTable = true;
  weights.BlendAnn = true;
  weights.BlendSex = false;
  const mortality::QTable w = LoadTable(weights);
  mortality::QTable q;
  for (int x = 1; x <= kLastAge; ++x) {
    // w is the annuitant share at age x.
    q.set(x, Round6((1.0 - w.at(x)) * n.at(x) + w.at(x) * a.at(x)));
  }
  return q;
}

mortality::QTable TableStore::PreambleAdjustment(const TableRequest& request) {
  TableRequest each = request;
  each.DontProjTable = false;
  each.BlendAnn = false;
  each.BlendSex = false;
  each.FollowPreamble = false;
  each.Pre = true;
  const mortality::QTable n = LoadTable(each);
  each.Pre = false;
  const mortality::QTable a = LoadTable(each);
  const PreambleBand band = BandFor(request.Pre, request.Male);
  const double step = (a.at(band.b) - n.at(band.a)) / band.d;
  mortality::QTable q;
  for (int x = 1; x <= kLastAge; ++x) {
    if (x <= band.a) {
      q.set(x, n.at(x));
    } else if (x <= band.last_band_age) {
      // Increments grow by one step per year; the graded values are not rounded.
      q.set(x, q.at(x - 1) + (x - band.a) * step);
    } else {
      q.set(x, a.at(x));
    }
  }
  return q;
}

}  // namespace orvane::tables
