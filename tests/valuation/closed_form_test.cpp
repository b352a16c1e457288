// An independent check of the whole valuation: with one mortality rate q at every age the
// monthly survival is (1 - q)^(1/12), so the present value is a plain sum computed here from first
// principles: each payment with its cost-of-living rises, cap and period certain, weighted by the
// probability that it is paid and discounted as its rate mode says. The durations and the
// convexity follow from the sums at rates a basis point apart.
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

// Ages in whole months, one month past a birthday: every month whose survival reaches a payment
// then falls below age 120, where the monthly survival is (1 - q)^(1/12) exactly.
struct Annuity {
  int participant_months, spouse_months, payment_months;
  double share_percent = 0.0, cola_percent = 0.0, maximum = 1e9, certain_years = 0.0;
  double load_percent = 0.0;
};

// Annual rates as decimals: the three select or segment rates (periods of 2 and 3 years), then
// the post-retirement rate.
struct Rates {
  double i[3];
  double post;
  bool segment = false;
};

constexpr double kQ = 0.03;
constexpr double kRate = 0.045;
constexpr double kBenefit = 1000.0;
constexpr Annuity kDeferred{40 * 12 + 1, 37 * 12 + 1, 65 * 12, 60.0};
constexpr Annuity kImmediate{70 * 12 + 1, 72 * 12 + 1, 65 * 12};

Rates Level(double i, bool segment = false) {
  return {{i, i, i}, i, segment};
}

int Slot(int years) {
  return years < 2 ? 0 : years < 2 + 3 ? 1 : 2;
}

// Years until a life that starts `age_months` old is past age 120 at a year end; from then on
// it counts as dead.
int YearsAlive(int age_months) {
  int years = 0;
  while (age_months + 12 * years <= 120 * 12) ++years;
  return years;
}

double ClosedForm(const Annuity& a, const Rates& rates) {
  const int months_x = 12 * YearsAlive(a.participant_months);
  const int months_y = 12 * YearsAlive(a.spouse_months);
  const int first_paid = std::max(0, a.payment_months - a.participant_months);
  const int certain = static_cast<int>(std::lround(12 * a.certain_years));
  const int run = std::max({months_x, months_y, a.payment_months - a.participant_months + certain});
  double value = 0.0, benefit = kBenefit, reach = 0.0;
  double v = 1.0;  // select and ultimate: month by month at the rate of the year or of retirement
  for (int t = 0; t < run; ++t) {
    const int k = a.participant_months + t - a.payment_months;  // months since the payment age
    const double lx = t < months_x ? std::pow(1.0 - kQ, t / 12.0) : 0.0;
    const double ly = t < months_y ? std::pow(1.0 - kQ, t / 12.0) : 0.0;
    if (k >= 0) {
      if (t == first_paid)
        reach = lx;
      if (t > first_paid && k % 12 == 0)
        benefit = std::min(benefit * (1.0 + a.cola_percent / 100.0), a.maximum);
      const double weight = k < certain ? reach : lx + a.share_percent / 100.0 * ly * (1.0 - lx);
      // Segments discount the whole time to the payment at the rate of its year's segment.
      const double segment_v = std::pow(1.0 + rates.i[Slot(t / 12)], -t / 12.0);
      value += benefit * weight * (rates.segment ? segment_v : v);
    }
    v *= std::pow(1.0 + (k < 0 ? rates.i[Slot(t / 12)] : rates.post), -1.0 / 12.0);
  }
  return value / (1.0 - a.load_percent / 100.0);
}

ValuationInputs InputsOf(const Annuity& a, const Rates& rates = Level(kRate)) {
  ValuationInputs inputs = testing::PlainInputs(testing::ConstantTable(kQ));
  inputs.CurrentAge = a.participant_months / 12.0;
  inputs.SpousesCurrentAge = a.spouse_months / 12.0;
  inputs.PaymentAge = a.payment_months / 12.0;
  inputs.InitialBenefit = kBenefit;
  inputs.InterestRate1 = 100 * rates.i[0];
  inputs.InterestRate2 = 100 * rates.i[1];
  inputs.InterestRate3 = 100 * rates.i[2];
  inputs.PostRetirementInterest = 100 * rates.post;
  inputs.TreatAsYieldCurve = rates.segment;
  inputs.Period1 = 2.0;
  inputs.Period2 = 3.0;
  inputs.PercentToSurvivor = a.share_percent;
  inputs.COLA = a.cola_percent;
  inputs.Maximum = a.maximum;
  inputs.PeriodCertain = a.certain_years;
  inputs.Load = a.load_percent;
  return inputs;
}

