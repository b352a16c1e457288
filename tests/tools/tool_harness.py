# What the scripts of tests/tools share: orvane-value's path (their first argument, from ctest,
# taken off the arguments on import so that unittest.main reads only its own), the shipped data
# folder, the names of the sensitivity figures in their order, and one run of the tool.
import os, subprocess, sys, tempfile
from pathlib import Path

DATA = Path(os.environ.get("ORVANE_SOURCE_DIR", Path(__file__).resolve().parents[2])) / "data"
TOOL = os.path.abspath(sys.argv.pop(1))
FIGURES = ["Duration", "Convexity", "DV01", "Duration1", "Duration2", "Duration3", "DurationPost"]


# (exit status, stdout, stderr); bytes in the arguments pass through as a shell passes them.
def run(*args, cwd=DATA, stderr=subprocess.PIPE, timeout=300):
    done = subprocess.run([TOOL, *args], cwd=cwd, stdout=subprocess.PIPE, stderr=stderr,
                          encoding="utf-8", errors="surrogateescape", timeout=timeout)
    return done.returncode, done.stdout, done.stderr


# What a malformed command line prints on stderr, before the rest of the usage.
def usage_error(message):
    return f"orvane-value: {message}\nusage: orvane-value "


# orvane-value --census on `text` written to in.csv in `folder` (by default a folder of its own).
def census(text, *args, folder=None, **options):
    with tempfile.TemporaryDirectory() as own:
        path = Path(folder or own, "in.csv")
        path.write_text(text)
        return run("--census", str(path), *args, **options)
