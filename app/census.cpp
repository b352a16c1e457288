#include "app/census.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <thread>

#include "app/census_csv.h"
#include "app/control_entry.h"
#include "tables/table_cache.h"
#include "tables/table_error.h"

namespace orvane::app {
namespace {

// Rows a worker takes at a time: few enough to keep both cores busy to the end, enough to keep
// the shared counter out of the way.
constexpr std::size_t kRowsPerTake = 8;

struct RowOutcome {
  std::string value;
  std::string error;
};

// What a participant's row starts from: the form after start-up and the plan's entries.
struct FormInputs {
  std::array<std::string, kControlCount> texts;
  std::array<bool, kControlCount> checked{};
};

bool HoldsText(Control control) {
  const ControlKind kind = KindOf(control);
  return kind == ControlKind::kTextField || kind == ControlKind::kTableChooser;
}

FormInputs InputsOf(const FormModel& form) {
  FormInputs inputs;
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    if (HoldsText(control)) {
      inputs.texts[static_cast<std::size_t>(i)] = form.Text(control);
    } else if (KindOf(control) != ControlKind::kButton) {
      inputs.checked[static_cast<std::size_t>(i)] = form.Checked(control);
    }
  }
  return inputs;
}

// Puts the inputs back as they were, through the form's own setters; only controls that differ
// are written.
void RestoreInputs(FormModel& form, const FormInputs& inputs) {
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    const auto index = static_cast<std::size_t>(i);
    switch (KindOf(control)) {
      case ControlKind::kTextField:
      case ControlKind::kTableChooser:
        if (form.Text(control) != inputs.texts[index])
          form.SetText(control, inputs.texts[index]);
        break;
      case ControlKind::kCheckBox:
        form.SetChecked(control, inputs.checked[index]);
        break;
      case ControlKind::kOptionButton:
        // Turning the saved button of each group on turns the others off.
        if (inputs.checked[index])
          form.SetChecked(control, true);
        break;
      case ControlKind::kButton:
        break;
    }
  }
}

std::vector<Control> ColumnsOf(const std::vector<CsvRecord>& records) {
  if (records.empty())
    throw CensusHeaderError("the census has no header row naming its columns");
  const CsvRecord& header = records.front();
  if (!header.error.empty())
    throw CensusHeaderError("the header row is malformed: " + header.error);
  std::vector<Control> columns;
  for (const std::string& cell : header.cells) {
    const std::size_t first = cell.find_first_not_of(" \t");
    const std::string name = first == std::string::npos
                                 ? ""
                                 : cell.substr(first, cell.find_last_not_of(" \t") + 1 - first);
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
  RowValuer(FormModel& form, const std::vector<Control>& columns)
      : form_(form), columns_(columns), start_(InputsOf(form)) {}

  RowOutcome Value(const CsvRecord& record) {
    if (!record.error.empty())
      return {"", record.error};
    if (record.cells.size() != columns_.size()) {
      return {"", LinePrefix(record.line) + std::to_string(record.cells.size()) +
                      " cells, the header has " + std::to_string(columns_.size())};
    }
    for (std::size_t j = 0; j < columns_.size(); ++j) {
      const std::string refusal = EntryRefusal(columns_[j], record.cells[j]);
      if (!refusal.empty())
        return {"", LinePrefix(record.line) + refusal};
    }
    try {
      RestoreInputs(form_, start_);
      for (std::size_t j = 0; j < columns_.size(); ++j) {
        EnterControlText(form_, columns_[j], record.cells[j]);
      }
      form_.Calculate();
    } catch (const std::exception& e) {
      // The data file lost in the middle of the run, or worse: this row fails, the others go on.
      return {"", e.what()};
    }
    if (!form_.Failure().empty())
      return {"", form_.Failure()};
    return {form_.Result(), ""};
  }

 private:
  FormModel& form_;
  const std::vector<Control>& columns_;
  FormInputs start_;
};

void DrawProgress(std::ostream& out, std::size_t done, std::size_t total) {
  constexpr int kWidth = 40;
  const std::size_t filled = total == 0 ? kWidth : done * kWidth / total;
  std::string bar(filled, '#');
  bar.resize(kWidth, '.');
  const std::size_t percent = total == 0 ? 100 : done * 100 / total;
  out << "\r[" << bar << "] " << percent << "% " << done << '/' << total << " rows" << std::flush;
}

}  // namespace

