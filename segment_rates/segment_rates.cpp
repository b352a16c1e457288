#include "segment_rates/segment_rates.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "numbers/number_entry.h"
#include "numbers/number_text.h"
#include "text/csv.h"
#include "text/text.h"

namespace orvane::segment_rates {
namespace {

using dates::MonthText;
using dates::ParseMonth;
using text::CsvReader;
using text::CsvRecord;

constexpr std::array<std::string_view, 5> kHeader = {
    "plan_years_beginning_in", "month", "first_segment", "second_segment", "third_segment"};
constexpr std::array<std::string_view, 3> kSegmentNames = {"first", "second", "third"};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// A rate as the interest fields take it without falling back: a plain decimal (digits with at
// most one point) within the interest fields' own bounds.
bool IsRate(const std::string& text) {
  const std::size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
  if (whole.empty() && fraction.empty())
    return false;
  if ((!whole.empty() && !AllDigits(whole)) || (!fraction.empty() && !AllDigits(fraction)))
    return false;
  const std::optional<double> value = numbers::ParseNumber(text);
  return value && numbers::WithinBounds(*value, numbers::kInterestRateRule);
}

std::string PlanYearText(const std::optional<int>& plan_year) {
  return plan_year ? std::to_string(*plan_year) : "All";
}

// "2010, 2011 and 2012"
std::string Listed(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0)
      text += i + 1 == items.size() ? " and " : ", ";
    text += items[i];
  }
  return text;
}

}  // namespace

std::optional<int> ParsePlanYear(std::string_view text) {
  if (text.size() != 4 || !AllDigits(text))
    return std::nullopt;
  return std::stoi(std::string(text));
}

SegmentRateFile SegmentRateFile::Read(const std::filesystem::path& file) {
  std::error_code ignored;
  if (std::filesystem::is_directory(file, ignored)) {
    throw SegmentRatesFileError(
        "The segment rates file \"" + file.string() + "\" cannot be read: it is a folder",
        file.string());
  }
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  if (in)
    text << in.rdbuf();
  if (!in || in.bad()) {
    throw SegmentRatesFileError(
        "The segment rates file \"" + file.string() + "\" cannot be read: " + std::strerror(errno),
        file.string());
  }
  return Parse(text.str(), file.string());
}

namespace {

[[noreturn]] void FailAt(const std::string& name, int line, const std::string& what) {
  throw SegmentRatesFileError(
      "The segment rates file \"" + name + "\", line " + std::to_string(line) + ": " + what, name,
      line);
}

// The five columns' header, in any case; nothing but empty cells after them.
void ReadHeader(CsvReader& reader, const std::string& name) {
  const std::optional<CsvRecord> header = reader.Next();
  if (!header)
    throw SegmentRatesFileError("The segment rates file \"" + name + "\" is empty", name);
  bool header_read = header->error.empty() && header->cells.size() >= kHeader.size();
  for (std::size_t c = 0; header_read && c < header->cells.size(); ++c) {
    const std::string cell = Lower(std::string(text::Trim(header->cells[c])));
    header_read = c < kHeader.size() ? cell == kHeader[c] : cell.empty();
  }
  if (!header_read) {
    FailAt(name, header->line,
           "the header must read \"plan_years_beginning_in,month,first_segment,second_segment,"
           "third_segment\"");
  }
}

// One line of rates: its plan year, month and three rates.
SegmentRates ReadLine(const CsvRecord& record, const std::string& name) {
  if (!record.error.empty()) {
    throw SegmentRatesFileError("The segment rates file \"" + name + "\", " + record.error, name,
                                record.line);
  }
  std::vector<std::string> cells;
  for (const std::string& cell : record.cells) cells.emplace_back(text::Trim(cell));
  // Spreadsheets may write empty cells after the last column.
  while (cells.size() > kHeader.size() && cells.back().empty()) cells.pop_back();
  if (cells.size() > kHeader.size())
    FailAt(name, record.line, std::to_string(cells.size()) + " cells, the header has 5");
  cells.resize(kHeader.size());
  SegmentRates rates;
  rates.line = record.line;
  if (Lower(cells[0]) != "all") {
    rates.plan_year = ParsePlanYear(cells[0]);
    if (!rates.plan_year)
      FailAt(name, record.line, "the plan year \"" + cells[0] + "\" is neither All nor a year");
  }
  const std::optional<Month> month = ParseMonth(cells[1]);
  if (!month)
    FailAt(name, record.line, "the month \"" + cells[1] + "\" is not written YYYY-MM");
  rates.month = *month;
  for (std::size_t s = 0; s < 3; ++s) {
    const std::string& rate = cells[s + 2];
    const std::string segment(kSegmentNames[s]);
    if (rate.empty())
      FailAt(name, record.line, "the " + segment + " segment rate is missing");
    if (!IsRate(rate)) {
      FailAt(name, record.line,
             "the " + segment + " segment rate \"" + rate +
                 "\" is not a rate in percent from 0 to below 100");
    }
    rates.rates[s] = rate;
  }
  return rates;
}

}  // namespace

