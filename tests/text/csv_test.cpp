// The census file's reader and writer: the CSV that spreadsheets write, and the faults a hand-
// edited file brings.
#include "text/csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::text {
namespace {

using Cells = std::vector<std::string>;
const std::string kMark = "\xEF\xBB\xBF";

// A record as "line:cell|cell", followed by " !error" when it has one.
std::string Show(int line, const Cells& cells, const std::string& error = "") {
  std::string text = std::to_string(line) + ":";
  for (std::size_t i = 0; i < cells.size(); ++i) text += (i > 0 ? "|" : "") + cells[i];
  return error.empty() ? text : text + " !" + error;
}

std::vector<std::string> Shown(const std::vector<CsvRecord>& records) {
  std::vector<std::string> shown;
  for (const CsvRecord& record : records)
    shown.push_back(Show(record.line, record.cells, record.error));
  return shown;
}

TEST(CensusCsv, ReadsWhatSpreadsheetsWriteConfinesEachFaultAndWritesWhatItReads) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"Benefit,DateOfBirth\n\"2,500.00\",7/1/1962\n\"say \"\"hi\"\"\",\"\"\n\"two\nlines\",x\n"
       "a,,\nlast,row",
       {"1:Benefit|DateOfBirth", "2:2,500.00|7/1/1962", "3:say \"hi\"|", "4:two\nlines|x", "6:a||",
        "7:last|row"}},
      {kMark + "Female,Benefit\r\n\r\n1,\"10\r\n0\"\r\n\n0,5\r1,6\r\n",
       {"1:Female|Benefit", "3:1|10\r\n0", "6:0|5", "7:1|6"}},
      {"a," + kMark + "b", {"1:a|" + kMark + "b"}},  // a mark only counts at the very start
      {kMark + "\r\n\n", {}},
      // An unclosed quote spoils its own record only, on the line where it opened.
      {"A,B\n1,\"open\n2,3\n4,5\n",
       {"1:A|B", "2:1|open !line 2: a quoted field is not closed", "3:2|3", "4:4|5"}},
      {"\"a\nb\",\"c\nd,e\r\nf,g",
       {"1:a\nb|c !line 2: a quoted field is not closed", "3:d|e", "4:f|g"}},
      {"x,\"y", {"1:x|y !line 1: a quoted field is not closed"}},
      // Text after a closing quote spoils the rest of its line; inside an unquoted field a
      // quote is an ordinary character.
      {"\"ab\"c,d\ne,f\n", {"1:ab !line 1: text after the closing quote of cell 1", "2:e|f"}},
      {"5\"6,x", {"1:5\"6|x"}}};
  for (const auto& [text, records] : cases) EXPECT_EQ(Shown(ParseCsv(text)), records) << text;

  // What is written reads back.
  const std::pair<Cells, std::string> lines[] = {
      {{"plain", " 1,000.00", "say \"hi\"", "two\nlines", "cr\r", "", " x "},
       "plain,\" 1,000.00\",\"say \"\"hi\"\"\",\"two\nlines\",\"cr\r\",, x \n"},
      // A cell opening with a byte order mark is quoted: read unquoted at the start of a
      // file, the mark was taken for the file's own and the cell lost it.
      {{kMark + "Name", "B\"ab\""}, "\"" + kMark + "Name\",\"B\"\"ab\"\"\"\n"},
      {{kMark, "x"}, "\"" + kMark + "\",x\n"}};
  for (const auto& [cells, line] : lines) {
    EXPECT_EQ(CsvLine(cells), line);
    EXPECT_EQ(ParseCsv(line).at(0).cells, cells);
    EXPECT_EQ(ParseCsv(kMark + line).at(0).cells, cells);
  }
  EXPECT_EQ(ParseCsv(CsvLine(lines[0].first) + "x")[1].line, 4);  // a lone CR ends a line too
}

// The reader takes the text in chunks of 64 KiB. A first line of 1 to 64 bytes moves the chunk
// boundaries across as many positions of the records there, each holding a doubled quote, a
// quoted CRLF and a CRLF line end.
TEST(CensusCsv, ALongTextReadsTheSameWhereverItsChunksEnd) {
  std::vector<std::string> expected = {""};
  std::string body;
  for (int i = 0; body.size() < 2 * 65536 + 1000; ++i) {
    const std::string filler(static_cast<std::size_t>(i % 29), 'x');
    const Cells cells = {filler + "\"q\"", "line\r\nbreak" + std::to_string(i), filler};
    expected.push_back(Show(2 + 2 * i, cells));
    std::string line = CsvLine(cells);
    line.insert(line.size() - 1, "\r");
    body += line;
  }
  for (std::size_t pad = 1; pad <= 64; ++pad) {
    expected[0] = Show(1, {std::string(pad, 'p')});
    ASSERT_EQ(Shown(ParseCsv(std::string(pad, 'p') + "\r\n" + body)), expected) << pad;
  }
}

}  // namespace
}  // namespace orvane::text