// In each rate mode: select and ultimate, segments, a level full yield curve. 10.5 years certain
// are 126 payments; a benefit above the maximum is paid in full until the first anniversary; a
// guarantee reaching past age 120 is paid although both lives are gone.
TEST(ClosedForm, EveryPaymentValuedFromFirstPrinciples) {
  const Annuity cases[] = {kDeferred,
                           kImmediate,
                           {65 * 12 + 1, 60 * 12 + 1, 65 * 12 + 1, 100.0},
                           {40 * 12 + 1, 37 * 12 + 1, 65 * 12, 0.0, 3.0, 1500.0, 10.5, 2.0},
                           {66 * 12 + 1, 63 * 12 + 1, 65 * 12, 50.0, 2.0, 1e9, 5.0},
                           {65 * 12 + 1, 65 * 12 + 1, 65 * 12 + 1, 0.0, 0.0, 500.0},
                           {90 * 12 + 1, 90 * 12 + 1, 90 * 12 + 1, 0.0, 0.0, 1e9, 40.0}};
  const Rates select{{0.04, 0.055, 0.03}, 0.045};
  const Rates segment{{0.04, 0.055, 0.03}, 0.0, true};
  const CurveDiscount curve(std::vector<double>(200, kRate));
  for (const Annuity& a : cases) {
    SCOPED_TRACE(a.participant_months);
    for (const Rates& rates : {select, segment}) {
      const double expected = ClosedForm(a, rates);
      ASSERT_GT(expected, 1000.0);
      EXPECT_NEAR(Orvane(InputsOf(a, rates)), expected, 1e-10 * expected) << rates.segment;
    }
    const double level = ClosedForm(a, Level(kRate));
    EXPECT_NEAR(Orvane(InputsOf(a, select), {&curve}), level, 1e-10 * level);
  }
}

// The figures by their definitions from the sums at the rate and a basis point either side.
TEST(ClosedForm, SensitivitiesAtALevelRateFollowFromTheSum) {
  constexpr double kBp = 0.0001;
  const CurveDiscount curve(std::vector<double>(200, kRate));
  for (const Annuity& a : {kDeferred, kImmediate}) {
    SCOPED_TRACE(a.participant_months);
    const double pv = ClosedForm(a, Level(kRate));
    const double down = ClosedForm(a, Level(kRate - kBp));
    const double up = ClosedForm(a, Level(kRate + kBp));
    const double duration = (down - up) / (2 * kBp * pv);
    const double convexity = (down + up - 2 * pv) / (kBp * kBp * pv);

    const Sensitivities by_mode[] = {ValueWithSensitivities(InputsOf(a)),
                                     ValueWithSensitivities(InputsOf(a, Level(kRate, true))),
                                     ValueWithSensitivities(InputsOf(a), {&curve})};
    for (const Sensitivities& figures : by_mode) {
      EXPECT_EQ(figures.missing, "");
      EXPECT_NEAR(*figures.Duration, duration, 1e-9 * duration);
      EXPECT_NEAR(*figures.Convexity, convexity, 1e-6 * convexity);
      EXPECT_NEAR(*figures.DV01, (down - up) / 2, 1e-9 * (down - up));
    }
    // The value is the plain valuation's to the bit.
    EXPECT_EQ(by_mode[0].value, Orvane(InputsOf(a)));
    EXPECT_EQ(by_mode[1].value, Orvane(InputsOf(a, Level(kRate, true))));
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
  ValuationInputs segment = InputsOf({70 * 12 + 1, 68 * 12 + 1, 65 * 12, 60.0}, Level(kRate, true));
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
