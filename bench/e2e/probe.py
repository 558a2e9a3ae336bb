"""Event-loop probe of the end-to-end benchmarks: how long the real tickora's GUI thread leaves a
waiting X event alone, measured from outside with no change to the program.

A window manager finds out whether a program still answers by sending its window a _NET_WM_PING
client message; Qt answers it from the GUI thread when that thread next reaches its event loop,
by sending the message back to the root window. The time from sending the ping to seeing the
answer is an event-loop stall. The probe pings every 20 ms in a process of its own (so the
caller's own work cannot delay it) and also reports, for each ping, how long the program's GUI
thread, the X server and the probe itself waited for a CPU meanwhile (run-queue time from
/proc/PID/task/TID/schedstat). A busy machine delays a ping without the program being at fault;
the adjusted figure takes that time off, but is never less than the time the GUI thread itself
ran without answering. While an answer is overdue the probe also notes what the GUI thread is
doing (/proc/PID/task/TID/stat and syscall: running, or blocked in fdatasync, futex, ...), so a
stall comes with its cause.

The X side is Debian's python3-xlib; run it with /usr/bin/python3 (as the end-to-end harness).
"""

import os
import select
import subprocess
import sys
import threading
import time

sys.dont_write_bytecode = True  # keep the source folders clean
try:
    from Xlib import X, error
    from Xlib.display import Display
    from Xlib.protocol import event
except ImportError:
    sys.exit("probe.py needs Debian's python3-xlib: run it with /usr/bin/python3")


class Pinger:
    """_NET_WM_PING round trips to one of the program's windows on an X connection of its own."""

    def __init__(self, display, pid):
        self.d = Display(display)
        self.root = self.d.screen().root
        self.protocols = self.d.intern_atom("WM_PROTOCOLS")
        self.ping_atom = self.d.intern_atom("_NET_WM_PING")
        self.window = self._main_window(pid)
        self.token = 0
        # Qt sends its answer to the root window for the clients that selected StructureNotify or
        # SubstructureRedirect there (not SubstructureNotify, as window managers send theirs).
        # StructureNotify is taken: SubstructureRedirect would make the probe the window manager,
        # which holds back every window the program maps.
        self.root.change_attributes(event_mask=X.StructureNotifyMask)
        self.d.sync()

    def _main_window(self, pid):
        """The shown top-level window of process `pid` that takes _NET_WM_PING and is no dialog's
        (no WM_TRANSIENT_FOR): the main window. Qt's 1x1 client leader window bears the program's
        name too but takes no ping."""
        pid_atom = self.d.intern_atom("_NET_WM_PID")
        transient = self.d.intern_atom("WM_TRANSIENT_FOR")
        for w in self.root.query_tree().children:
            try:
                owner = w.get_full_property(pid_atom, X.AnyPropertyType)
                protocols = w.get_full_property(self.protocols, X.AnyPropertyType)
                if (owner and list(owner.value) == [pid] and protocols and self.ping_atom in protocols.value
                        and not w.get_full_property(transient, X.AnyPropertyType)
                        and w.get_attributes().map_state == X.IsViewable):
                    return w
            except error.BadWindow:
                continue  # gone meanwhile
        sys.exit("probe.py: no shown main window of process %d" % pid)

    def ping(self, timeout, waiting=None):
        """Sends _NET_WM_PING and returns the seconds until the program's answer, or None after
        `timeout` seconds. `waiting(seconds)` is called about every 10 ms while the answer is due."""
        self.token = (self.token + 1) & 0xFFFFFFFF
        data = (32, [self.ping_atom, self.token, self.window.id, 0, 0])
        message = event.ClientMessage(window=self.window, client_type=self.protocols, data=data)
        t0 = time.monotonic()
        self.window.send_event(message, event_mask=0)  # to the window's own client
        self.d.flush()
        while (left := t0 + timeout - time.monotonic()) > 0:
            while self.d.pending_events():
                e = self.d.next_event()
                if (e.type == X.ClientMessage and e.client_type == self.protocols
                        and list(e.data[1][:2]) == [self.ping_atom, self.token]):
                    return time.monotonic() - t0
            if not select.select([self.d], [], [], min(left, 0.01) if waiting else left)[0] and waiting:
                waiting(time.monotonic() - t0)


