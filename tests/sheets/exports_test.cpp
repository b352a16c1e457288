#include "sheets/exports.h"

#include <gtest/gtest.h>

#include <cmath>
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
    WriteDetailWorkbook(file, table, DetailSummary{});
    ADD_FAILURE() << "a NaN reached the sheet";
  } catch (const SheetError& error) {
    EXPECT_NE(std::string(error.what()).find("C5"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(std::filesystem::exists(file));

  table.SetCell(4, 2, 0.5);
  const auto unreachable = dir.path() / "missing" / "detail.xlsx";
  try {
    WriteDetailWorkbook(unreachable, table, DetailSummary{});
    ADD_FAILURE() << "no error for a missing folder";
  } catch (const SheetError& error) {
    EXPECT_NE(std::string(error.what()).find(unreachable.string()), std::string::npos)
        << error.what();
  }
  EXPECT_THROW(WriteMortalityWorkbook(unreachable, MortalityColumns{}), SheetError);
}

}  // namespace
}  // namespace orvane::sheets
