#include "valuation/sensitivities.h"

#include <array>
#include <cmath>
#include <optional>
#include <span>
#include <vector>

#include "valuation/detail/error_text.h"
#include "valuation/detail/input_checks.h"
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
        missing_(missing) {}

  // Moves the form's rates of each of `sets` down and up, all replayed in one pass; a set is
  // empty, with the reason noted, when a moved rate cannot discount.
  std::vector<std::optional<Moved>> MoveRates(std::span<const unsigned> sets) {
    std::vector<detail::DiscountBasis> bases;
    std::vector<std::size_t> first_basis(sets.size(), kNotMoved);
    for (std::size_t s = 0; s < sets.size(); ++s) {
      const std::optional<InterestInputs> down = MovedRates(sets[s], -1.0);
      const std::optional<InterestInputs> up = MovedRates(sets[s], 1.0);
      if (!down || !up)
        continue;
      first_basis[s] = bases.size();
      bases.push_back({*down, nullptr});
      bases.push_back({*up, nullptr});
    }
    const std::vector<detail::DiscountedPayments> values = ValuesOn(bases);
    std::vector<std::optional<Moved>> moved(sets.size());
    for (std::size_t s = 0; s < sets.size(); ++s) {
      if (first_basis[s] == kNotMoved)
        continue;
      const detail::DiscountedPayments& down = values[first_basis[s]];
      const detail::DiscountedPayments& up = values[first_basis[s] + 1];
      moved[s] = Moved{down.sum, up.sum, down.by_slot, up.by_slot};
    }
    return moved;
  }

  // Moves every spot rate of the full yield curve, with the moved curves the caller keeps or,
  // without them, built here.
  std::optional<Moved> MoveCurve() {
    std::optional<MovedCurves> built;
    const MovedCurves* curves = context_.moved_curves;
    if (curves == nullptr)
      curves = &built.emplace(MoveByBasisPoint(*context_.full_yield_curve));
    if (!curves->down || !curves->up) {
      Note("The yield curve cannot move a basis point: " + curves->refusal);
      return std::nullopt;
    }
    const detail::DiscountBasis bases[] = {{rates_, &*curves->down}, {rates_, &*curves->up}};
    const std::vector<detail::DiscountedPayments> values = ValuesOn(bases);
    Moved moved;
    moved.down = values[0].sum;
    moved.up = values[1].sum;
    return moved;
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
  static constexpr std::size_t kNotMoved = static_cast<std::size_t>(-1);

  // The form's rates with those of `set` moved a basis point in the direction of `sign`; empty,
  // with the reason noted, when a moved rate is -100% or below.
  std::optional<InterestInputs> MovedRates(unsigned set, double sign) {
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
    return rates;
  }

  // The recorded payments replayed on each of `bases`, grossed up for the load as the value is.
  std::vector<detail::DiscountedPayments> ValuesOn(
      std::span<const detail::DiscountBasis> bases) const {
    std::vector<detail::DiscountedPayments> values = detail::ReplayMonths(months_, bases);
    for (detail::DiscountedPayments& value : values) {
      value.sum = detail::GrossedUpForLoad(value.sum, inputs_);
      for (double& slot : value.by_slot) slot = detail::GrossedUpForLoad(slot, inputs_);
    }
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
};

}  // namespace

MovedCurves MoveByBasisPoint(const CurveDiscount& curve) {
  MovedCurves moved;
  try {
    moved.down.emplace(curve.Shifted(-kBasisPoint));
    moved.up.emplace(curve.Shifted(kBasisPoint));
  } catch (const ValuationError& e) {
    moved.down.reset();
    moved.up.reset();
    moved.refusal = e.what();
  }
  return moved;
}

std::array<NamedFigure, kFigureCount> FiguresOf(const Sensitivities& figures) {
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
  Sensitivities result;
  result.value = detail::ValueOfSum(detail::RunMonths(inputs, ages, context, &months), inputs);
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
  if (segment) {
    const unsigned sets[] = {kRate1 | kRate2 | kRate3};
    const std::optional<Moved> all = shifts.MoveRates(sets)[0];
    result.Duration = shifts.Duration(all);
    result.Convexity = shifts.Convexity(all);
    result.DV01 = shifts.DV01(all);
    result.Duration1 = shifts.Duration(SlotAlone(all, 0));
    result.Duration2 = shifts.Duration(SlotAlone(all, 1));
    result.Duration3 = shifts.Duration(SlotAlone(all, 2));
    return result;
  }
  const unsigned sets[] = {kRate1 | kRate2 | kRate3 | kPostRetirement, kRate1, kRate2, kRate3,
                           kPostRetirement};
  const std::vector<std::optional<Moved>> moved = shifts.MoveRates(sets);
  result.Duration = shifts.Duration(moved[0]);
  result.Convexity = shifts.Convexity(moved[0]);
  result.DV01 = shifts.DV01(moved[0]);
  result.Duration1 = shifts.Duration(moved[1]);
  result.Duration2 = shifts.Duration(moved[2]);
  result.Duration3 = shifts.Duration(moved[3]);
  result.DurationPost = shifts.Duration(moved[4]);
  return result;
}

}  // namespace orvane::valuation
