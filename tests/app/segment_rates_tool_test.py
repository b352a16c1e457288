"""orvane-value --rates-of and the census columns RatesOf and PlanYear, on the shipped data files
and on copies of the data folder with a month appended or a line spoiled.

Usage: segment_rates_tool_test.py PATH_TO_ORVANE_VALUE (ORVANE_SOURCE_DIR names the repository).
"""
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

TOOL = None
SOURCE = Path(os.environ.get("ORVANE_SOURCE_DIR", Path(__file__).resolve().parents[2]))
DATA = SOURCE / "data"
RATES = "417e Segment Rates.csv"
TABLES_2026 = ["PostRetPrimary=2026417e", "PostRetContingent=2026417e"]


def run(*args, data=DATA):
    done = subprocess.run([TOOL, "--dir", str(data), *args], capture_output=True, text=True,
                          timeout=120)
    return done.returncode, done.stdout, done.stderr


def typed(first, second, third):
    return [f"InterestRate1={first}", f"InterestRate2={second}", f"InterestRate3={third}"]


class DataFolder:
    """A copy of the data folder's rates file beside the shipped MortalityTables."""

    def __enter__(self):
        self.dir = Path(tempfile.mkdtemp())
        os.symlink(DATA / "MortalityTables", self.dir / "MortalityTables")
        shutil.copy(DATA / RATES, self.dir / RATES)
        return self.dir

    def __exit__(self, *exc):
        shutil.rmtree(self.dir)


class RatesOf(unittest.TestCase):
    def test_a_month_is_entered_as_typing_its_three_rates(self):
        # The IRS's rates of 2025-11: 4.07, 5.15 and 6.01 percent.
        self.assertEqual(run("--rates-of", "2025-11", *TABLES_2026),
                         (0, "147,520.51\n", ""))
        self.assertEqual(run(*TABLES_2026, *typed("4.07", "5.15", "6.01"))[1], "147,520.51\n")
        # The Control=Text entries come after the month's rates and may override them.
        self.assertEqual(run("--rates-of", "2025-11", "InterestRate3=5.5")[1],
                         run(*typed("4.07", "5.15", "5.5"))[1])
        # A month whose rates differ by plan year, with its plan year.
        self.assertEqual(run("--rates-of", "2011-10", "--plan-year", "2011")[1],
                         run(*typed("2.30", "4.27", "5.03"))[1])

    def test_refusals_say_one_sentence_and_print_nothing(self):
        cases = [
            (["--rates-of", "2011-10"], 2,
             "The segment rates of 2011-10 differ by plan year (plan years beginning in 2010, "
             "2011 and 2012): name the plan year\n"),
            (["--rates-of", "2011-10", "--plan-year", "2013"], 2,
             "The segment rates of 2011-10 are given for plan years beginning in 2010, 2011 and "
             "2012, not 2013\n"),
            (["--rates-of", "2007-07"], 2,
             f'The segment rates file "{DATA / RATES}" has no rates of 2007-07: it holds the '
             "months 2007-08 to 2026-05\n"),
        ]
        for args, status, error in cases:
            self.assertEqual(run(*args), (status, "", error), args)
        for args in (["--rates-of", "11/2025"], ["--rates-of", "2025-11", "--plan-year", "25"],
                     ["--plan-year", "2011"], ["--rates-of"]):
            status, out, err = run(*args)
            self.assertEqual((status, out), (2, ""), args)
            self.assertIn("usage: orvane-value", err, args)

    def test_an_appended_month_is_read_and_a_spoiled_line_named(self):
        with DataFolder() as data:
            with open(data / RATES, "a") as rates:
                rates.write("All,2026-06,4.50,5.60,6.70\n")
            self.assertEqual(run("--rates-of", "2026-06", data=data),
                             (0, run(*typed("4.50", "5.60", "6.70"))[1], ""))
        with DataFolder() as data:
            with open(data / RATES, "a") as rates:
                rates.write("All,2026-06,4.50,,6.70\n")
            self.assertEqual(run("--rates-of", "2025-11", data=data),
                             (1, "", f'The segment rates file "{data / RATES}", line 297: the '
                                 "second segment rate is missing\n"))
            (data / RATES).unlink()
            status, out, err = run("--rates-of", "2025-11", data=data)
            self.assertEqual((status, out), (1, ""))
            self.assertIn("cannot be read", err)


class Census(unittest.TestCase):
    def census(self, text, *args, data=DATA):
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "in.csv"
            path.write_text(text)
            status, out, err = run("--census", str(path), *args, data=data)
        return status, list(csv.DictReader(io.StringIO(out))), err

    def test_each_row_takes_its_own_months_rates(self):
        status, rows, err = self.census(
            "CurrentAge,RatesOf,PlanYear\n"
            "60,2025-11,\n"
            "60,2011-10,2011\n"
            "60,,\n"
            "60,2011-10,\n"
            "60,Nov 2025,\n", *TABLES_2026, "--rates-of", "2015-03")
        self.assertEqual((status, err), (0, ""))
        one = lambda *a: run(*TABLES_2026, *a, "CurrentAge=60")[1].strip()
        self.assertEqual([r["PresentValue"] for r in rows[:3]],
                         [one("--rates-of", "2025-11"),
                          one("--rates-of", "2011-10", "--plan-year", "2011"),
                          one("--rates-of", "2015-03")])
        self.assertEqual([r["Error"] for r in rows],
                         ["", "", "",
                          "line 5: The segment rates of 2011-10 differ by plan year (plan years "
                          "beginning in 2010, 2011 and 2012): name the plan year",
                          'line 6: RatesOf takes a month written YYYY-MM, not "Nov 2025"'])

    def test_a_spoiled_rates_file_stops_the_run(self):
        with DataFolder() as data:
            with open(data / RATES, "a") as rates:
                rates.write("All,2025-11,1,2,3\n")
            status, rows, err = self.census("RatesOf\n2025-11\n", data=data)
        self.assertEqual((status, rows), (1, []))
        self.assertIn("line 297: 2025-11 for plan years All is given again (first at line 8)", err)


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main()
