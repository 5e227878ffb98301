"""What the end-to-end drivers share: failures, checks and a boardsim process."""
import json
import os
import signal
import subprocess
import time


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def decoded(stream):
    """A client's output as text with Unix line ends."""
    return stream.decode("utf-8", errors="replace").replace("\r\n", "\n")


def expect(result, status, last_line=None):
    """A client's (code, out, err, ...) ended with `status`, its stdout with `last_line`."""
    code, out, err = result[:3]
    check(code == status, "exit status %d, expected %d\nstdout:\n%s\nstderr:\n%s" % (code, status, out, err))
    if last_line is not None:
        lines = out.rstrip("\n").split("\n")
        check(lines[-1] == last_line,
              "last line %r, expected %r\nstdout:\n%s\nstderr:\n%s" % (lines[-1], last_line, out, err))


def fields(out):
    """The "name: value" lines of a client's report, its last line left out."""
    return dict(line.split(": ", 1) for line in out.rstrip("\n").split("\n")[:-1] if ": " in line)


EXPECTED_FAILURES = (Failure, subprocess.TimeoutExpired, json.JSONDecodeError, KeyError, ValueError)


def run_case(name, case, stop, failed):
    """Runs one case, prints its outcome and time, appends its name to `failed`
    when it fails, and stops its simulators whatever happened."""
    started = time.monotonic()
    try:
        case()
        print("ok   %-36s %6.2f s" % (name, time.monotonic() - started))
    except EXPECTED_FAILURES as e:
        failed.append(name)
        print("FAIL %-36s %s" % (name, e))
    finally:
        stop()


def summary(failed):
    """The drivers' exit status, with the failed cases named."""
    if failed:
        print("failed: " + " ".join(failed))
        return 1
    return 0


class Boardsim:
    """One boardsim process serving on TCP or a pseudo-terminal, with its log
    and state files in workdir. `stale` names further files of an earlier case
    to remove before it starts."""

    def __init__(self, executable, workdir, options, link="tcp", stale=()):
        self.workdir = workdir
        self.log = os.path.join(workdir, "boardsim.log")
        self.state_file = os.path.join(workdir, "state.json")
        for path in (self.log, self.state_file) + tuple(stale):
            if os.path.exists(path):
                os.unlink(path)
        command = [executable, "--log", self.log, "--state", self.state_file] + options
        command += ["--tcp", "0"] if link == "tcp" else ["--pty", os.path.join(workdir, "board-pty")]
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        words = self.process.stdout.readline().split()
        if len(words) < 2:
            self.process.kill()
            raise Failure("boardsim did not start: " + self.process.communicate()[1])
        # "tcp PORT" or "pty LINK DEVICE"
        self.port = int(words[1]) if words[0] == "tcp" else None
        self.link = words[1] if words[0] == "pty" else None
        self.device = words[2] if words[0] == "pty" and len(words) > 2 else None

    @property
    def connect(self):
        """Where the driver double connects the adapter to this simulator."""
        return "tcp:127.0.0.1:%d" % self.port if self.port is not None else "pty:" + self.link

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()
        self.process.stderr.close()

    def entries(self):
        """(received, answered) of every log line, in order."""
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return [tuple(line.rstrip("\n").split("\t")[2:4]) for line in f if line.strip()]

    def commands(self):
        """The commands the simulator received, in order, as logged."""
        return [entry[0] for entry in self.entries()]

    received = commands

    def state(self):
        with open(self.state_file, encoding="utf-8") as f:
            return json.load(f)
