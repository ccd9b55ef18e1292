# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the workbooks of this folder: a sheet of the kinds of cells users keep (dates, times,
percent, currency and thousands formats, booleans, formulas, merged cells, rich text, empty cells
and rows) written with python3-openpyxl, then opened and saved by the office suite as .xlsx and
.ods, with the suite's CSV export of each sheet beside them (what compare_fixtures.py expects when
the suite is not installed); and the same saved as an Excel 97-2003 .xls, named .xlsx.

usage: python3 make_fixtures.py   (needs python3-openpyxl and the office suite; writes into this folder)"""

import datetime
import os
import shutil
import tempfile
import zipfile

import openpyxl

import office

HERE = os.path.dirname(os.path.abspath(__file__))


def base_workbook(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "People"
    ws.append(["Name", "Born", "Starts", "Share", "Price", "Amount", "Member", "Total", "Note"])
    rows = [
        ["Ann Smith", datetime.date(1985, 3, 14), datetime.time(8, 30), 0.125, 1234.5, 1234567.891, True,
         "=E2*2", "RICHTEXT"],
        ["Bob", datetime.datetime(2024, 1, 11, 18, 0), datetime.time(23, 59, 59), 1, -42.5, 0, False,
         "=SUM(E2:E3)", "line one\nline two"],
        [],
        ["Chloë Ünal", datetime.date(2001, 12, 31), 0.5, 0.0005, 1000000, 1234.5678, None,
         '=IF(G2,"yes","no")', '"quoted", with a comma'],
    ]
    formats = [None, "yyyy-mm-dd", "hh:mm", "0.00%", '"$"#,##0.00', "#,##0", None, "#,##0.00", None]
    formats_bob = [None, "dd.mm.yyyy hh:mm", "h:mm:ss AM/PM", "0%", '"$"#,##0.00_);[Red]("$"#,##0.00)', "#,##0",
                   None, "#,##0.00", None]
    formats_chloe = [None, "d-mmm-yy", "[h]:mm", "0.0%", "[$€-407] #,##0.00;-[$€-407] #,##0.00", "0.00E+00",
                     None, None, None]
    for row, fmts in zip(rows, [formats, formats_bob, None, formats_chloe]):
        ws.append(row)
        if fmts:
            for column, fmt in enumerate(fmts, start=1):
                if fmt:
                    ws.cell(row=ws.max_row, column=column).number_format = fmt
    ws["A6"] = "Merged title"
    ws.merge_cells("A6:C6")
    ws["D6"] = 3.14159
    ws["A7"] = None
    ws["B7"].number_format = "0.00"
    for column, value in enumerate([1 / 3, 1e20, 1e-7, 123456789012, -0.5, 2.675, 45302.25], start=1):
        ws.cell(row=8, column=column, value=value)
    ws.cell(row=8, column=6).number_format = "0.00"
    ws.cell(row=8, column=7).number_format = "m/d/yyyy h:mm"
    ws["A10"].number_format = "0.00"
    second = wb.create_sheet("Second sheet")
    second.append(["Code", "Amount"])
    second.append(["x-1", 12.5])
    second.append(["x-2", -3])
    wb.save(path)
    # A rich text cell: runs of different fonts, which openpyxl cannot write itself.
    work = path + ".parts"
    with zipfile.ZipFile(path) as z:
        z.extractall(work)
    sheet = os.path.join(work, "xl", "worksheets", "sheet1.xml")
    with open(sheet, encoding="utf-8") as f:
        xml = f.read()
    rich = ('<is><r><rPr><b/></rPr><t>Bold</t></r><r><t xml:space="preserve"> and </t></r>'
            '<r><rPr><i/></rPr><t>italic</t></r></is>')
    xml = xml.replace("<is><t>RICHTEXT</t></is>", rich)
    with open(sheet, "w", encoding="utf-8") as f:
        f.write(xml)
    os.remove(path)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for folder, _, files in os.walk(work):
            for name in files:
                full = os.path.join(folder, name)
                z.write(full, os.path.relpath(full, work))
    shutil.rmtree(work)


def main():
    work = tempfile.mkdtemp()
    try:
        base = os.path.join(work, "people.xlsx")
        base_workbook(base)
        for target in ("xlsx", "ods"):
            made = os.path.join(work, "made")
            os.makedirs(made, exist_ok=True)
            saved = office.convert(base, target, made)
            shutil.copy(saved, os.path.join(HERE, "people." + target))
            sheets = office.export_csv([saved], work)[saved]
            for number, name in ((1, "People"), (2, "Second sheet")):
                with open(os.path.join(HERE, "people.%s.sheet%d.csv" % (target, number)), "w",
                          encoding="utf-8", newline="") as f:
                    f.write(sheets[name])
        made = os.path.join(work, "made")
        shutil.copy(office.convert(base, "xls", made), os.path.join(HERE, "xls-named.xlsx"))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
