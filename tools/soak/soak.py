#!/usr/bin/env python3
"""Soak: many reads and writes through zorvelctl over every transport against
boardsim, with the simulator's faults switched on and off at random.

    tools/soak/soak.py [--bin DIR] [--reads 500] [--writes 100] [--transports tcp,serial,usb,gsm,radio]
                       [--segment 20] [--fault-share 0.4] [--seed N] [--json REPORT]

Not a test: it runs for a long time and prints figures. For each transport the
operations (reads and writes, shuffled) are cut into segments; each segment
runs against a fresh simulator that either behaves or has one fault chosen at
random (silence, delays past the waits, rejected commands, garbage, answers
cut in pieces, missing lines, clock faults; a busy or silent slave modem; a
lossy radio). Every zorvelctl run is classified by its exit status and JSON
outcome. A failure while no fault is on, a sanitizer report, a time-out or a
crash is unexpected; failures under a fault are counted by kind.

Resources: the open descriptors and threads of every simulator process after
its first operation and before it is stopped (they must not grow while it
serves), and of this driver at the start and at the end (no descriptor, pipe or
pseudo-terminal leaks from the runs). Exit status 1 when anything unexpected
happened or a count grew.
"""
import argparse
import collections
import json
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

NUMBER = "+71234567890"
CHANNEL = "7"
BOARD_FAULTS = [
    ["--silent"],
    ["--delay-ms", "2500"],
    ["--reject", "mode"],
    ["--reject", "date"],
    ["--reject", "status"],
    ["--garbage", "\\x00\\xff\\r\\nnoise"],
    ["--chunk-bytes", "3", "--chunk-pause-ms", "20"],
    ["--omit", "mode"],
    ["--omit", "soft"],
    ["--clock-fault", "time"],
]
DEVICE_FAULTS = {
    "gsm": [["--modem-fault", "busy"], ["--modem-fault", "no-answer"], ["--modem-fault", "no-carrier"],
            ["--modem-fault", "mute"]],
    "radio": [["--radio-drop", "30"], ["--radio-garble", "30"], ["--radio-drop", "100"]],
}
# A fault under which every operation must still succeed: answers cut in pieces.
HARMLESS = [["--chunk-bytes", "3", "--chunk-pause-ms", "20"]]


def counts(pid):
    """Open descriptors and threads of a process."""
    try:
        fds = len(os.listdir("/proc/%d/fd" % pid))
        with open("/proc/%d/status" % pid) as f:
            threads = next(int(line.split()[1]) for line in f if line.startswith("Threads:"))
        return fds, threads
    except (OSError, StopIteration):
        return None


class Simulator:
    def __init__(self, boardsim, workdir, transport, fault):
        self.pins = os.path.join(workdir, "pins")
        command = [boardsim, "--log", os.path.join(workdir, "boardsim.log")]
        if transport == "serial":
            command += ["--pty", os.path.join(workdir, "board-pty")]
        else:
            command += ["--tcp", "0"]
        if transport == "gsm":
            command += ["--modem", "--modem-search-ms", "20", "--modem-ring-ms", "20", "--modem-guard-ms", "20"]
        if transport == "radio":
            command += ["--radio", "--radio-channel", CHANNEL, "--radio-pins", self.pins]
        command += fault
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        words = self.process.stdout.readline().split()
        if len(words) < 2:
            self.process.kill()
            raise RuntimeError("boardsim did not start: %s %s" % (command, self.process.communicate()[1]))
        self.port = int(words[1]) if words[0] == "tcp" else None
        self.device = words[2] if words[0] == "pty" else None
        self.first = None  # counts after the first operation

    def stop(self):
        last = counts(self.process.pid)
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()
        self.process.stderr.close()
        return last


def client_arguments(transport, sim):
    if transport == "tcp":
        return ["--tcp", "127.0.0.1:%d" % sim.port]
    if transport == "serial":
        return ["--serial", sim.device]
    if transport == "usb":
        return ["--usb", "DEV0"]
    if transport == "gsm":
        return ["--gsm", NUMBER]
    return ["--radio", CHANNEL]


