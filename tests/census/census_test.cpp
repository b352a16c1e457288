// The census runner on a copy of the shipped data file: its rows against the same entries made
// one by one on a form of their own, the header and row faults, the shared tables.
#include "census/census.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "form/control_entry.h"
#include "tables/table_cache.h"
#include "tables/table_error.h"
#include "tests/form/form_test_support.h"
#include "text/csv.h"

namespace orvane::census {
namespace {

using namespace form;
using namespace form::testing;

class CensusRun : public FormTest {
 protected:
  CensusSettings Settings(unsigned jobs = 2) {
    CensusSettings settings;
    settings.environment.data_dir = dir_;
    settings.jobs = jobs;
    return settings;
  }

  // Each record of the output as its cells.
  static std::vector<std::vector<std::string>> Rows(const std::string& output) {
    std::vector<std::vector<std::string>> rows;
    for (const text::CsvRecord& record : text::ParseCsv(output)) {
      EXPECT_EQ(record.error, "");
      rows.push_back(record.cells);
    }
    return rows;
  }

  // The value and failure of a fresh form given `entries` in order, as orvane-value gives them.
  std::pair<std::string, std::string> OneByOne(
      const std::vector<std::pair<Control, std::string>>& entries) {
    auto form = MakeForm();
    for (const auto& [control, text] : entries) EnterControlText(*form, control, text);
    form->Calculate();
    if (!form->Failure().empty())
      return {"", form->Failure()};
    return {form->Result(), ""};
  }

