"""Orvane from Python: the present value of a monthly pension, on the same form model as the
Orvane window and orvane-value, not a second implementation.

The form is driven as a user drives it. Each entry is typed into a field, or a box is clicked,
and the control is left, so that the field rules normalise it and the dates and ages stay
consistent. Controls are named as on orvane-value's command line (CurrentAge, Benefit, Female,
PostRetPrimary, ...). A check box or option button takes "1"/"0" or a bool.

    >>> import orvane
    >>> orvane.value(PostRetPrimary="2026417e", PostRetContingent="2026417e")
    145922.71...
    >>> form = orvane.Form()
    >>> form.apply_417e_basis("calendar-year", 2)      # the 417(e) basis by the plan's terms
    >>> form.label, form["PostRetPrimary"]

A census values a pandas DataFrame (or an iterable of dicts) row by row on every core, exactly
as `orvane-value --census` does. Each column names a control, or is one of RatesOf, PlanYear,
Stability, Lookback and PlanYearBegins. The rows come back with PresentValue (a float, or None)
and Error (a str), and the sensitivity figures when asked for:

    >>> import pandas as pd
    >>> people = pd.read_csv("people.csv", dtype=str, keep_default_na=False)
    >>> valued = orvane.census(people, entries={"PostRetPrimary": "2026417e"})
    >>> valued["PresentValue"].sum()

The data folder (MortalityTables, "Full Yield Curve.xls", "417e Segment Rates.csv") is the one
the tools would choose: the current folder when it holds a MortalityTables file, else the
installed data. Pass data_dir to name another one. Every failure raises orvane.Error with the
tools' message; no question is ever asked.
"""
import csv
import io
from pathlib import Path

from . import _orvane

__all__ = ["Error", "Form", "value", "census", "table", "segment_rates", "FIGURES"]

Error = _orvane.Error
Error.__doc__ = "An Orvane failure, with the message orvane-value or orvane-tables would print."

# The sensitivity figures, in the order orvane-value --sensitivity prints them.
FIGURES = ["Duration", "Convexity", "DV01", "Duration1", "Duration2", "Duration3",
           "DurationPost"]
_INSTALLED = Path(__file__).resolve().parents[4] / "share" / "orvane"


def _installed():
    return str(_INSTALLED) if (_INSTALLED / "MortalityTables").is_file() else ""


def _text(value):
    """An entry as the form takes it: a bool as 1/0, a missing value as blank."""
    if isinstance(value, bool):
        return "1" if value else "0"
    if value is None or (isinstance(value, float) and value != value):
        return ""
    return str(value)


def _folder(data_dir):
    return None if data_dir is None else str(data_dir)


def _number(text):
    """A results label or figure as a float; None for an empty cell."""
    return float(text.replace(",", "")) if text else None


class Form:
    """The valuation form in its start-up state, on the data folder the tools would choose.

    form.enter(control, text) does what one Control=Text of orvane-value does; form[control]
    is the control's text as orvane-value --form prints it ("1"/"0" for a box or option);
    form.controls lists the control names in the form's order. form.value is the unrounded
    present value of the last recalculation, or None before one or after a failure, whose
    reason is form.failure and whose control is form.failed_control. form.label is the results
    label.
    """

    def __init__(self, data_dir=None):
        self._form = _orvane.Form(_folder(data_dir), _installed())

    def enter(self, control, text):
        """Types `text` into the control (a bool or "1"/"0" clicks a box), then leaves it."""
        self._form.enter(control, _text(text))

    def __getitem__(self, control):
        return self._form.text(control)

    @property
    def controls(self):
        """The control names, in the form's order."""
        return self._form.controls()

    def calculate(self):
        """Recalculates, as orvane-value does once its entries are made."""
        self._form.calculate()

    @property
    def value(self):
        return self._form.value()

    @property
    def label(self):
        return self._form.label()

    @property
    def failure(self):
        return self._form.failure()

    @property
    def failed_control(self):
        return self._form.failed_control()

    def sensitivities(self):
        """The figures orvane-value --sensitivity prints for the last recalculation, by name."""
        return dict(self._form.sensitivities())

    def export_detail(self, path):
        """Writes the calculation detail workbook (.xlsx) at `path`."""
        self._form.export_detail(str(path))

    def export_mortality(self, path):
        """Writes the four tables in use into a workbook (.xlsx) at `path`."""
        self._form.export_mortality(str(path))

    def enter_rates_of(self, month, plan_year=None):
        """Enters the 417(e) segment rates of `month` ("YYYY-MM") into InterestRate1-3."""
        self._form.enter_rates_of(month, plan_year)

    def apply_417e_basis(self, stability, lookback, plan_year_begins=1):
        """Applies the 417(e) lump sum basis by the plan's terms for the Valuation Date.

        stability is month, calendar-quarter, plan-quarter, calendar-year or plan-year;
        lookback the 1st to 5th full month before the stability period; plan_year_begins the
        plan year's first month. Raises orvane.Error when the basis cannot be found.
        """
        self._form.apply_417e_basis(stability, lookback, plan_year_begins)


def value(data_dir=None, **entries):
    """The present value after `entries` (Control=Text, in the order given); a float."""
    form = Form(data_dir)
    for control, text in entries.items():
        form.enter(control, text)
    form.calculate()
    if form.failure:
        raise Error(form.failure)
    return form.value


def census(rows, data_dir=None, entries=None, jobs=None, sensitivity=False):
    """Values every row as orvane-value --census does.

    `rows` is a pandas DataFrame, which gives back a DataFrame, or an iterable of dicts, which
    gives back a list of dicts. What comes back holds the input columns plus PresentValue (a
    float, or None) and Error (a str), with the sensitivity figures before Error when asked
    for. `entries` (a dict of Control=Text) are entered before each row.
    """
    frame = hasattr(rows, "to_dict") and hasattr(rows, "columns")
    records = rows.to_dict("records") if frame else [dict(row) for row in rows]
    columns = list(rows.columns) if frame else list(dict.fromkeys(k for r in records for k in r))
    text = io.StringIO()
    writer = csv.writer(text, lineterminator="\n")
    writer.writerow(columns)
    writer.writerows([_text(record.get(c)) for c in columns] for record in records)
    plan = [(control, _text(entry)) for control, entry in (entries or {}).items()]
    output = _orvane.census(text.getvalue(), _folder(data_dir), _installed(), plan, jobs,
                            sensitivity)
    added = ["PresentValue"] + (FIGURES if sensitivity else []) + ["Error"]
    valued = list(csv.reader(io.StringIO(output)))[1:]
    for record, cells in zip(records, valued):
        for name, cell in zip(added, cells[len(columns):]):
            record[name] = cell if name == "Error" else _number(cell)
    if frame:
        import pandas
        return pandas.DataFrame(records, columns=columns + added, index=rows.index)
    return records


def table(name, data_dir=None, born=None):
    """The rates of table `name` by age 1-120, as orvane-tables show prints them.

    A generational table needs `born`, the year of birth of the life it describes.
    """
    return {age: float(rate) for age, rate in _orvane.table(name, _folder(data_dir), _installed(),
                                                             born)}


def segment_rates(month, plan_year=None, data_dir=None):
    """The 417(e) segment rates of `month` ("YYYY-MM"), in percent: (first, second, third)."""
    return tuple(float(rate) for rate in _orvane.segment_rates(month, plan_year,
                                                               _folder(data_dir), _installed()))
