#include "valuation/detail/month_loop.h"

#include <algorithm>

#include "numbers/rounding.h"
#include "valuation/detail/interest_state.h"
#include "valuation/detail/payment_step.h"
#include "valuation/detail/survival_segment.h"
#include "valuation/survival_cache.h"
#include "valuation/valuation_error.h"

namespace orvane::valuation::detail {
namespace {

using numbers::RoundHalfEven;

constexpr double kOneMonth = 1.0 / 12.0;
constexpr double kLastAge = 120.0;

// The months completed in the year of age of `age`, as the month loop counts them from there.
int CompletedMonthsInYear(double age) {
  return static_cast<int>(RoundHalfEven((age - numbers::Int(age)) * 12.0));
}

// The survival segments of one life: before the payment age and from it.
struct LifeTables {
  SurvivalSegment before;
  SurvivalSegment after;

  // Moves the segments to the year of age `whole_age`, the unused one too, so that a change of
  // phase at the payment age continues within the same year of age. Once the payment age is
  // reached nothing reads the segment before it again (unless an observer describes every
  // month), so it is left behind.
  void Roll(int whole_age, bool before_still_read) {
    if (before_still_read)
      before.Roll(whole_age);
    after.Roll(whole_age);
  }
};

// One life: its age, the probability that it is alive at the start of the month, and its
// tables. A plain value that the walk keeps in registers; only the tables live elsewhere.
//
// Every starting age lies on a whole month (PrepareAges) and moves a month at a time, its error
// from the additions of 1/12 removed at each whole age. So the months completed in the year of
// age, which pick the month's survival factor and mark the birthdays, are counted instead of
// being worked out from the age: the count is what rounding (age - Int(age)) x 12 gives, to
// within a few units in the last place of the age. The age itself is kept for the payments.
struct Life {
  double age;
  int months_in_year;  // 0..11
  double alive;
  LifeTables* tables;

  // Adds a month to the age; at a whole age the accumulated error is removed and the tables
  // move to the new year of age.
  void AgeOneMonth(bool before_still_read) {
    age += kOneMonth;
    if (++months_in_year < 12)
      return;
    months_in_year = 0;
    age = RoundHalfEven(age);
    tables->Roll(static_cast<int>(age), before_still_read);
  }

  // The month's survival step before the payment age or from it. A life that has died (alive
  // exactly 0 after age 120) stays dead whatever the factor, a finite number in [0, 1].
  void Survive(bool before_payment) {
    if (alive != 0.0)
      alive *= (before_payment ? tables->before : tables->after).Factor(months_in_year);
  }

  // Strictly greater: a life aged exactly 120 at the year end lives on for another year.
  void EndYear() {
    if (age > kLastAge)
      alive = 0.0;
  }
};

struct Lives {
  LifeTables participant_tables;
  LifeTables spouse_tables;
};

// Both lives at the valuation date. The segments start in this order: participant and spouse
// before payment, then from payment, so a failure names the first of them at fault.
Lives StartLives(const ValuationInputs& inputs, const PreparedAges& ages, SurvivalCache* cache) {
  const auto shared = [cache](const QTable& table) {
    return cache != nullptr ? cache->Of(table) : nullptr;
  };
  SurvivalSegment participant_before(inputs.PrePrimaryMortality, "PrePrimaryMortality",
                                     Input::PrePrimaryMortality, "participant", ages.x,
                                     shared(inputs.PrePrimaryMortality));
  SurvivalSegment spouse_before(inputs.PreContingentMortality, "PreContingentMortality",
                                Input::PreContingentMortality, "spouse", ages.y,
                                shared(inputs.PreContingentMortality));
  SurvivalSegment participant_after(inputs.PostPrimaryMortality, "PostPrimaryMortality",
                                    Input::PostPrimaryMortality, "participant", ages.x,
                                    shared(inputs.PostPrimaryMortality));
  SurvivalSegment spouse_after(inputs.PostContingentMortality, "PostContingentMortality",
                               Input::PostContingentMortality, "spouse", ages.y,
                               shared(inputs.PostContingentMortality));
  return Lives{LifeTables{participant_before, participant_after},
               LifeTables{spouse_before, spouse_after}};
}

// The discount factor through the months of a run, in their order: the year's rate slot at each
// new year, the curve's factor of each month, each month's discount step after it. The run sums
// its payments with it as it walks (one lane, described month by month to an observer), and the
// replay sums the recorded months with it at other rates (several lanes), so both discount in one
// order. What the lanes share (a new year, the payment's amounts, the slot) is read once a month.
template <std::size_t W>
class MonthDiscounting {
 public:
  MonthDiscounting(std::span<const InterestInputs, W> rates,
                   std::span<const CurveDiscount* const, W> curves)
      : interest_(rates, curves), full_curve_(curves[0] != nullptr) {}

