#!/usr/bin/env python3
"""Wall time of zorvelctl against boardsim, median of N runs (a timed tool, not a test).

    cmake --preset native-release && cmake --build build/native-release -j2 --target zorvelctl boardsim
    bench/zorvelctl_wall.py [--bin build/native-release/bin] [--runs 20]

Measures `read` over TCP and over a pseudo-terminal, and `write --mode 3 --settle-ms 0`
over both, each from process start to exit.
"""
import argparse
import os
import signal
import statistics
import subprocess
import tempfile
import time


def start_simulator(boardsim, workdir):
    link = os.path.join(workdir, "board-pty")
    process = subprocess.Popen([boardsim, "--tcp", "0", "--pty", link], stdout=subprocess.PIPE, text=True)
    port = int(process.stdout.readline().split()[1])
    process.stdout.readline()  # the pty line
    return process, port, link


def median_ms(command, runs):
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        times.append((time.perf_counter() - started) * 1000)
    return statistics.median(times), min(times), max(times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", default=os.path.join(os.path.dirname(__file__), "..", "build", "native-release", "bin"))
    parser.add_argument("--runs", type=int, default=20)
    args = parser.parse_args()
    zorvelctl = os.path.join(args.bin, "zorvelctl")
    with tempfile.TemporaryDirectory(prefix="zorvelctl-wall-") as workdir:
        process, port, link = start_simulator(os.path.join(args.bin, "boardsim"), workdir)
        try:
            for name, transport in (("tcp", ["--tcp", "127.0.0.1:%d" % port]), ("pty", ["--serial", link])):
                for what, command in (("read", ["read"]),
                                      ("write --mode 3 --settle-ms 0", ["write", "--mode", "3", "--settle-ms", "0"])):
                    median, low, high = median_ms([zorvelctl] + transport + command, args.runs)
                    print("%-3s %-30s median %7.1f ms  (min %.1f, max %.1f, %d runs)"
                          % (name, what, median, low, high, args.runs))
        finally:
            process.send_signal(signal.SIGTERM)
            process.wait()


if __name__ == "__main__":
    main()
