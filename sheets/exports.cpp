#include "sheets/exports.h"

#include <algorithm>
#include <array>
#include <cmath>
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

// The headings of columns B..T, in the order of DetailColumn.
constexpr std::array<const char*, valuation::kDetailColumns - 1> kDetailHeadings = {
    "Age",
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
  for (int column = valuation::kPeriodCertainValueColumn;
       column <= valuation::kContingentValueColumn; ++column) {
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

// The months a run wrote that reach the first sheet (rows 2..1440): the last row with an age.
int MonthsOnSheet(const DetailTable& table) {
  for (int row = DetailTable::kRows - 2; row >= 1; --row) {
    if (!std::holds_alternative<std::monostate>(table.Cell(row, valuation::kAgeColumn)))
      return row;
  }
  return 0;
}

double NumberAt(const DetailTable& table, int row, int column) {
  const auto& cell = table.Cell(row, column);
  if (const double* number = std::get_if<double>(&cell))
    return *number;
  if (const long* whole = std::get_if<long>(&cell))
    return static_cast<double>(*whole);
  return 0.0;
}

// Summary sheet layout: labels in A, values in B; the yearly sums in D:E; charts from G on.
constexpr int kYearColumn = 3;   // D
constexpr int kChartColumn = 6;  // G
constexpr int kChartRows = 24;   // a chart 1.25 times the default height and its gap, in rows

// The inputs, the value, the detail's own total and the sensitivities in A:B.
void WriteSummaryFigures(NewWorkbook& book, int sheet, const std::string& detail,
                         const DetailTable& table, const DetailSummary& summary) {
  int row = 0;
  book.WriteCell(row, 0, std::string("Orvane calculation summary"), sheet);
  row += 2;
  book.WriteCell(row++, 0, std::string("Inputs"), sheet);
  for (const auto& [caption, text] : summary.inputs) {
    book.WriteCell(row, 0, caption, sheet);
    book.WriteCell(row++, 1, text, sheet);
  }
  ++row;
  book.WriteCell(row, 0, std::string("Present value"), sheet);
  book.WriteCell(row, 1, summary.value, sheet);
  book.SetNumberFormat(CellRange{row, 1, row, 1}, "###,##0.00", sheet);
  ++row;
  // The detail's own total, live: it follows edits of the first sheet, and differs from the
  // value by the load, which the detail's columns leave out.
  book.WriteCell(row, 0, std::string("Total of the detail (before the load)"), sheet);
  book.WriteFormula(row, 1, "=" + detail + "A12", DetailTotal(table), sheet);
  book.SetNumberFormat(CellRange{row, 1, row, 1}, "###,##0.00", sheet);
  row += 2;

  book.WriteCell(row++, 0, std::string("Sensitivities (rates moved by one basis point)"), sheet);
  for (const valuation::NamedFigure& figure : valuation::FiguresOf(summary.sensitivities)) {
    book.WriteCell(row, 0, std::string(figure.name), sheet);
    if (figure.value && std::isfinite(*figure.value))
      book.WriteCell(row, 1, *figure.value, sheet);
    else
      book.WriteCell(row, 1, std::string("n/a"), sheet);
    ++row;
  }
  constexpr int kFigures = static_cast<int>(valuation::kFigureCount);
  book.SetNumberFormat(CellRange{row - kFigures, 1, row - 1, 1}, "#,##0.0000", sheet);
  if (!summary.basis.empty()) {
    book.WriteCell(++row, 0, std::string("417(e) basis by the plan's terms"), sheet);
    for (const auto& [caption, text] : summary.basis) {
      book.WriteCell(++row, 0, caption, sheet);
      book.WriteCell(row, 1, text, sheet);
    }
  }
  book.FitColumn(0, sheet);
  book.FitColumn(1, sheet, 14);
}

// The expected payments of each year in D:E, live sums of the detail's R:T; returns the years.
// Year n holds months 12n - 11 .. 12n, first-sheet rows 12n - 10 .. 12n + 1 (up to 1440).
int WriteYearlySums(NewWorkbook& book, int sheet, const std::string& detail,
                    const DetailTable& table, int months) {
  const int years = (months + 11) / 12;
  book.WriteCell(0, kYearColumn, std::string("Year"), sheet);
  book.WriteCell(0, kYearColumn + 1, std::string("Expected payments (R:T)"), sheet);
  for (int year = 1; year <= years; ++year) {
    const int first = 12 * year - 10;
    const int last = std::min(12 * year + 1, 1440);
    double cached = 0.0;
    for (int r = first; r <= last; ++r) {
      for (int column = valuation::kPeriodCertainValueColumn;
           column <= valuation::kContingentValueColumn; ++column)
        cached += NumberAt(table, r - 1, column);
    }
    book.WriteCell(year, kYearColumn, static_cast<long>(year), sheet);
    book.WriteFormula(
        year, kYearColumn + 1,
        "=SUM(" + detail + "R" + std::to_string(first) + ":T" + std::to_string(last) + ")", cached,
        sheet);
  }
  book.SetNumberFormat(CellRange{1, kYearColumn + 1, std::max(years, 1), kYearColumn + 1},
                       "###,##0.00", sheet);
  book.FitColumn(kYearColumn + 1, sheet);
  return years;
}

// The three charts, one under the other, right of the columns, each 1.5 times the default width.
void AddSummaryCharts(NewWorkbook& book, int sheet, int months, int years) {
  const auto place = [&book, sheet](Chart chart, int position) {
    chart.row = position * kChartRows;
    chart.column = kChartColumn;
    chart.width_scale = 1.5;
    chart.height_scale = 1.25;
    book.AddChart(chart, sheet);
  };
  const auto month_column = [months](int column) {
    return CellRange{1, column, months, column};  // first-sheet rows 2 .. months + 1
  };
  place(Chart{ChartKind::kColumn,
              "Expected payments of each year (present value)",
              "Year",
              "Sum of R:T",
              "#,##0",
              {ChartSeries{"Expected payments", sheet,
                           CellRange{1, kYearColumn + 1, years, kYearColumn + 1},
                           CellRange{1, kYearColumn, years, kYearColumn}}}},
        0);
  place(Chart{ChartKind::kLine,
              "Lx and Ly by month",
              "Month",
              "Probability of being alive",
              "",
              {ChartSeries{"Lx (participant)", 0, month_column(valuation::kLxColumn), std::nullopt},
               ChartSeries{"Ly (spouse)", 0, month_column(valuation::kLyColumn), std::nullopt}}},
        1);
  place(Chart{ChartKind::kLine,
              "Vx by month",
              "Month",
              "Discount factor",
              "",
              {ChartSeries{"Vx", 0, month_column(valuation::kVxColumn), std::nullopt}}},
        2);
}

void WriteSummarySheet(NewWorkbook& book, const DetailTable& table, const DetailSummary& summary) {
  const int sheet = book.AddSheet("Summary");
  const std::string detail = "'" + book.SheetName(0) + "'!";
  WriteSummaryFigures(book, sheet, detail, table, summary);
  const int months = MonthsOnSheet(table);
  const int years = WriteYearlySums(book, sheet, detail, table, months);
  book.PrintOnOnePage(sheet);
  if (months > 0)  // nothing to draw otherwise
    AddSummaryCharts(book, sheet, months, years);
}

}  // namespace

void WriteDetailHeadings(DetailTable& table, const DetailInputs& inputs) {
  for (int column = valuation::kAgeColumn; column < DetailTable::kColumns; ++column) {
    const auto heading = static_cast<std::size_t>(column - valuation::kAgeColumn);
    table.SetCell(0, column, std::string(kDetailHeadings[heading]));
  }
  const std::array<std::string, 12> block = {
      "Val Date",     inputs.ValuationDate,      "Prim DOB",    inputs.DateOfBirth,
      "Con DOB",      inputs.SpousesDateOfBirth, "Per Certain", inputs.PeriodCertain,
      "Percent Surv", inputs.PercentToSurvivor,  "Value",       kTotalText};
  for (int row = 0; row < static_cast<int>(block.size()); ++row) {
    table.SetCell(row, valuation::kInputColumn, block[static_cast<std::size_t>(row)]);
  }
}

void WriteDetailWorkbook(const std::filesystem::path& file, const DetailTable& table,
                         const DetailSummary& summary) {
  NewWorkbook book(file);
  // Table row 1440 lies outside A1:T1440 and does not reach the sheet.
  book.WriteBlock(CellRange::Parse("A1:T1440"),
                  CellBlock{table.Cells(), DetailTable::kRows, DetailTable::kColumns});
  // Every text of the block went in as a string; the one formula is written as a formula here.
  book.WriteFormula(kTotalRow, valuation::kInputColumn, kTotalFormula, DetailTotal(table));
  book.FitColumn(0);
  book.WrapRow(0);
  for (const RangeFormat& format : kDetailFormats) {
    book.SetNumberFormat(CellRange::Parse(format.range), format.format);
  }
  WriteSummarySheet(book, table, summary);
  book.Close();
}

void WriteMortalityWorkbook(const std::filesystem::path& file, const MortalityColumns& tables) {
  constexpr int kAges = mortality::QTable::kLastAge;  // ages 1..120, one row each
  const std::array<const mortality::QTable*, 4> columns = {
      &tables.PrePrimary, &tables.PreContingent, &tables.PostPrimary, &tables.PostContingent};
  std::vector<Cell> cells;
  cells.reserve(static_cast<std::size_t>(kAges) * 5);
  for (int age = 1; age <= kAges; ++age) {
    cells.emplace_back(static_cast<double>(age));
  }
  for (const mortality::QTable* table : columns) {
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
