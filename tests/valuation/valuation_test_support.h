#pragma once

#include <string>
#include <vector>

#include "mortality/q_table.h"
#include "valuation/month_observer.h"
#include "valuation/valuation_error.h"
#include "valuation/valuation_inputs.h"

namespace orvane::valuation {

// The message of the ValuationError that `call` throws, or "" when it throws none.
template <typename F>
std::string ErrorOf(F&& call) try {
  call();
  return "";
} catch (const ValuationError& error) {
  return error.what();
}

// Keeps every month the valuation reports; row j (1-based) of the run is Start(j).
class MonthRecorder : public MonthObserver {
 public:
  void OnMonthStart(const MonthStart& month) override { starts.push_back(month); }
  void OnPayment(const MonthPayment& payment) override { payments.push_back(payment); }
  const MonthStart& Start(long row) const { return starts.at(static_cast<std::size_t>(row - 1)); }
  std::vector<MonthStart> starts;
  std::vector<MonthPayment> payments;
};

// The rate q + per_age x age at every age 1..120. The default table's rate age / 1000 (0.060 at
// 60) makes each age's rate recognisable.
inline QTable ConstantTable(double q, double per_age = 0.0) {
  QTable table;
  for (int age = 1; age <= QTable::kLastAge; ++age) table.set(age, q + per_age * age);
  return table;
}

// Participant, spouse and payment age 65, benefit 1000, no interest, every table `table`.
inline ValuationInputs PlainInputs(const QTable& table = ConstantTable(0.0, 0.001)) {
  ValuationInputs inputs;
  inputs.Maximum = 1.0e9;
  inputs.PrePrimaryMortality = inputs.PreContingentMortality = table;
  inputs.PostPrimaryMortality = inputs.PostContingentMortality = table;
  return inputs;
}

}  // namespace orvane::valuation
