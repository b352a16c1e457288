// The columns each month fills are checked cell by cell in the exported workbook
// (check_exported_workbooks.py); here the rows kept, the errors and a whole valuation.
#include "valuation/detail_table.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "valuation/valuation_engine.h"

namespace orvane::valuation {
namespace {

bool Empty(const DetailCell& cell) {
  return std::holds_alternative<std::monostate>(cell);
}

double SumOfValues(const DetailTable& table) {
  double sum = 0.0;
  for (int row = 1; row < DetailTable::kRows; ++row) {
    for (int column = 17; column <= 19; ++column) {
      const DetailCell& cell = table.Cell(row, column);
      if (const double* number = std::get_if<double>(&cell))
        sum += *number;
      else if (const long* whole = std::get_if<long>(&cell))
        sum += static_cast<double>(*whole);
    }
  }
  return sum;
}

TEST(DetailTable, KeepsRowsUpTo1440ClearsMonthsAndRefusesCellsOutside) {
  DetailTable table;
  table.SetCell(0, 5, std::string("Con Post Q"));
  table.SetCell(4, 0, std::string("7/1/1943"));
  table.OnMonthStart(MonthStart{1440, 64.5});
  table.OnPayment(MonthPayment{1440, true, false, 10.0, 0.0, 0.0, 5.0, 0.0});
  EXPECT_EQ(std::get<double>(table.Cell(1440, 1)), 64.5);
  EXPECT_EQ(std::get<double>(table.Cell(1440, 18)), 5.0);
  const auto before = table.Cells();
  table.OnMonthStart(MonthStart{1441, 70.0});
  table.OnPayment(MonthPayment{1441, true, false, 10.0, 0.0, 0.0, 5.0, 0.0});
  EXPECT_EQ(table.Cells(), before);

  table.ClearMonths();
  EXPECT_TRUE(Empty(table.Cell(1440, 1)) && Empty(table.Cell(1440, 18)));
  EXPECT_EQ(std::get<std::string>(table.Cell(0, 5)), "Con Post Q");
  EXPECT_EQ(std::get<std::string>(table.Cell(4, 0)), "7/1/1943");

  for (const auto& [row, column] : {std::pair{1441, 0}, {0, 20}, {-1, 0}, {0, -1}}) {
    try {
      table.SetCell(row, column, 1.0);
      ADD_FAILURE() << row << ", " << column << " accepted";
    } catch (const ValuationError& error) {
      EXPECT_EQ(std::string(error.what()),
                "Cell (" + std::to_string(row) + ", " + std::to_string(column) +
                    ") lies outside the calculation detail of 1441 rows by 20 columns.");
    }
  }
  EXPECT_THROW(table.Cell(1441, 19), ValuationError);
  try {
    table.OnMonthStart(MonthStart{0});
    ADD_FAILURE() << "row 0 of the headings was accepted as a month";
  } catch (const ValuationError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Month row 0 of the calculation detail must be 1 or more.");
  }
  EXPECT_THROW(table.OnPayment(MonthPayment{-3}), ValuationError);
}

TEST(DetailTable, RecordsAWholeValuationWhoseValuesAddUpToThePresentValue) {
  ValuationInputs inputs;  // 65 and 65, payment age 65, 1000 a month, no mortality
  inputs.InterestRate1 = inputs.InterestRate2 = inputs.InterestRate3 = 5.0;
  inputs.PostRetirementInterest = 5.0;
  DetailTable table;
  const double value = Orvane(inputs, ValuationContext{nullptr, &table});
  EXPECT_EQ(std::get<double>(table.Cell(1, 10)), 1.0);  // Lx
  EXPECT_EQ(std::get<double>(table.Cell(1, 16)), 1.0);  // Vx
  EXPECT_EQ(std::get<double>(table.Cell(1, 13)), 1000.0);
  // Both lives reach 120 exactly after 55 years and go on for one more: 672 months, then nothing.
  EXPECT_NEAR(std::get<double>(table.Cell(672, 1)), 65.0 + 671.0 / 12.0, 1e-5);
  EXPECT_TRUE(Empty(table.Cell(673, 1)) && Empty(table.Cell(673, 17)));
  EXPECT_NEAR(SumOfValues(table), value, 1e-9 * value);

  // Current age 64.5: six months with the whole number 0 in the payment columns, then the first.
  inputs.CurrentAge = 64.5;
  DetailTable later;
  const double deferred = Orvane(inputs, ValuationContext{nullptr, &later});
  for (int row = 1; row <= 6; ++row) {
    for (int column : {13, 14, 17, 18, 19})
      ASSERT_EQ(std::get<long>(later.Cell(row, column)), 0) << row << ", " << column;
  }
  EXPECT_EQ(std::get<double>(later.Cell(7, 13)), 1000.0);
  EXPECT_NEAR(SumOfValues(later), deferred, 1e-9 * deferred);
}

}  // namespace
}  // namespace orvane::valuation
