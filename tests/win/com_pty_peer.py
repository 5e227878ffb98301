#!/usr/bin/env python3
"""The far end of the serial ports that com_wine_test opens under Wine.

    com_pty_peer.py start STATE WINE_RUN TEST_EXE   start the peer, return once it serves
    com_pty_peer.py stop STATE                      stop it and remove its port links

The peer makes two pseudo-terminal pairs and links com37 and com38 of the
build's Wine prefix to their slave sides, so the test opens them as COM37 and
COM38. It answers lines ending in CR on the master sides:

    echo TEXT     -> TEXT CR
    line?         -> the line settings the port left on the terminal, CR
    blocks N SIZE -> N blocks of SIZE bytes ('A', 'B', ...), 100 ms apart
    hangup        -> closes that port's pair for good, like a pulled adapter

The peer keeps its own slave side open, so the master never sees a hang-up
while the test has the port closed. It ends by itself after ten idle minutes.
"""
import os
import pty
import select
import signal
import subprocess
import sys
import termios
import time
import tty

PORTS = ("com37", "com38")
IDLE_LIMIT_S = 600
CMSPAR = getattr(termios, "CMSPAR", 0o10000000000)  # Linux's value; Python does not name it
SPEEDS = {getattr(termios, name): int(name[1:]) for name in dir(termios)
          if name.startswith("B") and name[1:].isdigit()}


def prefix_of(wine_run, test_exe):
    # wine-run makes the prefix first if need be, so the links land in a whole one.
    prefix = subprocess.run([wine_run, "--prefix", test_exe], check=True, capture_output=True,
                            text=True).stdout.strip()
    os.makedirs(os.path.join(prefix, "dosdevices"), exist_ok=True)
    return prefix


def describe_line(slave):
    iflag, _, cflag, _, ispeed, _, _ = termios.tcgetattr(slave)
    speed = SPEEDS.get(ispeed, "other")
    flags = [("stop2", termios.CSTOPB), ("parodd", termios.PARODD), ("cmspar", CMSPAR),
             ("crtscts", termios.CRTSCTS)]
    words = ["baud=%s" % speed] + ["%s=%d" % (name, 1 if cflag & bit else 0) for name, bit in flags]
    words.append("xon=%d" % (1 if iflag & termios.IXON else 0))
    return " ".join(words)


class Port:
    def __init__(self, link):
        self.master, self.slave = pty.openpty()
        tty.setraw(self.slave)
        self.link = link
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(os.ttyname(self.slave), link)
        self.pending = b""

    def hangup(self):
        os.close(self.master)
        os.close(self.slave)
        self.master = None

    def answer(self, line):
        word, _, rest = line.partition(" ")
        if word == "echo":
            os.write(self.master, rest.encode() + b"\r")
        elif word == "line?":
            os.write(self.master, describe_line(self.slave).encode() + b"\r")
        elif word == "blocks":
            count, size = (int(n) for n in rest.split())
            for i in range(count):
                os.write(self.master, bytes([ord("A") + i % 26]) * size)
                time.sleep(0.1)
        elif word == "hangup":
            self.hangup()


def serve(ports):
    last = time.monotonic()
    while time.monotonic() - last < IDLE_LIMIT_S:
        open_ports = {p.master: p for p in ports if p.master is not None}
        if not open_ports:
            return
        ready, _, _ = select.select(list(open_ports), [], [], 1.0)
        for master in ready:
            port = open_ports[master]
            try:
                port.pending += os.read(master, 4096)
            except OSError:
                continue
            last = time.monotonic()
            while b"\r" in port.pending and port.master is not None:
                line, _, port.pending = port.pending.partition(b"\r")
                try:
                    port.answer(line.decode(errors="replace"))
                except Exception as failure:  # the test sees it instead of a silent peer
                    os.write(port.master, ("peer error: %s\r" % failure).encode())


def start(state, wine_run, test_exe):
    dosdevices = os.path.join(prefix_of(wine_run, test_exe), "dosdevices")
    ready_read, ready_write = os.pipe()
    if os.fork():
        os.close(ready_write)
        ok = os.read(ready_read, 1) == b"1"
        sys.exit(0 if ok else 1)
    os.close(ready_read)
    os.setsid()
    devnull = os.open(os.devnull, os.O_RDWR)
    log = os.open(state + ".log", os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
    for fd, target in ((0, devnull), (1, log), (2, log)):
        os.dup2(target, fd)
    ports = [Port(os.path.join(dosdevices, name)) for name in PORTS]
    with open(state, "w") as f:
        f.write("%d\n" % os.getpid())
        f.writelines(p.link + "\n" for p in ports)
    os.write(ready_write, b"1")
    os.close(ready_write)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        serve(ports)
    finally:
        for p in ports:
            if os.path.lexists(p.link):
                os.unlink(p.link)


def stop(state):
    try:
        with open(state) as f:
            pid = int(f.readline())
    except (OSError, ValueError):
        return
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    os.unlink(state)


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "start":
        start(*sys.argv[2:])
    elif len(sys.argv) == 3 and sys.argv[1] == "stop":
        stop(sys.argv[2])
    else:
        sys.exit(__doc__)
