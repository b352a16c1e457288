"""Runs orvane-value as a user would, on the shipped data files.

Expected values come from closed forms computed here from the data files' sources (the SOA's
XTbML file of the 2008 table, read here with Python's own XML parser, and the spot rates), not
from the program: a life annuity of 1,000 a month from age 65 on the table 2008417e under the
default segment rates, annuities certain under the segment rates and
under a full yield curve.

Usage: orvane_value_test.py PATH_TO_ORVANE_VALUE (ORVANE_SOURCE_DIR names the repository).
"""
import csv
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from xml.etree import ElementTree
from pathlib import Path

TOOL = None
SOURCE = Path(os.environ.get("ORVANE_SOURCE_DIR", Path(__file__).resolve().parents[2]))
DATA = SOURCE / "data"
SURVIVAL_FLOOR = 1.0000000000287557e-06
DEFAULT_RATES = (4.6, 4.82, 4.91)


def run(*args, cwd=DATA):
    done = subprocess.run([TOOL, *args], cwd=cwd, capture_output=True, text=True, timeout=120)
    return done.returncode, done.stdout, done.stderr


def label(value):
    """The results label: cents with ties to even, then ##,###,##0.00."""
    return f"{round(value * 100) / 100:,.2f}"


def read_xtbml(name):
    """The rates of an SOA XTbML file by age; its 1 at age 120 as the data file stores it."""
    root = ElementTree.parse(DATA / "tables" / "published" / "xtbml" / name).getroot()
    q = [0.0] * 121
    for y in root.iter("Y"):
        q[int(y.get("t"))] = min(float(y.text), 0.999999)
    return q


def segment_rate(year, rates):
    return rates[0] if year < 5 else rates[1] if year < 20 else rates[2]


def life_annuity_from_65(q, rates):
    """1,000 a month from age 65 exactly, paid at the start of each month while alive; the twelve
    monthly survival factors of a year of age are log-linear with a central-difference slope and
    multiply to 1 - q (evenly spread where the tilt would lift a factor above 1); each payment is discounted at the spot rate of its year's segment."""
    age, alive, total, year = 65, 1.0, 0.0, 0
    prev, surv, nxt = 1 - q[64], 1 - q[65], max(1 - q[66], SURVIVAL_FLOOR)
    while alive > 0:
        rate = segment_rate(year, rates) / 100
        slope = (math.log(nxt) / 12 - math.log(prev) / 12) / 24
        level = (math.log(surv) - 66 * slope) / 12
        if level > 0 or level + 11 * slope > 0:
            # no monthly survival above 1: such a year is spread evenly
            slope, level = 0.0, math.log(surv) / 12
        for month in range(12):
            total += 1000 * (1 + rate) ** -(year + month / 12) * alive
            alive *= math.exp(level + slope * month)
        age, year = age + 1, year + 1
        prev, surv = surv, nxt
        nxt = max(1 - q[age + 1], SURVIVAL_FLOOR) if age < 120 else SURVIVAL_FLOOR
        if age > 120:
            alive = 0
    return total


def annuity_certain(months, discount):
    return sum(1000 * discount(m) for m in range(months))


def spot_rates(column):
    with open(DATA / "yield_curve" / "yield_curve_spot_rates.csv") as source:
        rows = list(csv.reader(source))
    index = rows[0].index(column)
    return [round(float(row[index]) / 100, 6) for row in rows[1:]]


# Without mortality, lives of 65 years and one month (65.084 in completed months) are paid until
# the year end at which they pass 120: 55 years of 12 payments, the last at 120 exactly. Starting
# there keeps the run out of the year of age 120, whose log-linear factors are built on the
# survival floor.
NO_MORTALITY = ("PostRetPrimary=None", "PostRetContingent=None", "CurrentAge=65.084",
                "SpousesAge=65.084", "RetirementAge=65.084")


FIGURES = ("Duration", "Convexity", "DV01", "Duration1", "Duration2", "Duration3", "DurationPost")
PLAIN_DECIMAL = re.compile(r"-?[0-9]+(\.[0-9]+)?")


def sensitivity_lines(out):
    """The value and the figures that orvane-value --sensitivity printed, by name."""
    lines = out.splitlines()
    named = {}
    for line in lines[1:]:
        name, _, text = line.partition("=")
        if name not in FIGURES:
            break
        named[name] = text
    return lines[0], named


