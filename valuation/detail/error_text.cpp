#include "valuation/detail/error_text.h"

#include <sstream>

namespace orvane::valuation::detail {

std::string NumberText(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

}  // namespace orvane::valuation::detail
