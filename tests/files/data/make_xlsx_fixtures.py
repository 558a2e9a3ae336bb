#!/usr/bin/python3
"""Writes the workbook fixtures of the import tests, shaped as the exchange publishes its list of
listed issues (data_j.xlsx: one sheet, the header row, then one row per issue; codes of digits
alone stored as numbers, lettered codes as text):

    data_j.xlsx         the header and three issues (1301 and 25935 as numbers, 285A as text)
    data_j-damaged.xlsx the same workbook with the sheet's compressed bytes overwritten midway
    data_j-bomb.xlsx    a sheet that inflates to 128 MB of blanks from about 130 KB
    data_j-lying.xlsx   the bomb, its archive claiming the sheet inflates to 2,000 bytes

    tests/files/data/make_xlsx_fixtures.py tests/files/data

Needs python3-openpyxl. The output depends only on this script (fixed dates inside the archive).
"""
import io
import re
import struct
import sys
import zipfile
from pathlib import Path

import openpyxl

HEADER = ["日付", "コード", "銘柄名", "市場・商品区分", "33業種コード", "33業種区分",
          "17業種コード", "17業種区分", "規模コード", "規模区分"]
ROWS = [
    (20260531, 1301, "極洋", "プライム（内国株式）", 50, "水産・農林業", 1, "食品", 7, "TOPIX Small 2"),
    (20260531, "285A", "キオクシアホールディングス", "プライム（内国株式）", 3650, "電気機器", 9,
     "電機・精密", 4, "TOPIX Mid400"),
    (20260531, 25935, "伊藤園第１種優先株式", "プライム（内国株式）", "-", "-", "-", "-", "-", "-"),
]
SHEET = "xl/worksheets/sheet1.xml"
FIXED_DATE = (2026, 5, 31, 0, 0, 0)


def shared_strings(parts):
    """Moves the sheet's inline strings into a shared-strings part, as Excel (and the exchange's
    file) stores text; openpyxl writes text inline."""
    strings = []

    def share(match):
        text = match.group(2)
        if text not in strings:
            strings.append(text)
        return '<c r="%s" t="s"><v>%d</v></c>' % (match.group(1), strings.index(text))

    sheet = parts[SHEET].decode()
    sheet = re.sub(r'<c r="([A-Z]+[0-9]+)" t="inlineStr"><is><t>(.*?)</t></is></c>', share, sheet)
    parts[SHEET] = sheet.encode()
    items = "".join("<si><t>%s</t></si>" % t for t in strings)
    parts["xl/sharedStrings.xml"] = (
        '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="%d" uniqueCount="%d">'
        "%s</sst>" % (len(strings), len(strings), items)).encode()
    rels = "xl/_rels/workbook.xml.rels"
    parts[rels] = parts[rels].replace(b"</Relationships>", (
        '<Relationship Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
        'sharedStrings" Target="sharedStrings.xml" Id="rId9"/></Relationships>').encode())
    types = "[Content_Types].xml"
    parts[types] = parts[types].replace(b"</Types>", (
        '<Override PartName="/xl/sharedStrings.xml" ContentType="application/'
        'vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>').encode())


def normalised(data):
    """The archive with its text in shared strings, rewritten with fixed dates and in a fixed
    order, so the file is reproducible."""
    source = zipfile.ZipFile(io.BytesIO(data))
    parts = {info.filename: source.read(info.filename) for info in source.infolist()}
    shared_strings(parts)
    core = "docProps/core.xml"
    parts[core] = re.sub(rb"(<dcterms:(created|modified)[^>]*>)[^<]*", rb"\g<1>2026-05-31T00:00:00Z", parts[core])
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as target:
        for name in sorted(parts):
            fixed = zipfile.ZipInfo(name, FIXED_DATE)
            fixed.compress_type = zipfile.ZIP_DEFLATED
            target.writestr(fixed, parts[name])
    return out.getvalue()


def workbook():
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Sheet1"
    sheet.append(HEADER)
    for row in ROWS:
        sheet.append(list(row))
    buffer = io.BytesIO()
    book.save(buffer)
    return normalised(buffer.getvalue())


def local_header_at(data, name):
    """Offset of the local header of `name` and the offset of its compressed bytes."""
    at = 0
    while True:
        at = data.index(b"PK\x03\x04", at)
        name_len, extra_len = struct.unpack_from("<HH", data, at + 26)
        if data[at + 30:at + 30 + name_len] == name.encode():
            return at, at + 30 + name_len + extra_len
        at += 4


def damaged(data):
    """The sheet's compressed bytes overwritten in their middle."""
    data = bytearray(data)
    header, start = local_header_at(bytes(data), SHEET)
    size = struct.unpack_from("<I", data, header + 18)[0]
    middle = start + size // 2
    data[middle:middle + 16] = b"\xff" * 16
    return bytes(data)


def bomb():
    """A workbook whose sheet inflates to 128 MB: the header row, then blanks."""
    book = zipfile.ZipFile(io.BytesIO(workbook()))
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as target:
        for info in book.infolist():
            fixed = zipfile.ZipInfo(info.filename, FIXED_DATE)
            fixed.compress_type = zipfile.ZIP_DEFLATED
            if info.filename != SHEET:
                target.writestr(fixed, book.read(info.filename))
                continue
            sheet = book.read(SHEET)
            cut = sheet.index(b"</sheetData>")
            with target.open(fixed, "w") as part:
                part.write(sheet[:cut])
                blanks = b" " * (1 << 20)
                for _ in range(128):
                    part.write(blanks)
                part.write(sheet[cut:])
    return out.getvalue()


def lying(data, claimed=2000):
    """The archive's local header and directory both claim the sheet inflates to `claimed` bytes."""
    data = bytearray(data)
    name = SHEET.encode()
    header, _ = local_header_at(bytes(data), SHEET)
    struct.pack_into("<I", data, header + 22, claimed)
    at = data.index(b"PK\x01\x02")
    while True:
        name_len = struct.unpack_from("<H", data, at + 28)[0]
        if data[at + 46:at + 46 + name_len] == name:
            struct.pack_into("<I", data, at + 24, claimed)
            return bytes(data)
        at = data.index(b"PK\x01\x02", at + 4)


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    good = workbook()
    big = bomb()
    (folder / "data_j.xlsx").write_bytes(good)
    (folder / "data_j-damaged.xlsx").write_bytes(damaged(good))
    (folder / "data_j-bomb.xlsx").write_bytes(big)
    (folder / "data_j-lying.xlsx").write_bytes(lying(big))


if __name__ == "__main__":
    main()
