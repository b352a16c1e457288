#!/usr/bin/python3
"""Writes the .xls yield curve workbooks that the sheets tests read, into the folder given: row 1
headings, column A half-year labels, column i + 1 curve i, row h + 1 half-year h."""
import pathlib, sys, xlwt


def save(path, count, rate, rows=200):
    book = xlwt.Workbook()
    sheet = book.add_sheet("Curves")
    sheet.write(0, 0, "Half-year")
    for h in range(1, rows + 1):
        sheet.write(h, 0, f"{h / 2:g} years")
        for i in (i for i in range(1, count + 1) if rate(i, h) is not None):
            sheet.write(h, i, rate(i, h))
    book.save(str(path))


folder = pathlib.Path(sys.argv[1])
folder.mkdir(parents=True, exist_ok=True)
# 60 curves, more than the 40 columns B..AO; every curve and half-year told apart.
save(folder / "graded.xls", 60, lambda i, h: round(i / 100 + h / 10000, 6))
# 50 half-years only; B5 (curve 1, half-year 4) empty, C2 the whole number 1.
save(folder / "gaps.xls", 2, lambda i, h: None if (i, h) == (1, 4) else 1 if (i, h) == (2, 1)
     else 0.04, rows=50)
save(folder / "text_cell.xls", 4, lambda i, h: "n/a" if (i, h) == (3, 16) else 0.04)  # D17
save(folder / "labels_only.xls", 0, None)
# The first 4 KiB of a workbook (a valid header whose sectors are missing), and no byte at all.
(folder / "truncated.xls").write_bytes((folder / "graded.xls").read_bytes()[:4096])
(folder / "empty.xls").write_bytes(b"")
