// One whole recalculation through the form model, as a user's departure from a field causes it:
// four table loads from the data file (each block opened, read and closed), the number
// conversions, the valuation and the results text.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "form/form_model.h"

namespace {

using orvane::form::Control;

std::filesystem::path DataDir() {
  const char* root = std::getenv("ORVANE_SOURCE_DIR");
  return std::filesystem::path(root != nullptr ? root : ORVANE_DEFAULT_SOURCE_DIR) / "data";
}

void Recalculate(benchmark::State& state, orvane::form::FormModel& form) {
  form.Calculate();
  if (!form.Failure().empty())
    throw std::runtime_error(form.Failure());
  for (auto _ : state) {
    form.Calculate();
    benchmark::DoNotOptimize(form.Result().data());
  }
  state.SetLabel(form.Result());
}

orvane::form::FormEnvironment Environment() {
  orvane::form::FormEnvironment environment;
  environment.data_dir = DataDir();
  environment.ask_retry = [] { return orvane::tables::RetryAnswer::kCancel; };
  return environment;
}

void BM_RecalculateDefaultForm(benchmark::State& state) {
  orvane::form::FormModel form(Environment());
  form.Load();
  Recalculate(state, form);
}
BENCHMARK(BM_RecalculateDefaultForm)->Unit(benchmark::kMillisecond);

// The heaviest tables: projection to each year of payment with both blends and the preamble
// adjustment, 18 direct loads per table, 72 per recalculation.
void BM_RecalculateProjectedBlendedPreamble(benchmark::State& state) {
  orvane::form::FormModel form(Environment());
  form.Load();
  form.SetChecked(Control::ProjToPayment, true);
  form.SetChecked(Control::BlendedAnnuitnat, true);
  form.SetChecked(Control::BlendedMaleFemale, true);
  form.SetChecked(Control::UsePreamble, true);
  form.SetText(Control::PreRetPrimary, "2008417e");
  form.SetText(Control::PreRetContingent, "2008417e");
  form.SetText(Control::PercentToSurvivor, "50");
  Recalculate(state, form);
}
BENCHMARK(BM_RecalculateProjectedBlendedPreamble)->Unit(benchmark::kMillisecond);

// Four generational tables: each load reads its base and then its whole two-axis scale (about
// 140 blocks) and multiplies out one cohort, the spouse's for the contingent choosers.
void BM_RecalculateFourGenerationalTables(benchmark::State& state) {
  orvane::form::FormModel form(Environment());
  form.Load();
  form.SetText(Control::DateOfBirth, "7/1/1961");
  form.SetText(Control::SpousesDateOfBirth, "3/1/1963");
  form.SetText(Control::PreRetPrimary, "PriEM-G");
  form.SetText(Control::PreRetContingent, "PriEF-G");
  form.SetText(Control::PostRetPrimary, "PriRM-G");
  form.SetText(Control::PostRetContingent, "PriCF-G");
  form.SetText(Control::PercentToSurvivor, "50");
  Recalculate(state, form);
}
BENCHMARK(BM_RecalculateFourGenerationalTables)->Unit(benchmark::kMillisecond);

}  // namespace
