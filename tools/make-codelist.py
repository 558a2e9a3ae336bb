#!/usr/bin/env python3
"""Builds the supplied code list tousyou1.csv (CP932, CR LF, lines `code,"name"`) from the
exchange's list of listed issues saved as CSV (UTF-8, with or without a byte-order mark, its
header naming the columns コード and 銘柄名), in the exchange's order.

A name is stored as the program stores a watch-list cell: the characters Qt's Shift_JIS tables
lack but CP932 holds at another code point are written in their CP932 forms, every other character
CP932 cannot hold as "?", and a double quote (which would end the name) in its full-width form.

    tools/make-codelist.py ../shared/data/jpx-listed-2026-05-31.csv src/platform/supplied/tousyou1.csv
"""
import csv
import sys

CP932_FORMS = str.maketrans({"\u301c": "\uff5e", "\u2212": "\uff0d", "\u2016": "\u2225",
                             "\u00ac": "\uffe2", "\u00a5": "\uffe5", '"': "\uff02",
                             "\r": " ", "\n": " "})


def storable(name):
    out = []
    for ch in name.translate(CP932_FORMS):
        try:
            ch.encode("cp932")
            out.append(ch)
        except UnicodeEncodeError:
            out.append("?")
    return "".join(out)


def main(source, target):
    with open(source, encoding="utf-8-sig", newline="") as f:
        reader = csv.reader(f)
        header = next(reader)
        code_at, name_at = header.index("コード"), header.index("銘柄名")
        rows = [(row[code_at].strip(), row[name_at]) for row in reader if len(row) > name_at]
    with open(target, "wb") as out:
        for code, name in rows:
            out.write(f'{code},"{storable(name)}"\r\n'.encode("cp932"))
    lettered = sum(1 for code, _ in rows if not code.isdigit())
    print(f"{target}: {len(rows)} issues, {lettered} of them with a letter in the code")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
