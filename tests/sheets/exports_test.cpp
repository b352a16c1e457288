#include "sheets/exports.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <variant>

#include "sheets/sheet_error.h"
#include "tests/sheets/test_paths.h"

namespace orvane::sheets {
namespace {

using valuation::DetailTable;

std::string Text(const DetailTable& table, int row, int column) {
  return std::get<std::string>(table.Cell(row, column));
}

TEST(DetailExport, HeadingsAndInputBlockStandInRowZeroAndColumnZero) {
  DetailTable table;
  WriteDetailHeadings(table, DetailInputs{"1/1/2008", "7/1/1943", "1/1/1946", " 0.000", "50"});
  const char* headings[] = {"Age",
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
  for (int column = 1; column <= 19; ++column) {
    EXPECT_EQ(Text(table, 0, column), headings[column - 1]) << "column " << column;
  }
  const char* block[] = {"Val Date",     "1/1/2008", "Prim DOB",    "7/1/1943",
                         "Con DOB",      "1/1/1946", "Per Certain", " 0.000",
                         "Percent Surv", "50",       "Value",       "=sum(r2:t1440)"};
  for (int row = 0; row < 12; ++row) {
    EXPECT_EQ(Text(table, row, 0), block[row]) << "row " << row;
  }
  EXPECT_TRUE(std::holds_alternative<std::monostate>(table.Cell(12, 0)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(table.Cell(1, 1)));
}

TEST(DetailExport, ReportsABadCellOrAnUnwritableFileByName) {
  testing::TempDir dir;
  DetailTable table;
  WriteDetailHeadings(table, DetailInputs{"1/1/2008", "7/1/1943", "1/1/1946", " 0.000", "50"});
  table.SetCell(4, 2, std::nan(""));
  const auto file = dir.path() / "detail.xlsx";
  try {
    WriteDetailWorkbook(file, table);
    ADD_FAILURE() << "a NaN reached the sheet";
  } catch (const SheetError& error) {
    EXPECT_NE(std::string(error.what()).find("C5"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(std::filesystem::exists(file));

  table.SetCell(4, 2, 0.5);
  const auto unreachable = dir.path() / "missing" / "detail.xlsx";
  try {
    WriteDetailWorkbook(unreachable, table);
    ADD_FAILURE() << "no error for a missing folder";
  } catch (const SheetError& error) {
    EXPECT_NE(std::string(error.what()).find(unreachable.string()), std::string::npos)
        << error.what();
  }
  EXPECT_THROW(WriteMortalityWorkbook(unreachable, MortalityColumns{}), SheetError);
}

// What a spreadsheet application shows in A12 for the exported total; needs LibreOffice. The
// workbook also carries the total as the formula's last result (for readers that do not
// recalculate), so this checks what the user sees; the formula's text itself is checked by
// check_exported_workbooks.py.
TEST(DetailExport, SpreadsheetRecalculatesTheTotalInA12) {
  std::string office;
  for (const char* program : {"libreoffice", "soffice"}) {
    if (std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0) {
      office = program;
      break;
    }
  }
  if (office.empty()) {
    GTEST_SKIP() << "LibreOffice is not installed: the recalculation of A12 by a spreadsheet "
                    "application is not checked";
  }
  testing::TempDir dir;
  DetailTable table;
  WriteDetailHeadings(table, DetailInputs{"1/1/2008", "7/1/1943", "1/1/1946", " 0.000", "50"});
  double total = 0.0;
  for (int row = 1; row <= 1440; ++row) {
    const double value = 100.0 + row * 0.37;
    table.SetCell(row, 17 + row % 3, value);
    if (row < 1440) {
      total += value;  // row 1440 does not reach the sheet
    }
  }
  const auto file = dir.path() / "detail.xlsx";
  WriteDetailWorkbook(file, table);
  const std::string command = "cd \"" + dir.path().string() + "\" && " + office +
                              " --headless --convert-to csv detail.xlsx "
                              ">/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream csv(dir.path() / "detail.csv");
  std::string line;
  int rows = 0;
  while (rows < 12 && std::getline(csv, line)) {
    ++rows;
  }
  ASSERT_EQ(rows, 12) << "the converted sheet has fewer than 12 rows";
  // The first field of row 12, shown with the format ###,##0.00.
  std::string shown = line.substr(0, line.find(line.front() == '"' ? "\"," : ","));
  std::string digits;
  for (char c : shown) {
    if (c != '"' && c != ',') {
      digits += c;
    }
  }
  EXPECT_NEAR(std::stod(digits), total, 0.005) << "A12 shows \"" << shown << "\"";
}

}  // namespace
}  // namespace orvane::sheets
