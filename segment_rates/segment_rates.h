// The IRS minimum present value segment rates of 417(e)(3), month by month, as the data folder's
// "417e Segment Rates.csv" holds them: the IRS page's table, one line a month (and plan year),
//
//   plan_years_beginning_in,month,first_segment,second_segment,third_segment
//   All,2026-05,4.42,5.47,6.31
//   2010,2011-10,2.51,3.99,4.55
//
// rates in percent, as the form's interest fields take them. "All" holds for every plan year;
// for plan years beginning in 2008-2011 the IRS published transitional blends, so one month may
// have a line for each of several plan years. The file is read afresh each time it is asked for,
// so a month appended the day the IRS publishes it is used at once.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "dates/month.h"

namespace orvane::segment_rates {

using dates::Month;

inline constexpr std::string_view kSegmentRatesFileName = "417e Segment Rates.csv";

// A plan year: four digits, nothing else. Never throws.
std::optional<int> ParsePlanYear(std::string_view text);

// One line of the file.
struct SegmentRates {
  Month month;
  std::optional<int> plan_year;      // empty: "All", every plan year
  std::array<std::string, 3> rates;  // first, second, third segment, percent, as written
  int line = 0;
};

// The error of this library. The message reads well to a user and names what the members hold:
// the file (empty when no file is at fault), the line of it (0: none) and the month asked for.
class SegmentRatesError : public std::runtime_error {
 public:
  explicit SegmentRatesError(const std::string& message, std::string file = {}, int line = 0,
                             std::optional<Month> month = std::nullopt)
      : std::runtime_error(message), file_(std::move(file)), line_(line), month_(month) {}

  const std::string& file() const { return file_; }
  int line() const { return line_; }
  const std::optional<Month>& month() const { return month_; }

 private:
  std::string file_;
  int line_;
  std::optional<Month> month_;
};

// The file cannot be read, or a line of it is malformed.
class SegmentRatesFileError : public SegmentRatesError {
 public:
  using SegmentRatesError::SegmentRatesError;
};

// The file holds no rates for the month (or plan year) asked for, or several and no plan year
// was named; or a month or plan year is not written as one. The message names the month and
// what the file has.
class SegmentRatesLookupError : public SegmentRatesError {
 public:
  using SegmentRatesError::SegmentRatesError;
};

class SegmentRateFile {
 public:
  // Reads `file`. Throws SegmentRatesFileError when it cannot be read, and as Parse.
  static SegmentRateFile Read(const std::filesystem::path& file);

  // Reads the text of the file `name` (used in messages). Throws SegmentRatesFileError naming
  // the file, the line and what is wrong: a header other than the five columns above, a plan
  // year other than "All" or four digits, a month not YYYY-MM, a missing or extra cell, a rate
  // that is not a plain decimal from 0 to below 100, a month given twice for one plan year, or a
  // file without a month. Empty lines are skipped.
  static SegmentRateFile Parse(std::string_view text, const std::string& name);

  // The rates of `month` for a plan year beginning in `plan_year`: the month's "All" line or its
  // line for that year; without a plan year, the month's only line. Throws
  // SegmentRatesLookupError for a month the file does not hold (naming its first and last
  // month), a plan year the month has no line for (naming those it has), and a month with lines
  // for several plan years when none is named.
  const SegmentRates& Of(Month month, std::optional<int> plan_year) const;

  // The file's name, as messages give it.
  const std::string& name() const { return name_; }

  // Every line, newest month first, plan years in increasing order within a month.
  const std::vector<SegmentRates>& Lines() const { return lines_; }

  // Whether the month of `rates` has lines for several plan years.
  bool SeveralPlanYears(const SegmentRates& rates) const;

 private:
  std::string name_;
  std::vector<SegmentRates> lines_;
};

}  // namespace orvane::segment_rates
