#pragma once

#include <string>

namespace orvane::valuation::detail {

// A number as it reads in an error message: shortest natural form, up to 6 significant digits
// (65, 60.4, -100, 1e+300, nan).
std::string NumberText(double value);

}  // namespace orvane::valuation::detail
