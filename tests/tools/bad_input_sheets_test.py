# Bad entries typed into the form through orvane-value, then both workbooks exported and read back
# with openpyxl: a written sheet holds no NaN or infinity, as a number or as text, and the detail
# sheet's input block (A2..A10) holds the fields' texts as --form prints them, as strings. An
# unknown table name stops the valuation, says why and writes nothing.
import re, tempfile, unittest
from pathlib import Path

import openpyxl
from tool_harness import run

ENTRIES = [b"", b"    ", b"abc", b"-0", b"1e308", b"1e-308", b"NaN", b"inf", b"9" * 10000,
           "Z\u00fcrich \u20ac5".encode(), b"5\xff", b"=1+1"]
FIELDS = ("CurrentAge SpousesAge RetirementAge InterestRate1 InterestRate2 InterestRate3 Period1 "
          "Period2 PostRetirementInterest Benefit Maximum PeriodCertain PercentToSurvivor COLA "
          "Load DateOfBirth SpousesDateOfBirth RetirementDate ValuationDate YearOfYieldCurve "
          "MonthOfYieldCurve").split()
INPUT_BLOCK = {2: "ValuationDate", 4: "DateOfBirth", 6: "SpousesDateOfBirth", 8: "PeriodCertain",
               10: "PercentToSurvivor"}
NON_FINITE = re.compile(r"(^|[^A-Za-z])(nan|inf|infinity)([^A-Za-z]|$)", re.IGNORECASE)


def export(folder, *entries):  # --form, and both workbooks written into `folder`
    return run("--form", "--export-detail", f"{folder}/detail.xlsx", "--export-mortality",
               f"{folder}/mortality.xlsx", *entries)


class BadInputSheets(unittest.TestCase):
    def test_every_entry_into_each_field_gives_finite_sheets(self):
        # Each field twice, the second time with the full yield curve; each entry 3 or 4 times.
        for n, field in enumerate(FIELDS * 2):
            entry = field.encode() + b"=" + ENTRIES[n % len(ENTRIES)]
            curve = ["FullYieldCurve=1"] if n >= len(FIELDS) else []
            with tempfile.TemporaryDirectory() as folder:
                code, out, err = export(folder, *curve, entry)
                self.assertEqual((code, err), (0, ""), entry[:30])
                texts = dict(line.split("=", 1) for line in out.splitlines()[1:])
                detail, mortality = (openpyxl.load_workbook(f"{folder}/{name}.xlsx", read_only=True)
                                     for name in ("detail", "mortality"))
                block = [detail.worksheets[0].cell(row, 1) for row in INPUT_BLOCK]
                self.assertEqual([(cell.value, cell.data_type) for cell in block],
                                 [(texts[name], "s") for name in INPUT_BLOCK.values()])
                for sheet in detail.worksheets + mortality.worksheets:
                    for row in sheet.iter_rows(values_only=True):
                        self.assertFalse([v for v in row if NON_FINITE.search(str(v))], entry[:30])
                detail.close(), mortality.close()

    def test_an_unknown_table_writes_nothing(self):
        for entry, table in ((b"PreRetPrimary==1+1", 'Pre Retirement Primary table "=1+1"'),
                             (b"PostRetContingent=5\xff",
                              'Post Retirement Contingent table "5\udcff"'),
                             (b"PostRetPrimary=", 'Post Retirement Primary table ""'),
                             ("PreRetContingent=Z\u00fcrich \u20ac5".encode(),
                              'Pre Retirement Contingent table "Z\u00fcrich "')):  # 8 bytes
            with tempfile.TemporaryDirectory() as folder:
                code, out, err = export(folder, entry)
                self.assertEqual(list(Path(folder).iterdir()), [])
            self.assertEqual((code, out.split("=")[0], err), (1, "CurrentAge", (
                f"{table} is not in the data file MortalityTables, so every rate "
                "reads as 1: choose a table from the list\n")))


unittest.main()
