#include "census/census.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <thread>

#include "census/census_rates.h"
#include "census/row_window.h"
#include "form/control_entry.h"
#include "form/segment_rate_entry.h"
#include "numbers/number_text.h"
#include "tables/table_cache.h"
#include "tables/table_error.h"
#include "text/csv.h"
#include "text/text.h"
#include "valuation/sensitivities.h"
#include "valuation/survival_cache.h"

namespace orvane::census {

using form::Control;
using form::ControlKind;
using form::ControlNamed;
using form::EnterControlText;
using form::EnterSegmentRates;
using form::FormEnvironment;
using form::FormError;
using form::FormInputs;
using form::FormModel;
using segment_rates::SegmentRateFile;
using segment_rates::SegmentRates;
using segment_rates::SegmentRatesFileError;
using segment_rates::SegmentRatesLookupError;

using text::CsvLine;
using text::CsvReader;
using text::CsvRecord;
namespace {

struct RowOutcome {
  std::string value;
  // The sensitivities, when asked for, in FiguresOf's order.
  std::array<std::string, valuation::kFigureCount> figures;
  std::string error;
};

// The control of each column; nothing for RatesOf and PlanYear (census/census_rates.h).
std::vector<std::optional<Control>> ColumnsOf(const CsvRecord& header) {
  if (!header.error.empty())
    throw CensusHeaderError("the header row is malformed: " + header.error);
  std::vector<std::optional<Control>> columns;
  for (const std::string& cell : header.cells) {
    const std::string name(text::Trim(cell));
    if (IsRatesColumn(name)) {
      columns.emplace_back();
      continue;
    }
    const std::optional<Control> control = ControlNamed(name);
    if (!control) {
      throw CensusHeaderError("unknown column \"" + name +
                              "\": each column of the header names a control of the form "
                              "(DateOfBirth, Benefit, Female, ...)");
    }
    if (KindOf(*control) == ControlKind::kButton)
      throw CensusHeaderError("column \"" + name + "\" is a button, not an input");
    columns.push_back(*control);
  }
  return columns;
}

std::string LinePrefix(int line) {
  return "line " + std::to_string(line) + ": ";
}

class RowValuer {
 public:
  RowValuer(FormModel& form, const std::vector<std::optional<Control>>& columns, bool sensitivities,
            const RatesColumns& rates_columns, const SegmentRateFile* rates,
            const std::optional<segment_rates::PlanTerms>& plan_terms)
      : form_(form),
        columns_(columns),
        sensitivities_(sensitivities),
        rates_columns_(rates_columns),
        rates_(rates),
        plan_terms_(plan_terms),
        start_(form.SaveInputs()) {}

  RowOutcome Value(const CsvRecord& record) {
    if (!record.error.empty())
      return {"", {}, record.error};
    if (record.cells.size() != columns_.size()) {
      return {"",
              {},
              LinePrefix(record.line) + std::to_string(record.cells.size()) +
                  " cells, the header has " + std::to_string(columns_.size())};
    }
    for (std::size_t j = 0; j < columns_.size(); ++j) {
      const std::string refusal =
          columns_[j] ? EntryRefusal(*columns_[j], record.cells[j]) : std::string();
      if (!refusal.empty())
        return {"", {}, LinePrefix(record.line) + refusal};
    }
    std::optional<SegmentRates> rates;
    std::optional<segment_rates::PlanTerms> terms;
    try {
      rates = RowRates(record.cells, rates_columns_, rates_);
      terms = RowTerms(record.cells, rates_columns_, plan_terms_);
    } catch (const SegmentRatesLookupError& e) {
      return {"", {}, LinePrefix(record.line) + e.what()};
    }
    try {
      form_.RestoreInputs(start_);
      if (rates)
        EnterSegmentRates(form_, *rates);
      for (std::size_t j = 0; j < columns_.size(); ++j) {
        if (columns_[j])
          EnterControlText(form_, *columns_[j], record.cells[j]);
      }
      // The basis follows the row's own Valuation Date, so it comes after the row's cells.
      if (terms)
        form::ApplyLumpSumBasis(form_, *terms, *rates_);
      else
        form_.Calculate();
    } catch (const SegmentRatesLookupError& e) {
      return {"", {}, LinePrefix(record.line) + e.what()};
    } catch (const FormError& e) {
      return {"", {}, LinePrefix(record.line) + e.what()};
    } catch (const std::exception& e) {
      // The data file lost in the middle of the run, or worse: this row fails, the others go on.
      return {"", {}, e.what()};
    }
    if (!form_.Failure().empty())
      return {"", {}, form_.Failure()};
    RowOutcome outcome{form_.Result(), {}, ""};
    if (sensitivities_ && form_.Sensitivities()) {
      const auto figures = valuation::FiguresOf(*form_.Sensitivities());
      // A figure of the mode that cannot be given (a value of 0 has no duration) reads "n/a",
      // as on the Summary sheet: an empty cell would pass for a missing column.
      for (std::size_t k = 0; k < figures.size(); ++k) {
        if (figures[k].of_mode)
          outcome.figures[k] =
              figures[k].value ? numbers::ShortestText(*figures[k].value) : std::string("n/a");
      }
    }
    return outcome;
  }

