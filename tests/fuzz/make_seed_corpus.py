#!/usr/bin/python3
# Writes the seed corpora of the fuzz targets orvane_fuzz_{tables,workbook,fields,census} from the
# shipped data files into tests/fuzz/corpus (those of the XTbML and segment rates targets are
# written by hand). Each holds a few valid inputs and a few slightly broken ones, small enough
# to commit. The table store's target reads the last 24 bytes of its input as the choice of
# eight extra requests (option flags, name, years); the seeds append such a tail as a partial
# block after the shipped tables, so that it does not disturb them. Needs Debian's python3-xlwt
# (run with /usr/bin/python3).
import csv, io, pathlib, xlwt

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
CORPUS = ROOT / "tests" / "fuzz" / "corpus"
BLOCK = 256


def write(target, name, data):
    (CORPUS / target).mkdir(parents=True, exist_ok=True)
    (CORPUS / target / name).write_bytes(bytes(data))


def request(projection, ann=False, sex=False, preamble=False, male=True, pre=False, name=0,
            years=0):
    return bytes([projection | ann << 2 | sex << 3 | preamble << 4 | male << 5 | pre << 6, name,
                  years])


def table_seeds():
    shipped = (ROOT / "data" / "MortalityTables").read_bytes()
    # Every projection with the blends and the preamble, on the shipped years and on others.
    every = b"".join(request(p, ann=p % 2 == 1, sex=p == 2, preamble=p != 2, male=m, pre=p == 3,
                             name=p * 3 + m, years=p % 3) for p in (1, 2, 3, 0) for m in (1, 0))
    broken = [bytearray(shipped) for _ in range(3)]
    # A length byte below 128 in the first table ("2008417e", blocks 5 to 7).
    broken[0][5 * BLOCK + 2 + 1 + shipped[5 * BLOCK + 2] - 128] = 0x05
    broken[1][6 * BLOCK + 2] = 0xFF  # a continuation marker where a block's first field starts
    # An improvement of 100% (the half-byte 10 counts as ten) at the second field of M-Proj.
    position = 26 * BLOCK + 2
    for _ in range(2 + 70):  # the first field, the description, ages 1 to 70
        position += 1 + shipped[position] - 128
    broken[2][position + 1:position + 4] = b"\xa0\x00\x00"
    for name, data in {
            "empty": b"", "shipped_every_option": shipped + every,
            "shipped_unprojected": shipped + b"".join(
                request(0, ann=True, sex=True, preamble=True, name=n) for n in range(8)),
            # Directory, catalogue, "None" and the first table: the other names lie past the end.
            "first_eight_blocks": shipped[:8 * BLOCK],
            "length_byte_below_128": broken[0] + every, "marker_at_byte_2": broken[1] + every,
            "directory_past_the_end": b"\x00\x03" + shipped[2:BLOCK],  # 4 blocks in a file of 1
            "scale_of_one": broken[2] + b"".join(
                request(p, male=True, years=2) for p in (1, 2, 3, 1, 2, 3, 1, 2))}.items():
        write("orvane_fuzz_tables", name, data)


def workbook(curves, edit=lambda sheet: None, rows=200):
    with open(ROOT / "data" / "yield_curve" / "yield_curve_spot_rates.csv", newline="") as f:
        header, *body = list(csv.reader(f))
    book = xlwt.Workbook()
    sheet = book.add_sheet("Full Yield Curve", cell_overwrite_ok=True)
    for column in range(curves + 1):
        sheet.write(0, column, header[column])
    for half_year, row in enumerate(body[:rows], start=1):
        sheet.write(half_year, 0, half_year / 2)
        for column in range(1, curves + 1):
            sheet.write(half_year, column, round(float(row[column]) / 100, 6))
    edit(sheet)
    stream = io.BytesIO()
    book.save(stream)
    return stream.getvalue()


def workbook_seeds():
    three = workbook(3)
    for name, data in {
            "three_curves.xls": three, "one_curve_twenty_rows.xls": workbook(1, rows=20),
            "text_in_a_rate_cell.xls": workbook(2, lambda s: s.write(10, 2, "n/a")),
            "negative_rates.xls": workbook(2, lambda s: (s.write(5, 1, -0.5), s.write(7, 2, -1.0))),
            "whole_numbers.xls": workbook(2, lambda s: (s.write(3, 1, 1), s.write(4, 2, 70000))),
            "rates_near_minus_100_percent.xls": workbook(
                1, lambda s: [s.write(h, 1, -0.999) for h in range(1, 201)]),
            "labels_only.xls": workbook(0), "truncated.xls": three[:len(three) // 2],
            "shipped_first_4k.xls": (ROOT / "data" / "Full Yield Curve.xls").read_bytes()[:4096],
    }.items():
        write("orvane_fuzz_workbook", name, data)


# The actions of the fields target: (0, text field, text) sets a text, (2, check box or option
# button, on) clicks, (3, chooser, entry) picks from the catalogue; the controls are numbered
# in the order the target lists them (text fields and choosers, then the clickable ones).
def actions(*steps):
    return b"".join(bytes([kind, control]) + (bytes([len(arg)]) + arg.encode("latin-1")
                                              if kind == 0 else bytes([int(arg)]))
                    for kind, control, arg in steps)


def field_seeds():
    for name, data in {
            "start_up": b"",
            # CurrentAge, RetirementDate, SpousesDateOfBirth, RetirementAge
            "ages_and_dates": actions((0, 0, "45.5"), (0, 17, "1/1/2030"), (0, 16, "2/29/1960"),
                                      (0, 2, "")),
            # Benefit, InterestRate1, Load, PercentToSurvivor, Maximum, YearOfYieldCurve
            "numbers_out_of_bounds": actions((0, 9, "99999.996"), (0, 3, "-3"), (0, 14, "100"),
                                             (0, 12, "1e308"), (0, 10, "abc"), (0, 19, "19")),
            # Female, ProjToPayment, BlendedAnnuitnat, BlendedMaleFemale, UsePreamble, two
            # choosers, PostRetPrimary
            "projections_and_blends": actions((2, 10, 1), (2, 9, 1), (2, 2, 1), (2, 3, 1),
                                              (2, 4, 1), (3, 0, 3), (3, 3, 2), (0, 24, "Missing")),
            # FullYieldCurve, YearOfYieldCurve, MonthOfYieldCurve, YieldCurve, COLA, PeriodCertain
            "full_yield_curve": actions((2, 5, 1), (0, 19, "2007"), (0, 20, "10"), (2, 1, 1),
                                        (0, 13, "3"), (0, 11, "10"))}.items():
        write("orvane_fuzz_fields", name, data)


def census_seeds():
    for name, data in {
            "plain.csv": b"DateOfBirth,Benefit,Female\n7/1/1962,1000,0\n3/15/1970,2500.50,1\n",
            "quoted_bom_crlf.csv":
                b'\xef\xbb\xbfName,Benefit\r\n"Smith, J.","1,000"\r\n"say ""hi""\r\nthere",5\r\n',
            "unclosed_quote.csv": b'A,B\n"open,1\n2,3\n',
            "text_after_quote.csv": b'A,B\n"ab"c,1\n\n\r\rx,y'}.items():
        write("orvane_fuzz_census", name, data)


table_seeds()
workbook_seeds()
field_seeds()
census_seeds()
