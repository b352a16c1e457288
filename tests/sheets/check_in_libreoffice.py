#!/usr/bin/python3
"""Opens the workbooks written by orvane_sheets_sample_writer in LibreOffice Calc (headless) and
checks what a spreadsheet application makes of them.

usage: check_in_libreoffice.py FOLDER   (FOLDER as for check_exported_workbooks.py)

- detail.xlsx with every formula's stored result replaced by 0: LibreOffice recalculates on load,
  A12 of the first sheet equals the sum of R2:T1440 and each yearly sum of the Summary sheet the
  sum of R:T over the year's twelve rows, computed here from detail_table.tsv;
- detail.xlsx converted to PDF: the Summary sheet is the last page, holds its texts and the three
  charts' titles, and the chart column of that page is drawn (rendered with pdftoppm);
- mortality.xlsx saved again by LibreOffice as flat ODF: every cell reads back as written
  (mortality.tsv), to LibreOffice's 15 significant digits.

Each LibreOffice run has its own profile in a temporary folder and a time limit, so a soffice
that is already running, or one that hangs, cannot stall the test.
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
from xml.etree import ElementTree

TIME_LIMIT = 180  # seconds for one LibreOffice run

# Always recalculate formulas when an .xlsx is loaded (the default asks, which headless is "never").
RECALCULATE_ON_LOAD = """<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry"
           xmlns:xs="http://www.w3.org/2001/XMLSchema"
           xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop oor:name="OOXMLRecalcMode"
 oor:op="fuse"><value>0</value></prop></item>
</oor:items>
"""

CHART_TITLES = ["Expected payments of each year (present value)", "Lx and Ly by month",
                "Vx by month"]

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def office():
    for name in ("soffice", "libreoffice"):
        found = shutil.which(name)
        if found:
            return found
    return None


def convert(work, source, target_filter, out_dir):
    """Converts `source` with LibreOffice into out_dir; returns the written file."""
    profile = work / "profile"
    (profile / "user").mkdir(parents=True, exist_ok=True)
    (profile / "user" / "registrymodifications.xcu").write_text(RECALCULATE_ON_LOAD)
    command = [office(), f"-env:UserInstallation={profile.as_uri()}", "--headless",
               "--norestore", "--nolockcheck", "--convert-to", target_filter,
               "--outdir", str(out_dir), str(source)]
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               start_new_session=True)
    try:
        output, _ = process.communicate(timeout=TIME_LIMIT)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        raise SystemExit(f"FAIL: LibreOffice did not finish {source.name} in {TIME_LIMIT} s")
    # A CSV of a chosen sheet is named after the sheet: detail-Summary.csv.
    written = sorted(out_dir.glob(source.stem + "*." + target_filter.split(":")[0]))
    if process.returncode != 0 or len(written) != 1:
        raise SystemExit(f"FAIL: LibreOffice did not convert {source.name} "
                         f"(exit {process.returncode}): {output.decode(errors='replace')}")
    return written[0]


def csv_filter(sheet):
    # Comma, double quote, UTF-8, from line 1, ..., cells with their full precision instead of
    # as shown, ..., the sheet's number (1-based).
    return f'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,{sheet}'


def without_stored_results(source, target):
    """Copies the workbook with every formula's stored result set to 0."""
    with zipfile.ZipFile(source) as old, zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as new:
        for item in old.infolist():
            data = old.read(item.filename)
            if item.filename.startswith("xl/worksheets/"):
                data = re.sub(rb"(</f>)<v>[^<]*</v>", rb"\1<v>0</v>", data)
            new.writestr(item, data)


def read_csv(path):
    with open(path, newline="", encoding="utf-8") as f:
        return list(csv.reader(f))


def number(text):
    return float(text.replace(",", ""))


def check_recalculation(folder, work):
    values = {}
    for line in (folder / "detail_table.tsv").read_text().splitlines():
        row, column, kind, value = line.split("\t", 3)
        if kind != "text" and 17 <= int(column) <= 19:
            values[(int(row), int(column))] = float(value)
    total = sum(v for (row, _), v in values.items() if 1 <= row <= 1439)

    zeroed = work / "detail.xlsx"
    without_stored_results(folder / "detail.xlsx", zeroed)
    first = read_csv(convert(work, zeroed, csv_filter(1), work / "first"))
    shown = number(first[11][0])
    check(math.isclose(shown, total, rel_tol=1e-12),
          f"A12 recalculates to {shown!r}, the sum of R2:T1440 is {total!r}")

    summary = read_csv(convert(work, zeroed, csv_filter(2), work / "summary"))
    check(summary[0][0] == "Orvane calculation summary",
          f"the second sheet begins with {summary[0][:1]!r}, not the Summary's title")
    years = [row for row in summary[1:] if len(row) > 4 and row[3].strip()]
    check(len(years) == 120, f"the Summary has {len(years)} yearly sums, expected 120")
    for row in years:
        year = int(number(row[3]))
        expected = sum(values.get((month, column), 0.0) for month in
                       range(12 * year - 11, min(12 * year, 1439) + 1) for column in (17, 18, 19))
        check(math.isclose(number(row[4]), expected, rel_tol=1e-12, abs_tol=1e-9),
              f"Summary year {year}: {row[4]!r}, expected {expected!r}")
    by_label = {row[0]: row[1] for row in summary if len(row) > 1 and row[0]}
    check(math.isclose(number(by_label.get("Total of the detail (before the load)", "nan")),
                       total, rel_tol=1e-12), "the Summary's total does not follow A12")
    check(by_label.get("Duration") == "11.25" and by_label.get("Convexity") == "n/a",
          f"Summary sensitivities: Duration {by_label.get('Duration')!r}, "
          f"Convexity {by_label.get('Convexity')!r}")