SegmentRateFile SegmentRateFile::Parse(std::string_view text, const std::string& name) {
  SegmentRateFile file;
  file.name_ = name;
  std::istringstream in{std::string(text)};
  CsvReader reader(in);
  ReadHeader(reader, name);
  std::map<std::pair<Month, std::optional<int>>, int> seen;
  while (std::optional<CsvRecord> record = reader.Next()) {
    SegmentRates rates = ReadLine(*record, name);
    const auto [first, inserted] =
        seen.emplace(std::pair(rates.month, rates.plan_year), rates.line);
    if (!inserted) {
      FailAt(name, rates.line,
             MonthText(rates.month) + " for plan years " + PlanYearText(rates.plan_year) +
                 " is given again (first at line " + std::to_string(first->second) + ")");
    }
    file.lines_.push_back(std::move(rates));
  }
  if (file.lines_.empty())
    throw SegmentRatesFileError("The segment rates file \"" + name + "\" holds no month", name);
  std::stable_sort(file.lines_.begin(), file.lines_.end(),
                   [](const SegmentRates& a, const SegmentRates& b) {
                     if (a.month != b.month)
                       return a.month > b.month;
                     return a.plan_year.value_or(0) < b.plan_year.value_or(0);
                   });
  return file;
}

const SegmentRates& SegmentRateFile::Of(Month month, std::optional<int> plan_year) const {
  std::vector<const SegmentRates*> of_month;
  for (const SegmentRates& rates : lines_) {
    if (rates.month == month)
      of_month.push_back(&rates);
  }
  if (of_month.empty()) {
    throw SegmentRatesLookupError("The segment rates file \"" + name_ + "\" has no rates of " +
                                      MonthText(month) + ": it holds the months " +
                                      MonthText(lines_.back().month) + " to " +
                                      MonthText(lines_.front().month),
                                  name_, 0, month);
  }
  std::vector<std::string> plan_years;
  for (const SegmentRates* rates : of_month) plan_years.push_back(PlanYearText(rates->plan_year));
  if (!plan_year) {
    if (of_month.size() == 1)
      return *of_month.front();
    throw SegmentRatesLookupError("The segment rates of " + MonthText(month) +
                                      " differ by plan year (plan years beginning in " +
                                      Listed(plan_years) + "): name the plan year",
                                  name_, 0, month);
  }
  const SegmentRates* every_year = nullptr;
  for (const SegmentRates* rates : of_month) {
    if (rates->plan_year == plan_year)
      return *rates;
    if (!rates->plan_year)
      every_year = rates;
  }
  if (every_year != nullptr)
    return *every_year;
  throw SegmentRatesLookupError("The segment rates of " + MonthText(month) +
                                    " are given for plan years beginning in " + Listed(plan_years) +
                                    ", not " + std::to_string(*plan_year),
                                name_, 0, month);
}

bool SegmentRateFile::SeveralPlanYears(const SegmentRates& rates) const {
  return std::count_if(lines_.begin(), lines_.end(), [&rates](const SegmentRates& other) {
           return other.month == rates.month;
         }) > 1;
}

}  // namespace orvane::segment_rates
