// The C++ side of the Python module `orvane`: the same form model, census, table store and
// segment rates file as the window and the tools, bound with pybind11. The Python package
// (orvane/__init__.py) gives them their documented names, types and pandas frames; this file
// only turns text in and out and every library error into orvane.Error.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "census/census.h"
#include "dates/month.h"
#include "form/control_entry.h"
#include "form/controls.h"
#include "tables/data_folder.h"
#include "form/form_error.h"
#include "form/form_model.h"
#include "form/segment_rate_entry.h"
#include "mortality/q_table.h"
#include "numbers/number_text.h"
#include "segment_rates/lump_sum_basis.h"
#include "segment_rates/segment_rates.h"
#include "tables/table_error.h"
#include "tables/table_store.h"

namespace py = pybind11;

namespace {

using orvane::form::Control;
using orvane::form::FormEnvironment;
using orvane::form::FormModel;

// Raised to Python as orvane.Error with the tools' message.
class ModuleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where the tools would look: `data_dir`, or the current folder when it holds a data file, else
// `installed`. A module asks no question: an unavailable data file is the answer.
FormEnvironment EnvironmentOf(const std::optional<std::string>& data_dir,
                              const std::string& installed) {
  FormEnvironment environment;
  environment.data_dir =
      data_dir ? std::filesystem::path(*data_dir) : orvane::tables::DataFolder(".", installed);
  environment.ask_retry = [] { return orvane::tables::RetryAnswer::kCancel; };
  return environment;
}

// The data file's whereabouts for the message of a data file that cannot be read.
[[noreturn]] void DataFileMissing(const FormEnvironment& environment,
                                  const std::optional<std::string>& data_dir,
                                  const std::string& installed) {
  std::string where = std::filesystem::absolute(environment.data_dir / environment.tables_file);
  std::string looked = data_dir ? "the folder " + *data_dir : "the current folder";
  if (!data_dir && !installed.empty())
    looked += " and the installed data folder " + installed;
  throw ModuleError("Data File not available: " + where + " cannot be read (looked for in " +
                    looked + ")");
}

Control ControlNamed(const std::string& name) {
  const std::optional<Control> control = orvane::form::ControlNamed(name);
  if (!control)
    throw ModuleError("unknown control \"" + name + "\"");
  return *control;
}

std::optional<orvane::dates::Month> MonthOf(const std::string& text) {
  const auto month = orvane::dates::ParseMonth(text);
  if (!month)
    throw ModuleError("a month is written YYYY-MM, not \"" + text + "\"");
  return month;
}

class Form {
 public:
  Form(const std::optional<std::string>& data_dir, const std::string& installed)
      : environment_(EnvironmentOf(data_dir, installed)), form_(WithSensitivities(environment_)) {
    try {
      form_.Load();
    } catch (const orvane::tables::DataFileUnavailable&) {
      DataFileMissing(environment_, data_dir, installed);
    }
  }

  void Enter(const std::string& control, const std::string& text) {
    orvane::form::EnterControlText(form_, ControlNamed(control), text);
  }

  std::string Text(const std::string& name) const {
    const Control control = ControlNamed(name);
    switch (orvane::form::KindOf(control)) {
      case orvane::form::ControlKind::kCheckBox:
      case orvane::form::ControlKind::kOptionButton:
        return form_.Checked(control) ? "1" : "0";
      case orvane::form::ControlKind::kButton:
        throw ModuleError("\"" + name + "\" is a button, not an input");
      default:
        return form_.Text(control);
    }
  }

  std::vector<std::string> Controls() const {
    std::vector<std::string> names;
    for (int i = 0; i < orvane::form::kControlCount; ++i) {
      const auto control = static_cast<Control>(i);
      if (orvane::form::KindOf(control) != orvane::form::ControlKind::kButton)
        names.emplace_back(orvane::form::NameOf(control));
    }
    return names;
  }

  void Calculate() { form_.Calculate(); }
  std::string Label() const { return form_.Result(); }
  std::optional<std::string> Failure() const {
    return form_.Failure().empty() ? std::nullopt : std::optional(form_.Failure());
  }
  std::optional<std::string> FailedControl() const {
    const auto control = form_.FailureControl();
    return control ? std::optional(std::string(orvane::form::NameOf(*control))) : std::nullopt;
  }
  // The unrounded value of the last recalculation; nothing before one or after a failure.
  std::optional<double> Value() const {
    if (form_.RecalculationCount() == 0 || !form_.Failure().empty())
      return std::nullopt;
    return form_.Summary().value;
  }

  // The figures of the run's mode, in orvane-value's order.
  std::vector<std::pair<std::string, std::optional<double>>> Sensitivities() const {
    std::vector<std::pair<std::string, std::optional<double>>> figures;
    if (const auto& run = form_.Sensitivities()) {
      for (const auto& figure : orvane::valuation::FiguresOf(*run)) {
        if (figure.of_mode)
          figures.emplace_back(figure.name, figure.value);
      }
    }
    return figures;
  }

  void ExportDetail(const std::string& path) { form_.ExportDetail(path); }
  void ExportMortality(const std::string& path) { form_.ExportMortality(path); }

