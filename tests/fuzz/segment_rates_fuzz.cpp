// Fuzz target of the segment rates file's reader (app/segment_rates.h): the input is the whole
// "417e Segment Rates.csv". Only SegmentRatesFileError may leave Parse, naming the file; a file
// read without error has its months newest first, every rate a plain decimal below 100, and each
// line found again by its month and plan year, where a lookup throws only
// SegmentRatesLookupError.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/segment_rates.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<app::SegmentRateFile> file;
  try {
    file = app::SegmentRateFile::Parse(text, "rates.csv");
  } catch (const app::SegmentRatesFileError& e) {
    if (std::string_view(e.what()).find("\"rates.csv\"") == std::string_view::npos)
      fuzz::Fail(std::string("error \"") + e.what() + "\" does not name the file");
    return 0;
  }
  const auto& lines = file->Lines();
  if (lines.empty())
    fuzz::Fail("a file read without error has no line");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const app::SegmentRates& line = lines[i];
    if (i > 0 && lines[i - 1].month < line.month)
      fuzz::Fail("month " + app::MonthText(line.month) + " after an older one");
    if (app::ParseMonth(app::MonthText(line.month)) != line.month)
      fuzz::Fail("month " + app::MonthText(line.month) + " does not read back");
    for (const std::string& rate : line.rates) {
      if (rate.empty() || rate.find_first_not_of("0123456789.") != std::string::npos ||
          std::stod(rate) >= 100)
        fuzz::Fail("rate \"" + rate + "\" let through");
    }
    try {
      const app::SegmentRates& found = file->Of(line.month, line.plan_year);
      if (found.month != line.month)
        fuzz::Fail("the lookup of " + app::MonthText(line.month) + " found another month");
      if (!file->SeveralPlanYears(line) && found.line != line.line)
        fuzz::Fail("the only line of " + app::MonthText(line.month) + " was not found");
      file->Of(line.month, std::nullopt);
    } catch (const app::SegmentRatesLookupError&) {
      if (!file->SeveralPlanYears(line))
        fuzz::Fail("a month of one line refused: " + app::MonthText(line.month));
    }
  }
  return 0;
}
