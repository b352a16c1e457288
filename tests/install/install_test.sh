#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR under a prefix other than the configured one, checks
# the installed files and runs the installed programs from a folder without data files: they
# must find the installed data themselves.
# Usage: install_test.sh BUILD_DIR WINDOW (ON or OFF); ORVANE_SOURCE_DIR names the repository.
set -euo pipefail
build=$1
window=$2
source=${ORVANE_SOURCE_DIR:?ORVANE_SOURCE_DIR must name the repository}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage/root" cmake --install "$build" --prefix /opt/orvane >/dev/null
root="$stage/root/opt/orvane"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

for program in orvane-value orvane-tables; do
  [ -x "$root/bin/$program" ] || fail "bin/$program is not installed"
done
cmp "$root/share/orvane/MortalityTables" "$source/data/MortalityTables" ||
  fail "share/orvane/MortalityTables is not the shipped data file"
cmp "$root/share/orvane/Full Yield Curve.xls" "$source/data/Full Yield Curve.xls" ||
  fail "share/orvane/Full Yield Curve.xls is not the shipped workbook"
cmp "$root/share/orvane/417e Segment Rates.csv" "$source/data/417e Segment Rates.csv" ||
  fail "share/orvane/417e Segment Rates.csv is not the shipped segment rates file"
"$root/bin/orvane-tables" check "$root/share/orvane/MortalityTables" >/dev/null ||
  fail "orvane-tables check refuses the installed data file"

# From a folder without data: the installed data folder, the workbook included.
mkdir "$stage/elsewhere"
cd "$stage/elsewhere"
value=$("$root/bin/orvane-value") || fail "orvane-value failed away from the data"
[ "$value" = "145,922.71" ] || fail "orvane-value printed '$value', not 145,922.71"
curve=$("$root/bin/orvane-value" FullYieldCurve=1) || fail "the installed workbook was not found"
[ "$curve" != "$value" ] || fail "the full yield curve left the value at $value"
rates=$("$root/bin/orvane-value" --rates-of 2025-11) ||
  fail "the installed segment rates file was not found"
[ "$rates" != "$value" ] || fail "the segment rates of 2025-11 left the value at $value"
shown=$("$root/bin/orvane-tables" show 2026417e | sed -n 2p) || fail "orvane-tables show failed"
[ "$shown" = "1,0.000230" ] || fail "orvane-tables show 2026417e began '$shown', not the published 1,0.000230"
# The Python module, where the build has one, finds the same installed data.
if [ -d "$root/lib/python3/dist-packages/orvane" ]; then
  module=$(PYTHONPATH="$root/lib/python3/dist-packages" /usr/bin/python3 -c \
    'import orvane; print(f"{orvane.value():,.2f}")') || fail "the installed module failed"
  [ "$module" = "$value" ] || fail "orvane.value() gave '$module', not $value"
fi

# A current directory with a MortalityTables of its own comes first, even an unreadable one.
: >MortalityTables
if "$root/bin/orvane-value" >/dev/null 2>"$stage/stderr"; then
  fail "orvane-value ignored the current directory's MortalityTables"
fi
grep -q "Data File not available" "$stage/stderr" || fail "unexpected error: $(cat "$stage/stderr")"
rm MortalityTables

if [ "$window" = "ON" ]; then
  [ -x "$root/bin/orvane" ] || fail "bin/orvane is not installed"
  desktop="$root/share/applications/orvane.desktop"
  [ -f "$desktop" ] || fail "share/applications/orvane.desktop is not installed"
  for line in "[Desktop Entry]" "Type=Application" "Name=Orvane" "Exec=orvane" "Icon=orvane" \
    "Categories=Office;Finance;"; do
    grep -qxF "$line" "$desktop" || fail "orvane.desktop lacks the line $line"
  done
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate refuses orvane.desktop"
  fi
  icon="$root/share/icons/hicolor/32x32/apps/orvane.png"
  /usr/bin/python3 - "$icon" <<'PY' || fail "the icon is not a 32 x 32 PNG"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR"
assert struct.unpack(">II", data[16:24]) == (32, 32)
PY
  # Without its data the window would stop at the modal data-file question and never save the
  # picture; with them it opens and saves it.
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 timeout 60 "$root/bin/orvane" \
    --screenshot "$stage/window.png" || fail "the installed window did not open on its data"
  [ -s "$stage/window.png" ] || fail "the installed window saved no picture"
fi
echo "installed and found its data"
