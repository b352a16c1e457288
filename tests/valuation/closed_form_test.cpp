// An independent check of the whole valuation: with one mortality rate q at every age and one
// interest rate i, the monthly survival is (1 - q)^(1/12) and the monthly discount
// (1 + i)^(-1/12), so the present value is a plain sum computed here from first principles.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/valuation/valuation_test_support.h"
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

// Years until a life that starts `age_months` old is past age 120 at a year end; from then on
// it counts as dead.
int YearsAlive(int age_months) {
  int years = 0;
  while (age_months + 12 * years <= 120 * 12) ++years;
  return years;
}

double ClosedForm(const Annuity& a) {
  const int months_x = 12 * YearsAlive(a.participant_months);
  const int months_y = 12 * YearsAlive(a.spouse_months);
  const int run = months_x > months_y ? months_x : months_y;
  double value = 0.0;
  for (int t = 0; t < run; ++t) {
    if (a.participant_months + t < a.payment_months)
      continue;  // before the payment age
    const double lx = t < months_x ? std::pow(1.0 - kQ, t / 12.0) : 0.0;
    const double ly = t < months_y ? std::pow(1.0 - kQ, t / 12.0) : 0.0;
    const double v = std::pow(1.0 + kRatePercent / 100.0, -t / 12.0);
    value += kBenefit * v * (lx + a.share_percent / 100.0 * ly * (1.0 - lx));
  }
  return value;
}

ValuationInputs InputsOf(const Annuity& a) {
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
  return inputs;
}

TEST(ClosedForm, LevelRatesGiveThePlainAnnuitySum) {
  // Ages one month past a birthday: every month whose survival reaches a payment then falls
  // below age 120, where the monthly survival is (1 - q)^(1/12) exactly.
  const Annuity cases[] = {
      {40 * 12 + 1, 37 * 12 + 1, 65 * 12, 0.0},        // deferred, no survivor share
      {40 * 12 + 1, 37 * 12 + 1, 65 * 12, 60.0},       // deferred, 60% to the survivor
      {70 * 12 + 1, 72 * 12 + 1, 65 * 12, 0.0},        // immediate, past the payment age
      {65 * 12 + 1, 60 * 12 + 1, 65 * 12 + 1, 100.0},  // immediate, at the payment age
  };
  const CurveDiscount curve(std::vector<double>(200, kRatePercent / 100.0));
  for (const Annuity& a : cases) {
    const double expected = ClosedForm(a);
    ASSERT_GT(expected, 1000.0);
    ValuationInputs inputs = InputsOf(a);
    EXPECT_NEAR(Orvane(inputs), expected, 1e-10 * expected) << a.participant_months;
    inputs.TreatAsYieldCurve = true;
    EXPECT_NEAR(Orvane(inputs), expected, 1e-10 * expected) << a.participant_months;
    inputs.TreatAsYieldCurve = false;
    EXPECT_NEAR(Orvane(inputs, {&curve, nullptr}), expected, 1e-10 * expected)
        << a.participant_months;
  }
}

}  // namespace
}  // namespace orvane::valuation
