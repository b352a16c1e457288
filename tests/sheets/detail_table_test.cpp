#include "valuation/detail_table.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "valuation/valuation_engine.h"

namespace orvane::valuation {
namespace {

// A month of a fake run: participant 64.5 at the valuation date, payment age 65.
MonthStart Start(long row) {
  MonthStart month;
  month.row = row;
  month.age = 64.5 + static_cast<double>(row - 1) / 12.0;
  month.monthly_q = {0.001, 0.002, 0.003, 0.004};
  month.annual_q = {0.011, 0.022, 0.033, 0.044};
  month.Lx = 0.5;
  month.Ly = 0.75;
  month.interest_rate_percent = 5.25;
  month.Vx = 0.875;
  return month;
}

long Whole(const DetailCell& cell) {
  return std::get<long>(cell);
}
double Number(const DetailCell& cell) {
  return std::get<double>(cell);
}

TEST(DetailTable, RecordsTheColumnsOfEachMonth) {
  DetailTable table;
  for (long row = 1; row <= 8; ++row) {
    table.OnMonthStart(Start(row));
    MonthPayment payment;
    payment.row = row;
    if (row == 7) {  // the first payment, within the period certain
      payment = MonthPayment{7, true, true, 1000.0, 500.0, 875.0, 0.0, 0.0};
    } else if (row == 8) {  // a life-contingent payment
      payment = MonthPayment{8, true, false, 1000.0, 500.0, 0.0, 437.5, 82.03125};
    }
    table.OnPayment(payment);
  }

  EXPECT_EQ(Number(table.Cell(1, 1)), 64.5);
  EXPECT_EQ(Number(table.Cell(7, 1)), 65.0);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Number(table.Cell(3, 2 + i)), Start(3).monthly_q[i]) << "column " << 2 + i;
    EXPECT_EQ(Number(table.Cell(3, 6 + i)), Start(3).annual_q[i]) << "column " << 6 + i;
  }
  EXPECT_EQ(Number(table.Cell(3, 10)), 0.5);
  EXPECT_EQ(Number(table.Cell(3, 11)), 0.75);
  EXPECT_EQ(Number(table.Cell(3, 12)), 0.375);  // Ly - Lx Ly
  EXPECT_EQ(Number(table.Cell(3, 15)), 5.25);
  EXPECT_EQ(Number(table.Cell(3, 16)), 0.875);

  // Before the payment age: the whole number 0 in the five payment columns.
  for (int row = 1; row <= 6; ++row) {
    for (int column : {13, 14, 17, 18, 19}) {
      ASSERT_TRUE(std::holds_alternative<long>(table.Cell(row, column)))
          << "row " << row << ", column " << column;
      EXPECT_EQ(Whole(table.Cell(row, column)), 0);
    }
  }
  // Within the period certain: the certain value, whole zeros for the two life values.
  EXPECT_EQ(Number(table.Cell(7, 13)), 1000.0);
  EXPECT_EQ(Number(table.Cell(7, 14)), 500.0);
  EXPECT_EQ(Number(table.Cell(7, 17)), 875.0);
  EXPECT_EQ(Whole(table.Cell(7, 18)), 0);
  EXPECT_EQ(Whole(table.Cell(7, 19)), 0);
  // Life-contingent: a whole zero for the certain value.
  EXPECT_EQ(Whole(table.Cell(8, 17)), 0);
  EXPECT_EQ(Number(table.Cell(8, 18)), 437.5);
  EXPECT_EQ(Number(table.Cell(8, 19)), 82.03125);

