#!/usr/bin/python3
"""Reads back the workbooks that orvane_sheets_sample_writer wrote into FOLDER.

usage: check_exported_workbooks.py FOLDER openpyxl|libreoffice

openpyxl: every cell of the detail sheet (to libxlsxwriter's 16 digits), its number formats, the
formulas' stored results, the ranges the Summary's charts draw, and rules.xlsx.
libreoffice: LibreOffice Calc (headless, its own profile, a time limit) recalculates detail.xlsx
with every stored result zeroed, renders its Summary to PDF with the three charts drawn, and
reads mortality.xlsx back (to its 15 digits).
The expected values are computed here from the writer's synthetic months and tables.
"""
import csv
import math
import os
import pathlib
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import zipfile

failures = []
CHART_TITLES = ["Expected payments of each year (present value)", "Lx and Ly by month",
                "Vx by month"]


def check(condition, message):
    if not condition:
        failures.append(message)


def close(a, b, rel=1e-12):
    return isinstance(a, (int, float)) and math.isclose(a, b, rel_tol=rel, abs_tol=1e-300)


def detail_months():
    """Sheet row -> the values of columns B..T that the writer's month row - 1 gives."""
    rows = {}
    for t in range(1, 1440):
        lx, ly, vx = math.exp(-t / 300), math.exp(-t / 400), 1.0525 ** (-(t - 1) / 12)
        row = [64.5 + (t - 1) / 12] + [0.001 * k + t * 1e-7 for k in (1, 2, 3, 4)]
        row += [0.012 * k + t * 1e-6 for k in (1, 2, 3, 4)]
        benefit = 1000 + t / 3
        base = benefit * vx
        row += [lx, ly, ly - lx * ly] + ([0, 0] if t < 7 else [benefit, benefit * 0.5])
        row += [5.25 if t < 60 else 6.5, vx] + ([0] * 3 if t < 7 else [base, 0, 0] if t <= 66
                                                else [0, base * lx, base * 50 * (ly - lx * ly) / 100])
        rows[t + 1] = row
    return rows


def value(cell):
    """A number of a CSV as a float, any other cell as it stands."""
    if isinstance(cell, str) and re.fullmatch(r"-?[\d,]*\.?\d+(E[-+]?\d+)?", cell):
        return float(cell.replace(",", ""))
    return cell


def check_results(who, a12, summary, months):
    """A12 of the first sheet and the Summary's formulas, as stored or as recalculated."""
    total = sum(sum(row[16:]) for row in months.values())
    check(close(value(a12), total), f"{who}: A12 shows {a12!r}, the sum of R2:T1440 is {total!r}")
    summary = [[value(cell) for cell in row] for row in summary]
    years = {row[3]: row[4] for row in summary[1:] if len(row) > 4 and row[3] not in (None, "")}
    expected = {year: sum(sum(months[r][16:]) for r in range(12 * year - 10, min(12 * year + 1,
                                                                                 1440) + 1))
                for year in range(1, 121)}
    check(years.keys() == expected.keys(), f"{who}: the Summary has the years {list(years)}")
    for year in expected.keys() & years.keys():
        check(close(years[year], expected[year]),
              f"{who}: Summary year {year} is {years[year]!r}, expected {expected[year]!r}")
    labels = {row[0]: row[1] for row in summary if len(row) > 1 and row[0]}
    check(summary[0][0] == "Orvane calculation summary" and labels.get("Inputs") in ("", None) and
          labels.get("Valuation Date") == "7/1/2008" and labels.get("Period Certain") == " 5.000" and
          labels.get("Present value") == 123456.785 and labels.get("Duration") == 11.25 and
          labels.get("DV01") == 138.8889 and labels.get("Convexity") == "n/a" and
          close(labels.get("Total of the detail (before the load)"), total),
          f"{who}: the Summary reads {labels}")


