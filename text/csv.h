// Comma-separated values as spreadsheets write them, read alike for the census file and the
// table sources. Fields may be quoted, a quoted field may hold commas, doubled quotes and line
// breaks; a UTF-8 byte order mark before the first field and CRLF, LF or CR line ends are
// accepted.
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::text {

// One record of the file: its cells and where it starts.
struct CsvRecord {
  int line = 0;                    // line of the file (1 = first) where the record starts
  std::vector<std::string> cells;  // as read, quotes removed
  std::string error;               // empty, or why the record is malformed ("line 7: ...")
};

// Reads the records of a CSV text one at a time, as ParseCsv splits them, holding no more of
// the text than the record being read (and a chunk of what follows).
class CsvReader {
 public:
  explicit CsvReader(std::istream& in);
  ~CsvReader();
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  // The next record, or nothing at the end of the text (or where `in` stops reading: check the
  // stream for a read error). Never throws but std::bad_alloc.
  std::optional<CsvRecord> Next();

  class Reader;

 private:
  std::unique_ptr<Reader> reader_;
};

// Splits a whole CSV text into records. Lines that hold nothing at all are skipped. A malformed
// record is returned with its error and the cells read up to the fault, and reading goes on:
//   - a quote that is never closed: the record ends with the line on which the quote opened and
//     reading resumes on the next line, so one stray quote does not swallow the rest of the file;
//   - text after a closing quote (`"ab"c`): the rest of that line is dropped.
// A quote inside an unquoted field is an ordinary character. Never throws but std::bad_alloc.
std::vector<CsvRecord> ParseCsv(std::string_view text);

// One line of CSV for `cells`, ended by "\n". A cell holding a comma, a quote, a CR or a LF, or
// opening with a UTF-8 byte order mark, is quoted, its quotes doubled; other cells are written
// as they are. Never throws but std::bad_alloc.
std::string CsvLine(const std::vector<std::string>& cells);

}  // namespace orvane::text
