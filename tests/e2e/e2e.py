"""Harness of the end-to-end tests: runs the real tickora under a private Xvfb against the
simulated market, drives it with xdotool like a user, and looks at it from outside.

Only the Python standard library and the command-line tools Xvfb, xdotool and setpriv are
used. The keyboard and the mouse are xdotool's. What the harness needs to see it reads itself
over a small X11 client (one Unix socket, a handful of core requests): pictures of screen
regions (GetImage), keys held down (QueryKeymap) and the answer to a _NET_WM_PING, which Qt
gives from the GUI thread once it has handled every X event sent before it. Two inputs go over
that client too, where xdotool cannot do what is needed: a key sent to one window alone
(answering a message box, so that a key can never reach the main window's entry box after the
box has gone) and a click whose moment is known to the millisecond (the save under kill).
"""

import argparse
import datetime
import os
import re
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import threading
import time
import traceback
import urllib.request
import zlib

# --------------------------------------------------------------------------------------------
# X11 client


class XError(Exception):
    pass


class XClient:
    """A minimal X11 client: enough core protocol for pictures, window lists and pings."""

    STRUCTURE_NOTIFY = 0x20000

    def __init__(self, display):
        number = display.lstrip(":").split(".")[0]
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect("/tmp/.X11-unix/X" + number)
        self.sock.sendall(struct.pack("<BxHHHHxx", ord("l"), 11, 0, 0, 0))
        status, _, _, _, length = struct.unpack("<BBHHH", self._read(8))
        body = self._read(length * 4)
        if status != 1:
            raise XError("the X server refused the connection: %r" % body)
        vendor_len = struct.unpack_from("<H", body, 16)[0]
        formats = body[21]
        screen = 32 + ((vendor_len + 3) & ~3) + 8 * formats
        self.root = struct.unpack_from("<I", body, screen)[0]
        self.width, self.height = struct.unpack_from("<HH", body, screen + 20)
        self.seq = 0
        self._atoms = {}

    def close(self):
        self.sock.close()

    def _read(self, n):
        out = bytearray()
        while len(out) < n:
            chunk = self.sock.recv(n - len(out))
            if not chunk:
                raise XError("the X server closed the connection")
            out += chunk
        return bytes(out)

    def _request(self, data):
        self.seq = (self.seq + 1) & 0xFFFF
        self.sock.sendall(data)
        return self.seq

    def _packet(self):
        p = self._read(32)
        if p[0] == 1:
            extra = struct.unpack_from("<I", p, 4)[0]
            if extra:
                p += self._read(extra * 4)
        return p

    def _reply(self, seq):
        while True:
            p = self._packet()
            kind = p[0]
            pseq = struct.unpack_from("<H", p, 2)[0]
            if kind == 0 and pseq == seq:
                raise XError("X error %d on request %d" % (p[1], p[10]))
            if kind == 1 and pseq == seq:
                return p
            # anything else is an event or the error of an earlier request: not wanted here

    def atom(self, name):
        if name not in self._atoms:
            b = name.encode()
            pad = (4 - len(b) % 4) % 4
            seq = self._request(struct.pack("<BBHHxx", 16, 0, 2 + (len(b) + pad) // 4, len(b)) + b + b"\0" * pad)
            self._atoms[name] = struct.unpack_from("<I", self._reply(seq), 8)[0]
        return self._atoms[name]

    def select_root(self, mask):
        self._request(struct.pack("<BxHIII", 2, 4, self.root, 0x800, mask))

    def send_client_message(self, window, type_atom, data):
        event = struct.pack("<BBHII", 33, 32, 0, window, type_atom) + struct.pack("<5I", *data)
        self._request(struct.pack("<BBHII", 25, 0, 11, window, 0) + event)

    def keys_down(self):
        """Keycodes the server holds pressed (QueryKeymap)."""
        p = self._reply(self._request(struct.pack("<BxH", 44, 1)))
        bits = p[8:40]
        return [i * 8 + b for i in range(32) for b in range(8) if bits[i] >> b & 1]

    def keycode(self, keysym):
        """The keycode that gives `keysym` unshifted (GetKeyboardMapping)."""
        if not hasattr(self, "_keymap"):
            first = 8
            p = self._reply(self._request(struct.pack("<BxHBBxx", 101, 2, first, 255 - first + 1)))
            per = p[1]
            syms = struct.unpack_from("<%dI" % ((len(p) - 32) // 4), p, 32)
            self._keymap = {}
            for i in range(len(syms) // per):
                self._keymap.setdefault(syms[i * per], first + i)
        return self._keymap[keysym]

    def send_key(self, window, keysym):
        """One key press and release sent to `window` alone (SendEvent): it cannot reach any other
        window, and a window that has gone meanwhile just makes the request fail."""
        code = self.keycode(keysym)
        for kind in (2, 3):  # KeyPress, KeyRelease
            event = struct.pack("<BBHIIIIhhhhHBx", kind, code, 0, 0, self.root, window, 0, 1, 1, 1, 1, 0, 1)
            self._request(struct.pack("<BBHII", 25, 0, 11, window, 0x1 if kind == 2 else 0x2) + event)
        self.sync()

    def fake_click(self, x, y, button=1):
        """Moves the pointer to (x, y) and clicks, through the XTEST extension as xdotool does,
        but on this connection: when this returns the server has made the events."""
        if not hasattr(self, "_xtest"):
            name = b"XTEST"
            pad = (4 - len(name) % 4) % 4
            p = self._reply(self._request(struct.pack("<BxHHxx", 98, 2 + (len(name) + pad) // 4, len(name))
                                          + name + b"\0" * pad))
            if not p[8]:
                raise XError("the X server has no XTEST extension")
            self._xtest = p[9]
        for kind, detail in ((6, 0), (4, button), (5, button)):  # motion, press, release
            self._request(struct.pack("<BBHBBxxIIxxxxxxxxhhxxxxxxxx", self._xtest, 2, 9, kind, detail, 0,
                                      self.root if kind == 6 else 0, x, y))
        self.sync()

    def sync(self):
        """Round trip to the server: every request so far has been handled (GetInputFocus)."""
        try:
            self._reply(self._request(struct.pack("<BxH", 43, 1)))
        except XError:
            pass  # an error of an earlier request (a window that has gone) ends up here

    def get_image(self, x, y, w, h):
        """The pixels of a root-window rectangle (ZPixmap; 32 bits a pixel at depth 24)."""
        x, y = max(0, x), max(0, y)
        w, h = max(1, min(w, self.width - x)), max(1, min(h, self.height - y))
        seq = self._request(struct.pack("<BBHIhhHHI", 73, 2, 5, self.root, x, y, w, h, 0xFFFFFFFF))
        p = self._reply(seq)
        if p[1] != 24:
            raise XError("expected a 24-bit screen, the X server has depth %d" % p[1])
        return Image(w, h, p[32 : 32 + w * h * 4], x, y)

    def screenshot(self):
        return self.get_image(0, 0, self.width, self.height)

    def ping(self, window, timeout, waiting=None):
        """Sends _NET_WM_PING to `window` and waits for the program's answer. Returns the
        seconds it took, or None when no answer came within `timeout` seconds. The root window
        must have been selected for STRUCTURE_NOTIFY. `waiting(seconds)` is called about every
        10 ms while the answer is due."""
        protocols, ping = self.atom("WM_PROTOCOLS"), self.atom("_NET_WM_PING")
        self._ping_serial = getattr(self, "_ping_serial", 0) + 1
        token = self._ping_serial
        t0 = time.monotonic()
        self.send_client_message(window, protocols, (ping, token, window, 0, 0))
        while True:
            left = t0 + timeout - time.monotonic()
            if left <= 0:
                return None
            if not select.select([self.sock], [], [], min(left, 0.01) if waiting else left)[0]:
                if waiting:
                    waiting(time.monotonic() - t0)
                continue
            p = self._packet()
            if (p[0] & 0x7F) == 33:
                typ, d0, d1 = struct.unpack_from("<III", p, 8)
                if typ == protocols and d0 == ping and d1 == token:
                    return time.monotonic() - t0


# --------------------------------------------------------------------------------------------
# Pictures


class Image:
    """Pixels as the X server gives them: B, G, R, unused, row by row. (ox, oy) is where the
    picture's top-left pixel stands on the screen."""

    def __init__(self, w, h, data, ox=0, oy=0):
        self.w, self.h, self.data, self.ox, self.oy = w, h, data, ox, oy

    def pixel(self, x, y):
        """RGB of the pixel at screen position (x, y)."""
        i = ((y - self.oy) * self.w + (x - self.ox)) * 4
        return self.data[i + 2], self.data[i + 1], self.data[i]

    def pixels(self, rect, inset=1):
        """RGB of every pixel of a screen rectangle (x, y, w, h), less `inset` pixels at each
        edge (the grid lines)."""
        x, y, w, h = rect
        for py in range(y + inset, y + h - inset):
            for px in range(x + inset, x + w - inset):
                yield self.pixel(px, py)

    def rgb_row(self, y):
        row = self.data[y * self.w * 4 : (y + 1) * self.w * 4]
        out = bytearray(self.w * 3)
        out[0::3], out[1::3], out[2::3] = row[2::4], row[1::4], row[0::4]
        return bytes(out)

    def region_bytes(self, rect, inset=1):
        return bytes(b for p in self.pixels(rect, inset) for b in p)

    def save_png(self, path):
        raw = b"".join(b"\0" + self.rgb_row(y) for y in range(self.h))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(raw, 3)))
            f.write(chunk(b"IEND", b""))


def ink(image, rect, inset=1, tolerance=60):
    """How many pixels of a rectangle stand out from its most common colour: text or drawing
    on a plain background. 0 for a blank cell."""
    px = list(image.pixels(rect, inset))
    if not px:
        return 0
    counts = {}
    for p in px:
        counts[p] = counts.get(p, 0) + 1
    bg = max(counts, key=counts.get)
    return sum(1 for p in px if sum(abs(a - b) for a, b in zip(p, bg)) > tolerance)


def count_colour(image, rect, want, inset=1):
    """How many pixels of a rectangle satisfy `want((r, g, b))`."""
    return sum(1 for p in image.pixels(rect, inset) if want(p))


def is_red(p):
    r, g, b = p
    return r >= 150 and g <= 90 and b <= 90


def is_green(p):
    r, g, b = p
    return g >= 150 and r <= 90 and b <= 90


def read_bmp(path):
    """Reads an uncompressed 24- or 32-bit Windows bitmap into an Image."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise AssertionError("%s is not a BMP file (starts with %r)" % (path, data[:2]))
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits not in (24, 32) or compression not in (0, 3):
        raise AssertionError("%s: unexpected BMP form: %d bits, compression %d" % (path, bits, compression))
    step = bits // 8
    stride = (width * step + 3) & ~3
    out = bytearray(width * abs(height) * 4)
    for row in range(abs(height)):
        src_row = abs(height) - 1 - row if height > 0 else row
        src = data[offset + src_row * stride : offset + src_row * stride + width * step]
        dst = row * width * 4
        out[dst : dst + width * 4 : 4] = src[0::step]
        out[dst + 1 : dst + width * 4 : 4] = src[1::step]
        out[dst + 2 : dst + width * 4 : 4] = src[2::step]
    return Image(width, abs(height), bytes(out))


def differing_pixels(a, b):
    """Number of pixels in which two same-sized pictures differ."""
    if (a.w, a.h) != (b.w, b.h):
        raise AssertionError("pictures of different sizes: %dx%d and %dx%d" % (a.w, a.h, b.w, b.h))
    n, stride = 0, a.w * 4
    for y in range(a.h):
        ra, rb = a.data[y * stride : (y + 1) * stride], b.data[y * stride : (y + 1) * stride]
        if ra == rb:
            continue
        for x in range(a.w):
            i = x * 4
            if ra[i : i + 3] != rb[i : i + 3]:
                n += 1
    return n


# --------------------------------------------------------------------------------------------
# Time zone, files


def trading_tz(at="12:00"):
    """A POSIX TZ value under which the local time of day is now about `at`, so that ticks of
    the refresh cycle fall inside trading hours (9:00 to 15:01) and ask nothing."""
    now = datetime.datetime.now(datetime.timezone.utc)
    h, m = map(int, at.split(":"))
    offset = (h * 60 + m) - (now.hour * 60 + now.minute)
    offset = (offset + 720) % 1440 - 720  # within -12:00 .. +11:59
    sign = "-" if offset >= 0 else ""  # POSIX counts hours west of Greenwich
    a = abs(offset)
    return "TKR%s%d:%02d" % (sign, a // 60, a % 60), offset


def local_now(offset_minutes):
    return datetime.datetime.now(datetime.timezone.utc) + datetime.timedelta(minutes=offset_minutes)


def read_watch_list(path):
    """dat.txt as rows of 12 texts, decoded from CP932; the file must end each line in CR LF."""
    with open(path, "rb") as f:
        data = f.read()
    text = data.decode("cp932")
    if text and not text.endswith("\r\n"):
        raise AssertionError("%s does not end in CR LF: %r" % (path, text[-20:]))
    rows = []
    for line in text.split("\r\n")[:-1]:
        fields = re.findall(r'(-?\d+|"[^"]*")(?:,|$)', line)
        if len(fields) != 12:
            raise AssertionError("%s: a line of %d fields: %r" % (path, len(fields), line))
        rows.append([fields[0]] + [f[1:-1] for f in fields[1:]])
    return rows


def encode_watch_list(rows):
    """The bytes the program writes for `rows` (code first, then 11 quoted texts)."""
    out = ""
    for r in rows:
        r = list(r) + [""] * (12 - len(r))
        out += str(int(r[0])) + "," + ",".join('"%s"' % t for t in r[1:12]) + "\r\n"
    return out.encode("cp932")


def code_names(csv_path):
    """The code list as {code: name}; the last record of a code wins."""
    names = {}
    with open(csv_path, "rb") as f:
        for line in f.read().decode("cp932").splitlines():
            m = re.match(r'\s*(\d+)\s*,\s*"?([^"]*)"?\s*$', line)
            if m:
                names[int(m.group(1))] = m.group(2)
    return names


def file_digest(path):
    import hashlib

    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


# --------------------------------------------------------------------------------------------
# Processes


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, predicate, timeout, interval=0.05):
    """Polls `predicate` until it returns something true; fails naming `what` on time-out."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def common_arguments(description):
    p = argparse.ArgumentParser(description=description)
    p.add_argument("--tickora", required=True, help="path of the tickora program")
    p.add_argument("--market", required=True, help="path of the tickora-market program")
    p.add_argument("--display", required=True, help="X display number for the private Xvfb, e.g. 76")
    p.add_argument("--work", required=True, help="folder for the data folder, logs and screenshots")
    return p


class Session:
    """Owns every process of one test: Xvfb, the market, tickora. Everything started here is
    ended when the session closes, also on failure; each child is also started with a death
    signal so that it goes when the harness itself is killed (a CTest time-out)."""

    def __init__(self, args, name):
        self.args = args
        self.name = name
        self.work = os.path.abspath(args.work)
        if os.path.isdir(self.work):
            shutil.rmtree(self.work)
        self.shots = os.path.join(self.work, "shots")
        os.makedirs(self.shots)
        self.tmp = os.path.join(self.work, "tmp")
        self.runtime = os.path.join(self.work, "runtime")
        os.makedirs(self.tmp)
        os.makedirs(self.runtime, mode=0o700)
        self.display = ":" + str(args.display).lstrip(":")
        self.procs = []
        self.logs = []
        self.x = None
        self.tz, self.tz_offset = trading_tz()
        self._shot_serial = 0

    # -- context --
    def __enter__(self):
        for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            signal.signal(s, self._on_signal)
        return self

    def __exit__(self, kind, value, tb):
        if kind is not None:
            self.report_failure(kind, value, tb)
        self.close()
        return False

    def _on_signal(self, signum, frame):
        raise SystemExit("stopped by signal %d" % signum)

    def report_failure(self, kind, value, tb):
        if kind is SystemExit:
            print("\nSTOPPED: %s" % value, file=sys.stderr)
        else:
            print("\nFAILED: %s" % value, file=sys.stderr)
        try:
            value._reported = True
        except AttributeError:
            pass
        if kind is not Failure:
            traceback.print_exception(kind, value, tb)
        try:
            if self.x:
                self.shot("failure")
        except Exception as e:  # the display may be gone already
            print("(no failure screenshot: %s)" % e, file=sys.stderr)
        for path in self.logs:
            try:
                with open(path, "rb") as f:
                    tail = f.read()[-3000:].decode("utf-8", "replace")
                if tail.strip():
                    print("---- last lines of %s ----\n%s" % (path, tail), file=sys.stderr)
            except OSError:
                pass
        print("work folder and screenshots: %s" % self.work, file=sys.stderr)

    def close(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                try:
                    proc.terminate()
                except OSError:
                    pass
        for proc in reversed(self.procs):
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        self.procs = []
        if self.x:
            self.x.close()
            self.x = None

    # -- starting --
    def spawn(self, argv, env=None, log=None, stdout=None):
        launcher = ["setpriv", "--pdeathsig", "KILL", "--"] if shutil.which("setpriv") else []
        err = open(os.path.join(self.work, log), "ab") if log else subprocess.DEVNULL
        if log:
            self.logs.append(err.name)
        proc = subprocess.Popen(launcher + argv, env=env, stdin=subprocess.DEVNULL,
                                stdout=stdout if stdout is not None else err, stderr=err)
        if log:
            err.close()
        self.procs.append(proc)
        return proc

    def start_xvfb(self):
        lock = "/tmp/.X%s-lock" % self.display[1:]
        check(not os.path.exists(lock) or not _lock_alive(lock),
              "display %s is taken (%s); give the test another display number" % (self.display, lock))
        self.xvfb = self.spawn(["Xvfb", self.display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
                                "-noreset"], log="xvfb.log")

        def up():
            if self.xvfb.poll() is not None:
                raise Failure("Xvfb %s ended at start (see xvfb.log)" % self.display)
            try:
                self.x = XClient(self.display)
                return True
            except OSError:
                return False

        wait_for("Xvfb on " + self.display, up, 15)
        return self.x

    def start_market(self, *options, port=0):
        proc = self.spawn([self.args.market, "--port", str(port)] + list(options),
                          env=dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=self.runtime),
                          log="market.log", stdout=subprocess.PIPE)
        line = proc.stdout.readline().decode()
        m = re.search(r"http://127\.0\.0\.1:(\d+)", line)
        check(m is not None, "tickora-market did not say where it listens (%r)" % line)
        # Nothing more comes on standard output; let the pipe go.
        threading.Thread(target=proc.stdout.read, daemon=True).start()
        proc.url = m.group(0)
        proc.port = int(m.group(1))
        return proc

    def tickora_env(self, data_dir, market_url, tick_ms=None):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "TICKORA_"))}
        env.update(DISPLAY=self.display, TZ=self.tz, TMPDIR=self.tmp, XDG_RUNTIME_DIR=self.runtime,
                   LANG="C.UTF-8", QT_QPA_PLATFORM="xcb", NO_AT_BRIDGE="1",
                   TICKORA_DATA_DIR=data_dir, TICKORA_MARKET_URL=market_url,
                   TICKORA_UI_MAP=os.path.join(self.work, "uimap.txt"),
                   TICKORA_PRINT_TO_PDF=os.path.join(self.work, "printed.pdf"))
        if tick_ms is not None:
            env["TICKORA_TICK_MS"] = str(tick_ms)
        return env

    def start_tickora(self, data_dir, market_url, tick_ms=None, wait=True):
        env = self.tickora_env(data_dir, market_url, tick_ms)
        if os.path.exists(env["TICKORA_UI_MAP"]):
            os.remove(env["TICKORA_UI_MAP"])
        app = Tickora(self, self.spawn([self.args.tickora], env=env, log="tickora.log"), env)
        if wait:
            app.wait_ready()
        return app

    # -- looking --
    def xdo(self, *argv, check_rc=True):
        r = subprocess.run(["xdotool"] + [str(a) for a in argv], env=dict(os.environ, DISPLAY=self.display),
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if check_rc and r.returncode != 0:
            raise Failure("xdotool %s failed: %s" % (" ".join(map(str, argv)), r.stderr.decode().strip()))
        return r.stdout.decode()

    def visible_windows(self, title_regex):
        out = self.xdo("search", "--onlyvisible", "--name", title_regex, check_rc=False)
        return [int(w) for w in out.split()]

    def shot(self, label):
        """Saves a screenshot as shots/NN-label.png and returns the picture."""
        image = self.x.screenshot()
        self._shot_serial += 1
        path = os.path.join(self.shots, "%02d-%s.png" % (self._shot_serial, label))
        image.save_png(path)
        image.path = path
        return image

    def capture_date(self):
        return local_now(self.tz_offset).date()


def _lock_alive(path):
    try:
        with open(path) as f:
            pid = int(f.read().strip())
        os.kill(pid, 0)
        return True
    except (OSError, ValueError):
        return False


class Tickora:
    """One running tickora and the user's hands on it."""

    def __init__(self, session, proc, env):
        self.s = session
        self.proc = proc
        self.env = env
        self.pid = proc.pid
        self.window = None
        self._map = None
        self._pinger = None

    def alive(self):
        return self.proc.poll() is None

    def check_alive(self, when=""):
        check(self.alive(), "tickora ended (exit status %s)%s" % (self.proc.returncode, " " + when if when else ""))

    def wait_ready(self, timeout=30, map_from=None):
        """Waits for the main window, the UI map (or takes `map_from`, the map of an earlier run
        with the same screen) and the first answer of the event loop."""
        def window():
            self.check_alive("at start")
            ids = self.s.visible_windows("^Tickora$")
            big = [w for w in ids if self._is_main(w)]
            return big[0] if big else None

        self.window = wait_for("tickora's main window", window, timeout)
        if map_from:
            self._map = dict(map_from)
        else:
            wait_for("the UI map", lambda: self.ui(reload=True).get("cell_12_12"), timeout)
        self.sync()
        return self

    def _is_main(self, w):
        geo = self.s.xdo("getwindowgeometry", w, check_rc=False)
        m = re.search(r"Geometry: (\d+)x(\d+)", geo)
        return m is not None and int(m.group(1)) >= 1000 and int(m.group(2)) >= 700

    def ui(self, reload=False):
        """The UI map: {name: (x, y, w, h)} in screen pixels."""
        if reload or self._map is None:
            try:
                with open(self.env["TICKORA_UI_MAP"], encoding="utf-8") as f:
                    lines = f.read().splitlines()
            except OSError:
                return {}
            m = {}
            for line in lines:
                parts = line.split()
                if len(parts) == 5:
                    m[parts[0]] = tuple(int(v) for v in parts[1:])
            if "cell_12_12" not in m:
                return {}  # written half-way
            self._map = m
        return self._map

    def rect(self, name):
        r = self.ui().get(name)
        check(r is not None, "the UI map has no %s" % name)
        return r

    def sync(self, timeout=30):
        """Returns once the program has handled every X event sent to it so far (a ping's answer
        comes after them)."""
        if self._pinger is None:
            self._pinger = XClient(self.s.display)
            self._pinger.select_root(XClient.STRUCTURE_NOTIFY)
        t = self._pinger.ping(self.window, timeout)
        # Repaints asked for while those events were handled come a moment later.
        time.sleep(0.03)
        check(t is not None and self._pinger.ping(self.window, timeout) is not None,
              "tickora did not answer a ping within %d s" % timeout)
        stuck = self._pinger.keys_down()
        check(not stuck, "keys held down on the X server: %s" % stuck)
        return t

    def click(self, name):
        """Clicks the middle of a control, menu item or cell of the UI map."""
        self.click_at(*_centre(self.rect(name)))

    def click_at(self, x, y):
        self.check_alive()
        self.s.xdo("mousemove", x, y, "click", 1)
        self.sync()

    def type(self, text):
        self.s.xdo("type", "--delay", 20, text)
        self.sync()

    def key(self, *keys):
        self.s.xdo("key", *keys)
        self.sync()

    def boxes(self, title):
        """Visible top-level windows with this exact title, other than the main window."""
        return [w for w in self.s.visible_windows("^%s$" % re.escape(title)) if w != self.window]

    def wait_box(self, title, timeout=10):
        return wait_for('a box titled "%s"' % title, lambda: (self.check_alive(), self.boxes(title))[1], timeout)[0]

    KEYSYMS = {"Return": 0xFF0D, "Escape": 0xFF1B}

    def answer(self, box, key="Return", timeout=10):
        """Presses `key` in the box and waits until the box has gone. The key is sent to the
        box's window alone, once: it can never land in the main window's entry box."""
        self.s.x.send_key(box, self.KEYSYMS[key])
        wait_for("the box to close on %s" % key, lambda: box not in self.s.visible_windows(".*"), timeout)
        self.sync()

    def menu(self, name):
        self.click(name)

    def quit(self, timeout=10):
        """"終了"; the program must end at once and cleanly."""
        self.check_alive()
        self.s.xdo("mousemove", *_centre(self.rect("end1")), "click", 1)
        try:
            rc = self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure('tickora did not end within %d s of "終了"' % timeout)
        check(rc == 0, 'tickora ended with status %d after "終了"' % rc)
        self.close_pinger()

    def close_pinger(self):
        if self._pinger:
            self._pinger.close()
            self._pinger = None

    def kill(self):
        if self.alive():
            self.proc.kill()
        self.proc.wait()
        self.close_pinger()


def _centre(rect):
    x, y, w, h = rect
    return x + w // 2, y + h // 2


# --------------------------------------------------------------------------------------------
# Market control


def market_get(url, path, timeout=5):
    with urllib.request.urlopen(url + path, timeout=timeout) as r:
        return r.read().decode()


def set_fault(url, mode, path_prefix=None):
    q = "/_control/fault?mode=" + urllib.request.quote(mode, safe=":")
    if path_prefix:
        q += "&path=" + urllib.request.quote(path_prefix)
    market_get(url, q)


def run(main):
    """Runs a test's main function: exit status 0 on success, 1 on a failed check."""
    try:
        main()
    except SystemExit:
        raise
    except BaseException as e:
        if not getattr(e, "_reported", False):
            print("\nFAILED: %s" % e, file=sys.stderr)
            if not isinstance(e, Failure):
                traceback.print_exc()
        sys.exit(1)
    print("PASSED")
