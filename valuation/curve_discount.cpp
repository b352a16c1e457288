#include <cmath>
#include <sstream>
#include <string>

#include "numbers/rounding.h"
#include "valuation/valuation_error.h"
#include "valuation/yield_curve.h"

namespace orvane::valuation {
namespace {

constexpr long kTabulatedMonths = 1440;
// From 100 years on every payment is discounted at the last half-year's rate.
constexpr long kLastRateFromMonth = 1200;

// The half-year row (1..200) of a payment made `month` whole months after the valuation date.
// The 0.001 keeps exact multiples of six from falling into the row below.
long HalfYearRow(long month) {
  if (month >= kLastRateFromMonth)
    return CurveDiscount::kHalfYears;
  return static_cast<long>(numbers::Int(static_cast<double>(month) / 6.0 + 0.001)) + 1;
}

// (1 + rate)^(-month/12). A rate just above -100% discounts by a factor beyond the range of a
// double within the 1441 months of a valuation (-99.9% from month 1234 on); that is refused here
// rather than let an infinite present value out.
double Discount(double rate, int half_year, long month) {
  const double factor = std::pow(1.0 / (1.0 + rate), static_cast<double>(month) / 12.0);
  if (!std::isfinite(factor)) {
    std::ostringstream message;
    message << "The yield curve rate of half-year " << half_year << " (" << rate * 100.0
            << "%) gives month " << month
            << " a discount factor too large for a number: the rate is too close to -100%";
    throw ValuationError(message.str(), Input::FullYieldCurve);
  }
  return factor;
}

}  // namespace

CurveDiscount::CurveDiscount(std::span<const double> half_year_rates)
    : rates_(half_year_rates.begin(), half_year_rates.end()) {
  if (rates_.size() != static_cast<std::size_t>(kHalfYears)) {
    throw ValuationError(
        "A yield curve needs 200 half-yearly spot rates, not " + std::to_string(rates_.size()),
        Input::FullYieldCurve);
  }
  for (std::size_t h = 0; h < rates_.size(); ++h) {
    if (!std::isfinite(rates_[h]) || rates_[h] <= -1.0) {
      throw ValuationError("The yield curve rate of half-year " + std::to_string(h + 1) +
                               " is not a usable rate (it must be a number above -100%)",
                           Input::FullYieldCurve);
    }
  }
  factors_.resize(static_cast<std::size_t>(kTabulatedMonths) + 1);
  factors_[0] = 1.0;
  for (long m = 1; m <= kTabulatedMonths; ++m) {
    const long row = HalfYearRow(m);
    factors_[static_cast<std::size_t>(m)] =
        Discount(rates_[static_cast<std::size_t>(row - 1)], static_cast<int>(row), m);
  }
}

double CurveDiscount::Factor(long month) const {
  if (month < 0) {
    throw ValuationError("No discount factor for month " + std::to_string(month) +
                         ": months are counted from the valuation date");
  }
  if (month <= kTabulatedMonths)
    return factors_[static_cast<std::size_t>(month)];
  return Discount(rates_[kHalfYears - 1], kHalfYears, month);
}

double CurveDiscount::RatePercent(long month) const {
  if (month < 0) {
    throw ValuationError("No yield curve rate for month " + std::to_string(month) +
                         ": months are counted from the valuation date");
  }
  return rates_[static_cast<std::size_t>(HalfYearRow(month) - 1)] * 100.0;
}

CurveDiscount CurveDiscount::Shifted(double delta) const {
  std::vector<double> moved = rates_;
  for (double& rate : moved) rate += delta;
  return CurveDiscount(moved);
}

}  // namespace orvane::valuation