  // Start of `month`: afterwards interest().Vx() discounts its payment.
  void Enter(const TracedMonth& month) {
    if (month.years_elapsed != year_) {
      if (year_ >= 0)
        interest_.EndYear();
      year_ = month.years_elapsed;
      if (!full_curve_)
        interest_.StartYear(year_);
    }
    if (full_curve_)
      interest_.StartMonth(month.months_elapsed);
  }

  // End of `month`: adds the value of its payment, then discounts a month further.
  void Leave(const TracedMonth& month) {
    if (!month.payment) {
      interest_.DiscountMonthBeforePayment();
      return;
    }
    const std::array<double, W>& vx = interest_.Vx();
    std::array<double, W>& by_slot = by_slot_[static_cast<std::size_t>(interest_.slot())];
    for (std::size_t b = 0; b < W; ++b) {
      const double value = month.benefit * vx[b] * month.weight;
      sum_[b] = sum_[b] + value;
      by_slot[b] += value;
    }
    interest_.DiscountPaymentMonth();
  }

  const InterestState<W>& interest() const { return interest_; }
  DiscountedPayments paid(std::size_t b) const {
    return {sum_[b], {by_slot_[0][b], by_slot_[1][b], by_slot_[2][b]}};
  }

 private:
  InterestState<W> interest_;
  bool full_curve_;
  long year_ = -1;
  std::array<double, W> sum_{};
  std::array<std::array<double, W>, 3> by_slot_{};
};

// Replays `months` on `bases` (at most W) in one pass of W lanes; lanes beyond the bases repeat
// the last basis and are dropped.
template <std::size_t W>
void ReplayLanes(const std::vector<TracedMonth>& months, std::span<const DiscountBasis> bases,
                 std::vector<DiscountedPayments>& paid) {
  std::array<InterestInputs, W> rates;
  std::array<const CurveDiscount*, W> curves;
  for (std::size_t b = 0; b < W; ++b) {
    const DiscountBasis& basis = bases[std::min(b, bases.size() - 1)];
    rates[b] = basis.rates;
    curves[b] = basis.curve;
  }
  MonthDiscounting<W> discounting(rates, curves);
  for (const TracedMonth& month : months) {
    discounting.Enter(month);
    discounting.Leave(month);
  }
  for (std::size_t b = 0; b < bases.size(); ++b) paid.push_back(discounting.paid(b));
}

MonthStart DescribeMonthStart(long row, const Life& participant, const Life& spouse,
                              const InterestState<1>& interest, bool before_payment,
                              long months_elapsed) {
  MonthStart month;
  month.row = row;
  month.age = participant.age;
  const LifeTables& x = *participant.tables;
  const LifeTables& y = *spouse.tables;
  month.monthly_q = {1.0 - x.before.Factor(participant.months_in_year),
                     1.0 - y.before.Factor(spouse.months_in_year),
                     1.0 - x.after.Factor(participant.months_in_year),
                     1.0 - y.after.Factor(spouse.months_in_year)};
  month.annual_q = {1.0 - x.before.Survival(), 1.0 - y.before.Survival(), 1.0 - x.after.Survival(),
                    1.0 - y.after.Survival()};
  month.Lx = participant.alive;
  month.Ly = spouse.alive;
  month.interest_rate_percent = interest.RatePercent(0, before_payment, months_elapsed);
  month.Vx = interest.Vx()[0];
  return month;
}

// A month from the payment age. Payments are made at the start of the month, before its
// survival and discount steps.
template <bool kWatched>
void PayMonth(TracedMonth& month, Life& participant, Life& spouse, PaymentStep& payments,
              const MonthDiscounting<1>& discounting, double r, bool anniversary,
              MonthObserver* observer) {
  month.payment = true;
  month.benefit = payments.CurrentBenefit();
  month.weight = payments.Pay(participant.age, r, participant.alive, spouse.alive);
  if constexpr (kWatched) {
    if (observer != nullptr) {
      observer->OnPayment(payments.Describe(month.months_elapsed + 1, participant.age, r,
                                            participant.alive, spouse.alive,
                                            discounting.interest().Vx()[0]));
    }
  }
  participant.Survive(false);
  spouse.Survive(false);
  payments.CostOfLivingCheck(anniversary);
}

// The months of a run from the valuation date until the first year end at which both lives
// have passed age 120 (and no certain payment remains), each summed into the discounting; gives
// the sum. Watched, it also describes every month to `observer` and records it in `trace`
// (either may be null); unwatched, it does neither and tests for neither in its months. The
// lives, the payments and the discounting are local values of the walk, which the compiler
// keeps in registers through the months.
template <bool kWatched>
double WalkMonths(Life participant, Life spouse, PaymentStep payments,
                  MonthDiscounting<1> discounting, double r, MonthObserver* observer,
                  std::vector<TracedMonth>* trace) {
  // The participant's age and the payment age in whole months: the months before the payment
  // age are classified by comparing them. On whole months, rounding 12 x age gives the count
  // exactly.
  const auto payment_month = static_cast<long>(RoundHalfEven(12.0 * r));
  auto participant_month = static_cast<long>(RoundHalfEven(12.0 * participant.age));
  // In a payment month, the months from the payment age to the end of the month, modulo 12: 0
  // marks an anniversary of the payment age (a whole number of years after it).
  long months_into_payment_year =
      participant_month >= payment_month ? (participant_month - payment_month) % 12 : 0;
  for (long years_elapsed = 0;; ++years_elapsed) {
    if (participant.alive <= 0.0 && spouse.alive <= 0.0 &&
        !payments.CertainPaymentsRemain(participant.age, r))
      return discounting.paid(0).sum;
    for (long month_of_year = 0; month_of_year < 12; ++month_of_year) {
      // The whole months from the valuation date to the month's start; the month's row in the
      // calculation detail is the next number.
      const long months_elapsed = 12 * years_elapsed + month_of_year;
      TracedMonth month{years_elapsed, months_elapsed};
      const bool before_payment = participant_month < payment_month;
      discounting.Enter(month);
      if constexpr (kWatched) {
        if (observer != nullptr) {
          observer->OnMonthStart(DescribeMonthStart(months_elapsed + 1, participant, spouse,
                                                    discounting.interest(), before_payment,
                                                    months_elapsed));
        }
      }
      if (before_payment) {
        participant.Survive(true);
        spouse.Survive(true);
        if constexpr (kWatched) {
          if (observer != nullptr) {
            MonthPayment nothing;
            nothing.row = months_elapsed + 1;
            observer->OnPayment(nothing);
          }
        }
      } else {
        if (++months_into_payment_year == 12)
          months_into_payment_year = 0;
        PayMonth<kWatched>(month, participant, spouse, payments, discounting, r,
                           months_into_payment_year == 0, observer);
      }
      discounting.Leave(month);
      if constexpr (kWatched) {
        if (trace != nullptr)
          trace->push_back(month);
      }
      // The months are classified by the participant's age, which only grows.
      const bool before_still_read = before_payment || observer != nullptr;
      participant.AgeOneMonth(before_still_read);
      spouse.AgeOneMonth(before_still_read);
      ++participant_month;
    }
    participant.EndYear();
    spouse.EndYear();
  }
}

}  // namespace

std::vector<DiscountedPayments> ReplayMonths(const std::vector<TracedMonth>& months,
                                             std::span<const DiscountBasis> bases) {
  // A replay discounts all its lanes in one mode, the curve's month by month or the rates' year
  // by year: bases of both kinds together would be discounted in the first one's mode.
  const bool curves = !bases.empty() && bases.front().curve != nullptr;
  for (const DiscountBasis& basis : bases) {
    if ((basis.curve != nullptr) != curves) {
      throw ValuationError(
          "A replay of the months cannot discount on a yield curve and on rates at once");
    }
  }
  std::vector<DiscountedPayments> paid;
  paid.reserve(bases.size());
  // Lanes of two and of four: the processor multiplies two doubles at once, and the select and
  // ultimate mode's ten bases go through in three passes.
  while (!bases.empty()) {
    if (bases.size() <= 2) {
      ReplayLanes<2>(months, bases, paid);
      break;
    }
    const std::size_t taken = std::min<std::size_t>(bases.size(), 4);
    ReplayLanes<4>(months, bases.first(taken), paid);
    bases = bases.subspan(taken);
  }
  return paid;
}

double RunMonths(const ValuationInputs& inputs, const PreparedAges& ages,
                 const ValuationContext& context, std::vector<TracedMonth>* trace) {
  if (trace != nullptr) {
    trace->clear();
    trace->reserve(1500);  // the longest runs: a life aged 0 to past 120
  }
  const CurveDiscount* curve = context.full_yield_curve;
  Lives lives = StartLives(inputs, ages, context.survival_cache);
  const InterestInputs rates = InterestInputsOf(inputs);
  // The value is summed as the months go by, by the same discounting that ReplayMonths repeats
  // at other rates; the observer's description reads its factor month by month.
  MonthDiscounting<1> discounting(std::span<const InterestInputs, 1>(&rates, 1),
                                  std::span<const CurveDiscount* const, 1>(&curve, 1));
  const Life participant{ages.x, CompletedMonthsInYear(ages.x), 1.0, &lives.participant_tables};
  const Life spouse{ages.y, CompletedMonthsInYear(ages.y), 1.0, &lives.spouse_tables};
  if (context.detail != nullptr || trace != nullptr) {
    return WalkMonths<true>(participant, spouse, PaymentStep(inputs), discounting, ages.r,
                            context.detail, trace);
  }
  return WalkMonths<false>(participant, spouse, PaymentStep(inputs), discounting, ages.r, nullptr,
                           nullptr);
}

}  // namespace orvane::valuation::detail
