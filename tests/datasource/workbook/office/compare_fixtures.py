"""Our reading of the workbooks saved by the office suite in this folder against the suite's own
CSV export of each sheet, cell for cell: the export made now when the suite is installed, else
the export kept beside each workbook.

usage: python3 compare_fixtures.py STENCILOR_WORKBOOK_DUMP"""

import os
import shutil
import sys
import tempfile

import office

HERE = os.path.dirname(os.path.abspath(__file__))
# The sheets of each workbook: the name we are given (None: the first), the suite's name, and the
# number of the export kept for it.
SHEETS = [(None, "People", 1), ("Second sheet", "Second sheet", 2)]


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
    finally:
        shutil.rmtree(work)
    return office.report(failures, compared)


if __name__ == "__main__":
    office.main_guard(main)
