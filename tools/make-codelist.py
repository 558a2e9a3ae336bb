#!/usr/bin/env python3
"""Builds the supplied code list tousyou1.csv (CP932, CR LF, lines `code,"name"`) from the
listed-companies table of July 2020, with the renames and delistings known since then."""
import csv
import sys

RENAMED = {
    1332: "ニッスイ",                        # 2022
    4004: "レゾナック・ホールディングス",      # 2023
    4188: "三菱ケミカルグループ",              # 2022
    4689: "ＬＩＮＥヤフー",                    # 2023
    6752: "パナソニック　ホールディングス",    # 2022
    6758: "ソニーグループ",                    # 2021
    7004: "カナデビア",                        # 2024
    8593: "三菱ＨＣキャピタル",                # 2021
    9432: "ＮＴＴ",                            # 2025
    9613: "ＮＴＴデータグループ",              # 2023
}
DELISTED = {3938, 4217, 6502, 8729, 9437}
# Listed again under an old code after the table was made.
ADDED = {8729: "ソニーフィナンシャルグループ"}  # 2025


def main(source, target):
    rows = {}
    with open(source, encoding="utf-8", newline="") as f:
        reader = csv.reader(f)
        next(reader)
        for code_text, name in reader:
            code = int(code_text)
            if code in DELISTED:
                continue
            rows[code] = RENAMED.get(code, name)
    rows.update(ADDED)
    with open(target, "wb") as out:
        for code in sorted(rows):
            out.write(f'{code},"{rows[code]}"\r\n'.encode("cp932"))
    print(f"{target}: {len(rows)} companies")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
