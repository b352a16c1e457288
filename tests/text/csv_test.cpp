// The census file's reader and writer: the CSV that spreadsheets write, and the faults a hand-
// edited file brings.
#include "text/csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::text {
namespace {

using Cells = std::vector<std::string>;

std::vector<Cells> CellsOf(const std::vector<CsvRecord>& records) {
  std::vector<Cells> cells;
  for (const CsvRecord& record : records) cells.push_back(record.cells);
  return cells;
}

TEST(CensusCsv, ReadsQuotedFieldsAsSpreadsheetsWriteThem) {
  const auto records = ParseCsv(
      "Benefit,DateOfBirth\n"
      "\"2,500.00\",7/1/1962\n"
      "\"say \"\"hi\"\"\",\"\"\n"
      "\"two\nlines\",x\n"
      "a,,\n"
      "last,row");
  EXPECT_EQ(CellsOf(records), (std::vector<Cells>{{"Benefit", "DateOfBirth"},
                                                  {"2,500.00", "7/1/1962"},
                                                  {"say \"hi\"", ""},
                                                  {"two\nlines", "x"},
                                                  {"a", "", ""},
                                                  {"last", "row"}}));
  // Each record starts on its own line; the quoted line break moves the next record down.
  std::vector<int> lines;
  for (const CsvRecord& record : records) {
    EXPECT_EQ(record.error, "") << record.line;
    lines.push_back(record.line);
  }
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 3, 4, 6, 7}));
}

TEST(CensusCsv, AcceptsAByteOrderMarkAndEveryLineEndAndSkipsEmptyLines) {
  const auto records = ParseCsv(
      "\xEF\xBB\xBF"
      "Female,Benefit\r\n\r\n1,\"10\r\n0\"\r\n\n0,5\r1,6\r\n");
  EXPECT_EQ(CellsOf(records),
            (std::vector<Cells>{{"Female", "Benefit"}, {"1", "10\r\n0"}, {"0", "5"}, {"1", "6"}}));
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[2].line, 6);
  EXPECT_EQ(records[3].line, 7);
  // A byte order mark is only one at the very start.
  EXPECT_EQ(ParseCsv("a,\xEF\xBB\xBF"
                     "b")[0]
                .cells[1],
            "\xEF\xBB\xBF"
            "b");
  EXPECT_TRUE(ParseCsv("").empty());
  EXPECT_TRUE(ParseCsv("\xEF\xBB\xBF\r\n\n").empty());
}

TEST(CensusCsv, AnUnclosedQuoteSpoilsItsOwnRecordOnly) {
  const auto records = ParseCsv("A,B\n1,\"open\n2,3\n4,5\n");
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[1].line, 2);
  EXPECT_EQ(records[1].error, "line 2: a quoted field is not closed");
  EXPECT_EQ(records[1].cells, (Cells{"1", "open"}));
  EXPECT_EQ(records[2].cells, (Cells{"2", "3"}));
  EXPECT_EQ(records[2].line, 3);
  EXPECT_EQ(records[3].cells, (Cells{"4", "5"}));
  EXPECT_EQ(records[3].error, "");

  // The quote opens on the second line of a record and on the file's last line.
  const auto later = ParseCsv("\"a\nb\",\"c\nd,e\r\nf,g");
  ASSERT_EQ(later.size(), 3u);
  EXPECT_EQ(later[0].error, "line 2: a quoted field is not closed");
  EXPECT_EQ(later[0].cells, (Cells{"a\nb", "c"}));
  EXPECT_EQ(later[1].cells, (Cells{"d", "e"}));
  EXPECT_EQ(later[1].line, 3);
  EXPECT_EQ(later[2].cells, (Cells{"f", "g"}));
  EXPECT_EQ(later[2].line, 4);
  const auto last = ParseCsv("x,\"y");
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0].error, "line 1: a quoted field is not closed");
  EXPECT_EQ(last[0].cells, (Cells{"x", "y"}));
}

TEST(CensusCsv, TextAfterAClosingQuoteSpoilsTheRestOfItsLine) {
  const auto records = ParseCsv("\"ab\"c,d\ne,f\n");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].error, "line 1: text after the closing quote of cell 1");
  EXPECT_EQ(records[0].cells, (Cells{"ab"}));
  EXPECT_EQ(records[1].cells, (Cells{"e", "f"}));
  // Within an unquoted field a quote is an ordinary character.
  EXPECT_EQ(ParseCsv("5\"6,x")[0].cells, (Cells{"5\"6", "x"}));
  EXPECT_EQ(ParseCsv("5\"6,x")[0].error, "");
}

TEST(CensusCsv, WritesWhatItReadsBack) {
  const Cells cells = {"plain", " 1,000.00", "say \"hi\"", "two\nlines", "cr\r", "", " x "};
  const std::string line = CsvLine(cells);
  EXPECT_EQ(line, "plain,\" 1,000.00\",\"say \"\"hi\"\"\",\"two\nlines\",\"cr\r\",, x \n");
  const auto records = ParseCsv(line + line);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].cells, cells);
  EXPECT_EQ(records[1].cells, cells);
  EXPECT_EQ(records[1].line, 4);  // a lone CR ends a line too
  EXPECT_EQ(CsvLine({}), "\n");
}

// The reader takes the text in chunks of 64 KiB. A first line of 1 to 64 bytes moves the chunk
// boundaries across as many positions of the records there, each holding a doubled quote, a
// quoted CRLF and a CRLF line end.
TEST(CensusCsv, ALongTextReadsTheSameWhereverItsChunksEnd) {
  std::vector<Cells> written;
  std::string body;
  for (int i = 0; body.size() < 2 * 65536 + 1000; ++i) {
    const std::string filler(static_cast<std::size_t>(i % 29), 'x');
    written.push_back({filler + "\"q\"", "line\r\nbreak" + std::to_string(i), filler});
    std::string line = CsvLine(written.back());
    line.insert(line.size() - 1, "\r");
    body += line;
  }
  for (std::size_t pad = 1; pad <= 64; ++pad) {
    const std::vector<CsvRecord> records = ParseCsv(std::string(pad, 'p') + "\r\n" + body);
    ASSERT_EQ(records.size(), written.size() + 1) << pad;
    for (std::size_t i = 0; i < written.size(); ++i) {
      const CsvRecord& record = records[i + 1];
      ASSERT_EQ(record.cells, written[i]) << "pad " << pad << ", record " << i;
      ASSERT_EQ(record.error, "");
      ASSERT_EQ(record.line, static_cast<int>(2 + 2 * i));
    }
  }
}

}  // namespace
}  // namespace orvane::text
