#!/usr/bin/python3
"""Soak: a trading day in minutes, measured. tickora runs real-time display of three stocks with a
short tick against tickora-market, which gives a random fault to a share of the requests
(--fault-rate with the modes of --fault-mix). Every "Error!" box is answered at once, as a user at
the screen would. A tick is counted in the market's log when row 1's quote page is asked for
(/quote/CODE.T, or /stocks/detail/?code=CODE when the program reads the pages of 2012).

Printed, never judged:
- the largest event-loop stall while ticking, raw and less the time the machine kept the GUI
  thread, the X server and the probe from a CPU (probe.py), and every stall over 50 ms with what
  the GUI thread was seen doing;
- memory (VmRSS), open files (/proc/PID/fd) and top-level windows at tick 100 and at tick N, and
  their growth. They are read with real-time display stopped for a few seconds, when no request is
  under way (in full flight they vary with the requests). Under the address sanitizer the memory
  figure says nothing about leaks (its allocator keeps freed memory in quarantine).
The run stops with an error only when it cannot go on: tickora ends, or no tick comes for a minute
(beyond a hold: after a 429 or 503 answer the program asks nothing for 60 s, or for the
Retry-After of a status:503:S mode in --fault-mix).

It runs under /usr/bin/python3, whose Debian modules (python3-pyatspi, python3-xlib) the harness
and the probe use; another python3 first on the PATH may lack them. The full day, about 5 minutes
on an idle machine (take figures from a release build; screenshots and logs stay in WORK):

    /usr/bin/python3 bench/e2e/soak.py --tickora build/release/app/tickora \\
        --market build/release/market/tickora-market --display 90 --work /tmp/soak --ticks 1000

(--tick-ms, --fault-rate and --fault-mix change the pace and the faults; e.g. --fault-mix
huge:50,drip,hang,reset for the slow failures. The market's default mix has status:503, and every
503 answer stops the ticks for a minute: a day with it takes longer than with a mix without it.)
"""

import os
import re
import sys
import time

sys.dont_write_bytecode = True  # keep the source folders clean
here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "..", "tests", "e2e"))
sys.path.insert(0, here)
from e2e import Session, check, encode_watch_list, ink, wait_for  # noqa: E402
from probe import StallProbe  # noqa: E402  (exits with a hint when python3-xlib is missing)
from Xlib.display import Display  # noqa: E402

ROWS = [["7203", "トヨタ自動車"], ["6758", "ソニーグループ"], ["9984", "ソフトバンクグループ"]]
QUIET_SECONDS = 7  # the market closes a connection after 5 idle seconds


class TickCounter:
    """Counts the market's log lines for row 1's quote page (one a tick) and the answers by status.
    A line reads "GET /quote/7203.T -> 200" (today's pages) or "GET /stocks/detail/?code=7203 -> 200"
    (the pages of 2012)."""

    def __init__(self, log_path, code):
        self.path = log_path
        code = re.escape(code)
        self.pattern = re.compile(r"^GET (/quote/%s\.T|/stocks/detail/\?code=%s) -> " % (code, code))
        self.offset = 0
        self.ticks = 0
        self.statuses = {}
        self.partial = b""
        self.overloaded_at = None  # when the last 429 or 503 answer was seen

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
                if m.group(1) in ("429", "503"):
                    self.overloaded_at = time.monotonic()
            if self.pattern.match(line):
                self.ticks += 1
        return self.ticks


def longest_hold(fault_mix):
    """Seconds the program holds its requests after an overload answer of the mix: the largest
    Retry-After of its status:429:S and status:503:S modes, and 60 s for one that names none."""
    holds = [60]
    for mode in fault_mix.split(","):
        m = re.fullmatch(r"status:(?:429|503):(\d+)", mode.strip())
        if m:
            holds.append(int(m.group(1)))
    return max(holds)


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def open_files(pid):
    """The open file descriptors of a process by kind: socket, pipe, anon_inode, file."""
    kinds = {}
    folder = "/proc/%d/fd" % pid
    for fd in os.listdir(folder):
        try:
            target = os.readlink(os.path.join(folder, fd))
        except OSError:
            continue  # closed meanwhile
        kind = target.split(":", 1)[0] if ":" in target and not target.startswith("/") else "file"
        kinds[kind] = kinds.get(kind, 0) + 1
    return kinds


def sanitized(pid):
    """Whether the process runs with the address sanitizer."""
    with open("/proc/%d/maps" % pid) as f:
        return "libasan" in f.read()


