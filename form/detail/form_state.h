// The lasting state of the form model, shared by the files that implement FormModel.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form/controls.h"
#include "form/detail/valuation_of_form.h"
#include "form/form_model.h"
#include "tables/table_store.h"
#include "valuation/detail_table.h"
#include "valuation/yield_curve_rates.h"

namespace orvane::form {

struct FormModel::State {
  explicit State(FormEnvironment env)
      : environment(std::move(env)),
        store(environment.data_dir / environment.tables_file,
              environment.ask_retry ? environment.ask_retry : tables::RetryQuestion([] {
                return tables::RetryAnswer::kCancel;
              })) {}

  FormEnvironment environment;
  tables::TableStore store;  // owns the read cursor of the data file

  std::array<std::string, kControlCount> texts;  // text fields and choosers
  std::array<bool, kControlCount> checked{};     // check boxes and option buttons
  std::vector<std::string> table_list;
  // The last number read from each text (NumberIn), with the text it was read from.
  struct Reading {
    bool read = false;
    std::string text;
    std::optional<double> number;
  };
  std::array<Reading, kControlCount> readings;
  std::string message = "Calculate present values";  // the designed caption of Label6
  std::string result = "Not calculated";
  std::string failure;
  std::optional<Control> failure_control;  // the control `failure` is about, when known
  int recalculations = 0;

  bool keep_detail = false;
  double value = 0.0;  // the unrounded value of the last successful recalculation
  std::unique_ptr<valuation::DetailTable> detail;  // made at the first detail export

  // In a batch run, the last table of each place and what was asked for it.
  detail::LastTables last_tables;

  // Read once per run; empty while YieldCurveLoaded is false.
  std::optional<valuation::YieldCurveRates> yield_curve;

  // Of the last recalculation, when the environment asks for them.
  std::optional<valuation::Sensitivities> sensitivities;

  // The 417(e) basis last applied, and the entries it left, as texts ("1" / "0" for a box).
  std::vector<std::pair<std::string, std::string>> basis;
  std::vector<std::pair<Control, std::string>> basis_entries;

  std::function<void()> listener;
};

}  // namespace orvane::form
