#pragma once

#include <stdexcept>
#include <string>

namespace orvane::valuation {

// The input of the valuation that a failure is about, named after its ValuationInputs member
// (FullYieldCurve: the rates of the full yield curve). A caller points the user at the input
// through this, never by reading the message.
enum class Input {
  None,
  CurrentAge,
  SpousesCurrentAge,
  PaymentAge,
  InitialBenefit,
  Maximum,
  InterestRate1,
  InterestRate2,
  InterestRate3,
  PostRetirementInterest,
  Period1,
  Period2,
  PeriodCertain,
  PercentToSurvivor,
  COLA,
  Load,
  PrePrimaryMortality,
  PreContingentMortality,
  PostPrimaryMortality,
  PostContingentMortality,
  YearOfYieldCurve,
  MonthOfYieldCurve,
  FullYieldCurve,
};

// Raised where the valuation cannot go on: an input that makes the arithmetic fail (a load of
// 100%, a rate of -100% or below, a certain death at a starting age), an age outside the tables,
// a result that is not a finite number. The message names the input and reads well to a user;
// input() says which input it is, or None when no one input is at fault.
class ValuationError : public std::runtime_error {
 public:
  explicit ValuationError(const std::string& message, Input input = Input::None)
      : std::runtime_error(message), input_(input) {}

  Input input() const { return input_; }

 private:
  Input input_;
};

}  // namespace orvane::valuation
