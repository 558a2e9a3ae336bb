"""e2e_service: real-time display (2-second tick) against the simulated market. The window title
and, in red, the status line say "模擬相場". A 429 with Retry-After on the quote pages stops every
quote request until then: no box, the rows keep their quotes, the status line says so; after it
the quotes come again."""

import time
from pathlib import Path

from e2e import Session, check, encode_watch_list, ink, set_fault, wait_for

TICK, HOLD = 2.0, 7
ROWS = [["7203", "トヨタ自動車"], ["6758", "ソニーグループ"], ["9984", "ソフトバンクグループ"]]


def quote_lines(log):
    return [line for line in log.read_text(errors="replace").splitlines() if line.startswith("GET /quote/")]


with Session(__doc__) as s:
    market = s.start_market("--seed", "2026", "--log")
    log = Path(s.work, "market.log")
    dat = Path(s.work, "kabu", "dat.txt")
    dat.parent.mkdir()
    dat.write_bytes(encode_watch_list(ROWS))
    app = s.start_tickora(str(dat.parent), market.url, tick_ms=int(TICK * 1000))
    app.click("menu11")
    app.click("menu3")

    def prices():
        image = s.x.get_image()
        return sum(ink(image, app.ui["cell_%d_3" % r]) > 10 for r in (1, 2, 3))

    wait_for("quotes in rows 1 to 3", lambda: prices() == 3, 30)
    check(s.windows("^Tickora（模擬相場）$"), "the window title should say 模擬相場")
    red = lambda p: p[0] >= 150 and max(p[1:]) <= 90  # noqa: E731
    wait_for("the simulated-market mark in the UI map", lambda: "simulatedMark" in (app._read_map(app.map_path) or {}), 5)
    app.ui = app._read_map(app.map_path)
    shot = s.shot("marked")
    check(ink(shot, app.ui["simulatedMark"], want=red) >= 20, "模擬相場 is not red in the status line (%s)" % shot.path)
    line_before = ink(shot, app.ui["statusLine"])

    set_fault(market.url, "status:429:%d" % HOLD, "/quote/")
    began = time.monotonic()
    wait_for("a 429 answer", lambda: any(line.endswith("-> 429") for line in quote_lines(log)), TICK + 5, 0.05)
    held = time.monotonic()
    time.sleep(1.0)  # the requests of that tick were sent together; their answers are in by now
    asked = len(quote_lines(log))
    shot = s.shot("held")
    check(ink(shot, app.ui["statusLine"]) > line_before + 20, "the status line says nothing of the hold (%s)" % shot.path)
    while time.monotonic() < held + HOLD - 2:
        check(len(quote_lines(log)) == asked, "a quote page was asked for during the hold")
        check(not app.boxes("Error!"), "a failure box opened for the hold")
        check(prices() == 3, "the rows lost their quotes during the hold")
        time.sleep(0.2)
    set_fault(market.url, "none")
    wait_for("quote requests after the hold", lambda: any(line.endswith("-> 200") for line in quote_lines(log)[asked:]),
             HOLD + 2 * TICK + 3, 0.1)
    check(not app.boxes("Error!") and prices() == 3, "the quotes did not come back after the hold")
    print("hold seen %.1f s after the fault, %d quote requests before it ended" % (held - began, asked))
    app.quit()
