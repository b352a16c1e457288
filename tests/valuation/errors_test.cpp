#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "tests/valuation/valuation_test_support.h"
#include "valuation/valuation_engine.h"
#include "valuation/yield_curve.h"

namespace orvane::valuation {
namespace {

using testing::AgeTable;
using testing::PlainInputs;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The message of the ValuationError that Orvane raises, or "" when it returns a value.
std::string ErrorOf(const ValuationInputs& inputs) {
  try {
    const double value = Orvane(inputs);
    EXPECT_TRUE(std::isfinite(value));
    return "";
  } catch (const ValuationError& error) {
    return error.what();
  }
}

// The input an error names as data, for a caller that points the user at it.
TEST(ValuationErrors, EachErrorCarriesItsInput) {
  const struct {
    void (*spoil)(ValuationInputs&);
    Input input;
  } cases[] = {
      {[](ValuationInputs& in) { in.Load = 100.0; }, Input::Load},
      {[](ValuationInputs& in) { in.InterestRate3 = -150.0; }, Input::InterestRate3},
      {[](ValuationInputs& in) { in.PostRetirementInterest = -100.0; },
       Input::PostRetirementInterest},
      {[](ValuationInputs& in) { in.COLA = kNaN; }, Input::COLA},
      {[](ValuationInputs& in) { in.PaymentAge = kInfinity; }, Input::PaymentAge},
      {[](ValuationInputs& in) { in.SpousesCurrentAge = 120.5; }, Input::SpousesCurrentAge},
      {[](ValuationInputs& in) { in.PreContingentMortality.set(65, 1.0); },
       Input::PreContingentMortality},
      {[](ValuationInputs& in) { in.PostPrimaryMortality.set(90, kNaN); },
       Input::PostPrimaryMortality},
  };
  for (const auto& c : cases) {
    ValuationInputs inputs = PlainInputs(AgeTable());
    c.spoil(inputs);
    try {
      Orvane(inputs);
      ADD_FAILURE() << "no error for input " << static_cast<int>(c.input);
    } catch (const ValuationError& error) {
      EXPECT_EQ(error.input(), c.input) << error.what();
    }
  }
  try {
    CurveIndex(kNaN, 1.0, 3);
    ADD_FAILURE() << "no error for a year that is not a number";
  } catch (const ValuationError& error) {
    EXPECT_EQ(error.input(), Input::YearOfYieldCurve);
  }
}

TEST(ValuationErrors, LoadOf100) {
  ValuationInputs inputs = PlainInputs();
  inputs.Load = 100.0;
  EXPECT_EQ(ErrorOf(inputs), "Load of 100% divides the value by zero");
  inputs.Load = 99.999;
  EXPECT_EQ(ErrorOf(inputs), "");
}

TEST(ValuationErrors, RatesOfMinus100OrBelow) {
  ValuationInputs inputs = PlainInputs();
  inputs.InterestRate1 = -100.0;
  EXPECT_EQ(ErrorOf(inputs),
            "InterestRate1 of -100% cannot discount: an interest rate must be above -100%");
  inputs.InterestRate1 = 5.0;
  inputs.InterestRate3 = -150.0;
  EXPECT_EQ(ErrorOf(inputs),
            "InterestRate3 of -150% cannot discount: an interest rate must be above -100%");
  inputs.InterestRate3 = 5.0;
  inputs.InterestRate2 = -kInfinity;
  EXPECT_EQ(ErrorOf(inputs),
            "InterestRate2 of -inf% cannot discount: an interest rate must be above -100%");
  inputs.InterestRate2 = 5.0;
  inputs.PostRetirementInterest = -100.0;
  EXPECT_EQ(ErrorOf(inputs),
            "PostRetirementInterest of -100% cannot discount: an interest rate "
            "must be above -100%");
  inputs.PostRetirementInterest = -99.0;
  EXPECT_EQ(ErrorOf(inputs), "");
}

TEST(ValuationErrors, CertainDeathAtAStartingAge) {
  // Participant 60.5 (whole age 60, the age below 59), spouse 57.25 (57 and 56).
  ValuationInputs inputs = PlainInputs(AgeTable());
  inputs.CurrentAge = 60.5;
  inputs.SpousesCurrentAge = 57.25;
  inputs.PrePrimaryMortality.set(60, 1.0);
  EXPECT_EQ(ErrorOf(inputs),
            "PrePrimaryMortality has a rate of 1 at age 60, read for the participant's starting "
            "age 60.5: a certain death leaves no survival to spread over the months; choose a "
            "table with rates below 1 at that age");
  inputs.PrePrimaryMortality = AgeTable();
  inputs.PostContingentMortality.set(56, 1.0);
  EXPECT_EQ(ErrorOf(inputs),
            "PostContingentMortality has a rate of 1 at age 56, read for the spouse's starting "
            "age 57.25: a certain death leaves no survival to spread over the months; choose a "
            "table with rates below 1 at that age");
  inputs.PostContingentMortality = AgeTable();
  inputs.PreContingentMortality.set(57, 1.5);
  EXPECT_NE(ErrorOf(inputs).find("PreContingentMortality has a rate of 1.5 at age 57"),
            std::string::npos);

  // A certain death one year on or later is floored, not an error; so is one below A - 1.
  inputs.PreContingentMortality = AgeTable();
  inputs.PostPrimaryMortality.set(61, 1.0);
  inputs.PostPrimaryMortality.set(59, 1.0 - 1e-9);
  inputs.PostPrimaryMortality.set(58, 1.0);
  EXPECT_EQ(ErrorOf(inputs), "");
  inputs.PostPrimaryMortality.set(120, 1.0);
  EXPECT_EQ(ErrorOf(inputs), "");

  // A rate that is not a number where the run reads it is named; below the start it is unread.
  inputs.PostPrimaryMortality = AgeTable();
  inputs.PostPrimaryMortality.set(90, kNaN);
  EXPECT_EQ(ErrorOf(inputs), "PostPrimaryMortality has no finite rate at age 90 (it reads nan)");
  inputs.PostPrimaryMortality.set(90, 0.09);
  inputs.PostPrimaryMortality.set(30, kNaN);
  EXPECT_EQ(ErrorOf(inputs), "");
}

TEST(ValuationErrors, StartingAgesOutsideTheTables) {
  ValuationInputs inputs = PlainInputs();
  inputs.CurrentAge = -0.5;
  EXPECT_EQ(ErrorOf(inputs),
            "CurrentAge of -0.5 gives a starting age of -0.5, outside the mortality tables (ages "
            "0 to 120)");
  inputs.CurrentAge = 65.0;
  inputs.SpousesCurrentAge = 120.5;
  EXPECT_EQ(ErrorOf(inputs),
            "SpousesCurrentAge of 120.5 gives a starting age of 120.5, outside the mortality "
            "tables (ages 0 to 120)");
  inputs.SpousesCurrentAge = 120.05;  // cut to 120 years and 0 months
  EXPECT_EQ(ErrorOf(inputs), "");
  inputs.SpousesCurrentAge = 0.0;
  EXPECT_EQ(ErrorOf(inputs), "");
  inputs.SpousesCurrentAge = kInfinity;
  EXPECT_NE(ErrorOf(inputs).find("SpousesCurrentAge of inf"), std::string::npos);

  // Rounded ages keep the distance to the payment age, which can leave the tables.
  inputs.SpousesCurrentAge = 65.0;
  inputs.UseRoundedAge = true;
  inputs.CurrentAge = 60.4;
  inputs.PaymentAge = 65.3;
  inputs.SpousesCurrentAge = -0.6;  // 65 - round(65.9)
  EXPECT_EQ(ErrorOf(inputs),
            "SpousesCurrentAge of -0.6 gives a starting age of -1, outside the mortality tables "
            "(ages 0 to 120)");
  inputs.SpousesCurrentAge = 0.2;  // 65 - round(65.1) = 0
  EXPECT_EQ(ErrorOf(inputs), "");
  inputs.PaymentAge = 65.0;
  inputs.CurrentAge = 130.0;
  EXPECT_EQ(ErrorOf(inputs),
            "CurrentAge of 130 gives a starting age of 130, outside the mortality tables (ages 0 "
            "to 120)");

  inputs.UseRoundedAge = false;
  inputs.CurrentAge = 65.0;
  inputs.PaymentAge = kInfinity;
  EXPECT_EQ(ErrorOf(inputs), "PaymentAge of inf is not a finite age");
  inputs.PaymentAge = -kInfinity;
  EXPECT_EQ(ErrorOf(inputs), "PaymentAge of -inf is not a finite age");
}

TEST(ValuationErrors, EveryNumberInputThatIsNotANumber) {
  const struct {
    const char* name;
    double ValuationInputs::*field;
  } fields[] = {
      {"CurrentAge", &ValuationInputs::CurrentAge},
      {"SpousesCurrentAge", &ValuationInputs::SpousesCurrentAge},
      {"PaymentAge", &ValuationInputs::PaymentAge},
      {"InitialBenefit", &ValuationInputs::InitialBenefit},
      {"Maximum", &ValuationInputs::Maximum},
      {"InterestRate1", &ValuationInputs::InterestRate1},
      {"InterestRate2", &ValuationInputs::InterestRate2},
      {"InterestRate3", &ValuationInputs::InterestRate3},
      {"PostRetirementInterest", &ValuationInputs::PostRetirementInterest},
      {"Period1", &ValuationInputs::Period1},
      {"Period2", &ValuationInputs::Period2},
      {"PeriodCertain", &ValuationInputs::PeriodCertain},
      {"PercentToSurvivor", &ValuationInputs::PercentToSurvivor},
      {"COLA", &ValuationInputs::COLA},
      {"Load", &ValuationInputs::Load},
  };
  for (const auto& field : fields) {
    ValuationInputs inputs = PlainInputs();
    inputs.*field.field = kNaN;
    EXPECT_EQ(ErrorOf(inputs), std::string(field.name) + " is not a number");
  }
}

TEST(ValuationErrors, ResultsThatAreNotFinite) {
  ValuationInputs inputs = PlainInputs();
  inputs.InitialBenefit = 1.0e308;
  inputs.Maximum = 1.0e308;
  EXPECT_EQ(ErrorOf(inputs),
            "The present value is not a finite number (inf); check InitialBenefit, Maximum, "
            "COLA, the interest rates and Load");
  inputs.InitialBenefit = kInfinity;
  inputs.InterestRate1 = inputs.InterestRate2 = inputs.InterestRate3 = kInfinity;
  inputs.PostRetirementInterest = kInfinity;  // infinite benefit times a zero discount
  EXPECT_NE(ErrorOf(inputs).find("The present value is not a finite number ("), std::string::npos);
}

}  // namespace
}  // namespace orvane::valuation
