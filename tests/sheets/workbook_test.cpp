#include "sheets/workbook.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "sheets/exports.h"
#include "sheets/sheet_error.h"
#include "sheets/yield_curve_workbook.h"

namespace orvane::sheets {
namespace {

namespace fs = std::filesystem;

// A folder of this test's own (ctest runs each test in its own process), removed afterwards.
struct TempDir {
  fs::path path = fs::temp_directory_path() / ("orvane_sheets_" + std::to_string(::getpid()));
  TempDir() { fs::create_directories(path); }
  ~TempDir() { fs::remove_all(path); }
};

fs::path Fixture(const std::string& name) {
  return fs::path(ORVANE_SHEETS_FIXTURES) / name;
}

fs::path SourceDir() {
  const char* dir = std::getenv("ORVANE_SOURCE_DIR");
  return dir != nullptr ? fs::path(dir) : fs::path(".");
}

// The message of the SheetError that `action` throws.
std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const SheetError& error) {
    return error.what();
  }
  return "no SheetError";
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
      {"c2:f1441", {1, 2, 1440, 5}}};
  for (const auto& [name, corners] : cases) {
    const CellRange r = CellRange::Parse(name);
    EXPECT_EQ(std::vector<int>({r.first_row, r.first_column, r.last_row, r.last_column}), corners);
    if (name.find(':') == std::string::npos)
      EXPECT_EQ(CellLabel(corners[0], corners[1]), name);
  }
  EXPECT_EQ(CellLabel(0, 702), "AAA1");
  EXPECT_EQ(std::make_pair(CellRange::Parse("A1:T1440").Rows(), CellRange{2, 1, 5, 20}.Columns()),
            std::make_pair(1440, 20));
  for (const char* bad : {"", "A", "1", "A0", "A01", "AAA1", "A1:", "A1:B", "B2:A1", "A2:B1",
                          "A1-B2", "A1:B2:C3", "A1048577", " A1", "$A$1"}) {
    EXPECT_EQ(ErrorOf([&] { CellRange::Parse(bad); }),
              "\"" + std::string(bad) + "\" is not a cell or a rectangle of cells");
  }
}

TEST(NewWorkbook, RefusesWhatAWorkbookCannotHoldNamingTheCellAndTheFile) {
  TempDir dir;
  const std::string file = (dir.path / "refused.xlsx").string(), of = " of \"" + file + "\"";
  NewWorkbook book(file);
  const std::vector<Cell> cells = {1.0, 2.0, 3.0, std::numeric_limits<double>::infinity()};
  Chart chart;
  ExpectErrors({
      {[&] { book.WriteCell(2, 1, std::nan("")); },
       "the number for cell B3" + of + " is not finite"},
      {[&] {
         book.WriteBlock(CellRange::Parse("C5:D6"), CellBlock{cells, 2, 2});
       },
       "the number for cell D6" + of + " is not finite"},
      {[&] { book.WriteCell(0, 0, -1e308); },
       "the number for cell A1" + of + " is too large for a workbook"},
      {[&] { book.WriteFormula(0, 3, "=1/0", std::nan("")); }, "the number for cell D1" + of},
      {[&] {
         book.WriteBlock(CellRange::Parse("A1:B2"), CellBlock{cells, 3, 2});
       },
       "a block of 4 cells is not 3 rows by 2 columns"},
      {[&] { book.WriteCell(-1, 0, 1.0); }, "row -1, column 0 lies outside the sheet" + of},
      {[&] { book.WriteCell(0, 16384, 1.0); }, "row 0, column 16384 lies outside the sheet"},
      {[&] { book.WriteCell(1048576, 0, 1.0); }, "row 1048576, column 0 lies outside the sheet"},
      {[&] { book.AddSheet(""); }, "cannot write the sheet \"\"" + of + ": a sheet needs a name"},
      {[&] { book.AddSheet("Sheet1"); }, "cannot write the sheet \"Sheet1\"" + of + ": "},
      {[&] { book.AddSheet("a/b"); }, "cannot write the sheet \"a/b\""},
      {[&] { book.AddSheet(std::string(32, 'x')); }, "cannot write the sheet \"xxx"},
      {[&] { book.WriteCell(0, 0, 1.0, 1); }, "the workbook \"" + file + "\" has no sheet 2"},
      {[&] { book.AddChart(chart); }, "the chart \"\" has no series"},
      {[&] {
         chart.series.push_back(ChartSeries{"Vx", 5, CellRange::Parse("Q2:Q13"), std::nullopt});
         book.AddChart(chart);
       },
       "the workbook \"" + file + "\" has no sheet 6"},
  });
  book.WriteCell(1048575, 16383, 1.0);  // XFD1048576, the last cell
  EXPECT_EQ(book.AddSheet(std::string(31, 'x')), 1);
  EXPECT_EQ(book.SheetName(1), std::string(31, 'x'));
}

