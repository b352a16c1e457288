# orvane-value --census: its columns against orvane-value run on each row alone, the RatesOf and
# PlanYear columns, the progress bar, the output file and the exit statuses. The census's values
# row by row are census_test.cpp's.
import csv, io, os, pty, tempfile, threading, unittest
from pathlib import Path

from tool_harness import DATA, FIGURES, census, run, usage_error

CENSUS = "Benefit,PostRetPrimary\n2000,2008417e\n1000,Missing\n"


def alone(*args):
    code, out, err = run("--sensitivity", *args)
    lines = out.splitlines() or [""]
    named = dict(line.split("=") for line in lines[1:])  # a figure of the mode may be empty
    return [lines[0], *((named[name] or "n/a") if name in named else "" for name in FIGURES),
            err.strip() if code else ""]


def progress(text):  # what the census draws on a terminal as its stderr
    leader, follower = pty.openpty()
    census(text, "--jobs", "1", stderr=follower)
    os.close(follower)
    with open(leader, "rb", buffering=0) as terminal:
        return terminal.read(65536)


class Census(unittest.TestCase):
    def test_each_row_is_orvane_value_on_that_row_alone(self):
        # The full yield curve's moved curves come from the cache the census's rows share.
        for plan in (["YieldCurve=0", "PostRetirementInterest=5.2"], ["FullYieldCurve=1"]):
            code, out, err = census(CENSUS + "0,2008417e\n", "--sensitivity", *plan)
            self.assertEqual((code, err), (0, ""), "no progress bar when stderr is no terminal")
            self.assertEqual(list(csv.reader(io.StringIO(out))), [
                ["Benefit", "PostRetPrimary", "PresentValue", *FIGURES, "Error"],
                ["2000", "2008417e", *alone(*plan, "Benefit=2000")],
                ["1000", "Missing", *alone(*plan, "Benefit=1000", "PostRetPrimary=Missing")],
                # A value of 0 has no duration (its DV01 is 0): "n/a" for the others of the mode.
                ["0", "2008417e", *alone(*plan, "Benefit=0")]])
            self.assertEqual(out.splitlines()[-1].count("n/a"), 2 if len(plan) == 1 else 6)

    def test_each_row_takes_its_own_months_segment_rates(self):
        code, out, err = census("CurrentAge,RatesOf,PlanYear\n60,2025-11,\n60,2011-10,2011\n60,,\n"
                                "60,Nov 2025,\n60,,2011\n60,2011-10,11\n", "--rates-of", "2015-03")
        alone = [run(*args.split(), "CurrentAge=60")[1].strip() for args in (
            "--rates-of 2025-11", "--rates-of 2011-10 --plan-year 2011", "--rates-of 2015-03")]
        self.assertEqual((code, err), (0, ""))
        self.assertEqual([row[-2:] for row in csv.reader(io.StringIO(out))][1:], [
            [alone[0], ""], [alone[1], ""], [alone[2], ""],
            ["", 'line 5: RatesOf takes a month written YYYY-MM, not "Nov 2025"'],
            ["", "line 6: PlanYear 2011 needs a month in RatesOf"],
            ["", 'line 7: PlanYear takes a year written YYYY, not "11"']])

    def test_a_progress_bar_on_a_terminal(self):
        shown = progress(CENSUS)
        self.assertTrue(shown.startswith(b"\r[" + b"." * 40 + b"] 0% 0/2 rows"), shown)
        self.assertTrue(shown.endswith(b"\r[" + b"#" * 40 + b"] 100% 2/2 rows\r\n"), shown)
        self.assertEqual(progress("Benefit\n"), b"\r0 rows\r0 rows\r\n")

    def test_a_census_from_a_pipe_at_a_terminal_values_every_row(self):
        # Counting the rows for the bar would drain a pipe: a stream's bar counts without a whole.
        with tempfile.TemporaryDirectory() as folder:
            fifo = Path(folder, "members.csv")
            os.mkfifo(fifo)
            threading.Thread(target=fifo.write_text, args=(CENSUS,), daemon=True).start()
            leader, follower = pty.openpty()
            code, out, _ = run("--census", str(fifo), "--jobs", "1", stderr=follower)
            os.close(follower)
            with open(leader, "rb", buffering=0) as terminal:
                shown = terminal.read(65536)
        self.assertEqual((code, out), census(CENSUS)[:2])
        self.assertTrue(shown.endswith(b"\r2 rows\r\n"), shown)

    def test_the_output_file_and_the_exit_statuses(self):
        with tempfile.TemporaryDirectory() as folder:
            in_file, out_file = Path(folder, "in.csv"), Path(folder, "values.csv")
            self.assertEqual(census(CENSUS, "--jobs", "1024", "--out", str(out_file),
                                    folder=folder), (0, "", ""))
            self.assertEqual(census("Salary\n1\n", "--out", str(out_file))[0], 2)
            self.assertEqual(out_file.read_text(), census(CENSUS)[1])  # kept after a refusal
            self.assertEqual(sorted(os.listdir(folder)), ["in.csv", "values.csv"])
            self.assertEqual(run("--census", str(in_file), "--out", str(in_file)), (1, "", (
                f'The output file "{in_file}" is the census file itself, which is read while the '
                "values are written: choose another\n")))
            out_file.unlink()
            self.assertEqual(run("--census", "absent.csv", "--out", str(out_file)), (1, "", (
                'The census file "absent.csv" cannot be read: No such file or directory\n')))
            self.assertEqual((in_file.read_text(), out_file.exists()), (CENSUS, False))
            os.symlink(DATA / "MortalityTables", Path(folder, "MortalityTables"))
            Path(folder, "417e Segment Rates.csv").write_text("spoiled")  # read before any row
            self.assertEqual(census("RatesOf\n2025-11\n", "--dir", folder)[:2], (1, ""))
        for header, error in (
                ("RatesOf,RatesOf", 'the header names the column "RatesOf" twice'),
                ("PlanYear", 'the column "PlanYear" needs a column "RatesOf" with the month of '
                             "segment rates")):
            code, out, err = census(header + "\n1\n")
            self.assertEqual((code, out, err[:len(usage_error(error))]),
                             (2, "", usage_error(error)))


unittest.main()
