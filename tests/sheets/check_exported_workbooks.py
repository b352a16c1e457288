#!/usr/bin/python3
"""Reads back the workbooks written by orvane_sheets_sample_writer and checks them with openpyxl.

usage: check_exported_workbooks.py FOLDER   (FOLDER holds detail.xlsx, detail_table.tsv,
                                             mortality.xlsx, mortality.tsv, rules.xlsx)

The expected headings, labels and formats are written out here, independently of the C++ code.
Numbers are compared to 1e-15 relative: libxlsxwriter stores 16 significant digits.
"""
import math
import pathlib
import re
import sys
import zipfile

import openpyxl
from openpyxl.utils import get_column_letter

HEADINGS = ["Age", "Prim Pre Q", "Con Pre Q", "Prim Post Q", "Con Post Q", "Prim Pre Annual Q",
            "Con Pre Annual Q", "Prim Post Annual Q", "Con Post Annual Q", "Lx", "Ly", "Ly-Lx*Ly",
            "Prim Ben", "Con Ben", "Interest Rate", "Vx", "Period Certain Value", "Prim Value",
            "Con Value"]
INPUT_BLOCK = ["Val Date", "7/1/2008", "Prim DOB", "7/1/1943", "Con DOB", "1/1/1946",
               "Per Certain", " 5.000", "Percent Surv", '=HYPERLINK("http://example.com")',
               "Value"]
FORMATS = {"B": "0.000", "C": "0.00000000", "D": "0.00000000", "E": "0.00000000",
           "F": "0.00000000", "G": "0.000000", "H": "0.000000", "I": "0.000000", "J": "0.000000",
           "K": "0.000000", "L": "0.000000", "M": "0.000000", "N": "###,##0.00",
           "O": "###,##0.00", "P": "#0.000", "Q": "0.000000", "R": "###,##0.00",
           "S": "###,##0.00", "T": "General"}
MORTALITY_HEADINGS = ["Age", "Prim Pre", "Con Pre", "Prim Post", "Con Post"]

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def same_number(a, b):
    return isinstance(a, (int, float)) and not isinstance(a, bool) and math.isclose(
        a, b, rel_tol=1e-15, abs_tol=0.0)


def read_detail_dump(path):
    cells = {}
    for line in path.read_text().splitlines():
        row, column, kind, value = line.split("\t", 3)
        cells[(int(row), int(column))] = (kind, value)
    return cells


def check_detail(folder):
    table = read_detail_dump(folder / "detail_table.tsv")
    book = openpyxl.load_workbook(folder / "detail.xlsx")
    sheet = book.worksheets[0]
    cached = openpyxl.load_workbook(folder / "detail.xlsx", data_only=True).worksheets[0]

    for column, heading in enumerate(HEADINGS, start=2):
        cell = sheet.cell(1, column)
        check(cell.value == heading and cell.data_type == "s",
              f"{cell.coordinate}: heading {cell.value!r}, expected {heading!r}")
        check(cell.alignment.wrap_text, f"{cell.coordinate}: row 1 does not wrap")
    for row, text in enumerate(INPUT_BLOCK, start=1):
        cell = sheet.cell(row, 1)
        check(cell.value == text and cell.data_type == "s",
              f"A{row}: {cell.value!r} ({cell.data_type}), expected the text {text!r}")
        check(cell.number_format == "General", f"A{row}: format {cell.number_format!r}")

    total = sheet["A12"]
    check(total.data_type == "f" and str(total.value).lower() == "=sum(r2:t1440)",
          f"A12: {total.value!r} ({total.data_type}), expected the formula =sum(r2:t1440)")
    check(total.number_format == "###,##0.00", f"A12: format {total.number_format!r}")

    # Every table cell of rows 0..1439 lands at sheet row r + 1, column c + 1 (A12 excepted).
    expected_total = 0.0
    for row in range(0, 1440):
        for column in range(0, 20):
            if (row, column) == (11, 0):
                continue
            cell = sheet.cell(row + 1, column + 1)
            kind, value = table.get((row, column), ("empty", None))
            where = f"{cell.coordinate} (table {row}, {column})"
            if kind == "empty":
                check(cell.value is None, f"{where}: {cell.value!r}, expected nothing")
            elif kind == "text":
                check(cell.value == value and cell.data_type == "s",
                      f"{where}: {cell.value!r}, expected the text {value!r}")
            else:
                number = float(value)
                check(same_number(cell.value, number) and cell.data_type == "n",
                      f"{where}: {cell.value!r}, expected the number {number!r}")
                if kind == "long":
                    check(cell.value == int(value), f"{where}: whole number {value} came back "
                          f"as {cell.value!r}")
                if row >= 1 and column in (17, 18, 19):
                    expected_total += number
            if row >= 1 and column >= 1 and cell.value is not None:
                letter = get_column_letter(column + 1)
                check(cell.number_format == FORMATS[letter],
                      f"{where}: format {cell.number_format!r}, expected {FORMATS[letter]!r}")

    # Table row 1440 holds a month, but the rectangle ends at sheet row 1440.
    check(any(r == 1440 for (r, _) in table), "the synthetic table lacks row 1440")
    check(sheet.max_row == 1440, f"the sheet ends at row {sheet.max_row}, expected 1440")
    check(sheet.max_column == 20, f"the sheet ends at column {sheet.max_column}, expected 20 (T)")
    check(all(c.value is None for c in sheet[1441]), "row 1441 holds a value")

    sheet_total = sum(c.value for row in sheet["R2:T1440"] for c in row if c.value is not None)
    check(math.isclose(sheet_total, expected_total, rel_tol=1e-12),
          f"R2:T1440 sums to {sheet_total!r}, the table's columns 17-19 to {expected_total!r}")
    shown = cached["A12"].value
    check(isinstance(shown, (int, float)) and math.isclose(shown, expected_total, rel_tol=1e-12),
          f"A12 shows {cached['A12'].value!r} before recalculation, expected {expected_total!r}")

    longest = max(len(text) for text in INPUT_BLOCK)
    width = sheet.column_dimensions["A"].width
    check(width is not None and width >= longest,
          f"column A is {width!r} wide, narrower than its longest text ({longest})")


