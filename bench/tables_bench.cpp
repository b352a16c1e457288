// The table store on the shipped data file: the choosers' list read at start-up (GetTableList,
// about 140 entries), LoadTable of a table as stored, every option nested, and the four loads
// of one recalculation with the window's defaults. Every block read opens and closes
// the file, so these figures are mostly system calls.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tables/table_store.h"

namespace {

using orvane::tables::RetryAnswer;
using orvane::tables::TableRequest;
using orvane::tables::TableStore;

std::filesystem::path DataFile() {
  const char* dir = std::getenv("ORVANE_SOURCE_DIR");
  return std::filesystem::path(dir != nullptr ? dir : ORVANE_DEFAULT_SOURCE_DIR) /
         "data/MortalityTables";
}

TableStore Store() {
  return TableStore(DataFile(), [] { return RetryAnswer::kCancel; });
}

void BM_GetTableListAtStartUp(benchmark::State& state) {
  TableStore store = Store();
  for (auto _ : state) benchmark::DoNotOptimize(store.GetTableList());
  state.counters["entries"] = static_cast<double>(store.GetTableList().size());
}
BENCHMARK(BM_GetTableListAtStartUp)->Unit(benchmark::kMillisecond);

void BM_LoadTableDirect(benchmark::State& state) {
  TableStore store = Store();
  TableRequest request;
  request.TableName = "2008417e";
  for (auto _ : state) benchmark::DoNotOptimize(store.LoadTable(request));
}
BENCHMARK(BM_LoadTableDirect);

// Sex blend of annuitant blends of preamble adjustments of projections: 18 direct loads.
void BM_LoadTableFullyNested(benchmark::State& state) {
  TableStore store = Store();
  TableRequest request;
  request.TableName = "2008417e";
  request.DontProjTable = false;
  request.ProjToValuation = true;
  request.BlendAnn = request.BlendSex = request.FollowPreamble = true;
  for (auto _ : state) benchmark::DoNotOptimize(store.LoadTable(request));
}
BENCHMARK(BM_LoadTableFullyNested);

// PostRetPrimary and PostRetContingent "2008417e", PreRetPrimary and PreRetContingent "None",
// with "No Projection" selected.
void BM_DefaultRecalculationLoads(benchmark::State& state) {
  TableStore store = Store();
  TableRequest post;
  post.TableName = "2008417e";
  TableRequest pre = post;
  pre.TableName = "None";
  pre.Pre = true;
  for (auto _ : state) {
    post.Male = true;
    benchmark::DoNotOptimize(store.LoadTable(post));
    post.Male = false;
    benchmark::DoNotOptimize(store.LoadTable(post));
    pre.Male = true;
    benchmark::DoNotOptimize(store.LoadTable(pre));
    pre.Male = false;
    benchmark::DoNotOptimize(store.LoadTable(pre));
  }
}
BENCHMARK(BM_DefaultRecalculationLoads);

}  // namespace
