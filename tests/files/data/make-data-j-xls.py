#!/usr/bin/env python3
"""Writes data_j.xls, a tiny workbook of the 97-2003 form (BIFF8 in a compound file) laid out as
the exchange's list of listed issues: its header row and three issues, the codes of digits
alone stored as numbers (one packed small, as Excel does, one as a floating-point number) and the
lettered one as text.

    tests/files/data/make-data-j-xls.py tests/files/data/data_j.xls
"""
import struct
import sys

HEADER = ["日付", "コード", "銘柄名", "市場・商品区分"]
ROWS = [(20260531, 1301, "極洋", "プライム（内国株式）"),
        (20260531, "285A", "キオクシアホールディングス", "プライム（内国株式）"),
        (20260531, 25935, "伊藤園第１種優先株式", "プライム（内国株式）")]
SECTOR = 512
END, FREE, FATSECT = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD


def record(kind, body):
    return struct.pack("<HH", kind, len(body)) + body


def text(s, wide_count=True):
    data = s.encode("utf-16-le")
    count = struct.pack("<H", len(s)) if wide_count else struct.pack("<B", len(s))
    return count + b"\x01" + data


def cell(row, col, value):
    if isinstance(value, str):
        return record(0x0204, struct.pack("<HHH", row, col, 0) + text(value))  # LABEL
    if value < 10000:  # a small whole number as Excel packs it (RK), which FreeXL gives as an integer
        return record(0x027E, struct.pack("<HHHI", row, col, 0, (value << 2) | 2))
    return record(0x0203, struct.pack("<HHHd", row, col, 0, float(value)))  # NUMBER


def workbook():
    bof = lambda kind: record(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0x0DBB, 0x07CC, 0, 6))
    xf = record(0x00E0, struct.pack("<HHHBBBBIIH", 0, 0, 0xFFF5, 0x20, 0, 0, 0, 0, 0, 0x20C0))
    sheet_name = text("data_j", wide_count=False)
    head = bof(5) + record(0x0042, struct.pack("<H", 1200)) + xf * 16
    boundsheet_size = 4 + 6 + len(sheet_name)
    sheet_at = len(head) + boundsheet_size + 4
    globals_ = head + record(0x0085, struct.pack("<IBB", sheet_at, 0, 0) + sheet_name) + record(0x000A, b"")
    cells = b"".join(cell(0, c, h) for c, h in enumerate(HEADER))
    for r, row in enumerate(ROWS, start=1):
        cells += b"".join(cell(r, c, v) for c, v in enumerate(row))
    dims = record(0x0200, struct.pack("<IIHHH", 0, len(ROWS) + 1, 0, len(HEADER), 0))
    return globals_ + bof(0x10) + dims + cells + record(0x000A, b"")


def compound(stream):
    stream += b"\0" * (max(4096, -(-len(stream) // SECTOR) * SECTOR) - len(stream))  # no mini stream
    n = len(stream) // SECTOR
    fat = [FATSECT, END] + [3 + i for i in range(n - 1)] + [END]
    fat += [FREE] * (SECTOR // 4 - len(fat))

    def entry(name, kind, child, start, size):
        raw = (name + "\0").encode("utf-16-le") if name else b""
        return (raw.ljust(64, b"\0") + struct.pack("<HBBIII", len(raw), kind, 1, FREE, FREE, child)
                + b"\0" * 16 + b"\0" * 4 + b"\0" * 16 + struct.pack("<IIi", start, size, 0))

    directory = (entry("Root Entry", 5, 1, END, 0) + entry("Workbook", 2, FREE, 2, len(stream))
                 + entry("", 0, FREE, 0, 0) * 2)
    header = (bytes.fromhex("D0CF11E0A1B11AE1") + b"\0" * 16
              + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
              + struct.pack("<IIIIIIIII", 0, 1, 1, 0, 4096, END, 0, END, 0)
              + struct.pack("<I", 0) + struct.pack("<I", FREE) * 108)
    return header + struct.pack(f"<{SECTOR // 4}I", *fat) + directory + stream


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(compound(workbook()))
