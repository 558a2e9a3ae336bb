"""e2e_user_flow: types three codes and a buy and a sell target that the prices cross; real-time
display shows quotes, thumbnails and just those two target cells coloured; a thumbnail's click
shows the year chart; "保存", "終了", a new start and "開く" bring back what was saved. --pages names
the quote pages the program reads (today's by default, or 2012's)."""

import re
from pathlib import Path

from e2e import Session, check, ink, wait_for

ROWS = [("7203", "トヨタ自動車"), ("6758", "ソニーグループ"), ("9984", "ソフトバンクグループ")]
BUY_TARGET, SELL_TARGET = "99999", "1"  # above and below any price of these stocks
NAMES = [(r, c) for r in (1, 2, 3) for c in (1, 2)]


def blank(shot, app, cells):
    return [c for c in cells if ink(shot, app.cell(*c)) <= 10]


with Session(__doc__, pages="today") as s:
    market = s.start_market("--seed", "2026", "--log")
    data = str(Path(s.work, "kabu"))
    dat = Path(data, "dat.txt")
    app = s.start_tickora(data, market.url, pages=s.args.pages)
    check(len(blank(s.shot("start"), app, NAMES)) == len(NAMES), "the grid is not empty at start")
    for cell, texts in ((1, 1), [c for c, _ in ROWS]), ((1, 10), [BUY_TARGET]), ((2, 11), [SELL_TARGET]):
        app.click(app.cell(*cell))
        for text in texts:
            app.type(text)
    shot = s.shot("typed")
    check(not blank(shot, app, NAMES) and len(blank(shot, app, [(4, 1), (4, 2)])) == 2,
          "rows 1 to 3 should show codes and names, row 4 nothing (%s)" % shot.path)

    app.click("リアルタイム表示")

    def refreshed():
        shot = s.screen()
        return not blank(shot, app, [(r, 3) for r in (1, 2, 3)]) and all(
            ink(shot, app.place("チャート %d" % (k + 1)), inset=3) > 500 for k in range(3))

    wait_for("quotes and thumbnails of the three rows", refreshed, 30, interval=0.25)
    shot = s.shot("realtime")
    green, red = (lambda p: p[1] >= 150 and p[0] <= 90 and p[2] <= 90), (lambda p: p[0] >= 150 and max(p[1:]) <= 90)
    for r, c, name, want in [(1, 10, "green", green), (2, 11, "red", red)] + [
            (r, c, "plain", lambda p: red(p) or green(p)) for r, c in ((1, 11), (2, 10), (3, 10), (3, 11))]:
        n = ink(shot, app.cell(r, c), want=want)
        check(n >= 5 if name != "plain" else n == 0, "cell %d,%d is not %s (%s)" % (r, c, name, shot.path))

    asked = Path(s.work, "market.log").read_text(errors="replace")
    quote_path = "GET /quote/7203.T" if s.args.pages == "today" else "GET /stocks/detail/?code=7203"
    check(quote_path in asked, "the quotes should come from %s (see market.log)" % quote_path)

    app.click("チャート 1")
    chart = wait_for("the year chart window", lambda: s.windows("^REAL CHART"), 15)[0]
    x, y, w, h = map(int, re.search(r"(\d+),(\d+) .*?(\d+)x(\d+)", s.xdo("getwindowgeometry", chart), re.S).groups())
    area = (x, y, w, h * 4335 // 5280)  # the picture box, above the name line
    wait_for("a chart in the year chart window", lambda: ink(s.screen(area), area, inset=8) > 500, 15, 0.25)
    s.xdo("windowmove", chart, 1200, 600)  # off the menus: no window manager here to stack the windows
    # The charts are drawn from price series: one day's series per code, no chart picture asked for.
    asked = Path(s.work, "market.log").read_text(errors="replace")
    for code, _ in ROWS:
        check(asked.count("GET /v8/finance/chart/%s.T?interval=5m&range=1d" % code) == 1,
              "the day's series of %s should be asked for once (see market.log)" % code)
    check(not re.search(r"GET /(f|t|b)\?s=|GET /gifdata/", asked), "a chart picture was downloaded (see market.log)")
    check(list(Path(data, "series").glob("7203.T-1y-*.json")), "the year series of 7203 should be kept in series/")

    app.save()
    saved = dat.read_bytes()
    lines = saved.decode("cp932").split("\r\n")
    check(len(lines) == 4 and lines[3] == "", "dat.txt should be three lines ending in CR LF: %r" % saved)
    for line, (code, name), targets in zip(lines, ROWS, ('"%s",""' % BUY_TARGET, '"","%s"' % SELL_TARGET, '"",""')):
        check(re.fullmatch(r'%s,"%s[^"]*","[\d,.]+"(,"[^"]*"){6},%s,"[^"]+"' % (code, name, targets), line),
              "dat.txt: the row of %s should hold its name, a price, the targets and a time: %r" % (code, line))
    app.quit()

    app = s.start_tickora(data, market.url, pages=s.args.pages)
    check(len(blank(s.shot("restarted"), app, NAMES)) == len(NAMES), "the grid is not empty after a restart")
    app.click("開く")
    shot = s.shot("opened")
    check(not blank(shot, app, NAMES + [(r, 3) for r in (1, 2, 3)] + [(1, 10), (2, 11)]),
          "the rows should show again after 開く (%s)" % shot.path)
    app.save()
    check(dat.read_bytes() == saved, "the rows saved after 開く differ from the ones saved before")
    app.quit()
