#!/usr/bin/env python3
"""End-to-end: zorvelctl through the USB adapter's driver double to boardsim,
over the GSM modem (--gsm) and over the radio module (--radio).

    usb_links_e2e.py --zorvelctl PATH --boardsim CANDIDATE... --double-dir DIR
                     --link gsm|radio [--wine-run PATH]

Every case starts its own simulator in modem or radio mode (with the faults
the case orders) on a TCP port, points the double at it (FTD2XX_DOUBLE_CONNECT,
and for the radio FTD2XX_DOUBLE_PINS_FILE, which the simulator reads to tell
configuration mode from transparent mode), runs the client and checks its exit
status, its output and the simulator's log. With --wine-run the Windows
zorvelctl.exe runs under Wine and finds the double's ftd2xx.dll via WINEPATH.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

from e2e_support import Boardsim, Failure, check, decoded, expect
import time

OK_READ = "Настройки успешно прочитаны"
OK_WRITE = "Устройство подтверждает смену настроек"
NO_ANSWER = "Устройство не отвечает на команды"
NUMBER = "+71234567890"
WRITE_COMMANDS = ["read status", "write date", "write time", "write brightness", "write timeEx", "write mode",
                  "write interval"]


class Simulator(Boardsim):
    """boardsim in a device mode; the driver double writes the adapter's pins beside it."""

    def __init__(self, boardsim, workdir, options):
        self.pins = os.path.join(workdir, "pins")
        super().__init__(boardsim, workdir, options, stale=(self.pins,))


class Client:
    def __init__(self, args):
        self.args = args

    def run(self, sim, arguments, timeout=180):
        env = dict(os.environ)
        env["FTD2XX_DOUBLE_CONNECT"] = "tcp:127.0.0.1:%d" % sim.port
        env["FTD2XX_DOUBLE_PINS_FILE"] = sim.pins
        env["FTD2XX_DOUBLE_DEVICES"] = "1"
        command = [self.args.zorvelctl] + arguments
        if self.args.wine_run:
            command = [self.args.wine_run] + command
            env["WINEPATH"] = "Z:" + self.args.double_dir.replace("/", "\\")
        else:
            env["LD_LIBRARY_PATH"] = self.args.double_dir
        started = time.monotonic()
        done = subprocess.run(command, capture_output=True, timeout=timeout, env=env)
        elapsed = time.monotonic() - started
        out, err = decoded(done.stdout), decoded(done.stderr)
        return done.returncode, out, err, elapsed


def in_order(items, wanted):
    """Whether `wanted` occur in `items` in this order (others may come between)."""
    position = 0
    for item in items:
        if position < len(wanted) and item == wanted[position]:
            position += 1
    return position == len(wanted)


def count_prefix(items, prefix):
    return sum(1 for item in items if item.startswith(prefix))


# --- GSM modem ----------------------------------------------------------------

def gsm_read(sim, client):
    result = client.run(sim, ["--gsm", NUMBER, "read"])
    expect(result, 0, OK_READ)
    check("[GSM] Соединение установлено" in result[2], result[2])
    entries = sim.entries()
    check(in_order(entries, [("ATD" + NUMBER, "(dialling)"), ("(call)", "CONNECT 9600")]), entries)
    # The board's command went through the call; the call was left by the
    # guarded escape and hung up, then the modem switched off.
    check(in_order(sim.received(), ["ATD" + NUMBER, "read status", "+++", "ATH", "AT+CFUN=0"]), sim.received())
    check(("+++", "OK") in entries, entries)


def gsm_write(sim, client):
    result = client.run(sim, ["--gsm", NUMBER, "--settle-ms", "0", "write", "--mode", "2", "--interval", "45",
                              "--hours", "7,11,17,22", "--brightness", "90,70,50,30"])
    expect(result, 0, OK_WRITE)
    state = sim.state()
    check(state["mode"] == 2 and state["interval"] == 45, state)
    check(state["hours"] == [7, 11, 17, 22] and state["brightness"] == [90, 70, 50, 30], state)
    board = [item for item in sim.received() if item.startswith("read ") or item.startswith("write ")]
    check([item.split("=")[0] for item in board] == WRITE_COMMANDS, board)


def gsm_fault(fault, message, status, switched_off=True):
    def case(sim, client):
        result = client.run(sim, ["--gsm", NUMBER, "read"])
        expect(result, status)
        check(message in result[2], "no %r in stderr:\n%s" % (message, result[2]))
        received = sim.received()
        if switched_off:
            check(received and received[-1] == "AT+CFUN=0", received)  # a clean end: the modem is off
        check("+++" not in received, received)  # no call was left standing
    case.options = ["--modem", "--modem-fault", fault]
    case.__name__ = "gsm_fault_" + fault.replace("-", "_")
    return case


def gsm_no_carrier(sim, client):
    # The call drops in the middle of the board's answer: the read fails on
    # what arrived, the status says why, and the modem still ends switched off.
    result = client.run(sim, ["--gsm", NUMBER, "read"])
    check(result[0] == 1, result)
    check("[GSM] Нет несущей: связь прервана" in result[2], result[2])
    entries = sim.entries()
    check(("(call ends)", "NO CARRIER") in entries, entries)
    received = sim.received()
    check("+++" not in received and received[-1] == "AT+CFUN=0", received)


