#!/usr/bin/env python3
"""e2e_soak: a trading day in minutes. tickora runs real-time display of three stocks with a
short tick against tickora-market, which gives a random fault to a share of the requests
(--fault-rate with the modes of --fault-mix). Every "Error!" box is answered at once, as a user
at the screen would. Over N ticks (a tick is counted by the market when row 1's page is asked
for) the program must not end; between tick 100 and tick N its memory (VmRSS) must not grow by
more than 10 MB, and neither the number of its open files (/proc/PID/fd) nor the number of
top-level windows on the display may grow. The figures are printed.

CTest runs a short soak (--ticks 300, a few minutes at most). A developer runs the full day by
hand, about 5 minutes on an idle machine:

    python3 tests/e2e/test_soak.py --tickora build/dev/app/tickora \\
        --market build/dev/market/tickora-market --display 78 --work /tmp/soak --ticks 1000

(--tick-ms, --fault-rate and --fault-mix change the pace and the faults.)
"""

import os
import re
import sys
import time

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e import Session, check, common_arguments, encode_watch_list, ink, run, wait_for  # noqa: E402

ROWS = [["7203", "トヨタ自動車"], ["6758", "ソニーグループ"], ["9984", "ソフトバンクグループ"]]
MEMORY_LIMIT_KIB = 10 * 1024
QUIET_SECONDS = 7  # the market closes a connection after 5 idle seconds


class TickCounter:
    """Counts the market's log lines for row 1's page: one a tick."""

    def __init__(self, log_path, code):
        self.path = log_path
        self.pattern = re.compile(r"^GET /stocks/detail/\?code=%s " % code)
        self.offset = 0
        self.ticks = 0
        self.statuses = {}
        self.partial = b""

    def update(self):
        with open(self.path, "rb") as f:
            f.seek(self.offset)
            chunk = f.read()
        self.offset += len(chunk)
        lines = (self.partial + chunk).split(b"\n")
        self.partial = lines.pop()
        for raw in lines:
            line = raw.decode("utf-8", "replace")
            m = re.search(r" -> (-?\d+)$", line)
            if m and line.startswith("GET /"):
                self.statuses[m.group(1)] = self.statuses.get(m.group(1), 0) + 1
            if self.pattern.match(line):
                self.ticks += 1
        return self.ticks


def main():
    p = common_arguments(__doc__)
    p.add_argument("--ticks", type=int, default=1000)
    p.add_argument("--tick-ms", type=int, default=250)
    p.add_argument("--fault-rate", default="0.03")
    p.add_argument("--fault-mix", help="modes the random faults are drawn from (the market's default mix)")
    args = p.parse_args()
    check(args.ticks > 100, "the soak needs more than 100 ticks")

    with Session(args, "soak") as s:
        s.start_xvfb()
        options = ["--seed", "2026", "--log", "--fault-rate", args.fault_rate]
        if args.fault_mix:
            options += ["--fault-mix", args.fault_mix]
        market = s.start_market(*options)
        data = os.path.join(s.work, "kabu")
        os.makedirs(data)
        with open(os.path.join(data, "dat.txt"), "wb") as f:
            f.write(encode_watch_list(ROWS))
        app = s.start_tickora(data, market.url, tick_ms=args.tick_ms)
        counter = TickCounter(os.path.join(s.work, "market.log"), ROWS[0][0])
        answered = 0

        def answer_boxes():
            nonlocal answered
            app.check_alive("during the soak (tick %d)" % counter.ticks)
            for box in app.boxes("Error!"):
                app.answer(box)
                answered += 1

        app.menu("menu11")
        app.menu("menu3")

        def quotes():
            answer_boxes()
            shot = s.x.get_image(*app.rect("cell_1_3"))
            return ink(shot, app.rect("cell_1_3")) > 10

        wait_for("the first quotes", quotes, 30, interval=0.1)
        s.shot("started")

        def quiet_figures():
            """Stops real-time display and waits until every request has ended and the market has
            closed its idle connections, then reads the figures: (RSS in KiB, open files by kind,
            top-level windows). In full flight they vary with the requests under way."""
            answer_boxes()
            app.menu("menu4")
            until = time.monotonic() + QUIET_SECONDS
            while time.monotonic() < until:
                answer_boxes()
                time.sleep(0.1)
            answer_boxes()
            return app.rss_kib(), app.open_files(), len(s.x.top_level_windows())

        def show(label, figures):
            rss, files, windows = figures
            print("%s: RSS %.1f MB, %d open files (%s), %d top-level windows" % (
                label, rss / 1024, sum(files.values()), ", ".join("%s %d" % kv for kv in sorted(files.items())),
                windows))
            sys.stdout.flush()

        def run_to(tick, report=False):
            last_report = time.monotonic()
            last_tick, last_tick_at = counter.update(), time.monotonic()
            while counter.update() < tick:
                answer_boxes()
                if counter.ticks != last_tick:
                    last_tick, last_tick_at = counter.ticks, time.monotonic()
                check(time.monotonic() - last_tick_at < 60, "no tick for a minute (at tick %d)" % counter.ticks)
                if report and time.monotonic() - last_report > 30:
                    last_report = time.monotonic()
                    print("  tick %d: RSS %.1f MB, %d boxes answered" % (counter.ticks, app.rss_kib() / 1024, answered))
                    sys.stdout.flush()
                time.sleep(0.05)

        began = time.monotonic()
        run_to(100)
        at100 = quiet_figures()
        show("tick %d (%.0f s)" % (counter.update(), time.monotonic() - began), at100)
        resumed, resumed_tick = time.monotonic(), counter.update()
        app.menu("menu3")
        run_to(args.ticks, report=True)
        ticking = time.monotonic() - resumed
        ticks = counter.update()
        at_end = quiet_figures()
        show("tick %d (%.0f s)" % (ticks, time.monotonic() - began), at_end)
        s.shot("end")

        growth = at_end[0] - at100[0]
        files100, files_end = sum(at100[1].values()), sum(at_end[1].values())
        print("growth from tick 100 to tick %d: RSS %+.1f MB, open files %+d, top-level windows %+d" %
              (ticks, growth / 1024, files_end - files100, at_end[2] - at100[2]))
        print("%.2f ticks a second; %d failure boxes answered; market answers by status: %s" %
              ((ticks - resumed_tick) / ticking, answered,
               ", ".join("%s: %d" % kv for kv in sorted(counter.statuses.items()))))
        check(growth <= MEMORY_LIMIT_KIB, "memory grew by %.1f MB between tick 100 and tick %d"
              % (growth / 1024, counter.ticks))
        check(files_end <= files100, "open files grew from %s to %s" % (at100[1], at_end[1]))
        check(at_end[2] <= at100[2], "top-level windows grew from %d to %d" % (at100[2], at_end[2]))
        check(answered > 0 or args.fault_rate in ("0", "0.0"), "no fault ever reached the program")
        app.quit()


if __name__ == "__main__":
    run(main)