TEST(NewWorkbook, WritesOnlyAtCloseAndReportsAFileThatCannotBeWritten) {
  TempDir dir;
  const fs::path written = dir.path / "written.xlsx", overlong = dir.path / "overlong.xlsx";
  const fs::path unreachable = dir.path / "no such folder" / "detail.xlsx";
  {
    NewWorkbook discarded(dir.path / "discarded.xlsx");
    discarded.WriteCell(0, 0, std::string("never written"));
  }
  valuation::DetailTable table;  // a NaN stops an export before anything is written
  table.SetCell(4, 2, std::nan(""));
  NewWorkbook book(written), refused(overlong);
  book.WriteCell(0, 0, 1L);
  book.Close();
  // A text longer than a cell holds (32,767 characters) is refused when the file is written.
  refused.WriteCell(6, 2, std::string(40000, 'x'));
  ExpectErrors({
      {[&] { WriteDetailWorkbook(dir.path / "detail.xlsx", table, {}); },
       "the number for cell C5 "},
      {[&] { book.Close(); }, "the workbook \"" + written.string() + "\" is already closed"},
      {[&] { refused.Close(); }, "cannot write cell C7 of \"" + overlong.string() + "\": "},
      {[&] { WriteMortalityWorkbook(unreachable, {}); },
       "cannot write the workbook \"" + unreachable.string() + "\": "},
  });
  EXPECT_GT(fs::file_size(written), 0u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 1);  // written.xlsx alone
}

TEST(YieldCurveWorkbook, ReadsCurvesByColumnAndHalfYearsByRowEmptyCellsAsZero) {
  const UsedRange sheet = ReadFirstSheet(Fixture("gaps.xls"));
  EXPECT_EQ(std::make_pair(sheet.rows, sheet.columns), std::make_pair(51, 3));
  EXPECT_EQ(std::get<std::string>(sheet.At(0, 0)), "Half-year");
  for (const auto& [row, column] : {std::pair{4, 1}, {0, 3}, {-1, 0}, {0, -1}})
    EXPECT_TRUE(std::holds_alternative<std::monostate>(sheet.At(row, column)));
  const auto graded = ReadYieldCurveWorkbook(Fixture("graded.xls"));
  ASSERT_EQ(graded.CurveCount(), 60);
  // B2, G3, AP101 and BI201: curve i at half-year h holds i/100 + h/10000.
  EXPECT_EQ(std::vector<double>(
                {graded.Rate(1, 1), graded.Rate(6, 2), graded.Rate(41, 100), graded.Rate(60, 200)}),
            std::vector<double>({0.0101, 0.0602, 0.42, 0.62}));
  const auto gaps = ReadYieldCurveWorkbook(Fixture("gaps.xls"));
  ASSERT_EQ(gaps.CurveCount(), 2);
  // B4; B5 empty; C2 the whole number 1; B51; beyond the used range.
  EXPECT_EQ(std::vector<double>({gaps.Rate(1, 3), gaps.Rate(1, 4), gaps.Rate(2, 1),
                                 gaps.Rate(1, 50), gaps.Rate(1, 51), gaps.Rate(2, 200)}),
            std::vector<double>({0.04, 0.0, 1.0, 0.04, 0.0, 0.0}));
}