def main():
    # --fault-mix: the modes the random faults are drawn from (empty: the market's default mix)
    with Session(__doc__, ticks=1000, tick_ms=250, fault_rate="0.03", fault_mix="") as s:
        args = s.args
        check(args.ticks > 100, "the soak needs more than 100 ticks")
        options = ["--seed", "2026", "--log", "--fault-rate", args.fault_rate]
        if args.fault_mix:
            options += ["--fault-mix", args.fault_mix]
        market = s.start_market(*options)
        data = os.path.join(s.work, "kabu")
        os.makedirs(data)
        with open(os.path.join(data, "dat.txt"), "wb") as f:
            f.write(encode_watch_list(ROWS))
        app = s.start_tickora(data, market.url, tick_ms=args.tick_ms)
        root = Display(s.display).screen().root  # its children are the top-level windows
        counter = TickCounter(os.path.join(s.work, "market.log"), ROWS[0][0])
        hold = longest_hold(args.fault_mix)
        answered = 0

        def answer_boxes():
            nonlocal answered
            app.check_alive("during the soak (tick %d)" % counter.ticks)
            for box in app.boxes("Error!"):
                app.answer(box)
                answered += 1

        app.click("開く")
        app.click("リアルタイム表示")

        def quotes():
            answer_boxes()
            return ink(s.screen(app.cell(1, 3)), app.cell(1, 3)) > 10

        wait_for("the first quotes", quotes, 30, interval=0.1)
        s.shot("started")
        probe = StallProbe(s, app)
        ticking = []  # (from, to) of the stretches with real-time display running

        def quiet_figures():
            """Stops real-time display, waits until every request has ended and the market has
            closed its idle connections, and reads (RSS in KiB, open files by kind, windows)."""
            answer_boxes()
            app.click("リアルタイム停止")
            until = time.monotonic() + QUIET_SECONDS
            while time.monotonic() < until:
                answer_boxes()
                time.sleep(0.1)
            answer_boxes()
            return rss_kib(app.pid), open_files(app.pid), len(root.query_tree().children)

        def show(label, figures):
            rss, files, windows = figures
            print("%s: RSS %.1f MB, %d open files (%s), %d top-level windows" % (
                label, rss / 1024, sum(files.values()), ", ".join("%s %d" % kv for kv in sorted(files.items())),
                windows))
            sys.stdout.flush()

        def run_to(tick):
            began = last_report = time.monotonic()
            last_tick, last_tick_at = counter.update(), time.monotonic()
            while counter.update() < tick:
                answer_boxes()
                if counter.ticks != last_tick:
                    last_tick, last_tick_at = counter.ticks, time.monotonic()
                since = last_tick_at
                if counter.overloaded_at is not None:  # a hold asked for by the market is no fault
                    since = max(since, counter.overloaded_at + hold)
                check(time.monotonic() - since < 60, "no tick for a minute (at tick %d)" % counter.ticks)
                if time.monotonic() - last_report > 30:
                    raw, adjusted, pings = probe.worst(last_report)
                    last_report = time.monotonic()
                    print("  tick %d: RSS %.1f MB, %d boxes answered, largest stall of the last 30 s %.1f ms "
                          "(%.1f ms less CPU waits, %d pings)" % (counter.ticks, rss_kib(app.pid) / 1024, answered,
                                                                  raw * 1e3, adjusted * 1e3, pings))
                    sys.stdout.flush()
                time.sleep(0.05)
            ticking.append((began, time.monotonic()))

        began = time.monotonic()
        run_to(100)
        at100 = quiet_figures()
        show("tick %d (%.0f s)" % (counter.update(), time.monotonic() - began), at100)
        resumed, resumed_tick = time.monotonic(), counter.update()
        app.click("リアルタイム表示")
        run_to(args.ticks)
        seconds = time.monotonic() - resumed
        ticks = counter.update()
        at_end = quiet_figures()
        show("tick %d (%.0f s)" % (ticks, time.monotonic() - began), at_end)
        s.shot("end")
        probe.stop()

        print("growth from tick 100 to tick %d: RSS %+.1f MB%s, open files %+d, top-level windows %+d" % (
            ticks, (at_end[0] - at100[0]) / 1024,
            " (address sanitizer: says nothing about leaks)" if sanitized(app.pid) else "", sum(at_end[1].values()) - sum(at100[1].values()), at_end[2] - at100[2]))
        worst = [probe.worst(a, b) for a, b in ticking]
        print("largest event-loop stall while ticking: %.1f ms, %.1f ms less CPU waits, over %d pings" % (
            max(w[0] for w in worst) * 1e3, max(w[1] for w in worst) * 1e3, sum(w[2] for w in worst)))
        for a, b in ticking:
            for at, stall, less, cpu, doing in probe.stalls(a, b):
                print("    stall %.1f ms at +%.1f s: %.1f ms less CPU waits; the GUI thread ran %.1f ms of it; "
                      "seen in %s" % (stall * 1e3, at - began, less * 1e3, cpu * 1e3, doing))
        print("%.2f ticks a second; %d failure boxes answered; market answers by status: %s" % (
            (ticks - resumed_tick) / seconds, answered,
            ", ".join("%s: %d" % kv for kv in sorted(counter.statuses.items()))))
        app.quit()


if __name__ == "__main__":
    main()
