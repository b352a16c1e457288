// Writes a detail workbook (with its Summary sheet) and a mortality workbook from synthetic tables
// into the folder given, each with a dump of what it was given (detail_table.tsv, mortality.tsv),
// and a small workbook of the writer's rules (rules.xlsx), for check_exported_workbooks.py to
// compare with what it reads back. Exits non-zero on failure.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "sheets/exports.h"
#include "sheets/sheet_error.h"
#include "sheets/workbook.h"
#include "valuation/detail_table.h"

namespace {

using orvane::valuation::DetailTable;

std::string Exact(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// A table of 1440 months (row 1440 included, though it must not reach the sheet). Months 1..6
// have no payment, 7..66 pay within a period certain, later months are life-contingent.
DetailTable SyntheticDetail() {
  DetailTable table;
  orvane::sheets::WriteDetailHeadings(
      table, orvane::sheets::DetailInputs{"7/1/2008", "7/1/1943", "1/1/1946", " 5.000",
                                          "=HYPERLINK(\"http://example.com\")"});
  for (long row = 1; row <= 1440; ++row) {
    const double t = static_cast<double>(row);
    orvane::valuation::MonthStart month;
    month.row = row;
    month.age = 64.5 + (t - 1) / 12;
    for (std::size_t i = 0; i < 4; ++i) {
      const double k = static_cast<double>(i + 1);
      month.monthly_q[i] = 0.001 * k + t * 1e-7;
      month.annual_q[i] = 0.012 * k + t * 1e-6;
    }
    month.Lx = std::exp(-t / 300);
    month.Ly = std::exp(-t / 400);
    month.interest_rate_percent = row < 60 ? 5.25 : 6.5;
    month.Vx = std::pow(1.0525, -(t - 1) / 12);
    table.OnMonthStart(month);

    orvane::valuation::MonthPayment payment;
    payment.row = row;
    payment.payment_month = row >= 7;
    payment.within_period_certain = row >= 7 && row <= 66;
    if (payment.payment_month) {
      payment.primary_benefit = 1000 + t / 3;
      payment.survivor_benefit = payment.primary_benefit * 0.5;
      const double base = payment.primary_benefit * month.Vx;
      if (payment.within_period_certain) {
        payment.period_certain_value = base;
      } else {
        payment.primary_value = base * month.Lx;
        payment.contingent_value = base * 50 * (month.Ly - month.Lx * month.Ly) / 100;
      }
    }
    table.OnPayment(payment);
  }
  return table;
}

void DumpDetail(const DetailTable& table, const std::filesystem::path& file) {
  std::ofstream out(file);
  for (int row = 0; row < DetailTable::kRows; ++row) {
    for (int column = 0; column < DetailTable::kColumns; ++column) {
      const auto& cell = table.Cell(row, column);
      if (const long* whole = std::get_if<long>(&cell)) {
        out << row << '\t' << column << "\tlong\t" << *whole << '\n';
      } else if (const double* number = std::get_if<double>(&cell)) {
        out << row << '\t' << column << "\tdouble\t" << Exact(*number) << '\n';
      } else if (const std::string* text = std::get_if<std::string>(&cell)) {
        out << row << '\t' << column << "\ttext\t" << *text << '\n';
      }
    }
  }
}

orvane::sheets::MortalityColumns SyntheticMortality() {
  orvane::sheets::MortalityColumns tables;
  orvane::valuation::QTable* columns[] = {&tables.PrePrimary, &tables.PreContingent,
                                          &tables.PostPrimary, &tables.PostContingent};
  for (int k = 0; k < 4; ++k) {
    for (int age = 1; age <= 120; ++age) {
      // Values with all 17 significant digits, distinct in every table and age.
      columns[k]->set(age, age == 120 ? 1.0 : 1.0 / (age + 7.0 * (k + 1)) / 3.0);
    }
  }
  return tables;
}

void DumpMortality(const orvane::sheets::MortalityColumns& tables,
                   const std::filesystem::path& file) {
  std::ofstream out(file);
  for (int age = 1; age <= 120; ++age) {
    out << age << '\t' << Exact(tables.PrePrimary.at(age)) << '\t'
        << Exact(tables.PreContingent.at(age)) << '\t' << Exact(tables.PostPrimary.at(age)) << '\t'
        << Exact(tables.PostContingent.at(age)) << '\n';
  }
}

// The workbook interface's own rules, for the checker: the last write to a cell wins, an empty
// element empties its cell, and a number format applies whether it is set before or after the
// cells it formats (later formats winning where rectangles overlap).
void WriteRulesWorkbook(const std::filesystem::path& file) {
  using orvane::sheets::Cell;
  using orvane::sheets::CellRange;
  orvane::sheets::NewWorkbook book(file);
  book.WriteCell(0, 0, std::string("emptied"));
  book.WriteCell(0, 1, std::string("replaced"));
  book.SetNumberFormat(CellRange::Parse("A2:D2"), "0.0");
  const std::vector<Cell> block = {Cell{}, 1.25, 2L, 3.5, std::string("=1+1"), 4.75};
  book.WriteBlock(CellRange::Parse("A1:C2"), orvane::sheets::CellBlock{block, 2, 3});
  book.WriteCell(0, 1, 7L);
  book.SetNumberFormat(CellRange::Parse("C2:D2"), "0.000");
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
    const DetailTable detail = SyntheticDetail();
    DumpDetail(detail, folder / "detail_table.tsv");
    // Two figures given, the rest absent (shown as "n/a").
    orvane::sheets::DetailSummary summary;
    summary.inputs = {{"Valuation Date", "7/1/2008"}, {"Period Certain", " 5.000"}};
    summary.value = 123456.785;
    summary.sensitivities.Duration = 11.25;
    summary.sensitivities.DV01 = 138.8889;
    orvane::sheets::WriteDetailWorkbook(folder / "detail.xlsx", detail, summary);
    const auto mortality = SyntheticMortality();
    DumpMortality(mortality, folder / "mortality.tsv");
    orvane::sheets::WriteMortalityWorkbook(folder / "mortality.xlsx", mortality);
    WriteRulesWorkbook(folder / "rules.xlsx");
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
    return 1;
  }
  return 0;
}
