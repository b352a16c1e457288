# The shipped data file holds every IRS table and the RP-2000 combined tables as published, at
# every age, and the IRS construction gives the 2024 tables as published and the 2026 rates quoted
# in public. The published files are read here with Python's own XML and CSV readers, and an
# XTbML file's table is named from its own description, so neither the build's importer nor its
# list of sources judges itself. The generational tables' cohorts are worked out here from the
# SOA's Pri-2012 and MP-2021 files by the cohort rule. Usage: TOOL DATA_FILE PUBLISHED_FOLDER
import csv, pathlib, subprocess, sys, xml.etree.ElementTree as ET
from decimal import Decimal

tool, data_file, published = sys.argv[1], sys.argv[2], pathlib.Path(sys.argv[3])
IRS_TABLES = ["NAM", "NAF", "ANM", "ANF", "SPM", "SPF", "417e"]  # the construction's order
QUOTED_2026_AT_65 = "65,0.004820,0.002710,0.009140,0.007430,0.008470,0.006100,0.007290"
KINDS = {"417(e)": "417e", "Optional Combined": "SP", "Non-Annuitant": "NA", "Annuitant": "AN"}


# `orvane-tables show`'s rates by age, as text.
shown = lambda *args: dict(line.split(",") for line in subprocess.run(
    [tool, "show", *args], capture_output=True, text=True).stdout.splitlines()[1:])

# The data file's six packed digits cannot hold 1.
six_digits = lambda text: f"{min(round(float(text) * 1e6), 999999) / 1e6:.6f}"


# A CSV column at `ages`; the IRS files start at 15 and ages 1-14 take the age-15 rate.
def column(file, name, ages=range(1, 121)):
    rows = [r for r in csv.reader(open(published / file, newline="")) if len(r) > 1]
    at = rows[0].index(name)
    rates = {int(r[0]): six_digits(r[at]) for r in rows[1:] if r[at].strip()}
    return {x: rates[x] if x in rates else rates[15] for x in ages}


expected = {"2026417e": column("irs/2026_published.csv", "417e"),
            **{"2026SP" + sex[0]: column("irs/2026_published.csv", sex, range(40, 121))
               for sex in ("Male", "Female")},
            **{"RP2000C" + sex[0]: column("rp2000.csv", "combined_" + sex.lower())
               for sex in ("Male", "Female")}}
for path in (published / "xtbml").glob("t*.xml"):
    root = ET.parse(path).getroot()
    text = root.findtext("ContentClassification/TableDescription")
    kind = next((code for words, code in KINDS.items() if words in text), "")
    sex = "" if kind == "417e" else "F" if text.endswith("Female") else "M"
    name = "2008417e" if path.name == "t2801.xml" else text[4:8] + kind + sex
    if name == "2008417e" or text.startswith("IRS 20"):
        expected[name] = {int(y.get("t")): six_digits(y.text) for y in root.iter("Y")}
for year in range(2017, 2025):
    expected[f"{year}417e"] = column("irs/417e_published.csv", str(year))
    for name, code in zip(["Male EE", "Female EE", "Male HA", "Female HA", "Male", "Female"],
                          IRS_TABLES):
        expected[f"{year}{code}"] = column(f"irs/430_published_{year}.csv", name)

failures = [] if len(expected) == 118 else [f"{len(expected)} tables found, 118 expected"]
for name, rates in expected.items():
    stored = shown(name, data_file)
    failures += [f"{name} at {x}: {stored.get(str(x))}, published {rate}"
                 for x, rate in rates.items() if stored.get(str(x)) != rate]

# In whole millionths, exactly: the SOA's rates have at most six decimals (a base of 1 is kept as
# 0.999999, which is all six packed digits hold).
millionths = lambda text: int(Decimal(text.strip()) * 1000000)


# Pri-2012 bands by their SOA table numbers (the catalogue's descriptions), and an MP-2021 scale.
def cohort(bands, scale_number, born):
    base = {}
    for number, ages in bands:
        root = ET.parse(published / "xtbml" / f"t{number}.xml").getroot()
        base.update({int(y.get("t")): min(millionths(y.text), 999999) for y in root.iter("Y")
                     if int(y.get("t")) in ages})
    root = ET.parse(published / "xtbml" / f"t{scale_number}.xml").getroot()
    scale = {(int(age.get("t")), int(y.get("t"))): millionths(y.text) / 1e6
             for age in root.iter("Axis") if age.get("t") for y in age.iter("Y")}
    ages, years = {a for a, _ in scale}, {t for _, t in scale}
    s = lambda x, t: scale[(max(x, min(ages)), min(max(t, min(years)), max(years)))]
    rates = {}
    for x in range(1, 121):  # q = base x (1 - s) over 2013..Y, or / (1 - s) over Y+1..2012
        year, product = born + x, 1.0
        for t in [*range(2013, year + 1), *range(year + 1, 2013)]:
            product *= 1.0 - s(x, t)
        factor = 1.0 / product if year < 2012 else product
        rates[x] = f"{min(1.0, round(base[x] / 1e6 * factor * 1e6) / 1e6):.6f}"
    return rates


RM = ("PriRM-G", [(3600, range(1, 18)), (3532, range(18, 50)), (3534, range(50, 121))], 3612)
CF = ("PriCF-G", [(3599, range(1, 18)), (3531, range(18, 50)), (3535, range(50, 121))], 3611)
for (name, bands, scale), born in [(RM, 1961), (RM, 2010), (CF, 1940), (CF, 1963)]:
    stored = shown(name, data_file, "--born", str(born))
    failures += [f"{name} born {born} at {x}: {stored.get(str(x))}, worked out {rate}"
                 for x, rate in cohort(bands, scale, born).items() if stored.get(str(x)) != rate]
for year in 2024, 2026:
    built = subprocess.run([tool, "irs", "--year", str(year)], cwd=published.parents[2],
                           capture_output=True, text=True).stdout
    rows = list(csv.reader(built.splitlines())) or [[]]
    if ([name[4:] for name in rows[0][1:]] != IRS_TABLES
            or year == 2026 and f"\n{QUOTED_2026_AT_65}\n" not in built):
        failures.append(f"irs --year {year}: not its seven tables or not the quoted rates")
    # 2024 as published from 15 on, and the ages 1-14 that the construction takes from the SOA's
    # Pri-2012 juvenile tables as the IRS published them for 2026 (its later ages may differ by a
    # last-digit rounding, which is why the data file holds the published table).
    for c, name in enumerate(rows[0][1:], 1):
        published_ages = range(15, 121) if year == 2024 else range(1, 15) if "417e" in name else ()
        failures += [f"{name} built at {r[0]}: {r[c]}, published {expected[name][int(r[0])]}"
                     for r in rows[1:] if int(r[0]) in published_ages
                     and r[c] != expected[name][int(r[0])]]
sys.exit("\n".join(failures[:20] + [f"({len(failures)} in all)"]) if failures else None)