class StallProbe:
    """Runs the ping loop in a separate process and collects its samples: (monotonic send time,
    stall seconds, stall less CPU waits, seconds the GUI thread ran, what it was seen doing)."""

    def __init__(self, session, app):
        self.samples = []
        self.lock = threading.Lock()
        self.proc = session.spawn([sys.executable, os.path.abspath(__file__), session.display, str(app.pid),
                                   str(session.xvfb.pid)], log="probe.log", stdout=subprocess.PIPE)
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        for line in self.proc.stdout:
            parts = line.decode().split()
            if len(parts) == 5:
                with self.lock:
                    self.samples.append(tuple(float(v) for v in parts[:4]) + (parts[4],))

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
        self.proc.wait()

    def stalls(self, since, until=None, over=0.05):
        """The samples between two moments whose stall exceeds `over` seconds."""
        until = until if until is not None else time.monotonic()
        with self.lock:
            return [x for x in self.samples if since <= x[0] <= until and x[1] > over]

    def worst(self, since, until=None):
        """(largest raw stall, largest adjusted stall, number of pings) between two moments."""
        until = until if until is not None else time.monotonic()
        with self.lock:
            xs = [s for s in self.samples if since <= s[0] <= until]
        if not xs:
            return 0.0, 0.0, 0
        return max(s[1] for s in xs), max(s[2] for s in xs), len(xs)


def _schedstat(pid, tid):
    """(nanoseconds on a CPU, nanoseconds waiting for one) of a thread."""
    try:
        with open("/proc/%d/task/%d/schedstat" % (pid, tid)) as f:
            fields = f.read().split()
        return int(fields[0]), int(fields[1])
    except (OSError, ValueError, IndexError):
        return 0, 0


# System calls a stalled GUI thread may be found in (x86-64 numbers).
SYSCALLS = {0: "read", 1: "write", 3: "close", 7: "poll", 9: "mmap", 11: "munmap", 17: "pread64",
            18: "pwrite64", 20: "writev", 74: "fsync", 75: "fdatasync", 82: "rename", 202: "futex",
            232: "epoll_wait", 257: "openat", 265: "linkat", 271: "ppoll", 316: "renameat2"}


def _doing(pid):
    """What a thread is doing right now: its state letter and, when in a system call, its name."""
    try:
        with open("/proc/%d/task/%d/stat" % (pid, pid)) as f:
            state = f.read().rsplit(")", 1)[1].split()[0]
        with open("/proc/%d/task/%d/syscall" % (pid, pid)) as f:
            call = f.read().split()[0]
    except (OSError, IndexError):
        return "?"
    if call.isdigit():
        return "%s:%s" % (state, SYSCALLS.get(int(call), call))
    return state  # R: on a CPU or waiting for one


def probe_main(display, app_pid, xvfb_pid):
    x = Pinger(display, app_pid)
    me, my_tid = os.getpid(), threading.get_native_id()
    out = sys.stdout

    def waits():
        return _schedstat(app_pid, app_pid)[1] + _schedstat(xvfb_pid, xvfb_pid)[1] + _schedstat(me, my_tid)[1]

    while True:
        waited0, cpu0 = waits(), _schedstat(app_pid, app_pid)[0]
        seen = {}

        def waiting(seconds):
            if seconds > 0.04:  # a stall in the making: look at what the GUI thread is doing
                what = _doing(app_pid)
                seen[what] = seen.get(what, 0) + 1

        t0 = time.monotonic()
        latency = x.ping(120, waiting)
        if latency is None:
            latency = 120.0
        waited, cpu = (waits() - waited0) / 1e9, (_schedstat(app_pid, app_pid)[0] - cpu0) / 1e9
        # The waits of three threads may overlap and take off too much; the time the GUI thread
        # itself ran without answering is a stall in any case.
        adjusted = max(latency - max(0.0, waited), min(latency, cpu))
        # send time, stall, stall less CPU waits, time the GUI thread ran meanwhile, what it did
        doing = ",".join("%sx%d" % kv for kv in sorted(seen.items())) or "-"
        out.write("%.6f %.6f %.6f %.6f %s\n" % (t0, latency, adjusted, cpu, doing))
        out.flush()
        if not os.path.exists("/proc/%d" % app_pid):
            return
        time.sleep(0.02)


if __name__ == "__main__" and len(sys.argv) == 4:  # DISPLAY TICKORA_PID XVFB_PID
    try:
        probe_main(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]))
    except (error.XError, error.ConnectionClosedError, BrokenPipeError, KeyboardInterrupt):
        pass
