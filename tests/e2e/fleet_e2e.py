#!/usr/bin/env python3
"""End-to-end: `zorvelctl fleet` against several boardsim processes.

    fleet_e2e.py --zorvelctl PATH --boardsim PATH [--wine-run PATH] [--suite full|wine] [--only CASE]

Each case starts the simulators it needs (each with its own faults, log and
state file), writes a fleet file, runs the client and checks its exit status,
its report per board, what every simulator received and, with --trace, the
traffic log. With --wine-run the Windows zorvelctl.exe runs under Wine (TCP only).
"""
import argparse
import datetime
import json
import os
import subprocess
import sys
import tempfile
import time

from e2e_support import Boardsim, check, decoded, run_case, summary

OK_READ = "Настройки успешно прочитаны"
OK_WRITE = "Устройство подтверждает смену настроек"
NO_ANSWER = "Устройство не отвечает на команды"


class Fleet:
    """Simulators by board name, and the client that works on them."""

    def __init__(self, args, workdir):
        self.args = args
        self.workdir = workdir
        self.sims = {}

    def start(self, name, options=(), link="tcp"):
        home = os.path.join(self.workdir, name)
        os.makedirs(home, exist_ok=True)
        self.sims[name] = Boardsim(self.args.boardsim, home, list(options), link=link)
        return self.sims[name]

    def stop(self):
        for sim in self.sims.values():
            sim.stop()

    def target(self, name):
        sim = self.sims[name]
        return "tcp:127.0.0.1:%d" % sim.port if sim.port is not None else "serial:" + sim.link

    def file(self, text, name="fleet.csv"):
        path = os.path.join(self.workdir, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return self.local(path)

    def local(self, path):
        """A path as the client sees it (Wine maps the Unix root to Z:)."""
        return "Z:" + path.replace("/", "\\") if self.args.wine_run else path

    def run(self, arguments):
        command = [self.args.zorvelctl] + arguments
        if self.args.wine_run:
            command = [self.args.wine_run] + command
        done = subprocess.run(command, capture_output=True, timeout=300)
        out, err = decoded(done.stdout), decoded(done.stderr)
        return done.returncode, out, err

    def run_json(self, arguments, status):
        code, out, err = self.run(arguments + ["--json"])
        check(code == status, "exit %d, expected %d\n%s\n%s" % (code, status, out, err))
        return {report["board"]: report for report in map(json.loads, out.strip().split("\n"))}


# --- Cases -------------------------------------------------------------------------

def case_read_with_failing_boards(fleet):
    fleet.start("good")
    fleet.start("silent", ["--silent"])
    fleet.start("other", ["--mode", "1"])
    path = fleet.file("name,target\ngood,%s\nsilent,%s\ndead,tcp:127.0.0.1:1\nother,%s\n"
                      % (fleet.target("good"), fleet.target("silent"), fleet.target("other")))
    reports = fleet.run_json(["fleet", path, "read"], 1)
    check(list(reports) == ["good", "silent", "dead", "other"], "one object per board, in the file's order")
    check(reports["good"]["outcome"] == "Read" and reports["good"]["message"] == OK_READ, reports["good"])
    check(reports["good"]["target"] == fleet.target("good") and reports["good"]["mode"] == 3, reports["good"])
    check(reports["other"]["outcome"] == "Read" and reports["other"]["mode"] == 1, reports["other"])
    check(reports["silent"]["outcome"] == "NoAnswer" and reports["silent"]["message"] == NO_ANSWER, reports["silent"])
    check(reports["dead"]["outcome"] == "NotOpened" and reports["dead"]["message"], reports["dead"])
    for name in ("good", "silent", "other"):
        check(fleet.sims[name].commands() == ["read status"], (name, fleet.sims[name].commands()))

    code, out, _ = fleet.run(["fleet", path, "read"])
    lines = out.rstrip("\n").split("\n")
    check(code == 1 and lines[0].split() == ["BOARD", "TARGET", "RESULT", "DETAILS"], out)
    check(lines[1].split()[:3] == ["good", fleet.target("good"), "Read"] and OK_READ in lines[1], out)
    check(lines[3].split()[:3] == ["dead", "tcp:127.0.0.1:1", "NotOpened"], out)
    check(lines[-1] == "2 of 4 boards succeeded", out)


def case_write_verify(fleet):
    fleet.start("keeps")
    fleet.start("ignores", ["--ignore", "mode", "--ignore", "brightness"])
    path = fleet.file('{"boards": [\n'
                      ' {"name": "keeps", "target": "%s", "mode": 2, "interval": 33, "hours": [5, 9, 17, 22]},\n'
                      ' {"name": "ignores", "target": "%s", "mode": 2, "brightness": [30, 40, 50, 60]}]}\n'
                      % (fleet.target("keeps"), fleet.target("ignores")), "fleet.json")
    reports = fleet.run_json(["fleet", path, "write", "--verify", "--settle-ms", "0"], 1)
    keeps, ignores = reports["keeps"], reports["ignores"]
    check(keeps["outcome"] == "Written" and keeps["verified"] is True and "differences" not in keeps, keeps)
    check(keeps["mode"] == 2 and keeps["interval"] == 33 and keeps["hours"] == [5, 9, 17, 22], keeps)
    check(keeps["brightness"] == [100, 80, 60, 20], "not given: taken from the board")
    state = fleet.sims["keeps"].state()
    check(state["mode"] == 2 and state["interval"] == 33 and state["hours"] == [5, 9, 17, 22], state)
    check(ignores["outcome"] == "Written" and ignores["verified"] is False, ignores)
    check(ignores["differences"] == [{"field": "mode", "written": "2", "read": "3"},
                                     {"field": "brightness", "written": "30,40,50,60", "read": "100,80,60,20"}],
          ignores)
    check(fleet.sims["ignores"].commands()[-1] == "read status", "the board was read back")

    # The single-board form reports the same.
    code, out, _ = fleet.run(["--tcp", fleet.target("ignores")[4:], "--settle-ms", "0", "write", "--mode", "4",
                              "--verify"])
    check(code == 1 and "verify: mode written 4, read 3" in out.split("\n"), out)


def case_sync_clock(fleet):
    fleet.start("slow", ["--clock-offset", "-3600"])
    fleet.start("fine")
    path = fleet.file("name,target\nslow,%s\nfine,%s\n" % (fleet.target("slow"), fleet.target("fine")))
    reports = fleet.run_json(["fleet", path, "sync-clock", "--verify"], 0)
    for name, drift in (("slow", -3600), ("fine", 0)):
        report = reports[name]
        check(report["outcome"] == "ClockSet" and report["verified"] is True, report)
        check(abs(report["drift_s"] - drift) <= 2, report)
        commands = fleet.sims[name].commands()
        check(commands[:2] == ["read status", "write date=" + datetime.date.today().strftime("%d.%m.%y")]
              and commands[2].startswith("write time=") and commands[3:] in (["read status"],
                                                                             [commands[3], "read status"]),
              commands)
        state = fleet.sims[name].state()
        board_clock = datetime.datetime.fromisoformat(state["date"] + " " + state["time"])
        check(abs((board_clock - datetime.datetime.now()).total_seconds()) < 5, state)


def case_trace(fleet):
    fleet.start("north")
    fleet.start("south")
    path = fleet.file("name,target,mode\nnorth,%s,2\nsouth,%s,\n" % (fleet.target("north"), fleet.target("south")))
    trace = os.path.join(fleet.workdir, "trace.log")
    code, out, err = fleet.run(["fleet", path, "write", "--settle-ms", "0", "--trace", fleet.local(trace)])
    check(code == 0, out + err)
    with open(trace, encoding="utf-8") as f:
        lines = [line.rstrip("\n") for line in f]
    for name in ("north", "south"):
        own = [line.split(" ", 3)[3] for line in lines if line.split(" ")[2] == name]
        check(own[0] == '> 12 "read status\\r" 72 65 61 64 20 73 74 61 74 75 73 0D', own[0])
        check(own[1].startswith('< ') and '"Soft:10.1\\r\\nTime:' in own[1], own[1])
        check(sum(1 for line in own if line.startswith('> ')) == 7 and own.count('< 3 "Ok\\r" 4F 6B 0D') == 6, own)
    north = [line for line in lines if line.split(" ")[2] == "north"]
    check('> 13 "write mode=2\\r" 77 72 69 74 65 20 6D 6F 64 65 3D 32 0D' in [l.split(" ", 3)[3] for l in north], north)
    stamps = [datetime.datetime.strptime(" ".join(line.split(" ")[:2]), "%Y-%m-%d %H:%M:%S.%f") for line in lines]
    check(stamps == sorted(stamps) and abs((stamps[0] - datetime.datetime.now()).total_seconds()) < 60, lines[:2])

    # A single-board read, named by its target.
    code, out, _ = fleet.run(["--tcp", fleet.target("north")[4:], "read", "--trace", fleet.local(trace)])
    with open(trace, encoding="utf-8") as f:
        lines = [line.rstrip("\n").split(" ", 3) for line in f]
    check(code == 0 and [(l[2], l[3][:2]) for l in lines] == [(fleet.target("north"), "> "),
                                                               (fleet.target("north"), "< ")], lines)


def case_bad_file(fleet):
    fleet.start("good")
    path = fleet.file("name,target,mode\ngood,%s,3\nbad,%s,7\n" % (fleet.target("good"), fleet.target("good")))
    code, out, err = fleet.run(["fleet", path, "write", "--settle-ms", "0"])
    check(code == 2 and out == "" and (":3: mode must be a number 1..4: 7") in err, (code, out, err))
    code, _, err = fleet.run(["fleet", path + ".missing", "read"])
    check(code == 2 and "cannot read the fleet file" in err, err)
    code, _, err = fleet.run(["fleet", path, "read", "--tcp", "127.0.0.1:1"])
    check(code == 2, err)
    check(fleet.sims["good"].commands() == [], "nothing was sent")


def case_shared_port(fleet):
    # Two boards on one serial line (one simulator answers for both): worked
    # one after the other, each exchange whole before the next begins.
    fleet.start("line", link="pty")
    target = fleet.target("line")
    path = fleet.file("name,target\nfirst,%s\nsecond,%s@9600\nthird,%s\n" % (target, target, target))
    reports = fleet.run_json(["fleet", path, "write", "--settle-ms", "0"], 0)
    check(all(r["outcome"] == "Written" for r in reports.values()), reports)
    commands = fleet.sims["line"].commands()
    one = ["read status", "write date", "write time", "write brightness", "write timeEx", "write mode",
           "write interval"]
    check([c.split("=")[0] for c in commands] == one * 3, commands)


CASES = [
    # (name, in the Wine suite)
    ("read_with_failing_boards", True),
    ("write_verify", True),
    ("sync_clock", False),
    ("trace", True),
    ("bad_file", False),
    ("shared_port", False),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zorvelctl", required=True)
    parser.add_argument("--boardsim", nargs="+", required=True, help="candidates; the first that exists is used")
    parser.add_argument("--wine-run")
    parser.add_argument("--suite", choices=["full", "wine"], default="full")
    parser.add_argument("--only", help="run only this case")
    args = parser.parse_args()
    found = [path for path in args.boardsim if os.access(path, os.X_OK)]
    if not found:
        print("boardsim not found (looked for %s); build the native tree first" % ", ".join(args.boardsim))
        return 1
    args.boardsim = found[0]
    failed = []
    for name, in_wine_suite in CASES:
        if (args.only and name != args.only) or (args.suite == "wine" and not in_wine_suite):
            continue
        with tempfile.TemporaryDirectory(prefix="zorvel-fleet-") as workdir:
            fleet = Fleet(args, workdir)
            run_case(name, lambda: globals()["case_" + name](fleet), fleet.stop, failed)
    return summary(failed)


if __name__ == "__main__":
    sys.exit(main())
