#include <string>

#include "valuation/valuation_error.h"
#include "valuation/yield_curve.h"

namespace orvane::valuation {

std::string CellName(int row, int column) {
  // Two letters reach ZZ (column 702); a third letter is never needed for the 41 columns of the
  // yield curve workbook, so anything wider is refused rather than spelt wrongly.
  if (column < 1 || column > 702) {
    throw ValuationError("Column " + std::to_string(column) +
                         " has no cell name: columns run from 1 (A) to 702 (ZZ)");
  }
  if (row < 1) {
    throw ValuationError("Row " + std::to_string(row) + " has no cell name: rows start at 1");
  }
  std::string name;
  if (column < 27) {
    name += static_cast<char>(64 + column);
  } else {
    name += static_cast<char>(64 + (column - 1) / 26);
    name += static_cast<char>(65 + (column - 1) % 26);
  }
  return name + std::to_string(row);
}

}  // namespace orvane::valuation
