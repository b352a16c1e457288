// The basis of a 417(e) minimum lump sum by the plan's terms (Treas. Reg. 1.417(e)-1(d)(4), Rev.
// Rul. 2007-67): from the annuity starting date, the plan's stability period and lookback month
// fix the month whose segment rates apply and the year whose applicable mortality table applies.
//
//   stability period  the calendar month, calendar quarter, plan quarter, calendar year or plan
//                     year that contains the annuity starting date; plan quarters and plan years
//                     start in the plan year's first month;
//   lookback month    the 1st to 5th full calendar month before the stability period's first
//                     day: its published segment rates apply. Where the IRS published a line per
//                     plan year (2007-08 to 2012-12), the line of the plan year that contains the
//                     annuity starting date; a month with one "All" line serves every plan year;
//   mortality table   the 417(e)(3) table of the calendar year in which the stability period
//                     begins, YYYY417e.
//
// Annuity starting date 2027-03-15, plan year from July, lookback 2: the plan year began in
// 2026-07, the lookback month is 2026-05, the table 2026417e.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dates/month.h"
#include "segment_rates/segment_rates.h"

namespace orvane::segment_rates {

enum class StabilityPeriod { kMonth, kCalendarQuarter, kPlanQuarter, kCalendarYear, kPlanYear };

// "month", "calendar-quarter", "plan-quarter", "calendar-year" or "plan-year". Never throws.
std::optional<StabilityPeriod> ParseStabilityPeriod(std::string_view text);
std::string_view StabilityPeriodName(StabilityPeriod period);

// The words that name the kinds, for messages: "month, calendar-quarter, ... or plan-year".
inline constexpr std::string_view kStabilityPeriodNames =
    "month, calendar-quarter, plan-quarter, calendar-year or plan-year";

// The two terms of the plan, and the plan year's first month (1: January).
struct PlanTerms {
  StabilityPeriod stability = StabilityPeriod::kCalendarYear;
  int lookback = 1;  // 1 to 5
  int plan_year_begins = 1;
};

// The reason terms cannot be used, naming what is allowed; empty when they can. Never throws.
std::string PlanTermsRefusal(const PlanTerms& terms);

struct LumpSumBasis {
  PlanTerms terms;
  dates::Month stability_begins;
  dates::Month lookback;
  SegmentRates rates;  // the line of the lookback month that applies
  int table_year = 0;  // the calendar year of the applicable mortality table
  std::string TableName() const { return std::to_string(table_year) + "417e"; }
};

// The first month of the stability period that contains `annuity_starting`. Never throws.
dates::Month StabilityPeriodStart(const PlanTerms& terms, dates::Month annuity_starting);

// The basis of a lump sum paid in `annuity_starting` by `terms`, with the rates from `file`.
// Throws SegmentRatesLookupError for terms PlanTermsRefusal refuses, and for a lookback month the
// file has no line for (naming the month and the file, and that the IRS's line can be added).
LumpSumBasis FindLumpSumBasis(const PlanTerms& terms, dates::Month annuity_starting,
                              const SegmentRateFile& file);

// The basis in words, a caption and a text per line: the stability period, the lookback month
// with its rates (and the plan year of its line, where it has one) and the table.
std::vector<std::pair<std::string, std::string>> BasisLines(const LumpSumBasis& basis);

}  // namespace orvane::segment_rates
