// A census: one valuation per participant of a CSV file, each on the form as the plan's entries
// and then the participant's cells leave it, computed on every core.
//
// The file's first record names controls (DateOfBirth, Benefit, Female, ...); every later record
// is one participant. Each worker thread owns one form model, started up and given the plan's
// entries once; before each participant its inputs return to that state, the row's cells are
// entered in the header's order as a user enters them (type or click, then leave the control),
// and one recalculation gives the value. The handlers' own recalculations are skipped: the
// value does not depend on them. Every distinct table is read from the data file once per run
// (tables::TableCache). A row that fails keeps its reason and never stops the run. The rows
// stream from the input to the output through a bounded window, in input order.
//
// Map of this library:
//   census.h          RunCensus and RunCensusFile (this file).
//   census_error.h    a header that names no control; a census or output file that fails.
//   census_rates.h    the RatesOf and PlanYear columns: a row's own month of segment rates.
//   row_window.h      the ordered, bounded pipeline between the reader, the workers and the
//                     writer.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "census/census_error.h"
#include "form/control_entry.h"
#include "form/form_error.h"
#include "form/form_model.h"
#include "segment_rates/lump_sum_basis.h"
#include "segment_rates/segment_rates.h"

namespace orvane::census {

// One entry of the plan, as a Control=Text argument gives it.
using PlanEntry = form::Assignment;

struct CensusSettings {
  form::FormEnvironment
      environment;              // data files and the retry question; its cache is the run's own
  std::vector<PlanEntry> plan;  // entered first, in order, for every participant
  unsigned jobs = 0;            // worker threads; 0: every core
  std::ostream* progress = nullptr;  // when set, a progress bar is drawn there
  std::size_t rows = 0;  // participants, when known: the progress bar's whole (0: a count only)
  // Adds the sensitivities of each value (valuation/sensitivities.h) as the columns Duration,
  // Convexity, DV01, Duration1, Duration2, Duration3 and DurationPost before Error.
  bool sensitivities = false;
  // Segment rates entered into InterestRate1-3 before the plan (orvane-value --rates-of). A row
  // with a RatesOf cell (census/census_rates.h) enters its own month's after the plan instead.
  std::optional<segment_rates::SegmentRates> rates;
  // The plan's terms of the 417(e) basis (orvane-value --stability), applied to every row after
  // its cells, by its own Valuation Date; a row's Stability, Lookback and PlanYearBegins cells
  // take the place of these terms (census/census_rates.h).
  std::optional<segment_rates::PlanTerms> plan_terms;
};

// Values every participant of the CSV read from `in` and writes the output CSV to `out`: the
// header's cells and then each record's, padded with empty cells to the header's width (a longer
// record keeps only the first ones), followed by PresentValue (the results label, empty when the
// row failed), the sensitivities when asked for (empty where the mode has no such figure, for a
// failed row, and for a value without duration) and Error (empty, or the reason), in input order.
// The rows stream through: read, valued on `jobs` threads and written through a window of a
// fixed number of rows, so memory does not grow with the census. A malformed record, one with
// more or fewer cells than the header, and a cell a check box or option button cannot take ("1"
// or "0") make an error row without a value, and so does a RatesOf or PlanYear cell the segment
// rates file has no rates for, and a row whose 417(e) basis cannot be found. Throws
// CensusHeaderError before anything is
// written; tables::DataFileUnavailable when the data file cannot be read at start-up (a row that
// loses it later fails alone); CensusFileError when the header has a RatesOf column and the
// data folder's segment rates file cannot be read or is malformed; FormError for a plan entry
// the controls refuse. Stops reading
// when `out` fails; the caller checks both streams.
void RunCensus(std::istream& in, std::ostream& out, const CensusSettings& settings);

// The same on a whole text, returning the whole output.
std::string RunCensus(std::string_view csv, const CensusSettings& settings);

// Reads `input`, runs the census and writes the result to `output` (replaced) or, without one,
// to `standard_output`. The output file is opened before any row is valued, and may not be the
// input file. With a progress bar the rows are counted first, in a pass over the file. Throws
// CensusFileError when the input cannot be read or the output cannot be written, and what
// RunCensus throws.
void RunCensusFile(const std::filesystem::path& input,
                   const std::optional<std::filesystem::path>& output,
                   std::ostream& standard_output, const CensusSettings& settings);

}  // namespace orvane::census
