# SPDX-License-Identifier: GPL-3.0-or-later
"""Our reading of the workbooks saved by the office suite in this folder against the suite's own
CSV export of each sheet, cell for cell: the export made now when the suite is installed, else
the export kept beside each workbook. Then what we say of a workbook cut short and of an .xls
named .xlsx.

usage: python3 compare_fixtures.py STENCILOR_WORKBOOK_DUMP"""

import os
import shutil
import subprocess
import sys
import tempfile

import office

HERE = os.path.dirname(os.path.abspath(__file__))
# The sheets of each workbook: the name we are given (None: the first), the suite's name, and the
# number of the export kept for it.
SHEETS = [(None, "People", 1), ("Second sheet", "Second sheet", 2)]


def refusals(dump, work):
    """The files we must refuse, with the message we give: the differences, as lines."""
    with open(os.path.join(HERE, "people.xlsx"), "rb") as f:
        whole = f.read()
    cut = os.path.join(work, "cut.xlsx")
    with open(cut, "wb") as f:
        f.write(whole[: len(whole) // 2])
    cases = [
        (cut, "The workbook is damaged: it is not a complete zip archive"),
        (os.path.join(HERE, "xls-named.xlsx"),
         "The data file is an Excel 97-2003 workbook (.xls), which is not read; open it in the spreadsheet "
         "program and save it as an Excel Workbook (.xlsx)"),
    ]
    lines = []
    for path, message in cases:
        result = subprocess.run([dump, path], capture_output=True)
        said = result.stderr.decode(errors="replace").strip()
        if result.returncode != 2 or said != message:
            lines.append("%s: exit %d, %r, expected exit 2 and %r" % (os.path.basename(path), result.returncode,
                                                                      said, message))
    return lines


def main():
    dump = sys.argv[1]
    work = tempfile.mkdtemp()
    failures = []
    compared = 0
    try:
        suite = office.soffice()
        print("expected: " + ("the office suite's export now (%s)" % suite if suite else "the kept exports"))
        # Copies with names of their own, as the suite names its exports after the workbook.
        copies = {}
        for workbook in ("people.xlsx", "people.ods"):
            copies[workbook] = os.path.join(work, workbook.replace(".", "-") + os.path.splitext(workbook)[1])
            shutil.copy(os.path.join(HERE, workbook), copies[workbook])
        exports = office.export_csv(list(copies.values()), work) if suite else {}
        for workbook, path in copies.items():
            for sheet, name, number in SHEETS:
                if suite:
                    expected = exports[path].get(name, "")
                else:
                    with open(os.path.join(HERE, "%s.sheet%d.csv" % (workbook, number)), encoding="utf-8",
                              newline="") as f:
                        expected = f.read()
                label = "%s sheet %d" % (workbook, number)
                failures += office.differences(label, office.our_csv(dump, path, sheet), expected)
                compared += 1
        failures += refusals(dump, work)
    finally:
        shutil.rmtree(work)
    return office.report(failures, compared)


if __name__ == "__main__":
    office.main_guard(main)
