#include "numbers/rounding.h"

#include <cmath>

namespace orvane::numbers {
namespace {

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

double RoundToEvenInteger(double s) {
  const double lower = std::floor(s);
  const double diff = s - lower;
  if (diff > 0.5) return lower + 1.0;
  if (diff < 0.5) return lower;
  // An exact tie: the even one of the two neighbours (cheaper than fmod in the month loop).
  return std::floor(lower * 0.5) * 2.0 == lower ? lower : lower + 1.0;
}

}  // namespace

double RoundHalfEven(double v, int decimals) {
  if (!std::isfinite(v)) return v;
  if (decimals < 0) decimals = 0;
  if (decimals > 15) decimals = 15;
  const double scale = kPowersOfTen[decimals];
  const double scaled = v * scale;
  // Beyond 2^52 every double is already a whole number; scaling back would only add error.
  if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0) return v;
  return RoundToEvenInteger(scaled) / scale;
}

double Int(double v) { return std::floor(v); }

}  // namespace orvane::numbers
