#include "census/census_rates.h"

#include "census/census_error.h"
#include "text/text.h"

namespace orvane::census {
namespace {

using dates::Month;
using dates::ParseMonth;
using segment_rates::ParsePlanYear;
using segment_rates::SegmentRatesLookupError;

constexpr char kRatesOf[] = "RatesOf";
constexpr char kPlanYear[] = "PlanYear";
constexpr char kStability[] = "Stability";
constexpr char kLookback[] = "Lookback";
constexpr char kPlanYearBegins[] = "PlanYearBegins";

std::string CellOf(const std::vector<std::string>& cells, const std::optional<std::size_t>& at) {
  return at && *at < cells.size() ? std::string(text::Trim(cells[*at])) : std::string();
}

}  // namespace

bool IsRatesColumn(const std::string& name) {
  return name == kRatesOf || name == kPlanYear || name == kStability || name == kLookback ||
         name == kPlanYearBegins;
}

RatesColumns FindRatesColumns(const std::vector<std::string>& header) {
  RatesColumns columns;
  for (std::size_t c = 0; c < header.size(); ++c) {
    const std::string name(text::Trim(header[c]));
    if (!IsRatesColumn(name))
      continue;
    std::optional<std::size_t>& column = name == kRatesOf     ? columns.rates_of
                                         : name == kPlanYear  ? columns.plan_year
                                         : name == kStability ? columns.stability
                                         : name == kLookback  ? columns.lookback
                                                              : columns.plan_year_begins;
    if (column)
      throw CensusHeaderError("the header names the column \"" + name + "\" twice");
    column = c;
  }
  if (columns.plan_year && !columns.rates_of) {
    throw CensusHeaderError(
        "the column \"PlanYear\" needs a column \"RatesOf\" with the month of segment rates");
  }
  return columns;
}

std::optional<segment_rates::SegmentRates> RowRates(const std::vector<std::string>& cells,
                                                    const RatesColumns& columns,
                                                    const segment_rates::SegmentRateFile* file) {
  const std::string month_text = CellOf(cells, columns.rates_of);
  const std::string plan_year_text = CellOf(cells, columns.plan_year);
  std::optional<int> plan_year;
  if (!plan_year_text.empty()) {
    plan_year = ParsePlanYear(plan_year_text);
    if (!plan_year) {
      throw SegmentRatesLookupError("PlanYear takes a year written YYYY, not \"" + plan_year_text +
                                    "\"");
    }
  }
  if (month_text.empty()) {
    if (plan_year)
      throw SegmentRatesLookupError("PlanYear " + plan_year_text + " needs a month in RatesOf");
    return std::nullopt;
  }
  const std::optional<Month> month = ParseMonth(month_text);
  if (!month) {
    throw SegmentRatesLookupError("RatesOf takes a month written YYYY-MM, not \"" + month_text +
                                  "\"");
  }
  return file->Of(*month, plan_year);
}

namespace {

// A whole number from `low` to `high` in a cell, or the reason it is not one.
int TermOf(const std::string& cell, const char* column, int low, int high, const char* allowed) {
  const std::optional<int> number = text::WholeNumber(cell);
  if (!number || *number < low || *number > high) {
    throw SegmentRatesLookupError(std::string(column) + " takes " + allowed + ", not \"" + cell +
                                  "\"");
  }
  return *number;
}

}  // namespace

std::optional<segment_rates::PlanTerms> RowTerms(
    const std::vector<std::string>& cells, const RatesColumns& columns,
    const std::optional<segment_rates::PlanTerms>& plan) {
  const std::string stability = CellOf(cells, columns.stability);
  const std::string lookback = CellOf(cells, columns.lookback);
  const std::string begins = CellOf(cells, columns.plan_year_begins);
  if (!plan && stability.empty() && lookback.empty() && begins.empty())
    return std::nullopt;
  if (!plan && (stability.empty() || lookback.empty())) {
    throw SegmentRatesLookupError(
        "the 417(e) basis needs both Stability and Lookback (or --stability and --lookback)");
  }
  segment_rates::PlanTerms terms = plan.value_or(segment_rates::PlanTerms{});
  if (!stability.empty()) {
    const auto period = segment_rates::ParseStabilityPeriod(stability);
    if (!period) {
      throw SegmentRatesLookupError("Stability takes " +
                                    std::string(segment_rates::kStabilityPeriodNames) + ", not \"" +
                                    stability + "\"");
    }
    terms.stability = *period;
  }
  if (!lookback.empty())
    terms.lookback = TermOf(lookback, kLookback, 1, 5, "a month from 1 to 5");
  if (!begins.empty())
    terms.plan_year_begins = TermOf(begins, kPlanYearBegins, 1, 12, "a month from 1 to 12");
  if (!CellOf(cells, columns.rates_of).empty()) {
    throw SegmentRatesLookupError(
        "a row takes its rates from RatesOf or from the 417(e) basis of its plan's terms, not "
        "both");
  }
  return terms;
}

}  // namespace orvane::census
