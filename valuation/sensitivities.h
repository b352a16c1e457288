// How much the present value moves when interest rates move: durations, convexity and the dollar
// value of a basis point, from the same run as the value.
//
// A basis point is 0.01 on the form's percent rates and 0.0001 on a yield curve's decimal spot
// rates. With PV the unrounded value and PV(-) and PV(+) the values with the rates one basis
// point lower and higher:
//   Duration  = (PV(-) - PV(+)) / (2 x 0.0001 x PV)        every rate the mode uses shifted
//   Convexity = (PV(-) + PV(+) - 2 PV) / (0.0001^2 x PV)
//   DV01      = (PV(-) - PV(+)) / 2
//   Duration1..3  as Duration with only InterestRate1, 2 or 3 shifted (not with a full curve)
//   DurationPost  as Duration with only PostRetirementInterest shifted (select and ultimate only)
// In segment mode each payment is discounted at one of the three rates, so Duration1 + Duration2
// + Duration3 is Duration up to rounding.
//
// Survival and the benefit amounts do not depend on interest: the value and every shifted value
// are the month loop's replay (detail::ReplayMonths) of the payments of the one run, at the
// form's rates and at the shifted ones, instead of walking the survival again.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "valuation/valuation_engine.h"

namespace orvane::valuation {

// How the run discounted, which decides the figures it has.
enum class DiscountMode {
  kSelectAndUltimate,  // all seven figures
  kSegment,            // all but DurationPost
  kFullYieldCurve,     // Duration, Convexity and DV01
};

// The value and its sensitivities. A figure that the mode does not have is empty; a figure the
// mode has is empty only when it cannot be given (a present value of 0 has no duration), and
// `missing` then says why.
struct Sensitivities {
  double value = 0.0;  // exactly what Orvane returns for the same inputs and context
  DiscountMode mode = DiscountMode::kSelectAndUltimate;
  std::optional<double> Duration;
  std::optional<double> Convexity;
  std::optional<double> DV01;
  std::optional<double> Duration1;
  std::optional<double> Duration2;
  std::optional<double> Duration3;
  std::optional<double> DurationPost;
  std::string missing;  // empty, or why a figure of the mode is empty
};

// One figure under its name, in the order Duration, Convexity, DV01, Duration1, Duration2,
// Duration3, DurationPost (the order of orvane-value's lines and of the census columns).
struct NamedFigure {
  const char* name;
  bool of_mode;  // whether the run's mode has this figure
  std::optional<double> value;
};
inline constexpr std::size_t kFigureCount = 7;
std::array<NamedFigure, kFigureCount> FiguresOf(const Sensitivities& figures);

// A full yield curve with every spot rate a basis point lower and higher, which the sensitivities
// discount with. Both curves, or neither and `refusal` says why (a rate pushed to -100% or to a
// factor beyond the range of a double). Building them takes the curve's 1,440 monthly factors
// twice, so a batch run builds them once per curve (CurveCache) and passes them in the context.
struct MovedCurves {
  std::optional<CurveDiscount> down;
  std::optional<CurveDiscount> up;
  std::string refusal;
};
MovedCurves MoveByBasisPoint(const CurveDiscount& curve);

// The value of `inputs` as Orvane gives it, with its sensitivities. Throws what Orvane throws;
// a shift that cannot be valued (a rate pushed to -100%) empties the figures that need it and
// says so in `missing` instead. Never gives NaN or infinity.
Sensitivities ValueWithSensitivities(const ValuationInputs& inputs,
                                     const ValuationContext& context = {});

}  // namespace orvane::valuation
