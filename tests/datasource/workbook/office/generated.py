# SPDX-License-Identifier: GPL-3.0-or-later
"""Workbooks written by python3-openpyxl (.xlsx) and python3-odf (.ods) with known cells, read by
us and compared cell for cell with what each cell must show; where the office suite is installed,
its own CSV export of the same sheets is held against the same expectations, so that they are
what the suite shows. A sheet of 100,000 rows is read whole.

usage: python3 generated.py STENCILOR_WORKBOOK_DUMP"""

import csv
import datetime
import io
import os
import shutil
import sys
import tempfile

import openpyxl
from odf.office import Annotation
from odf.opendocument import OpenDocumentSpreadsheet
from odf.table import CoveredTableCell, Table, TableCell, TableRow
from odf.text import P, S, Span

import office

# (format code, value, what the suite shows), each a row of formats.xlsx.
FORMATS = [
    ("General", 1234567.891, "1234567.891"),
    ("General", 1 / 3, "0.333333333333333"),
    ("General", 1e20, "1E+020"),
    ("General", 1.234e-11, "1.234E-11"),
    ("General", 0.00001, "0.00001"),
    ("General", 1234567890123456.8, "1234567890123457"),
    ("0", -0.4, "0"),
    ("0.00", 1.005, "1.01"),
    ("0.00", 2.675, "2.68"),
    ("#,##0", 1234567.891, "1,234,568"),
    ("#,##0.00", -1234.5678, "-1,234.57"),
    ("#,##0,", 1234567, "1,235"),
    ("0%", 0.125, "13%"),
    ("0.00%", 0.125, "12.50%"),
    ("0.00E+00", 1234.5678, "1.23E+03"),
    ("##0.0E+0", 0.125, "125.0E-3"),
    ('"$"#,##0.00_);("$"#,##0.00)', -1234.5678, "($1,234.57)"),
    ('"$"#,##0.00_);("$"#,##0.00)', 1234.5678, "$1,234.57 "),
    ('_(* #,##0_);_(* \\(#,##0\\);_(* "-"_);_(@_)', 0, " - "),
    ("[$€-407] #,##0.00;[RED]-[$€-407] #,##0.00", -5.5, "-€ 5.50"),
    ('0;-0;"zero"', 0, "zero"),
    ('"Total: "0.0', 12.34, "Total: 12.3"),
    ("000-00-0000", 123456789, "123-45-6789"),
    ("yyyy-mm-dd", 45302, "2024-01-11"),
    ("dd.mm.yyyy hh:mm", 45302.75, "11.01.2024 18:00"),
    ("d-mmm-yy", 45302, "11-Jan-24"),
    ("dddd, mmmm d, yyyy", 45302, "Thursday, January 11, 2024"),
    ("mm-dd-yy", 45302, "1/11/2024"),  # built-in 14, the short date of the locale (English here)
    ("h:mm AM/PM", 45302.5678, "1:37 PM"),
    ("h:mm:ss", 0.432199074074074, "10:22:22"),
    ("h:mm:ss", 0.999999, "23:59:59"),
    ("yyyy-mm-dd hh:mm:ss", 45302.999995, "2024-01-12 00:00:00"),
    ("[h]:mm:ss", 1234.5678, "29629:37:38"),
    ("[mm]:ss", 0.5, "720:00"),
    ("mm:ss.0", 0.5000057, "00:00.5"),
    ("@", "text", "text"),
    ('"Name: "@', "Ann", "Name: Ann"),
]


