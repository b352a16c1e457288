// Time of one valuation. The mortality tables are synthetic: a Gompertz-Makeham curve
// q(x) = 1 - exp(-(A + B c^x)) with parameters near those of recent population tables, capped
// at 1 only at age 120, so that every monthly factor differs and the run has real work to do.
#include <benchmark/benchmark.h>

#include <cmath>

#include "valuation/valuation_engine.h"

namespace {

using orvane::mortality::QTable;
using orvane::valuation::Orvane;
using orvane::valuation::ValuationInputs;

QTable SyntheticGompertzTable(double scale) {
  QTable table;
  for (int age = 1; age < QTable::kLastAge; ++age) {
    const double hazard = 0.0005 + scale * 0.00003 * std::pow(1.1, age);
    table.set(age, 1.0 - std::exp(-hazard));
  }
  table.set(QTable::kLastAge, 1.0);
  return table;
}

ValuationInputs SyntheticInputs(double current_age) {
  ValuationInputs inputs;
  inputs.CurrentAge = current_age;
  inputs.SpousesCurrentAge = current_age - 3.0 < 0.0 ? current_age : current_age - 3.0;
  inputs.PaymentAge = 65.0;
  inputs.InitialBenefit = 2500.0;
  inputs.Maximum = 4000.0;
  inputs.InterestRate1 = 4.6;
  inputs.InterestRate2 = 4.82;
  inputs.InterestRate3 = 4.91;
  inputs.PostRetirementInterest = 5.0;
  inputs.Period1 = 5.0;
  inputs.Period2 = 15.0;
  inputs.PeriodCertain = 10.0;
  inputs.PercentToSurvivor = 50.0;
  inputs.COLA = 2.0;
  inputs.Load = 1.5;
  inputs.PrePrimaryMortality = SyntheticGompertzTable(0.9);
  inputs.PreContingentMortality = SyntheticGompertzTable(0.7);
  inputs.PostPrimaryMortality = SyntheticGompertzTable(1.0);
  inputs.PostContingentMortality = SyntheticGompertzTable(0.8);
  return inputs;
}

void BM_ValuationAge65(benchmark::State& state) {
  const ValuationInputs inputs = SyntheticInputs(65.0);
  for (auto _ : state) benchmark::DoNotOptimize(Orvane(inputs));
}
BENCHMARK(BM_ValuationAge65);

void BM_ValuationAge10(benchmark::State& state) {
  const ValuationInputs inputs = SyntheticInputs(10.0);
  for (auto _ : state) benchmark::DoNotOptimize(Orvane(inputs));
}
BENCHMARK(BM_ValuationAge10);

void BM_ValuationAge10SegmentRates(benchmark::State& state) {
  ValuationInputs inputs = SyntheticInputs(10.0);
  inputs.TreatAsYieldCurve = true;
  for (auto _ : state) benchmark::DoNotOptimize(Orvane(inputs));
}
BENCHMARK(BM_ValuationAge10SegmentRates);

}  // namespace
