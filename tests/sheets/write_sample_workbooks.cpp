// Writes into the folder given the detail workbook (with its Summary) of 1440 synthetic months,
// the mortality workbook of synthetic tables and a workbook of the writer's rules (rules.xlsx),
// for check_exported_workbooks.py, which computes the same months itself. A failure ends it
// with the uncaught error.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "sheets/exports.h"
#include "sheets/workbook.h"
#include "valuation/detail_table.h"

namespace {

using namespace orvane;

// Months 1..6 pay nothing, 7..66 within a period certain, later ones depend on the lives. Row
// 1440 is a month too, though it lies beyond the sheet's A1:T1440.
valuation::DetailTable SyntheticDetail() {
  valuation::DetailTable table;
  sheets::WriteDetailHeadings(table,
                              sheets::DetailInputs{"7/1/2008", "7/1/1943", "1/1/1946", " 5.000",
                                                   "=HYPERLINK(\"http://example.com\")"});
  for (long row = 1; row <= 1440; ++row) {
    const double t = static_cast<double>(row);
    valuation::MonthStart month{row, 64.5 + (t - 1) / 12};
    for (std::size_t i = 0; i < 4; ++i) {
      month.monthly_q[i] = 0.001 * static_cast<double>(i + 1) + t * 1e-7;
      month.annual_q[i] = 0.012 * static_cast<double>(i + 1) + t * 1e-6;
    }
    month.Lx = std::exp(-t / 300);
    month.Ly = std::exp(-t / 400);
    month.interest_rate_percent = row < 60 ? 5.25 : 6.5;
    month.Vx = std::pow(1.0525, -(t - 1) / 12);
    table.OnMonthStart(month);
    const double benefit = 1000 + t / 3, base = benefit * month.Vx;
    table.OnPayment(valuation::MonthPayment{row, row >= 7, row >= 7 && row <= 66, benefit,
                                            benefit * 0.5, base, base * month.Lx,
                                            base * 50 * (month.Ly - month.Lx * month.Ly) / 100});
  }
  return table;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2)
    return 2;  // usage: orvane_sheets_sample_writer FOLDER
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  sheets::DetailSummary summary;  // two figures given, the rest shown as "n/a"
  summary.inputs = {{"Valuation Date", "7/1/2008"}, {"Period Certain", " 5.000"}};
  summary.value = 123456.785;
  summary.sensitivities.Duration = 11.25;
  summary.sensitivities.DV01 = 138.8889;
  sheets::WriteDetailWorkbook(folder / "detail.xlsx", SyntheticDetail(), summary);
  sheets::MortalityColumns mortality;
  mortality::QTable* columns[] = {&mortality.PrePrimary, &mortality.PreContingent,
                                  &mortality.PostPrimary, &mortality.PostContingent};
  for (int k = 0; k < 4; ++k) {
    for (int age = 1; age <= 120; ++age)  // all 17 digits, distinct in every table and age
      columns[k]->set(age, age == 120 ? 1.0 : 1.0 / (age + 7.0 * (k + 1)) / 3.0);
  }
  sheets::WriteMortalityWorkbook(folder / "mortality.xlsx", mortality);
  // An empty element empties its cell, and a number format applies whether it is set before or
  // after its cells (the later one winning where rectangles overlap).
  sheets::NewWorkbook rules(folder / "rules.xlsx");
  rules.WriteCell(0, 0, std::string("emptied"));
  rules.SetNumberFormat(sheets::CellRange::Parse("A2:D2"), "0.0");
  const std::vector<sheets::Cell> block = {{}, 1.25, 7L, 3.5, std::string("=1+1"), 4.75};
  rules.WriteBlock(sheets::CellRange::Parse("A1:C2"), sheets::CellBlock{block, 2, 3});
  rules.SetNumberFormat(sheets::CellRange::Parse("C2:D2"), "0.000");
  rules.Close();
  return 0;
}
