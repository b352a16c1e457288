// orvane-value: the valuation form without a window. It starts from the start-up state, applies
// each Control=Text argument as a user would (type or click, then leave the control), runs one
// recalculation and prints the results label. With --census it values every row of a CSV file
// instead (census/census.h).
//
// Exit status: 0 with the value on stdout; 1 when the recalculation, the data file, the segment
// rates file or an export fails (the reason on stderr); 2 for a malformed command line (usage on
// stderr) and for a --rates-of month or --plan-year the segment rates file has no rates for (the
// reason alone). A census exits 0 when it completed, failed rows included; 1 when its files
// cannot be read or written; 2 for a header that names no control.
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "census/census.h"
#include "form/control_entry.h"
#include "form/controls.h"
#include "tables/data_folder.h"
#include "form/form_error.h"
#include "form/form_model.h"
#include "form/segment_rate_entry.h"
#include "numbers/number_text.h"
#include "segment_rates/lump_sum_basis.h"
#include "segment_rates/segment_rates.h"
#include "tables/table_error.h"
#include "text/text.h"

namespace {

using orvane::form::Control;
using orvane::form::ControlKind;

constexpr std::string_view kUsage =
    "usage: orvane-value [--tables FILE] [--dir DIR] [--sensitivity] [--form]\n"
    "                    [--export-detail FILE.xlsx] [--export-mortality FILE.xlsx]\n"
    "                    [--rates-of YYYY-MM [--plan-year YYYY]]\n"
    "                    [--stability KIND --lookback N [--plan-year-begins M]] [Control=Text "
    "...]\n"
    "       orvane-value --census IN.csv [--out OUT.csv] [--jobs N] [--sensitivity]\n"
    "                    [--tables FILE] [--dir DIR] [--rates-of YYYY-MM [--plan-year YYYY]]\n"
    "                    [--stability KIND --lookback N [--plan-year-begins M]] [Control=Text "
    "...]\n"
    "       orvane-value --help\n"
    "  Starts from the form's start-up state, applies each Control=Text in order as a user\n"
    "  would (a text field or chooser takes the text, a check box or option button 1 or 0; then\n"
    "  the control is left), recalculates once and prints the value.\n"
    "  --dir DIR     folder of MortalityTables and Full Yield Curve.xls (default: . when it\n"
    "                holds a MortalityTables, else the installed data folder)\n"
    "  --tables FILE the mortality table data file itself\n"
    "  --sensitivity also print Duration, Convexity, DV01 and the partial durations of the\n"
    "                mode (a census: as columns before Error)\n"
    "  --form        also print every control as Control=Text, check boxes and options as 1/0\n"
    "  --rates-of YYYY-MM  enter that month's 417(e) segment rates from the data folder's\n"
    "                \"417e Segment Rates.csv\" into InterestRate1-3 before the Control=Text\n"
    "                entries; --plan-year YYYY picks the plan year of a month that has several\n"
    "  --stability KIND --lookback N [--plan-year-begins M]\n"
    "                the 417(e) lump sum basis by the plan's terms, applied after the "
    "Control=Text\n"
    "                entries, the Valuation Date being the annuity starting date: the lookback\n"
    "                month's segment rates as a yield curve with periods 5 and 15, and the 417(e)\n"
    "                table of the year the stability period begins for both post-retirement\n"
    "                lives. KIND is month, calendar-quarter, plan-quarter, calendar-year or\n"
    "                plan-year; N the 1st to 5th full month before the stability period; M the\n"
    "                plan year's first month, 1 to 12 (default 1)\n"
    "  --census IN   value every row of IN.csv: its header names controls, each row's cells\n"
    "                are entered after the Control=Text arguments; the rows are written with\n"
    "                PresentValue and Error to stdout or OUT.csv, N threads (default: every "
    "core); the columns RatesOf and PlanYear, or Stability, Lookback and\n"
    "                PlanYearBegins, give a row its own segment rates or plan's terms\n"
    "Exit status: 0 valued; 1 the valuation, a data file or an export failed; 2 a malformed\n"
    "command line, a month or plan year without rates, or a 417(e) basis that cannot be found.\n";

using orvane::form::Assignment;

struct Arguments {
  std::optional<std::filesystem::path> tables;
  std::optional<std::filesystem::path> dir;
  bool form = false;
  bool sensitivity = false;
  std::optional<std::filesystem::path> export_detail;
  std::optional<std::filesystem::path> export_mortality;
  std::vector<Assignment> assignments;
  std::optional<std::filesystem::path> census;
  std::optional<std::filesystem::path> out;
  unsigned jobs = 0;  // 0: every core
  std::optional<orvane::dates::Month> rates_of;
  std::optional<int> plan_year;
  std::optional<orvane::segment_rates::StabilityPeriod> stability;
  std::optional<int> lookback;
  std::optional<int> plan_year_begins;
  bool help = false;
};

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A refused 417(e) basis option: one sentence, without the usage.
struct BasisRefusal : UsageError {
  using UsageError::UsageError;
};

unsigned ParseJobs(const std::string& text) {
  unsigned jobs = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
  if (error != std::errc() || end != text.data() + text.size() || jobs == 0 || jobs > 1024)
    throw UsageError("--jobs takes a number of threads from 1 to 1024, not \"" + text + "\"");
  return jobs;
}

// A Control=Text argument, read as the form reads it; the usage error adds what a button needs.
Assignment ParseAssignment(const std::string& argument) {
  try {
    return orvane::form::ParseAssignment(argument);
  } catch (const orvane::form::FormError& e) {
    const std::optional<Control> control = e.control();
    if (control && orvane::form::KindOf(*control) == ControlKind::kButton)
      throw UsageError(std::string(e.what()) + "; use --export-detail or --export-mortality");
    throw UsageError(e.what());
  }
}

// The whole number `text` from `low` to `high`, for `option`.
int ParseWhole(const std::string& option, const std::string& text, int low, int high,
               const char* allowed) {
  const std::optional<int> number = orvane::text::WholeNumber(text);
  if (!number || *number < low || *number > high)
    throw BasisRefusal(option + " takes " + allowed + ", not \"" + text + "\"");
  return *number;
}

// The plan's terms the options give, when they give them.
std::optional<orvane::segment_rates::PlanTerms> PlanTermsOf(const Arguments& arguments) {
  if (!arguments.stability)
    return std::nullopt;
  return orvane::segment_rates::PlanTerms{*arguments.stability, *arguments.lookback,
                                          arguments.plan_year_begins.value_or(1)};
}

Arguments ParseArguments(int argc, char** argv) {
  Arguments arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc)
        throw UsageError(argument + " needs a value");
      return argv[++i];
    };
    if (argument == "--tables") {
      arguments.tables = value();
    } else if (argument == "--dir") {
      arguments.dir = value();
    } else if (argument == "--form") {
      arguments.form = true;
    } else if (argument == "--sensitivity") {
      arguments.sensitivity = true;
    } else if (argument == "--export-detail") {
      arguments.export_detail = value();
    } else if (argument == "--export-mortality") {
      arguments.export_mortality = value();
    } else if (argument == "--census") {
      arguments.census = value();
    } else if (argument == "--out") {
      arguments.out = value();
    } else if (argument == "--jobs") {
      arguments.jobs = ParseJobs(value());
    } else if (argument == "--rates-of") {
      const std::string month = value();
      arguments.rates_of = orvane::dates::ParseMonth(month);
      if (!arguments.rates_of)
        throw UsageError("--rates-of takes a month written YYYY-MM, not \"" + month + "\"");
    } else if (argument == "--plan-year") {
      const std::string year = value();
      arguments.plan_year = orvane::segment_rates::ParsePlanYear(year);
      if (!arguments.plan_year)
        throw UsageError("--plan-year takes a year written YYYY, not \"" + year + "\"");
    } else if (argument == "--stability") {
      const std::string kind = value();
      arguments.stability = orvane::segment_rates::ParseStabilityPeriod(kind);
      if (!arguments.stability) {
        throw BasisRefusal("--stability takes " +
                           std::string(orvane::segment_rates::kStabilityPeriodNames) + ", not \"" +
                           kind + "\"");
      }
    } else if (argument == "--lookback") {
      arguments.lookback = ParseWhole(argument, value(), 1, 5, "a month from 1 to 5");
    } else if (argument == "--plan-year-begins") {
      arguments.plan_year_begins = ParseWhole(argument, value(), 1, 12, "a month from 1 to 12");
    } else if (argument == "--help") {
      arguments.help = true;
    } else if (argument.starts_with("--")) {
      throw UsageError("unknown option " + argument);
    } else {
      arguments.assignments.push_back(ParseAssignment(argument));
    }
  }
  if (arguments.census &&
      (arguments.form || arguments.export_detail || arguments.export_mortality)) {
    throw UsageError("--census writes values only: --form and the exports are for one valuation");
  }
  if (!arguments.census && (arguments.out || arguments.jobs != 0))
    throw UsageError("--out and --jobs need --census");
  if (arguments.plan_year && !arguments.rates_of)
    throw UsageError("--plan-year needs --rates-of");
  if (arguments.stability.has_value() != arguments.lookback.has_value())
    throw BasisRefusal("--stability and --lookback go together: the basis needs both terms");
  if (arguments.plan_year_begins && !arguments.stability)
    throw BasisRefusal("--plan-year-begins needs --stability and --lookback");
  if (arguments.stability && arguments.rates_of) {
    throw BasisRefusal("--stability finds the month of segment rates itself: leave out --rates-of");
  }
  return arguments;
}

