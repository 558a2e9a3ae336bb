"""e2e_lettered_codes: "285a" typed into the code column becomes 285A with its name from the code
list, and real-time display reads its quote page and series; a code the program's list lacks but
the market serves is named from its quote page and kept in codes-added.csv; "保存" writes the
lettered code unquoted and "開く" brings the rows back byte for byte."""

import re
from pathlib import Path

from e2e import Session, check, ink, wait_for

CELLS = [(r, c) for r in (1, 2) for c in (1, 2)]

with Session(__doc__) as s:
    market = s.start_market("--seed", "2026", "--log")
    data = Path(s.work, "kabu")
    data.mkdir(parents=True, exist_ok=True)
    # The program's list lacks 9984, which the market lists.
    Path(data, "tousyou1.csv").write_bytes('285A,"キオクシアホールディングス"\r\n7203,"トヨタ自動車"\r\n'.encode("cp932"))
    added = Path(data, "codes-added.csv")
    app = s.start_tickora(str(data), market.url)
    app.click(app.cell(1, 1))
    app.type("285a")
    app.type("9984")
    wait_for("9984 named from its quote page", lambda: added.exists() and added.read_bytes(), 15)
    check(re.fullmatch(r'9984,"ソフトバンクグループ[^"]*"\r\n', added.read_bytes().decode("cp932")),
          "codes-added.csv should hold 9984 and its name: %r" % added.read_bytes())
    app.sync()
    shot = s.shot("typed")
    check(all(ink(shot, app.cell(*c)) > 10 for c in CELLS), "rows 1 and 2 should show codes and names (%s)" % shot.path)

    app.click("リアルタイム表示")
    wait_for("the quote of 285A", lambda: ink(s.screen(), app.cell(1, 3)) > 10, 30, interval=0.25)
    s.shot("realtime")
    asked = Path(s.work, "market.log").read_text(errors="replace")
    for wanted in ("GET /quote/285A.T", "GET /v8/finance/chart/285A.T?", "GET /quote/9984.T"):
        check(wanted in asked, "%s should have been asked for (see market.log)" % wanted)

    app.save()
    dat = Path(data, "dat.txt")
    saved = dat.read_bytes()
    lines = saved.decode("cp932").split("\r\n")
    check(lines[0].startswith('285A,"キオクシアホールディングス') and lines[1].startswith('9984,"ソフトバンクグループ'),
          "dat.txt should hold 285A and 9984 with their names: %r" % saved)
    app.click("リアルタイム停止")  # stop, so that 開く is not followed by a refresh writing new prices
    app.click("開く")
    app.save()
    check(dat.read_bytes() == saved, "the rows saved after 開く differ from the ones saved before")
    app.quit()
