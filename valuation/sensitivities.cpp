#include "valuation/sensitivities.h"

#include <array>
#include <cmath>
#include <vector>

#include "valuation/detail/error_text.h"
#include "valuation/detail/input_checks.h"
#include "valuation/detail/interest_state.h"
#include "valuation/detail/month_loop.h"
#include "valuation/detail/prepared_ages.h"
#include "valuation/detail/value_of_sum.h"

namespace orvane::valuation {
namespace {

using detail::InterestInputs;
using detail::TracedMonth;

constexpr double kBasisPoint = 0.0001;       // on a decimal rate
constexpr double kBasisPointPercent = 0.01;  // on the form's rates in percent

// The rates a shift moves.
enum RateSet : unsigned {
  kRate1 = 1,
  kRate2 = 2,
  kRate3 = 4,
  kPostRetirement = 8,
};

constexpr std::array<const char*, 4> kRateNames = {"InterestRate1", "InterestRate2",
                                                   "InterestRate3", "PostRetirementInterest"};

// The payments of a traced run discounted again: their sum, and the sums of the payments of each
// rate slot, which in segment mode are the payments that each rate discounts.
struct Rediscounted {
  double sum = 0.0;
  std::array<double, 3> by_slot{};
};

// Discounts the traced payments step by step as the month loop does, at `rates` or along
// `curve`. With the run's own rates the sum is the run's to the bit.
Rediscounted Rediscount(const std::vector<TracedMonth>& months, const InterestInputs& rates,
                        const CurveDiscount* curve) {
  detail::InterestState interest(rates, curve);
  const bool full_curve = curve != nullptr;
  Rediscounted result;
  long year = -1;
  for (const TracedMonth& month : months) {
    if (month.years_elapsed != year) {
      if (year >= 0)
        interest.EndYear();
      year = month.years_elapsed;
      if (!full_curve)
        interest.StartYear(year);
    }
    if (full_curve)
      interest.StartMonth(month.months_elapsed);
    if (!month.payment) {
      interest.DiscountMonthBeforePayment();
    } else {
      const double value = month.benefit * interest.Vx() * month.weight;
      result.sum = result.sum + value;
      result.by_slot[static_cast<std::size_t>(interest.slot())] += value;
      interest.DiscountPaymentMonth();
    }
  }
  return result;
}

// The months before the first payment in each rate slot (select and ultimate mode), and whether
// anything is paid. Each such month multiplies Vx by the monthly discount of its slot's rate,
// and every payment carries their product.
struct MonthsBeforePayment {
  std::array<double, 3> by_slot{};
  bool paid = false;
};

MonthsBeforePayment CountMonthsBeforePayment(const std::vector<TracedMonth>& months,
                                             const InterestInputs& rates) {
  detail::InterestState interest(rates, nullptr);
  MonthsBeforePayment count;
  long year = -1;
  for (const TracedMonth& month : months) {
    if (month.years_elapsed != year) {
      year = month.years_elapsed;
      interest.StartYear(year);
    }
    if (month.payment) {
      count.paid = true;
      break;
    }
    count.by_slot[static_cast<std::size_t>(interest.slot())] += 1.0;
  }
  return count;
}

// The values one basis point lower and higher, and those of the payments of each rate slot.
struct Moved {
  double down = 0.0;
  double up = 0.0;
  std::array<double, 3> slot_down{};
  std::array<double, 3> slot_up{};
};

// In segment mode the payments of slot k are the only ones that InterestRate(k+1) discounts, so
// moving that rate alone moves the value by what it moves their sum. A duration takes only the
// difference of the two values, which is then the difference of the two sums.
std::optional<Moved> SlotAlone(const std::optional<Moved>& all, std::size_t k) {
  if (!all)
    return std::nullopt;
  Moved moved;
  moved.down = all->slot_down[k];
  moved.up = all->slot_up[k];
  return moved;
}

class Shifts {
 public:
  Shifts(const ValuationInputs& inputs, const ValuationContext& context,
         const std::vector<TracedMonth>& months, double value, std::string& missing)
      : inputs_(inputs),
        context_(context),
        months_(months),
        rates_(detail::InterestInputsOf(inputs)),
        value_(value),
        missing_(missing),
        select_and_ultimate_(context.full_yield_curve == nullptr && !inputs.TreatAsYieldCurve),
        before_payment_(select_and_ultimate_ ? CountMonthsBeforePayment(months, rates_)
                                             : MonthsBeforePayment{}) {}

