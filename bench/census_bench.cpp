// A census of 10,000 participants through orvane-value's runner, on one thread and on every core,
// and on every core in each interest mode, plain and with the sensitivities: the rows are parsed,
// every row returns to the plan's state, enters six cells as a user would and recalculates once;
// the tables come from the run's cache. Rows per second of wall time.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "census/census.h"
#include "form/controls.h"

namespace {

std::filesystem::path DataDir() {
  const char* root = std::getenv("ORVANE_SOURCE_DIR");
  return std::filesystem::path(root != nullptr ? root : ORVANE_DEFAULT_SOURCE_DIR) / "data";
}

constexpr int kRows = 10000;

// Participants aged about 22 to 68 at the default valuation date, half of them women, with
// spouses, periods certain of 0 to 5 x (`periods` - 1) years and survivor shares; a fixed linear
// congruential sequence.
std::string Census(int rows = kRows, unsigned periods = 4) {
  std::string csv =
      "DateOfBirth,SpousesDateOfBirth,Benefit,Female,PeriodCertain,PercentToSurvivor\n";
  unsigned state = 12345;
  const auto next = [&](unsigned n) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % n;
  };
  for (int i = 0; i < rows; ++i) {
    csv += std::to_string(1 + next(12)) + "/" + std::to_string(1 + next(28)) + "/" +
           std::to_string(1940 + next(46)) + ",";
    csv += std::to_string(1 + next(12)) + "/" + std::to_string(1 + next(28)) + "/" +
           std::to_string(1938 + next(50)) + ",";
    csv += std::to_string(100 + next(5000)) + "." + std::to_string(next(10)) + "0,";
    csv += std::to_string(next(2)) + "," + std::to_string(5 * next(periods)) + "," +
           std::to_string(25 * next(5)) + "\n";
  }
  return csv;
}

void RunCensusOn(benchmark::State& state, unsigned jobs, bool sensitivities = false,
                 const std::vector<orvane::census::PlanEntry>& plan = {}, int rows = kRows,
                 unsigned periods = 4) {
  const std::string csv = Census(rows, periods);
  orvane::census::CensusSettings settings;
  settings.plan = plan;
  settings.environment.data_dir = DataDir();
  settings.environment.ask_retry = [] { return orvane::tables::RetryAnswer::kCancel; };
  settings.jobs = jobs;
  settings.sensitivities = sensitivities;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string output = orvane::census::RunCensus(csv, settings);
    bytes = output.size();
    benchmark::DoNotOptimize(output.data());
  }
  state.counters["rows_per_s"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["threads"] = jobs != 0 ? jobs : std::thread::hardware_concurrency();
  state.SetLabel(std::to_string(bytes) + " bytes out");
}

void BM_Census10000Rows1Thread(benchmark::State& state) {
  RunCensusOn(state, 1);
}
BENCHMARK(BM_Census10000Rows1Thread)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_Census10000RowsAllCores(benchmark::State& state) {
  RunCensusOn(state, 0);
}
BENCHMARK(BM_Census10000RowsAllCores)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The same census with the sensitivity columns: in the default segment mode each row's payments
// are discounted twice more, all rates a basis point down and up.
void BM_Census10000RowsAllCoresSensitivity(benchmark::State& state) {
  RunCensusOn(state, 0, true);
}
BENCHMARK(BM_Census10000RowsAllCoresSensitivity)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The other two interest modes (the default form discounts in segment mode), each plain and with
// the sensitivities: select and ultimate rates, and the full yield curve of the form's year and
// month.
void BM_Census10000RowsAllCoresIn(benchmark::State& state, orvane::form::Control mode_box,
                                  const char* checked, bool sensitivities) {
  RunCensusOn(state, 0, sensitivities, {{mode_box, checked}});
}
BENCHMARK_CAPTURE(BM_Census10000RowsAllCoresIn, SelectAndUltimate,
                  orvane::form::Control::YieldCurve, "0", false)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Census10000RowsAllCoresIn, SelectAndUltimateSensitivity,
                  orvane::form::Control::YieldCurve, "0", true)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Census10000RowsAllCoresIn, FullYieldCurve,
                  orvane::form::Control::FullYieldCurve, "1", false)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Census10000RowsAllCoresIn, FullYieldCurveSensitivity,
                  orvane::form::Control::FullYieldCurve, "1", true)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// A plan's 417(e) lump sums of 2026: 60,000 participants aged about 40 to 86 on 1/1/2026 with
// spouses, periods certain of 0, 5 or 10 years and survivor shares, valued at the form's segment
// rates on the 2026 unisex table; and the same rows on the generational Pri-2012 tables, whose
// cohorts differ from row to row. On every core, wall.
constexpr int kLumpSumRows = 60000;

void BM_Census60000LumpSums(benchmark::State& state, const char* participant, const char* spouse) {
  using orvane::form::Control;
  RunCensusOn(state, 0, false,
              {{Control::ValuationDate, "1/1/2026"},
               {Control::PostRetPrimary, participant},
               {Control::PostRetContingent, spouse}},
              kLumpSumRows, 3);
}
BENCHMARK_CAPTURE(BM_Census60000LumpSums, 2026417e, "2026417e", "2026417e")
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Census60000LumpSums, Generational, "PriRM-G", "PriCF-G")
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
