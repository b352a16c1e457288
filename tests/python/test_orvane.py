# The Python module against the tools it binds the same form model as: random sessions against
# orvane-value --form, censuses against orvane-value --census, tables and rates against
# orvane-tables and the rates file, each error, and two censuses on two threads at once.
import csv, io, os, random, re, subprocess
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import pandas
import pytest

import orvane

DATA = Path(os.environ["ORVANE_SOURCE_DIR"]) / "data"
VALUE, TABLES = os.environ["ORVANE_VALUE"], os.environ["ORVANE_TABLES"]
NAMES = ["2008417e", "2026417e", "2026SPF", "PriRM-G", "PriCF-G", "430GANM", "RP2000CM", "Nope"]
BOXES = "YieldCurve BlendedMaleFemale UsePreamble FullYieldCurve UseRoundedAge Female ProjToPayment"


def tool(program, *args):
    return subprocess.run([program, *args], capture_output=True, text=True, cwd=DATA)


def session(rnd):  # random entries of every kind, in a random order
    entries = [(f, f"{rnd.uniform(0, hi):.{rnd.choice([0, 1, 3])}f}") for f, hi in [
        ("CurrentAge", 90), ("SpousesAge", 90), ("RetirementAge", 70), ("InterestRate1", 9),
        ("InterestRate3", 9), ("Period2", 30), ("PeriodCertain", 20), ("PercentToSurvivor", 100),
        ("COLA", 4), ("Load", 10), ("Benefit", 9000)] if rnd.random() < 0.3]
    entries += [(d, f"{rnd.randint(1, 12)}/{rnd.randint(1, 28)}/{rnd.randint(1935, 2030)}")
                for d in ("DateOfBirth", "SpousesDateOfBirth", "ValuationDate")
                if rnd.random() < 0.3]
    entries += [(c, rnd.choice(NAMES)) for c in ("PostRetPrimary", "PostRetContingent",
                                                 "PreRetPrimary") if rnd.random() < 0.4]
    entries += [(b, rnd.choice("01")) for b in BOXES.split() if rnd.random() < 0.2]
    rnd.shuffle(entries)
    return entries


def test_random_sessions_agree_with_orvane_value():
    rnd = random.Random(20261208)
    for _ in range(200):
        entries = session(rnd)
        done = tool(VALUE, "--form", *(f"{c}={t}" for c, t in entries))
        form = orvane.Form(DATA)
        for control, text in entries:
            form.enter(control, text)
        form.calculate()
        shown = [form.label] if form.failure is None else []
        shown += [f"{c}={form[c]}" for c in form.controls]
        assert (done.stdout.splitlines(), done.returncode, done.stderr.strip()) == (
            shown, 0 if form.failure is None else 1, form.failure or ""), entries


def test_a_census_is_the_command_lines():
    rows = [{"Benefit": "2000", "Female": "1", "RatesOf": "2025-11"},
            {"Benefit": "1000", "Female": "yes", "RatesOf": ""},
            {"Benefit": "1500", "Female": True, "RatesOf": "1999-01"}]
    entries = {"PostRetPrimary": "2026417e", "PercentToSurvivor": 50}
    path = Path(os.environ.get("TMPDIR", "/tmp"), f"orvane-census-{os.getpid()}.csv")
    path.write_text("Benefit,Female,RatesOf\n2000,1,2025-11\n1000,yes,\n1500,1,1999-01\n")
    out = tool(VALUE, "--dir", str(DATA), "--census", str(path), "--sensitivity",
               "PostRetPrimary=2026417e", "PercentToSurvivor=50").stdout
    path.unlink()
    expected = [[None if c == "" else float(c.replace(",", "")) for c in r[3:-1]] + [r[-1]]
                for r in list(csv.reader(io.StringIO(out)))[1:]]
    listed = orvane.census(rows, DATA, entries, sensitivity=True)
    frame = orvane.census(pandas.DataFrame(rows), DATA, entries, jobs=2, sensitivity=True)
    added = ["PresentValue", *orvane.FIGURES, "Error"]
    assert expected[1][-1].startswith("line 3: ")
    assert [[r[c] for c in added] for r in listed] == expected
    assert frame[added].astype(object).where(frame[added].notna(), None).values.tolist() == expected


def test_tables_and_rates_are_the_tools():
    for name, born in [("2026417e", None), ("PriCF-G", 1963)]:
        out = tool(TABLES, "show", name, "MortalityTables", *(["--born", str(born)] * bool(born)))
        shown = {int(a): float(q) for a, q in csv.reader(io.StringIO(out.stdout)) if a != "age"}
        assert orvane.table(name, DATA, born) == shown
    lines = list(csv.reader(open(DATA / "417e Segment Rates.csv")))
    for month, plan_year in [("2025-11", None), ("2011-10", 2011), ("2013-05", None)]:
        line = next(l for l in lines if l[1] == month and l[0] in ("All", str(plan_year)))
        assert orvane.segment_rates(month, plan_year, DATA) == tuple(map(float, line[2:]))


@pytest.mark.parametrize("call, message", [
    (lambda: orvane.value(DATA, Foo="1"), 'unknown control "Foo"'),
    (lambda: orvane.value("/nonexistent"), "/nonexistent/MortalityTables cannot be read "
                                           "(looked for in the folder /nonexistent)"),
    (lambda: orvane.segment_rates("1999-01", data_dir=DATA), "has no rates of 1999-01"),
    (lambda: orvane.table("PriCF-G", DATA), "needs the year of birth of the life"),
    (lambda: orvane.Form(DATA).apply_417e_basis("calendar-year", 6), "not 6"),
    (lambda: orvane.Form(DATA).apply_417e_basis("weekly", 1), 'not "weekly"')])
def test_errors_are_orvane_errors_with_the_tools_message(call, message):
    with pytest.raises(orvane.Error, match=re.escape(message)):
        call()


def test_two_censuses_at_once_give_what_they_give_one_after_another():
    rows = [{"DateOfBirth": f"{m}/1/{1940 + k}", "PostRetPrimary": "PriRM-G"}
            for k in range(40) for m in (1, 7)]
    alone = [orvane.census(rows, DATA, jobs=1) for _ in range(2)]
    with ThreadPoolExecutor(2) as pool:
        together = list(pool.map(lambda _: orvane.census(rows, DATA, jobs=1), range(2)))
    assert together == alone and all(r["Error"] == "" for r in alone[0])