gsm_no_carrier.options = ["--modem", "--modem-fault", "no-carrier"]

# --- Radio module -------------------------------------------------------------


def radio_read_with_retries(sim, client):
    result = client.run(sim, ["--radio", "5", "read"])
    expect(result, 0, OK_READ)
    entries = sim.entries()
    # Configured for channel 5 (430800 kHz = 06 92 D0) while the pin said so.
    check(entries[0] == ("(config) A5 5A 01 08 06 92 D0 03 07 03 00 05 83",
                         "A5 5A 81 08 06 92 D0 03 07 03 00 05 03"), entries)
    check(sim.received().count("read status") == 2, entries)  # the first answer was lost on the air
    check(("(air)", "answer lost") in entries, entries)


def radio_no_repeats(sim, client):
    result = client.run(sim, ["--radio", "5", "--repeats", "0", "read"])
    expect(result, 1, NO_ANSWER)
    check(sim.received().count("read status") == 1, sim.entries())


def radio_write_with_retries(sim, client):
    result = client.run(sim, ["--radio", "5", "--settle-ms", "0", "write", "--mode", "2", "--interval", "33"])
    expect(result, 0, OK_WRITE)
    board = [item.split("=")[0] for item in sim.received() if item.startswith(("read ", "write "))]
    # Every second answer is lost: each command goes twice.
    check(board == [command for command in WRITE_COMMANDS for _ in range(2)], board)
    state = sim.state()
    check(state["mode"] == 2 and state["interval"] == 33, state)


def radio_other_channel(sim, client):
    result = client.run(sim, ["--radio", "6", "--repeats", "1", "read"])
    expect(result, 1, NO_ANSWER)
    check(sim.received()[0].startswith("(config) A5 5A 01 08 06 93 98"), sim.entries())  # 431000 kHz


def radio_garbled(sim, client):
    result = client.run(sim, ["--radio", "5", "read"])
    check(result[0] == 1, result)
    check(("(air)", "answer garbled") in sim.entries(), sim.entries())


def saved_frequency(ini):
    if not os.path.exists(ini):
        return None
    with open(ini, "rb") as f:
        found = re.search(rb"^Freq=(\d+)", f.read(), re.MULTILINE)
    return found.group(1).decode() if found else None


def radio_settings_persist(sim, client):
    # The channel is the client's for its run only: the radio settings file
    # beside it keeps the one it had (or the default once it exists).
    ini = os.path.join(os.path.dirname(os.path.abspath(client.args.zorvelctl)), "RFM.ini")
    before = saved_frequency(ini)
    result = client.run(sim, ["--radio", "5", "read"])
    expect(result, 0, OK_READ)
    check(saved_frequency(ini) == (before or "435200"), (before, saved_frequency(ini)))


for case, options in [(gsm_read, ["--modem"]), (gsm_write, ["--modem"]),
                      (radio_read_with_retries, ["--radio-drop", "50"]),
                      (radio_no_repeats, ["--radio-drop", "50"]),
                      (radio_write_with_retries, ["--radio-drop", "50"]),
                      (radio_other_channel, []),
                      (radio_garbled, ["--radio-garble", "100"]),
                      (radio_settings_persist, [])]:
    case.options = options

RADIO_BASE = ["--radio", "--radio-channel", "5"]

SUITES = {
    "gsm": [gsm_read, gsm_write,
            gsm_fault("no-network", "Сеть GSM не найдена", 3),
            gsm_fault("busy", "Линия ведомого модема занята", 3),
            gsm_fault("no-answer", "Ведомый модем не отвечает", 3),
            gsm_fault("mute", "GSM модем не отвечает", 3, switched_off=False),
            gsm_no_carrier],
    "radio": [radio_read_with_retries, radio_no_repeats, radio_write_with_retries, radio_other_channel,
              radio_garbled, radio_settings_persist],
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zorvelctl", required=True)
    parser.add_argument("--boardsim", nargs="+", required=True)
    parser.add_argument("--double-dir", required=True)
    parser.add_argument("--link", choices=sorted(SUITES), required=True)
    parser.add_argument("--wine-run")
    parser.add_argument("--only", help="run the cases whose name contains this")
    args = parser.parse_args()
    boardsim = next((path for path in args.boardsim if os.access(path, os.X_OK)), None)
    if not boardsim:
        print("no boardsim among %s: build a native tree first; skipped" % " ".join(args.boardsim))
        return 77
    client = Client(args)
    failures = 0
    for case in SUITES[args.link]:
        if args.only and args.only not in case.__name__:
            continue
        with tempfile.TemporaryDirectory(prefix="zorvel-e2e-usb-") as workdir:
            options = case.options
            if args.link == "radio":
                options = RADIO_BASE + ["--radio-pins", os.path.join(workdir, "pins")] + options
            sim = Simulator(boardsim, workdir, options)
            started = time.monotonic()
            try:
                case(sim, client)
                print("ok   %s (%.1f s)" % (case.__name__, time.monotonic() - started))
            except (Failure, subprocess.TimeoutExpired) as failure:
                failures += 1
                print("FAIL %s: %s" % (case.__name__, failure))
            finally:
                sim.stop()
        sys.stdout.flush()
    print("%d failed" % failures if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