def check_summary(folder):
    """The Summary sheet's formulas and the ranges its charts draw (LibreOffice renders them in
    check_in_libreoffice.py)."""
    book = openpyxl.load_workbook(folder / "detail.xlsx")
    check(book.sheetnames == ["Sheet1", "Summary"], f"sheets {book.sheetnames}")
    summary = book["Summary"]
    for year in (1, 2, 120):
        cell = summary.cell(year + 1, 5)
        first, last = 12 * year - 10, min(12 * year + 1, 1440)
        check(summary.cell(year + 1, 4).value == year and
              cell.value == f"=SUM('Sheet1'!R{first}:T{last})",
              f"Summary year {year}: {summary.cell(year + 1, 4).value!r}, {cell.value!r}")
    check(summary.cell(122, 4).value is None, "the Summary has more than 120 years")
    with zipfile.ZipFile(folder / "detail.xlsx") as archive:
        charts = sorted(n for n in archive.namelist() if re.fullmatch(r"xl/charts/chart\d+\.xml", n))
        ranges = [re.findall(r"<c:f>([^<]*)</c:f>", archive.read(n).decode()) for n in charts]
    expected = [["Summary!$D$2:$D$121", "Summary!$E$2:$E$121"],
                ["Sheet1!$K$2:$K$1440", "Sheet1!$L$2:$L$1440"], ["Sheet1!$Q$2:$Q$1440"]]
    check(ranges == expected, f"the charts draw {ranges}, expected {expected}")


def check_mortality(folder):
    rows = [line.split("\t") for line in (folder / "mortality.tsv").read_text().splitlines()]
    sheet = openpyxl.load_workbook(folder / "mortality.xlsx").worksheets[0]
    for column, heading in enumerate(MORTALITY_HEADINGS, start=1):
        cell = sheet.cell(1, column)
        check(cell.value == heading and cell.data_type == "s",
              f"{cell.coordinate}: {cell.value!r}, expected {heading!r}")
    check(len(rows) == 120, f"the mortality dump has {len(rows)} ages")
    for index, fields in enumerate(rows):
        age = index + 1
        check(int(fields[0]) == age, f"dump row {index} is age {fields[0]}")
        check(sheet.cell(age + 1, 1).value == age, f"A{age + 1}: {sheet.cell(age + 1, 1).value!r}")
        for column in range(2, 6):
            cell = sheet.cell(age + 1, column)
            check(same_number(cell.value, float(fields[column - 1])),
                  f"{cell.coordinate}: {cell.value!r}, expected {fields[column - 1]}")
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None:
                continue
            check(cell.row <= 121 and cell.column <= 5, f"{cell.coordinate} holds {cell.value!r}")
            check(cell.number_format == "General", f"{cell.coordinate}: {cell.number_format!r}")
    check(sheet.max_row == 121 and sheet.max_column == 5,
          f"the mortality sheet spans {sheet.dimensions}, expected A1:E121")


def check_rules(folder):
    sheet = openpyxl.load_workbook(folder / "rules.xlsx").worksheets[0]
    found = {c.coordinate: (c.value, c.data_type, c.number_format)
             for row in sheet.iter_rows() for c in row if c.value is not None}
    expected = {"A2": (1.25, "n", "0.0"), "B1": (7, "n", "General"), "B2": (3.5, "n", "0.0"),
                "C1": ("=1+1", "s", "General"), "C2": (4.75, "n", "0.000")}
    check(found == expected, f"rules.xlsx holds {found}, expected {expected}")


def main():
    folder = pathlib.Path(sys.argv[1])
    check_detail(folder)
    check_summary(folder)
    check_mortality(folder)
    check_rules(folder)
    for message in failures[:40]:
        print("FAIL:", message)
    if failures:
        print(f"{len(failures)} failed checks")
        return 1
    print("detail and mortality workbooks: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
