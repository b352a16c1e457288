// An independent check of the whole valuation: with one mortality rate q at every age the
// monthly survival is (1 - q)^(1/12), so the present value is a plain sum computed here from first
// principles: each payment with its cost-of-living rises, cap and period certain, weighted by the
// probability that it is paid and discounted as its rate mode says. The durations and the
// convexity follow from the sums at rates a basis point apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>
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

constexpr Rates kLevel{{kRate, kRate, kRate}, kRate};

double ClosedForm(const Annuity& a, const Rates& rates) {
  // A life counts as dead from the first year end at which it is past age 120.
  const int months_x = 12 * ((120 * 12 - a.participant_months) / 12 + 1);
  const int months_y = 12 * ((120 * 12 - a.spouse_months) / 12 + 1);
  const int first_paid = std::max(0, a.payment_months - a.participant_months);
  const int certain = static_cast<int>(std::lround(12 * a.certain_years));
  const auto slot = [](int years) { return years < 2 ? 0 : years < 2 + 3 ? 1 : 2; };
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
      const double segment_v = std::pow(1.0 + rates.i[slot(t / 12)], -t / 12.0);
      value += benefit * weight * (rates.segment ? segment_v : v);
    }
    v *= std::pow(1.0 + (k < 0 ? rates.i[slot(t / 12)] : rates.post), -1.0 / 12.0);
  }
  return value / (1.0 - a.load_percent / 100.0);
}

ValuationInputs InputsOf(const Annuity& a, const Rates& rates = kLevel) {
  ValuationInputs in = PlainInputs(ConstantTable(kQ));
  in.CurrentAge = a.participant_months / 12.0, in.SpousesCurrentAge = a.spouse_months / 12.0;
  in.PaymentAge = a.payment_months / 12.0, in.InitialBenefit = kBenefit, in.Maximum = a.maximum;
  in.InterestRate1 = 100 * rates.i[0], in.InterestRate2 = 100 * rates.i[1];
  in.InterestRate3 = 100 * rates.i[2], in.PostRetirementInterest = 100 * rates.post;
  in.Period1 = 2.0, in.Period2 = 3.0, in.PeriodCertain = a.certain_years;
  in.PercentToSurvivor = a.share_percent, in.COLA = a.cola_percent, in.Load = a.load_percent;
  in.TreatAsYieldCurve = rates.segment;
  return in;
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
  const Rates select{{0.04, 0.055, 0.03}, 0.045}, segment{{0.04, 0.055, 0.03}, 0.0, true};
  const CurveDiscount curve(std::vector<double>(200, kRate));
  for (const Annuity& a : cases) {
    for (const Rates& rates : {select, segment}) {
      const double expected = ClosedForm(a, rates);
      EXPECT_NEAR(Orvane(InputsOf(a, rates)), expected, 1e-10 * expected)
          << a.participant_months << " " << rates.segment;
    }
    const double level = ClosedForm(a, kLevel);
    EXPECT_NEAR(Orvane(InputsOf(a, select), {&curve}), level, 1e-10 * level)
        << a.participant_months;
  }
}

// Each figure by its definition from the sums at rates a basis point apart: every rate moved for
// the duration, the convexity and the DV01, one rate moved for each partial duration (three
// segments, or three select rates and the post-retirement rate; none for a full yield curve).
TEST(ClosedForm, SensitivitiesFollowFromTheSum) {
  constexpr double kBp = 0.0001;
  const CurveDiscount curve(std::vector<double>(200, kRate));
  const Rates select{{0.01, 0.07, 0.025}, 0.055}, segment{{0.0, -0.005, 0.03}, 0.0, true};
  const std::tuple<Annuity, Rates, const CurveDiscount*> cases[] = {
      {kDeferred, select, nullptr},
      {kImmediate, select, nullptr},
      {{70 * 12 + 1, 68 * 12 + 1, 65 * 12, 60.0}, segment, nullptr},
      {kDeferred, kLevel, &curve}};
  for (const auto& [a, rates, full_curve] : cases) {
    SCOPED_TRACE(::testing::Message() << a.participant_months << " " << rates.i[1]);
    const auto moved = [&](int k, double by) {  // rate k (0..3), or every rate for k = 4
      Rates r = rates;
      for (int j = 0; j < 4; ++j) (j < 3 ? r.i[j] : r.post) += (j == k || k == 4) ? by : 0.0;
      return ClosedForm(a, r);
    };
    const double pv = ClosedForm(a, rates), down = moved(4, -kBp), up = moved(4, kBp);
    const double duration = (down - up) / (2 * kBp * pv);
    const double convexity = (down + up - 2 * pv) / (kBp * kBp * pv);
    const Sensitivities figures = ValueWithSensitivities(InputsOf(a, rates), {full_curve});
    EXPECT_EQ(figures.value, Orvane(InputsOf(a, rates), {full_curve}));  // to the bit
    EXPECT_EQ(figures.missing, "");
    EXPECT_NEAR(*figures.Duration, duration, 1e-9 * duration);
    EXPECT_NEAR(*figures.Convexity, convexity, 1e-6 * convexity);
    EXPECT_NEAR(*figures.DV01, (down - up) / 2, 1e-9 * (down - up));
    const std::optional<double> partials[] = {figures.Duration1, figures.Duration2,
                                              figures.Duration3, figures.DurationPost};
    for (int k = 0; k < 4; ++k) {
      ASSERT_EQ(partials[k].has_value(), !full_curve && (k < 3 || !rates.segment)) << k;
      if (partials[k]) {
        const double expected = (moved(k, -kBp) - moved(k, kBp)) / (2 * kBp * pv);
        EXPECT_NEAR(*partials[k], expected, 1e-8 * duration) << k;
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