TEST(YieldCurveWorkbook, RefusesTextCellsAndMissingCorruptOrReaderCrashingWorkbooks) {
  TempDir dir;
  const fs::path truncated = dir.path / "truncated.xls", empty = dir.path / "empty.xls";
  std::string head(4096, '\0');  // the first 4 KiB: a valid header whose sectors are missing
  std::ifstream(Fixture("graded.xls"), std::ios::binary).read(head.data(), 4096);
  std::ofstream(truncated, std::ios::binary) << head;
  std::ofstream(empty, std::ios::binary).flush();
  const auto unreadable = [](const fs::path& file) {
    return "cannot read the workbook \"" + file.string() + "\": ";
  };
  // Workbooks on which the reading library itself faults (found by fuzzing; the fault shows as
  // "the file is damaged" where a sanitizer stops the reading child).
  const fs::path faults = SourceDir() / "tests" / "sheets" / "regressions";
  std::vector<std::pair<std::function<void()>, std::string>> cases = {
      {[] { ReadYieldCurveWorkbook(Fixture("text_cell.xls")); },
       "cell D17 of the yield curve workbook \"" + Fixture("text_cell.xls").string() +
           "\" holds the text \"n/a\", not a spot rate"},
      {[] { ReadYieldCurveWorkbook(Fixture("labels_only.xls")); },
       "the yield curve workbook \"" + Fixture("labels_only.xls").string() +
           "\" holds no curve: its first sheet has no column after A"},
      {[&] { ReadYieldCurveWorkbook(dir.path / "missing.xls"); },
       unreadable(dir.path / "missing.xls") + "the file does not exist or cannot be opened"},
      {[&] { ReadYieldCurveWorkbook(truncated); }, unreadable(truncated)},
      {[&] { ReadYieldCurveWorkbook(empty); },
       unreadable(empty) + "it is not a readable Excel 97-2003 workbook (.xls) (code -8)"},
  };
  for (const char* name :
       {"freexl_heap_overread.xls", "freexl_iconv_stack_overread.xls", "freexl_invalid_free.xls"})
    cases.emplace_back([&faults, name] { ReadYieldCurveWorkbook(faults / name); },
                       unreadable(faults / name));
  ExpectErrors(cases);
  EXPECT_EQ(ReadYieldCurveWorkbook(Fixture("graded.xls")).CurveCount(), 60);  // still usable
}

// The shipped workbook against the table it was built from: every rate of the 149 curves.
TEST(YieldCurveWorkbook, ShippedWorkbookHoldsTheSourceSpotRatesAsDecimals) {
  const auto rates = ReadYieldCurveWorkbook(SourceDir() / "data" / kYieldCurveWorkbookName);
  ASSERT_EQ(rates.CurveCount(), 149);  // August 2007 to December 2019
  std::ifstream csv(SourceDir() / "data" / "yield_curve" / "yield_curve_spot_rates.csv");
  std::string line, field;
  ASSERT_TRUE(std::getline(csv, line));  // maturity_years,2007-08,...
  int half_year = 0;
  for (; std::getline(csv, line); ++half_year) {
    std::stringstream fields(line);
    std::getline(fields, field, ',');
    for (int curve = 1; std::getline(fields, field, ','); ++curve)
      ASSERT_NEAR(rates.Rate(curve, half_year + 1), std::stod(field) / 100, 1e-12)
          << "curve " << curve << ", half-year " << half_year + 1;
  }
  EXPECT_EQ(half_year, 200);
}

}  // namespace
}  // namespace orvane::sheets