class Sensitivity(unittest.TestCase):
    def test_lines_of_each_mode_between_the_value_and_the_form(self):
        modes = (((), FIGURES[:6]), (("YieldCurve=0",), FIGURES), (("FullYieldCurve=1",), FIGURES[:3]))
        for arguments, names in modes:
            code, out, err = run("--sensitivity", "--form", *arguments)
            self.assertEqual((code, err), (0, ""), arguments)
            value, named = sensitivity_lines(out)
            self.assertEqual(value, run(*arguments)[1].strip())
            self.assertEqual(tuple(named), names, arguments)
            self.assertTrue(out.splitlines()[1 + len(names)].startswith("CurrentAge="), arguments)
            for name, text in named.items():
                self.assertRegex(text, PLAIN_DECIMAL, name)
                digits = text.lstrip("-0.").replace(".", "")
                self.assertTrue(float(text) == 0 or len(digits) >= 8, (name, text))

    def test_a_value_of_0_has_no_duration(self):
        code, out, err = run("--sensitivity", "Benefit=0")
        self.assertEqual((code, out), (0, "0.00\nDuration=\nConvexity=\nDV01=0\nDuration1=\n"
                                           "Duration2=\nDuration3=\n"))
        self.assertEqual(err, "The present value is 0, so it has no duration or convexity\n")

    def test_full_yield_curve_against_curves_moved_a_basis_point_in_the_workbook(self):
        # Curve 1 (August 2007) rises with the payment time; curves 2 and 3 are curve 1 a basis
        # point lower and higher. A large benefit keeps the cents of the printed values small
        # beside the differences.
        import xlwt
        base = [0.03 + h * 0.0002 for h in range(1, 201)]
        book = xlwt.Workbook()
        sheet = book.add_sheet("Curves")
        for column, shift in ((1, 0.0), (2, -0.0001), (3, 0.0001)):
            for h, rate in enumerate(base, start=1):
                sheet.write(h, column, rate + shift)
        with tempfile.TemporaryDirectory() as folder:
            shutil.copy(DATA / "MortalityTables", folder)
            book.save(str(Path(folder, "Full Yield Curve.xls")))
            plan = ("FullYieldCurve=1", "YearOfYieldCurve=2007", "Benefit=90000", "Maximum=90000")

            def value(month, *more):
                code, out, err = run(*plan, "MonthOfYieldCurve=" + month, *more, cwd=folder)
                self.assertEqual((code, err), (0, ""))
                return out

            pv = float(value("8").replace(",", ""))
            down = float(value("9").replace(",", ""))
            up = float(value("10").replace(",", ""))
            printed, named = sensitivity_lines(value("8", "--sensitivity"))
        self.assertEqual(float(printed.replace(",", "")), pv)
        self.assertAlmostEqual(float(named["DV01"]), (down - up) / 2, delta=0.01)
        duration = (down - up) / (2 * 0.0001 * pv)
        self.assertAlmostEqual(float(named["Duration"]), duration, delta=2e-6 * duration)
        convexity = (down + up - 2 * pv) / (0.0001 ** 2 * pv)
        self.assertAlmostEqual(float(named["Convexity"]), convexity, delta=2e-3 * convexity)


