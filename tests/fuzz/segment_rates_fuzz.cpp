// Fuzz target of the segment rates file's reader (segment_rates/segment_rates.h): the input is the
// whole "417e Segment Rates.csv". Only SegmentRatesFileError may leave Parse, naming the file; a
// file read without error has its months newest first, every rate a plain decimal below 100, and
// each line found again by its month and plan year, where a lookup throws only
// SegmentRatesLookupError.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "segment_rates/segment_rates.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<segment_rates::SegmentRateFile> file;
  try {
    file = segment_rates::SegmentRateFile::Parse(text, "rates.csv");
  } catch (const segment_rates::SegmentRatesFileError& e) {
    fuzz::Check(std::string_view(e.what()).find("\"rates.csv\"") != std::string_view::npos,
                e.what(), " does not name the file");
    return 0;
  }
  const auto& lines = file->Lines();
  fuzz::Check(!lines.empty(), "a file read without error has no line");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const segment_rates::SegmentRates& line = lines[i];
    const std::string month = dates::MonthText(line.month);
    fuzz::Check(i == 0 || !(lines[i - 1].month < line.month), month, " after an older one");
    fuzz::Check(dates::ParseMonth(month) == line.month, month, " does not read back");
    for (const std::string& rate : line.rates) {
      fuzz::Check(!rate.empty() && rate.find_first_not_of("0123456789.") == std::string::npos &&
                      std::stod(rate) < 100,
                  "rate ", rate, " let through");
    }
    try {
      const segment_rates::SegmentRates& found = file->Of(line.month, line.plan_year);
      fuzz::Check(found.month == line.month, "the lookup of ", month, " found another month");
      fuzz::Check(file->SeveralPlanYears(line) || found.line == line.line, month, " not found");
      file->Of(line.month, std::nullopt);
    } catch (const segment_rates::SegmentRatesLookupError&) {
      fuzz::Check(file->SeveralPlanYears(line), "a month of one line refused: ", month);
    }
  }
  return 0;
}