  // Values `cells`, a row per line under `columns`, twice over, after `plan`; each row must give
  // what the same entries give on a fresh form. Returns the rows of the output.
  std::vector<std::vector<std::string>> ValuedAsOneByOne(
      const std::vector<Control>& columns, const std::vector<std::vector<std::string>>& cells,
      const std::vector<PlanEntry>& plan) {
    std::string csv;
    for (Control column : columns) (csv += csv.empty() ? "" : ",") += NameOf(column);
    csv += "\r\n";
    for (int repeat = 0; repeat < 2; ++repeat) {
      for (const auto& row : cells) csv += text::CsvLine(row);
    }
    CensusSettings settings = Settings(2);
    settings.plan = plan;
    const auto rows = Rows(RunCensus(csv, settings));
    EXPECT_EQ(rows.size(), 1 + 2 * cells.size());
    for (std::size_t i = 1; i < rows.size(); ++i) {
      const auto& input = cells[(i - 1) % cells.size()];
      std::vector<std::pair<Control, std::string>> entries;
      for (const PlanEntry& entry : plan) entries.emplace_back(entry.control, entry.text);
      for (std::size_t j = 0; j < columns.size(); ++j) entries.emplace_back(columns[j], input[j]);
      const auto [value, failure] = OneByOne(entries);
      std::vector<std::string> expected = input;
      expected.insert(expected.end(), {value, failure});
      EXPECT_EQ(rows[i], expected) << "row " << i;
    }
    return rows;
  }
};

TEST_F(CensusRun, EveryRowEqualsTheSameEntriesMadeOnAFreshForm) {
  SpoilTable("RP2000CF");
  const auto rows = ValuedAsOneByOne(
      {Control::DateOfBirth, Control::Female, Control::PostRetContingent, Control::Load,
       Control::PercentToSurvivor},
      {
          {"7/1/1962", "1", "2008417e", "0", "50"},
          {"3/15/1950", "0", "RP2000CF", "0", "50"},    // the loader rejects the spoiled table
          {"1/1/1975", "0", "RP2000CM", "100", "100"},  // Load 100 is normalised to 0 on leaving
          {"13/45/1960", "1", "None", "2.5", "0"},      // not a date: rebuilt from the age
          {"1/1/1943", "1", "Missing", "0", "75"},      // absent table: rate 1 at every age
      },
      {{Control::COLA, "2"}, {Control::InterestRate1, "5"}});
  EXPECT_EQ(rows[0], (std::vector<std::string>{"DateOfBirth", "Female", "PostRetContingent", "Load",
                                               "PercentToSurvivor", "PresentValue", "Error"}));
  EXPECT_EQ(rows[2][6].rfind("Post Retirement Contingent table \"RP2000CF\" cannot be used: ", 0),
            0u)
      << rows[2][6];
  EXPECT_EQ(rows[5][6],
            "Post Retirement Contingent table \"Missing\" is not in the data file MortalityTables, "
            "so every rate reads as 1: choose a table from the list");
}

// The table cache shares tables between rows: a generational table must still follow each row's
// own cohort, the participant's and the spouse's.
TEST_F(CensusRun, GenerationalTablesFollowEachRowsCohorts) {
  const auto rows = ValuedAsOneByOne(
      {Control::DateOfBirth, Control::SpousesDateOfBirth},
      {{"7/1/1961", "3/1/1963"}, {"7/1/1961", "3/1/1940"}, {"7/1/1945", "3/1/1963"}},
      {{Control::PostRetPrimary, "PriRM-G"},
       {Control::PostRetContingent, "PriCF-G"},
       {Control::PercentToSurvivor, "50"}});
  EXPECT_NE(rows[2][2], rows[1][2]);
  EXPECT_NE(rows[3][2], rows[1][2]);
}

TEST_F(CensusRun, MalformedRowsAreWrittenWithTheirLineAndTheOthersValued) {
  const std::string csv =
      "Benefit,Female\n"
      "2000,1\n"
      "2000,yes\n"
      "2000\n"
      "2000,1,extra\n"
      "\"2000,1\n"
      "\n"
      "3000,0\n";
  const auto rows = Rows(RunCensus(csv, Settings(1)));
  ASSERT_EQ(rows.size(), 7u);
  const std::string value = OneByOne({{Control::Benefit, "2000"}, {Control::Female, "1"}}).first;
  ASSERT_NE(value, "");
  EXPECT_EQ(rows[1], (std::vector<std::string>{"2000", "1", value, ""}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"2000", "yes", "",
                                               "line 3: \"Female\" takes 1 or 0, not \"yes\""}));
  EXPECT_EQ(rows[3],
            (std::vector<std::string>{"2000", "", "", "line 4: 1 cells, the header has 2"}));
  EXPECT_EQ(rows[4],
            (std::vector<std::string>{"2000", "1", "", "line 5: 3 cells, the header has 2"}));
  EXPECT_EQ(rows[5],
            (std::vector<std::string>{"2000,1", "", "", "line 6: a quoted field is not closed"}));
  EXPECT_EQ(
      rows[6],
      (std::vector<std::string>{
          "3000", "0", OneByOne({{Control::Benefit, "3000"}, {Control::Female, "0"}}).first, ""}));
}

TEST_F(CensusRun, AHeaderThatNamesNoControlStopsBeforeAnyRow) {
  const auto message_of = [&](const std::string& csv) -> std::string {
    try {
      RunCensus(csv, Settings());
    } catch (const CensusHeaderError& e) {
      return e.what();
    }
    return "no error";
  };
  EXPECT_EQ(message_of("Benefit,Salary\n1,2\n"),
            "unknown column \"Salary\": each column of the header names a control of the form "
            "(DateOfBirth, Benefit, Female, ...)");
  EXPECT_EQ(message_of("Benefit,ExportDetail\n"),
            "column \"ExportDetail\" is a button, not an input");
  EXPECT_EQ(message_of("\n\n"), "the census has no header row naming its columns");
  EXPECT_EQ(message_of("\"Benefit\n1\n"),
            "the header row is malformed: line 1: a quoted field is not closed");
  // Blanks around a column's name are not part of it; a header alone gives a header alone.
  EXPECT_EQ(RunCensus(" Benefit ,\tFemale\n", Settings()),
            " Benefit ,\tFemale,PresentValue,Error\n");
}

TEST_F(CensusRun, EachTableIsReadOnceAndTheThreadCountDoesNotChangeTheOutput) {
  std::string csv = "DateOfBirth,SpousesDateOfBirth,Female,PeriodCertain\n";
  for (int i = 0; i < 60; ++i) {
    csv += std::to_string(1 + i % 12) + "/1/" + std::to_string(1940 + i % 30) + "," +
           std::to_string(1 + i % 7) + "/15/" + std::to_string(1945 + i % 20) + "," +
           std::to_string(i % 2) + "," + std::to_string(i % 15) + "\n";
  }
  tables::TableCache cache;
  CensusSettings settings = Settings(1);
  settings.environment.table_cache = &cache;
  // Projected to each year of payment: the tables follow the year of birth.
  settings.plan = {{Control::ProjToPayment, "1"}, {Control::PreRetPrimary, "2008417e"}};
  const std::string one = RunCensus(csv, settings);
  EXPECT_GT(cache.loads(), 30);
  EXPECT_EQ(cache.loads(), static_cast<long>(cache.size()));
  const long loads = cache.loads();
  EXPECT_EQ(RunCensus(csv, settings), one);
  EXPECT_EQ(cache.loads(), loads);
  settings.environment.table_cache = nullptr;
  for (unsigned jobs : {3u, 0u}) {
    settings.jobs = jobs;
    EXPECT_EQ(RunCensus(csv, settings), one) << jobs << " threads";
  }
  EXPECT_EQ(one.find(",,"), std::string::npos);  // every row valued
}

}  // namespace
}  // namespace orvane::census
