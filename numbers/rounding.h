#pragma once

namespace orvane::numbers {

// Rounds v to `decimals` places with halves to the even neighbour: v is scaled by 10^decimals,
// rounded to the nearest integer (ties to even) and scaled back. The scaling is done in binary
// floating point on purpose, so 2.125 gives 2.12 and 2.375 gives 2.38. Non-finite values and
// values too large to carry a fraction are returned unchanged. decimals may be 0..15.
double RoundHalfEven(double v, int decimals = 0);

// The largest integer not above v (a floor), as a double.
double Int(double v);

}  // namespace orvane::numbers
