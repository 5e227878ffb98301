#!/usr/bin/env python3
"""Wall times of zorvelctl for one board and for a fleet over TCP (a timed tool, not a test).

    cmake --preset native-release && cmake --build build/native-release -j2 --target zorvelctl boardsim tcp_min_client
    bench/fleet_wall.py [--bin build/native-release/bin] [--boards 100] [--runs 20] [--write-runs 3]

Starts BOARDS boardsim processes on free ports, then measures, each from process start to exit:
  - one read by tcp_min_client (connect, "read status\\r", reply, exit): the yardstick
  - one read by `zorvelctl --tcp HOST:PORT read`
  - `zorvelctl fleet FILE read` with one board and with all BOARDS
  - the same BOARDS read by a single-threaded event loop inside this script (no process start):
    what the simulators themselves allow on this machine
  - one `write --verify` and a fleet `write --verify` of all BOARDS (default settle pauses, 2 x 6 s)
"""
import argparse
import os
import selectors
import signal
import socket
import statistics
import subprocess
import tempfile
import time


def median_ms(command, runs):
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        subprocess.run(command, check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append((time.perf_counter() - started) * 1000)
    return statistics.median(times), min(times), max(times)


def event_loop_read_ms(ports):
    selector = selectors.DefaultSelector()
    started = time.perf_counter()
    for port in ports:
        s = socket.socket()
        s.setblocking(False)
        try:
            s.connect(("127.0.0.1", port))
        except BlockingIOError:
            pass
        selector.register(s, selectors.EVENT_WRITE, {"reply": b"", "sent": False})
    left = len(ports)
    while left:
        for key, _ in selector.select():
            s, state = key.fileobj, key.data
            if not state["sent"]:
                s.send(b"read status\r")
                state["sent"] = True
                selector.modify(s, selectors.EVENT_READ, state)
                continue
            state["reply"] += s.recv(4096)
            at = state["reply"].find(b"Brightness(20...100):")
            if at >= 0 and b"\r" in state["reply"][at:]:
                selector.unregister(s)
                s.close()
                left -= 1
    return (time.perf_counter() - started) * 1000


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", default=os.path.join(os.path.dirname(__file__), "..", "build", "native-release", "bin"))
    parser.add_argument("--boards", type=int, default=100)
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--write-runs", type=int, default=3)
    args = parser.parse_args()
    zorvelctl = os.path.join(args.bin, "zorvelctl")
    simulators = []
    with tempfile.TemporaryDirectory(prefix="fleet-wall-") as workdir:
        try:
            for _ in range(args.boards):
                simulators.append(subprocess.Popen([os.path.join(args.bin, "boardsim"), "--tcp", "0"],
                                                   stdout=subprocess.PIPE, text=True))
            ports = [int(p.stdout.readline().split()[1]) for p in simulators]
            one, many = os.path.join(workdir, "one.csv"), os.path.join(workdir, "many.csv")
            with open(many, "w") as f:
                f.write("name,target\n" + "".join("b%d,tcp:127.0.0.1:%d\n" % (i, p) for i, p in enumerate(ports)))
            with open(one, "w") as f:
                f.write("name,target\nb0,tcp:127.0.0.1:%d\n" % ports[0])
            single = ["--tcp", "127.0.0.1:%d" % ports[0]]

            rows = [
                ("tcp_min_client read (yardstick)", median_ms([os.path.join(args.bin, "tcp_min_client"), "127.0.0.1",
                                                                str(ports[0])], args.runs)),
                ("zorvelctl --tcp read", median_ms([zorvelctl] + single + ["read"], args.runs)),
                ("zorvelctl fleet (1 board) read", median_ms([zorvelctl, "fleet", one, "read"], args.runs)),
                ("zorvelctl fleet (%d boards) read" % args.boards, median_ms([zorvelctl, "fleet", many, "read"], args.runs)),
            ]
            loop = [event_loop_read_ms(ports) for _ in range(args.runs)]
            rows.append(("event loop in-process, %d boards" % args.boards, (statistics.median(loop), min(loop), max(loop))))
            rows.append(("zorvelctl --tcp write --verify", median_ms([zorvelctl] + single + ["write", "--verify"],
                                                                     args.write_runs)))
            rows.append(("zorvelctl fleet (%d boards) write --verify" % args.boards,
                         median_ms([zorvelctl, "fleet", many, "write", "--verify"], args.write_runs)))
            for name, (median, low, high) in rows:
                print("%-44s median %9.1f ms  (min %.1f, max %.1f)" % (name, median, low, high))
            print("fleet read / one read:            %.2f" % (rows[3][1][0] / rows[1][1][0]))
            print("fleet write --verify / one write: %.2f" % (rows[6][1][0] / rows[5][1][0]))
        finally:
            for p in simulators:
                p.send_signal(signal.SIGTERM)
            for p in simulators:
                p.wait()


if __name__ == "__main__":
    main()
