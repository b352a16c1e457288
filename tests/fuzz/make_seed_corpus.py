#!/usr/bin/python3
"""Writes the seed corpora of the fuzz targets from the shipped data files.

    tests/fuzz/make_seed_corpus.py   # rewrites tests/fuzz/corpus/orvane_fuzz_{tables,workbook,fields,census}

Each corpus holds a few valid inputs and a few slightly broken ones, small enough to commit. The
table store's target reads the last 24 bytes of its input as the choice of eight extra requests
(option flags, name, years); the seeds append such a tail as a partial block after the shipped
tables, so that it does not disturb them. Needs Debian's python3-xlwt (run with /usr/bin/python3).
"""
import csv
import pathlib

import xlwt

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
CORPUS = ROOT / "tests" / "fuzz" / "corpus"
BLOCK = 256


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(bytes(data))


def request(projection, ann=False, sex=False, preamble=False, male=True, pre=False, name=0,
            years=0):
    flags = projection | ann << 2 | sex << 3 | preamble << 4 | male << 5 | pre << 6
    return bytes([flags, name, years])


def table_seeds():
    shipped = bytearray((ROOT / "data" / "MortalityTables").read_bytes())
    target = "orvane_fuzz_tables"
    write(target, "empty", b"")
    # Every projection with the blends and the preamble, on the shipped years and on others.
    every_option = b"".join(request(p, ann=p % 2 == 1, sex=p == 2, preamble=p != 2, male=m,
                                    pre=p == 3, name=p * 3 + m, years=p % 3)
                            for p in (1, 2, 3, 0) for m in (True, False))
    write(target, "shipped_every_option", shipped + every_option)
    unprojected = b"".join(request(0, ann=True, sex=True, preamble=True, name=n) for n in range(8))
    write(target, "shipped_unprojected", shipped + unprojected)
    # Directory, catalogue, "None" and the first table only: the other names lie past the end.
    write(target, "first_eight_blocks", shipped[:8 * BLOCK])
    # A length byte below 128 in the first table ("2008417e", blocks 5 to 7).
    broken = bytearray(shipped)
    broken[5 * BLOCK + 2 + 1 + broken[5 * BLOCK + 2] - 128] = 0x05
    write(target, "length_byte_below_128", broken + every_option)
    # A continuation marker where a block's first field must start.
    broken = bytearray(shipped)
    broken[6 * BLOCK + 2] = 0xFF
    write(target, "marker_at_byte_2", broken + every_option)
    # A directory claiming four blocks in a file of one.
    broken = bytearray(shipped[:BLOCK])
    broken[0:2] = b"\x00\x03"
    write(target, "directory_past_the_end", broken)
    # An improvement of 100% (the half-byte 10 counts as ten) at the second field of M-Proj.
    broken = bytearray(shipped)
    start = 26 * BLOCK + 2
    position = start
    for _ in range(2 + 70):  # the first field, the description, ages 1 to 70
        position += 1 + broken[position] - 128
    broken[position + 1:position + 4] = b"\xa0\x00\x00"
    backwards = b"".join(request(p, male=True, years=2) for p in (1, 2, 3, 1, 2, 3, 1, 2))
    write(target, "scale_of_one", broken + backwards)


def read_curves():
    source = ROOT / "data" / "yield_curve" / "yield_curve_spot_rates.csv"
    with open(source, newline="") as handle:
        rows = list(csv.reader(handle))
    header, body = rows[0], rows[1:]
    return header, body


def workbook(header, body, curves, edit=None, rows=200):
    book = xlwt.Workbook()
    sheet = book.add_sheet("Full Yield Curve", cell_overwrite_ok=True)
    sheet.write(0, 0, header[0])
    for column in range(1, curves + 1):
        sheet.write(0, column, header[column])
    for half_year, row in enumerate(body[:rows], start=1):
        sheet.write(half_year, 0, half_year / 2)
        for column in range(1, curves + 1):
            sheet.write(half_year, column, round(float(row[column]) / 100, 6))
    if edit:
        edit(sheet)
    path = CORPUS / "workbook.tmp"
    book.save(str(path))
    data = path.read_bytes()
    path.unlink()
    return data