void PrintForm(const orvane::form::FormModel& form) {
  for (int i = 0; i < orvane::form::kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    const std::string_view name = orvane::form::NameOf(control);
    switch (orvane::form::KindOf(control)) {
      case ControlKind::kTextField:
      case ControlKind::kTableChooser:
        std::cout << name << '=' << form.Text(control) << '\n';
        break;
      case ControlKind::kCheckBox:
      case ControlKind::kOptionButton:
        std::cout << name << '=' << (form.Checked(control) ? '1' : '0') << '\n';
        break;
      case ControlKind::kButton:
        break;
    }
  }
}

// One Name=figure line for each figure of the mode, every digit that tells the double apart; a
// figure that cannot be given has an empty line and its reason goes to stderr.
void PrintSensitivities(const orvane::valuation::Sensitivities& figures) {
  for (const orvane::valuation::NamedFigure& figure : orvane::valuation::FiguresOf(figures)) {
    if (!figure.of_mode)
      continue;
    std::cout << figure.name << '=';
    if (figure.value)
      std::cout << orvane::numbers::ShortestText(*figure.value);
    std::cout << '\n';
  }
  if (!figures.missing.empty())
    std::cerr << figures.missing << '\n';
}

orvane::form::FormEnvironment EnvironmentOf(const Arguments& arguments) {
  orvane::form::FormEnvironment environment;
  if (arguments.dir) {
    environment.data_dir = *arguments.dir;
  } else if (!arguments.tables) {
    // As the window does: the current directory, or the installed data when it has none.
    environment.data_dir =
        orvane::tables::DataFolder(".", orvane::tables::InstalledDataFolder(ORVANE_DATA_DIR_FROM_BIN));
  }
  if (arguments.tables) {
    // Named on the command line, so taken from the working directory, not from --dir.
    environment.tables_file = std::filesystem::absolute(*arguments.tables);
  }
  // A tool cannot wait on a question: the data file is unavailable, and that is the answer.
  environment.ask_retry = [] { return orvane::tables::RetryAnswer::kCancel; };
  environment.with_sensitivities = arguments.sensitivity;
  return environment;
}

