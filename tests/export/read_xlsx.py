#!/usr/bin/python3
"""Reads a workbook with openpyxl and prints what the tests check, as JSON.

Usage: read_xlsx.py <file> [rows]   (default: every row up to the sheet's last one)
"""
import datetime
import json
import sys
import zipfile

import openpyxl


def describe(cell):
    value = cell.value
    if value is None:
        kind, text = "empty", None
    elif isinstance(value, datetime.datetime):
        kind, text = "date", value.isoformat()
    elif isinstance(value, (int, float)):
        kind, text = "number", repr(value)
    else:
        kind, text = "text", str(value)
    color = None
    if cell.font is not None and cell.font.color is not None and cell.font.color.type == "rgb":
        color = cell.font.color.rgb
    return {"t": kind, "v": text, "fmt": cell.number_format, "color": color,
            "bold": bool(cell.font is not None and cell.font.b)}


def main():
    path = sys.argv[1]
    with zipfile.ZipFile(path) as package:
        types = package.read("[Content_Types].xml").decode("utf-8")
    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    last = int(sys.argv[2]) if len(sys.argv) > 2 else sheet.max_row
    rows = [[describe(sheet.cell(row=r, column=c)) for c in range(1, 4)]
            for r in range(1, last + 1)]
    widths = {k: sheet.column_dimensions[k].width for k in "ABC"}
    print(json.dumps({"rows": rows, "max_row": sheet.max_row, "widths": widths,
                      "workbook_type": "spreadsheetml.sheet.main+xml" in types,
                      "template_type": "spreadsheetml.template.main+xml" in types}))


if __name__ == "__main__":
    main()