std::string RunCensus(std::string_view csv, const CensusSettings& settings) {
  const std::vector<CsvRecord> records = ParseCensusCsv(csv);
  const std::vector<Control> columns = ColumnsOf(records);
  for (const PlanEntry& entry : settings.plan) {
    const std::string refusal = EntryRefusal(entry.control, entry.text);
    if (!refusal.empty())
      throw FormError(refusal);
  }
  const std::size_t rows = records.size() - 1;

  tables::TableCache own_cache;
  FormEnvironment environment = settings.environment;
  if (environment.table_cache == nullptr)
    environment.table_cache = &own_cache;
  environment.recalculate_only_on_request = true;

  unsigned jobs = settings.jobs != 0 ? settings.jobs : std::thread::hardware_concurrency();
  jobs = static_cast<unsigned>(std::clamp<std::size_t>(rows, 1, std::max(jobs, 1u)));

  // Started on this thread, so that a data file missing at start-up ends the run here.
  std::vector<std::unique_ptr<FormModel>> forms;
  std::vector<std::unique_ptr<RowValuer>> valuers;
  for (unsigned k = 0; k < jobs; ++k) {
    forms.push_back(std::make_unique<FormModel>(environment));
    forms.back()->Load();
    for (const PlanEntry& entry : settings.plan) {
      EnterControlText(*forms.back(), entry.control, entry.text);
    }
    valuers.push_back(std::make_unique<RowValuer>(*forms.back(), columns));
  }

  std::vector<RowOutcome> outcomes(rows);
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  const auto work = [&](RowValuer& valuer) {
    for (;;) {
      const std::size_t begin = next.fetch_add(kRowsPerTake);
      if (begin >= rows)
        return;
      const std::size_t end = std::min(rows, begin + kRowsPerTake);
      for (std::size_t i = begin; i < end; ++i) {
        outcomes[i] = valuer.Value(records[i + 1]);
      }
      done.fetch_add(end - begin);
    }
  };
  std::vector<std::thread> workers;
  for (unsigned k = 0; k < jobs; ++k) {
    workers.emplace_back(work, std::ref(*valuers[k]));
  }
  if (settings.progress != nullptr) {
    while (done.load() < rows) {
      DrawProgress(*settings.progress, done.load(), rows);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  for (std::thread& worker : workers) worker.join();
  if (settings.progress != nullptr) {
    DrawProgress(*settings.progress, rows, rows);
    *settings.progress << '\n' << std::flush;
  }

  std::vector<std::string> cells = records.front().cells;
  cells.push_back("PresentValue");
  cells.push_back("Error");
  std::string output = CsvLine(cells);
  for (std::size_t i = 0; i < rows; ++i) {
    cells = records[i + 1].cells;
    cells.resize(columns.size());
    cells.push_back(std::move(outcomes[i].value));
    cells.push_back(std::move(outcomes[i].error));
    output += CsvLine(cells);
  }
  return output;
}

void RunCensusFile(const std::filesystem::path& input,
                   const std::optional<std::filesystem::path>& output,
                   std::ostream& standard_output, const CensusSettings& settings) {
  std::string text;
  {
    std::error_code ignored;
    std::ifstream in(input, std::ios::binary);
    std::ostringstream content;
    if (in && !std::filesystem::is_directory(input, ignored))
      content << in.rdbuf();
    if (!in || std::filesystem::is_directory(input, ignored) || in.bad()) {
      throw CensusFileError("The census file \"" + input.string() +
                            "\" cannot be read: " + std::strerror(errno));
    }
    text = content.str();
  }

  std::ofstream file;
  if (output) {
    file.open(*output, std::ios::binary | std::ios::trunc);
    if (!file) {
      throw CensusFileError("The output file \"" + output->string() +
                            "\" cannot be written: " + std::strerror(errno));
    }
  }
  const std::string result = RunCensus(text, settings);
  std::ostream& out = output ? static_cast<std::ostream&>(file) : standard_output;
  out << result << std::flush;
  if (output)
    file.close();
  if (!out || (output && file.fail())) {
    throw CensusFileError("The output " +
                          (output ? "file \"" + output->string() + "\"" : std::string("stream")) +
                          " could not be written");
  }
}

}  // namespace orvane::app
