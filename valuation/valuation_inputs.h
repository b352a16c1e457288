#pragma once

#include "mortality/q_table.h"

namespace orvane::valuation {

// The engine values on the rate tables of the mortality vocabulary.
using mortality::QTable;

// The 21 inputs that the recalculation passes to the valuation, under their own names. Rates,
// COLA, survivor share and load are in percent (5 means 5%); ages and periods in decimal years;
// benefits per month. The ranges are not checked here (the field rules keep them sane); inputs
// that make the arithmetic fail are refused by Orvane with a ValuationError.
struct ValuationInputs {
  double CurrentAge = 65.0;
  double SpousesCurrentAge = 65.0;
  double PaymentAge = 65.0;
  double InitialBenefit = 1000.0;
  double Maximum = 20000.0;
  double InterestRate1 = 0.0;
  double InterestRate2 = 0.0;
  double InterestRate3 = 0.0;
  double PostRetirementInterest = 0.0;
  double Period1 = 5.0;
  double Period2 = 15.0;
  double PeriodCertain = 0.0;
  double PercentToSurvivor = 0.0;
  double COLA = 0.0;
  double Load = 0.0;
  QTable PrePrimaryMortality{};
  QTable PreContingentMortality{};
  QTable PostPrimaryMortality{};
  QTable PostContingentMortality{};
  bool UseRoundedAge = false;
  bool TreatAsYieldCurve = false;
};

}  // namespace orvane::valuation
