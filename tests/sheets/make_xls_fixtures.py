#!/usr/bin/python3
"""Writes the .xls yield curve workbooks that the sheets tests read, into the folder given.

Each workbook has the layout of "Full Yield Curve.xls": row 1 headings, column A half-year labels,
column i + 1 curve i, rows 2..201 half-years 1..200. The rates are chosen so that every curve and
half-year can be told apart: in graded.xls, curve i at half-year h holds i/100 + h/10000.
"""
import pathlib
import sys

import xlwt


def new_sheet():
    book = xlwt.Workbook()
    return book, book.add_sheet("Curves")


def labels(sheet, rows=200):
    sheet.write(0, 0, "Half-year")
    for h in range(1, rows + 1):
        sheet.write(h, 0, f"{h / 2:g} years")


def curves(sheet, count, rate, rows=200):
    for i in range(1, count + 1):
        sheet.write(0, i, f"curve {i}")
        for h in range(1, rows + 1):
            value = rate(i, h)
            if value is not None:
                sheet.write(h, i, value)


def main():
    folder = pathlib.Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)

    book, sheet = new_sheet()
    labels(sheet)
    curves(sheet, 12, lambda i, h: round(i / 100 + h / 10000, 6))
    book.save(str(folder / "graded.xls"))

    book, sheet = new_sheet()
    labels(sheet)
    curves(sheet, 3, lambda i, h: 0.05)
    book.save(str(folder / "flat5.xls"))

    # 60 curves: more than the 40 columns B..AO; curve i holds i/1000 everywhere.
    book, sheet = new_sheet()
    labels(sheet)
    curves(sheet, 60, lambda i, h: i / 1000)
    book.save(str(folder / "wide.xls"))

    # Curve 1 lacks half-year 4 (cell B5); curve 2 holds the whole number 1 at half-year 1 (C2).
    book, sheet = new_sheet()
    labels(sheet)
    curves(sheet, 2, lambda i, h: None if (i, h) == (1, 4) else (1 if (i, h) == (2, 1) else 0.04))
    book.save(str(folder / "empty_cell.xls"))

    # Only half-years 1..50 are present: rows 52..201 lie outside the used range.
    book, sheet = new_sheet()
    labels(sheet, rows=50)
    curves(sheet, 2, lambda i, h: 0.03, rows=50)
    book.save(str(folder / "short.xls"))

    # Curve 3 holds a text at half-year 16 (cell D17).
    book, sheet = new_sheet()
    labels(sheet)
    curves(sheet, 4, lambda i, h: "n/a" if (i, h) == (3, 16) else 0.04)
    book.save(str(folder / "text_cell.xls"))

    # Labels only: no curve at all.
    book, sheet = new_sheet()
    labels(sheet)
    book.save(str(folder / "labels_only.xls"))


if __name__ == "__main__":
    main()
