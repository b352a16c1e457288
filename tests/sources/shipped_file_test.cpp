// The shipped data file holds the published rates: a sample of each kind of table, copied by
// hand from the published files under data/tables/published (RP-2000 and Scale AA CSV files, the
// SOA's XTbML files of the IRS tables of 2008-2016, the IRS's CSV files of 2017 on and of 2026).
#include <gtest/gtest.h>

#include <string>

#include "tables/table_store.h"
#include "tests/sources/tool_run.h"

namespace orvane::tables {
namespace {

TEST(ShippedFile, HoldsThePublishedRates) {
  TableStore store(sources::testing::Source("data/MortalityTables"), {});
  struct Case {
    const char* table;
    int age;
    double rate;
  };
  const Case cases[] = {
      {"M-N-Base", 70, 0.009922},  // RP-2000 employee to 70, annuitant from 71
      {"M-N-Base", 71, 0.024570}, {"M-A-Base", 49, 0.001995}, {"M-A-Base", 50, 0.005347},
      {"F-N-Base", 70, 0.007613}, {"F-A-Base", 50, 0.002344}, {"RP2000CF", 120, 0.999999},
      {"M-Proj", 65, 0.014},      {"F-Proj", 65, 0.005},      {"M Weight", 49, 0.0},
      {"M Weight", 51, 0.0498},   {"F Weight", 60, 0.4954},   {"M Weight", 71, 0.999999},
      {"2012NAM", 1, 0.000369},   {"2012NAM", 65, 0.005175},  {"2012SPF", 65, 0.008794},
      {"2016417e", 65, 0.00888},  {"2017417e", 65, 0.008795}, {"2020SPF", 80, 0.033484},
      {"2020NAM", 1, 0.000117},  // ages 1-14 at the published age-15 rate
      {"2026417e", 1, 0.00023},   {"2026SPM", 40, 0.00073},   {"2026SPF", 40, 0.00036},
      {"2026SPM", 120, 0.999999},
  };
  TableRequest request;
  for (const Case& c : cases) {
    request.TableName = c.table;
    EXPECT_EQ(store.LoadTable(request).at(c.age), c.rate) << c.table << " at " << c.age;
  }
  request.TableName = "None";
  EXPECT_EQ(store.LoadTable(request), valuation::QTable());
}

}  // namespace
}  // namespace orvane::tables
