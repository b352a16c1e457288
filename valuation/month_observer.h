#pragma once

#include <array>

namespace orvane::valuation {

// What the month loop knows at the start of a month, before its survival and discount steps.
// Index order of the four-table arrays: participant before payment, spouse before payment,
// participant from payment, spouse from payment.
struct MonthStart {
  long row = 0;                       // round(12 x MonthTime): month k of year n is 12n + k
  double age = 0.0;                   // x, the participant's age at the start of the month
  std::array<double, 4> monthly_q{};  // 1 - monthly factor of each segment
  std::array<double, 4> annual_q{};   // 1 - Survival of each segment
  double Lx = 0.0;
  double Ly = 0.0;
  // The annual rate in percent that actually discounts this month: in segment mode the rate of
  // the year's slot; in select-and-ultimate mode that rate before the payment age and
  // PostRetirementInterest from it on; with a full yield curve the curve's rate of the month.
  double interest_rate_percent = 0.0;
  double Vx = 0.0;  // the factor that discounts this month's payment
};

// What a month paid. In a month before the payment age every amount is zero and
// payment_month is false.
struct MonthPayment {
  long row = 0;
  bool payment_month = false;
  bool within_period_certain = false;  // the payment is certain, not life-contingent
  double primary_benefit = 0.0;        // CurrentBenefit
  double survivor_benefit = 0.0;       // CurrentBenefit x PercentToSurvivor / 100
  double period_certain_value = 0.0;   // CurrentBenefit x Vx x SurvivalAtPayment, if certain
  double primary_value = 0.0;          // CurrentBenefit x Vx x Lx, if life-contingent
  double contingent_value = 0.0;       // CurrentBenefit x Vx x % x (Ly - Lx Ly) / 100
};

// Receives every month of a valuation run while the calculation detail is kept. The valuation
// calls OnMonthStart and then OnPayment once for each month, in order; rows may go beyond 1440
// for the youngest lives.
class MonthObserver {
 public:
  virtual ~MonthObserver() = default;
  virtual void OnMonthStart(const MonthStart& month) = 0;
  virtual void OnPayment(const MonthPayment& payment) = 0;
};

}  // namespace orvane::valuation
