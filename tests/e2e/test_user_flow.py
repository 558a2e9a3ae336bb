#!/usr/bin/env python3
"""e2e_user_flow: a user's session with the real tickora under Xvfb, against tickora-market.

Types three codes with Enter and sees their names; sets a buy target far above and a sell
target far below the price; starts real-time display and sees quotes, the coloured target
cells and the thumbnails; saves; quits with "終了"; starts again; opens the list and sees the
same rows; captures the screen and answers No to the print question. Checked through dat.txt,
the capture file and screenshots, which are kept in WORK/shots/ (WORK is --work; under CTest
build/<preset>/tests/e2e/e2e_user_flow/shots/).

By hand: python3 tests/e2e/test_user_flow.py --tickora build/dev/app/tickora
    --market build/dev/market/tickora-market --display 76 --work /tmp/flow
"""

import os
import sys
import time

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e import (Failure, Session, check, code_names, common_arguments, count_colour, differing_pixels, ink,  # noqa: E402
                 is_green, is_red, read_bmp, read_watch_list, run, wait_for)

CODES = [7203, 6758, 9984]
BUY_TARGET = "99999"  # above any price of these stocks: the buy alert holds on every pass
SELL_TARGET = "1"  # below any price: the sell alert holds on every pass


def save(app):
    app.menu("menu2")
    box = app.wait_box("Tickora")
    app.answer(box)  # "保存完了"


def rows_blank(shot, app, rows, columns):
    return all(ink(shot, app.rect("cell_%d_%d" % (r, c))) == 0 for r in rows for c in columns)