// The segment rates --rates-of names, from the data folder's file. Throws
// SegmentRatesFileError and SegmentRatesLookupError.
std::optional<orvane::segment_rates::SegmentRates> RatesOf(
    const Arguments& arguments, const orvane::form::FormEnvironment& environment) {
  if (!arguments.rates_of)
    return std::nullopt;
  return orvane::segment_rates::SegmentRateFile::Read(orvane::form::SegmentRatesPath(environment))
      .Of(*arguments.rates_of, arguments.plan_year);
}

int RunCensus(const Arguments& arguments) {
  orvane::census::CensusSettings settings;
  settings.environment = EnvironmentOf(arguments);
  settings.rates = RatesOf(arguments, settings.environment);
  settings.plan_terms = PlanTermsOf(arguments);
  for (const Assignment& assignment : arguments.assignments) {
    settings.plan.push_back({assignment.control, assignment.text});
  }
  settings.jobs = arguments.jobs;
  settings.sensitivities = arguments.sensitivity;
  if (::isatty(STDERR_FILENO) == 1)
    settings.progress = &std::cerr;
  try {
    orvane::census::RunCensusFile(*arguments.census, arguments.out, std::cout, settings);
  } catch (const orvane::census::CensusHeaderError& e) {
    std::cerr << "orvane-value: " << e.what() << '\n' << kUsage;
    return 2;
  } catch (const orvane::census::CensusFileError& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  return 0;
}

int Run(const Arguments& arguments) {
  if (arguments.census)
    return RunCensus(arguments);
  const orvane::form::FormEnvironment environment = EnvironmentOf(arguments);
  const std::optional<orvane::segment_rates::SegmentRates> rates = RatesOf(arguments, environment);
  orvane::form::FormModel form(environment);
  form.Load();
  if (rates)
    orvane::form::EnterSegmentRates(form, *rates);
  for (const Assignment& assignment : arguments.assignments) {
    orvane::form::EnterControlText(form, assignment.control, assignment.text);
  }
  if (const auto terms = PlanTermsOf(arguments)) {
    // After the entries, whose Valuation Date it reads; it recalculates itself.
    const auto file =
        orvane::segment_rates::SegmentRateFile::Read(orvane::form::SegmentRatesPath(environment));
    try {
      orvane::form::ApplyLumpSumBasis(form, *terms, file);
    } catch (const orvane::form::FormError& e) {
      std::cerr << e.what() << '\n';
      return 2;
    }
  } else {
    form.Calculate();
  }
  const bool calculated = form.Failure().empty();
  if (calculated) {
    std::cout << form.Result() << '\n';
    if (arguments.sensitivity)
      PrintSensitivities(*form.Sensitivities());
  } else {
    std::cerr << form.Failure() << '\n';
  }
  if (arguments.form)
    PrintForm(form);
  std::cout.flush();
  if (!calculated)
    return 1;

  try {
    if (arguments.export_detail)
      form.ExportDetail(*arguments.export_detail);
    if (arguments.export_mortality)
      form.ExportMortality(*arguments.export_mortality);
  } catch (const orvane::tables::DataFileUnavailable&) {
    throw;
  } catch (const std::runtime_error& e) {
    // Every error type of Orvane's libraries is a std::runtime_error with a message for the user.
    std::cerr << e.what() << '\n';
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  try {
    arguments = ParseArguments(argc, argv);
  } catch (const BasisRefusal& e) {
    std::cerr << "orvane-value: " << e.what() << '\n';
    return 2;
  } catch (const UsageError& e) {
    std::cerr << "orvane-value: " << e.what() << '\n' << kUsage;
    return 2;
  }
  if (arguments.help) {
    std::cout << kUsage;
    return 0;
  }
  try {
    return Run(arguments);
  } catch (const orvane::tables::DataFileUnavailable& e) {
    std::cerr << e.what() << '\n';
    return 1;
  } catch (const orvane::segment_rates::SegmentRatesFileError& e) {
    std::cerr << e.what() << '\n';
    return 1;
  } catch (const orvane::segment_rates::SegmentRatesLookupError& e) {
    // A month or plan year the file does not have is a wrong argument.
    std::cerr << e.what() << '\n';
    return 2;
  }
}
