#include "sheets/workbook.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "sheets/sheet_error.h"
#include "tests/sheets/test_paths.h"

namespace orvane::sheets {
namespace {

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const SheetError& error) {
    return error.what();
  }
  return "no SheetError";
}

bool Holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(CellRange, ParsesCellsAndRectanglesAndRefusesMalformedNames) {
  struct Case {
    const char* name;
    int first_row, first_column, last_row, last_column;
  };
  for (const Case& c : {Case{"A1", 0, 0, 0, 0}, Case{"A12", 11, 0, 11, 0},
                        Case{"A1:T1440", 0, 0, 1439, 19}, Case{"B2:B1441", 1, 1, 1440, 1},
                        Case{"c2:f1441", 1, 2, 1440, 5}, Case{"Z201", 200, 25, 200, 25},
                        Case{"AA1:AO201", 0, 26, 200, 40}, Case{"ZZ9", 8, 701, 8, 701}}) {
    const CellRange range = CellRange::Parse(c.name);
    EXPECT_EQ(range.first_row, c.first_row) << c.name;
    EXPECT_EQ(range.first_column, c.first_column) << c.name;
    EXPECT_EQ(range.last_row, c.last_row) << c.name;
    EXPECT_EQ(range.last_column, c.last_column) << c.name;
  }
  EXPECT_EQ(CellRange::Parse("A1:T1440").Rows(), 1440);
  EXPECT_EQ(CellRange::Parse("A1:T1440").Columns(), 20);

  for (const char* bad : {"", "A", "1", "A0", "A01", "AAA1", "A1:", "A1:B", "B2:A1", "A2:B1",
                          "A1-B2", "A1:B2:C3", "A1048577", " A1", "$A$1"}) {
    EXPECT_EQ(ErrorOf([&] { CellRange::Parse(bad); }),
              "\"" + std::string(bad) + "\" is not a cell or a rectangle of cells");
  }
}

TEST(CellRange, LabelsCellsFromZeroBasedRowAndColumn) {
  EXPECT_EQ(CellLabel(0, 0), "A1");
  EXPECT_EQ(CellLabel(11, 0), "A12");
  EXPECT_EQ(CellLabel(1439, 19), "T1440");
  EXPECT_EQ(CellLabel(200, 25), "Z201");
  EXPECT_EQ(CellLabel(200, 26), "AA201");
  EXPECT_EQ(CellLabel(200, 40), "AO201");
  EXPECT_EQ(CellLabel(0, 701), "ZZ1");
  EXPECT_EQ(CellLabel(0, 702), "AAA1");
}

TEST(NewWorkbook, RefusesNumbersAWorkbookCannotHoldNamingTheCell) {
  testing::TempDir dir;
  const auto file = dir.path() / "refused.xlsx";
  NewWorkbook book(file);
  const std::string nan = ErrorOf([&] { book.WriteCell(2, 1, std::nan("")); });
  EXPECT_TRUE(Holds(nan, "B3") && Holds(nan, "not finite") && Holds(nan, file.string())) << nan;

  // In a block the message names the sheet cell, not the element.
  const std::vector<Cell> cells = {1.0, 2.0, 3.0, std::numeric_limits<double>::infinity()};
  const std::string inf = ErrorOf([&] {
    book.WriteBlock(CellRange::Parse("C5:D6"), CellBlock{cells, 2, 2});
  });
  EXPECT_TRUE(Holds(inf, "D6") && Holds(inf, "not finite")) << inf;

  const std::string huge = ErrorOf([&] { book.WriteCell(0, 0, -1e308); });
  EXPECT_TRUE(Holds(huge, "A1") && Holds(huge, "too large")) << huge;
  const std::string formula = ErrorOf([&] { book.WriteFormula(0, 0, "=1/0", std::nan("")); });
  EXPECT_TRUE(Holds(formula, "A1")) << formula;

  EXPECT_TRUE(Holds(ErrorOf([&] {
                      book.WriteBlock(CellRange::Parse("A1:B2"), CellBlock{cells, 3, 2});
                    }),
                    "a block of 4 cells is not 3 rows by 2 columns"));
  EXPECT_TRUE(Holds(ErrorOf([&] { book.WriteCell(-1, 0, 1.0); }), "outside the sheet"));
  EXPECT_TRUE(Holds(ErrorOf([&] { book.WriteCell(0, 16384, 1.0); }), "outside the sheet"));
  EXPECT_TRUE(Holds(ErrorOf([&] { book.WriteCell(1048576, 0, 1.0); }), "outside the sheet"));
}

