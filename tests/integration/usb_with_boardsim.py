#!/usr/bin/env python3
"""Runs a test program with boardsim listening on a TCP port.

    usb_with_boardsim.py [--boardsim CANDIDATE...] -- PROGRAM [ARGS...]

Starts the first boardsim candidate that exists with `--tcp 0` and a log file,
gives the program BOARDSIM_TCP_PORT and BOARDSIM_LOG, runs it and stops the
simulator. Without any boardsim the program runs all the same (the cases that
need the simulator skip themselves). The exit status is the program's.
"""
import argparse
import os
import signal
import subprocess
import sys
import tempfile


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--boardsim", nargs="*", default=[])
    parser.add_argument("program", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    program = args.program[1:] if args.program[:1] == ["--"] else args.program
    found = [path for path in args.boardsim if os.access(path, os.X_OK)]
    env = dict(os.environ)
    with tempfile.TemporaryDirectory(prefix="zorvel-usb-") as workdir:
        simulator = None
        if found:
            log = os.path.join(workdir, "boardsim.log")
            simulator = subprocess.Popen([found[0], "--tcp", "0", "--log", log], stdout=subprocess.PIPE, text=True)
            line = simulator.stdout.readline().split()
            if len(line) != 2 or line[0] != "tcp":
                print("usb_with_boardsim: boardsim did not start")
                simulator.kill()
                simulator.wait()
                return 1
            env["BOARDSIM_TCP_PORT"] = line[1]
            env["BOARDSIM_LOG"] = log
        else:
            print("usb_with_boardsim: no boardsim (looked for %s); its cases are skipped" % " ".join(args.boardsim))
        sys.stdout.flush()
        try:
            return subprocess.run(program, env=env).returncode
        finally:
            if simulator:
                simulator.send_signal(signal.SIGTERM)
                try:
                    simulator.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    simulator.kill()
                    simulator.wait()
                simulator.stdout.close()


if __name__ == "__main__":
    sys.exit(main())
