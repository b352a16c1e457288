// Time of the spreadsheet work behind the two buttons and the full yield curve mode: writing the
// calculation detail workbook (the 1440 x 20 block, formats and the total) and reading the
// shipped "Full Yield Curve.xls" (149 curves of 200 half-years). The detail table is synthetic
// but full: every month of 120 years holds numbers in all 19 columns.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "sheets/exports.h"
#include "sheets/yield_curve_workbook.h"
#include "valuation/detail_table.h"

namespace {

using orvane::valuation::DetailTable;

DetailTable FullDetailTable() {
  DetailTable table;
  orvane::sheets::WriteDetailHeadings(
      table, orvane::sheets::DetailInputs{"1/1/2008", "7/1/1943", "1/1/1946", " 5.000", "50"});
  for (long row = 1; row <= 1440; ++row) {
    const double t = static_cast<double>(row);
    orvane::valuation::MonthStart month;
    month.row = row;
    month.age = 45.0 + (t - 1) / 12;
    month.monthly_q = {1e-4 * t, 2e-4 * t, 3e-4 * t, 4e-4 * t};
    month.annual_q = {1.2e-3 * t, 2.4e-3 * t, 3.6e-3 * t, 4.8e-3 * t};
    month.Lx = std::exp(-t / 300);
    month.Ly = std::exp(-t / 400);
    month.interest_rate_percent = 5.5;
    month.Vx = std::pow(1.055, -(t - 1) / 12);
    table.OnMonthStart(month);
    table.OnPayment(orvane::valuation::MonthPayment{row, true, false, 1000 + t, 500 + t / 2, 0.0,
                                                    month.Vx * month.Lx * 1000,
                                                    month.Vx * 0.1 * 500});
  }
  return table;
}

void BM_WriteDetailWorkbook(benchmark::State& state) {
  const DetailTable table = FullDetailTable();
  const auto file = std::filesystem::temp_directory_path() / "orvane_bench_detail.xlsx";
  for (auto _ : state) {
    orvane::sheets::WriteDetailWorkbook(file, table, orvane::sheets::DetailSummary{});
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_WriteDetailWorkbook)->Unit(benchmark::kMillisecond);

void BM_ReadShippedYieldCurveWorkbook(benchmark::State& state) {
  const char* root = std::getenv("ORVANE_SOURCE_DIR");
  const std::filesystem::path file =
      std::filesystem::path(root != nullptr ? root : ORVANE_DEFAULT_SOURCE_DIR) / "data" /
      orvane::sheets::kYieldCurveWorkbookName;
  for (auto _ : state) {
    const auto rates = orvane::sheets::ReadYieldCurveWorkbook(file);
    benchmark::DoNotOptimize(rates.Rate(rates.CurveCount(), 200));
  }
}
BENCHMARK(BM_ReadShippedYieldCurveWorkbook)->Unit(benchmark::kMillisecond);

}  // namespace