def check_with_openpyxl(folder, months):
    import openpyxl
    sheet = openpyxl.load_workbook(folder / "detail.xlsx").worksheets[0]
    for where, text in {"A1": "Val Date", "A2": "7/1/2008", "A10": '=HYPERLINK("http://example.com")',
                        "A11": "Value", "B1": "Age", "T1": "Con Value"}.items():
        check(sheet[where].value == text and sheet[where].data_type == "s",
              f"{where}: {sheet[where].value!r}, expected the text {text!r}")
    check(sheet["A12"].data_type == "f" and sheet["A12"].value.lower() == "=sum(r2:t1440)",
          f"A12: {sheet['A12'].value!r}, expected the formula =sum(r2:t1440)")
    check(sheet["B1"].alignment.wrap_text and sheet.column_dimensions["A"].width >= 32,
          "row 1 does not wrap, or column A is narrower than its longest text")
    for row, values in months.items():
        for column, expected in enumerate(values, start=2):
            cell = sheet.cell(row, column)
            check(close(cell.value, expected, 1e-15),
                  f"{cell.coordinate}: {cell.value!r}, expected {expected!r}")
    check(sheet.max_row == 1440 and sheet.max_column == 20, f"the sheet spans {sheet.dimensions}")
    formats = {"A2": "General", "A12": "###,##0.00", "B2": "0.000", "C2": "0.00000000",
               "F1440": "0.00000000", "G2": "0.000000", "M1440": "0.000000", "N2": "###,##0.00",
               "O1440": "###,##0.00", "P2": "#0.000", "Q2": "0.000000", "R2": "###,##0.00",
               "S1440": "###,##0.00", "T2": "General"}
    for where, expected in formats.items():
        check(sheet[where].number_format == expected, f"{where}: {sheet[where].number_format!r}")

    stored = openpyxl.load_workbook(folder / "detail.xlsx", data_only=True)
    check(stored.sheetnames == ["Sheet1", "Summary"], f"sheets {stored.sheetnames}")
    check_results("stored", stored.worksheets[0]["A12"].value,
                  [[cell.value for cell in row] for row in stored["Summary"].iter_rows()], months)
    with zipfile.ZipFile(folder / "detail.xlsx") as archive:
        charts = sorted(n for n in archive.namelist() if re.fullmatch(r"xl/charts/chart\d+\.xml", n))
        ranges = [re.findall(r"<c:f>([^<]*)</c:f>", archive.read(n).decode()) for n in charts]
    expected = [["Summary!$D$2:$D$121", "Summary!$E$2:$E$121"],
                ["Sheet1!$K$2:$K$1440", "Sheet1!$L$2:$L$1440"], ["Sheet1!$Q$2:$Q$1440"]]
    check(ranges == expected, f"the charts draw {ranges}, expected {expected}")

    rules = openpyxl.load_workbook(folder / "rules.xlsx").worksheets[0]
    found = {c.coordinate: (c.value, c.data_type, c.number_format)
             for row in rules.iter_rows() for c in row if c.value is not None}
    expected = {"A2": (1.25, "n", "0.0"), "B1": (7, "n", "General"), "B2": (3.5, "n", "0.0"),
                "C1": ("=1+1", "s", "General"), "C2": (4.75, "n", "0.000")}
    check(found == expected, f"rules.xlsx holds {found}, expected {expected}")


# Always recalculate formulas when an .xlsx is loaded (the default asks, which headless is "never").
RECALCULATE_ON_LOAD = """<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry"
 xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode"
 oor:op="fuse"><value>0</value></prop></item></oor:items>
"""


def convert(work, source, target, sheet=1):
    """Converts `source` with LibreOffice to `target` ("pdf", or a CSV of the sheet numbered
    `sheet` with full-precision numbers); returns the rows of a CSV, the path of a PDF."""
    profile = work / "profile" / "user"
    profile.mkdir(parents=True, exist_ok=True)
    (profile / "registrymodifications.xcu").write_text(RECALCULATE_ON_LOAD)
    out = work / f"{source.stem}-{target}-{sheet}"
    if target == "csv":
        target = f"csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,{sheet}"
    command = [shutil.which("soffice"), f"-env:UserInstallation={profile.parent.as_uri()}",
               "--headless", "--norestore", "--nolockcheck", "--convert-to", target, "--outdir",
               str(out), str(source)]
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               start_new_session=True)
    try:
        output, _ = process.communicate(timeout=180)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        raise SystemExit(f"FAIL: LibreOffice did not finish {source.name} in 180 s")
    written = list(out.glob("*"))
    if process.returncode != 0 or len(written) != 1:
        raise SystemExit(f"FAIL: LibreOffice did not convert {source.name}: {output.decode()}")
    if target == "pdf":
        return written[0]
    with open(written[0], newline="", encoding="utf-8") as f:
        return list(csv.reader(f))


