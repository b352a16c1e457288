#include "segment_rates/lump_sum_basis.h"

#include <algorithm>
#include <array>

namespace orvane::segment_rates {
namespace {

using dates::Month;

constexpr std::array<std::pair<std::string_view, StabilityPeriod>, 5> kNames = {{
    {"month", StabilityPeriod::kMonth},
    {"calendar-quarter", StabilityPeriod::kCalendarQuarter},
    {"plan-quarter", StabilityPeriod::kPlanQuarter},
    {"calendar-year", StabilityPeriod::kCalendarYear},
    {"plan-year", StabilityPeriod::kPlanYear},
}};

// The last month, not after `month`, that is `first` plus a whole number of `length` months.
Month PeriodStart(Month month, int first, int length) {
  const int into = ((month.month - first) % length + length) % length;
  return dates::MonthsAfter(month, -into);
}

}  // namespace

std::optional<StabilityPeriod> ParseStabilityPeriod(std::string_view text) {
  for (const auto& [name, period] : kNames) {
    if (name == text)
      return period;
  }
  return std::nullopt;
}

std::string_view StabilityPeriodName(StabilityPeriod period) {
  for (const auto& [name, kind] : kNames) {
    if (kind == period)
      return name;
  }
  return {};
}

std::string PlanTermsRefusal(const PlanTerms& terms) {
  if (terms.lookback < 1 || terms.lookback > 5) {
    return "the lookback month is the 1st to 5th full month before the stability period, not " +
           std::to_string(terms.lookback);
  }
  if (terms.plan_year_begins < 1 || terms.plan_year_begins > 12) {
    return "the plan year's first month is a month from 1 to 12, not " +
           std::to_string(terms.plan_year_begins);
  }
  return {};
}

Month StabilityPeriodStart(const PlanTerms& terms, Month annuity_starting) {
  switch (terms.stability) {
    case StabilityPeriod::kMonth:
      return annuity_starting;
    case StabilityPeriod::kCalendarQuarter:
      return PeriodStart(annuity_starting, 1, 3);
    case StabilityPeriod::kPlanQuarter:
      return PeriodStart(annuity_starting, terms.plan_year_begins, 3);
    case StabilityPeriod::kCalendarYear:
      return PeriodStart(annuity_starting, 1, 12);
    case StabilityPeriod::kPlanYear:
      return PeriodStart(annuity_starting, terms.plan_year_begins, 12);
  }
  return annuity_starting;
}

LumpSumBasis FindLumpSumBasis(const PlanTerms& terms, Month annuity_starting,
                              const SegmentRateFile& file) {
  const std::string refused = PlanTermsRefusal(terms);
  if (!refused.empty())
    throw SegmentRatesLookupError("The 417(e) basis cannot be found: " + refused);
  LumpSumBasis basis;
  basis.terms = terms;
  basis.stability_begins = StabilityPeriodStart(terms, annuity_starting);
  basis.lookback = dates::MonthsAfter(basis.stability_begins, -terms.lookback);
  basis.table_year = basis.stability_begins.year;
  const bool listed =
      std::any_of(file.Lines().begin(), file.Lines().end(),
                  [&](const SegmentRates& line) { return line.month == basis.lookback; });
  if (!listed) {
    throw SegmentRatesLookupError("The segment rates file \"" + file.name() +
                                      "\" has no rates of " + dates::MonthText(basis.lookback) +
                                      ", the lookback month: the IRS's line for " +
                                      dates::MonthText(basis.lookback) + " can be added to it",
                                  file.name(), 0, basis.lookback);
  }
  // The plan year that contains the annuity starting date picks the line of a month the IRS
  // published by plan year; a month's "All" line serves every plan year.
  const int plan_year = annuity_starting.month >= terms.plan_year_begins
                            ? annuity_starting.year
                            : annuity_starting.year - 1;
  basis.rates = file.Of(basis.lookback, plan_year);
  return basis;
}

std::vector<std::pair<std::string, std::string>> BasisLines(const LumpSumBasis& basis) {
  const SegmentRates& rates = basis.rates;
  std::string line = dates::MonthText(basis.lookback) + ": " + rates.rates[0] + "%, " +
                     rates.rates[1] + "%, " + rates.rates[2] + "%";
  if (rates.plan_year)
    line += " (plan years beginning in " + std::to_string(*rates.plan_year) + ")";
  return {{"Stability period", std::string(StabilityPeriodName(basis.terms.stability)) +
                                   " beginning " + dates::MonthText(basis.stability_begins)},
          {"Lookback month", std::to_string(basis.terms.lookback) + " before: " + line},
          {"Applicable mortality table", basis.TableName()}};
}

}  // namespace orvane::segment_rates
