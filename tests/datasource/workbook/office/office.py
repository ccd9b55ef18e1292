# SPDX-License-Identifier: GPL-3.0-or-later
"""What the workbook comparisons share: the office suite's CSV export of a sheet, our reading of
the same sheet (stencilor_workbook_dump), and a cell-for-cell comparison of the two."""

import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile

# The suite's CSV export "as shown": comma, double quotes, UTF-8 (76), from line 1, no column
# types, standard language, quoted fields as text off, special numbers on, cell contents as shown
# on, formulas off, spaces kept, and every sheet (-1), each into a file "NAME-SHEET.csv".
CSV_FILTER = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1"


def soffice():
    """The office suite's program, or None when it is not installed."""
    return shutil.which("soffice") or shutil.which("libreoffice")


def run_soffice(arguments, work):
    """Runs the suite headless on a profile of its own (so that runs side by side do not meet)."""
    profile = os.path.join(work, "profile")
    subprocess.run([soffice(), "-env:UserInstallation=file://" + profile, "--headless"] + arguments,
                   cwd=work, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)


def convert(path, target, work):
    """The workbook at `path` saved by the suite as `target` ("xlsx" or "ods"), in `work`."""
    os.makedirs(work, exist_ok=True)
    run_soffice(["--convert-to", target, "--outdir", work, path], work)
    return os.path.join(work, os.path.splitext(os.path.basename(path))[0] + "." + target)


def export_csv(paths, work):
    """The suite's CSV export of every sheet of the workbooks `paths` (whose names must differ
    before their extensions), in one start of the suite: {path: {sheet name: CSV text}}."""
    out = tempfile.mkdtemp(dir=work)
    run_soffice(["--convert-to", CSV_FILTER, "--outdir", out] + list(paths), work)
    exports = {}
    for path in paths:
        base = os.path.splitext(os.path.basename(path))[0] + "-"
        exports[path] = {}
        for name in os.listdir(out):
            if name.startswith(base) and name.endswith(".csv"):
                with open(os.path.join(out, name), encoding="utf-8", newline="") as f:
                    exports[path][name[len(base):-4]] = f.read()
    return exports


def our_csv(dump, path, sheet=None):
    """Our reading of sheet `sheet` (None: the first) of the workbook `path`, as CSV text."""
    command = [dump, path] + ([sheet] if sheet else [])
    result = subprocess.run(command, capture_output=True)
    if result.returncode != 0:
        raise RuntimeError("%s failed: %s" % (" ".join(command), result.stderr.decode(errors="replace")))
    return result.stdout.decode("utf-8")


def rows_of(text):
    return list(csv.reader(io.StringIO(text, newline="")))


def differences(label, ours, expected):
    """The cells where our rows differ from the expected rows, as lines."""
    lines = []
    ours_rows, expected_rows = rows_of(ours), rows_of(expected)
    if len(ours_rows) != len(expected_rows):
        lines.append("%s: %d rows, expected %d" % (label, len(ours_rows), len(expected_rows)))
    for number, (mine, theirs) in enumerate(zip(ours_rows, expected_rows), start=1):
        if len(mine) != len(theirs):
            lines.append("%s row %d: %d cells, expected %d" % (label, number, len(mine), len(theirs)))
        for column, (a, b) in enumerate(zip(mine, theirs), start=1):
            if a != b:
                lines.append("%s row %d column %d: %r, expected %r" % (label, number, column, a, b))
    return lines


def report(failures, compared):
    """Prints the outcome; the exit status of the test."""
    for line in failures:
        print(line)
    print("%d sheets compared cell for cell, %d differences" % (compared, len(failures)))
    return 1 if failures else 0


def main_guard(function):
    try:
        sys.exit(function())
    except subprocess.CalledProcessError as error:
        print("the office suite failed: %s" % error)
        sys.exit(1)
