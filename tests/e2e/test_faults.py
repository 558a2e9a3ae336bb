#!/usr/bin/env python3
"""e2e_faults: real-time display against a market that fails, one way per failure path of the
program: an HTTP error status, no answer at all (the time-out), a reset in the middle of the
body, a garbage body (a page that is no stock page), and the market not running at all.

tickora runs real-time display of three stocks with a 2-second tick (TICKORA_TICK_MS). For each
fault the fault is switched on through the market's control endpoint (or the market is killed) and:

- the program keeps running;
- at most one "Error!" box is open at any moment, while the fault goes on for more than one tick
  (each box is answered with OK as a user would, half a second after it shows);
- the fault shows: an "Error!" box, or, for a garbage page, which is no stock page, the rows'
  quote cells emptied;
- with the fault switched off while a box is open, the box answered, and any box still due from
  requests made during the fault answered, the first tick after that shows fresh quotes, and no
  failure follows in the next ticks.
At the end dat.txt and the supplied files of the data folder (tousyou1.csv, chimes.wav,
chimesRow.wav, Auot.html) are byte for byte what they were, and "終了" ends the program.

The HTTP time-out of the program is 15 s, so the no-answer mode takes a while. How long the
event loop stalls under faults is measured, not judged, by bench/e2e/soak.py.

By hand: python3 tests/e2e/test_faults.py --tickora build/dev/app/tickora
    --market build/dev/market/tickora-market --display 77 --work /tmp/faults [--only hang,down]
"""

import os
import sys
import time

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e import (Failure, Session, check, common_arguments, encode_watch_list, file_digest, ink, run,  # noqa: E402
                 set_fault, wait_for)

TICK_MS = 2000
HTTP_TIMEOUT = 15.0  # QtHttpClient::Limits::transferTimeoutMs
ROWS = [["7203", "トヨタ自動車"], ["6758", "ソニーグループ"], ["9984", "ソフトバンクグループ"]]
SUPPLIED = ["tousyou1.csv", "chimes.wav", "chimesRow.wav", "Auot.html"]

# (name, market fault mode or None for "not running", slow: the failure shows only at the time-out)
MODES = [
    ("HTTP 500", "status:500", False),
    ("no answer", "hang", True),
    ("reset mid-body", "reset", False),
    ("garbage body", "garbage", False),
    ("market not running", None, False),
]


class Watch:
    """Looks at the program between steps: alive, how many "Error!" boxes at once, the quotes."""

    def __init__(self, s, app):
        self.s, self.app = s, app
        self.most_boxes = 0
        r1, r3 = app.rect("cell_1_2"), app.rect("cell_3_9")
        self.region = (r1[0], r1[1], r3[0] + r3[2] - r1[0], r3[1] + r3[3] - r1[1])

    def boxes(self):
        self.app.check_alive()
        open_now = self.app.boxes("Error!")
        self.most_boxes = max(self.most_boxes, len(open_now))
        check(len(open_now) <= 1, "%d failure boxes open at once" % len(open_now))
        return open_now

    def quotes(self):
        """The quote cells of rows 1 to 3 as pixels, and whether every price cell shows a price."""
        x, y, w, h = self.region
        image = self.s.x.get_image(x, y, w, h)
        prices = all(ink(image, self.app.rect("cell_%d_3" % r)) > 10 for r in range(1, 4))
        blank = all(ink(image, self.app.rect("cell_%d_3" % r)) == 0 for r in range(1, 4))
        return image.data, prices, blank

    def dismiss(self, box, after=0.5):
        time.sleep(after)  # a user reads it first
        self.boxes()
        self.app.answer(box)

    def wait(self, what, predicate, timeout):
        """Polls `predicate` while keeping an eye on the boxes."""
        return wait_for(what, lambda: (self.boxes(), predicate())[1], timeout, interval=0.1)


def start_realtime(s, app, watch):
    app.menu("menu11")
    app.menu("menu3")
    watch.wait("quotes in rows 1 to 3", lambda: watch.quotes()[1], 30)


