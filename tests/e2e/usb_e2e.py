#!/usr/bin/env python3
"""End-to-end: `zorvelctl --usb DEV<n>` against boardsim through the D2XX double.

    usb_e2e.py --zorvelctl PATH --boardsim CANDIDATE... --link tcp|pty [--wine-run PATH]

The double (on the search path the test's environment names) connects the
opened adapter to the simulator over TCP or its pseudo-terminal. Every case
starts its own simulator, runs the client and checks its exit status, its
output, the commands the simulator received and its state. With --wine-run the
Windows zorvelctl.exe runs under Wine.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

from e2e_support import Boardsim, check, decoded, expect, fields, run_case, summary

OK_READ = "Настройки успешно прочитаны"
OK_WRITE = "Устройство подтверждает смену настроек"
NO_DRIVER = "Драйвер USB не установлен"
SEARCH_PATH_VARIABLES = ("LD_LIBRARY_PATH", "WINEPATH")


class Client:
    def __init__(self, args):
        self.args = args

    def run(self, arguments, env=None, driver=True):
        command = [self.args.zorvelctl] + arguments
        if self.args.wine_run:
            command = [self.args.wine_run] + command
        environment = dict(os.environ)
        if not driver:
            for name in SEARCH_PATH_VARIABLES:
                environment.pop(name, None)
        environment.update(env or {})
        done = subprocess.run(command, capture_output=True, timeout=120, env=environment)
        out, err = decoded(done.stdout), decoded(done.stderr)
        return done.returncode, out, err


def attached(sim, **more):
    env = {"FTD2XX_DOUBLE_CONNECT": sim.connect}
    env.update(more)
    return env


# --- Cases -------------------------------------------------------------------

def case_read(sim, client):
    result = client.run(["--usb", "DEV0", "read"], attached(sim))
    expect(result, 0, OK_READ)
    f = fields(result[1])
    check(f["firmware"] == "10.1" and f["mode"] == "3" and f["interval"] == "10", f)
    check(f["hours"] == "6,10,16,21" and f["brightness"] == "100,80,60,20", f)
    check(sim.commands() == ["read status"], sim.commands())


def case_write(sim, client):
    result = client.run(["--usb", "DEV0", "--settle-ms", "0", "write", "--date", "01.02.2030", "--time", "08:09:10",
                         "--mode", "2", "--interval", "42", "--hours", "1,2,3,4", "--brightness", "21,22,23,24"],
                        attached(sim))
    expect(result, 0, OK_WRITE)
    check(sim.commands() == ["read status", "write date=01.02.30", "write time=08.09.10",
                             "write brightness=21.22.23.24", "write timeEx= 1. 2. 3. 4", "write mode=2",
                             "write interval=42"], sim.commands())
    state = sim.state()
    check(state["date"] == "2030-02-01" and state["mode"] == 2 and state["interval"] == 42, state)
    check(state["hours"] == [1, 2, 3, 4] and state["brightness"] == [21, 22, 23, 24], state)


def case_second_of_three(sim, client):
    result = client.run(["--usb", "DEV2", "--json", "read"], attached(sim, FTD2XX_DOUBLE_DEVICES="3"))
    expect(result, 0)
    check(json.loads(result[1])["outcome"] == "Read", result[1])


def case_short_reads_in_chunks(sim, client):
    result = client.run(["--usb", "DEV0", "read"], attached(sim, FTD2XX_DOUBLE_SHORT_READS="1"))
    expect(result, 0, OK_READ)
    check(fields(result[1])["brightness"] == "100,80,60,20", result[1])


def case_silent_board(sim, client):
    expect(client.run(["--usb", "DEV0", "read"], attached(sim)), 1, "Устройство не отвечает на команды")


def case_dev5_of_three(sim, client):
    result = client.run(["--usb", "DEV5", "--json", "read"], attached(sim, FTD2XX_DOUBLE_DEVICES="3"))
    expect(result, 3)
    report = json.loads(result[1])
    check(report["outcome"] == "NotOpened" and report["message"] == "USB устройство DEV5 не найдено", report)
    check(sim.commands() == [], sim.commands())


def case_no_adapter(sim, client):
    result = client.run(["--usb", "DEV0", "read"], attached(sim, FTD2XX_DOUBLE_DEVICES="0"))
    expect(result, 3)
    check("USB устройство DEV0 не найдено" in result[2], result[2])


def case_no_driver(sim, client):
    result = client.run(["--usb", "DEV0", "--json", "read"], attached(sim), driver=False)
    expect(result, 3)
    report = json.loads(result[1])
    check(report["outcome"] == "NotOpened" and report["message"].startswith(NO_DRIVER), report)
    check(NO_DRIVER in result[2], "the reason goes to standard error: " + result[2])


def case_usage(sim, client):
    for arguments in (["--usb", "DEV0", "--tcp", "127.0.0.1:1", "read"], ["--usb", "DEV0", "--serial", "COM1", "read"],
                      ["--usb", "DEVICE-NAME-TOO-LONG", "read"], ["--usb"]):
        code, out, err = client.run(arguments, attached(sim))
        check(code == 2, "%s: exit %d\n%s" % (arguments, code, err))
    check(sim.commands() == [], sim.commands())


CASES = [
    # (name, simulator options)
    ("read", []),
    ("write", []),
    ("second_of_three", []),
    ("short_reads_in_chunks", ["--chunk-bytes", "7", "--chunk-pause-ms", "20"]),
    ("silent_board", ["--silent"]),
    ("dev5_of_three", []),
    ("no_adapter", []),
    ("no_driver", []),
    ("usage", []),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zorvelctl", required=True)
    parser.add_argument("--boardsim", nargs="+", required=True, help="candidates; the first that exists is used")
    parser.add_argument("--link", choices=["tcp", "pty"], required=True)
    parser.add_argument("--wine-run")
    parser.add_argument("--only", help="run only this case")
    args = parser.parse_args()
    found = [path for path in args.boardsim if os.access(path, os.X_OK)]
    if not found:
        print("boardsim not found (looked for %s); build a native tree first" % ", ".join(args.boardsim))
        return 77
    client = Client(args)
    failed = []
    with tempfile.TemporaryDirectory(prefix="zorvel-usb-e2e-") as workdir:
        for name, options in CASES:
            if args.only and name != args.only:
                continue
            sim = Boardsim(found[0], workdir, options, args.link)
            run_case(name, lambda: globals()["case_" + name](sim, client), sim.stop, failed)
    return summary(failed)


if __name__ == "__main__":
    sys.exit(main())