def formats_workbook(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Formats"
    for code, value, shown in FORMATS:
        ws.append([code, value, shown])
        ws.cell(row=ws.max_row, column=2).number_format = code
    ws.append(["booleans", True, "TRUE"])
    ws.append(["", False, "FALSE"])
    ws.append(["line breaks", "one\ntwo", "one\ntwo"])
    wb.save(path)


def check_formats(csv_text, label):
    """The cells of column B that differ from column C, as lines."""
    lines = []
    for number, row in enumerate(office.rows_of(csv_text), start=1):
        if len(row) < 3 or row[1] != row[2]:
            lines.append("%s row %d: %r" % (label, number, row))
    return lines


def cells_workbook(path):
    """An .ods of paragraphs, spaces, spans, notes, repeats and merged cells, with what each row
    shows."""
    doc = OpenDocumentSpreadsheet()
    table = Table(name="Cells")

    def cell(*paragraphs, **attributes):
        c = TableCell(**attributes)
        for p in paragraphs:
            c.addElement(p)
        return c

    spaced = P(text="a")
    spaced.addElement(S(c=3))
    spaced.addText("b")
    spanned = P(text="plain ")
    spanned.addElement(Span(text="span"))
    noted = cell(P(text="with a note"))
    note = Annotation()
    note.addElement(P(text="the note"))
    noted.insertBefore(note, noted.firstChild)

    rows = [
        ([cell(P(text="first"), P(text="second")), cell(spaced), cell(spanned), noted], ["first\nsecond", "a   b", "plain span", "with a note"]),
        ([cell(P(text="3.5"), valuetype="float", value="3.5"), cell(P(text="x"), numbercolumnsrepeated=2)], ["3.5", "x", "x", ""]),
        ([], ["", "", "", ""]),
        ([cell(P(text="merged"), numbercolumnsspanned=2), CoveredTableCell(), cell(P(text="after"))], ["merged", "", "after", ""]),
    ]
    for cells, _ in rows:
        row = TableRow()
        for c in cells:
            row.addElement(c)
        table.addElement(row)
    repeated = TableRow(numberrowsrepeated=2)
    repeated.addElement(cell(P(text="again")))
    table.addElement(repeated)
    trailing = TableRow(numberrowsrepeated=1000)
    trailing.addElement(TableCell(numbercolumnsrepeated=20))
    table.addElement(trailing)
    doc.spreadsheet.addElement(table)
    doc.save(path)
    return [shown for _, shown in rows] + [["again", "", "", ""]] * 2


LARGE_ROWS = 100000


def large_workbook(path):
    """100,000 rows of numbers, names, dates, amounts and shares, and what each row shows."""
    wb = openpyxl.Workbook(write_only=True)
    ws = wb.create_sheet("Large")
    formats = [None, None, "yyyy-mm-dd", "#,##0.00", "0.0%"]
    expected = []
    start = datetime.date(2000, 1, 1)
    for i in range(1, LARGE_ROWS + 1):
        day = start + datetime.timedelta(days=i % 9000)
        values = [i, "name %d" % i, day, i * 1000.25, (i % 1000) / 1000]
        cells = []
        for value, fmt in zip(values, formats):
            c = openpyxl.cell.WriteOnlyCell(ws, value=value)
            if fmt:
                c.number_format = fmt
            cells.append(c)
        ws.append(cells)
        expected.append([str(i), "name %d" % i, day.isoformat(), "{:,.2f}".format(i * 1000.25),
                         "{:.1f}%".format((i % 1000) / 10)])
    wb.save(path)
    return expected


def csv_of(rows):
    out = io.StringIO(newline="")
    csv.writer(out, lineterminator="\n").writerows(rows)
    return out.getvalue()


def main():
    dump = sys.argv[1]
    work = tempfile.mkdtemp()
    suite = office.soffice()
    failures = []
    compared = 0
    try:
        formats = os.path.join(work, "formats.xlsx")
        formats_workbook(formats)
        failures += check_formats(office.our_csv(dump, formats), "formats.xlsx (ours)")
        compared += 1

        cells = os.path.join(work, "cells.ods")
        expected_cells = csv_of(cells_workbook(cells))
        failures += office.differences("cells.ods (ours)", office.our_csv(dump, cells), expected_cells)
        compared += 1

        large = os.path.join(work, "large.xlsx")
        expected_large = csv_of(large_workbook(large))
        failures += office.differences("large.xlsx (ours)", office.our_csv(dump, large), expected_large)
        compared += 1

        if suite:
            # The expectations are what the suite shows, and the suite's .ods of the large sheet
            # reads as its .xlsx does.
            exports = office.export_csv([formats, cells], work)
            failures += check_formats(exports[formats]["Formats"], "formats.xlsx (suite)")
            failures += office.differences("cells.ods (suite)", exports[cells]["Cells"], expected_cells)
            large_ods = office.convert(large, "ods", os.path.join(work, "converted"))
            failures += office.differences("large.ods (ours)", office.our_csv(dump, large_ods), expected_large)
            compared += 3
        else:
            print("the office suite is not installed: the expectations are not held against its export")
    finally:
        shutil.rmtree(work)
    return office.report(failures, compared)


if __name__ == "__main__":
    office.main_guard(main)
