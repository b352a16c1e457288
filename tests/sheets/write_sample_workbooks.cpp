// Writes into the folder given the detail workbook (with its Summary) of 1440 synthetic months,
// the mortality workbook of synthetic tables and a workbook of the writer's rules (rules.xlsx),
// for check_exported_workbooks.py, which computes the same months itself. Exits non-zero on
// failure.
#include <cmath>
#include <filesystem>
#include <iostream>
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
    valuation::MonthPayment payment{row, row >= 7, row >= 7 && row <= 66, 1000 + t / 3};
    payment.survivor_benefit = payment.primary_benefit * 0.5;
    const double base = payment.primary_benefit * month.Vx;
    payment.period_certain_value = base;
    payment.primary_value = base * month.Lx;
    payment.contingent_value = base * 50 * (month.Ly - month.Lx * month.Ly) / 100;
    table.OnPayment(payment);
  }
  return table;
}

// The last write to a cell wins, an empty element empties its cell, and a number format applies
// whether it is set before or after its cells (the later one winning where rectangles overlap).
void WriteRulesWorkbook(const std::filesystem::path& file) {
  sheets::NewWorkbook book(file);
  book.WriteCell(0, 0, std::string("emptied"));
  book.WriteCell(0, 1, std::string("replaced"));
  book.SetNumberFormat(sheets::CellRange::Parse("A2:D2"), "0.0");
  const std::vector<sheets::Cell> block = {sheets::Cell{},      1.25, 2L, 3.5,
                                           std::string("=1+1"), 4.75};
  book.WriteBlock(sheets::CellRange::Parse("A1:C2"), sheets::CellBlock{block, 2, 3});
  book.WriteCell(0, 1, 7L);
  book.SetNumberFormat(sheets::CellRange::Parse("C2:D2"), "0.000");
  book.Close();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " FOLDER\n";
    return 2;
  }
  try {
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    sheets::DetailSummary summary;  // two figures given, the rest shown as "n/a"
    summary.inputs = {{"Valuation Date", "7/1/2008"}, {"Period Certain", " 5.000"}};
    summary.value = 123456.785;
    summary.sensitivities.Duration = 11.25;
    summary.sensitivities.DV01 = 138.8889;
    sheets::WriteDetailWorkbook(folder / "detail.xlsx", SyntheticDetail(), summary);
    sheets::MortalityColumns mortality;
    valuation::QTable* columns[] = {&mortality.PrePrimary, &mortality.PreContingent,
                                    &mortality.PostPrimary, &mortality.PostContingent};
    for (int k = 0; k < 4; ++k) {
      for (int age = 1; age <= 120; ++age)  // all 17 digits, distinct in every table and age
        columns[k]->set(age, age == 120 ? 1.0 : 1.0 / (age + 7.0 * (k + 1)) / 3.0);
    }
    sheets::WriteMortalityWorkbook(folder / "mortality.xlsx", mortality);
    WriteRulesWorkbook(folder / "rules.xlsx");
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
    return 1;
  }
  return 0;
}
