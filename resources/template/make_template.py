#!/usr/bin/python3
"""Writes "Hyetra Report.xltx", the report template, from the parts below.

The output is reproducible: fixed part order and fixed time stamps.
Run: /usr/bin/python3 resources/template/make_template.py [output path]
"""
import os
import sys
import zipfile

NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL_NS = "http://schemas.openxmlformats.org/package/2006/relationships"
HEAD = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'

CONTENT_TYPES = HEAD + (
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml"/>'
    '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
    '<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>'
    '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
    '<Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>'
    '<Override PartName="/docProps/app.xml" ContentType="application/vnd.openxmlformats-officedocument.extended-properties+xml"/>'
    '</Types>')

ROOT_RELS = HEAD + (
    f'<Relationships xmlns="{PKG_REL_NS}">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>'
    '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="docProps/core.xml"/>'
    '<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties" Target="docProps/app.xml"/>'
    '</Relationships>')

CORE = HEAD + (
    '<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" '
    'xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" '
    'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">'
    '<dc:title>Hyetra Rainfall Report</dc:title><dc:creator>Pluvatec</dc:creator>'
    '<dcterms:created xsi:type="dcterms:W3CDTF">2026-01-01T00:00:00Z</dcterms:created>'
    '</cp:coreProperties>')

APP = HEAD + (
    '<Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/extended-properties">'
    '<Application>Ombrex 2</Application><Template>Hyetra Report.xltx</Template></Properties>')

WORKBOOK = HEAD + (
    f'<workbook xmlns="{NS}" xmlns:r="{REL_NS}">'
    '<bookViews><workbookView activeTab="0"/></bookViews>'
    '<sheets><sheet name="Hyetra Report" sheetId="1" r:id="rId1"/></sheets>'
    '</workbook>')

WORKBOOK_RELS = HEAD + (
    f'<Relationships xmlns="{PKG_REL_NS}">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
    '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>'
    '<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>'
    '</Relationships>')

# Cell formats (cellXfs index): 0 plain, 1 title, 2 label, 3 column heading, 4 date and time,
# 5 date, 6 depth.
STYLES = HEAD + (
    f'<styleSheet xmlns="{NS}">'
    '<numFmts count="2">'
    '<numFmt numFmtId="164" formatCode="mm/dd/yy h:mm:ss AM/PM"/>'
    '<numFmt numFmtId="165" formatCode="mm/dd/yy"/>'
    '</numFmts>'
    '<fonts count="3">'
    '<font><sz val="10"/><name val="Arial"/><family val="2"/></font>'
    '<font><b/><sz val="14"/><name val="Arial"/><family val="2"/></font>'
    '<font><b/><sz val="10"/><name val="Arial"/><family val="2"/></font>'
    '</fonts>'
    '<fills count="2">'
    '<fill><patternFill patternType="none"/></fill>'
    '<fill><patternFill patternType="gray125"/></fill>'
    '</fills>'
    '<borders count="2">'
    '<border><left/><right/><top/><bottom/><diagonal/></border>'
    '<border><left/><right/><top/><bottom style="thin"><color auto="1"/></bottom><diagonal/></border>'
    '</borders>'
    '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
    '<cellXfs count="7">'
    '<xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>'
    '<xf numFmtId="0" fontId="1" fillId="0" borderId="0" xfId="0" applyFont="1"/>'
    '<xf numFmtId="0" fontId="2" fillId="0" borderId="0" xfId="0" applyFont="1"/>'
    '<xf numFmtId="0" fontId="2" fillId="0" borderId="1" xfId="0" applyFont="1" applyBorder="1"/>'
    '<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
    '<xf numFmtId="165" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
    '<xf numFmtId="2" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
    '</cellXfs>'
    '<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>'
    '</styleSheet>')

STRINGS = ["Hyetra Rainfall Report", "Logger:", "Collector:", "Date and Time", "Depth", "Remarks"]


def shared_strings():
    items = "".join(f"<si><t>{s}</t></si>" for s in STRINGS)
    return HEAD + f'<sst xmlns="{NS}" count="{len(STRINGS)}" uniqueCount="{len(STRINGS)}">{items}</sst>'


def text_cell(ref, text, style):
    return f'<c r="{ref}" s="{style}" t="s"><v>{STRINGS.index(text)}</v></c>'


# Rows 1 to 6: the title, room for the logger's name (B2) and the collector (B3), a blank
# row 4 and 5, and the column headings in row 6. The reports write from row 7 on.
SHEET = HEAD + (
    f'<worksheet xmlns="{NS}" xmlns:r="{REL_NS}">'
    '<dimension ref="A1:C6"/>'
    '<sheetViews><sheetView tabSelected="1" workbookViewId="0">'
    '<pane ySplit="6" topLeftCell="A7" activePane="bottomLeft" state="frozen"/>'
    '<selection pane="bottomLeft" activeCell="A7" sqref="A7"/>'
    '</sheetView></sheetViews>'
    '<sheetFormatPr defaultRowHeight="12.75"/>'
    '<cols>'
    '<col min="1" max="1" width="24.7109375" customWidth="1"/>'
    '<col min="2" max="2" width="12.7109375" customWidth="1"/>'
    '<col min="3" max="3" width="34.7109375" customWidth="1"/>'
    '</cols>'
    '<sheetData>'
    f'<row r="1" ht="18" customHeight="1">{text_cell("A1", "Hyetra Rainfall Report", 1)}</row>'
    f'<row r="2">{text_cell("A2", "Logger:", 2)}</row>'
    f'<row r="3">{text_cell("A3", "Collector:", 2)}</row>'
    '<row r="4"/>'
    '<row r="5"/>'
    f'<row r="6">{text_cell("A6", "Date and Time", 3)}{text_cell("B6", "Depth", 3)}'
    f'{text_cell("C6", "Remarks", 3)}</row>'
    '</sheetData>'
    '<pageMargins left="0.75" right="0.75" top="1" bottom="1" header="0.5" footer="0.5"/>'
    '</worksheet>')

PARTS = [
    ("[Content_Types].xml", CONTENT_TYPES),
    ("_rels/.rels", ROOT_RELS),
    ("docProps/core.xml", CORE),
    ("docProps/app.xml", APP),
    ("xl/workbook.xml", WORKBOOK),
    ("xl/_rels/workbook.xml.rels", WORKBOOK_RELS),
    ("xl/styles.xml", STYLES),
    ("xl/sharedStrings.xml", shared_strings()),
    ("xl/worksheets/sheet1.xml", SHEET),
]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "Hyetra Report.xltx")
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as package:
        for name, text in PARTS:
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            package.writestr(info, text.encode("utf-8"))


if __name__ == "__main__":
    main()
