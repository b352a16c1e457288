# orvane-value valuing one participant. The expected values are computed here from first
# principles, from the data files' sources (the SOA's XTbML file of the 2008 table, the spot
# rates), never through the program.
import csv, math, os, tempfile, unittest
from pathlib import Path
from xml.etree import ElementTree

from tool_harness import DATA, FIGURES, run, usage_error

SURVIVAL_FLOOR = 1.0000000000287557e-06
DEFAULT_RATES = (4.6, 4.82, 4.91)
# Without mortality, lives of 65 years and one month are paid until the year end at which they
# pass 120: 55 years of 12 payments, clear of the year of age 120 built on the survival floor.
NO_MORTALITY = ("PostRetPrimary=None", "PostRetContingent=None", "CurrentAge=65.084",
                "SpousesAge=65.084", "RetirementAge=65.084")
RATES = "417e Segment Rates.csv"
TABLES_2026 = ("PostRetPrimary=2026417e", "PostRetContingent=2026417e")


JOBS = '--jobs takes a number of threads from 1 to 1024, not "{}"'
ONE = "--census writes values only: --form and the exports are for one valuation"
REFUSALS = (  # arguments, the reason of exit status 2
    ("Foo=1", 'unknown control "Foo"'), ("Benefit", '"Benefit" is not Control=Text'),
    ("Female=2", '"Female" takes 1 or 0, not "2"'), ("--x", "unknown option --x"),
    ("ExportDetail=1", '"ExportDetail" is a button, not an input; use --export-detail or '
                       "--export-mortality"),
    ("--census c --jobs 0", JOBS.format(0)), ("--census c --jobs 1025", JOBS.format(1025)),
    ("--census c --form", ONE), ("--census c --export-mortality m", ONE),
    ("--out x", "--out and --jobs need --census"), ("--tables", "--tables needs a value"),
    ("--rates-of 11/2025", '--rates-of takes a month written YYYY-MM, not "11/2025"'),
    ("--plan-year 2011", "--plan-year needs --rates-of"),
    ("--rates-of 2025-11 --plan-year 25", '--plan-year takes a year written YYYY, not "25"'))


def label(value):  # the results label: cents with ties to even, then ##,###,##0.00
    return f"{round(value * 100) / 100:,.2f}\n"


def segment_rate(year, rates):
    return rates[0] if year < 5 else rates[1] if year < 20 else rates[2]


def life_annuity_from_65(rates):
    # 1,000 a month from 65 while alive on the 2008 table (its 1 at 120 stored as 0.999999),
    # discounted at the spot rate of each year's segment. The monthly survival factors of a year
    # of age are log-linear with a central-difference slope and multiply to 1 - q; a tilt that
    # would lift a factor above 1 is spread evenly instead.
    xtbml = ElementTree.parse(DATA / "tables" / "published" / "xtbml" / "t2801.xml").getroot()
    q = {int(y.get("t")): min(float(y.text), 0.999999) for y in xtbml.iter("Y")}
    p = [max(1 - q.get(age, 0.0), SURVIVAL_FLOOR) for age in range(121)] + [SURVIVAL_FLOOR]
    alive, total = 1.0, 0.0
    for year, age in enumerate(range(65, 121)):
        slope = (math.log(p[age + 1]) / 12 - math.log(p[age - 1]) / 12) / 24
        level = (math.log(p[age]) - 66 * slope) / 12
        if level > 0 or level + 11 * slope > 0:
            slope, level = 0.0, math.log(p[age]) / 12
        for month in range(12):
            total += 1000 * (1 + segment_rate(year, rates) / 100) ** -(year + month / 12) * alive
            alive *= math.exp(level + slope * month)
    return total


def typed(*rates):
    return [f"InterestRate{n}={rate}" for n, rate in enumerate(rates, start=1)]


