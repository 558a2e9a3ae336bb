"""Harness of the end-to-end tests: the real tickora and tickora-market under a private Xvfb."""

import argparse
import collections
import contextlib
import datetime
import os
import pathlib
import re
import select
import shutil
import socket
import struct
import subprocess
import sys
import threading
import time
import traceback
import urllib.request


XError = ConnectionError  # what the X client raises


class XClient:
    """Core X11 requests on one socket: screen pictures, _NET_WM_PING (Qt answers it once it has
    handled every X event sent before it), a key to one window alone, a click through XTEST."""

    def __init__(self, display):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect("/tmp/.X11-unix/X" + display.lstrip(":").split(".")[0])
        self.sock.sendall(struct.pack("<BxHHHHxx", ord("l"), 11, 0, 0, 0))
        status, _, _, _, length = struct.unpack("<BBHHH", self._read(8))
        body = self._read(length * 4)
        if status != 1:
            raise XError("the X server refused the connection: %r" % body)
        screen = 32 + ((struct.unpack_from("<H", body, 16)[0] + 3) & ~3) + 8 * body[21]
        self.root = struct.unpack_from("<I", body, screen)[0]
        self.width, self.height = struct.unpack_from("<HH", body, screen + 20)
        self.seq = 0

    def _read(self, n):
        data = self.sock.recv(n, socket.MSG_WAITALL)
        if len(data) < n:
            raise XError("the X server closed the connection")
        return data

    def _request(self, data):
        self.seq = (self.seq + 1) & 0xFFFF
        self.sock.sendall(data)
        return self.seq

    def _packet(self):
        p = self._read(32)
        if p[0] == 1 and struct.unpack_from("<I", p, 4)[0]:
            p += self._read(struct.unpack_from("<I", p, 4)[0] * 4)
        return p

    def _reply(self, seq):
        while True:  # events and errors of earlier requests are not wanted here
            p = self._packet()
            if p[0] in (0, 1) and struct.unpack_from("<H", p, 2)[0] == seq:
                if p[0] == 0:
                    raise XError("X error %d on request %d" % (p[1], p[10]))
                return p

    def _named(self, opcode, name):  # InternAtom or QueryExtension
        b = name.encode()
        return self._reply(self._request(struct.pack("<BxHH2x", opcode, 2 + (len(b) + 3) // 4, len(b))
                                         + b.ljust((len(b) + 3) & ~3, b"\0")))

    def select_root(self):  # StructureNotify: a ping's answer comes as such an event
        self._request(struct.pack("<BxHIII", 2, 4, self.root, 0x800, 0x20000))

    def send_key(self, window, keysym):
        """One key press and release sent to `window` alone (SendEvent)."""
        p = self._reply(self._request(struct.pack("<BxHBBxx", 101, 2, 8, 248)))  # GetKeyboardMapping
        syms = struct.unpack_from("<%dI" % ((len(p) - 32) // 4), p, 32)
        code = 8 + syms.index(keysym) // p[1]
        for kind in (2, 3):  # KeyPress, KeyRelease
            event = struct.pack("<BBHIIIIhhhhHBx", kind, code, 0, 0, self.root, window, 0, 1, 1, 1, 1, 0, 1)
            self._request(struct.pack("<BBHII", 25, 0, 11, window, 1 if kind == 2 else 2) + event)
        self.sync()

    def fake_click(self, x, y):
        """Moves the pointer to (x, y) and clicks through XTEST; when this returns the server has
        made the events."""
        if not hasattr(self, "_xtest"):
            self._xtest = self._named(98, "XTEST")[9]  # Xvfb has it; xdotool needs it too
        for kind, detail in ((6, 0), (4, 1), (5, 1)):  # motion, press, release
            self._request(struct.pack("<BBHBBxxIIxxxxxxxxhhxxxxxxxx", self._xtest, 2, 9, kind, detail, 0,
                                      self.root if kind == 6 else 0, x, y))
        self.sync()

    def sync(self):
        """Round trip to the server (GetInputFocus): every request so far has been handled."""
        self._reply(self._request(struct.pack("<BxH", 43, 1)))

    def get_image(self, x=0, y=0, w=1 << 15, h=1 << 15):
        x, y = max(0, x), max(0, y)
        w, h = max(1, min(w, self.width - x)), max(1, min(h, self.height - y))
        p = self._reply(self._request(struct.pack("<BBHIhhHHI", 73, 2, 5, self.root, x, y, w, h, 0xFFFFFFFF)))
        return Image(w, h, p[32 : 32 + w * h * 4], x, y)

    def ping(self, window, timeout, waiting=None):
        """Sends _NET_WM_PING to `window` (the root must be selected for STRUCTURE_NOTIFY) and
        returns the seconds until the program's answer, or None after `timeout` seconds.
        `waiting(seconds)` is called about every 10 ms while the answer is due."""
        if not hasattr(self, "_atoms"):
            self._atoms = [struct.unpack_from("<I", self._named(16, n), 8)[0] for n in ("WM_PROTOCOLS", "_NET_WM_PING")]
        self._token = token = getattr(self, "_token", 0) + 1
        t0, message = time.monotonic(), struct.pack("<BBHII5I", 33, 32, 0, window, *self._atoms, token, window, 0, 0)
        self._request(struct.pack("<BBHII", 25, 0, 11, window, 0) + message)
        while (left := t0 + timeout - time.monotonic()) > 0:
            if select.select([self.sock], [], [], min(left, 0.01) if waiting else left)[0]:
                p = self._packet()
                if (p[0] & 0x7F) == 33 and struct.unpack_from("<III", p, 8) == (*self._atoms, token):
                    return time.monotonic() - t0
            elif waiting:
                waiting(time.monotonic() - t0)


class Image:
    """Pixels as the X server gives them (B, G, R, unused); (ox, oy) is the top-left on screen."""

    def __init__(self, w, h, data, ox=0, oy=0):
        self.w, self.h, self.data, self.ox, self.oy = w, h, data, ox, oy

    def pixels(self, rect, inset=1):
        """RGB of every pixel of a screen rectangle less `inset` pixels at each edge."""
        x, y, w, h = rect
        for py in range(y + inset - self.oy, y + h - inset - self.oy):
            for px in range(x + inset - self.ox, x + w - inset - self.ox):
                i = (py * self.w + px) * 4
                yield self.data[i + 2], self.data[i + 1], self.data[i]

    def save_ppm(self, path):
        rgb = bytearray(self.w * self.h * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = self.data[2::4], self.data[1::4], self.data[0::4]
        pathlib.Path(path).write_bytes(b"P6 %d %d 255\n" % (self.w, self.h) + rgb)


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


class Session(contextlib.AbstractContextManager):
    """One test or benchmark: its command line (--tickora, --market, --display, --work, `options`
    as name=default), its Xvfb, and its processes, each dying with the harness (a death signal).
    On failure it reports the screen and the logs' last lines."""

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
        self.display, self.logs, self.x, self._shots = ":" + self.args.display.lstrip(":"), [], None, 0
        # A time zone under which it is about noon now; the trading day itself comes from the
        # simulated market's moment, whatever the zone.
        now = datetime.datetime.now(datetime.timezone.utc)
        west = now.hour * 60 + now.minute - 720  # minutes west of Greenwich
        self.tz = "TKR%s%d:%02d" % ("-" if west < 0 else "", abs(west) // 60, abs(west) % 60)
        self.xvfb = self.spawn(["Xvfb", self.display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset"],
                               "xvfb.log")

        def up():
            check(self.xvfb.poll() is None, "Xvfb %s ended at start (taken? see xvfb.log)" % self.display)
            with contextlib.suppress(OSError):
                self.x = XClient(self.display)
            return self.x

        wait_for("Xvfb on " + self.display, up, 15)

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
            with contextlib.suppress(Exception):
                self.xvfb.terminate()
                self.xvfb.wait(timeout=10)

    def spawn(self, argv, log, env=None, stdout=None):
        self.logs.append(os.path.join(self.work, log))
        with open(self.logs[-1], "ab") as err:
            return subprocess.Popen(["setpriv", "--pdeathsig", "KILL", "--"] + argv, env=env, stdin=subprocess.DEVNULL,
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

    def start_tickora(self, data_dir, market_url, tick_ms=None, ui=None, pages=None):
        """A tickora started and shown: its main window up, its UI map written (or `ui`, the map
        of an earlier run), a ping answered."""
        env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "TICKORA_"))}
        env.update(DISPLAY=self.display, TZ=self.tz, TMPDIR=self.work, XDG_RUNTIME_DIR=self.work,
                   LANG="C.UTF-8", QT_QPA_PLATFORM="xcb", NO_AT_BRIDGE="1", TICKORA_DATA_DIR=data_dir,
                   TICKORA_MARKET_URL=market_url, TICKORA_UI_MAP=os.path.join(self.work, "uimap.txt"))
        if tick_ms:
            env["TICKORA_TICK_MS"] = str(tick_ms)
        if pages:
            env["TICKORA_QUOTE_PAGES"] = pages
        with contextlib.suppress(FileNotFoundError):
            os.remove(env["TICKORA_UI_MAP"])
        return Tickora(self, self.spawn([self.args.tickora], "tickora.log", env), env["TICKORA_UI_MAP"], ui)

    def xdo(self, *argv):
        return subprocess.run(["xdotool"] + [str(a) for a in argv], env=dict(os.environ, DISPLAY=self.display),
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.decode()

    def windows(self, title_regex):
        return [int(w) for w in self.xdo("search", "--onlyvisible", "--name", title_regex).split()]

    def shot(self, label):  # saved as NN-label.ppm
        image, self._shots = self.x.get_image(), self._shots + 1
        image.path = os.path.join(self.work, "%02d-%s.ppm" % (self._shots, label))
        image.save_ppm(image.path)
        return image


class Tickora:
    """One running tickora, its UI map `ui` ({name: (x, y, w, h)} on screen) and a user's hands."""

    def __init__(self, session, proc, map_path, ui):
        self.s, self.proc, self.pid = session, proc, proc.pid
        # No box is up yet: the main window is the only one titled Tickora.
        self.window = wait_for("the main window", lambda: (self.check_alive(), self.s.windows("^Tickora$"))[1], 30)[0]
        self.map_path = map_path
        self.ui = ui or wait_for("the UI map", lambda: self._read_map(map_path), 30)
        self._pinger = XClient(session.display)
        self._pinger.select_root()
        self.sync()

    def _read_map(self, path):
        with contextlib.suppress(OSError), open(path, encoding="utf-8") as f:
            m = {p[0]: tuple(map(int, p[1:])) for p in (line.split() for line in f) if len(p) == 5}
            return m if "cell_12_12" in m else None  # else written half-way

    def check_alive(self, when=""):
        check(self.proc.poll() is None, "tickora ended (exit status %s) %s" % (self.proc.returncode, when))

    def sync(self, timeout=30):
        """Returns once the program has handled every X event sent to it so far."""
        t = self._pinger.ping(self.window, timeout)
        time.sleep(0.03)  # repaints asked for while those events were handled come a moment later
        check(t is not None and self._pinger.ping(self.window, timeout) is not None,
              "tickora did not answer a ping within %d s" % timeout)

    def click(self, name, sync=True):
        """Clicks the middle of a control, menu or cell of the UI map."""
        self.check_alive()
        x, y, w, h = self.ui[name]
        self.s.xdo("mousemove", x + w // 2, y + h // 2, "click", 1)
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
        """Presses Return in the box alone and waits until the box has gone."""
        self.s.x.send_key(box, 0xFF0D)
        wait_for("the box to close", lambda: box not in self.s.windows(".*"), 10)
        self.sync()

    def save(self):
        """"保存" and OK to its "保存完了" box."""
        self.click("menu2")
        self.answer(wait_for("the box of 保存", lambda: self.boxes("Tickora"), 10)[0])

    def quit(self):
        """"終了": the program must end at once and cleanly."""
        self.click("end1", sync=False)
        wait_for('tickora to end after "終了"', lambda: self.proc.poll() is not None, 10)
        check(self.proc.returncode == 0, 'tickora ended with status %d after "終了"' % self.proc.returncode)
        self.kill()

    def kill(self):
        self.proc.kill()
        self.proc.wait()
        self._pinger.sock.close()