class Value(unittest.TestCase):
    def test_no_arguments_prints_the_default_forms_value(self):
        code, out, err = run()
        expected = life_annuity_from_65(read_xtbml("t2801.xml"), DEFAULT_RATES)
        self.assertEqual((code, out, err), (0, label(expected) + "\n", ""))
        self.assertEqual(out, "145,922.71\n")

    def test_dir_finds_the_data_files_from_elsewhere(self):
        with tempfile.TemporaryDirectory() as elsewhere:
            self.assertEqual(run("--dir", str(DATA), cwd=elsewhere)[1], "145,922.71\n")
            self.assertEqual(run("--tables", str(DATA / "MortalityTables"), cwd=elsewhere)[1],
                             "145,922.71\n")

    def test_annuity_certain_under_segment_rates(self):
        code, out, err = run(*NO_MORTALITY)
        expected = annuity_certain(
            660, lambda m: (1 + segment_rate(m // 12, DEFAULT_RATES) / 100) ** -(m / 12))
        self.assertEqual((code, out, err), (0, label(expected) + "\n", ""))

    def test_annuity_certain_under_the_full_yield_curve(self):
        # Year 2008, month 1 (the start-up texts) is curve 6, January 2008; month 2 is curve 7.
        for month, column in ((" 1", "2008-01"), ("2", "2008-02")):
            rates = spot_rates(column)
            expected = annuity_certain(
                660, lambda m: (1 / (1 + rates[int(m / 6 + 0.001)])) ** (m / 12))
            code, out, err = run(*NO_MORTALITY, "FullYieldCurve=1", "MonthOfYieldCurve=" + month)
            self.assertEqual((code, out, err), (0, label(expected) + "\n", ""), column)

    def test_benefit_and_load_scale_the_value(self):
        default = life_annuity_from_65(read_xtbml("t2801.xml"), DEFAULT_RATES)
        self.assertEqual(run("Benefit=2000")[1], label(2 * default) + "\n")
        self.assertEqual(run("Load=50")[1], label(2 * default) + "\n")


class Form(unittest.TestCase):
    def form(self, *args):
        code, out, err = run("--form", *args)
        self.assertEqual(code, 0, err)
        lines = out.splitlines()
        return lines[0], dict(line.split("=", 1) for line in lines[1:]), lines[1:]

    def test_form_lists_every_input_in_control_order_as_held(self):
        value, fields, lines = self.form()
        self.assertEqual(value, "145,922.71")
        self.assertEqual(len(lines), 37)
        self.assertEqual(lines[:4], ["CurrentAge=65.000", "SpousesAge=65.000",
                                     "RetirementAge=65.000", "InterestRate1= 4.600"])
        self.assertEqual(lines[-2:], ["Female=0", "Male=1"])
        self.assertEqual(fields["Benefit"], "  1,000.00")
        self.assertEqual(fields["MonthOfYieldCurve"], " 1")
        self.assertEqual(fields["PostRetContingent"], "2008417e")
        self.assertEqual(fields["YieldCurve"], "1")
        self.assertNotIn("ExportDetail", fields)

    def test_each_argument_is_typed_and_left(self):
        _, fields, _ = self.form("Benefit=99999.996", "YearOfYieldCurve=19", "Female=1",
                                 "ProjToValuation=1", "PreRetPrimary=RP2000CM")
        self.assertEqual(fields["Benefit"], "100,000.00")
        self.assertEqual(fields["YearOfYieldCurve"], "2019")
        self.assertEqual((fields["Female"], fields["Male"]), ("1", "0"))
        self.assertEqual((fields["ProjToValuation"], fields["NoProjection"]), ("1", "0"))
        self.assertEqual(fields["PreRetPrimary"], "RP2000CM")
        _, fields, _ = self.form("Male=0")
        self.assertEqual((fields["Female"], fields["Male"]), ("1", "0"))

    def test_arguments_apply_in_the_order_given(self):
        age_first = self.form("CurrentAge=45.5", "DateOfBirth=1/1/1943")
        date_first = self.form("DateOfBirth=1/1/1943", "CurrentAge=45.5")
        self.assertEqual((age_first[1]["CurrentAge"], age_first[1]["DateOfBirth"]),
                         ("65", "1/1/1943"))
        self.assertEqual((date_first[1]["CurrentAge"], date_first[1]["DateOfBirth"],
                          date_first[1]["RetirementDate"]), ("45.500", "7/1/1962", "7/1/2027"))
        self.assertEqual(age_first[0], "145,922.71")
        self.assertNotEqual(date_first[0], age_first[0])


class ExitStatus(unittest.TestCase):
    def test_malformed_command_lines_exit_2_with_usage(self):
        for args in (["Foo=1"], ["Benefit"], ["Female=2"], ["UseRoundedAge=yes"],
                     ["ExportDetail=1"], ["--bogus"], ["--tables"], ["Benefit=1", "Load"]):
            code, out, err = run(*args)
            self.assertEqual((code, out), (2, ""), args)
            self.assertIn("usage: orvane-value", err, args)

    def test_a_failed_recalculation_exits_1_with_its_reason(self):
        # A table name the data file lacks means certain death at every age, so no life can
        # start its first year.
        code, out, err = run("PostRetPrimary=Missing")
        self.assertEqual((code, out), (1, ""))
        self.assertEqual(err, 'Post Retirement Primary table "Missing" is not in the data file '
                         "MortalityTables, so every rate reads as 1: choose a table from the list\n")
        code, out, err = run("--form", "PostRetPrimary=Missing")
        self.assertEqual(code, 1)
        self.assertEqual(out.splitlines()[0], "CurrentAge=65.000")
        self.assertIn("PostRetPrimary=Missing", out.splitlines())

    def test_missing_data_files_exit_1(self):
        with tempfile.TemporaryDirectory() as empty:
            self.assertEqual(run(cwd=empty), (1, "", "Data File not available\n"))
            Path(empty, "MortalityTables").write_bytes((DATA / "MortalityTables").read_bytes())
            code, out, err = run("FullYieldCurve=1", cwd=empty)
            self.assertEqual((code, out), (1, ""))
            self.assertIn("Full Yield Curve.xls", err)

    def test_exports_write_workbooks_after_the_value(self):
        with tempfile.TemporaryDirectory() as folder:
            detail, mortality = Path(folder, "detail.xlsx"), Path(folder, "mortality.xlsx")
            code, out, err = run("--export-detail", str(detail), "--export-mortality",
                                 str(mortality))
            self.assertEqual((code, out, err), (0, "145,922.71\n", ""))
            for book in (detail, mortality):
                self.assertEqual(book.read_bytes()[:2], b"PK", book)
            code, out, err = run("--export-mortality", str(Path(folder, "no", "such.xlsx")))
            self.assertEqual((code, out), (1, "145,922.71\n"))
            self.assertNotEqual(err.strip(), "")


if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main()
