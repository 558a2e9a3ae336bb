"""Harness of the end-to-end tests: the real tickora and tickora-market under a private Xvfb, with
a private D-Bus session bus and accessibility bus. The harness finds the program's controls, their
texts and their places through the accessibility tree, as a screen reader does; it clicks them and
types with xdotool and looks at the screen through screenshots (ImageMagick's import)."""

import argparse
import collections
import contextlib
import datetime
import os
import pathlib
import re
import shutil
import subprocess
import sys
import threading
import time
import traceback
import urllib.request


class Image:
    """Pixels of a screen rectangle as R, G, B bytes; (ox, oy) is its top-left on screen."""

    def __init__(self, w, h, data, ox=0, oy=0):
        self.w, self.h, self.data, self.ox, self.oy = w, h, data, ox, oy

    def pixels(self, rect, inset=1):
        """RGB of every pixel of a screen rectangle less `inset` pixels at each edge."""
        x, y, w, h = rect
        for py in range(y + inset - self.oy, y + h - inset - self.oy):
            for px in range(x + inset - self.ox, x + w - inset - self.ox):
                i = (py * self.w + px) * 3
                yield self.data[i], self.data[i + 1], self.data[i + 2]

    def save_ppm(self, path):
        pathlib.Path(path).write_bytes(b"P6 %d %d 255\n" % (self.w, self.h) + self.data)


def ink(image, rect, inset=1, want=None):
    """Pixels of a rectangle unlike its commonest colour (0: blank), or, given `want`, those it wants."""
    px = list(image.pixels(rect, inset))
    if want:
        return sum(1 for p in px if want(p))
    bg = collections.Counter(px).most_common(1)[0][0] if px else None
    return sum(1 for p in px if sum(abs(a - b) for a, b in zip(p, bg)) > 60)


