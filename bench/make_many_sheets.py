#!/usr/bin/python3
"""Writes a workbook of SHEETS small worksheets (a text, two numbers and a sum on each).
Usage: make_many_sheets.py SHEETS OUT.xlsx"""

import sys
import zipfile

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
RELS = "http://schemas.openxmlformats.org/package/2006/relationships"
DOC_RELS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
TYPE = "application/vnd.openxmlformats-officedocument.spreadsheetml"


def sheet_xml(number):
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            f'<worksheet xmlns="{MAIN}"><sheetData>'
            f'<row r="1"><c r="A1" t="inlineStr"><is><t>Sheet {number}</t></is></c></row>'
            f'<row r="2"><c r="A2"><v>{number}</v></c><c r="B2"><v>{number * 0.5}</v></c>'
            f'<c r="C2"><f>A2+B2</f><v>{number * 1.5}</v></c></row>'
            f'</sheetData></worksheet>')


def main(count, out):
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        overrides = "".join(
            f'<Override PartName="/xl/worksheets/sheet{i}.xml" ContentType="{TYPE}.worksheet+xml"/>'
            for i in range(1, count + 1))
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0" encoding="UTF-8"?>'
                   '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                   f'<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                   '<Default Extension="xml" ContentType="application/xml"/>'
                   f'<Override PartName="/xl/workbook.xml" ContentType="{TYPE}.sheet.main+xml"/>'
                   f'{overrides}</Types>')
        z.writestr("_rels/.rels",
                   f'<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="{RELS}">'
                   f'<Relationship Id="rId1" Type="{DOC_RELS}/officeDocument" Target="xl/workbook.xml"/>'
                   '</Relationships>')
        sheets = "".join(f'<sheet name="S{i}" sheetId="{i}" r:id="rId{i}"/>'
                         for i in range(1, count + 1))
        z.writestr("xl/workbook.xml",
                   f'<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="{MAIN}" '
                   f'xmlns:r="{DOC_RELS}"><sheets>{sheets}</sheets></workbook>')
        rels = "".join(f'<Relationship Id="rId{i}" Type="{DOC_RELS}/worksheet" '
                       f'Target="worksheets/sheet{i}.xml"/>' for i in range(1, count + 1))
        z.writestr("xl/_rels/workbook.xml.rels",
                   f'<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="{RELS}">'
                   f'{rels}</Relationships>')
        for i in range(1, count + 1):
            z.writestr(f"xl/worksheets/sheet{i}.xml", sheet_xml(i))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(int(sys.argv[1]), sys.argv[2])