def main():
    args = common_arguments(__doc__).parse_args()
    with Session(args, "user_flow") as s:
        s.start_xvfb()
        market = s.start_market("--seed", "2026")
        data = os.path.join(s.work, "kabu")
        dat = os.path.join(data, "dat.txt")
        app = s.start_tickora(data, market.url)
        names = code_names(os.path.join(data, "tousyou1.csv"))

        shot = s.shot("start")
        check(rows_blank(shot, app, range(1, 4), range(1, 4)), "the grid is not empty at start (%s)" % shot.path)

        # Three codes, each with Enter: the name comes from the code list, the next row opens.
        app.click("cell_1_1")
        for code in CODES:
            app.type(str(code))
            app.key("Return")
        shot = s.shot("codes-typed")
        for r in range(1, 4):
            for c in (1, 2):
                check(ink(shot, app.rect("cell_%d_%d" % (r, c))) > 10, "cell %d,%d is blank after typing the codes (%s)"
                      % (r, c, shot.path))
        check(rows_blank(shot, app, [4], range(1, 4)), "row 4 is not empty (%s)" % shot.path)
        save(app)
        rows = read_watch_list(dat)
        check([int(r[0]) for r in rows] == CODES, "dat.txt holds the codes %s" % [r[0] for r in rows])
        for row, code in zip(rows, CODES):
            check(row[1] == names[code], "row of %d is named %r, the code list says %r" % (code, row[1], names[code]))
            check(row[2:] == [""] * 10, "row of %d has quote cells before any refresh: %r" % (code, row))

        # Targets that the simulated prices cross: buy in row 1, sell in row 2.
        app.click("cell_1_10")
        app.type(BUY_TARGET)
        app.key("Return")
        app.click("cell_2_11")
        app.type(SELL_TARGET)
        app.key("Return")

        # Real-time display: quotes, coloured target cells, thumbnails.
        app.menu("menu3")

        def refreshed():
            app.check_alive("during real-time display")
            app.ui(reload=True)
            shot = s.x.screenshot()
            prices = all(ink(shot, app.rect("cell_%d_3" % r)) > 10 for r in range(1, 4))
            thumbs = all(ink(shot, app.rect("Image1_%d" % k), inset=3) > 500 for k in range(3))
            return prices and thumbs

        wait_for("quotes and thumbnails of the three rows", refreshed, 30, interval=0.25)
        shot = s.shot("realtime")
        buy, sell = app.rect("cell_1_10"), app.rect("cell_2_11")
        check(count_colour(shot, buy, is_green) >= 5, "the buy-target cell of row 1 is not green (%s)" % shot.path)
        check(count_colour(shot, sell, is_red) >= 5, "the sell-target cell of row 2 is not red (%s)" % shot.path)
        for name in ("cell_1_11", "cell_2_10", "cell_3_10", "cell_3_11"):
            r = app.rect(name)
            check(count_colour(shot, r, is_red) + count_colour(shot, r, is_green) == 0,
                  "%s is coloured without a target (%s)" % (name, shot.path))
        for k in range(3):
            check(ink(shot, app.rect("Image1_%d" % k), inset=3) > 500, "thumbnail %d is blank (%s)" % (k, shot.path))

        save(app)
        rows = read_watch_list(dat)
        check([int(r[0]) for r in rows] == CODES, "dat.txt after the refresh holds the codes %s" % [r[0] for r in rows])
        for row in rows:
            check(row[2] and all(ch.isdigit() or ch in ",." for ch in row[2]),
                  "row of %s has no price in dat.txt: %r" % (row[0], row))
            check(row[11] != "", "row of %s has no quote time in dat.txt: %r" % (row[0], row))
        check(rows[0][9] == BUY_TARGET and rows[1][10] == SELL_TARGET,
              "the targets were not saved: %r, %r" % (rows[0][9], rows[1][10]))
        with open(dat, "rb") as f:
            saved = f.read()

        app.quit()

        # Start again: an empty grid; "開く" brings back the same rows.
        app = s.start_tickora(data, market.url)
        shot = s.shot("restarted")
        check(rows_blank(shot, app, range(1, 4), range(1, 4)), "the grid is not empty after a restart (%s)" % shot.path)
        app.menu("menu11")
        shot = s.shot("opened")
        filled = [(r, c) for r in range(1, 4) for c in (1, 2, 3, 12)] + [(1, 10), (2, 11)]
        for r, c in filled:
            check(ink(shot, app.rect("cell_%d_%d" % (r, c))) > 10,
                  "cell %d,%d is blank after 開く (%s)" % (r, c, shot.path))
        check(rows_blank(shot, app, [4], range(1, 4)), "row 4 is not empty after 開く (%s)" % shot.path)
        save(app)  # the grid as opened, written out again, must give the same file
        with open(dat, "rb") as f:
            again = f.read()
        check(again == saved, "the rows after 開く differ from the saved ones:\n%r\n%r" % (saved, again))

        # Capture: the picture of the screen is saved before the print question; No prints nothing.
        pic_dir = os.path.join(data, "pic")
        days = {s.capture_date()}
        # With no window manager the main window is made active again only by a click, and the
        # grid takes the focus "保存" gave it (left-aligning the names) only then: click an empty
        # spot first, so the screen before the capture is the screen the capture shows.
        app.click_at(s.x.width - 10, s.x.height - 10)
        x, y, w, h = app.rect("HDCOPY")
        s.xdo("mousemove", x + w // 2, y + h // 2)
        app.sync()
        time.sleep(0.3)  # every repaint done
        before = s.x.screenshot()
        app.menu("HDCOPY")
        box = app.wait_box("印刷確認")
        s.shot("print-question")
        app.answer(box, "Escape")  # No
        days.add(s.capture_date())
        paths = [os.path.join(pic_dir, "p%s .bmp" % d.strftime("%y-%m-%d")) for d in days]
        found = [p for p in paths if os.path.exists(p)]
        check(found, "no capture file among %s (the folder holds %s)" % (paths, sorted(os.listdir(pic_dir))
                                                                          if os.path.isdir(pic_dir) else "nothing"))
        picture = read_bmp(found[0])
        check((picture.w, picture.h) == (s.x.width, s.x.height),
              "the capture is %dx%d, the screen %dx%d" % (picture.w, picture.h, s.x.width, s.x.height))
        differ = differing_pixels(picture, before)
        check(differ <= picture.w * picture.h // 100,
              "the capture differs from the screen in %d pixels" % differ)
        grid = app.rect("cell_1_1")
        region = (grid[0], grid[1], app.rect("cell_3_3")[0] + app.rect("cell_3_3")[2] - grid[0],
                  app.rect("cell_3_3")[1] + app.rect("cell_3_3")[3] - grid[1])
        if picture.region_bytes(region) != before.region_bytes(region):
            before.save_png(os.path.join(s.shots, "screen-before-capture.png"))
            picture.save_png(os.path.join(s.shots, "capture.png"))
            xs, ys = region[0], region[1]
            diff = [(x, y) for y in range(ys, ys + region[3]) for x in range(xs, xs + region[2])
                    if picture.pixel(x, y) != before.pixel(x, y)]
            raise Failure("the grid in the capture is not the grid on the screen: %d pixels differ, from %s to %s "
                          "(see %s)" % (len(diff), min(diff), max(diff), s.shots))
        check(not os.path.exists(app.env["TICKORA_PRINT_TO_PDF"]), "the capture was printed although No was chosen")
        print("capture: %s, %d of %d pixels differ from a screenshot taken just before" %
              (found[0], differ, picture.w * picture.h))
        app.quit()
        print("screenshots: %s" % s.shots)


if __name__ == "__main__":
    run(main)
