#!/usr/bin/env python3
"""End-to-end: zorvelctl against boardsim.

    zorvelctl_e2e.py --zorvelctl PATH --boardsim PATH --link tcp|pty|com [--wine-run PATH] [--suite full|wine]

Every case starts its own simulator (with the faults the case orders), runs the
client, and checks its exit status, its output, the simulator's state file and
its log of received commands. --link com runs a Windows zorvelctl.exe through
the Wine wrapper against the simulator's pseudo-terminal mapped to a COM port of
the Wine prefix.
"""
import argparse
import datetime
import json
import os
import subprocess
import sys
import tempfile

from e2e_support import Boardsim, check, decoded, expect, fields, run_case, summary
import time

OK_READ = "Настройки успешно прочитаны"
OK_WRITE = "Устройство подтверждает смену настроек"
NO_ANSWER = "Устройство не отвечает на команды"
OTHER_FIRMWARE = "Устройство использует другой тип прошивки"
NO_FIRMWARE = "Не удается прочитать тип прошивки"
CLOCK_FAULT = "Микросхема часов на устройстве неисправна"
NO_MODE = "Не удается прочитать значение режима"
CLOCK_DIFFERS = ("Дата/Время на устройстве отличается от Даты/Времени, установленной на этом "
                 "персональном компьютере")
WINE_COM_PORT = "COM47"  # unlikely to clash with the port tests of the transports


class Client:
    def __init__(self, args):
        self.args = args
        self.prefix = None
        if args.link == "com":
            self.prefix = subprocess.run([args.wine_run, "--prefix", args.zorvelctl], check=True,
                                         capture_output=True, text=True).stdout.strip()

    def transport(self, sim):
        if self.args.link == "tcp":
            return ["--tcp", "127.0.0.1:%d" % sim.port]
        if self.args.link == "pty":
            return ["--serial", sim.link]
        # Wine maps COM<n> to the device a link in the prefix's dosdevices names.
        dosdevice = os.path.join(self.prefix, "dosdevices", WINE_COM_PORT.lower())
        if os.path.lexists(dosdevice):
            os.unlink(dosdevice)
        os.symlink(sim.device, dosdevice)
        return ["--serial", WINE_COM_PORT]

    def run(self, arguments):
        command = [self.args.zorvelctl] + arguments
        if self.args.wine_run:
            command = [self.args.wine_run] + command
        started = time.monotonic()
        done = subprocess.run(command, capture_output=True, timeout=120)
        elapsed = time.monotonic() - started
        out, err = decoded(done.stdout), decoded(done.stderr)
        return done.returncode, out, err, elapsed


def now_offset_ok(offset, tolerance=5):
    return abs(offset) <= tolerance


# --- Cases: each gets a fresh simulator started with its `options` -------------

def case_read_text(sim, client):
    result = client.run(client.transport(sim) + ["read"])
    expect(result, 0, OK_READ)
    f = fields(result[1])
    state = sim.state()
    check(f["firmware"] == "10.1", f)
    check(f["mode"] == "3" and f["interval"] == "10", f)
    check(f["hours"] == "6,10,16,21" and f["brightness"] == "100,80,60,20", f)
    check(f["date"] == state["date"] or f["date"] == datetime.date.today().isoformat(), f)
    check("warning" not in f, f)
    check(sim.commands() == ["read status"], sim.commands())


def case_read_json(sim, client):
    before = time.localtime()
    result = client.run(client.transport(sim) + ["--json", "read"])
    after = time.localtime()
    expect(result, 0)
    report = json.loads(result[1])
    check(report["outcome"] == "Read" and report["message"] == OK_READ, report)
    check(report["firmware"] == "10.1" and report["mode"] == 3 and report["interval"] == 10, report)
    check(report["hours"] == [6, 10, 16, 21] and report["brightness"] == [100, 80, 60, 20], report)
    check(len(report["date"]) == 10 and len(report["time"]) == 8, report)
    # The clocks are compared field by field: a read during which the minute
    # changed rightly warns, though the simulator keeps this computer's time.
    if before[:5] == after[:5]:
        check("warning" not in report, report)


def case_read_clock_differs(sim, client):
    result = client.run(client.transport(sim) + ["read"])
    expect(result, 0, OK_READ)
    check("warning: " + CLOCK_DIFFERS in result[1].split("\n"), result[1])
    report = json.loads(client.run(client.transport(sim) + ["read", "--json"])[1])
    check(report["warning"] == CLOCK_DIFFERS, report)