  // Moves the form's rates of `set`; empty, with the reason noted, when a moved rate cannot
  // discount.
  std::optional<Moved> MoveRates(unsigned set) {
    Moved moved;
    for (const double sign : {-1.0, 1.0}) {
      InterestInputs rates = rates_;
      for (std::size_t k = 0; k < kRateNames.size(); ++k) {
        if ((set & (1u << k)) == 0)
          continue;
        double& rate = k < 3 ? rates.rates[k] : rates.post_retirement;
        const double form_rate = rate;
        rate += sign * kBasisPointPercent;
        if (rate <= -100.0) {
          Note(std::string(kRateNames[k]) + " of " + detail::NumberText(form_rate) +
               "% cannot move a basis point lower: an interest rate must be above -100%");
          return std::nullopt;
        }
      }
      if (select_and_ultimate_ && before_payment_.paid) {
        (sign < 0 ? moved.down : moved.up) = SelectAndUltimateValue(set, rates);
        continue;
      }
      const Rediscounted values = ValueAt(rates, nullptr);
      (sign < 0 ? moved.down : moved.up) = values.sum;
      (sign < 0 ? moved.slot_down : moved.slot_up) = values.by_slot;
    }
    return moved;
  }

  // Moves every spot rate of the full yield curve.
  std::optional<Moved> MoveCurve() {
    try {
      const CurveDiscount down = context_.full_yield_curve->Shifted(-kBasisPoint);
      const CurveDiscount up = context_.full_yield_curve->Shifted(kBasisPoint);
      Moved moved;
      moved.down = ValueAt(rates_, &down).sum;
      moved.up = ValueAt(rates_, &up).sum;
      return moved;
    } catch (const ValuationError& e) {
      Note(std::string("The yield curve cannot move a basis point: ") + e.what());
      return std::nullopt;
    }
  }

  // (PV(-) - PV(+)) / (2 x 0.0001 x PV).
  std::optional<double> Duration(const std::optional<Moved>& moved) {
    if (!moved || value_ == 0.0)
      return std::nullopt;
    return Finite((moved->down - moved->up) / (2.0 * kBasisPoint * value_), "A duration");
  }

  std::optional<double> Convexity(const std::optional<Moved>& moved) {
    if (!moved || value_ == 0.0)
      return std::nullopt;
    return Finite((moved->down + moved->up - 2.0 * value_) / (kBasisPoint * kBasisPoint * value_),
                  "The convexity");
  }

  std::optional<double> DV01(const std::optional<Moved>& moved) {
    if (!moved)
      return std::nullopt;
    return Finite((moved->down - moved->up) / 2.0, "DV01");
  }

 private:
  // In select and ultimate mode the three rates discount only the months before the payment
  // age, which come first, so every payment carries the same discount to the payment age for
  // them: moving them scales the value by that discount's change. Only PostRetirementInterest
  // needs the payments discounted again.
  double SelectAndUltimateValue(unsigned set, const InterestInputs& rates) const {
    double value = value_;
    if ((set & kPostRetirement) != 0) {
      InterestInputs post_only = rates_;
      post_only.post_retirement = rates.post_retirement;
      value = ValueAt(post_only, nullptr).sum;
    }
    for (std::size_t k = 0; k < 3; ++k) {
      if ((set & (1u << k)) != 0 && before_payment_.by_slot[k] > 0.0) {
        value *= std::pow(
            detail::MonthlyDiscount(rates.rates[k]) / detail::MonthlyDiscount(rates_.rates[k]),
            before_payment_.by_slot[k]);
      }
    }
    return value;
  }