def encode_watch_list(rows):  # as the program writes them: the code, then 11 quoted texts
    lines = (",".join([str(int(r[0]))] + ['"%s"' % t for t in list(r[1:]) + [""] * (12 - len(r))]) for r in rows)
    return "".join(line + "\r\n" for line in lines).encode("cp932")


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def wait_for(what, predicate, timeout, interval=0.05):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        check(time.monotonic() <= deadline, "timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def set_fault(url, mode, path=""):
    query = "mode=" + urllib.request.quote(mode, safe=":") + ("&path=" + urllib.request.quote(path) if path else "")
    urllib.request.urlopen(url + "/_control/fault?" + query, timeout=5).read()


def center(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


class Session(contextlib.AbstractContextManager):
    """One test or benchmark: its command line (--tickora, --market, --display, --work, `options`
    as name=default), its Xvfb, its buses, and its processes, each dying with the harness (a death
    signal). On failure it reports the screen and the logs' last lines."""

    def __init__(self, description, **options):
        p = argparse.ArgumentParser(description=description)
        for name in ("tickora", "market", "display", "work"):
            p.add_argument("--" + name, required=True)
        for name, default in options.items():
            p.add_argument("--" + name.replace("_", "-"), default=default, type=type(default))
        self.args = p.parse_args()
        self.work = os.path.abspath(self.args.work)
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work, mode=0o700)  # also the programs' TMPDIR and XDG_RUNTIME_DIR
        self.display, self.logs, self.size, self._shots = ":" + self.args.display.lstrip(":"), [], None, 0
        self._ended = []  # processes ended, not killed, at the end
        # A time zone under which it is about noon now; the trading day itself comes from the
        # simulated market's moment, whatever the zone.
        now = datetime.datetime.now(datetime.timezone.utc)
        west = now.hour * 60 + now.minute - 720  # minutes west of Greenwich
        self.tz = "TKR%s%d:%02d" % ("-" if west < 0 else "", abs(west) // 60, abs(west) % 60)
        self.xvfb = self.spawn(["Xvfb", self.display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset"],
                               "xvfb.log")
        self._ended.append(self.xvfb)

        def up():
            check(self.xvfb.poll() is None, "Xvfb %s ended at start (taken? see xvfb.log)" % self.display)
            size = self.xdo("getdisplaygeometry").split()
            self.size = tuple(map(int, size)) if len(size) == 2 else None
            return self.size

        wait_for("Xvfb on " + self.display, up, 15)
        self._start_buses()

    def _start_buses(self):
        """A D-Bus session bus of the session's own and the accessibility bus on it, which the
        program and the harness find as a screen reader and a desktop program find theirs."""
        os.environ["DISPLAY"] = self.display
        bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"], "dbus.log",
                         stdout=subprocess.PIPE)
        self._ended.append(bus)
        address = bus.stdout.readline().decode().strip()
        check(address, "dbus-daemon did not say where it listens (see dbus.log)")
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        self._ended.append(self.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], "at-spi.log"))
        wait_for("the accessibility bus", lambda: "true" in self._bus_call(
            "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
            "string:org.a11y.Bus"), 15, 0.1)
        found = re.search(r'string "([^"]+)"', self._bus_call("--dest=org.a11y.Bus", "/org/a11y/bus",
                                                               "org.a11y.Bus.GetAddress"))
        check(found, "the accessibility bus did not say where it is (see at-spi.log)")
        # The harness goes straight to it; the program looks it up on the session bus.
        os.environ["AT_SPI_BUS_ADDRESS"] = found.group(1)
        global pyatspi
        import pyatspi

        pyatspi.setTimeout(30000, 30000)  # a busy program answers late, not never

    def _bus_call(self, *argv):
        return subprocess.run(["dbus-send", "--session", "--print-reply"] + list(argv), stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL).stdout.decode()

    def __exit__(self, kind, value, tb):
        try:
            if kind is not None:
                traceback.print_exception(kind, value, tb)
                with contextlib.suppress(Exception):  # the display may be gone already
                    self.shot("failure")
                for path in dict.fromkeys(self.logs):
                    tail = pathlib.Path(path).read_bytes()[-3000:].decode(errors="replace")
                    print("---- end of %s ----\n%s" % (path, tail), file=sys.stderr)
                sys.exit("work folder and screenshots: %s" % self.work)
        finally:
            # Ended, not killed: Xvfb then removes its lock file, which a later run on the same
            # display could otherwise take for a server still running.
            for proc in reversed(self._ended):
                with contextlib.suppress(Exception):
                    proc.terminate()
                    proc.wait(timeout=10)

    def spawn(self, argv, log, env=None, stdout=None, stdin=subprocess.DEVNULL):
        self.logs.append(os.path.join(self.work, log))
        with open(self.logs[-1], "ab") as err:
            return subprocess.Popen(["setpriv", "--pdeathsig", "KILL", "--"] + argv, env=env, stdin=stdin,
                                    stdout=stdout or err, stderr=err)

    def start_market(self, *options, port=0):
        proc = self.spawn([self.args.market, "--port", str(port)] + list(options), "market.log",
                          env=dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=self.work),
                          stdout=subprocess.PIPE)
        line = proc.stdout.readline().decode()
        m = re.search(r"http://127\.0\.0\.1:(\d+)", line)
        check(m is not None, "tickora-market did not say where it listens (%r)" % line)
        threading.Thread(target=proc.stdout.read, daemon=True).start()  # nothing more comes
        proc.url, proc.port = m.group(0), int(m.group(1))
        return proc

    def start_tickora(self, data_dir, market_url, tick_ms=None, pages=None):
        """A tickora started and shown: its main window up and in the accessibility tree, and
        every event so far handled."""
        env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "TICKORA_", "AT_SPI_"))}
        env.update(DISPLAY=self.display, TZ=self.tz, TMPDIR=self.work, XDG_RUNTIME_DIR=self.work,
                   LANG="C.UTF-8", QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   TICKORA_DATA_DIR=data_dir, TICKORA_MARKET_URL=market_url)
        if tick_ms:
            env["TICKORA_TICK_MS"] = str(tick_ms)
        if pages:
            env["TICKORA_QUOTE_PAGES"] = pages
        return Tickora(self, self.spawn([self.args.tickora], "tickora.log", env))

    def xdo(self, *argv):
        return subprocess.run(["xdotool"] + [str(a) for a in argv], env=dict(os.environ, DISPLAY=self.display),
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.decode()

    def click_now(self, x, y):
        """Clicks at (x, y) and returns at once: the click goes to an xdotool already running,
        which makes it within a few milliseconds (a new xdotool takes a tenth of a second to
        start and end)."""
        if not hasattr(self, "_hands"):
            self._hands = self.spawn(["xdotool", "-"], "xdotool.log", env=dict(os.environ, DISPLAY=self.display),
                                     stdin=subprocess.PIPE)
            self._ended.append(self._hands)
        self._hands.stdin.write(b"mousemove %d %d click 1\n" % (x, y))
        self._hands.stdin.flush()

    def windows(self, title_regex):
        return [int(w) for w in self.xdo("search", "--onlyvisible", "--name", title_regex).split()]

    def screen(self, rect=None):
        """A screenshot of the whole screen or of a rectangle (x, y, w, h) of it."""
        sw, sh = self.size
        x, y, w, h = rect or (0, 0, sw, sh)
        x, y = max(0, x), max(0, y)
        w, h = max(1, min(w, sw - x)), max(1, min(h, sh - y))
        data = subprocess.run(["import", "-display", self.display, "-window", "root", "-crop",
                               "%dx%d+%d+%d" % (w, h, x, y), "-depth", "8", "rgb:-"],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=True).stdout
        check(len(data) == w * h * 3, "a screenshot of %dx%d came with %d bytes" % (w, h, len(data)))
        return Image(w, h, data, x, y)

    def shot(self, label):  # saved as NN-label.ppm
        image, self._shots = self.screen(), self._shots + 1
        image.path = os.path.join(self.work, "%02d-%s.ppm" % (self._shots, label))
        image.save_ppm(image.path)
        return image


class Tickora:
    """One running tickora and a user's hands. Controls are named as a screen reader says them:
    a menu item by its caption ("開く"), a control by its accessible name or description
    ("ステータス行", "チャート 1"); grid cells by row and column."""

    GRID = "株価一覧"

    def __init__(self, session, proc):
        self.s, self.proc, self.pid = session, proc, proc.pid
        # No box is up yet: the main window is the only one titled Tickora.
        self.window = wait_for("the main window", lambda: (self.check_alive(), self.s.windows("^Tickora$"))[1], 30)[0]
        self.frame = wait_for("the main window in the accessibility tree", self._frame, 30, 0.1)
        self._found = {}
        self.sync()

    def _frame(self):
        self.check_alive()
        for app in pyatspi.Registry.getDesktop(0):
            with contextlib.suppress(Exception):  # a program that ended may still be listed
                if app is not None and app.get_process_id() == self.pid:
                    self.app = app
                    return next((w for w in app if w is not None and w.getRole() == pyatspi.ROLE_FRAME
                                 and w.name == "Tickora"), None)

    def _default_button(self, title):
        """The button that Return would press in the box titled `title`."""
        for window in self.app:
            if window is None or window.name != title or window.getRole() == pyatspi.ROLE_FRAME:
                continue
            buttons = pyatspi.findAllDescendants(window, lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON)
            default = [b for b in buttons if b.getState().contains(pyatspi.STATE_IS_DEFAULT)]
            return (default + buttons + [None])[0]

    def check_alive(self, when=""):
        check(self.proc.poll() is None, "tickora ended (exit status %s) %s" % (self.proc.returncode, when))

    def sync(self):
        """Returns once the program has handled every event sent to it so far: the accessibility
        tree is answered by the program's event loop, after the input that came before."""
        self._extents(self.frame)
        time.sleep(0.03)  # repaints asked for while those events were handled come a moment later
        self._extents(self.frame)

    @staticmethod
    def _extents(accessible):
        e = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height

    def _find(self, name):
        """The control named or described `name` (the grid's cells aside), searched breadth-first."""
        queue = collections.deque(self.frame)
        while queue:
            a = queue.popleft()
            if a is None:
                continue
            if name in (a.name, a.description):
                return a
            if a.getRole() != pyatspi.ROLE_TABLE:
                queue.extend(a)
        return None

    def accessible(self, name):
        if name not in self._found:
            self.check_alive()
            self._found[name] = wait_for('the control "%s"' % name, lambda: self._find(name), 10, 0.1)
        return self._found[name]

    def place(self, name):
        """Where the control named `name` stands on the screen now: (x, y, w, h)."""
        try:
            return self._extents(self.accessible(name))
        except Exception:  # the control was made anew: look it up again
            self._found.pop(name, None)
            return self._extents(self.accessible(name))

    def cell(self, row, col):
        """The grid's cell at `row`, `col` (0: the captions and the row numbers): (x, y, w, h)."""
        return self._extents(self.accessible(self.GRID).queryTable().getAccessibleAt(row, col))

    def click(self, target, sync=True):
        """Clicks the middle of a control (by name, see place) or of a rectangle (x, y, w, h)."""
        self.check_alive()
        self.s.xdo("mousemove", *center(self.place(target) if isinstance(target, str) else target), "click", 1)
        if sync:
            self.sync()

    def type(self, text):  # and Enter
        self.s.xdo("type", "--delay", 20, text)
        self.s.xdo("key", "Return")
        self.sync()

    def boxes(self, title):
        """Visible top-level windows with this exact title, other than the main window."""
        self.check_alive()
        return [w for w in self.s.windows("^%s$" % re.escape(title)) if w != self.window]

    def answer(self, box):
        """Presses the box's default button, as Return would, and waits until the box has gone."""
        title = self.s.xdo("getwindowname", box).strip()
        button = wait_for('the button of the box "%s"' % title, lambda: self._default_button(title), 10)
        button.queryAction().doAction(0)
        wait_for("the box to close", lambda: box not in self.s.windows(".*"), 10)
        self.sync()

    def save(self):
        """"保存" and OK to its "保存完了" box."""
        self.click("保存")
        self.answer(wait_for("the box of 保存", lambda: self.boxes("Tickora"), 10)[0])

    def quit(self):
        """"終了": the program must end at once and cleanly."""
        self.click("終了", sync=False)
        wait_for('tickora to end after "終了"', lambda: self.proc.poll() is not None, 10)
        check(self.proc.returncode == 0, 'tickora ended with status %d after "終了"' % self.proc.returncode)
        self.kill()

    def kill(self):
        self.proc.kill()
        self.proc.wait()