TEST(NewWorkbook, WritesOnlyAtCloseAndReportsAFileThatCannotBeWritten) {
  testing::TempDir dir;
  const auto discarded = dir.path() / "discarded.xlsx";
  {
    NewWorkbook book(discarded);
    book.WriteCell(0, 0, std::string("never written"));
  }
  EXPECT_FALSE(std::filesystem::exists(discarded));

  const auto written = dir.path() / "written.xlsx";
  NewWorkbook book(written);
  book.WriteCell(0, 0, 1L);
  book.Close();
  EXPECT_GT(std::filesystem::file_size(written), 0u);
  EXPECT_TRUE(Holds(ErrorOf([&] { book.Close(); }), "already closed"));

  // A text longer than a cell can hold (32,767 characters) is refused when the file is written.
  NewWorkbook overlong(dir.path() / "overlong.xlsx");
  overlong.WriteCell(6, 2, std::string(40000, 'x'));
  const std::string refused = ErrorOf([&] { overlong.Close(); });
  EXPECT_TRUE(Holds(refused, "C7") && Holds(refused, "overlong.xlsx")) << refused;

  const auto unreachable = dir.path() / "no such folder" / "detail.xlsx";
  NewWorkbook orphan(unreachable);
  orphan.WriteCell(0, 0, std::string("text"));
  const std::string message = ErrorOf([&] { orphan.Close(); });
  EXPECT_TRUE(Holds(message, unreachable.string()) && Holds(message, "cannot write")) << message;
}

TEST(NewWorkbook, RefusesABadSheetNameAChartWithoutSeriesAndNoSuchSheet) {
  testing::TempDir dir;
  NewWorkbook book(dir.path() / "sheets.xlsx");
  EXPECT_EQ(book.SheetName(0), "Sheet1");
  EXPECT_EQ(book.AddSheet("Summary"), 1);
  for (const char* bad : {"", "Summary", "a/b", "a name longer than thirty-one characters"}) {
    EXPECT_TRUE(Holds(ErrorOf([&] { book.AddSheet(bad); }), "cannot write the sheet")) << bad;
  }
  EXPECT_TRUE(Holds(ErrorOf([&] { book.WriteCell(0, 0, 1.0, 2); }), "has no sheet 3"));
  Chart chart;
  chart.title = "Vx by month";
  EXPECT_TRUE(Holds(ErrorOf([&] { book.AddChart(chart, 1); }), "has no series"));
  chart.series.push_back(ChartSeries{"Vx", 5, CellRange::Parse("Q2:Q13"), std::nullopt});
  EXPECT_TRUE(Holds(ErrorOf([&] { book.AddChart(chart, 1); }), "has no sheet 6"));
  chart.series.back().sheet = 0;
  book.AddChart(chart, 1);
  book.Close();
}

TEST(ReadFirstSheet, ReadsTheUsedRangeWithNumbersTextsAndEmptyCells) {
  const UsedRange sheet = ReadFirstSheet(testing::XlsFixture("empty_cell.xls"));
  EXPECT_EQ(sheet.rows, 201);
  EXPECT_EQ(sheet.columns, 3);
  EXPECT_EQ(std::get<std::string>(sheet.At(0, 0)), "Half-year");
  EXPECT_EQ(std::get<std::string>(sheet.At(2, 0)), "1 years");
  EXPECT_EQ(std::get<double>(sheet.At(1, 1)), 0.04);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(sheet.At(4, 1)));  // B5
  EXPECT_EQ(std::get<long>(sheet.At(1, 2)), 1);                         // C2
  EXPECT_TRUE(std::holds_alternative<std::monostate>(sheet.At(201, 0)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(sheet.At(0, 3)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(sheet.At(-1, 0)));
}

}  // namespace
}  // namespace orvane::sheets