  // The month loop writes no heading, no input block and no later row.
  EXPECT_TRUE(std::holds_alternative<std::monostate>(table.Cell(0, 1)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(table.Cell(1, 0)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(table.Cell(9, 1)));
}

TEST(DetailTable, KeepsRowsUpTo1440AndRefusesCellsOutside) {
  DetailTable table;
  table.OnMonthStart(Start(1440));
  table.OnPayment(MonthPayment{1440, true, false, 10.0, 0.0, 0.0, 5.0, 0.0});
  EXPECT_EQ(Number(table.Cell(1440, 18)), 5.0);

  // Month 1441 and later are dropped without touching the table.
  const auto before = table.Cells();
  table.OnMonthStart(Start(1441));
  table.OnPayment(MonthPayment{1441, true, false, 10.0, 0.0, 0.0, 5.0, 0.0});
  table.OnMonthStart(Start(5000));
  EXPECT_EQ(table.Cells(), before);

  try {
    table.OnMonthStart(Start(0));
    ADD_FAILURE() << "row 0 of the headings was accepted as a month";
  } catch (const ValuationError& error) {
    EXPECT_NE(std::string(error.what()).find("Month row 0"), std::string::npos) << error.what();
  }
  EXPECT_THROW(table.OnPayment(MonthPayment{-3}), ValuationError);

  EXPECT_THROW(table.Cell(1441, 0), ValuationError);
  EXPECT_THROW(table.Cell(0, 20), ValuationError);
  EXPECT_THROW(table.Cell(-1, 0), ValuationError);
  try {
    table.SetCell(3, 20, 1.0);
    ADD_FAILURE() << "column 20 accepted";
  } catch (const ValuationError& error) {
    EXPECT_NE(std::string(error.what()).find("(3, 20)"), std::string::npos) << error.what();
  }
  EXPECT_EQ(table.Cells().size(), 1441u * 20u);
}

TEST(DetailTable, ClearMonthsEmptiesTheMonthsAndKeepsHeadingsAndInputs) {
  DetailTable table;
  table.SetCell(0, 5, std::string("Con Post Q"));
  table.SetCell(4, 0, std::string("7/1/1943"));
  for (long row = 1; row <= 1440; ++row) {
    table.OnMonthStart(Start(row));
    table.OnPayment(MonthPayment{row});
  }
  table.ClearMonths();
  for (int column = 1; column < DetailTable::kColumns; ++column) {
    for (int row = 1; row < DetailTable::kRows; ++row) {
      ASSERT_TRUE(std::holds_alternative<std::monostate>(table.Cell(row, column)))
          << "row " << row << ", column " << column;
    }
  }
  EXPECT_EQ(std::get<std::string>(table.Cell(0, 5)), "Con Post Q");
  EXPECT_EQ(std::get<std::string>(table.Cell(4, 0)), "7/1/1943");
}

// A whole valuation run with the table as the month observer.
double SumOfValues(const DetailTable& table) {
  double sum = 0.0;
  for (int row = 1; row < DetailTable::kRows; ++row) {
    for (int column = 17; column <= 19; ++column) {
      const DetailCell& cell = table.Cell(row, column);
      if (const double* number = std::get_if<double>(&cell)) {
        sum += *number;
      } else if (const long* whole = std::get_if<long>(&cell)) {
        sum += static_cast<double>(*whole);
      }
    }
  }
  return sum;
}

TEST(DetailTable, RecordsAWholeValuationWhoseValuesAddUpToThePresentValue) {
  ValuationInputs inputs;  // 65 and 65, payment age 65, 1000 a month, no mortality
  inputs.InterestRate1 = inputs.InterestRate2 = inputs.InterestRate3 = 5.0;
  inputs.PostRetirementInterest = 5.0;
  DetailTable table;
  const double value = Orvane(inputs, ValuationContext{nullptr, &table});
  EXPECT_EQ(Number(table.Cell(1, 1)), 65.0);
  EXPECT_EQ(Number(table.Cell(1, 10)), 1.0);  // Lx
  EXPECT_EQ(Number(table.Cell(1, 16)), 1.0);  // Vx
  EXPECT_EQ(Number(table.Cell(1, 13)), 1000.0);
  // Both lives reach 120 exactly after 55 years and go on for one more: 672 months, then nothing.
  EXPECT_NEAR(Number(table.Cell(672, 1)), 65.0 + 671.0 / 12.0, 1e-5);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(table.Cell(673, 1)));
  EXPECT_NEAR(SumOfValues(table), value, 1e-9 * value);

  // Payment age 65 and current age 64.5: six months without a payment, then the first.
  inputs.CurrentAge = 64.5;
  DetailTable later;
  const double deferred = Orvane(inputs, ValuationContext{nullptr, &later});
  for (int row = 1; row <= 6; ++row) {
    for (int column : {13, 14, 17, 18, 19}) {
      ASSERT_TRUE(std::holds_alternative<long>(later.Cell(row, column)))
          << "row " << row << ", column " << column;
    }
  }
  EXPECT_EQ(Number(later.Cell(7, 13)), 1000.0);
  EXPECT_NEAR(SumOfValues(later), deferred, 1e-9 * deferred);
}

}  // namespace
}  // namespace orvane::valuation
