"""e2e_faults: real-time display (2-second tick) against a market that fails, one way per failure
path: HTTP 500, no answer (the time-out), a reset mid-body, a garbage body, the market down. The
fault shows (an "Error!" box; for garbage, pages that no reader can read and no series either, the
status line's word while the quote cells keep what they showed), never two boxes at once; once it
is off and the boxes answered, fresh quotes come within a tick and no failure follows."""

import time
from pathlib import Path

from e2e import Session, check, encode_watch_list, ink, set_fault, wait_for

TICK, HTTP_TIMEOUT = 2.0, 15.0  # HTTP_TIMEOUT: the program's transfer time-out
ROWS = [["7203", "トヨタ自動車"], ["6758", "ソニーグループ"], ["9984", "ソフトバンクグループ"]]

with Session(__doc__, only="status:500,hang,reset,garbage,down") as s:  # down: the market is not running
    market = s.start_market("--seed", "2026")
    dat = Path(s.work, "kabu", "dat.txt")
    dat.parent.mkdir()
    dat.write_bytes(encode_watch_list(ROWS))
    app = s.start_tickora(str(dat.parent), market.url, tick_ms=int(TICK * 1000))
    r1, r3 = app.cell(1, 2), app.cell(3, 9)
    region = (r1[0], r1[1], r3[0] + r3[2] - r1[0], r3[1] + r3[3] - r1[1])

    def quotes():
        """The quote cells of rows 1 to 3 as pixels, and how many price cells show a price."""
        image = s.screen(region)
        return image.data, sum(ink(image, app.cell(r, 3)) > 10 for r in (1, 2, 3))

    def status():
        """The status line as pixels."""
        return s.screen(app.place("ステータス行")).data

    def boxes():
        open_now = app.boxes("Error!")
        check(len(open_now) <= 1, "%d failure boxes open at once" % len(open_now))
        return open_now

    def answer_boxes(after):
        for box in boxes():
            time.sleep(after)  # a user reads it first
            app.answer(box)
            return True

    app.click("開く")
    app.click("リアルタイム表示")
    wait_for("quotes in rows 1 to 3", lambda: (boxes(), quotes()[1] == 3)[1], 30)
    for mode in s.args.only.split(","):
        began, before = time.monotonic(), quotes()[0]
        if mode == "down":
            market.kill()
            market.wait()
        else:
            set_fault(market.url, mode)
        said = status()
        shows = (lambda: status() != said and quotes()[1] == 3 and not boxes()) if mode == "garbage" else boxes
        wait_for("the %s fault to show" % mode, shows, TICK + (HTTP_TIMEOUT if mode == "hang" else 0) + 8, 0.1)
        shown, until = time.monotonic() - began, time.monotonic() + 3 * TICK
        while mode != "hang" and time.monotonic() < until:  # the fault goes on for a few ticks
            answer_boxes(0.5)
            time.sleep(0.1)
        check(mode != "garbage" or (quotes()[1] == 3 and not boxes()), "the garbage pages emptied the rows")

        if mode == "down":
            market = s.start_market("--seed", "2026", port=market.port)
        else:
            set_fault(market.url, "none")
        ended, late, deadline, last = time.monotonic(), 0, time.monotonic() + TICK + 2, quotes()[0]
        while True:  # requests made during the fault may still fail: a box open and two more
            if answer_boxes(0.2):
                late, deadline = late + 1, time.monotonic() + TICK + 2
                check(late <= 3, "%s: %d failure boxes after the fault ended" % (mode, late))
            data, prices = quotes()
            if prices == 3 and data != last and data != before:
                break
            check(time.monotonic() < deadline, "%s: no fresh quotes a tick after the last box" % mode)
            time.sleep(0.1)
        recovered, fresh, until = time.monotonic() - ended, 0, time.monotonic() + 2 * TICK + 1.5
        while time.monotonic() < until:  # and it stays well
            seen, prices = quotes()
            check(not boxes() and prices == 3, "%s: a failure box or no quotes after the recovery" % mode)
            fresh, data = fresh + (seen != data), seen
            time.sleep(0.1)
        check(fresh >= 1, "%s: the quotes stopped changing after the recovery" % mode)
        print("%s: shown after %.1f s, fresh quotes %.1f s after it ended" % (mode, shown, recovered))

    check(dat.read_bytes() == encode_watch_list(ROWS), "dat.txt changed during the faults")
    app.quit()
