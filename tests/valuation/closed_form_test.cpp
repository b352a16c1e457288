// An independent check of the whole valuation: with one mortality rate q at every age and one
// interest rate i, the monthly survival is (1 - q)^(1/12) and the monthly discount
// (1 + i)^(-1/12), so the present value is a plain sum computed here from first principles, and
// so are its first and second derivatives in i, which give the duration and the convexity.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "tests/valuation/valuation_test_support.h"
#include "valuation/sensitivities.h"
#include "valuation/valuation_engine.h"

namespace orvane::valuation {
namespace {

struct Annuity {
  int participant_months;  // ages in whole months
  int spouse_months;
  int payment_months;
  double share_percent;
};

constexpr double kQ = 0.03;
constexpr double kRatePercent = 4.5;
constexpr double kBenefit = 1000.0;

// Ages one month past a birthday: every month whose survival reaches a payment then falls below
// age 120, where the monthly survival is (1 - q)^(1/12) exactly.
constexpr Annuity kDeferred{40 * 12 + 1, 37 * 12 + 1, 65 * 12, 60.0};
constexpr Annuity kImmediate{70 * 12 + 1, 72 * 12 + 1, 65 * 12, 0.0};

// Years until a life that starts `age_months` old is past age 120 at a year end; from then on
// it counts as dead.
int YearsAlive(int age_months) {
  int years = 0;
  while (age_months + 12 * years <= 120 * 12) ++years;
  return years;
}

// The value and its first and second derivatives in the annual rate i: a payment at time
// s = t/12 years is discounted by (1 + i)^-s, whose derivatives are -s (1 + i)^(-s-1) and
// s (s + 1) (1 + i)^(-s-2).
struct ClosedFormSums {
  double value = 0.0;
  double slope = 0.0;
  double curvature = 0.0;
};

ClosedFormSums ClosedForm(const Annuity& a, double i = kRatePercent / 100.0) {
  const int months_x = 12 * YearsAlive(a.participant_months);
  const int months_y = 12 * YearsAlive(a.spouse_months);
  ClosedFormSums sums;
  for (int t = 0; t < std::max(months_x, months_y); ++t) {
    if (a.participant_months + t < a.payment_months)
      continue;  // before the payment age
    const double lx = t < months_x ? std::pow(1.0 - kQ, t / 12.0) : 0.0;
    const double ly = t < months_y ? std::pow(1.0 - kQ, t / 12.0) : 0.0;
    const double s = t / 12.0;
    const double expected_payment = kBenefit * (lx + a.share_percent / 100.0 * ly * (1.0 - lx));
    sums.value += expected_payment * std::pow(1.0 + i, -s);
    sums.slope -= expected_payment * s * std::pow(1.0 + i, -s - 1.0);
    sums.curvature += expected_payment * s * (s + 1.0) * std::pow(1.0 + i, -s - 2.0);
  }
  return sums;
}

ValuationInputs InputsOf(const Annuity& a, bool segment = false) {
  ValuationInputs inputs = testing::PlainInputs(testing::ConstantTable(kQ));
  inputs.CurrentAge = a.participant_months / 12.0;
  inputs.SpousesCurrentAge = a.spouse_months / 12.0;
  inputs.PaymentAge = a.payment_months / 12.0;
  inputs.InitialBenefit = kBenefit;
  inputs.InterestRate1 = inputs.InterestRate2 = inputs.InterestRate3 = kRatePercent;
  inputs.PostRetirementInterest = kRatePercent;
  inputs.Period1 = 2.0;
  inputs.Period2 = 3.0;
  inputs.PercentToSurvivor = a.share_percent;
  inputs.TreatAsYieldCurve = segment;
  return inputs;
}

// In each rate mode: select and ultimate, segments, a level full yield curve.
TEST(ClosedForm, LevelRatesGiveThePlainAnnuitySum) {
  const Annuity cases[] = {kDeferred,
                           {40 * 12 + 1, 37 * 12 + 1, 65 * 12, 0.0},
                           kImmediate,
                           {65 * 12 + 1, 60 * 12 + 1, 65 * 12 + 1, 100.0}};
  const CurveDiscount curve(std::vector<double>(200, kRatePercent / 100.0));
  for (const Annuity& a : cases) {
    const double expected = ClosedForm(a).value;
    ASSERT_GT(expected, 1000.0);
    EXPECT_NEAR(Orvane(InputsOf(a)), expected, 1e-10 * expected) << a.participant_months;
    EXPECT_NEAR(Orvane(InputsOf(a, true)), expected, 1e-10 * expected) << a.participant_months;
    EXPECT_NEAR(Orvane(InputsOf(a), {&curve}), expected, 1e-10 * expected) << a.participant_months;
  }
}

// The figures by their definitions from the sums at the rate and a basis point either side, and
// near the derivatives (the central differences are off by the order of a basis point squared).
TEST(ClosedForm, SensitivitiesAtALevelRateFollowFromTheSum) {
  constexpr double kBp = 0.0001;
  const CurveDiscount curve(std::vector<double>(200, kRatePercent / 100.0));
  for (const Annuity& a : {kDeferred, kImmediate}) {
    SCOPED_TRACE(a.participant_months);
    const ClosedFormSums sums = ClosedForm(a);
    const double pv = sums.value;
    const double down = ClosedForm(a, kRatePercent / 100.0 - kBp).value;
    const double up = ClosedForm(a, kRatePercent / 100.0 + kBp).value;
    const double duration = (down - up) / (2 * kBp * pv);
    const double convexity = (down + up - 2 * pv) / (kBp * kBp * pv);
    ASSERT_NEAR(duration, -sums.slope / pv, 1e-5 * duration);
    ASSERT_NEAR(convexity, sums.curvature / pv, 1e-5 * convexity);

    const Sensitivities by_mode[] = {ValueWithSensitivities(InputsOf(a)),
                                     ValueWithSensitivities(InputsOf(a, true)),
                                     ValueWithSensitivities(InputsOf(a), {&curve})};
    for (const Sensitivities& figures : by_mode) {
      EXPECT_EQ(figures.missing, "");
      EXPECT_NEAR(*figures.Duration, duration, 1e-9 * duration);
      EXPECT_NEAR(*figures.Convexity, convexity, 1e-6 * convexity);
      EXPECT_NEAR(*figures.DV01, (down - up) / 2, 1e-9 * (down - up));
    }
    // The value is the plain valuation's to the bit.
    EXPECT_EQ(by_mode[0].value, Orvane(InputsOf(a)));
    EXPECT_EQ(by_mode[1].value, Orvane(InputsOf(a, true)));
    EXPECT_EQ(by_mode[2].value, Orvane(InputsOf(a), {&curve}));

    // Each mode has its own partial durations; a level rate moved in parts moves as a whole, up
    // to the cross terms of select and ultimate.
    const Sensitivities& su = by_mode[0];
    EXPECT_NEAR(*su.Duration1 + *su.Duration2 + *su.Duration3 + *su.DurationPost, duration,
                1e-5 * duration);
    EXPECT_FALSE(by_mode[1].DurationPost);
    EXPECT_FALSE(by_mode[2].Duration1 || by_mode[2].Duration3 || by_mode[2].DurationPost);
  }
  // Past the payment age select and ultimate discounts at PostRetirementInterest alone.
  const Sensitivities immediate = ValueWithSensitivities(InputsOf(kImmediate));
  EXPECT_EQ(*immediate.Duration1 + *immediate.Duration2 + *immediate.Duration3, 0.0);
  EXPECT_EQ(*immediate.DurationPost, *immediate.Duration);
}

// Each partial duration is that of the whole valuation with its one rate moved, in segment mode
// and in select and ultimate mode (deferred there, so that all four rates count). In segment mode
// each payment is discounted at one rate only, so the three add up to the duration to rounding.
TEST(ClosedForm, PartialDurationsMoveOneRateOfTheWholeValuation) {
  // Paid from now on, so the payments fall into all three segments (Period1 2, Period2 3).
  ValuationInputs segment = InputsOf({70 * 12 + 1, 68 * 12 + 1, 65 * 12, 60.0}, true);
  ValuationInputs select_and_ultimate = InputsOf({58 * 12 + 1, 55 * 12 + 1, 65 * 12, 60.0});
  select_and_ultimate.PostRetirementInterest = 5.5;
  double ValuationInputs::*const rate_inputs[] = {
      &ValuationInputs::InterestRate1, &ValuationInputs::InterestRate2,
      &ValuationInputs::InterestRate3, &ValuationInputs::PostRetirementInterest};
  const double rates[][3] = {{4.0, 4.5, 5.0}, {1.0, 7.0, 2.5}, {0.0, -0.5, 3.0}};
  for (ValuationInputs* inputs : {&segment, &select_and_ultimate}) {
    for (const auto& rate : rates) {
      SCOPED_TRACE(::testing::Message() << inputs->TreatAsYieldCurve << ": " << rate[1]);
      for (int k = 0; k < 3; ++k) inputs->*rate_inputs[k] = rate[k];
      const Sensitivities figures = ValueWithSensitivities(*inputs);
      const std::optional<double> partials[] = {figures.Duration1, figures.Duration2,
                                                figures.Duration3, figures.DurationPost};
      for (int k = 0; k < 4; ++k) {
        if (!partials[k])
          continue;
        ValuationInputs down = *inputs, up = *inputs;
        down.*rate_inputs[k] -= 0.01;
        up.*rate_inputs[k] += 0.01;
        const double moved = (Orvane(down) - Orvane(up)) / (2 * 0.0001 * figures.value);
        EXPECT_GT(moved, 0.05) << "rate " << k + 1;
        EXPECT_NEAR(*partials[k], moved, 1e-8 * *figures.Duration) << "rate " << k + 1;
      }
      if (inputs == &segment) {
        EXPECT_NEAR(*figures.Duration1 + *figures.Duration2 + *figures.Duration3, *figures.Duration,
                    1e-9 * *figures.Duration);
      }
    }
  }
}

// No figure is made up where none exists: a value of 0 has no duration, a rate a basis point
// above -100% cannot move down.
TEST(ClosedForm, SensitivitiesThatCannotBeGivenAreEmptyWithTheReason) {
  ValuationInputs inputs = InputsOf(kImmediate);
  inputs.InitialBenefit = 0.0;
  const Sensitivities nothing = ValueWithSensitivities(inputs);
  EXPECT_EQ(nothing.value, 0.0);
  EXPECT_FALSE(nothing.Duration || nothing.Convexity || nothing.Duration1 || nothing.DurationPost);
  EXPECT_EQ(*nothing.DV01, 0.0);
  EXPECT_EQ(nothing.missing, "The present value is 0, so it has no duration or convexity");

  inputs.InitialBenefit = kBenefit;
  inputs.PostRetirementInterest = -99.995;
  const Sensitivities edge = ValueWithSensitivities(inputs);
  EXPECT_FALSE(edge.Duration || edge.Convexity || edge.DV01 || edge.DurationPost);
  EXPECT_EQ(*edge.Duration1, 0.0);
  EXPECT_EQ(edge.missing,
            "PostRetirementInterest of -99.995% cannot move a basis point lower: an interest "
            "rate must be above -100%");
}

}  // namespace
}  // namespace orvane::valuation
