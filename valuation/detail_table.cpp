#include "valuation/detail_table.h"

#include <string>
#include <utility>

#include "valuation/valuation_error.h"

namespace orvane::valuation {
namespace {

constexpr int kLastMonthRow = DetailTable::kRows - 1;

// The whole-number zero that stands in the payment columns of a month without that payment.
constexpr long kNoPayment = 0;

}  // namespace

DetailTable::DetailTable() : cells_(static_cast<std::size_t>(kRows) * kColumns) {}

std::size_t DetailTable::Index(int row, int column) {
  if (row < 0 || row >= kRows || column < 0 || column >= kColumns) {
    throw ValuationError("Cell (" + std::to_string(row) + ", " + std::to_string(column) +
                         ") lies outside the calculation detail of 1441 rows by 20 columns.");
  }
  return static_cast<std::size_t>(column) * kRows + static_cast<std::size_t>(row);
}

const DetailCell& DetailTable::Cell(int row, int column) const {
  return cells_[Index(row, column)];
}

void DetailTable::SetCell(int row, int column, DetailCell value) {
  cells_[Index(row, column)] = std::move(value);
}

void DetailTable::ClearMonths() {
  for (int column = 1; column < kColumns; ++column) {
    for (int row = 1; row <= kLastMonthRow; ++row) {
      cells_[Index(row, column)] = std::monostate{};
    }
  }
}

bool DetailTable::KeepsRow(long row) {
  if (row < 1) {
    throw ValuationError("Month row " + std::to_string(row) +
                         " of the calculation detail must be 1 or more.");
  }
  return row <= kLastMonthRow;  // months beyond 120 years are not kept
}

void DetailTable::OnMonthStart(const MonthStart& month) {
  if (!KeepsRow(month.row)) {
    return;
  }
  const int row = static_cast<int>(month.row);
  SetCell(row, kAgeColumn, month.age);
  for (int i = 0; i < 4; ++i) {
    SetCell(row, kPrimaryPreQ + i, month.monthly_q[static_cast<std::size_t>(i)]);
    SetCell(row, kPrimaryPreAnnualQ + i, month.annual_q[static_cast<std::size_t>(i)]);
  }
  SetCell(row, kLxColumn, month.Lx);
  SetCell(row, kLyColumn, month.Ly);
  SetCell(row, kSurvivorOnlyColumn, month.Ly - month.Lx * month.Ly);
  SetCell(row, kInterestRateColumn, month.interest_rate_percent);
  SetCell(row, kVxColumn, month.Vx);
}

void DetailTable::OnPayment(const MonthPayment& payment) {
  if (!KeepsRow(payment.row)) {
    return;
  }
  const int row = static_cast<int>(payment.row);
  if (!payment.payment_month) {
    for (int column : {kPrimaryBenefitColumn, kSurvivorBenefitColumn, kPeriodCertainValueColumn,
                       kPrimaryValueColumn, kContingentValueColumn}) {
      SetCell(row, column, kNoPayment);
    }
    return;
  }
  SetCell(row, kPrimaryBenefitColumn, payment.primary_benefit);
  SetCell(row, kSurvivorBenefitColumn, payment.survivor_benefit);
  if (payment.within_period_certain) {
    SetCell(row, kPeriodCertainValueColumn, payment.period_certain_value);
    SetCell(row, kPrimaryValueColumn, kNoPayment);
    SetCell(row, kContingentValueColumn, kNoPayment);
  } else {
    SetCell(row, kPeriodCertainValueColumn, kNoPayment);
    SetCell(row, kPrimaryValueColumn, payment.primary_value);
    SetCell(row, kContingentValueColumn, payment.contingent_value);
  }
}

}  // namespace orvane::valuation
