#pragma once

#include <cmath>

namespace orvane::numbers {

namespace detail {

// 2^52: from here on every double is a whole number.
inline constexpr double kTwoTo52 = 4503599627370496.0;

inline constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// v rounded to a whole number, halves to the even neighbour. Adding 2^52 to a positive value
// below it leaves no bits for a fraction, so the addition itself rounds to the nearest whole
// number (the default rounding mode takes ties to even) and the subtraction is exact. Zero keeps
// its sign; a negative value that rounds to zero gives +0.
inline double RoundWholeHalfEven(double v) {
  if (v > 0.0 && v < kTwoTo52)  // the common case first: two comparisons and two additions
    return (v + kTwoTo52) - kTwoTo52;
  if (!(v < 0.0 && v > -kTwoTo52))
    return v;  // NaN, infinities, values without a fraction, and both zeros
  return -((kTwoTo52 - v) - kTwoTo52) + 0.0;
}

}  // namespace detail

// Rounds v to `decimals` places with halves to the even neighbour: v is scaled by 10^decimals,
// rounded to the nearest integer (ties to even) and scaled back. The scaling is done in binary
// floating point on purpose, so 2.125 gives 2.12 and 2.375 gives 2.38. Non-finite values and
// values too large to carry a fraction are returned unchanged. decimals may be 0..15 (others are
// taken as the nearer end). Inline: the valuation's month loop rounds several times a month.
inline double RoundHalfEven(double v, int decimals = 0) {
  if (decimals <= 0)
    return detail::RoundWholeHalfEven(v);
  if (!std::isfinite(v))
    return v;
  const double scale = detail::kPowersOfTen[decimals > 15 ? 15 : decimals];
  const double scaled = v * scale;
  // Beyond 2^52 every double is already a whole number; scaling back would only add error.
  if (!std::isfinite(scaled) || std::fabs(scaled) >= detail::kTwoTo52)
    return v;
  return detail::RoundWholeHalfEven(scaled) / scale;
}

// The largest integer not above v (a floor), as a double. For a positive v below 2^52 the
// conversion to a whole number, which cuts toward zero, is the floor and costs far less than the
// general one (the month loop floors ages five times a month); zeros keep their sign.
inline double Int(double v) {
  if (v > 0.0 && v < detail::kTwoTo52)
    return static_cast<double>(static_cast<long long>(v));
  return std::floor(v);
}

}  // namespace orvane::numbers
