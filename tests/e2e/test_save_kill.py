#!/usr/bin/env python3
"""e2e_save_kill: "保存" cut short by SIGKILL leaves dat.txt either the complete old file or the
complete new one, never a mix, a part or nothing.

The program makes two watch lists itself at the start: OLD (three rows) and NEW (four rows, a
buy target in row 1), so that no part of one file is the other. Then, again and again: NEW is
put in dat.txt and the program started; "開く" loads NEW into the grid; the harness puts OLD in
dat.txt; "保存" is clicked and the program killed with SIGKILL a moment later. After each kill
dat.txt must hold exactly OLD or exactly NEW.

The moment of the kill: half of the kills fall anywhere from the click to a little after the
file changes in an undisturbed save (measured at the start), the other half within a couple of
milliseconds of the moment the file changes, that moment being re-estimated from the outcomes
(a kill that left OLD came too early, one that left NEW too late). The test fails unless both
outcomes occur, which shows the kills did land on both sides of the point where the file is
replaced.

By hand: python3 tests/e2e/test_save_kill.py --tickora build/dev/app/tickora
    --market build/dev/market/tickora-market --display 79 --work /tmp/savekill --kills 20
"""

import os
import random
import signal
import sys
import time

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e import Failure, Session, check, common_arguments, run, wait_for  # noqa: E402


def put(path, data):
    """Writes a file the way a careful program does, so the harness never leaves a part."""
    tmp = path + ".harness"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def save_and_wait(app, dat):
    app.menu("menu2")
    app.answer(app.wait_box("Tickora"))
    return read(dat)


def main():
    p = common_arguments(__doc__)
    p.add_argument("--kills", type=int, default=20)
    p.add_argument("--seed", type=int, default=None, help="seed of the kill moments (random by default)")
    args = p.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    print("kill moments from seed %d" % seed)

    with Session(args, "save_kill") as s:
        s.start_xvfb()
        data = os.path.join(s.work, "kabu")
        dat = os.path.join(data, "dat.txt")
        nowhere = "http://127.0.0.1:9"  # no market: nothing here needs the network

        # The two files, both written by the program.
        app = s.start_tickora(data, nowhere)
        app.click("cell_1_1")
        for code in ("7203", "6758", "9984"):
            app.type(code)
            app.key("Return")
        old = save_and_wait(app, dat)
        app.click("cell_4_1")
        app.type("8306")
        app.key("Return")
        app.click("cell_1_10")
        app.type("1234")
        app.key("Return")
        new = save_and_wait(app, dat)
        check(old != new and not new.startswith(old[:60]) and len(old) != len(new),
              "the two lists are too alike to tell apart:\n%r\n%r" % (old, new))
        ui = app.ui()
        save_at = ui["menu2"]
        save_xy = (save_at[0] + save_at[2] // 2, save_at[1] + save_at[3] // 2)

        app.kill()

        def ready():
            """A program just started, with NEW in its grid and OLD in dat.txt."""
            put(dat, new)
            app = s.start_tickora(data, nowhere, wait=False)
            app.wait_ready(map_from=ui)
            app.menu("menu11")
            put(dat, old)
            return app

        # When does the file change after the click, undisturbed?
        changes = []
        for _ in range(5):
            app = ready()
            t0 = time.monotonic()
            s.x.fake_click(*save_xy)
            wait_for("dat.txt to change", lambda: read(dat) != old, 10, interval=0.0002)
            changes.append(time.monotonic() - t0)
            app.answer(app.wait_box("Tickora"))
            app.kill()
        changes.sort()
        estimate = changes[len(changes) // 2]
        print("the file changes %.1f to %.1f ms after the click" % (changes[0] * 1e3, changes[-1] * 1e3))
        span = changes[-1] + 0.010

        outcomes = {"old": 0, "new": 0}
        started = time.monotonic()
        for n in range(1, args.kills + 1):
            app = ready()
            if n % 2:
                delay = rng.uniform(0, span)
            else:
                delay = max(0.0, estimate + rng.uniform(-0.002, 0.002))
            pid = app.pid
            t0 = time.monotonic()
            s.x.fake_click(*save_xy)
            while time.monotonic() - t0 < delay:
                pass  # a busy wait: sleeping would overshoot by more than the save takes
            os.kill(pid, signal.SIGKILL)
            app.proc.wait()
            app.close_pinger()
            got = read(dat)
            if got == old:
                outcomes["old"] += 1
                if n % 2 == 0:
                    estimate += 0.0005
            elif got == new:
                outcomes["new"] += 1
                if n % 2 == 0:
                    estimate = max(0.0, estimate - 0.0005)
            else:
                raise Failure("kill %d, %.2f ms after the click: dat.txt is neither the old nor the new file "
                              "(%d bytes): %r" % (n, delay * 1e3, len(got), got[:200]))
            if n % 50 == 0:
                print("%d kills: %d left the old file, %d the new one; estimate %.2f ms"
                      % (n, outcomes["old"], outcomes["new"], estimate * 1e3))

        leftovers = sorted(f for f in os.listdir(data) if f.startswith("dat.txt") and f != "dat.txt")
        print("%d kills in %.0f s: %d left the complete old file, %d the complete new one; "
              "%d other files named dat.txt* left behind %s"
              % (args.kills, time.monotonic() - started, outcomes["old"], outcomes["new"], len(leftovers),
                 leftovers[:5]))
        need = min(10, args.kills // 10)
        check(outcomes["old"] >= need and outcomes["new"] >= need,
              "the kills did not fall on both sides of the moment the file is replaced "
              "(old %d, new %d); the test did not exercise what it is for" % (outcomes["old"], outcomes["new"]))


if __name__ == "__main__":
    run(main)