def check_rendered_summary(work, pdf):
    pages = int(re.search(r"Pages:\s+(\d+)", subprocess.run(
        ["pdfinfo", str(pdf)], capture_output=True, text=True, check=True).stdout).group(1))
    text = [subprocess.run(["pdftotext", "-f", str(first), "-l", str(last), str(pdf), "-"],
                           capture_output=True, text=True, check=True).stdout
            for first, last in ((pages, pages), (1, pages - 1))]
    for expected in ["Orvane calculation summary", "Present value", "Duration"] + CHART_TITLES:
        check(expected in text[0], f"the Summary page does not show {expected!r}")
    check(pages >= 2 and not any(title in text[1] for title in CHART_TITLES),
          f"the charts are not all on the last of {pages} pages")
    # The charts stand one under the other right of the Summary's columns: at 40 dpi, the rows
    # of the page's right two fifths that hold ink form three tall blocks, one per chart.
    subprocess.run(["pdftoppm", "-f", str(pages), "-l", str(pages), "-r", "40", "-gray",
                    "-singlefile", str(pdf), str(work / "summary")], check=True)
    data = (work / "summary.pgm").read_bytes()
    header = re.match(rb"P5\s+(\d+)\s+(\d+)\s+\d+\s", data)
    width, height = int(header.group(1)), int(header.group(2))
    start = header.end()
    dark = [[b < 160 for b in data[start + y * width:start + (y + 1) * width]]
            for y in range(height)]
    inked = [x for x in range(width) if any(dark[y][x] for y in range(height))]
    band = range(min(inked) + (max(inked) - min(inked)) * 3 // 5, max(inked) + 1)
    blocks = []
    for y in (y for y in range(height) if any(dark[y][x] for x in band)):
        if blocks and y - blocks[-1][1] <= 12:
            blocks[-1][1] = y
        else:
            blocks.append([y, y])
    tall = [b for b in blocks if b[1] - b[0] >= 20]
    check(len(tall) == 3, f"the chart band holds {len(tall)} drawn blocks {blocks}, expected 3")
    for top, bottom in tall:
        ink = sum(dark[y][x] for y in range(top, bottom + 1) for x in band)
        check(ink > 300, f"the chart in rows {top}..{bottom} has only {ink} dark pixels")


def check_in_libreoffice(folder, months):
    if shutil.which("soffice") is None or shutil.which("pdftoppm") is None:
        raise SystemExit("FAIL: LibreOffice or poppler-utils is missing: run scripts/install-deps")
    with tempfile.TemporaryDirectory(prefix="orvane_libreoffice_") as temp:
        work = pathlib.Path(temp)
        zeroed = work / "detail.xlsx"
        with zipfile.ZipFile(folder / "detail.xlsx") as old, zipfile.ZipFile(zeroed, "w") as new:
            for item in old.infolist():
                new.writestr(item, re.sub(rb"(</f>)<v>[^<]*</v>", rb"\1<v>0</v>",
                                          old.read(item.filename)))
        check_results("LibreOffice", convert(work, zeroed, "csv")[11][0],
                      convert(work, zeroed, "csv", 2), months)
        check_rendered_summary(work, convert(work, folder / "detail.xlsx", "pdf"))
        rows = convert(work, folder / "mortality.xlsx", "csv")
        check(len(rows) == 121 and rows[0] == ["Age", "Prim Pre", "Con Pre", "Prim Post",
                                               "Con Post"], f"the mortality sheet: {rows[:1]}")
        for age, row in enumerate(rows[1:], start=1):
            expected = [age] + [1.0 if age == 120 else 1.0 / (age + 7.0 * k) / 3.0
                                for k in (1, 2, 3, 4)]
            check(len(row) == 5 and all(close(value(read), written, 1e-14)
                                        for read, written in zip(row, expected)),
                  f"age {age} reads back as {row}, expected {expected}")


def main():
    folder, reader = pathlib.Path(sys.argv[1]), sys.argv[2]
    months = detail_months()
    (check_with_openpyxl if reader == "openpyxl" else check_in_libreoffice)(folder, months)
    for message in failures[:40]:
        print("FAIL:", message)
    print(f"{reader}: {len(failures)} failed checks" if failures else f"{reader}: all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
