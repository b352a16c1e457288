// The month loop's worked examples and boundaries, read from the months it reports.
#include "valuation/valuation_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/valuation/valuation_test_support.h"
#include "valuation/detail/prepared_ages.h"
#include "valuation/detail/survival_segment.h"

namespace orvane::valuation {
namespace {

using detail::SurvivalSegment;
using testing::AgeTable;
using testing::ConstantTable;
using testing::ErrorOf;
using testing::MonthRecorder;
using testing::PlainInputs;
using In = ValuationInputs&;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

MonthRecorder MonthsOf(const ValuationInputs& inputs, const CurveDiscount* curve = nullptr) {
  MonthRecorder months;
  Orvane(inputs, {curve, &months});
  return months;
}

long CertainPayments(const MonthRecorder& months) {
  long count = 0;
  for (const MonthPayment& paid : months.payments) count += paid.within_period_certain ? 1 : 0;
  return count;
}

// Row j is the payment (j - 1)/12 years after the valuation date; each row's factor and the rate
// reported for it.
TEST(Discounting, EachModeDiscountsAtTheRateOfItsPeriod) {
  struct Row {
    long row;
    double vx, rate;
  };
  ValuationInputs segment = PlainInputs();
  segment.TreatAsYieldCurve = true;
  segment.InterestRate1 = 3.0, segment.InterestRate2 = 6.0, segment.InterestRate3 = 9.0;
  segment.PostRetirementInterest = 50.0;  // not used in this mode
  const MonthRecorder by_segment = MonthsOf(segment);
  for (const Row& r :
       {Row{60, std::pow(1.03, -59.0 / 12), 3}, Row{61, std::pow(1.06, -5.0), 6},
        Row{240, std::pow(1.06, -239.0 / 12), 6}, Row{241, std::pow(1.09, -20.0), 9}}) {
    EXPECT_NEAR(by_segment.Start(r.row).Vx, r.vx, 1e-13 * r.vx) << r.row;
    EXPECT_EQ(by_segment.Start(r.row).interest_rate_percent, r.rate) << r.row;
  }
  segment.Period1 = 0.0;  // the first rate is never used
  EXPECT_EQ(MonthsOf(segment).Start(1).interest_rate_percent, 6.0);
  EXPECT_NEAR(MonthsOf(segment).Start(13).Vx, 1.0 / 1.06, 1e-15);

  // Select and ultimate: 6% in years 0-1, 5% in years 2-3, 4% in year 4, then 3% from age 65.
  ValuationInputs select = PlainInputs();
  select.CurrentAge = 60.0;
  select.Period1 = select.Period2 = 2.0;
  select.InterestRate1 = 6.0, select.InterestRate2 = 5.0, select.InterestRate3 = 4.0;
  select.PostRetirementInterest = 3.0;
  const MonthRecorder by_select = MonthsOf(select);
  const double first = std::pow(1.06, -2.0) * std::pow(1.05, -2.0) * std::pow(1.04, -1.0);
  for (const Row& r : {Row{24, 0, 6}, Row{25, 0, 5}, Row{48, 0, 5}, Row{49, 0, 4}, Row{60, 0, 4},
                       Row{61, first, 3}, Row{62, first * std::pow(1.03, -1.0 / 12), 3},
                       Row{161, first * std::pow(1.03, -100.0 / 12), 3}}) {
    if (r.vx > 0)
      EXPECT_NEAR(by_select.Start(r.row).Vx, r.vx, 1e-13 * r.vx) << r.row;
    EXPECT_EQ(by_select.Start(r.row).interest_rate_percent, r.rate) << r.row;
  }
}

TEST(Payments, CostOfLivingRisesAtEachAnniversaryUpToTheMaximum) {
  struct Case {
    double age, cola, benefit, maximum;
    long row;
    double paid;
  };
  const Case cases[] = {{65, 3, 1000, 1050, 12, 1000},    {65, 3, 1000, 1050, 13, 1030},
                        {65, 3, 1000, 1050, 24, 1030},    {65, 3, 1000, 1050, 25, 1050},
                        {65, 3, 1000, 1050, 120, 1050},   {65, 0, 1200, 1000, 12, 1200},
                        {65, 0, 1200, 1000, 13, 1000},    {66.5, 3, 1000, 1e9, 6, 1000},
                        {66.5, 3, 1000, 1e9, 7, 1030},    {66.5, 3, 1000, 1e9, 18, 1030},
                        {66.5, 3, 1000, 1e9, 19, 1060.9}, {60, 3, 1000, 1e9, 72, 1000},
                        {60, 3, 1000, 1e9, 73, 1030}};
  for (const Case& c : cases) {
    ValuationInputs inputs = PlainInputs();
    inputs.CurrentAge = c.age, inputs.COLA = c.cola;
    inputs.InitialBenefit = c.benefit, inputs.Maximum = c.maximum;
    EXPECT_DOUBLE_EQ(MonthsOf(inputs).Paid(c.row).primary_benefit, c.paid) << c.age << " " << c.row;
  }
  ValuationInputs loaded = PlainInputs();
  loaded.InterestRate1 = loaded.InterestRate2 = loaded.InterestRate3 = 5.0;
  loaded.PostRetirementInterest = 5.0;
  const double plain = Orvane(loaded);
  loaded.Load = 2.0;
  EXPECT_DOUBLE_EQ(Orvane(loaded), plain / 0.98);
}

TEST(Payments, PeriodCertain) {
  struct Case {
    double age, years;
    long certain;
  };
  // 10.5 years are 126 payments; five years past the payment age none is certain any more.
  for (const Case& c : {Case{65, 10, 120}, Case{65, 10.5, 126}, Case{65, 0, 0}, Case{70, 5, 0},
                        Case{69.5, 5, 6}, Case{60, 10, 120}}) {
    ValuationInputs inputs = PlainInputs();
    inputs.CurrentAge = c.age, inputs.PeriodCertain = c.years;
    EXPECT_EQ(CertainPayments(MonthsOf(inputs)), c.certain) << c.age << " " << c.years;
  }
  // Certain payments are weighted by the probability of reaching the payment age: 1 at 69.5,
  // the survival to 65 from 60.
  ValuationInputs inputs = PlainInputs();
  inputs.CurrentAge = 69.5, inputs.PeriodCertain = 5.0;
  inputs.InterestRate1 = inputs.InterestRate2 = inputs.InterestRate3 = 4.0;
  inputs.PostRetirementInterest = 4.0;
  const MonthRecorder six = MonthsOf(inputs);
  EXPECT_DOUBLE_EQ(six.Paid(6).period_certain_value, 1000.0 * six.Start(6).Vx);
  EXPECT_LT(six.Start(6).Lx, 1.0);
  EXPECT_DOUBLE_EQ(six.Paid(7).primary_value, 1000.0 * six.Start(7).Vx * six.Start(7).Lx);
  inputs.CurrentAge = 60.0, inputs.PeriodCertain = 10.0;
  const MonthRecorder deferred = MonthsOf(inputs);
  EXPECT_LT(deferred.Start(61).Lx, 0.9);
  EXPECT_DOUBLE_EQ(deferred.Paid(100).period_certain_value,
                   1000.0 * deferred.Start(100).Vx * deferred.Start(61).Lx);

  // A guarantee that reaches past age 120 is paid in full although both lives are gone.
  ValuationInputs old = PlainInputs(ConstantTable(0.5));
  old.CurrentAge = old.SpousesCurrentAge = old.PaymentAge = 90.0;
  old.PeriodCertain = 40.0;
  EXPECT_EQ(Orvane(old), 480 * 1000.0);
  EXPECT_EQ(MonthsOf(old).starts.size(), 480u);
}

// The run ends with the year in which both lives have passed 120 (a life exactly 120 at a year
// end lives another year), or with the last certain payment.
TEST(MonthLoop, RunLengths) {
  struct Case {
    double x, y;
    std::size_t months;
  };
  for (const Case& c : {Case{99, 99, 264}, Case{99, 80, 41 * 12}, Case{2.0, 2.0, 119 * 12},
                        Case{2.5, 2.5, 118 * 12}, Case{0.5, 0.5, 1440}, Case{0.5, 0, 1452},
                        Case{119.5, 119.5, 12}, Case{120, 120, 12}, Case{90, 90, 31 * 12}}) {
    ValuationInputs inputs = PlainInputs();
    inputs.CurrentAge = c.x, inputs.SpousesCurrentAge = c.y;
    inputs.PercentToSurvivor = 100.0;
    const MonthRecorder months = MonthsOf(inputs);
    EXPECT_EQ(months.starts.size(), c.months) << c.x << " " << c.y;
    EXPECT_GT(months.payments.back().primary_value + months.payments.back().contingent_value, 0);
  }
  ValuationInputs inputs = PlainInputs();
  inputs.CurrentAge = 99.0, inputs.SpousesCurrentAge = 80.0;
  const MonthRecorder months = MonthsOf(inputs);
  EXPECT_EQ(months.Start(253).age, 120.0);  // whole at every birthday despite the 1/12 steps
  EXPECT_EQ(months.Start(12 * 22 + 1).Lx, 0.0);

  // In full yield curve mode the months past 1440 use the last half-year's rate.
  std::vector<double> rates(200, 0.03);
  rates[199] = 0.06;
  const CurveDiscount curve(rates);
  inputs.CurrentAge = 0.5, inputs.SpousesCurrentAge = 0.0;
  const MonthRecorder curved = MonthsOf(inputs, &curve);
  EXPECT_NEAR(curved.Start(1194).Vx, std::pow(1.03, -1193.0 / 12), 1e-15);
  EXPECT_NEAR(curved.Start(1195).Vx, std::pow(1.06, -1194.0 / 12), 1e-15);
  EXPECT_NEAR(curved.Start(1452).Vx, std::pow(1.06, -1451.0 / 12), 1e-16);
  EXPECT_EQ(curved.Start(1452).interest_rate_percent, 6.0);
}

TEST(Survival, WorkedYearOfAge60AndTheEndsOfTheTable) {
  QTable table = AgeTable();
  table.set(59, 0.01), table.set(60, 0.012), table.set(61, 0.014);
  const SurvivalSegment year60(table, "T", Input::None, "participant", 60.0);
  EXPECT_DOUBLE_EQ(year60.Slope(), -1.40575990486118e-05);
  EXPECT_DOUBLE_EQ(year60.Level(), -0.0009287316414217391);
  ValuationInputs inputs = PlainInputs(table);
  inputs.CurrentAge = 60.0;
  const MonthRecorder months = MonthsOf(inputs);
  EXPECT_NEAR(months.Start(1).monthly_q[0], 1.0 - 0.9990716994963283, 1e-15);
  EXPECT_NEAR(months.Start(12).monthly_q[0], 1.0 - 0.998917221397292, 1e-15);
  EXPECT_NEAR(months.Start(13).Lx, 0.988, 1e-15);
  EXPECT_NEAR(months.Start(13).annual_q[0], 0.014, 1e-15);  // rolled to 61

  // The age below the start is read only past age 2; a certain death after it is floored.
  table.set(1, 0.5), table.set(120, 1.0);
  EXPECT_EQ(SurvivalSegment(table, "T", Input::None, "", 2.0).PrevSurvival(), 1.0);
  EXPECT_EQ(SurvivalSegment(table, "T", Input::None, "", 2.5).PrevSurvival(), 0.5);
  EXPECT_EQ(SurvivalSegment(table, "T", Input::None, "", 119.5).NextSurvival(),
            1.0000000000287557e-06);
  table.set(120, 0.3);
  EXPECT_DOUBLE_EQ(SurvivalSegment(table, "T", Input::None, "", 119.5).NextSurvival(), 0.7);
  const SurvivalSegment at_120(table, "T", Input::None, "", 120.0);
  EXPECT_EQ(at_120.NextSurvival(), 1.0000000000287557e-06);
  EXPECT_DOUBLE_EQ(at_120.Survival(), 0.7);

  // Starting at 64.5 the segments roll at 65, the payment age, so the payments continue with
  // the year of age 65.
  inputs = PlainInputs();
  inputs.CurrentAge = 64.5;
  const MonthRecorder rolled = MonthsOf(inputs);
  EXPECT_NEAR(rolled.Start(6).annual_q[0], 0.064, 1e-15);
  EXPECT_FALSE(rolled.Paid(6).payment_month);
  EXPECT_TRUE(rolled.Paid(7).payment_month);
  EXPECT_EQ(rolled.Start(7).age, 65.0);
  EXPECT_NEAR(rolled.Start(7).annual_q[2], 0.065, 1e-15);

  // A table of zeros would tilt the year of age 120 above a survival of 1: it stays level, so
  // the annuity is the count of its payments.
  ValuationInputs zeros = PlainInputs(ConstantTable(0.0));
  zeros.CurrentAge = zeros.SpousesCurrentAge = zeros.PaymentAge = 65.5;
  EXPECT_EQ(Orvane(zeros), 660 * 1000.0);
}

TEST(AgePreparation, RoundedAgesAndCompletedMonths) {
  ValuationInputs inputs;
  inputs.UseRoundedAge = true;
  inputs.CurrentAge = 60.4, inputs.SpousesCurrentAge = 57.6, inputs.PaymentAge = 65.3;
  detail::PreparedAges ages = detail::PrepareAges(inputs);
  EXPECT_EQ(ages.r, 65.0);
  EXPECT_EQ(ages.x, 60.0);
  EXPECT_EQ(ages.y, 57.0);  // the distance to the payment age is rounded: 65 - round(7.7)
  inputs.UseRoundedAge = false;
  inputs.SpousesCurrentAge = 64.999, inputs.PaymentAge = 65.0;
  ages = detail::PrepareAges(inputs);
  EXPECT_EQ(ages.x, 724.0 / 12.0);
  EXPECT_EQ(ages.y, 779.0 / 12.0);
  EXPECT_EQ(ages.r, 65.0);
}

// Each refusal names its input, as text and as data; "" marks inputs at the edge that are valued.
TEST(ValuationErrors, EachInputThatBreaksTheArithmetic) {
  struct Case {
    void (*spoil)(In);
    Input input;
    std::string message;
  };
  const std::string death =
      ": a certain death leaves no survival to spread over the months; "
      "choose a table with rates below 1 at that age";
  const std::string outside = ", outside the mortality tables (ages 0 to 120)";
  const std::string below = "% cannot discount: an interest rate must be above -100%";
  const Case cases[] = {
      {[](In in) { in.Load = 100.0; }, Input::Load, "Load of 100% divides the value by zero"},
      {[](In in) { in.Load = 99.999; }, Input::None, ""},
      {[](In in) { in.InterestRate3 = -100.0; }, Input::InterestRate3,
       "InterestRate3 of -100" + below},
      {[](In in) { in.PostRetirementInterest = -99.0; }, Input::None, ""},
      {[](In in) { in.COLA = kNaN; }, Input::COLA, "COLA is not a number"},
      {[](In in) { in.PaymentAge = -kInfinity; }, Input::PaymentAge,
       "PaymentAge of -inf is not a finite age"},
      {[](In in) { in.CurrentAge = -0.5; }, Input::CurrentAge,
       "CurrentAge of -0.5 gives a starting age of -0.5" + outside},
      {[](In in) { in.SpousesCurrentAge = 120.5; }, Input::SpousesCurrentAge,
       "SpousesCurrentAge of 120.5 gives a starting age of 120.5" + outside},
      {[](In in) { in.SpousesCurrentAge = 120.05; }, Input::None, ""},
      {[](In in) { in.SpousesCurrentAge = 0.0; }, Input::None, ""},
      {[](In in) { in.UseRoundedAge = true, in.PaymentAge = 65.3, in.SpousesCurrentAge = -0.6; },
       Input::SpousesCurrentAge, "SpousesCurrentAge of -0.6 gives a starting age of -1" + outside},
      {[](In in) { in.UseRoundedAge = true, in.PaymentAge = 65.3, in.SpousesCurrentAge = 0.2; },
       Input::None, ""},
      {[](In in) { in.CurrentAge = 60.5, in.PrePrimaryMortality.set(60, 1.0); },
       Input::PrePrimaryMortality,
       "PrePrimaryMortality has a rate of 1 at age 60, read for the participant's starting age "
       "60.5" +
           death},
      {[](In in) { in.SpousesCurrentAge = 57.25, in.PostContingentMortality.set(56, 1.5); },
       Input::PostContingentMortality,
       "PostContingentMortality has a rate of 1.5 at age 56, read for the spouse's starting age "
       "57.25" +
           death},
      {[](In in) {
         in.CurrentAge = 60.5;
         for (int age : {58, 61, 120}) in.PostPrimaryMortality.set(age, 1.0);
         in.PostPrimaryMortality.set(59, 1.0 - 1e-9);
       },
       Input::None, ""},
      {[](In in) { in.PostPrimaryMortality.set(90, kNaN); }, Input::PostPrimaryMortality,
       "PostPrimaryMortality has no finite rate at age 90 (it reads nan)"},
      {[](In in) { in.PostPrimaryMortality.set(63, kNaN); }, Input::None, ""},
      {[](In in) { in.InitialBenefit = in.Maximum = 1.0e308; }, Input::None,
       "The present value is not a finite number (inf); check InitialBenefit, Maximum, COLA, the "
       "interest rates and Load"}};
  for (const Case& c : cases) {
    ValuationInputs inputs = PlainInputs();
    c.spoil(inputs);
    try {
      EXPECT_TRUE(std::isfinite(Orvane(inputs)));
      EXPECT_EQ("", c.message);
    } catch (const ValuationError& error) {
      EXPECT_EQ(error.what(), c.message);
      EXPECT_EQ(error.input(), c.input) << c.message;
    }
  }
}

}  // namespace
}  // namespace orvane::valuation
