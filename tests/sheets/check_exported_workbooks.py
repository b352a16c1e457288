#!/usr/bin/python3
# Reads back the workbooks that orvane_sheets_sample_writer wrote into FOLDER, with openpyxl or in
# LibreOffice Calc (headless): check_exported_workbooks.py FOLDER openpyxl|libreoffice. The
# expected values are computed here from the writer's synthetic months and tables.
import csv, math, os, pathlib, re, shutil, signal, subprocess, sys, tempfile, zipfile

failures = []
CHARTS = ["Expected payments of each year (present value)", "Lx and Ly by month", "Vx by month"]


check = lambda condition, message: condition or failures.append(message)
close = lambda a, b, rel=1e-12: (isinstance(a, (int, float))
                                 and math.isclose(a, b, rel_tol=rel, abs_tol=1e-300))


# A number of a CSV as a float, any other cell as it stands.
def value(cell):
    number = isinstance(cell, str) and re.fullmatch(r"-?[\d,]*\.?\d+(E[-+]?\d+)?", cell)
    return float(cell.replace(",", "")) if number else cell


# Sheet row -> the values of columns B..T that the writer's month row - 1 gives.
def detail_months():
    rows = {}
    for t in range(1, 1440):
        lx, ly, vx = math.exp(-t / 300), math.exp(-t / 400), 1.0525 ** (-(t - 1) / 12)
        benefit, base = 1000 + t / 3, (1000 + t / 3) * vx
        rows[t + 1] = ([64.5 + (t - 1) / 12] + [0.001 * k + t * 1e-7 for k in (1, 2, 3, 4)] +
                       [0.012 * k + t * 1e-6 for k in (1, 2, 3, 4)] + [lx, ly, ly - lx * ly] +
                       ([0, 0] if t < 7 else [benefit, benefit * 0.5]) +
                       [5.25 if t < 60 else 6.5, vx] +
                       ([0] * 3 if t < 7 else [base, 0, 0] if t <= 66 else
                        [0, base * lx, base * 50 * (ly - lx * ly) / 100]))
    return rows


# A12 of the first sheet and the Summary's formulas, as stored or as recalculated.
def check_results(who, a12, summary, months):
    total = sum(sum(row[16:]) for row in months.values())
    summary = [[value(cell) for cell in row] for row in summary]
    top = [tuple(None if cell == "" else cell for cell in row[:2]) for row in summary[:13]]
    check(close(value(a12), total) and top[7][0] == "Total of the detail (before the load)" and
          close(top[7][1], total), f"{who}: A12 and A8:B8 read {a12!r}, {top[7]}, not {total!r}")
    years = [(row[3], row[4]) for row in summary[1:] if len(row) > 4 and row[3] not in (None, "")]
    want = lambda y: sum(sum(months[r][16:]) for r in range(12 * y - 10, min(12 * y + 1, 1440) + 1))
    wrong = [(got, year) for year, got in enumerate(years, start=1)
             if got[0] != year or not close(got[1], want(year))]
    check(len(years) == 120 and not wrong, f"{who}: {len(years)} yearly sums, wrong {wrong[:5]}")
    check(top[:7] + top[8:] == [("Orvane calculation summary", None), (None, None),
          ("Inputs", None), ("Valuation Date", "7/1/2008"), ("Period Certain", " 5.000"),
          (None, None), ("Present value", 123456.785), (None, None),
          ("Sensitivities (rates moved by one basis point)", None), ("Duration", 11.25),
          ("Convexity", "n/a"), ("DV01", 138.8889)], f"{who}: the Summary's A1:B13 read {top}")


