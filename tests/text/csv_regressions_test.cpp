// Inputs on which the census CSV reader or writer once went wrong, each with what it must do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/csv.h"

namespace orvane::text {
namespace {

// A record whose first cell opens with a byte order mark (here on the second line, where the
// reader keeps it as data) was written unquoted; read again as a file of its own, the mark was
// taken for the file's and the cell lost its first three bytes.
TEST(CensusCsvRegressions, ACellOpeningWithAByteOrderMarkSurvivesAWriteAndARead) {
  const std::string input = "A,B\n\xEF\xBB\xBFName,B\"ab\"\n";
  const std::vector<CsvRecord> records = ParseCsv(input);
  ASSERT_EQ(records.size(), 2u);
  ASSERT_EQ(records[1].cells, (std::vector<std::string>{"\xEF\xBB\xBFName", "B\"ab\""}));

  const std::string written = CsvLine(records[1].cells);
  EXPECT_EQ(written, "\"\xEF\xBB\xBFName\",\"B\"\"ab\"\"\"\n");
  const std::vector<CsvRecord> again = ParseCsv(written);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].error, "");
  EXPECT_EQ(again[0].cells, records[1].cells);

  // A mark alone in a cell is data as well, and the file's own mark is still dropped.
  const std::vector<CsvRecord> mark_only =
      ParseCsv("\xEF\xBB\xBF" + CsvLine({"\xEF\xBB\xBF", "x"}));
  ASSERT_EQ(mark_only.size(), 1u);
  EXPECT_EQ(mark_only[0].cells, (std::vector<std::string>{"\xEF\xBB\xBF", "x"}));
}

}  // namespace
}  // namespace orvane::text
