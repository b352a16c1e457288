// Tests of the sheets library and of the calculation detail it exports. What the exports hold,
// cell by cell, is read back by check_exported_workbooks.py with openpyxl and in LibreOffice.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "sheets/exports.h"
#include "sheets/sheet_error.h"
#include "sheets/workbook.h"
#include "sheets/yield_curve_workbook.h"
#include "valuation/detail_table.h"
#include "valuation/valuation_engine.h"

namespace orvane::sheets {
namespace {

namespace fs = std::filesystem;
using valuation::DetailCell;
using valuation::DetailTable;
const fs::path kFixtures = ORVANE_SHEETS_FIXTURES, kSourceDir = ORVANE_SOURCE_ROOT;

template <typename Error = SheetError>
std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "no error";
}

// Each action throws a SheetError whose message begins with its text (the whole message where
// the writing library adds no reason of its own).
void ExpectErrors(const std::vector<std::pair<std::function<void()>, std::string>>& cases) {
  for (const auto& [action, message] : cases)
    EXPECT_EQ(ErrorOf(action).substr(0, message.size()), message);
}

TEST(CellRange, ParsesAndLabelsCellsAndRefusesMalformedNames) {
  const std::vector<std::pair<std::string, std::vector<int>>> cases = {
      {"A1", {0, 0, 0, 0}},         {"A12", {11, 0, 11, 0}},
      {"Z201", {200, 25, 200, 25}}, {"AA201", {200, 26, 200, 26}},
      {"ZZ9", {8, 701, 8, 701}},    {"A1048576", {1048575, 0, 1048575, 0}},
      {"C2:f1441", {1, 2, 1440, 5}}};
  for (const auto& [name, corners] : cases) {
    const CellRange r = CellRange::Parse(name);
    EXPECT_EQ(std::vector<int>({r.first_row, r.first_column, r.last_row, r.last_column}), corners);
    EXPECT_EQ(CellLabel(corners[0], corners[1]), name.substr(0, name.find(':')));
  }
  EXPECT_EQ(CellLabel(0, 702), "AAA1");
  EXPECT_EQ(std::make_pair(CellRange::Parse("A1:T1440").Rows(), CellRange{2, 1, 5, 20}.Columns()),
            std::make_pair(1440, 20));
  for (const char* bad : {"", "A", "1", "A0", "A01", "AAA1", "A1:", "A1:B", "B2:A1", "A2:B1",
                          "A1-B2", "A1:B2:C3", "A1048577", " A1", "$A$1"})
    EXPECT_EQ(ErrorOf([&] { CellRange::Parse(bad); }),
              "\"" + std::string(bad) + "\" is not a cell or a rectangle of cells");
}

TEST(NewWorkbook, RefusesWhatAWorkbookCannotHoldAndWritesOnlyAtClose) {
  const fs::path dir = kFixtures / "new_workbook";  // written afresh by this test
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path file = dir / "refused.xlsx", overlong = dir / "overlong.xlsx";
  const fs::path unreachable = dir / "no such folder" / "detail.xlsx";
  const std::string of = " of \"" + file.string() + "\"";
  NewWorkbook book(file), refused(overlong);
  const std::vector<Cell> cells = {1.0, 2.0, 3.0, std::numeric_limits<double>::infinity()};
  const CellBlock square{cells, 2, 2}, three_rows{cells, 3, 2};
  DetailTable table;
  table.SetCell(4, 2, std::nan(""));
  Chart chart, on_sheet_6;
  on_sheet_6.series.push_back(ChartSeries{"Vx", 5, CellRange::Parse("Q2:Q13"), std::nullopt});
  // A text longer than a cell holds (32,767 characters) is refused when the file is written.
  refused.WriteCell(6, 2, std::string(40000, 'x'));
  ExpectErrors({
      {[&] { book.WriteCell(2, 1, std::nan("")); },
       "the number for cell B3" + of + " is not finite"},
      {[&] { book.WriteBlock(CellRange::Parse("C5:D6"), square); },
       "the number for cell D6" + of + " is not finite"},
      {[&] { book.WriteCell(0, 0, -1e308); },
       "the number for cell A1" + of + " is too large for a workbook"},
      {[&] { book.WriteFormula(0, 3, "=1/0", std::nan("")); }, "the number for cell D1" + of},
      {[&] { book.WriteBlock(CellRange::Parse("A1:B2"), three_rows); },
       "a block of 4 cells is not 3 rows by 2 columns"},
      {[&] { book.WriteCell(-1, 0, 1.0); }, "row -1, column 0 lies outside the sheet" + of},
      {[&] { book.WriteCell(0, 16384, 1.0); }, "row 0, column 16384 lies outside the sheet"},
      {[&] { book.WriteCell(1048576, 0, 1.0); }, "row 1048576, column 0 lies outside the sheet"},
      {[&] { book.AddSheet(""); }, "cannot write the sheet \"\"" + of + ": a sheet needs a name"},
      {[&] { book.AddSheet("Sheet1"); }, "cannot write the sheet \"Sheet1\"" + of + ": "},
      {[&] { book.WriteCell(0, 0, 1.0, 1); },
       "the workbook \"" + file.string() + "\" has no sheet 2"},
      {[&] { book.AddChart(chart); }, "the chart \"\" has no series"},
      {[&] { book.AddChart(on_sheet_6); }, "the workbook \"" + file.string() + "\" has no sheet 6"},
      {[&] { WriteDetailWorkbook(dir / "detail.xlsx", table, {}); }, "the number for cell C5 "},
      {[&] { refused.Close(); }, "cannot write cell C7 of \"" + overlong.string() + "\": "},
      {[&] { WriteMortalityWorkbook(unreachable, {}); },
       "cannot write the workbook \"" + unreachable.string() + "\": "},
  });
  book.WriteCell(1048575, 16383, 1.0);  // XFD1048576, the last cell
  EXPECT_EQ(fs::is_empty(dir), true);   // nothing written before Close
  book.Close();
  EXPECT_GT(fs::file_size(file), 0u);
  ExpectErrors(
      {{[&] { book.Close(); }, "the workbook \"" + file.string() + "\" is already closed"}});
}

TEST(YieldCurveWorkbook, ReadsCurvesByColumnAndHalfYearsByRowEmptyCellsAsZero) {
  const UsedRange sheet = ReadFirstSheet(kFixtures / "gaps.xls");
  EXPECT_EQ(std::make_pair(sheet.rows, sheet.columns), std::make_pair(51, 3));
  EXPECT_EQ(std::get<std::string>(sheet.At(0, 0)), "Half-year");
  for (const auto& [row, column] : {std::pair{4, 1}, {0, 3}, {-1, 0}, {0, -1}})
    EXPECT_TRUE(std::holds_alternative<std::monostate>(sheet.At(row, column)));
  const auto graded = ReadYieldCurveWorkbook(kFixtures / "graded.xls");
  ASSERT_EQ(graded.CurveCount(), 60);
  // B2, G3, AP101 and BI201: curve i at half-year h holds i/100 + h/10000.
  EXPECT_EQ(std::vector<double>(
                {graded.Rate(1, 1), graded.Rate(6, 2), graded.Rate(41, 100), graded.Rate(60, 200)}),
            std::vector<double>({0.0101, 0.0602, 0.42, 0.62}));
  const auto gaps = ReadYieldCurveWorkbook(kFixtures / "gaps.xls");
  ASSERT_EQ(gaps.CurveCount(), 2);
  // B4; B5 empty; C2 the whole number 1; B51; beyond the used range.
  EXPECT_EQ(std::vector<double>({gaps.Rate(1, 3), gaps.Rate(1, 4), gaps.Rate(2, 1),
                                 gaps.Rate(1, 50), gaps.Rate(1, 51), gaps.Rate(2, 200)}),
            std::vector<double>({0.04, 0.0, 1.0, 0.04, 0.0, 0.0}));
}

TEST(YieldCurveWorkbook, RefusesTextCellsAndMissingCorruptOrReaderCrashingWorkbooks) {
  const auto read = [](const fs::path& file) { return [file] { ReadYieldCurveWorkbook(file); }; };
  const auto unreadable = [](const fs::path& file) {
    return "cannot read the workbook \"" + file.string() + "\": ";
  };
  const fs::path text_cell = kFixtures / "text_cell.xls", labels = kFixtures / "labels_only.xls",
                 missing = kFixtures / "missing.xls", empty = kFixtures / "empty.xls";
  std::vector<std::pair<std::function<void()>, std::string>> cases = {
      {read(text_cell), "cell D17 of the yield curve workbook \"" + text_cell.string() +
                            "\" holds the text \"n/a\", not a spot rate"},
      {read(labels), "the yield curve workbook \"" + labels.string() +
                         "\" holds no curve: its first sheet has no column after A"},
      {read(missing), unreadable(missing) + "the file does not exist or cannot be opened"},
      {read(kFixtures / "truncated.xls"), unreadable(kFixtures / "truncated.xls")},
      {read(empty),
       unreadable(empty) + "it is not a readable Excel 97-2003 workbook (.xls) (code -8)"},
  };
  // Workbooks on which the reading library itself faults (found by fuzzing; the fault shows as
  // "the file is damaged" where a sanitizer stops the reading child).
  for (const char* name :
       {"freexl_heap_overread.xls", "freexl_iconv_stack_overread.xls", "freexl_invalid_free.xls"}) {
    const fs::path file = kSourceDir / "tests" / "sheets" / "regressions" / name;
    cases.emplace_back(read(file), unreadable(file));
  }
  ExpectErrors(cases);
  EXPECT_EQ(ReadYieldCurveWorkbook(kFixtures / "graded.xls").CurveCount(), 60);  // still usable
}

TEST(DetailTable, KeepsRowsUpTo1440ClearsMonthsAndRefusesCellsOutside) {
  DetailTable table;
  table.SetCell(0, 5, std::string("Con Post Q"));
  table.SetCell(4, 0, std::string("7/1/1943"));
  table.OnMonthStart(valuation::MonthStart{1440, 64.5});
  table.OnPayment(valuation::MonthPayment{1440, true, false, 10.0, 0.0, 0.0, 5.0, 0.0});
  EXPECT_EQ(std::make_pair(table.Cell(1440, 1), table.Cell(1440, 18)),
            std::make_pair(DetailCell(64.5), DetailCell(5.0)));
  const auto before = table.Cells();
  table.OnMonthStart(valuation::MonthStart{1441, 70.0});
  table.OnPayment(valuation::MonthPayment{1441, true, false, 10.0, 0.0, 0.0, 5.0, 0.0});
  EXPECT_EQ(table.Cells(), before);
  table.ClearMonths();
  EXPECT_EQ(std::vector<DetailCell>(
                {table.Cell(1440, 1), table.Cell(1, 19), table.Cell(0, 5), table.Cell(4, 0)}),
            std::vector<DetailCell>({{}, {}, std::string("Con Post Q"), std::string("7/1/1943")}));

  for (const auto& [row, column] : {std::pair{1441, 0}, {0, 20}, {-1, 0}, {0, -1}}) {
    EXPECT_EQ(ErrorOf<valuation::ValuationError>([&] { table.SetCell(row, column, 1.0); }),
              "Cell (" + std::to_string(row) + ", " + std::to_string(column) +
                  ") lies outside the calculation detail of 1441 rows by 20 columns.");
  }
  EXPECT_EQ(
      ErrorOf<valuation::ValuationError>([&] { table.OnMonthStart(valuation::MonthStart{0}); }),
      "Month row 0 of the calculation detail must be 1 or more.");
  EXPECT_THROW(table.OnPayment(valuation::MonthPayment{-3}), valuation::ValuationError);
}

// The month loop fills the detail: its three value columns add up to the present value, and a
// month before the payment age holds the whole number 0 in the five payment columns.
TEST(DetailTable, RecordsAWholeValuationWhoseValuesAddUpToThePresentValue) {
  valuation::ValuationInputs inputs;  // 64.5 and 65, payment age 65, 1000 a month, no mortality
  inputs.InterestRate1 = inputs.InterestRate2 = inputs.InterestRate3 = 5.0;
  inputs.PostRetirementInterest = 5.0;
  inputs.CurrentAge = 64.5;
  DetailTable table;
  const double value = Orvane(inputs, valuation::ValuationContext{nullptr, &table});
  double sum = 0.0;  // of the three value columns, where a whole number 0 adds nothing
  for (int row = 1; row < DetailTable::kRows; ++row)
    for (int column = 17; column <= 19; ++column)
      if (const double* cell = std::get_if<double>(&table.Cell(row, column)))
        sum += *cell;
  EXPECT_NEAR(sum, value, 1e-9 * value);
  for (int column : {13, 14, 17, 18, 19})
    EXPECT_EQ(table.Cell(6, column), DetailCell(0L)) << column;
  EXPECT_EQ(table.Cell(7, 13), DetailCell(1000.0));  // the first payment
}

}  // namespace
}  // namespace orvane::sheets
