#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "tests/valuation/valuation_test_support.h"
#include "valuation/detail/prepared_ages.h"
#include "valuation/detail/survival_segment.h"
#include "valuation/valuation_engine.h"

namespace orvane::valuation {
namespace {

using detail::SurvivalSegment;
using testing::AgeTable;
using testing::ConstantTable;
using testing::MonthRecorder;
using testing::PlainInputs;

QTable WorkedExampleTable() {
  QTable table = AgeTable();
  table.set(59, 0.01);
  table.set(60, 0.012);
  table.set(61, 0.014);
  return table;
}

TEST(SurvivalSegment, WorkedExampleOfTheYearOfAge60) {
  const SurvivalSegment segment(WorkedExampleTable(), "T", Input::None, "participant", 60.0);
  EXPECT_DOUBLE_EQ(segment.PrevSurvival(), 0.99);
  EXPECT_DOUBLE_EQ(segment.Survival(), 0.988);
  EXPECT_DOUBLE_EQ(segment.NextSurvival(), 0.986);
  EXPECT_DOUBLE_EQ(segment.Slope(), -1.40575990486118e-05);
  EXPECT_DOUBLE_EQ(segment.Level(), -0.0009287316414217391);
  EXPECT_NEAR(segment.Factor(60.0), 0.9990716994963283, 1e-15);
  EXPECT_NEAR(segment.Factor(60.0 + 11.0 / 12.0), 0.998917221397292, 1e-15);
  double product = 1.0;
  for (int k = 0; k < 12; ++k) product *= segment.Factor(60.0 + k / 12.0);
  EXPECT_NEAR(product, 0.988, 1e-15);

  // The same year inside a run: the monthly decrements reported and Lx after twelve months.
  ValuationInputs inputs = PlainInputs(WorkedExampleTable());
  inputs.CurrentAge = 60.0;
  MonthRecorder months;
  Orvane(inputs, {nullptr, &months});
  EXPECT_NEAR(months.Start(1).monthly_q[0], 1.0 - 0.9990716994963283, 1e-15);
  EXPECT_NEAR(months.Start(12).monthly_q[0], 1.0 - 0.998917221397292, 1e-15);
  EXPECT_NEAR(months.Start(1).annual_q[0], 0.012, 1e-15);
  EXPECT_NEAR(months.Start(13).Lx, 0.988, 1e-15);
  // At 61 the segment has rolled: its year's survival is the former next survival.
  EXPECT_NEAR(months.Start(13).annual_q[0], 0.014, 1e-15);
}

TEST(SurvivalSegment, ConstantRateGivesEqualMonthlyFactors) {
  const SurvivalSegment segment(ConstantTable(0.05), "T", Input::None, "participant", 45.0);
  EXPECT_EQ(segment.Slope(), 0.0);
  for (int k = 0; k < 12; ++k) {
    EXPECT_NEAR(segment.Factor(45.0 + k / 12.0), std::pow(0.95, 1.0 / 12.0), 1e-15);
  }
}

TEST(SurvivalSegment, StartingAgesAtTheEndsOfTheTable) {
  QTable table = AgeTable();
  table.set(1, 1.0);  // certain death at age 1: read only for a life older than 2
  const SurvivalSegment at_two(table, "T", Input::None, "participant", 2.0);
  EXPECT_EQ(at_two.PrevSurvival(), 1.0);
  EXPECT_DOUBLE_EQ(at_two.Survival(), 1.0 - 0.002);
  table.set(1, 0.5);
  const SurvivalSegment at_two_and_a_half(table, "T", Input::None, "participant", 2.5);
  EXPECT_EQ(at_two_and_a_half.PrevSurvival(), 0.5);

  table.set(120, 0.3);
  const SurvivalSegment at_119_5(table, "T", Input::None, "participant", 119.5);
  EXPECT_DOUBLE_EQ(at_119_5.NextSurvival(), 0.7);
  EXPECT_DOUBLE_EQ(at_119_5.Survival(), 1.0 - 0.119);
  table.set(120, 1.0);  // floored, not a log of zero
  const SurvivalSegment floored(table, "T", Input::None, "participant", 119.5);
  EXPECT_EQ(floored.NextSurvival(), 1.0000000000287557e-06);

  table.set(120, 0.3);
  const SurvivalSegment at_120(table, "T", Input::None, "participant", 120.0);
  EXPECT_EQ(at_120.NextSurvival(), 1.0000000000287557e-06);
  EXPECT_DOUBLE_EQ(at_120.Survival(), 0.7);
  EXPECT_DOUBLE_EQ(at_120.PrevSurvival(), 1.0 - 0.119);

  // Whole runs from those ages: a year each, with finite values.
  for (const double age : {119.5, 120.0}) {
    ValuationInputs inputs = PlainInputs(table);
    inputs.CurrentAge = age;
    inputs.SpousesCurrentAge = age;
    inputs.PaymentAge = 65.0;
    MonthRecorder months;
    const double value = Orvane(inputs, {nullptr, &months});
    EXPECT_EQ(months.starts.size(), 12u) << age;
    EXPECT_TRUE(std::isfinite(value) && value > 1000.0) << age;
  }
  // From 2.0 the year ends fall on 120 (not past it) and 121; from 2.5 on 120.5.
  for (const auto& [age, years] : {std::pair{2.0, 119u}, std::pair{2.5, 118u}}) {
    ValuationInputs inputs = PlainInputs(AgeTable());
    inputs.CurrentAge = age;
    inputs.SpousesCurrentAge = age;
    MonthRecorder months;
    Orvane(inputs, {nullptr, &months});
    EXPECT_EQ(months.starts.size(), 12u * years) << age;
    EXPECT_EQ(months.Start(1).age, age);
  }
}

TEST(SurvivalSegment, BirthdaysRollTheSegmentsOfBothPhases) {
  // Starting at 64.5 the first month uses k = 6 of age 64; the segments roll at 65, which is
  // also the payment age, so the payment phase continues with the year of age 65.
  const QTable table = AgeTable();
  const SurvivalSegment at_64(table, "T", Input::None, "participant", 64.5);
  ValuationInputs inputs = PlainInputs(table);
  inputs.CurrentAge = 64.5;
  MonthRecorder months;
  Orvane(inputs, {nullptr, &months});
  EXPECT_DOUBLE_EQ(months.Start(1).monthly_q[0], 1.0 - at_64.Factor(64.5));
  EXPECT_NEAR(months.Start(1).monthly_q[0], 1.0 - std::exp(at_64.Level() + 6 * at_64.Slope()),
              1e-16);
  EXPECT_NEAR(months.Start(6).annual_q[0], 0.064, 1e-15);
  EXPECT_DOUBLE_EQ(months.Start(7).age, 65.0);
  EXPECT_FALSE(months.Paid(6).payment_month);
  EXPECT_TRUE(months.Paid(7).payment_month);
  EXPECT_NEAR(months.Start(7).annual_q[0], 0.065, 1e-15);
  EXPECT_NEAR(months.Start(7).annual_q[2], 0.065, 1e-15);
  // Ages stay on whole months: a year later the participant is exactly 66.
  EXPECT_EQ(months.Start(19).age, 66.0);
  EXPECT_NEAR(months.Start(19).annual_q[2], 0.066, 1e-15);
}

TEST(AgePreparation, RoundedAgesAndCompletedMonths) {
  ValuationInputs inputs;
  inputs.UseRoundedAge = true;
  inputs.CurrentAge = 60.4;
  inputs.SpousesCurrentAge = 57.6;
  inputs.PaymentAge = 65.3;
  detail::PreparedAges ages = detail::PrepareAges(inputs);
  EXPECT_EQ(ages.r, 65.0);
  EXPECT_EQ(ages.x, 60.0);
  EXPECT_EQ(ages.y, 57.0);

  inputs.UseRoundedAge = false;
  inputs.CurrentAge = 60.4;
  inputs.SpousesCurrentAge = 64.999;
  inputs.PaymentAge = 65.0;
  ages = detail::PrepareAges(inputs);
  EXPECT_EQ(ages.x, 724.0 / 12.0);
  EXPECT_EQ(ages.y, 779.0 / 12.0);
  EXPECT_EQ(ages.r, 65.0);

  // Through a run: the participant starts at 60, the spouse at 57 and payments at 65.
  ValuationInputs run = PlainInputs(AgeTable());
  run.UseRoundedAge = true;
  run.CurrentAge = 60.4;
  run.SpousesCurrentAge = 57.6;
  run.PaymentAge = 65.3;
  MonthRecorder months;
  Orvane(run, {nullptr, &months});
  EXPECT_EQ(months.Start(1).age, 60.0);
  EXPECT_NEAR(months.Start(12).annual_q[1], 0.057, 1e-15);
  EXPECT_NEAR(months.Start(13).annual_q[1], 0.058, 1e-15);
  EXPECT_FALSE(months.Paid(60).payment_month);
  EXPECT_TRUE(months.Paid(61).payment_month);
}

TEST(MonthLoop, RunLengthAndOrderOfReports) {
  // Both aged 99: the run ends after the year in which both pass 120, 22 years.
  ValuationInputs inputs = PlainInputs(AgeTable());
  inputs.CurrentAge = 99.0;
  inputs.SpousesCurrentAge = 99.0;
  MonthRecorder months;
  Orvane(inputs, {nullptr, &months});
  ASSERT_EQ(months.starts.size(), 264u);
  ASSERT_EQ(months.payments.size(), 264u);
  for (std::size_t i = 0; i < months.order.size(); ++i) {
    ASSERT_EQ(months.order[i], i % 2 == 0 ? 'S' : 'P') << i;
  }
  for (long row = 1; row <= 264; ++row) {
    ASSERT_EQ(months.Start(row).row, row);
    ASSERT_EQ(months.Paid(row).row, row);
  }
  // Ages stay whole at every birthday despite the repeated additions of 1/12.
  EXPECT_EQ(months.Start(253).age, 120.0);

  // The younger life sets the length: the spouse at 80 adds 19 years.
  inputs.SpousesCurrentAge = 80.0;
  MonthRecorder longer;
  Orvane(inputs, {nullptr, &longer});
  EXPECT_EQ(longer.starts.size(), 41u * 12u);
  EXPECT_EQ(longer.Start(12 * 22 + 1).Lx, 0.0);
  EXPECT_GT(longer.Start(12 * 22 + 1).Ly, 0.0);
}

TEST(MonthLoop, RunsBeyond1440MonthsAreValued) {
  // From 0.5 a life passes 120 after 120 years; a spouse aged 0 needs 121.
  ValuationInputs inputs = PlainInputs(AgeTable());
  inputs.CurrentAge = 0.5;
  inputs.SpousesCurrentAge = 0.5;
  MonthRecorder exact;
  Orvane(inputs, {nullptr, &exact});
  EXPECT_EQ(exact.starts.size(), 1440u);

  inputs.SpousesCurrentAge = 0.0;
  inputs.PercentToSurvivor = 100.0;
  inputs.InterestRate1 = inputs.InterestRate2 = inputs.InterestRate3 = 3.0;
  inputs.PostRetirementInterest = 3.0;
  MonthRecorder months;
  const double value = Orvane(inputs, {nullptr, &months});
  ASSERT_EQ(months.starts.size(), 1452u);
  EXPECT_TRUE(months.Paid(1452).payment_month);
  EXPECT_GT(months.Paid(1452).contingent_value, 0.0);
  EXPECT_TRUE(std::isfinite(value));

  // In full yield curve mode the months past 1440 use the last half-year's rate.
  std::vector<double> rates(200, 0.03);
  rates[199] = 0.06;
  const CurveDiscount curve(rates);
  MonthRecorder curved;
  Orvane(inputs, {&curve, &curved});
  ASSERT_EQ(curved.starts.size(), 1452u);
  const double last = std::pow(1.0 / 1.06, 1451.0 / 12.0);
  EXPECT_NEAR(curved.Start(1452).Vx, last, 1e-13 * last);
  EXPECT_EQ(curved.Start(1452).interest_rate_percent, 6.0);
  // Months 1188..1193 are the last of half-year 199, 1194 the first of half-year 200.
  EXPECT_NEAR(curved.Start(1194).Vx, std::pow(1.0 / 1.03, 1193.0 / 12.0), 1e-15);
  EXPECT_NEAR(curved.Start(1195).Vx, std::pow(1.0 / 1.06, 1194.0 / 12.0), 1e-15);
}

// A table of zeros meets the survival floor after age 120; the tilt of the log-linear months
// would push the survival of the year of age 120 above 1. It stays at 1 instead, and an
// annuity valued on such a table is the plain count of its payments.
TEST(SurvivalSegment, NoMonthlySurvivalAboveOne) {
  ValuationInputs inputs = PlainInputs(ConstantTable(0.0));
  inputs.CurrentAge = inputs.SpousesCurrentAge = inputs.PaymentAge = 65.5;
  MonthRecorder months;
  const double value = Orvane(inputs, {nullptr, &months});
  for (const MonthStart& month : months.starts) {
    ASSERT_LE(month.Lx, 1.0) << month.row;
    for (double q : month.monthly_q) ASSERT_GE(q, 0.0) << month.row;
  }
  EXPECT_EQ(months.starts.size(), 55U * 12U);
  EXPECT_DOUBLE_EQ(value, 660 * 1000.0);

  // A real year keeps its tilted months: the worked year of age 60 is untouched.
  QTable table;
  table.set(59, 0.01);
  table.set(60, 0.012);
  table.set(61, 0.014);
  SurvivalSegment year60(table, "T", Input::None, "participant", 60.0);
  EXPECT_NEAR(year60.Slope(), -1.40575990486118e-05, 1e-18);
}

}  // namespace
}  // namespace orvane::valuation
