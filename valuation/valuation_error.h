#pragma once

#include <stdexcept>
#include <string>

namespace orvane::valuation {

// Raised where the valuation cannot go on: an input that makes the arithmetic fail (a load of
// 100%, a rate of -100% or below, a certain death at a starting age), an age outside the tables,
// a result that is not a finite number. The message names the input and reads well to a user.
class ValuationError : public std::runtime_error {
 public:
  explicit ValuationError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace orvane::valuation