def dark_pixels(pgm_path):
    """The dark pixels of a binary PGM (P5) page, as rows of booleans."""
    data = pgm_path.read_bytes()
    fields = re.match(rb"P5\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    width, height = int(fields.group(1)), int(fields.group(2))
    pixels = data[fields.end():]
    dark = [[pixels[y * width + x] < 160 for x in range(width)] for y in range(height)]
    return dark, width, height


def check_rendered_summary(folder, work):
    pdf = convert(work, folder / "detail.xlsx", "pdf", work / "pdf")
    info = subprocess.run(["pdfinfo", str(pdf)], capture_output=True, text=True, check=True)
    pages = int(re.search(r"Pages:\s+(\d+)", info.stdout).group(1))
    check(pages >= 2, f"the PDF has {pages} page(s)")
    text = subprocess.run(["pdftotext", "-f", str(pages), "-l", str(pages), "-layout", str(pdf),
                           "-"], capture_output=True, text=True, check=True).stdout
    for expected in ["Orvane calculation summary", "Present value", "Duration"] + CHART_TITLES:
        check(expected in text, f"the Summary page does not show {expected!r}")
    earlier = subprocess.run(["pdftotext", "-f", "1", "-l", str(pages - 1), str(pdf), "-"],
                             capture_output=True, text=True, check=True).stdout
    check(not any(title in earlier for title in CHART_TITLES), "a chart is not on the last page")

    # The charts stand right of the Summary's columns, one under the other: at 40 dpi, the rows
    # of that band that hold ink form three blocks (title, bars or lines, axes), one per chart.
    subprocess.run(["pdftoppm", "-f", str(pages), "-l", str(pages), "-r", "40", "-gray",
                    "-singlefile", str(pdf), str(work / "summary")], check=True)
    dark, width, height = dark_pixels(work / "summary.pgm")
    inked = [x for x in range(width) if any(dark[y][x] for y in range(height))]
    left, right = min(inked), max(inked)
    band = range(left + (right - left) * 3 // 5, right + 1)  # the right two fifths
    rows = [y for y in range(height) if any(dark[y][x] for x in band)]
    blocks = []
    for y in rows:
        if blocks and y - blocks[-1][1] <= 12:
            blocks[-1][1] = y
        else:
            blocks.append([y, y])
    tall = [b for b in blocks if b[1] - b[0] >= 20]
    check(len(tall) == 3, f"the chart band holds {len(tall)} drawn blocks {blocks}, expected 3")
    for top, bottom in tall:
        ink = sum(dark[y][x] for y in range(top, bottom + 1) for x in band)
        check(ink > 300, f"the chart in rows {top}..{bottom} has only {ink} dark pixels")


def read_fods_first_table(path):
    """The cells of the first table of a flat ODF spreadsheet: rows of values, numbers as the
    full-precision office:value, texts as their text."""
    namespaces = {"table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
                  "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
                  "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0"}
    table_ns = "{" + namespaces["table"] + "}"
    office_ns = "{" + namespaces["office"] + "}"
    first = ElementTree.parse(path).getroot().find(".//table:table", namespaces)
    rows = []
    for row in first.iter(table_ns + "table-row"):
        cells = []
        for cell in row.findall("table:table-cell", namespaces):
            repeat = int(cell.get(table_ns + "number-columns-repeated", "1"))
            if cell.get(office_ns + "value-type") == "float":
                value = float(cell.get(office_ns + "value"))
            else:
                value = "".join(cell.itertext()).strip() or None
            cells.extend([value] * min(repeat, 64))
        while cells and cells[-1] is None:
            cells.pop()
        if cells:
            rows.append(cells)
    return rows


def check_mortality(folder, work):
    # LibreOffice 7.4 keeps 15 significant digits of a number it reads (the workbook holds 16),
    # so a cell reads back to within 1e-14 relative; a wrong cell is off by far more.
    expected = [line.split("\t") for line in (folder / "mortality.tsv").read_text().splitlines()]
    rows = read_fods_first_table(convert(work, folder / "mortality.xlsx", "fods",
                                         work / "mortality"))
    check(rows[0] == ["Age", "Prim Pre", "Con Pre", "Prim Post", "Con Post"],
          f"mortality headings {rows[0]!r}")
    check(len(rows) == 121, f"the mortality sheet has {len(rows)} rows")
    for fields, row in zip(expected, rows[1:]):
        check(row[0] == int(fields[0]), f"age {fields[0]} reads back as {row[0]!r}")
        for written, read in zip(fields[1:], row[1:]):
            check(isinstance(read, float) and
                  math.isclose(read, float(written), rel_tol=1e-14, abs_tol=0.0),
                  f"age {fields[0]}: {written} reads back as {read!r}")


def main():
    if office() is None or shutil.which("pdftoppm") is None:
        print("FAIL: LibreOffice (soffice) or poppler-utils is missing: run scripts/install-deps")
        return 1
    folder = pathlib.Path(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="orvane_libreoffice_") as temp:
        work = pathlib.Path(temp)
        check_recalculation(folder, work)
        check_rendered_summary(folder, work)
        check_mortality(folder, work)
    for message in failures[:40]:
        print("FAIL:", message)
    if failures:
        print(f"{len(failures)} failed checks")
        return 1
    print("LibreOffice: totals recalculated, Summary charts drawn, mortality cells read back")
    return 0


if __name__ == "__main__":
    sys.exit(main())
