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
    if (record.line <= previous_line)
      fuzz::Fail("record on line " + std::to_string(record.line) + " follows line " +
                 std::to_string(previous_line));
    previous_line = record.line;
    if (record.cells.empty())
      fuzz::Fail("record on line " + std::to_string(record.line) + " has no cell");
    if (!record.error.empty()) {
      if (record.error.rfind("line ", 0) != 0)
        fuzz::Fail("error \"" + record.error + "\" does not name its line");
      continue;
    }
    // A record of one empty cell is an empty line, which the reader skips.
    if (record.cells.size() == 1 && record.cells[0].empty())
      continue;
    const std::string written = text::CsvLine(record.cells);
    const std::vector<text::CsvRecord> again = text::ParseCsv(written);
    if (again.size() != 1 || !again[0].error.empty() || again[0].cells != record.cells)
      fuzz::Fail("the cells on line " + std::to_string(record.line) + " written as \"" + written +
                 "\" do not read back");
  }
  return 0;
}