  void EnterRatesOf(const std::string& month, std::optional<int> plan_year) {
    const auto file = RatesFile();
    orvane::form::EnterSegmentRates(form_, file.Of(*MonthOf(month), plan_year));
    form_.Calculate();
  }

  void ApplyBasis(const std::string& stability, int lookback, int plan_year_begins) {
    const auto kind = orvane::segment_rates::ParseStabilityPeriod(stability);
    if (!kind) {
      throw ModuleError("the stability period is " +
                        std::string(orvane::segment_rates::kStabilityPeriodNames) + ", not \"" +
                        stability + "\"");
    }
    orvane::form::ApplyLumpSumBasis(form_, {*kind, lookback, plan_year_begins}, RatesFile());
  }

 private:
  static FormEnvironment WithSensitivities(FormEnvironment environment) {
    environment.with_sensitivities = true;
    return environment;
  }
  orvane::segment_rates::SegmentRateFile RatesFile() const {
    return orvane::segment_rates::SegmentRateFile::Read(
        orvane::form::SegmentRatesPath(environment_));
  }

  FormEnvironment environment_;
  FormModel form_;
};

// The census of `csv` as orvane-value --census values it, the output CSV as text. The rows are
// valued with the interpreter's lock released.
std::string Census(const std::string& csv, const std::optional<std::string>& data_dir,
                   const std::string& installed,
                   const std::vector<std::pair<std::string, std::string>>& entries,
                   std::optional<unsigned> jobs, bool sensitivity) {
  orvane::census::CensusSettings settings;
  settings.environment = EnvironmentOf(data_dir, installed);
  for (const auto& [name, text] : entries)
    settings.plan.push_back(orvane::form::ParseAssignment(name + "=" + text));
  settings.jobs = jobs.value_or(0);
  settings.sensitivities = sensitivity;
  py::gil_scoped_release unlocked;
  try {
    return orvane::census::RunCensus(csv, settings);
  } catch (const orvane::tables::DataFileUnavailable&) {
    DataFileMissing(settings.environment, data_dir, installed);
  }
}

// `name` at ages 1-120 as orvane-tables show prints it.
std::vector<std::pair<int, std::string>> Table(const std::string& name,
                                               const std::optional<std::string>& data_dir,
                                               const std::string& installed,
                                               std::optional<int> born) {
  const FormEnvironment environment = EnvironmentOf(data_dir, installed);
  orvane::tables::TableStore store(environment.data_dir / environment.tables_file,
                                   environment.ask_retry);
  try {
    if (store.OpenFile(name) <= 0)
      throw ModuleError(environment.tables_file.string() + " has no table \"" + name + "\"");
  } catch (const orvane::tables::DataFileUnavailable&) {
    DataFileMissing(environment, data_dir, installed);
  }
  orvane::tables::TableRequest request;
  request.TableName = name;
  request.DontProjTable = true;
  request.LifeYearOfBirth = born;
  const orvane::mortality::QTable q = store.LoadTable(request);
  std::vector<std::pair<int, std::string>> rates;
  for (int age = 1; age <= orvane::mortality::QTable::kLastAge; ++age) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", q.at(age));
    rates.emplace_back(age, text);
  }
  return rates;
}

std::tuple<std::string, std::string, std::string> SegmentRates(
    const std::string& month, std::optional<int> plan_year,
    const std::optional<std::string>& data_dir, const std::string& installed) {
  const auto file = orvane::segment_rates::SegmentRateFile::Read(
      orvane::form::SegmentRatesPath(EnvironmentOf(data_dir, installed)));
  const auto& rates = file.Of(*MonthOf(month), plan_year).rates;
  return {rates[0], rates[1], rates[2]};
}

}  // namespace

PYBIND11_MODULE(_orvane, m) {
  m.doc() = "The C++ core of the orvane package; use the package, not this module.";
  static py::exception<ModuleError> error(m, "Error");
  // Every error of Orvane's libraries is a std::runtime_error with a message for the user.
  py::register_exception_translator([](std::exception_ptr raised) {
    try {
      if (raised)
        std::rethrow_exception(raised);
    } catch (const std::runtime_error& e) {
      error(e.what());
    }
  });
  py::class_<Form>(m, "Form")
      .def(py::init<const std::optional<std::string>&, const std::string&>())
      .def("enter", &Form::Enter)
      .def("text", &Form::Text)
      .def("controls", &Form::Controls)
      .def("calculate", &Form::Calculate)
      .def("label", &Form::Label)
      .def("failure", &Form::Failure)
      .def("failed_control", &Form::FailedControl)
      .def("value", &Form::Value)
      .def("sensitivities", &Form::Sensitivities)
      .def("export_detail", &Form::ExportDetail)
      .def("export_mortality", &Form::ExportMortality)
      .def("enter_rates_of", &Form::EnterRatesOf)
      .def("apply_417e_basis", &Form::ApplyBasis);
  m.def("census", &Census);
  m.def("table", &Table);
  m.def("segment_rates", &SegmentRates);
}
