// A batch run's shared years of survival against each row fitting its own: the same value to the
// bit, from any starting age, for tables with certain deaths, none, or rates a roll would floor.
#include "valuation/survival_cache.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/valuation/valuation_test_support.h"
#include "valuation/sensitivities.h"

namespace orvane::valuation {
namespace {

TEST(SurvivalCache, RowsGetTheirOwnValuesToTheBit) {
  const auto gompertz = [](double at_120) {  // steep, with every digit used: 1e-4 e^(0.09 age)
    QTable q;
    for (int age = 1; age <= 120; ++age) q.set(age, std::fmin(1e-4 * std::exp(0.09 * age), at_120));
    return q;
  };
  QTable dies_at_110 = gompertz(0.999999), floored = gompertz(0.999999);
  dies_at_110.set(110, 1.0);
  floored.set(105, 0.9999995);  // a start keeps 5e-7 of survival, a roll floors it at 1e-6
  const QTable tables[] = {gompertz(0.999999), ConstantTable(0.0), dies_at_110, floored};
  SurvivalCache cache;
  for (const QTable& table : tables) {
    for (const double age :
         {0.0, 0.5, 1.0, 2.0, 2.0 + 1.0 / 12, 2.5, 60.25, 106.5, 108.25, 120.0}) {
      ValuationInputs in = PlainInputs(table);
      in.CurrentAge = age, in.SpousesCurrentAge = std::fmax(age - 7.5, 0.0);
      in.PaymentAge = 65.5, in.PeriodCertain = 5, in.PercentToSurvivor = 50, in.COLA = 2;
      in.PrePrimaryMortality = ConstantTable(0.0, 0.0005);
      const Sensitivities alone = ValueWithSensitivities(in);
      const Sensitivities shared = ValueWithSensitivities(in, {.survival_cache = &cache});
      EXPECT_EQ(shared.value, alone.value) << age;
      EXPECT_EQ(shared.Duration, alone.Duration) << age;
      in.UseRoundedAge = true;
      EXPECT_EQ(Orvane(in, {.survival_cache = &cache}), Orvane(in)) << age;
    }
  }
  EXPECT_EQ(cache.size(), 5u);  // the four tables and the one before payment
  EXPECT_EQ(cache.Of(tables[3]), nullptr);
  EXPECT_EQ(cache.Of(gompertz(0.999999)), cache.Of(tables[0]));
  EXPECT_NE(cache.Of(tables[0]), nullptr);
  ValuationInputs dead = PlainInputs(dies_at_110);  // a start on a certain death still stops
  dead.CurrentAge = 110.25;
  EXPECT_EQ(ErrorOf([&] { Orvane(dead, {.survival_cache = &cache}); }).substr(0, 48),
            "PrePrimaryMortality has a rate of 1 at age 110, ");
}

}  // namespace
}  // namespace orvane::valuation
