#pragma once

#include <string>
#include <variant>
#include <vector>

#include "valuation/month_observer.h"

namespace orvane::valuation {

// One cell of the calculation detail: nothing, a whole number (the zeros of months without a
// payment), a number, or a text.
using DetailCell = std::variant<std::monostate, long, double, std::string>;

// The columns of the calculation detail, as the sheet shows them (A..T).
enum DetailColumn : int {
  kInputColumn = 0,  // the input block of the first rows (A)
  kAgeColumn,        // the participant's age of the month (B)
  kPrimaryPreQ,      // the monthly q of the four tables: C..F
  kContingentPreQ,
  kPrimaryPostQ,
  kContingentPostQ,
  kPrimaryPreAnnualQ,  // the annual q of the four tables: G..J
  kContingentPreAnnualQ,
  kPrimaryPostAnnualQ,
  kContingentPostAnnualQ,
  kLxColumn,                  // the participant alive (K)
  kLyColumn,                  // the spouse alive (L)
  kSurvivorOnlyColumn,        // Ly - Lx * Ly (M)
  kPrimaryBenefitColumn,      // N
  kSurvivorBenefitColumn,     // O
  kInterestRateColumn,        // in percent (P)
  kVxColumn,                  // the discount factor (Q)
  kPeriodCertainValueColumn,  // R, the first of the three value columns
  kPrimaryValueColumn,        // S
  kContingentValueColumn,     // T, the last
  kDetailColumns
};

// The month-by-month calculation detail: 1441 rows (0..1440) by 20 columns (0..19). Row 0 holds
// the headings and column 0 the input block (both written by the detail export); rows 1..1440 of
// columns 1..19 are filled from the valuation's month loop, row j for month j. Months beyond
// row 1440 (possible only for the youngest lives) are not kept.
class DetailTable : public MonthObserver {
 public:
  static constexpr int kRows = 1441;
  static constexpr int kColumns = kDetailColumns;

  DetailTable();

  const DetailCell& Cell(int row, int column) const;    // throws ValuationError outside the table
  void SetCell(int row, int column, DetailCell value);  // throws ValuationError outside

  // Empties rows 1..1440 of columns 1..19, so that a shorter valuation leaves no rows of an
  // earlier, longer one behind.
  void ClearMonths();

  // All cells, the row index varying fastest (column c starts at c x kRows): the layout that the
  // detail export hands to the sheet as one block.
  const std::vector<DetailCell>& Cells() const { return cells_; }

  // Record the month's row (1..1440) from the month loop; a row beyond 1440 is dropped. Throw
  // ValuationError for a row below 1, which would overwrite the headings.
  void OnMonthStart(const MonthStart& month) override;
  void OnPayment(const MonthPayment& payment) override;

 private:
  static std::size_t Index(int row, int column);  // throws ValuationError outside the table
  static bool KeepsRow(long row);

  std::vector<DetailCell> cells_;  // the row index varies fastest: column c starts at c x kRows
};

}  // namespace orvane::valuation
