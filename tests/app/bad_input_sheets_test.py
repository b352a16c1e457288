"""Bad entries typed into the form, then both workbooks exported and read back with openpyxl.

orvane-value drives the form model as the window does: each Control=Text is typed and the field
left, then one recalculation runs and the exports are written. Whatever was typed, a written
sheet holds only finite numbers, no NaN or infinity spelled as text, and the input block of the
detail sheet (A2..A10) holds the field texts as the form shows them, as strings: a typed "=1+1"
never becomes a formula there.

Usage: bad_input_sheets_test.py PATH_TO_ORVANE_VALUE (ORVANE_SOURCE_DIR names the repository).
"""
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import openpyxl

TOOL = None
SOURCE = Path(os.environ.get("ORVANE_SOURCE_DIR", Path(__file__).resolve().parents[2]))
DATA = SOURCE / "data"

ENTRIES = [
    b"",
    b"    ",
    b"abc",
    b"-0",
    b"1e308",
    b"1e-308",
    b"NaN",
    b"inf",
    b"9" * 10000,
    "Z\u00fcrich \u20ac5".encode(),
    b"5\xff",
    b"=1+1",
]
TEXT_FIELDS = [
    "CurrentAge", "SpousesAge", "RetirementAge", "InterestRate1", "InterestRate2",
    "InterestRate3", "Period1", "Period2", "PostRetirementInterest", "Benefit", "Maximum",
    "PeriodCertain", "PercentToSurvivor", "COLA", "Load", "DateOfBirth", "SpousesDateOfBirth",
    "RetirementDate", "ValuationDate", "YearOfYieldCurve", "MonthOfYieldCurve",
]
CHOOSERS = ["PreRetPrimary", "PostRetContingent", "PreRetContingent", "PostRetPrimary"]
# The fields whose texts the detail sheet's input block shows, by row of column A.
INPUT_BLOCK = {2: "ValuationDate", 4: "DateOfBirth", 6: "SpousesDateOfBirth",
               8: "PeriodCertain", 10: "PercentToSurvivor"}
LABELS = {1: "Val Date", 3: "Prim DOB", 5: "Con DOB", 7: "Per Certain", 9: "Percent Surv",
          11: "Value"}
NON_FINITE = re.compile(rb"(^|[^A-Za-z])(nan|inf|infinity)([^A-Za-z]|$)", re.IGNORECASE)


def cases():
    """Every entry into each field of the input block; a rotating share into the others; with
    the full yield curve ticked, a rotating entry into every field and chooser."""
    for field in INPUT_BLOCK.values():
        for entry in ENTRIES:
            yield field, entry, False
    for i, field in enumerate(TEXT_FIELDS + CHOOSERS):
        if field not in INPUT_BLOCK.values():
            yield field, ENTRIES[i % len(ENTRIES)], False
        yield field, ENTRIES[(i + 5) % len(ENTRIES)], True


class BadInputSheets(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp(prefix="orvane_bad_input_"))
        self.work = self.dir / "empty"  # no data here: the tool must use --dir
        self.work.mkdir()

    def tearDown(self):
        shutil.rmtree(self.dir)

    def run_tool(self, *args):
        done = subprocess.run([TOOL, "--dir", str(DATA), "--form", *args], cwd=self.work,
                              capture_output=True, timeout=300)
        self.assertIn(done.returncode, (0, 1), done.stderr.decode(errors="replace"))
        self.assertNotIn(b"runtime error", done.stderr)
        return done

    def form_texts(self, stdout):
        texts = {}
        for line in stdout.split(b"\n"):
            name, equals, text = line.partition(b"=")
            if equals:
                texts[name.decode()] = text
        return texts

    def check_no_non_finite(self, sheet, where):
        for row in sheet.iter_rows():
            for cell in row:
                value = cell.value
                if isinstance(value, float):
                    self.assertTrue(math.isfinite(value), f"{where} {cell.coordinate}: {value}")
                elif isinstance(value, str):
                    self.assertIsNone(NON_FINITE.search(value.encode()),
                                      f"{where} {cell.coordinate}: {value!r}")

    def check_detail(self, path, texts, where):
        book = openpyxl.load_workbook(path, read_only=True)
        try:
            sheet = book.worksheets[0]
            for row, label in LABELS.items():
                self.assertEqual(sheet.cell(row, 1).value, label, where)
            for row, field in INPUT_BLOCK.items():
                cell = sheet.cell(row, 1)
                self.assertEqual(cell.data_type, "s", f"{where} A{row} is not a string")
                self.assertEqual(cell.value.encode(), texts[field], f"{where} A{row}")
            total = sheet.cell(12, 1)
            self.assertEqual(total.data_type, "f", where)
            self.assertEqual(total.value, "=SUM(R2:T1440)", where)
            self.check_no_non_finite(sheet, where)
        finally:
            book.close()

    def check_mortality(self, path, where):
        book = openpyxl.load_workbook(path, read_only=True)
        try:
            sheet = book.worksheets[0]
            self.assertEqual([c.value for c in next(sheet.iter_rows(max_row=1))],
                             ["Age", "Prim Pre", "Con Pre", "Prim Post", "Con Post"], where)
            for row in sheet.iter_rows(min_row=2, max_row=121, values_only=True):
                for rate in row[1:]:
                    self.assertTrue(0.0 <= rate <= 1.0, f"{where}: {row}")
            self.check_no_non_finite(sheet, where)
        finally:
            book.close()

    def test_every_written_sheet_holds_finite_numbers_and_plain_input_texts(self):
        checked = 0
        for n, (field, entry, full_curve) in enumerate(cases()):
            where = f"{field}={entry[:20]!r}{' with FullYieldCurve' if full_curve else ''}:"
            detail = self.dir / f"{n}-detail.xlsx"
            mortality = self.dir / f"{n}-mortality.xlsx"
            args = [b"FullYieldCurve=1"] if full_curve else []
            done = self.run_tool("--export-detail", str(detail), "--export-mortality",
                                 str(mortality), *args, field.encode() + b"=" + entry)
            texts = self.form_texts(done.stdout)
            for name, text in texts.items():
                if name != field:
                    self.assertIsNone(NON_FINITE.search(text), f"{where} {name}={text!r}")
            if done.returncode == 1:
                # Only an unknown table may stop the valuation; it says why and writes nothing.
                self.assertIn(field, CHOOSERS, f"{where} {done.stderr!r}")
                self.assertNotEqual(done.stderr.strip(), b"", where)
                self.assertFalse(detail.exists(), where)
                continue
            self.check_detail(detail, texts, where)
            self.check_mortality(mortality, where)
            checked += 1
        self.assertGreater(checked, 60)


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main()
