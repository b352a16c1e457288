// The two spreadsheet exports of Orvane and the workbook interface behind them.
//
// Map of this library:
//   workbook.h             the small workbook interface: write blocks, cells and number formats
//                          into a new .xlsx; read the used range of an .xls's first sheet.
//   yield_curve_workbook.h the reader of "Full Yield Curve.xls".
//   exports.h (this)       the calculation detail sheet and the mortality table sheet.
//   sheet_error.h          the one error type of the library.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mortality/q_table.h"
#include "valuation/detail_table.h"
#include "valuation/sensitivities.h"

namespace orvane::sheets {

// What the Summary sheet shows beside the charts: every input as the form shows it (caption and
// text, in the form's order), the value of the results label and the sensitivities.
struct DetailSummary {
  std::vector<std::pair<std::string, std::string>> inputs;
  double value = 0.0;
  // How the value moves when the rates move a basis point; an empty or non-finite figure (one
  // the mode has not, or none was computed) shows as "n/a".
  valuation::Sensitivities sensitivities;
  // The 417(e) basis applied by the plan's terms, a caption and a text per line; empty when none
  // was applied or an entry it set has changed since.
  std::vector<std::pair<std::string, std::string>> basis;
};

// Writes the calculation detail workbook at `file`. Its first sheet holds the table's cells in
// A1:T1440 (table row r, column c at sheet row r + 1, column c + 1), the formula =sum(r2:t1440)
// in A12, column A fitted, row 1 wrapped and the number formats of the columns. Its second sheet,
// "Summary", holds `summary`, a column of formulas summing R:T of each year of the first sheet,
// and three charts of the first sheet's cells: those yearly sums, Lx and Ly by month, Vx by
// month. The table must already hold its headings and input block. Throws SheetError.
void WriteDetailWorkbook(const std::filesystem::path& file, const valuation::DetailTable& table,
                         const DetailSummary& summary);

// Fills row 0 (headings) and column 0 rows 0..11 (input labels and field texts, and the total's
// formula text in row 11) of the detail table, as the detail sheet shows them.
struct DetailInputs {
  std::string ValuationDate, DateOfBirth, SpousesDateOfBirth, PeriodCertain, PercentToSurvivor;
};
void WriteDetailHeadings(valuation::DetailTable& table, const DetailInputs& inputs);

// The four tables of a recalculation, in the sheet's column order.
struct MortalityColumns {
  mortality::QTable PrePrimary, PreContingent, PostPrimary, PostContingent;
};

// Writes the mortality sheet into a new workbook at `file`: headings in A1:E1, ages 1..120 and
// the four tables in A2:E121, nothing else. Throws SheetError.
void WriteMortalityWorkbook(const std::filesystem::path& file, const MortalityColumns& tables);

}  // namespace orvane::sheets
