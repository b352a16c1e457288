// Fuzz target of the census CSV reader: the input is the whole census file. The reader never
// throws (but std::bad_alloc); every record starts on a later line than the one before, an
// error names its line, and a record read without error comes back unchanged when its cells
// are written with CsvLine and read again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/fuzz/fuzz_support.h"
#include "text/csv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<text::CsvRecord> records = text::ParseCsv(text);
  int previous_line = 0;
  for (const text::CsvRecord& record : records) {
    fuzz::Check(record.line > previous_line, "line ", record.line, " follows ", previous_line);
    previous_line = record.line;
    fuzz::Check(!record.cells.empty(), "record on line ", record.line, " has no cell");
    fuzz::Check(record.error.empty() || record.error.rfind("line ", 0) == 0, "error \"",
                record.error, "\" does not name its line");
    // A record of one empty cell is an empty line, which the reader skips.
    if (!record.error.empty() || (record.cells.size() == 1 && record.cells[0].empty()))
      continue;
    const std::string written = text::CsvLine(record.cells);
    const std::vector<text::CsvRecord> again = text::ParseCsv(written);
    fuzz::Check(again.size() == 1 && again[0].error.empty() && again[0].cells == record.cells,
                "the cells on line ", record.line, " written as ", written, " do not read back");
  }
  return 0;
}
