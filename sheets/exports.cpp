#include "sheets/exports.h"

#include <array>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "sheets/workbook.h"

namespace orvane::sheets {
namespace {

using valuation::DetailTable;

// The detail table hands its cells to the sheet as they stand, without a copy into another type.
static_assert(std::is_same_v<Cell, valuation::DetailCell>);

constexpr std::array<const char*, 19> kDetailHeadings = {"Age",
                                                         "Prim Pre Q",
                                                         "Con Pre Q",
                                                         "Prim Post Q",
                                                         "Con Post Q",
                                                         "Prim Pre Annual Q",
                                                         "Con Pre Annual Q",
                                                         "Prim Post Annual Q",
                                                         "Con Post Annual Q",
                                                         "Lx",
                                                         "Ly",
                                                         "Ly-Lx*Ly",
                                                         "Prim Ben",
                                                         "Con Ben",
                                                         "Interest Rate",
                                                         "Vx",
                                                         "Period Certain Value",
                                                         "Prim Value",
                                                         "Con Value"};

// The live total of the three value columns. The sheet keeps it as a formula, so editing a value
// in R2:T1440 changes it; the table's own text is the lower-case form a user would type.
constexpr const char* kTotalText = "=sum(r2:t1440)";
constexpr const char* kTotalFormula = "=SUM(R2:T1440)";
constexpr int kTotalRow = 11;  // A12

// Display formats of the detail sheet, applied in this order (column T keeps the general format).
struct RangeFormat {
  const char* range;
  const char* format;
};
constexpr std::array<RangeFormat, 8> kDetailFormats = {{
    {"B2:B1441", "0.000"},
    {"C2:F1441", "0.00000000"},
    {"G2:M1441", "0.000000"},
    {"N2:O1441", "###,##0.00"},
    {"P2:P1441", "#0.000"},
    {"Q2:Q1441", "0.000000"},
    {"R2:S1441", "###,##0.00"},
    {"A12:A12", "###,##0.00"},
}};

// The value the total shows before the spreadsheet recalculates: table rows 1..1439 of the three
// value columns, the rows that reach R2:T1440.
double DetailTotal(const DetailTable& table) {
  double total = 0.0;
  for (int column = 17; column <= 19; ++column) {
    for (int row = 1; row < DetailTable::kRows - 1; ++row) {
      const auto& cell = table.Cell(row, column);
      if (const double* number = std::get_if<double>(&cell)) {
        total += *number;
      } else if (const long* whole = std::get_if<long>(&cell)) {
        total += static_cast<double>(*whole);
      }
    }
  }
  return total;
}

}  // namespace

void WriteDetailHeadings(DetailTable& table, const DetailInputs& inputs) {
  for (int column = 1; column < DetailTable::kColumns; ++column) {
    table.SetCell(0, column, std::string(kDetailHeadings[static_cast<std::size_t>(column - 1)]));
  }
  const std::array<std::string, 12> block = {
      "Val Date",     inputs.ValuationDate,      "Prim DOB",    inputs.DateOfBirth,
      "Con DOB",      inputs.SpousesDateOfBirth, "Per Certain", inputs.PeriodCertain,
      "Percent Surv", inputs.PercentToSurvivor,  "Value",       kTotalText};
  for (int row = 0; row < static_cast<int>(block.size()); ++row) {
    table.SetCell(row, 0, block[static_cast<std::size_t>(row)]);
  }
}

void WriteDetailWorkbook(const std::filesystem::path& file, const DetailTable& table) {
  NewWorkbook book(file);
  // Table row 1440 lies outside A1:T1440 and does not reach the sheet.
  book.WriteBlock(CellRange::Parse("A1:T1440"),
                  CellBlock{table.Cells(), DetailTable::kRows, DetailTable::kColumns});
  // Every text of the block went in as a string; the one formula is written as a formula here.
  book.WriteFormula(kTotalRow, 0, kTotalFormula, DetailTotal(table));
  book.FitColumn(0);
  book.WrapRow(0);
  for (const RangeFormat& format : kDetailFormats) {
    book.SetNumberFormat(CellRange::Parse(format.range), format.format);
  }
  book.Close();
}

void WriteMortalityWorkbook(const std::filesystem::path& file, const MortalityColumns& tables) {
  constexpr int kAges = valuation::QTable::kLastAge;  // ages 1..120, one row each
  const std::array<const valuation::QTable*, 4> columns = {
      &tables.PrePrimary, &tables.PreContingent, &tables.PostPrimary, &tables.PostContingent};
  std::vector<Cell> cells;
  cells.reserve(static_cast<std::size_t>(kAges) * 5);
  for (int age = 1; age <= kAges; ++age) {
    cells.emplace_back(static_cast<double>(age));
  }
  for (const valuation::QTable* table : columns) {
    for (int age = 1; age <= kAges; ++age) {
      cells.emplace_back(table->at(age));
    }
  }
  NewWorkbook book(file);
  book.WriteBlock(CellRange::Parse("A2:E121"), CellBlock{cells, kAges, 5});
  const std::array<const char*, 5> headings = {"Age", "Prim Pre", "Con Pre", "Prim Post",
                                               "Con Post"};
  for (int column = 0; column < 5; ++column) {
    book.WriteCell(0, column, std::string(headings[static_cast<std::size_t>(column)]));
  }
  book.Close();
}

}  // namespace orvane::sheets