def case_write_everything(sim, client):
    result = client.run(client.transport(sim) + [
        "--settle-ms", "0", "write", "--date", "01.02.2030", "--time", "08:09:10", "--mode", "2",
        "--interval", "77", "--hours", "1,2,3,4", "--brightness", "21,22,23,24"])
    expect(result, 0, OK_WRITE)
    check(sim.commands() == ["read status", "write date=01.02.30", "write time=08.09.10",
                             "write brightness=21.22.23.24", "write timeEx= 1. 2. 3. 4", "write mode=2",
                             "write interval=77"], sim.commands())
    state = sim.state()
    check(state["date"] == "2030-02-01" and state["time"][:7] == "08:09:1", state)
    check(state["mode"] == 2 and state["interval"] == 77, state)
    check(state["hours"] == [1, 2, 3, 4] and state["brightness"] == [21, 22, 23, 24], state)
    f = fields(result[1])
    check(f["date"] == "2030-02-01" and f["time"] == "08:09:10" and f["interval"] == "77", f)


def case_write_defaults(sim, client):
    # The board's clock is two hours off; the write sets it to the computer's.
    result = client.run(client.transport(sim) + ["write", "--settle-ms", "0", "--json"])
    expect(result, 0)
    report = json.loads(result[1])
    check(report["outcome"] == "Written" and report["message"] == OK_WRITE, report)
    state = sim.state()
    check(now_offset_ok(state["clock_offset"]), state)
    check(state["mode"] == 4 and state["hours"] == [5, 9, 17, 22], state)
    commands = sim.commands()
    check(commands[3:] == ["write brightness=100.80.60.20", "write timeEx= 5. 9.17.22", "write mode=4"], commands)


def case_write_mode_one_sends_no_interval(sim, client):
    result = client.run(client.transport(sim) + ["write", "--mode", "1", "--settle-ms", "0"])
    expect(result, 0, OK_WRITE)
    check(sim.commands()[-1] == "write mode=1", sim.commands())
    check(sim.state()["mode"] == 1, sim.state())


def case_other_firmware(sim, client):
    expect(client.run(client.transport(sim) + ["read"]), 1, OTHER_FIRMWARE)
    result = client.run(client.transport(sim) + ["write", "--settle-ms", "0", "--json"])
    expect(result, 1)
    check(json.loads(result[1])["outcome"] == "OtherFirmware", result[1])
    check(sim.commands() == ["read status", "read status"], sim.commands())


def case_clock_fault(sim, client):
    result = client.run(client.transport(sim) + ["read", "--json"])
    expect(result, 1)
    report = json.loads(result[1])
    check(report["outcome"] == "ClockFault" and report["message"] == CLOCK_FAULT, report)
    check("time" not in report and report["firmware"] == "10.1", report)


def case_date_fault(sim, client):
    result = client.run(client.transport(sim) + ["read"])
    expect(result, 1, CLOCK_FAULT)
    check("time" in fields(result[1]) and "date" not in fields(result[1]), result[1])


def case_silent(sim, client):
    result = client.run(client.transport(sim) + ["read"])
    expect(result, 1, NO_ANSWER)
    check(result[3] >= 2.0, "a silent board is waited for 2000 ms, took %.3f s" % result[3])
    expect(client.run(client.transport(sim) + ["write", "--settle-ms", "0"]), 1, NO_ANSWER)
    check(sim.commands() == ["read status", "read status"], sim.commands())


def case_delay(sim, client):
    expect(client.run(client.transport(sim) + ["read"]), 0, OK_READ)


def case_reject_mode(sim, client):
    result = client.run(client.transport(sim) + ["write", "--mode", "2", "--settle-ms", "0", "--json"])
    expect(result, 1)
    report = json.loads(result[1])
    check(report["outcome"] == "ModeRejected", report)
    check(report["message"] == "Устройство отвергло посылку режима", report)
    check(sim.commands()[-1] == "write mode=2" and sim.state()["mode"] == 3, sim.commands())


def case_reject_status(sim, client):
    expect(client.run(client.transport(sim) + ["read"]), 1, NO_FIRMWARE)


def case_reject_interval(sim, client):
    expect(client.run(client.transport(sim) + ["write", "--settle-ms", "0"]), 1,
           "Устройство отвергло посылку интервала")


def case_chunks(sim, client):
    result = client.run(client.transport(sim) + ["read"])
    expect(result, 0, OK_READ)
    check(fields(result[1])["brightness"] == "100,80,60,20", result[1])