  // Grossed up for the load, as the value is.
  Rediscounted ValueAt(const InterestInputs& rates, const CurveDiscount* curve) const {
    Rediscounted values = Rediscount(months_, rates, curve);
    const double load_factor = 1.0 - inputs_.Load / 100.0;
    values.sum /= load_factor;
    for (double& slot : values.by_slot) slot /= load_factor;
    return values;
  }

  std::optional<double> Finite(double figure, const char* what) {
    if (std::isfinite(figure))
      return figure;
    Note(std::string(what) + " is too large for a number");
    return std::nullopt;
  }

  void Note(const std::string& reason) {
    if (missing_.empty())
      missing_ = reason;
  }

  const ValuationInputs& inputs_;
  const ValuationContext& context_;
  const std::vector<TracedMonth>& months_;
  const InterestInputs rates_;
  const double value_;
  std::string& missing_;
  const bool select_and_ultimate_;
  const MonthsBeforePayment before_payment_;
};

}  // namespace

std::array<NamedFigure, 7> FiguresOf(const Sensitivities& figures) {
  const bool rates = figures.mode != DiscountMode::kFullYieldCurve;
  const bool post = figures.mode == DiscountMode::kSelectAndUltimate;
  return {{{"Duration", true, figures.Duration},
           {"Convexity", true, figures.Convexity},
           {"DV01", true, figures.DV01},
           {"Duration1", rates, figures.Duration1},
           {"Duration2", rates, figures.Duration2},
           {"Duration3", rates, figures.Duration3},
           {"DurationPost", post, figures.DurationPost}}};
}

Sensitivities ValueWithSensitivities(const ValuationInputs& inputs,
                                     const ValuationContext& context) {
  detail::CheckInputs(inputs);
  const detail::PreparedAges ages = detail::PrepareAges(inputs);
  std::vector<TracedMonth> months;
  months.reserve(1500);  // the longest runs: a life aged 0 to past 120
  Sensitivities result;
  result.value = detail::ValueOfSum(
      detail::RunMonths(inputs, ages, context.full_yield_curve, context.detail, &months), inputs);
  if (result.value == 0.0)
    result.missing = "The present value is 0, so it has no duration or convexity";

  Shifts shifts(inputs, context, months, result.value, result.missing);
  if (context.full_yield_curve != nullptr) {
    result.mode = DiscountMode::kFullYieldCurve;
    const std::optional<Moved> all = shifts.MoveCurve();
    result.Duration = shifts.Duration(all);
    result.Convexity = shifts.Convexity(all);
    result.DV01 = shifts.DV01(all);
    return result;
  }
  // In segment mode PostRetirementInterest discounts nothing, so it does not move.
  const bool segment = inputs.TreatAsYieldCurve;
  result.mode = segment ? DiscountMode::kSegment : DiscountMode::kSelectAndUltimate;
  const std::optional<Moved> all =
      shifts.MoveRates(kRate1 | kRate2 | kRate3 | (segment ? 0u : kPostRetirement));
  result.Duration = shifts.Duration(all);
  result.Convexity = shifts.Convexity(all);
  result.DV01 = shifts.DV01(all);
  if (segment) {
    result.Duration1 = shifts.Duration(SlotAlone(all, 0));
    result.Duration2 = shifts.Duration(SlotAlone(all, 1));
    result.Duration3 = shifts.Duration(SlotAlone(all, 2));
    return result;
  }
  result.Duration1 = shifts.Duration(shifts.MoveRates(kRate1));
  result.Duration2 = shifts.Duration(shifts.MoveRates(kRate2));
  result.Duration3 = shifts.Duration(shifts.MoveRates(kRate3));
  result.DurationPost = shifts.Duration(shifts.MoveRates(kPostRetirement));
  return result;
}

}  // namespace orvane::valuation