def check_with_openpyxl(folder, months):
    import openpyxl
    sheet = openpyxl.load_workbook(folder / "detail.xlsx").worksheets[0]
    texts = {"A1": "Val Date", "A2": "7/1/2008", "A10": '=HYPERLINK("http://example.com")',
             "A11": "Value", "B1": "Age", "T1": "Con Value", "A12": "=SUM(R2:T1440)"}
    found = {where: (sheet[where].value, sheet[where].data_type) for where in texts}
    check(found == {where: (text, "f" if where == "A12" else "s") for where, text in texts.items()},
          f"the headings and the input block read {found}")
    check(sheet["B1"].alignment.wrap_text and sheet.column_dimensions["A"].width >= 32,
          "row 1 does not wrap, or column A is narrower than its longest text")
    wrong = [(cell.coordinate, cell.value, expected) for row, values in months.items()
             for cell, expected in zip(sheet[f"B{row}:T{row}"][0], values)
             if not close(cell.value, expected, 1e-15)]
    check(sheet.dimensions == "A1:T1440" and not wrong, f"{sheet.dimensions}, wrong: {wrong[:9]}")
    # Every figure column's format, B to T, in the first and last month rows, and the total's.
    columns = (["0.000"] + ["0.00000000"] * 4 + ["0.000000"] * 7 + ["###,##0.00"] * 2 +
               ["#0.000", "0.000000"] + ["###,##0.00"] * 2 + ["General"])
    shown = [[c.number_format for c in sheet[f"B{row}:T{row}"][0]] for row in (2, 1440)]
    check(shown == [columns] * 2 and sheet["A12"].number_format == "###,##0.00",
          f"Sheet1's B:T show as {shown}, A12 as {sheet['A12'].number_format}")

    stored = openpyxl.load_workbook(folder / "detail.xlsx", data_only=True)
    page, formats = stored["Summary"].page_setup, [c.number_format for c in stored["Summary"]["B"]]
    check(formats[6:18] == ["###,##0.00"] * 2 + ["General"] * 2 + ["#,##0.0000"] * 7 + ["General"]
          and stored["Summary"].sheet_properties.pageSetUpPr.fitToPage and page.orientation ==
          "landscape" and (page.fitToWidth or 1, page.fitToHeight or 1) == (1, 1),
          f"the Summary's B7:B18 show as {formats[6:18]}, its page setup is {page.__dict__}")
    years = [c.number_format for c in stored["Summary"]["E"][1:] if c.value is not None]
    check(len(years) > 1 and set(years) == {"###,##0.00"}, f"the yearly sums show as {years}")
    check_results("stored", stored.worksheets[0]["A12"].value,
                  [[cell.value for cell in row] for row in stored["Summary"].iter_rows()], months)
    with zipfile.ZipFile(folder / "detail.xlsx") as archive:
        ranges = [re.findall(r"<c:(barChart|lineChart)>|<c:f>([^<]*)</c:f>", archive.read(n).decode())
                  for n in sorted(archive.namelist()) if re.fullmatch(r"xl/charts/chart\d\.xml", n)]
    ranges = [[kind or cells for kind, cells in chart] for chart in ranges]
    check(ranges == [["barChart", "Summary!$D$2:$D$121", "Summary!$E$2:$E$121"],
                     ["lineChart", "Sheet1!$K$2:$K$1440", "Sheet1!$L$2:$L$1440"],
                     ["lineChart", "Sheet1!$Q$2:$Q$1440"]], f"the charts draw {ranges}")
    rules = openpyxl.load_workbook(folder / "rules.xlsx").worksheets[0]
    found = {c.coordinate: (c.value, c.data_type, c.number_format)
             for row in rules.iter_rows() for c in row if c.value is not None}
    check(found == {"A2": (1.25, "n", "0.0"), "B1": (7, "n", "General"), "B2": (3.5, "n", "0.0"),
                    "C1": ("=1+1", "s", "General"), "C2": (4.75, "n", "0.000")},
          f"rules.xlsx holds {found}")


# Always recalculate formulas when an .xlsx is loaded (the default asks, which headless is "never").
RECALCULATE_ON_LOAD = """<?xml version="1.0" encoding="UTF-8"?><oor:items xmlns:oor="http://\
openoffice.org/2001/registry"><item oor:path="/org.openoffice.Office.Calc/Formula/Load"><prop \
oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item></oor:items>"""


# Converts `source` with LibreOffice (a profile of its own, a time limit) to a PDF, whose
# path it returns, or to a CSV of the sheet numbered `sheet` with every number's full
# precision, whose rows it returns.
def convert(work, source, target, sheet=1):
    profile = work / "profile" / "user"
    profile.mkdir(parents=True, exist_ok=True)
    (profile / "registrymodifications.xcu").write_text(RECALCULATE_ON_LOAD)
    out = work / f"{source.stem}-{target}-{sheet}"
    filter = f"csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,{sheet}"
    process = subprocess.Popen(
        [shutil.which("soffice"), f"-env:UserInstallation={profile.parent.as_uri()}", "--headless",
         "--norestore", "--nolockcheck", "--convert-to", filter if target == "csv" else target,
         "--outdir", str(out), str(source)],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, start_new_session=True)
    try:
        output = process.communicate(timeout=180)[0].decode()
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        raise SystemExit(f"FAIL: LibreOffice did not finish {source.name} in 180 s")
    written = list(out.glob("*"))
    if process.returncode != 0 or len(written) != 1:
        raise SystemExit(f"FAIL: LibreOffice did not convert {source.name}: {output}")
    return written[0] if target == "pdf" else list(csv.reader(open(written[0], encoding="utf-8")))


