"""e2e_enter_after_ticks: real-time display (2-second tick) of three opened rows; after each of
several ticks the user presses Enter, as one does to clear a message, and once types after a click
on the grid's header. Every row keeps its code and its name: after "リアルタイム停止" and "保存"
the file holds the three codes, each with its own name, and nothing else."""

import time
from pathlib import Path

from e2e import Session, check, encode_watch_list, ink, wait_for

TICK = 2.0
ROWS = [["7203", "トヨタ自動車"], ["6758", "ソニーグループ"], ["9984", "ソフトバンクグループ"]]

with Session(__doc__, enters=4) as s:
    market = s.start_market("--seed", "2026")
    data = Path(s.work, "kabu")
    data.mkdir(parents=True)
    Path(data, "tousyou1.csv").write_bytes("".join('%s,"%s"\r\n' % tuple(r) for r in ROWS).encode("cp932"))
    dat = Path(data, "dat.txt")
    dat.write_bytes(encode_watch_list(ROWS))
    app = s.start_tickora(str(data), market.url, tick_ms=int(TICK * 1000))
    app.click("開く")
    dat.unlink()  # so that only a save after the keys can bring it back
    app.click("リアルタイム表示")

    def priced():
        shot = s.screen()
        return all(ink(shot, app.cell(r, 3)) > 10 for r in (1, 2, 3))

    wait_for("quotes in rows 1 to 3", priced, 30, interval=0.25)
    # A chart window takes the keyboard; the next tick closes it and the main window is not
    # activated again (there is no window manager): the keys still reach it.
    app.click("ドル-円為替")
    for i in range(s.args.enters):
        time.sleep(TICK + 0.5)  # a tick has moved the current cell meanwhile
        s.xdo("key", "Return")
        app.sync()
    s.shot("after-enters")
    app.click(app.cell(0, 2))  # the name column's caption: it stops the display and hands no cell over
    s.xdo("type", "--delay", 20, "4300")
    s.xdo("key", "Return")
    app.sync()
    s.shot("after-header")

    app.click("リアルタイム停止")
    app.save()
    check(dat.exists(), "the rows could not be saved (a code no longer a code?)")
    lines = dat.read_bytes().decode("cp932").split("\r\n")
    check(lines[-1] == "" and len(lines) == len(ROWS) + 1, "dat.txt should hold three lines: %r" % lines)
    for line, (code, name) in zip(lines, ROWS):
        fields = line.split(",")
        check(fields[0] == code and fields[1].strip('"').startswith(name),
              "a row lost its code or name: %r, wanted %s %s" % (line, code, name))
    app.quit()