def run_mode(s, app, watch, market, name, mode, slow):
    tick = TICK_MS / 1000.0
    first_deadline = tick + (HTTP_TIMEOUT if slow else 0) + 8
    began = time.monotonic()
    before, _, _ = watch.quotes()
    watch.most_boxes = 0
    failures = 0

    if mode is None:
        market.kill()
        market.wait()
    else:
        set_fault(market.url, mode)

    # The fault shows.
    if mode == "garbage":
        watch.wait("the quote cells emptied by a page that is no stock page",
                   lambda: watch.quotes()[2] or watch.boxes(), first_deadline)
    else:
        watch.wait('an "Error!" box', watch.boxes, first_deadline)
        failures += 1
    shown = time.monotonic() - began

    # The fault goes on: failures keep coming, one box at a time.
    if not slow:
        until = time.monotonic() + 3 * tick
        while time.monotonic() < until:
            open_now = watch.boxes()
            if open_now:
                if time.monotonic() + 0.5 < until:
                    watch.dismiss(open_now[0])
                    failures += 1
                else:
                    break
            time.sleep(0.1)
        if mode == "garbage":
            check(watch.quotes()[2] or watch.boxes(), "the garbage pages stopped showing")

    # The fault ends while a box is open (none for garbage); the user answers what is open.
    if mode is None:
        market = s.start_market("--seed", "2026", port=market.port)
    else:
        set_fault(market.url, "none")
    ended = time.monotonic()
    pending = set(watch.boxes())  # the box open as the fault ends
    late = 0
    idle_since = None
    last, _, _ = watch.quotes()
    while True:
        open_now = watch.boxes()
        if open_now:
            watch.dismiss(open_now[0], after=0.2)
            late += open_now[0] not in pending
            idle_since = None
            continue
        if idle_since is None:
            idle_since = time.monotonic()
        data, prices, _ = watch.quotes()
        if prices and data != last and data != before:
            break
        # The next tick comes within one interval; its pass takes well under two seconds.
        check(time.monotonic() - idle_since < tick + 2,
              "%s: no fresh quotes %.1f s after the last box was answered, the fault ended %.1f s ago"
              % (name, time.monotonic() - idle_since, time.monotonic() - ended))
        # Requests made while the fault was on may still end in a failure (the Nikkei line's).
        check(late <= 2, "%s: %d failure boxes after the fault ended" % (name, late))
        time.sleep(0.1)
    recovered = time.monotonic() - ended

    # And it stays well: two more ticks of fresh quotes, no box.
    seen = data
    fresh = 0
    until = time.monotonic() + 2 * tick + 1.5
    while time.monotonic() < until:
        check(not watch.boxes(), "%s: a failure box after the program had recovered" % name)
        data, prices, _ = watch.quotes()
        check(prices, "%s: quotes went away after the recovery" % name)
        if data != seen:
            fresh += 1
            seen = data
        time.sleep(0.1)
    check(fresh >= 1, "%s: the quotes stopped changing after the recovery" % name)

    print("%s: the failure showed after %.1f s; %d box(es) while the fault lasted, never more than %d open; "
          "%d more from its requests after it ended; fresh quotes %.1f s after it ended"
          % (name, shown, failures, watch.most_boxes, late, recovered))
    sys.stdout.flush()
    return market


def main():
    p = common_arguments(__doc__)
    p.add_argument("--only", help="comma-separated market modes to run (e.g. hang,drip; 'down' for no market)")
    args = p.parse_args()
    modes = MODES
    if args.only:
        wanted = args.only.split(",")
        modes = [m for m in MODES if (m[1] or "down") in wanted]

    with Session(args, "faults") as s:
        s.start_xvfb()
        market = s.start_market("--seed", "2026")
        data = os.path.join(s.work, "kabu")
        os.makedirs(data)
        dat = os.path.join(data, "dat.txt")
        with open(dat, "wb") as f:
            f.write(encode_watch_list(ROWS))
        app = s.start_tickora(data, market.url, tick_ms=TICK_MS)
        kept = [dat] + [os.path.join(data, n) for n in SUPPLIED]
        digests = {path: file_digest(path) for path in kept}

        watch = Watch(s, app)
        start_realtime(s, app, watch)
        s.shot("realtime")
        for name, mode, slow in modes:
            try:
                market = run_mode(s, app, watch, market, name, mode, slow)
            except Failure:
                s.shot("failure-" + (mode or "down").replace(":", "-"))
                raise
        s.shot("after-faults")

        for path in kept:
            check(file_digest(path) == digests[path], "%s changed during the faults" % path)
        app.quit()


if __name__ == "__main__":
    run(main)
