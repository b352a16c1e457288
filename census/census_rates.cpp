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

std::string CellOf(const std::vector<std::string>& cells, const std::optional<std::size_t>& at) {
  return at && *at < cells.size() ? std::string(text::Trim(cells[*at])) : std::string();
}

}  // namespace

bool IsRatesColumn(const std::string& name) {
  return name == kRatesOf || name == kPlanYear;
}

RatesColumns FindRatesColumns(const std::vector<std::string>& header) {
  RatesColumns columns;
  for (std::size_t c = 0; c < header.size(); ++c) {
    const std::string name(text::Trim(header[c]));
    if (!IsRatesColumn(name))
      continue;
    std::optional<std::size_t>& column = name == kRatesOf ? columns.rates_of : columns.plan_year;
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

}  // namespace orvane::census