class Value(unittest.TestCase):
    def test_a_life_annuity_from_the_data_folder_found_three_ways(self):
        default = label(life_annuity_from_65(DEFAULT_RATES))
        self.assertEqual((run(), default), ((0, default, ""), "145,922.71\n"))
        with tempfile.TemporaryDirectory() as elsewhere:
            for args in (("--dir", str(DATA)), ("--tables", str(DATA / "MortalityTables"))):
                self.assertEqual(run(*args, cwd=elsewhere), (0, default, ""))

    def test_annuities_certain_under_segment_rates_and_the_full_yield_curve(self):
        expected = sum(1000 * (1 + segment_rate(m // 12, DEFAULT_RATES) / 100) ** -(m / 12)
                       for m in range(660))
        self.assertEqual(run(*NO_MORTALITY), (0, label(expected), ""))
        with open(DATA / "yield_curve" / "yield_curve_spot_rates.csv") as source:
            table = list(csv.DictReader(source))
        # Year 2008, month 1 is the curve of January 2008; month 2 that of February.
        for month, column in ((" 1", "2008-01"), ("2", "2008-02")):
            spot = [round(float(row[column]) / 100, 6) for row in table]
            expected = sum(1000 * (1 + spot[int(m / 6 + 0.001)]) ** -(m / 12) for m in range(660))
            self.assertEqual(run(*NO_MORTALITY, "FullYieldCurve=1", "MonthOfYieldCurve=" + month),
                             (0, label(expected), ""), column)

    def test_form_and_sensitivity_lines_follow_the_value(self):
        entries = ("Benefit=99999.996", "Female=1", "PostRetPrimary=RP2000CM")
        code, out, err = run("--form", *entries)
        lines = out.splitlines()
        self.assertEqual((code, err, lines[0] + "\n"), (0, "", run(*entries)[1]))
        self.assertLessEqual({"Benefit=100,000.00", "Female=1", "Male=0",
                              "PostRetPrimary=RP2000CM"}, set(lines))
        self.assertNotIn("ExportDetail", out)
        for mode, count in (((), 6), (("YieldCurve=0",), 7), (("FullYieldCurve=1",), 3)):
            code, out, err = run("--sensitivity", "--form", *mode)
            lines = out.splitlines()
            self.assertEqual((code, err, lines[0] + "\n"), (0, "", run(*mode)[1]))
            self.assertEqual([line.split("=")[0] for line in lines[1:count + 2]],
                             [*FIGURES[:count], "CurrentAge"], mode)
            for line in lines[1:count + 1]:  # every digit that tells the double apart
                self.assertRegex(line, r"=(0|-?[0-9]*\.?[0-9]*[1-9][0-9.]{8,})$")
        self.assertEqual(run("--sensitivity", "Benefit=0"), (
            0, "0.00\nDuration=\nConvexity=\nDV01=0\nDuration1=\nDuration2=\nDuration3=\n",
            "The present value is 0, so it has no duration or convexity\n"))

    def test_rates_of_a_month_are_entered_before_the_entries(self):
        # The IRS's rates of 2025-11 are 4.07, 5.15 and 6.01 percent.
        self.assertEqual(run("--rates-of", "2025-11", *TABLES_2026), (0, "147,520.51\n", ""))
        self.assertEqual(run(*TABLES_2026, *typed("4.07", "5.15", "6.01"))[1], "147,520.51\n")
        self.assertEqual(run("--rates-of", "2025-11", "InterestRate3=5.5")[1],
                         run(*typed("4.07", "5.15", "5.5"))[1])
        self.assertEqual(run("--rates-of", "2011-10", "--plan-year", "2011")[1],
                         run(*typed("2.30", "4.27", "5.03"))[1])


class Refusals(unittest.TestCase):
    def test_malformed_command_lines_exit_2_with_the_reason_and_the_usage(self):
        for args, message in REFUSALS:
            code, out, err = run(*args.split())
            self.assertEqual((code, out, err[:len(usage_error(message))]),
                             (2, "", usage_error(message)), args)
        self.assertEqual(run("--rates-of", "2007-07"), (2, "", (
            f'The segment rates file "./{RATES}" has no rates of 2007-07: it holds the months '
            "2007-08 to 2026-05\n")))

    def test_failures_exit_1_with_the_reason(self):
        missing = ('Post Retirement Primary table "Missing" is not in the data file '
                   "MortalityTables, so every rate reads as 1: choose a table from the list\n")
        self.assertEqual(run("PostRetPrimary=Missing"), (1, "", missing))
        code, out, err = run("--form", "PostRetPrimary=Missing")  # the form, without a value
        self.assertEqual((code, err, out.split("=")[0], "\nPostRetPrimary=Missing\n" in out),
                         (1, missing, "CurrentAge", True))
        self.assertEqual(run("--export-detail", "/no/such.xlsx")[:2], (1, "145,922.71\n"))
        with tempfile.TemporaryDirectory() as empty:
            self.assertEqual(run(cwd=empty), (1, "", "Data File not available\n"))
            os.mkfifo(Path(empty, "fifo"))  # a stream, or a folder, is no data file: no wait
            for tables in ("fifo", "."):
                self.assertEqual(run("--tables", tables, cwd=empty, timeout=60),
                                 (1, "", "Data File not available\n"))
            Path(empty, "f", RATES).mkdir(parents=True)  # a folder where the rates file belongs
            for d, why in ((f"{empty}/f", "it is a folder"), ("/no", "No such file or directory")):
                self.assertEqual(run("--rates-of", "2025-11", "--dir", d)[::2], (1, (
                    f'The segment rates file "{d}/{RATES}" cannot be read: {why}\n')))
            Path(empty, RATES).write_text((DATA / RATES).read_text() + "All,2026-06,4.50,,6.70\n")
            self.assertEqual(run("--rates-of", "2025-11", cwd=empty), (1, "", (
                f'The segment rates file "./{RATES}", line 297: the second segment rate is '
                "missing\n")))


unittest.main()
