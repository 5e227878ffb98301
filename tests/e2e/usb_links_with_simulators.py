#!/usr/bin/env python3
"""Runs a test program with simulators behind the USB adapter's double:
boardsim as a GSM modem, as a GSM modem whose slave modem's line is busy, and
as a radio module (on channel 5, losing every second answer of the board).

    usb_links_with_simulators.py --boardsim CANDIDATE... -- PROGRAM [ARGS...]

The program gets BOARDSIM_MODEM_PORT, BOARDSIM_BUSY_MODEM_PORT, BOARDSIM_RADIO_PORT, the radio's pins
file BOARDSIM_RADIO_PINS (for FTD2XX_DOUBLE_PINS_FILE) and the simulators'
logs BOARDSIM_MODEM_LOG and BOARDSIM_RADIO_LOG. Without a boardsim the run is
skipped (status 77). The exit status is the program's.
"""
import argparse
import os
import signal
import subprocess
import sys
import tempfile


def start(boardsim, log, options):
    process = subprocess.Popen([boardsim, "--tcp", "0", "--log", log] + options, stdout=subprocess.PIPE, text=True)
    line = process.stdout.readline().split()
    if len(line) != 2 or line[0] != "tcp":
        process.kill()
        process.wait()
        raise RuntimeError("boardsim did not start with " + " ".join(options))
    return process, line[1]


def stop(process):
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
    process.stdout.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--boardsim", nargs="*", default=[])
    parser.add_argument("program", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    program = args.program[1:] if args.program[:1] == ["--"] else args.program
    boardsim = next((path for path in args.boardsim if os.access(path, os.X_OK)), None)
    if not boardsim:
        print("no boardsim among %s: build a native tree first; skipped" % " ".join(args.boardsim))
        return 77
    env = dict(os.environ)
    with tempfile.TemporaryDirectory(prefix="zorvel-usb-links-") as workdir:
        pins = os.path.join(workdir, "pins")
        modem_log, radio_log = os.path.join(workdir, "modem.log"), os.path.join(workdir, "radio.log")
        simulators = []
        try:
            for name, log, options in [
                    ("MODEM", modem_log, ["--modem"]),
                    ("BUSY_MODEM", os.path.join(workdir, "busy.log"), ["--modem", "--modem-fault", "busy"]),
                    ("SLOW_MODEM", os.path.join(workdir, "slow.log"), ["--modem", "--modem-ring-ms", "600000"]),
                    ("RADIO", radio_log, ["--radio", "--radio-channel", "5", "--radio-drop", "50",
                                          "--radio-pins", pins])]:
                process, port = start(boardsim, log, options)
                simulators.append(process)
                env["BOARDSIM_%s_PORT" % name] = port
            env.update(BOARDSIM_RADIO_PINS=pins, BOARDSIM_MODEM_LOG=modem_log, BOARDSIM_RADIO_LOG=radio_log)
            sys.stdout.flush()
            return subprocess.run(program, env=env).returncode
        finally:
            for process in simulators:
                stop(process)


if __name__ == "__main__":
    sys.exit(main())
