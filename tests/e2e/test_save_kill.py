"""e2e_save_kill: "保存" cut short by SIGKILL leaves dat.txt the complete old file or the complete
new one. Each kill: NEW in dat.txt, start, "開く", OLD in dat.txt, "保存", kill; half the kills at
any moment up to just after the file changes in an undisturbed save, half within 2 ms of that
change. Both outcomes must occur, or the kills missed the replacement."""

import os
import random
import time
from pathlib import Path

from e2e import Session, center, check, encode_watch_list, wait_for

OLD = encode_watch_list([["7203", "トヨタ自動車"], ["6758", "ソニーグループ"], ["9984", "ソフトバンクグループ"]])
NEW = encode_watch_list([["8306", "三菱ＵＦＪフィナンシャル・グループ"], ["6861", "キーエンス"], ["9432", "ＮＴＴ"],
                         ["4063", "信越化学工業"]])

with Session(__doc__, kills=10) as s:
    data = os.path.join(s.work, "kabu")
    dat, tmp = Path(data, "dat.txt"), Path(data, "dat.harness")
    nowhere = "http://127.0.0.1:9"  # nothing here needs the market
    app = s.start_tickora(data, nowhere)  # makes the data folder
    open_place, save_place = app.place("開く"), app.place("保存")  # the same in every run
    app.kill()

    def save_killed(delay):
        """dat.txt and the moment of the kill, `delay` s after "保存" (None: once the file changed)."""
        tmp.write_bytes(NEW)
        tmp.replace(dat)
        app = s.start_tickora(data, nowhere)
        app.click(open_place)
        tmp.write_bytes(OLD)
        tmp.replace(dat)
        t0 = time.monotonic()
        s.click_now(*center(save_place))
        if delay is None:
            wait_for("dat.txt to change", lambda: dat.read_bytes() != OLD, 10, interval=0.0002)
        while time.monotonic() - t0 < (delay or 0):
            pass  # a busy wait: sleeping would overshoot by more than the save takes
        elapsed = time.monotonic() - t0
        app.kill()
        return dat.read_bytes(), elapsed

    undisturbed = [save_killed(None) for _ in range(3)]
    check(all(got == NEW for got, _ in undisturbed), "a save wrote %r, not\n%r" % (undisturbed[0][0], NEW))
    changes = sorted(t for _, t in undisturbed)
    print("the file changes %.1f to %.1f ms after the click" % (changes[0] * 1e3, changes[-1] * 1e3))
    estimate, outcomes = changes[1], {OLD: 0, NEW: 0}
    for n in range(s.args.kills):
        delay = random.uniform(0, changes[-1] + 0.01) if n % 2 else max(0.0, estimate + random.uniform(-2e-3, 2e-3))
        got = save_killed(delay)[0]
        check(got in outcomes, "kill %d, %.2f ms after the click: dat.txt is neither the old nor the new file "
              "(%d bytes): %r" % (n, delay * 1e3, len(got), got[:200]))
        outcomes[got] += 1
        estimate = estimate if n % 2 else max(0.0, estimate + (5e-4 if got == OLD else -5e-4))
    print("%d kills: %d left the complete old file, %d the new one" % (s.args.kills, outcomes[OLD], outcomes[NEW]))
    check(min(outcomes.values()) >= 1, "the kills did not fall on both sides of the moment the file is replaced")
