"""Runs orvane-value --census as a user would and checks each row against orvane-value run on that
row alone: 1,000 generated participants (varied dates of birth, benefits, sexes, periods certain,
survivor shares; some rows fail), the thread count, the files and the exit statuses.

Usage: census_tool_test.py PATH_TO_ORVANE_VALUE (ORVANE_SOURCE_DIR names the repository).
"""
import concurrent.futures
import csv
import io
import os
import pty
import random
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

TOOL = None
SOURCE = Path(os.environ.get("ORVANE_SOURCE_DIR", Path(__file__).resolve().parents[2]))
COLUMNS = ["DateOfBirth", "SpousesDateOfBirth", "Benefit", "Female", "PeriodCertain",
           "PercentToSurvivor", "COLA", "Load", "PostRetContingent", "RetirementAge"]
PLAN = ["ValuationDate=1/1/2020", "InterestRate1=4.5", "Maximum=50000"]


def spoil_table(data_file, name):
    """Gives field 2 (the rate of age 1) of table `name` a length byte of 5, below the 128 that
    every field starts with, so that the loader rejects the table."""
    with open(data_file, "r+b") as f:
        first = f.read(256)
        directory = first + f.read(256 * (first[0] * 256 + first[1]))
        for entry in range(len(directory) // 16):
            if directory[entry * 16 + 8:entry * 16 + 16] == name.encode():
                start = directory[entry * 16 + 2] * 256 + directory[entry * 16 + 3]
                f.seek(start * 256)
                block = f.read(256)
                position = 2
                for _ in range(2):
                    position += 1 + block[position] - 128
                f.seek(start * 256 + position)
                f.write(b"\x05")
                return
    raise AssertionError(f"{name} is not in the directory")


def date_text(rng, first_year, last_year):
    year, month, day = rng.randint(first_year, last_year), rng.randint(1, 12), rng.randint(1, 28)
    style = rng.random()
    if style < 0.03:
        return "13/45/1960"  # not a date: the handler rebuilds it from the age
    if style < 0.15:
        return f"{year}-{month:02d}-{day:02d}"
    return f"{month}/{day}/{year}"


def participants(count, seed=20240601):
    rng = random.Random(seed)
    rows = []
    for _ in range(count):
        benefit = rng.randint(100, 900000) / 100
        rows.append([
            date_text(rng, 1935, 1998),
            date_text(rng, 1935, 2000),
            rng.choice([f"{benefit:,.2f}", f"{benefit}", f" {int(benefit)}"]),
            rng.choice(["0", "1"]),
            rng.choice(["0", "5", "10", "15", "20.5"]),
            rng.choice(["0", "50", "66.67", "75", "100"]),
            rng.choice(["0", "0", "1.5", "3"]),
            # 100 cannot be a load: leaving the field makes it 0.000.
            rng.choice(["0", "0", "2", "100"]),
            # RP2000CF is spoiled in the test's data file: the loader rejects it. "Missing" is no
            # table at all: a rate of 1 at every age.
            rng.choices(["2008417e", "RP2000CM", "RP2000CF", "Missing"], [80, 10, 5, 5])[0],
            rng.choice(["60", "62", "65", "65", "67.5"]),
        ])
    return rows


def census_text(rows):
    out = io.StringIO()
    writer = csv.writer(out, lineterminator="\r\n")
    writer.writerow(COLUMNS)
    writer.writerows(rows)
    return out.getvalue()


class CensusTool(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = Path(tempfile.mkdtemp(prefix="orvane_census_"))
        shutil.copy(SOURCE / "data" / "MortalityTables", cls.dir / "MortalityTables")
        spoil_table(cls.dir / "MortalityTables", "RP2000CF")
        cls.rows = participants(1000)
        cls.census = cls.dir / "census.csv"
        cls.census.write_text(census_text(cls.rows), newline="")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir)

    def run_tool(self, *args):
        done = subprocess.run([TOOL, "--dir", str(self.dir), *args], capture_output=True,
                              text=True, timeout=120)
        return done.returncode, done.stdout, done.stderr

    def one_by_one(self, row):
        code, out, err = self.run_tool(*PLAN, *(f"{c}={v}" for c, v in zip(COLUMNS, row)))
        self.assertIn(code, (0, 1), err)
        return (out.strip(), "") if code == 0 else ("", err.strip())

    def test_every_row_equals_orvane_value_on_that_row_alone(self):
        code, out, err = self.run_tool("--census", str(self.census), *PLAN)
        self.assertEqual(code, 0, err)
        self.assertEqual(err, "", "no progress bar when stderr is not a terminal")
        output = list(csv.reader(io.StringIO(out, newline="")))
        self.assertEqual(output[0], COLUMNS + ["PresentValue", "Error"])
        self.assertEqual(len(output), 1 + len(self.rows))
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            expected = list(pool.map(self.one_by_one, self.rows))
        failed = 0
        for number, (row, written, (value, error)) in enumerate(
                zip(self.rows, output[1:], expected), start=2):
            self.assertEqual(written[:len(COLUMNS)], row, f"line {number}")
            self.assertEqual(written[len(COLUMNS):], [value, error], f"line {number}: {row}")
            failed += error != ""
        # The generated rows fail through both kinds of chooser, and most do not fail.
        self.assertTrue(any("table \"RP2000CF\" cannot be used" in r[-1] for r in output[1:]))
        self.assertTrue(any("table \"Missing\" is not in the data file" in r[-1] for r in output[1:]))
        self.assertGreater(failed, 30)
        self.assertLess(failed, 200)

    def test_sensitivity_columns_are_orvane_value_sensitivity_on_that_row(self):
        # Select and ultimate: every one of the seven figures; failed rows have none.
        plan = [*PLAN, "YieldCurve=0", "PostRetirementInterest=5.2"]
        rows = self.rows[:80]
        census = self.dir / "sensitivity.csv"
        census.write_text(census_text(rows), newline="")
        code, out, err = self.run_tool("--census", str(census), "--sensitivity", *plan)
        self.assertEqual(code, 0, err)
        output = list(csv.reader(io.StringIO(out, newline="")))
        figures = ["Duration", "Convexity", "DV01", "Duration1", "Duration2", "Duration3",
                   "DurationPost"]
        self.assertEqual(output[0], COLUMNS + ["PresentValue", *figures, "Error"])

        def one(row):
            code, out, err = self.run_tool("--sensitivity", *plan,
                                           *(f"{c}={v}" for c, v in zip(COLUMNS, row)))
            if code != 0:
                return ["", *[""] * len(figures), err.strip()]
            lines = out.splitlines()
            named = dict(line.split("=", 1) for line in lines[1:])
            self.assertEqual(list(named), figures)
            return [lines[0], *named.values(), ""]

        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            expected = list(pool.map(one, rows))
        for number, (written, wanted) in enumerate(zip(output[1:], expected), start=2):
            self.assertEqual(written[len(COLUMNS):], wanted, f"line {number}")
        self.assertTrue(any(w[-1] for w in expected) and any(not w[-1] for w in expected))

    def test_projected_and_blended_tables_follow_each_row(self):
        # Generational tables differ by year of birth and sex: each row must get its own.
        plan = ["ProjToPayment=1", "BlendedAnnuitnat=1", "UsePreamble=1", "PreRetPrimary=2008417e"]
        rows = self.rows[:120]
        census = self.dir / "projected.csv"
        census.write_text(census_text(rows), newline="")
        code, out, err = self.run_tool("--census", str(census), *plan)
        self.assertEqual(code, 0, err)
        output = list(csv.reader(io.StringIO(out, newline="")))[1:]

        def one(row):
            code, out, err = self.run_tool(*plan, *(f"{c}={v}" for c, v in zip(COLUMNS, row)))
            return (out.strip(), "") if code == 0 else ("", err.strip())

        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            expected = list(pool.map(one, rows))
        for number, (written, pair) in enumerate(zip(output, expected), start=2):
            self.assertEqual(tuple(written[len(COLUMNS):]), pair, f"line {number}")
        self.assertGreater(len({value for value, _ in expected}), 100)

    def test_a_progress_bar_only_on_a_terminal(self):
        leader, follower = pty.openpty()
        try:
            done = subprocess.run([TOOL, "--dir", str(self.dir), "--census", str(self.census),
                                   "--jobs", "1", *PLAN], stdout=subprocess.DEVNULL,
                                  stderr=follower, timeout=120)
            os.close(follower)
            shown = b""
            while True:
                try:
                    chunk = os.read(leader, 4096)
                except OSError:
                    break
                if not chunk:
                    break
                shown += chunk
        finally:
            os.close(leader)
        self.assertEqual(done.returncode, 0)
        self.assertIn(b"100% 1000/1000 rows", shown)

    def test_the_thread_count_and_the_output_file_do_not_change_the_output(self):
        outputs = []
        for jobs in (["--jobs", "1"], ["--jobs", "2"], []):
            code, out, err = self.run_tool("--census", str(self.census), *jobs, *PLAN)
            self.assertEqual(code, 0, err)
            outputs.append(out)
        self.assertEqual(outputs[0], outputs[1])
        self.assertEqual(outputs[0], outputs[2])
        target = self.dir / "values.csv"
        code, out, err = self.run_tool("--census", str(self.census), "--out", str(target), *PLAN)
        self.assertEqual((code, out, err), (0, "", ""))
        with open(target, newline="") as written:
            self.assertEqual(written.read(), outputs[0])

    def test_exit_statuses(self):
        header = self.dir / "bad_header.csv"
        header.write_text("Benefit,Salary\n1000,5\n")
        code, out, err = self.run_tool("--census", str(header))
        self.assertEqual((code, out), (2, ""))
        self.assertIn('unknown column "Salary"', err)

        code, _, err = self.run_tool("--census", str(self.dir / "absent.csv"))
        self.assertEqual(code, 1)
        self.assertIn("absent.csv", err)
        code, _, err = self.run_tool("--census", str(self.census), "--out",
                                     str(self.dir / "no" / "such.csv"))
        self.assertEqual(code, 1)
        self.assertIn("such.csv", err)

        for args in (["--census", str(self.census), "--jobs", "0"],
                     ["--census", str(self.census), "--jobs", "two"],
                     ["--out", "x.csv"], ["--census", str(self.census), "--form"],
                     ["--census", str(self.census), "Female=yes"]):
            code, out, _ = self.run_tool(*args)
            self.assertEqual((code, out), (2, ""), args)

        empty = self.dir / "empty"
        empty.mkdir()
        done = subprocess.run([TOOL, "--dir", str(empty), "--census", str(self.census)],
                              capture_output=True, text=True, timeout=60)
        self.assertEqual((done.returncode, done.stdout, done.stderr.strip()),
                         (1, "", "Data File not available"))


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main()
