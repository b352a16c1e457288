// The month loop's worked examples and boundaries, read from the months it reports.
#include "valuation/valuation_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "tests/valuation/valuation_test_support.h"
#include "valuation/detail/prepared_ages.h"
#include "valuation/detail/survival_segment.h"

namespace orvane::valuation {
namespace {

using detail::SurvivalSegment;
using In = ValuationInputs&;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

MonthRecorder MonthsOf(const ValuationInputs& inputs, const CurveDiscount* curve = nullptr) {
  MonthRecorder months;
  Orvane(inputs, {curve, &months});
  return months;
}

// The rate reported for each month is the one that discounts it: in select and ultimate mode 6% in
// years 0-1, 5% in years 2-3, 4% in year 4, then 3% from age 65; segments go on at 4%.
TEST(Discounting, TheRateReportedIsTheOneThatDiscounts) {
  ValuationInputs inputs = PlainInputs();
  inputs.CurrentAge = 60.0, inputs.Period1 = inputs.Period2 = 2.0;
  inputs.InterestRate1 = 6.0, inputs.InterestRate2 = 5.0, inputs.InterestRate3 = 4.0;
  inputs.PostRetirementInterest = 3.0;
  const MonthRecorder months = MonthsOf(inputs);
  for (const auto& [row, rate] : {std::pair{24, 6.0}, {25, 5.0}, {48, 5.0}, {49, 4.0}, {61, 3.0}})
    EXPECT_EQ(months.Start(row).interest_rate_percent, rate) << row;
  inputs.TreatAsYieldCurve = true;
  EXPECT_EQ(MonthsOf(inputs).Start(61).interest_rate_percent, 4.0);
  inputs.Period1 = 0.0;  // the first rate is never used
  EXPECT_EQ(MonthsOf(inputs).Start(1).interest_rate_percent, 5.0);
}

// The run ends with the year in which both lives have passed 120 (a life exactly 120 at a year
// end lives another year), or with the last certain payment.
TEST(MonthLoop, PreparedAgesAndRunLengths) {
  const std::tuple<double, double, std::size_t> runs[] = {
      {99, 99, 264},        {99, 80, 41 * 12},    {80, 99, 41 * 12},
      {2.0, 2.0, 119 * 12}, {2.5, 2.5, 118 * 12}, {0.5, 0.5, 1440},
      {0.5, 0, 1452},       {119.5, 119.5, 12},   {120, 120, 12}};
  for (const auto& [x, y, length] : runs) {
    ValuationInputs inputs = PlainInputs();
    inputs.CurrentAge = x, inputs.SpousesCurrentAge = y, inputs.PercentToSurvivor = 100.0;
    EXPECT_EQ(MonthsOf(inputs).starts.size(), length) << x << " " << y;
  }

  // Rounded ages keep their rounded distance to the payment age: 65 - round(65.3 - 57.6) = 57.
  // Otherwise ages are cut to whole months, a hair below one counting as one.
  ValuationInputs inputs{.CurrentAge = 60.4, .SpousesCurrentAge = 57.6, .PaymentAge = 65.3};
  inputs.UseRoundedAge = true;
  const detail::PreparedAges rounded = detail::PrepareAges(inputs);
  EXPECT_EQ(std::tuple(rounded.x, rounded.y, rounded.r), std::tuple(60.0, 57.0, 65.0));
  inputs = {.CurrentAge = 60.4, .SpousesCurrentAge = 64.99995, .PaymentAge = 65.0};
  const detail::PreparedAges cut = detail::PrepareAges(inputs);
  EXPECT_EQ(std::tuple(cut.x, cut.y, cut.r), std::tuple(724.0 / 12, 65.0, 65.0));
}

TEST(Survival, WorkedYearOfAge60AndTheEndsOfTheTable) {
  QTable table = ConstantTable(0.0, 0.001);
  table.set(59, 0.01), table.set(60, 0.012), table.set(61, 0.014);
  const SurvivalSegment year60(table, "T", Input::None, "participant", 60.0);
  EXPECT_DOUBLE_EQ(year60.Slope(), -1.40575990486118e-05);
  EXPECT_DOUBLE_EQ(year60.Level(), -0.0009287316414217391);
  ValuationInputs inputs = PlainInputs(table);
  inputs.CurrentAge = 60.0;
  MonthRecorder months;
  EXPECT_EQ(Orvane(inputs, {nullptr, &months}), Orvane(inputs));  // the detail only watches
  EXPECT_NEAR(months.Start(1).monthly_q[0], 1.0 - 0.9990716994963283, 1e-15);
  EXPECT_NEAR(months.Start(12).monthly_q[0], 1.0 - 0.998917221397292, 1e-15);
  EXPECT_NEAR(months.Start(13).Lx, 0.988, 1e-15);
  EXPECT_NEAR(months.Start(13).annual_q[0], 0.014, 1e-15);  // rolled to 61
  // Mortality falling with age tilts the year the other way, by the same slope.
  table.set(59, 0.014), table.set(61, 0.01);
  EXPECT_DOUBLE_EQ(SurvivalSegment(table, "T", Input::None, "", 60.0).Slope(),
                   1.40575990486118e-05);

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
  EXPECT_TRUE(rolled.payments[6].payment_month && !rolled.payments[5].payment_month);
  EXPECT_NEAR(rolled.Start(7).annual_q[2], 0.065, 1e-15);

  // A table of zeros would tilt the year of age 120 above a survival of 1: it stays level, so
  // the annuity is the count of its payments.
  ValuationInputs zeros = PlainInputs(ConstantTable(0.0));
  zeros.CurrentAge = zeros.SpousesCurrentAge = zeros.PaymentAge = 65.5;
  EXPECT_EQ(Orvane(zeros), 660 * 1000.0);
}

// Each refusal names its input, as text and as data; "" marks inputs at the edge that are valued.
TEST(ValuationErrors, EachInputThatBreaksTheArithmetic) {
  const auto death = [](const std::string& rate) {
    return rate +
           ": a certain death leaves no survival to spread over the months; choose a "
           "table with rates below 1 at that age";
  };
  const std::string outside = ", outside the mortality tables (ages 0 to 120)";
  const std::string below = "% cannot discount: an interest rate must be above -100%";
  const std::tuple<void (*)(In), Input, std::string> cases[] = {
      {[](In in) { in.Load = 100.0; }, Input::Load, "Load of 100% divides the value by zero"},
      {[](In in) { in.InterestRate3 = -100.0; }, Input::InterestRate3,
       "InterestRate3 of -100" + below},
      {[](In in) { in.PostRetirementInterest = -99.0; }, Input::None, ""},
      {[](In in) { in.COLA = kNaN; }, Input::COLA, "COLA is not a number"},
      {[](In in) { in.PaymentAge = -std::numeric_limits<double>::infinity(); }, Input::PaymentAge,
       "PaymentAge of -inf is not a finite age"},
      {[](In in) { in.CurrentAge = -0.5; }, Input::CurrentAge,
       "CurrentAge of -0.5 gives a starting age of -0.5" + outside},
      {[](In in) { in.SpousesCurrentAge = 120.5; }, Input::SpousesCurrentAge,
       "SpousesCurrentAge of 120.5 gives a starting age of 120.5" + outside},
      {[](In in) { in.SpousesCurrentAge = 120.05; }, Input::None, ""},
      {[](In in) { in.SpousesCurrentAge = 0.0; }, Input::None, ""},
      {[](In in) { in.UseRoundedAge = true, in.PaymentAge = 65.3, in.SpousesCurrentAge = -0.6; },
       Input::SpousesCurrentAge, "SpousesCurrentAge of -0.6 gives a starting age of -1" + outside},
      {[](In in) { in.CurrentAge = 60.5, in.PrePrimaryMortality.set(60, 1.0); },
       Input::PrePrimaryMortality,
       death("PrePrimaryMortality has a rate of 1 at age 60, read for the participant's starting "
             "age 60.5")},
      {[](In in) { in.SpousesCurrentAge = 57.25, in.PostContingentMortality.set(56, 1.5); },
       Input::PostContingentMortality,
       death("PostContingentMortality has a rate of 1.5 at age 56, read for the spouse's starting "
             "age 57.25")},
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
  for (const auto& [spoil, input, message] : cases) {
    ValuationInputs inputs = PlainInputs();
    spoil(inputs);
    try {
      EXPECT_TRUE(std::isfinite(Orvane(inputs)));
      EXPECT_EQ("", message);
    } catch (const ValuationError& error) {
      EXPECT_EQ(error.what(), message);
      EXPECT_EQ(error.input(), input) << message;
    }
  }
}

}  // namespace
}  // namespace orvane::valuation