def workbook_seeds():
    header, body = read_curves()
    target = "orvane_fuzz_workbook"
    three = workbook(header, body, 3)
    write(target, "three_curves.xls", three)
    write(target, "one_curve_twenty_rows.xls", workbook(header, body, 1, rows=20))
    write(target, "text_in_a_rate_cell.xls",
          workbook(header, body, 2, lambda s: s.write(10, 2, "n/a")))
    write(target, "negative_rates.xls",
          workbook(header, body, 2, lambda s: (s.write(5, 1, -0.5), s.write(7, 2, -1.0))))
    write(target, "whole_numbers.xls",
          workbook(header, body, 2, lambda s: (s.write(3, 1, 1), s.write(4, 2, 70000))))
    write(target, "rates_near_minus_100_percent.xls",
          workbook(header, body, 1, lambda s: [s.write(h, 1, -0.999) for h in range(1, 201)]))
    write(target, "labels_only.xls", workbook(header, body, 0))
    write(target, "truncated.xls", three[:len(three) // 2])
    shipped = (ROOT / "data" / "Full Yield Curve.xls").read_bytes()
    write(target, "shipped_first_4k.xls", shipped[:4096])


# The form's controls in the order the fields target numbers them.
TEXTS = ["CurrentAge", "SpousesAge", "RetirementAge", "InterestRate1", "InterestRate2",
         "InterestRate3", "Period1", "Period2", "PostRetirementInterest", "Benefit", "Maximum",
         "PeriodCertain", "PercentToSurvivor", "COLA", "Load", "DateOfBirth",
         "SpousesDateOfBirth", "RetirementDate", "ValuationDate", "YearOfYieldCurve",
         "MonthOfYieldCurve", "PreRetPrimary", "PostRetContingent", "PreRetContingent",
         "PostRetPrimary"]
CLICKS = ["UseRoundedAge", "YieldCurve", "BlendedAnnuitnat", "BlendedMaleFemale", "UsePreamble",
          "FullYieldCurve", "NoProjection", "ProjToValuation", "ProjToRetirement",
          "ProjToPayment", "Female", "Male"]


def actions(*steps):
    data = bytearray()
    for step in steps:
        if step[0] == "text":
            text = step[2].encode("latin-1")
            data += bytes([0, TEXTS.index(step[1]), len(text)]) + text
        elif step[0] == "click":
            data += bytes([2, CLICKS.index(step[1]), 1 if step[2] else 0])
        else:  # ("pick", chooser number 0..3, entry number)
            data += bytes([3, step[1], step[2]])
    return data


def field_seeds():
    target = "orvane_fuzz_fields"
    write(target, "start_up", b"")
    write(target, "ages_and_dates", actions(
        ("text", "CurrentAge", "45.5"), ("text", "RetirementDate", "1/1/2030"),
        ("text", "SpousesDateOfBirth", "2/29/1960"), ("text", "RetirementAge", "")))
    write(target, "numbers_out_of_bounds", actions(
        ("text", "Benefit", "99999.996"), ("text", "InterestRate1", "-3"),
        ("text", "Load", "100"), ("text", "PercentToSurvivor", "1e308"),
        ("text", "Maximum", "abc"), ("text", "YearOfYieldCurve", "19")))
    write(target, "projections_and_blends", actions(
        ("click", "Female", True), ("click", "ProjToPayment", True),
        ("click", "BlendedAnnuitnat", True), ("click", "BlendedMaleFemale", True),
        ("click", "UsePreamble", True), ("pick", 0, 3), ("pick", 3, 2),
        ("text", "PostRetPrimary", "Missing")))
    write(target, "full_yield_curve", actions(
        ("click", "FullYieldCurve", True), ("text", "YearOfYieldCurve", "2007"),
        ("text", "MonthOfYieldCurve", "10"), ("click", "YieldCurve", True),
        ("text", "COLA", "3"), ("text", "PeriodCertain", "10")))


def census_seeds():
    target = "orvane_fuzz_census"
    write(target, "plain.csv", b"DateOfBirth,Benefit,Female\n7/1/1962,1000,0\n3/15/1970,2500.50,1\n")
    write(target, "quoted_bom_crlf.csv",
          b'\xef\xbb\xbfName,Benefit\r\n"Smith, J.","1,000"\r\n"say ""hi""\r\nthere",5\r\n')
    write(target, "unclosed_quote.csv", b'A,B\n"open,1\n2,3\n')
    write(target, "text_after_quote.csv", b'A,B\n"ab"c,1\n\n\r\rx,y')


if __name__ == "__main__":
    table_seeds()
    workbook_seeds()
    field_seeds()
    census_seeds()