 private:
  FormModel& form_;
  const std::vector<std::optional<Control>>& columns_;
  bool sensitivities_;
  const RatesColumns& rates_columns_;
  const SegmentRateFile* rates_;  // null when no column or option asks for segment rates
  const std::optional<segment_rates::PlanTerms>& plan_terms_;  // --stability's, when given
  FormInputs start_;  // what a participant's row starts from: start-up and the plan's entries
};

using CensusWindow = RowWindow<CsvRecord, RowOutcome>;

// `total` is 0 when the number of rows is not known.
void DrawProgress(std::ostream& out, std::size_t done, std::size_t total) {
  if (total == 0) {
    out << "\r" << done << " rows" << std::flush;
    return;
  }
  constexpr int kWidth = 40;
  const std::size_t filled = std::min(done, total) * kWidth / total;
  std::string bar(filled, '#');
  bar.resize(kWidth, '.');
  const std::size_t percent = std::min(done, total) * 100 / total;
  out << "\r[" << bar << "] " << percent << "% " << done << '/' << total << " rows" << std::flush;
}

// The segment rates file, read once for the run when a column asks for rates.
std::optional<SegmentRateFile> RatesFileOf(const RatesColumns& columns,
                                           const CensusSettings& settings) {
  if (!columns.rates_of && !columns.stability && !columns.lookback && !settings.plan_terms)
    return std::nullopt;
  try {
    return SegmentRateFile::Read(SegmentRatesPath(settings.environment));
  } catch (const SegmentRatesFileError& e) {
    throw CensusFileError(e.what(), e.file());
  }
}

// The forms' environment: the run's caches unless the caller shares its own, a value only on
// request, the sensitivities when asked for.
FormEnvironment RunEnvironment(const CensusSettings& settings, tables::TableCache& own_cache,
                               valuation::CurveCache& own_curves,
                               valuation::SurvivalCache& own_survival) {
  FormEnvironment environment = settings.environment;
  if (environment.table_cache == nullptr)
    environment.table_cache = &own_cache;
  if (environment.curve_cache == nullptr)
    environment.curve_cache = &own_curves;
  if (environment.survival_cache == nullptr)
    environment.survival_cache = &own_survival;
  environment.recalculate_only_on_request = true;
  environment.with_sensitivities = settings.sensitivities;
  return environment;
}

// Worker threads: as asked, or every core; never more than the rows when they are known.
unsigned JobsOf(const CensusSettings& settings) {
  unsigned jobs = settings.jobs != 0 ? settings.jobs : std::thread::hardware_concurrency();
  jobs = std::max(jobs, 1u);
  if (settings.rows != 0)
    jobs = static_cast<unsigned>(std::min<std::size_t>(jobs, settings.rows));
  return jobs;
}

// A worker's form: started up, then the month's segment rates and the plan's entries.
std::unique_ptr<FormModel> PlanForm(const FormEnvironment& environment,
                                    const CensusSettings& settings) {
  auto form = std::make_unique<FormModel>(environment);
  form->Load();
  if (settings.rates)
    EnterSegmentRates(*form, *settings.rates);
  for (const PlanEntry& entry : settings.plan) EnterControlText(*form, entry.control, entry.text);
  return form;
}

// The header's cells, then PresentValue, the sensitivities when asked for, and Error.
std::vector<std::string> OutputHeader(const CsvRecord& header, bool sensitivities) {
  std::vector<std::string> cells = header.cells;
  cells.push_back("PresentValue");
  if (sensitivities) {
    for (const valuation::NamedFigure& figure : valuation::FiguresOf({}))
      cells.push_back(figure.name);
  }
  cells.push_back("Error");
  return cells;
}

}  // namespace

void RunCensus(std::istream& in, std::ostream& out, const CensusSettings& settings) {
  CsvReader reader(in);
  std::optional<CsvRecord> header = reader.Next();
  if (!header)
    throw CensusHeaderError("the census has no header row naming its columns");
  const std::vector<std::optional<Control>> columns = ColumnsOf(*header);
  const RatesColumns rates_columns = FindRatesColumns(header->cells);
  for (const PlanEntry& entry : settings.plan) {
    const std::string refusal = EntryRefusal(entry.control, entry.text);
    if (!refusal.empty())
      throw FormError(refusal);
  }

  const std::optional<SegmentRateFile> rates_file = RatesFileOf(rates_columns, settings);

  tables::TableCache own_cache;
  valuation::CurveCache own_curves;
  valuation::SurvivalCache own_survival;
  const FormEnvironment environment = RunEnvironment(settings, own_cache, own_curves, own_survival);
  const unsigned jobs = JobsOf(settings);

  // Started on this thread, so that a data file missing at start-up ends the run here.
  std::vector<std::unique_ptr<FormModel>> forms;
  std::vector<std::unique_ptr<RowValuer>> valuers;
  for (unsigned k = 0; k < jobs; ++k) {
    forms.push_back(PlanForm(environment, settings));
    valuers.push_back(
        std::make_unique<RowValuer>(*forms.back(), columns, settings.sensitivities, rates_columns,
                                    rates_file ? &*rates_file : nullptr, settings.plan_terms));
  }

  std::vector<std::string> cells = OutputHeader(*header, settings.sensitivities);
  out << CsvLine(cells);

  CensusWindow window(jobs * kRowsPerTake * 16);
  std::vector<std::thread> workers;
  for (unsigned k = 0; k < jobs; ++k) {
    workers.emplace_back([&window, &valuer = *valuers[k]] {
      window.Work([&valuer](const CsvRecord& record) { return valuer.Value(record); });
    });
  }
  const auto write = [&](CensusWindow::Row& row) {
    cells = std::move(row.input.cells);
    cells.resize(columns.size());
    cells.push_back(std::move(row.output.value));
    if (settings.sensitivities) {
      for (std::string& figure : row.output.figures) cells.push_back(std::move(figure));
    }
    cells.push_back(std::move(row.output.error));
    out << CsvLine(cells);
    return static_cast<bool>(out);
  };
  const auto progress = [&](std::size_t done) {
    if (settings.progress != nullptr)
      DrawProgress(*settings.progress, done, settings.rows);
  };
  window.Run([&reader] { return reader.Next(); }, write, progress);
  for (std::thread& worker : workers) worker.join();
  if (settings.progress != nullptr)
    *settings.progress << '\n' << std::flush;
}

std::string RunCensus(std::string_view csv, const CensusSettings& settings) {
  std::istringstream in{std::string(csv)};
  std::ostringstream out;
  RunCensus(in, out, settings);
  return out.str();
}

namespace {

// Opens the census file for reading; throws CensusFileError naming it.
void OpenCensus(const std::filesystem::path& input, std::ifstream& in) {
  std::error_code ignored;
  if (std::filesystem::is_directory(input, ignored)) {
    errno = EISDIR;
  } else {
    in.open(input, std::ios::binary);
    if (in)
      return;
  }
  throw CensusFileError(
      "The census file \"" + input.string() + "\" cannot be read: " + std::strerror(errno),
      input.string());
}

// The records after the header, for the progress bar: one quick pass over the file.
std::size_t CountRows(const std::filesystem::path& input) {
  std::ifstream in;
  OpenCensus(input, in);
  CsvReader reader(in);
  std::size_t records = 0;
  while (reader.Next()) ++records;
  return records > 0 ? records - 1 : 0;
}

}  // namespace

// The values go to a file beside the output, renamed over it once complete: a census that stops
// early (a refused header, a data file gone) leaves an earlier output file as it was.
void RunCensusFile(const std::filesystem::path& input,
                   const std::optional<std::filesystem::path>& output,
                   std::ostream& standard_output, const CensusSettings& settings) {
  std::ifstream in;
  OpenCensus(input, in);
  std::error_code ignored;
  if (output && std::filesystem::equivalent(input, *output, ignored)) {
    throw CensusFileError("The output file \"" + output->string() +
                              "\" is the census file itself, which is read while the values are "
                              "written: choose another",
                          output->string());
  }
  std::filesystem::path partial;
  std::ofstream file;
  if (output) {
    partial = *output;
    partial += ".partial";
    file.open(partial, std::ios::binary | std::ios::trunc);
    if (!file) {
      throw CensusFileError(
          "The output file \"" + output->string() + "\" cannot be written: " + std::strerror(errno),
          output->string());
    }
  }
  try {
    CensusSettings counted = settings;
    // Only a regular file can be read twice: counting the rows of a pipe or FIFO would drain it,
    // so a stream's progress line counts the rows without a whole.
    if (settings.progress != nullptr && counted.rows == 0 &&
        std::filesystem::is_regular_file(input, ignored))
      counted.rows = CountRows(input);
    std::ostream& out = output ? static_cast<std::ostream&>(file) : standard_output;
    RunCensus(in, out, counted);
    out.flush();
    if (in.bad()) {
      throw CensusFileError("The census file \"" + input.string() +
                                "\" could not be read to its end: " + std::strerror(errno),
                            input.string());
    }
    if (output)
      file.close();
    std::error_code renamed;
    if (output && !file.fail())
      std::filesystem::rename(partial, *output, renamed);
    if (!out || (output && (file.fail() || renamed))) {
      throw CensusFileError(
          "The output " + (output ? "file \"" + output->string() + "\"" : std::string("stream")) +
              " could not be written",
          output ? output->string() : std::string());
    }
  } catch (...) {
    if (output) {
      file.close();
      std::filesystem::remove(partial, ignored);
    }
    throw;
  }
}

}  // namespace orvane::census