def run_client(args, transport, sim, operation):
    env = dict(os.environ)
    # The libraries beside the programs first: a copied bin folder stays whole
    # while its build tree is rebuilt.
    env["LD_LIBRARY_PATH"] = args.bin
    if transport in ("usb", "gsm", "radio"):
        env["FTD2XX_DOUBLE_CONNECT"] = "tcp:127.0.0.1:%d" % sim.port
        env["FTD2XX_DOUBLE_PINS_FILE"] = sim.pins
        env["FTD2XX_DOUBLE_DEVICES"] = "1"
        env["LD_LIBRARY_PATH"] = args.bin + os.pathsep + os.path.join(args.bin, "ftd2xx-double")
    command = [os.path.join(args.bin, "zorvelctl"), "--json", "--settle-ms", "0"] + client_arguments(transport, sim)
    command += ["read"] if operation == "read" else ["write", "--mode", "3", "--interval", "20"]
    try:
        done = subprocess.run(command, capture_output=True, timeout=120, env=env)
    except subprocess.TimeoutExpired:
        return "timeout", None
    err = done.stderr.decode("utf-8", errors="replace")
    if "Sanitizer" in err or "runtime error:" in err:
        return "sanitizer", err
    if done.returncode < 0:
        return "crash(signal %d)" % -done.returncode, err
    try:
        outcome = json.loads(done.stdout.decode("utf-8", errors="replace")).get("outcome", "?")
    except ValueError:
        outcome = "no-json"
    return "exit %d %s" % (done.returncode, outcome), None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bin", default=os.path.join(os.path.dirname(__file__), "..", "..", "build", "native-asan", "bin"))
    parser.add_argument("--reads", type=int, default=500)
    parser.add_argument("--writes", type=int, default=100)
    parser.add_argument("--transports", default="tcp,serial,usb,gsm,radio")
    parser.add_argument("--segment", type=int, default=20, help="operations per simulator")
    parser.add_argument("--fault-share", type=float, default=0.4, help="share of segments with a fault")
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--json", help="also write the report here")
    args = parser.parse_args()
    args.bin = os.path.abspath(args.bin)
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    boardsim = os.path.join(args.bin, "boardsim")

    started = time.monotonic()
    driver_start = counts(os.getpid())
    report = {"seed": seed, "transports": {}}
    unexpected_total = 0
    grew = []
    for transport in args.transports.split(","):
        operations = ["read"] * args.reads + ["write"] * args.writes
        rng.shuffle(operations)
        kinds = collections.Counter()
        unexpected = collections.Counter()
        examples = []
        sims = []
        t0 = time.monotonic()
        with tempfile.TemporaryDirectory(prefix="zorvel-soak-") as workdir:
            for first in range(0, len(operations), args.segment):
                fault = []
                if rng.random() < args.fault_share:
                    fault = rng.choice(BOARD_FAULTS + DEVICE_FAULTS.get(transport, []))
                sim = Simulator(boardsim, workdir, transport, fault)
                for operation in operations[first:first + args.segment]:
                    kind, detail = run_client(args, transport, sim, operation)
                    label = "%s %s%s" % (operation, kind, " under " + " ".join(fault) if fault else "")
                    kinds[label] += 1
                    ok = kind.startswith("exit 0 ")
                    bad = kind in ("timeout", "sanitizer", "no-json") or kind.startswith("crash")
                    if bad or (not ok and (not fault or fault in HARMLESS)):
                        unexpected[label] += 1
                        if len(examples) < 5:
                            examples.append({"label": label, "detail": (detail or "")[-2000:]})
                    if sim.first is None:
                        sim.first = counts(sim.process.pid)
                last = sim.stop()
                sims.append({"fault": " ".join(fault), "first": sim.first, "last": last})
                if sim.first and last and (last[0] > sim.first[0] or last[1] > sim.first[1]):
                    grew.append("%s boardsim %s: %s -> %s" % (transport, " ".join(fault) or "no fault", sim.first, last))
        elapsed = time.monotonic() - t0
        unexpected_total += sum(unexpected.values())
        report["transports"][transport] = {
            "operations": len(operations), "seconds": round(elapsed, 1), "kinds": dict(kinds),
            "unexpected": dict(unexpected), "examples": examples, "simulators": sims,
        }
        print("== %s: %d operations in %.1f s, %d unexpected" % (transport, len(operations), elapsed,
                                                                 sum(unexpected.values())))
        for label, n in sorted(kinds.items()):
            print("   %5d  %s%s" % (n, label, "   <-- UNEXPECTED" if label in unexpected else ""))
        firsts = [s["first"] for s in sims if s["first"]]
        lasts = [s["last"] for s in sims if s["last"]]
        if firsts and lasts:
            print("   boardsim descriptors/threads after its first operation: %s..%s, at its end: %s..%s" % (
                min(firsts), max(firsts), min(lasts), max(lasts)))
        sys.stdout.flush()

    driver_end = counts(os.getpid())
    report["driver"] = {"start": driver_start, "end": driver_end}
    report["seconds"] = round(time.monotonic() - started, 1)
    if driver_start and driver_end and driver_end[0] > driver_start[0]:
        grew.append("driver descriptors %s -> %s" % (driver_start, driver_end))
    report["grew"] = grew
    print("== total %.1f s, seed %d; driver descriptors/threads %s at the start, %s at the end" % (
        report["seconds"], seed, driver_start, driver_end))
    for line in grew:
        print("GREW: " + line)
    if args.json:
        with open(args.json, "w") as f:
            json.dump(report, f, indent=1, ensure_ascii=False)
    print("soak: %s" % ("clean" if not unexpected_total and not grew else "%d unexpected, %d grew" % (
        unexpected_total, len(grew))))
    return 0 if not unexpected_total and not grew else 1


if __name__ == "__main__":
    sys.exit(main())
