#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/valuation/valuation_test_support.h"
#include "valuation/valuation_engine.h"

namespace orvane::valuation {
namespace {

using testing::AgeTable;
using testing::MonthRecorder;
using testing::PlainInputs;

void ExpectRelative(double actual, double expected, double tolerance = 1e-13) {
  EXPECT_NEAR(actual, expected, tolerance * std::fabs(expected));
}

TEST(Discounting, SegmentRatesDiscountTheWholeTimeAtTheSegmentsRate) {
  ValuationInputs inputs = PlainInputs(AgeTable());
  inputs.TreatAsYieldCurve = true;
  inputs.Period1 = 5.0;
  inputs.Period2 = 15.0;
  inputs.InterestRate1 = 3.0;
  inputs.InterestRate2 = 6.0;
  inputs.InterestRate3 = 9.0;
  inputs.PostRetirementInterest = 50.0;  // not used in this mode
  MonthRecorder months;
  Orvane(inputs, {nullptr, &months});
  // Row j is the payment (j - 1)/12 years after the valuation date.
  ExpectRelative(months.Start(60).Vx, std::pow(1.03, -59.0 / 12.0));
  ExpectRelative(months.Start(61).Vx, std::pow(1.06, -5.0));
  ExpectRelative(months.Start(91).Vx, std::pow(1.06, -7.5));
  ExpectRelative(months.Start(240).Vx, std::pow(1.06, -239.0 / 12.0));
  ExpectRelative(months.Start(241).Vx, std::pow(1.09, -20.0));
  ExpectRelative(months.Paid(91).primary_value, 1000.0 * months.Start(91).Vx * months.Start(91).Lx);
  // The rate reported is the one that discounts: the second rate through year 19.
  EXPECT_EQ(months.Start(60).interest_rate_percent, 3.0);
  EXPECT_EQ(months.Start(61).interest_rate_percent, 6.0);
  EXPECT_EQ(months.Start(181).interest_rate_percent, 6.0);
  EXPECT_EQ(months.Start(240).interest_rate_percent, 6.0);
  EXPECT_EQ(months.Start(241).interest_rate_percent, 9.0);

  // Period1 0: the first rate is never used.
  inputs.Period1 = 0.0;
  MonthRecorder no_first;
  Orvane(inputs, {nullptr, &no_first});
  EXPECT_EQ(no_first.Start(1).interest_rate_percent, 6.0);
  ExpectRelative(no_first.Start(13).Vx, 1.0 / 1.06);
}

TEST(Discounting, SelectAndUltimateRatesBeforeAndAfterThePaymentAge) {
  ValuationInputs inputs = PlainInputs(AgeTable());
  inputs.CurrentAge = 60.0;
  inputs.Period1 = 2.0;
  inputs.Period2 = 2.0;
  inputs.InterestRate1 = 6.0;
  inputs.InterestRate2 = 5.0;
  inputs.InterestRate3 = 4.0;
  inputs.PostRetirementInterest = 3.0;
  MonthRecorder months;
  Orvane(inputs, {nullptr, &months});
  const double first = std::pow(1.06, -2.0) * std::pow(1.05, -2.0) * std::pow(1.04, -1.0);
  ASSERT_TRUE(months.Paid(61).payment_month);
  ExpectRelative(months.Start(61).Vx, first);
  for (const long later : {1L, 2L, 12L, 100L}) {
    ExpectRelative(months.Start(61 + later).Vx,
                   first * std::pow(1.03, -static_cast<double>(later) / 12.0));
  }
  // The rate that discounts each month: 6 in years 0-1, 5 in years 2-3, 4 in year 4, then 3.
  EXPECT_EQ(months.Start(24).interest_rate_percent, 6.0);
  EXPECT_EQ(months.Start(25).interest_rate_percent, 5.0);
  EXPECT_EQ(months.Start(48).interest_rate_percent, 5.0);
  EXPECT_EQ(months.Start(49).interest_rate_percent, 4.0);
  EXPECT_EQ(months.Start(60).interest_rate_percent, 4.0);
  EXPECT_EQ(months.Start(61).interest_rate_percent, 3.0);
  EXPECT_EQ(months.Start(200).interest_rate_percent, 3.0);

  // All rates 0: Vx stays 1 in both rate modes.
  for (const bool segments : {false, true}) {
    ValuationInputs flat = PlainInputs(AgeTable());
    flat.CurrentAge = 60.0;
    flat.TreatAsYieldCurve = segments;
    MonthRecorder zero;
    Orvane(flat, {nullptr, &zero});
    for (const MonthStart& month : zero.starts) ASSERT_EQ(month.Vx, 1.0) << month.row;
  }
}

TEST(Discounting, FlatFullYieldCurveDiscountsAtItsRate) {
  const CurveDiscount curve(std::vector<double>(200, 0.05));
  ValuationInputs inputs = PlainInputs(AgeTable());
  inputs.CurrentAge = 60.0;
  inputs.InterestRate1 = inputs.InterestRate2 = inputs.InterestRate3 = 9.0;  // not used
  inputs.PostRetirementInterest = 9.0;
  MonthRecorder months;
  const double value = Orvane(inputs, {&curve, &months});
  double expected = 0.0;
  for (const MonthStart& month : months.starts) {
    const double m = static_cast<double>(month.row - 1);
    ExpectRelative(month.Vx, std::pow(1.05, -m / 12.0), 1e-12);
    ASSERT_EQ(month.interest_rate_percent, 5.0) << month.row;
    if (month.row > 60)
      expected += 1000.0 * std::pow(1.05, -m / 12.0) * month.Lx;
  }
  ExpectRelative(value, expected, 1e-12);
}

TEST(Payments, CostOfLivingIncreasesAndTheCap) {
  ValuationInputs inputs = PlainInputs(AgeTable());
  inputs.COLA = 3.0;
  inputs.Maximum = 1050.0;
  MonthRecorder months;
  Orvane(inputs, {nullptr, &months});
  for (long row = 1; row <= 12; ++row) EXPECT_EQ(months.Paid(row).primary_benefit, 1000.0) << row;
  for (long row = 13; row <= 24; ++row) {
    EXPECT_DOUBLE_EQ(months.Paid(row).primary_benefit, 1030.0) << row;
  }
  for (long row = 25; row <= 120; ++row) {
    EXPECT_EQ(months.Paid(row).primary_benefit, 1050.0) << row;
  }

  // A benefit above the maximum is paid in full until the first anniversary, even without COLA.
  inputs.COLA = 0.0;
  inputs.InitialBenefit = 1200.0;
  inputs.Maximum = 1000.0;
  MonthRecorder capped;
  Orvane(inputs, {nullptr, &capped});
  EXPECT_EQ(capped.Paid(12).primary_benefit, 1200.0);
  EXPECT_EQ(capped.Paid(13).primary_benefit, 1000.0);
  EXPECT_EQ(capped.Paid(200).primary_benefit, 1000.0);

  // Past the payment age the anniversaries fall where x + 1/12 - r is whole: 66.5 from 65 first
  // reaches 67 - 65 at the end of month 6. A deferred benefit first rises with payment 13.
  inputs.InitialBenefit = 1000.0;
  inputs.Maximum = 1.0e9;
  inputs.COLA = 3.0;
  inputs.CurrentAge = 66.5;
  MonthRecorder late;
  Orvane(inputs, {nullptr, &late});
  EXPECT_EQ(late.Paid(6).primary_benefit, 1000.0);
  EXPECT_DOUBLE_EQ(late.Paid(7).primary_benefit, 1030.0);
  EXPECT_DOUBLE_EQ(late.Paid(18).primary_benefit, 1030.0);
  EXPECT_DOUBLE_EQ(late.Paid(19).primary_benefit, 1030.0 * 1.03);
  inputs.CurrentAge = 60.0;
  MonthRecorder deferred;
  Orvane(inputs, {nullptr, &deferred});
  EXPECT_EQ(deferred.Paid(72).primary_benefit, 1000.0);
  EXPECT_DOUBLE_EQ(deferred.Paid(73).primary_benefit, 1030.0);
}

long CertainPayments(const MonthRecorder& months) {
  long count = 0;
  for (const MonthPayment& paid : months.payments) count += paid.within_period_certain ? 1 : 0;
  return count;
}

TEST(Payments, PeriodCertainCounts) {
  ValuationInputs inputs = PlainInputs(AgeTable());
  for (const auto& [years, count] : {std::pair{10.0, 120L}, {10.5, 126L}, {0.0, 0L}}) {
    inputs.PeriodCertain = years;
    MonthRecorder months;
    Orvane(inputs, {nullptr, &months});
    EXPECT_EQ(CertainPayments(months), count) << years;
    if (count > 0) {
      EXPECT_TRUE(months.Paid(count).within_period_certain);
      EXPECT_FALSE(months.Paid(count + 1).within_period_certain);
    }
  }

  // Already five years past the payment age: nothing is certain any more.
  inputs.PeriodCertain = 5.0;
  inputs.CurrentAge = 70.0;
  MonthRecorder none;
  Orvane(inputs, {nullptr, &none});
  EXPECT_EQ(CertainPayments(none), 0);

  // At 69.5 six payments remain certain, each weighted by SurvivalAtPayment = 1.
  inputs.CurrentAge = 69.5;
  inputs.InterestRate1 = inputs.InterestRate2 = inputs.InterestRate3 = 4.0;
  inputs.PostRetirementInterest = 4.0;
  MonthRecorder six;
  Orvane(inputs, {nullptr, &six});
  EXPECT_EQ(CertainPayments(six), 6);
  for (long row = 1; row <= 6; ++row) {
    EXPECT_DOUBLE_EQ(six.Paid(row).period_certain_value, 1000.0 * six.Start(row).Vx) << row;
    EXPECT_EQ(six.Paid(row).primary_value, 0.0);
  }
  EXPECT_LT(six.Start(6).Lx, 1.0);
  EXPECT_DOUBLE_EQ(six.Paid(7).primary_value, 1000.0 * six.Start(7).Vx * six.Start(7).Lx);

  // Deferred: the certain payments carry the probability of reaching the payment age.
  inputs.CurrentAge = 60.0;
  inputs.PeriodCertain = 10.0;
  MonthRecorder deferred;
  Orvane(inputs, {nullptr, &deferred});
  const double reach = deferred.Start(61).Lx;
  EXPECT_LT(reach, 0.9);
  EXPECT_DOUBLE_EQ(deferred.Paid(100).period_certain_value,
                   1000.0 * deferred.Start(100).Vx * reach);
  EXPECT_EQ(CertainPayments(deferred), 120);
}

// A guarantee that reaches past age 120 is still paid in full: the run goes on until the last
// certain payment, although both lives are gone.
TEST(Payments, PeriodCertainBeyondTheLastAgeIsPaidInFull) {
  ValuationInputs inputs = PlainInputs(testing::ConstantTable(0.5));
  inputs.CurrentAge = inputs.SpousesCurrentAge = inputs.PaymentAge = 90.0;
  inputs.PeriodCertain = 40.0;
  MonthRecorder months;
  const double value = Orvane(inputs, {nullptr, &months});
  EXPECT_EQ(CertainPayments(months), 480);
  EXPECT_DOUBLE_EQ(value, 480 * 1000.0);
  EXPECT_EQ(months.starts.size() % 12, 0U);
  EXPECT_GE(months.starts.size(), 480U);
  EXPECT_LT(months.starts.size(), 492U);

  // Without the guarantee the run still ends once both lives have passed 120.
  inputs.PeriodCertain = 0.0;
  MonthRecorder lives;
  Orvane(inputs, {nullptr, &lives});
  EXPECT_EQ(lives.starts.size(), 31U * 12U);
}

TEST(Payments, SurvivorShareWeights) {
  ValuationInputs inputs = PlainInputs(AgeTable());
  inputs.SpousesCurrentAge = 60.0;
  for (const double share : {0.0, 100.0, 40.0}) {
    inputs.PercentToSurvivor = share;
    MonthRecorder months;
    const double value = Orvane(inputs, {nullptr, &months});
    double expected = 0.0;
    for (const MonthStart& month : months.starts) {
      const double lx = month.Lx;
      const double ly = month.Ly;
      // 100%: the probability that at least one life survives.
      const double weight = share == 100.0 ? lx + ly - lx * ly : lx + share / 100.0 * ly * (1 - lx);
      expected += 1000.0 * month.Vx * weight;
    }
    ExpectRelative(value, expected, 1e-12);
    EXPECT_DOUBLE_EQ(months.Paid(30).survivor_benefit, 1000.0 * share / 100.0);
  }
}

TEST(Payments, LoadAndImmediatePayment) {
  ValuationInputs inputs = PlainInputs(AgeTable());
  inputs.CurrentAge = 67.0;
  inputs.InterestRate1 = inputs.InterestRate2 = inputs.InterestRate3 = 5.0;
  inputs.PostRetirementInterest = 5.0;
  MonthRecorder months;
  const double plain = Orvane(inputs, {nullptr, &months});
  // Past the payment age: the first month pays at once, undiscounted and certain to be alive.
  EXPECT_TRUE(months.Paid(1).payment_month);
  EXPECT_EQ(months.Start(1).Lx, 1.0);
  EXPECT_EQ(months.Start(1).Vx, 1.0);
  EXPECT_EQ(months.Paid(1).primary_value, 1000.0);

  inputs.Load = 2.0;
  EXPECT_DOUBLE_EQ(Orvane(inputs), plain / 0.98);
  inputs.Load = 0.0;
  EXPECT_EQ(Orvane(inputs), plain);
  // The detail hook only watches: the value is the same without it.
  EXPECT_EQ(Orvane(inputs, {}), plain);
}

}  // namespace
}  // namespace orvane::valuation
