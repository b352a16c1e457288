#include "valuation/detail/month_loop.h"

#include "numbers/rounding.h"
#include "valuation/detail/interest_state.h"
#include "valuation/detail/payment_step.h"
#include "valuation/detail/survival_segment.h"

namespace orvane::valuation::detail {
namespace {

using numbers::RoundHalfEven;

// The month step of the loop's clock. Slightly above 1/12 on purpose: twelve steps overshoot the
// year end by 8e-8, so a year always makes exactly twelve months however the additions round,
// while 12 x MonthTime stays within a millionth of the whole month number.
constexpr double kMonthStep = 0.08333334;

constexpr double kOneMonth = 1.0 / 12.0;
constexpr double kLastAge = 120.0;

// One life: its age, the probability that it is alive at the start of the month, and its two
// survival segments (before the payment age and from it).
struct Life {
  double age;
  double alive = 1.0;
  SurvivalSegment before;
  SurvivalSegment after;

  // Adds a month to the age; at a whole age the accumulated error is removed and the segments
  // move to the new year of age, the unused one too, so that a change of phase at the payment
  // age continues within the same year of age. Once the payment age is reached nothing reads the
  // segment before it again (unless an observer describes every month), so it is left behind.
  void AgeOneMonth(bool before_still_read) {
    age += kOneMonth;
    if (!ReachesWholeAge(age))
      return;
    age = RoundHalfEven(age);
    const int whole_age = static_cast<int>(age);
    if (before_still_read)
      before.Roll(whole_age);
    after.Roll(whole_age);
  }

  // The month's survival step. A life that has died (alive exactly 0 after age 120) stays dead
  // whatever the factor, a finite number in [0, 1], so its exp is skipped.
  void Survive(const SurvivalSegment& segment) {
    if (alive != 0.0)
      alive *= segment.Factor(age);
  }
};

MonthStart DescribeMonthStart(long row, const Life& participant, const Life& spouse,
                              const InterestState& interest, bool before_payment,
                              long months_elapsed) {
  MonthStart month;
  month.row = row;
  month.age = participant.age;
  month.monthly_q = {
      1.0 - participant.before.Factor(participant.age), 1.0 - spouse.before.Factor(spouse.age),
      1.0 - participant.after.Factor(participant.age), 1.0 - spouse.after.Factor(spouse.age)};
  month.annual_q = {1.0 - participant.before.Survival(), 1.0 - spouse.before.Survival(),
                    1.0 - participant.after.Survival(), 1.0 - spouse.after.Survival()};
  month.Lx = participant.alive;
  month.Ly = spouse.alive;
  month.interest_rate_percent = interest.RatePercent(before_payment, months_elapsed);
  month.Vx = interest.Vx();
  return month;
}

}  // namespace

double RunMonths(const ValuationInputs& inputs, const PreparedAges& ages,
                 const CurveDiscount* curve, MonthObserver* observer,
                 std::vector<TracedMonth>* trace) {
  if (trace != nullptr)
    trace->clear();
  // The segments start in this order: participant and spouse before payment, then from payment.
  SurvivalSegment participant_before(inputs.PrePrimaryMortality, "PrePrimaryMortality",
                                     Input::PrePrimaryMortality, "participant", ages.x);
  SurvivalSegment spouse_before(inputs.PreContingentMortality, "PreContingentMortality",
                                Input::PreContingentMortality, "spouse", ages.y);
  SurvivalSegment participant_after(inputs.PostPrimaryMortality, "PostPrimaryMortality",
                                    Input::PostPrimaryMortality, "participant", ages.x);
  SurvivalSegment spouse_after(inputs.PostContingentMortality, "PostContingentMortality",
                               Input::PostContingentMortality, "spouse", ages.y);
  Life participant{ages.x, 1.0, participant_before, participant_after};
  Life spouse{ages.y, 1.0, spouse_before, spouse_after};

  InterestState interest(inputs, curve);
  const bool full_curve = interest.mode() == InterestMode::kFullYieldCurve;
  PaymentStep payments(inputs);
  const double r = ages.r;
  const double payment_month_number = RoundHalfEven(12.0 * r);

  for (long years_elapsed = 0;; ++years_elapsed) {
    if (participant.alive <= 0.0 && spouse.alive <= 0.0 &&
        !payments.CertainPaymentsRemain(participant.age, r))
      break;
    if (!full_curve)
      interest.StartYear(years_elapsed);

    const double year_start = static_cast<double>(years_elapsed);
    double month_time = year_start;
    while (month_time < year_start + 1.0) {
      month_time += kMonthStep;
      // The month's row and the whole months from the valuation date to its start; only the
      // full yield curve and the observer read them.
      long row = 0;
      long months_elapsed = 0;
      if (full_curve || observer != nullptr) {
        row = static_cast<long>(RoundHalfEven(12.0 * month_time));
        months_elapsed = static_cast<long>(RoundHalfEven(12.0 * month_time - 1.0));
      }
      if (full_curve)
        interest.StartMonth(months_elapsed);

      // The month is classified by the ages at its start, compared in whole months.
      const bool before_payment = RoundHalfEven(12.0 * participant.age) < payment_month_number;
      if (observer != nullptr) {
        observer->OnMonthStart(
            DescribeMonthStart(row, participant, spouse, interest, before_payment, months_elapsed));
      }

      if (trace != nullptr)
        trace->push_back({years_elapsed, months_elapsed});
      if (before_payment) {
        participant.Survive(participant.before);
        spouse.Survive(spouse.before);
        interest.DiscountMonthBeforePayment();
        if (observer != nullptr) {
          MonthPayment nothing;
          nothing.row = row;
          observer->OnPayment(nothing);
        }
      } else {
        // Payments are made at the start of the month, before its survival and discount steps.
        double weight = 0.0;
        if (observer == nullptr) {
          weight = payments.Pay(row, participant.age, r, participant.alive, spouse.alive,
                                interest.Vx(), nullptr);
        } else {
          MonthPayment paid;
          weight = payments.Pay(row, participant.age, r, participant.alive, spouse.alive,
                                interest.Vx(), &paid);
          observer->OnPayment(paid);
        }
        if (trace != nullptr) {
          trace->back().payment = true;
          trace->back().benefit = payments.CurrentBenefit();
          trace->back().weight = weight;
        }
        participant.Survive(participant.after);
        spouse.Survive(spouse.after);
        interest.DiscountPaymentMonth();
        payments.CostOfLivingCheck(participant.age, r);
      }

      // The months are classified by the participant's age, which only grows.
      const bool before_still_read = before_payment || observer != nullptr;
      participant.AgeOneMonth(before_still_read);
      spouse.AgeOneMonth(before_still_read);
    }

    interest.EndYear();
    // Strictly greater: a life aged exactly 120 at the year end lives on for another year.
    if (participant.age > kLastAge)
      participant.alive = 0.0;
    if (spouse.age > kLastAge)
      spouse.alive = 0.0;
  }
  return payments.ValueSum();
}

}  // namespace orvane::valuation::detail
