"""The few core X11 requests the end-to-end benchmarks make on a socket of their own: a ping
that the program answers from its event loop (_NET_WM_PING) and the root window's children."""

import select
import socket
import struct
import time


XError = ConnectionError  # what the X client raises


class XClient:
    """Core X11 requests on one socket: _NET_WM_PING (Qt answers it once it has handled every X
    event sent before it) and the root window's children."""

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

    def top_level_windows(self):
        """How many children the root window has, mapped or not (QueryTree)."""
        p = self._reply(self._request(struct.pack("<BxHI", 15, 2, self.root)))
        return struct.unpack_from("<H", p, 16)[0]
