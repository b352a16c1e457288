# orvane-value --stability/--lookback: the 417(e) basis by the plan's terms equals the same basis
# typed by hand, with the month, the line and the table worked out here from the regulation's
# rule and the rates read from the data folder's file; the refusals; a census with the terms per
# row equals the single valuations; the Summary sheet records the basis.
import csv, io, shutil, tempfile, unittest
from pathlib import Path

import openpyxl
from tool_harness import DATA, census, run

KINDS = ["month", "calendar-quarter", "plan-quarter", "calendar-year", "plan-year"]
LINES = list(csv.reader(open(DATA / "417e Segment Rates.csv", newline="")))[1:]


def by_hand(kind, lookback, begins, year, month):  # the Control=Text entries of the basis
    length, first = {"month": (1, month), "calendar-quarter": (3, 1), "plan-quarter": (3, begins),
                     "calendar-year": (12, 1), "plan-year": (12, begins)}[kind]
    start = year * 12 + month - 1 - (month - first) % length  # months since year 0
    look = start - lookback
    plan_year = str(year if month >= begins else year - 1)
    lines = [l for l in LINES if l[1] == f"{look // 12}-{look % 12 + 1:02d}"]
    line = next(l for l in lines if l[0] in ("All", plan_year))
    table = f"{start // 12}417e"
    return [f"InterestRate{s}={line[s + 1]}" for s in (1, 2, 3)] + [
        "YieldCurve=1", "Period1=5", "Period2=15", f"PostRetPrimary={table}",
        f"PostRetContingent={table}"]


class LumpSumBasis(unittest.TestCase):
    def test_the_basis_is_the_one_typed_by_hand(self):
        # 2025 and 2010, where months have a line per plan year, either side of July and November.
        for date in ("8/15/2025", "2/1/2025", "7/20/2010", "11/5/2010", "1/31/2011"):
            month, _, year = map(int, date.split("/"))
            for kind, lookback, begins in [(k, n, b) for k in KINDS for n in range(1, 6)
                                           for b in (1, 7, 11)][::2]:
                entries = ("Female=1", "PercentToSurvivor=50", f"ValuationDate={date}")
                terms = ["--stability", kind, "--lookback", str(lookback),
                         "--plan-year-begins", str(begins)]
                typed = run("--form", *entries, *by_hand(kind, lookback, begins, year, month))
                self.assertEqual(run("--form", *terms, *entries), typed, terms + [date])

    def test_refusals_name_what_is_wrong(self):
        with tempfile.TemporaryDirectory() as folder:
            shutil.copy(DATA / "MortalityTables", folder)
            Path(folder, "417e Segment Rates.csv").write_text(  # synthetic: a month of 2031
                "plan_years_beginning_in,month,first_segment,second_segment,third_segment\n"
                "All,2031-01,4.00,5.00,6.00\n")
            self.assertEqual(run("--dir", folder, "--stability", "month", "--lookback", "1",
                                 "ValuationDate=2/1/2031")[::2],
                             (2, "The data file MortalityTables has no 417(e) table of 2031 "
                                 "(2031417e) for the 417(e) basis\n"))
        missing = ('The segment rates file "./417e Segment Rates.csv" has no rates of 2099-11, '
                   "the lookback month: the IRS's line for 2099-11 can be added to it\n")
        for args, error in [
                (["--lookback", "2", "--stability", "calendar-year", "ValuationDate=3/1/2100"],
                 missing),
                (["--stability", "week", "--lookback", "1"], '--stability takes month, '
                 'calendar-quarter, plan-quarter, calendar-year or plan-year, not "week"'),
                (["--stability", "month", "--lookback", "6"], '--lookback takes a month from 1 '
                 'to 5, not "6"'),
                (["--stability", "month", "--lookback", "1", "--plan-year-begins", "13"],
                 '--plan-year-begins takes a month from 1 to 12, not "13"'),
                (["--lookback", "1"], "--stability and --lookback go together: the basis needs "
                 "both terms"),
                (["--stability", "month", "--lookback", "1", "--rates-of", "2025-01"],
                 "--stability finds the month of segment rates itself: leave out --rates-of")]:
            code, out, err = run(*args)
            self.assertEqual((code, out), (2, ""), args)
            self.assertEqual(err, error if error == missing else f"orvane-value: {error}\n")
        code, out, err = run("--help")  # the usage on stdout, and success
        self.assertEqual((code, out[:33], err), (0, "usage: orvane-value [--tables FIL", ""))

    def test_a_census_takes_each_rows_terms(self):
        rows = [["ValuationDate", "Stability", "Lookback", "PlanYearBegins"],
                ["8/15/2025", "", "", ""], ["8/15/2025", "plan-year", "", "7"],
                ["7/20/2010", "month", "3", ""], ["8/15/2025", "week", "", ""],
                ["8/15/2025", "", "6", ""], ["8/15/2025", "", "", "13"]]
        text = "".join(",".join(row) + "\n" for row in rows)
        code, out, _ = census(text, "--stability", "calendar-quarter", "--lookback", "2")
        got = list(csv.reader(io.StringIO(out)))
        for row, line in zip(rows[1:4], got[1:4]):
            terms = ["--stability", row[1] or "calendar-quarter", "--lookback", row[2] or "2",
                     "--plan-year-begins", row[3] or "1", f"ValuationDate={row[0]}"]
            self.assertEqual(line[4:], [run(*terms)[1].strip(), ""], row)
        self.assertEqual((code, [line[4:] for line in got[4:]]), (0, [
            ["", 'line 5: Stability takes month, calendar-quarter, plan-quarter, calendar-year or '
                 'plan-year, not "week"'], ["", 'line 6: Lookback takes a month from 1 to 5, not "6"'],
            ["", 'line 7: PlanYearBegins takes a month from 1 to 12, not "13"']]))

    def test_the_summary_sheet_records_the_basis(self):
        with tempfile.TemporaryDirectory() as folder:
            book = Path(folder, "detail.xlsx")
            run("--stability", "plan-quarter", "--lookback", "3", "--plan-year-begins", "11",
                "ValuationDate=3/15/2010", "--export-detail", str(book))
            sheet = openpyxl.load_workbook(book)["Summary"]
            cells = [[c.value for c in r[:2]] for r in sheet.iter_rows() if r[0].value]
            start = cells.index(["417(e) basis by the plan's terms", None])
            self.assertEqual(cells[start + 1:start + 4], [
                ["Stability period", "plan-quarter beginning 2010-02"],
                ["Lookback month", "3 before: 2009-11: 3.53%, 4.81%, 5.10% "
                                   "(plan years beginning in 2009)"],
                ["Applicable mortality table", "2010417e"]])


if __name__ == "__main__":
    unittest.main()
