// The mortality vocabulary: the rate table's bounds, the packed bytes of a rate, and the kinds of
// table file written and read back.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "mortality/mortality_error.h"
#include "mortality/packed_decimal.h"
#include "mortality/q_table.h"
#include "mortality/table_kind.h"
#include "mortality/table_name.h"

namespace orvane::mortality {
namespace {

std::string ErrorOf(const std::function<void()>& call) try {
  call();
  return "";
} catch (const MortalityError& error) {
  return error.what();
}

TEST(Mortality, RateTablesPackedRatesAndNames) {
  QTable table;
  table.set(1, 0.001);
  table.set(120, 1.0);
  EXPECT_EQ(table.at(0) + table.at(1) + table.at(120), 1.001);
  EXPECT_EQ(ErrorOf([&] { table.at(121); }),
            "Age 121 is outside the table, which holds ages 0 to 120");
  EXPECT_NE(ErrorOf([&] { table.at(-1); }), "");
  EXPECT_EQ(ErrorOf([&] { table.set(0, 0.5); }),
            "Age 0 cannot be set in the table: only ages 1 to 120 hold rates (age 0 is always 0)");
  EXPECT_NE(ErrorOf([&] { table.set(121, 0.5); }), "");

  // Two decimal digits a byte, most significant first: 0.012345 is the bytes 0x01 0x23 0x45.
  EXPECT_EQ(PackedMillionths(12345), std::string("\x01\x23\x45", 3));
  EXPECT_EQ(PackedMillionths(999999), "\x99\x99\x99");
  for (const int outside : {-1, 1000000}) {
    EXPECT_EQ(ErrorOf([&] { PackedMillionths(outside); }),
              "the value " + std::to_string(outside) +
                  " millionths lies outside 0 to 0.999999, which three packed bytes hold");
  }
  EXPECT_EQ(PaddedName("PriRM-G"), "PriRM-G ");
}

TEST(Mortality, KindsOfTableFileAreReadAsWritten) {
  const ScaleRange range{20, 120, 1951, 2037};
  const std::string scale = "MP2021M " + ScaleKind(range);
  EXPECT_EQ(scale, "MP2021M SCALE:20-120,1951-2037");
  EXPECT_EQ(ScaleRangeOf(scale, "MP2021M"), range);
  EXPECT_EQ(GenerationalScaleOf(scale), std::nullopt);

  const std::string generational = "PriRM-G " + GenerationalKind("MP2021M");
  EXPECT_EQ(generational, "PriRM-G GENERATIONAL:MP2021M ");
  EXPECT_EQ(GenerationalScaleOf(generational), "MP2021M ");
  EXPECT_EQ(ScaleRangeOf(generational, "PriRM-G"), std::nullopt);
  // A plain table says nothing after its name; a name alone is too short to hold a mark.
  EXPECT_EQ(GenerationalScaleOf("2026417e"), std::nullopt);
  EXPECT_EQ(ScaleRangeOf("2026417e", "2026417e"), std::nullopt);

  // One age and one year is a range; each malformed one is refused with what it declares.
  EXPECT_EQ(ScaleRangeOf("S       SCALE:65-65,2020-2020", "S"), (ScaleRange{65, 65, 2020, 2020}));
  for (const std::string declared :
       {"20-120", "20-120,", "20-120;1951-2037", "120-20,1951-2037", "20-120,2037-1951",
        "20-121,1951-2037", "-1-120,1951-2037", "20-120,1951-2037x", "a-b,c-d"}) {
    EXPECT_EQ(ErrorOf([&] { ScaleRangeOf("S       SCALE:" + declared, "S"); }),
              "Improvement scale \"S\" declares the range \"" + declared +
                  "\", not ages and years as A-A,Y-Y")
        << declared;
  }
}

}  // namespace
}  // namespace orvane::mortality