def check_rendered_summary(work, pdf):
    pages = subprocess.run(["pdftotext", str(pdf), "-"], capture_output=True, text=True,
                           check=True).stdout.split("\f")[:-1]
    for expected in ["Orvane calculation summary", "Present value", "Duration"] + CHARTS:
        check(expected in pages[-1], f"the Summary page does not show {expected!r}")
    check(len(pages) >= 2 and not any(title in "".join(pages[:-1]) for title in CHARTS),
          f"the charts are not all on the last of {len(pages)} pages")
    # The charts stand one under the other right of the Summary's columns: at 40 dpi, the rows
    # of the page's right two fifths that hold ink form three tall blocks, one per chart.
    subprocess.run(["pdftoppm", "-f", f"{len(pages)}", "-l", f"{len(pages)}", "-r", "40", "-gray",
                    "-singlefile", str(pdf), str(work / "summary")], check=True)
    data = (work / "summary.pgm").read_bytes()
    header = re.match(rb"P5\s+(\d+)\s+(\d+)\s+\d+\s", data)
    width, height, start = int(header.group(1)), int(header.group(2)), header.end()
    dark = [[b < 160 for b in data[start + y * width:start + (y + 1) * width]]
            for y in range(height)]
    inked = [x for x in range(width) if any(dark[y][x] for y in range(height))]
    band = range(min(inked) + (max(inked) - min(inked)) * 3 // 5, max(inked) + 1)
    # Inked rows less than 13 pixels apart belong to one block: a block starts after such a gap
    # and ends before one.
    rows = [y for y in range(height) if any(dark[y][x] for x in band)]
    blocks = list(zip([y for y, above in zip(rows, [-99] + rows) if y - above > 12],
                      [y for y, below in zip(rows, rows[1:] + [height + 99]) if below - y > 12]))
    ink = [sum(dark[y][x] for y in range(top, bottom + 1) for x in band)
           for top, bottom in blocks if bottom - top >= 20]
    check(len(ink) == 3 and min(ink) > 300, f"the chart band holds {blocks}, inked {ink}")


def check_in_libreoffice(folder, months):
    with tempfile.TemporaryDirectory(prefix="orvane_libreoffice_") as temp:
        work = pathlib.Path(temp)
        zeroed = work / "detail.xlsx"  # every formula's stored result set to 0
        with zipfile.ZipFile(folder / "detail.xlsx") as old, zipfile.ZipFile(zeroed, "w") as new:
            for item in old.infolist():
                new.writestr(item, re.sub(rb"(</f>)<v>[^<]*</v>", rb"\1<v>0</v>",
                                          old.read(item.filename)))
        check_results("LibreOffice", convert(work, zeroed, "csv")[11][0],
                      convert(work, zeroed, "csv", 2), months)
        check_rendered_summary(work, convert(work, folder / "detail.xlsx", "pdf"))
        # LibreOffice keeps 15 significant digits of the workbook's 16.
        rows = [[value(cell) for cell in row]
                for row in convert(work, folder / "mortality.xlsx", "csv")]
        expected = [["Age", "Prim Pre", "Con Pre", "Prim Post", "Con Post"]] + [
            [age] + [1.0 if age == 120 else 1.0 / (age + 7.0 * k) / 3.0 for k in (1, 2, 3, 4)]
            for age in range(1, 121)]
        check(len(rows) == 121 and rows[0] == expected[0] and all(
            len(row) == 5 and all(close(read, want, 1e-14) for read, want in zip(row, values))
            for row, values in zip(rows[1:], expected[1:])), f"the mortality sheet reads {rows}")


folder, reader = pathlib.Path(sys.argv[1]), sys.argv[2]
(check_with_openpyxl if reader == "openpyxl" else check_in_libreoffice)(folder, detail_months())
print("".join(f"FAIL: {message}\n" for message in failures[:40]) +
      (f"{reader}: {len(failures)} failed checks" if failures else f"{reader}: all passed"))
sys.exit(1 if failures else 0)