def case_garbage(sim, client):
    expect(client.run(client.transport(sim) + ["read"]), 0, OK_READ)
    expect(client.run(client.transport(sim) + ["write", "--settle-ms", "0", "--interval", "9"]), 0, OK_WRITE)
    check(sim.state()["interval"] == 9, sim.state())


def case_omit_mode(sim, client):
    result = client.run(client.transport(sim) + ["read"])
    expect(result, 1, NO_MODE)
    result = client.run(client.transport(sim) + ["write", "--settle-ms", "0"])
    expect(result, 1)
    check("--mode" in result[1], result[1])
    check(sim.commands() == ["read status", "read status"], sim.commands())


def case_unreachable(sim, client):
    if client.args.link == "tcp":
        arguments = ["--tcp", "127.0.0.1:1"]
    elif client.args.link == "pty":
        arguments = ["--serial", os.path.join(sim.workdir, "no-such-port")]
    else:
        arguments = ["--serial", "COM46"]
    result = client.run(arguments + ["read", "--json"])
    expect(result, 3)
    check(json.loads(result[1])["outcome"] == "NotOpened", result[1])
    check(result[2].strip() != "", "the transport's reason goes to standard error")


def case_usage(sim, client):
    for arguments in (["read"], ["--tcp", "127.0.0.1:1", "--serial", "COM1", "read"],
                      client.transport(sim) + ["write", "--mode", "9"],
                      client.transport(sim) + ["write", "--date", "31.02.2030"],
                      client.transport(sim) + ["write", "--hours", "1,2,3"],
                      client.transport(sim) + ["frobnicate"], client.transport(sim)):
        code, out, err, _ = client.run(arguments)
        check(code == 2 and "Usage" in err, "%s: exit %d\n%s" % (arguments, code, err))
    code, out, _, _ = client.run(["--help"])
    check(code == 0 and "--settle-ms" in out and "Exit status" in out, out)
    check(sim.commands() == [], sim.commands())


CASES = [
    # (name, simulator options, in the Wine suite)
    ("read_text", [], True),
    ("read_json", [], True),
    ("read_clock_differs", ["--clock-offset", "3600"], False),
    ("write_everything", [], True),
    ("write_defaults", ["--clock-offset", "7200", "--mode", "4", "--hours", "5,9,17,22"], False),
    ("write_mode_one_sends_no_interval", [], False),
    ("other_firmware", ["--firmware", "9.12"], False),
    ("clock_fault", ["--clock-fault", "time"], False),
    ("date_fault", ["--clock-fault", "date"], False),
    ("silent", ["--silent"], True),
    ("delay", ["--delay-ms", "300"], False),
    ("reject_mode", ["--reject", "mode"], True),
    ("reject_status", ["--reject", "status"], False),
    ("reject_interval", ["--reject", "interval"], False),
    ("chunks", ["--chunk-bytes", "7", "--chunk-pause-ms", "20"], True),
    ("garbage", ["--garbage", "\\xff\\xfe~#\\n"], False),
    ("omit_mode", ["--omit", "mode"], False),
    ("unreachable", [], True),
    ("usage", [], False),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zorvelctl", required=True)
    parser.add_argument("--boardsim", nargs="+", required=True, help="candidates; the first that exists is used")
    parser.add_argument("--link", choices=["tcp", "pty", "com"], required=True)
    parser.add_argument("--wine-run")
    parser.add_argument("--suite", choices=["full", "wine"], default="full")
    parser.add_argument("--only", help="run only this case")
    args = parser.parse_args()
    found = [path for path in args.boardsim if os.access(path, os.X_OK)]
    if not found:
        print("boardsim not found (looked for %s); build the native tree first:\n"
              "  cmake --preset native-asan && cmake --build build/native-asan --target boardsim"
              % ", ".join(args.boardsim))
        return 1
    args.boardsim = found[0]
    client = Client(args)
    failed = []
    with tempfile.TemporaryDirectory(prefix="zorvel-e2e-") as workdir:
        for name, options, in_wine_suite in CASES:
            if args.only and name != args.only:
                continue
            if args.suite == "wine" and not in_wine_suite:
                continue
            sim = Boardsim(args.boardsim, workdir, link=args.link, options=options)
            run_case(name, lambda: globals()["case_" + name](sim, client), sim.stop, failed)
    return summary(failed)


if __name__ == "__main__":
    sys.exit(main())
