"""The benchmark: MiseANiveau.exe over 30 bases with a package of 10 small
files, under Wine in Xvfb, against the stand-in with no injected delay; in the
same invocation Wine's xcopy alone on the same files. The floor is what the
copies and the server calls cost by themselves; the run is measured against
it. Prints the median of the runs. Not a test: it judges nothing but says
which targets are met.

    python3 -m harness.bench BUILD_DIR [--runs N]   (from tests/e2e; scripts/bench does it)
"""

import argparse
import datetime
import math
import os
import platform
import statistics
import subprocess
import sys
from pathlib import Path

from . import wine
from .operator import Operator
from .scenario import BOX_TITLE, MAIN_TITLE, Failure, Scenario
from .standin import StandIn
from .suite import OPERATOR_FOLDER, Suite, run_tool
from .world import World

APP = r"C:\APP"
BASES = [("BASE%02d" % n, r"D:\BASES\BASE%02d" % n) for n in range(1, 31)]
# Ten small files of different sizes, as a real package of data files.
PACKAGE = {"F%02d.DAT" % n: bytes((n * i) % 251 for i in range(512 * n)) for n in range(1, 11)}
SUCCESS_HEAD = "Mise à jour du serveur terminée avec succès."
FIXTURE = OPERATOR_FOLDER + r"\maj-fixture.exe"
COMMANDS = r"C:\BENCH\xcopy.txt"
# A wait that polled every 100 ms rounded each copy up to the next 100 ms: the
# floor such a wait had, kept for comparison.
POLL_MS = 100

TARGETS = {"ratio": 1.05, "overhead": 10.0, "loop": 2.0, "once_beyond_reference": 100.0,
           "peak": 8 * 2 ** 20, "exe": 1.5 * 2 ** 20}


def say(text):
    print("bench: " + text, file=sys.stderr, flush=True)


class RunFailed(Exception):
    """A run that did not upgrade every base: not measured, tried again."""


class Timed:
    """A journal line written with timing = on."""

    def __init__(self, line):
        head, _, timing = line.rpartition(" [at=")
        at, _, took = timing.rstrip("]").partition("s took=")
        self.line = head
        self.at_ms = float(at) * 1000
        self.took_ms = float(took.rstrip("ms"))
        self.end_ms = self.at_ms + self.took_ms

    def is_command(self, word):
        return ': Execute(command=["P", "%s' % word in self.line


def copy_commands():
    """The command lines the program runs, in its order: the package files as
    the file-system object lists them (by name), into each base's folder."""
    files = sorted(PACKAGE, key=str.lower)
    return ['xcopy "%s\\INSTALLMAJ\\%s" "%s\\INSTALLMAJ" /C /Y' % (APP, name, directory)
            for _, directory in BASES for name in files]


def program_run(s):
    """One run of the program: its own figures and the stand-in's journal."""
    launched = s.op.figures("launch", APP + r"\MiseANiveau.exe", "--title", MAIN_TITLE,
                            "--until", BOX_TITLE, "--timeout", 900, timeout=900)
    pid = int(launched["pid"])
    held = s.op.counters(pid)
    box = s.op.show(launched["until-window"]).window
    if box is None:
        raise Failure("the summary box went away by itself")
    s.act(box, "press", "OK", closes=True)
    ended = s.op.wait(60, pid=pid, exclude=[launched["window"]])
    if ended.status != 3:
        raise Failure("the program did not end after its summary")
    journal = s.standin.journal(s.world)
    if not (box.message or "").startswith(SUCCESS_HEAD):
        # Say why, from the stand-in's notes: the run's figures would mislead.
        why = [line.split(" [at=")[0] for line in journal if " -> 0x" in line
               and ": Read(" not in line]
        raise RunFailed("a base was not upgraded: " + "; ".join(why))
    lines = [Timed(line) for line in journal]
    # The last call before the box is Initialisation2's Connect after the last base.
    last = max(i for i, t in enumerate(lines) if ": Connect(" in t.line)
    before_box = lines[:last + 1]
    qui = [t for t in before_box if t.is_command("QUI")]
    upgrade = [t for t in before_box if t.is_command("LANCEMAJCD ")]
    if len(qui) != len(BASES) or len(upgrade) != len(BASES):
        raise Failure("the journal does not hold one QUI and one LANCEMAJCD per base")
    return {
        # The journal's first and last calls before the box: what lies outside
        # them (start-up, the first client's creation, the box) is paid once.
        "span": before_box[-1].end_ms - before_box[0].at_ms,
        "total": float(launched["until-ms"]),
        "startup": float(launched["painted-ms"]),
        "shown": float(launched["shown-ms"]),
        "calls": sum(t.took_ms for t in before_box),
        "calls_count": len(before_box),
        # Between a base's QUI and its LANCEMAJCD the program copies the package.
        "copying": sum(u.at_ms - q.end_ms for q, u in zip(qui, upgrade)),
        "peak": held["peak-working-set"],
        "private": held["private"],
    }


def xcopy_alone(s):
    """Wine's xcopy on the same files, into the folders the run made, started
    as the program starts it; the time of each from CreateProcessW to its end."""
    commands = copy_commands()
    s.world.write(COMMANDS, "\r\n".join(commands) + "\r\n")
    answer = s.op.run("time-commands", COMMANDS, "--timeout", 60, timeout=1800)
    if answer.status != 0:
        error = answer.fields.get("error") or ""
        # Wine now and then fails to start a process at all: the same incident
        # as in the program's own runs, so the run is replaced, not the bench ended.
        failure = RunFailed if error.startswith("cannot start") else Failure
        raise failure("timing xcopy alone failed: %s" % error)
    times = [float(part[3:]) for line in answer.raw.replace("\r", "").split("\n")
             if line.startswith("run\t") for part in line.split("\t") if part.startswith("ms=")]
    if len(times) != len(commands):
        raise Failure("xcopy was timed %d times, not %d" % (len(times), len(commands)))
    return times


def reference_program(s):
    """A minimal window program under the same Wine (the operator helper's
    fixture: a window, a label, a message box): what any program costs here."""
    launched = s.op.figures("launch", FIXTURE, "--title", MAIN_TITLE, "--until", BOX_TITLE,
                            "--timeout", 60, timeout=60)
    held = s.op.counters(launched["pid"])
    s.op.run("end", launched["pid"])
    return {"startup": float(launched["painted-ms"]), "peak": held["peak-working-set"]}


def measure(suite, log, number):
    world = World(suite.prefix, suite.work / ("run%d" % number), suite.baseline)
    world.reset()
    s = Scenario(suite, world, StandIn(suite), Operator(OPERATOR_FOLDER + r"\maj-operator.exe",
                                                        suite.wine_env, log),
                 suite.artifacts, log)
    s.install(APP, PACKAGE)
    for entry, directory in BASES:
        s.base(entry, directory)
    s.base_list("".join(entry + "\r\n" for entry, _ in BASES))
    s.standin.timing = True
    s.standin.install(world)
    run = program_run(s)
    copies = xcopy_alone(s)
    rounded = sum(math.ceil(ms / POLL_MS) * POLL_MS for ms in copies)
    run.update(xcopy=sum(copies), xcopy_median=statistics.median(copies), rounded=rounded,
               floor=sum(copies) + run["calls"], polled_floor=rounded + run["calls"])
    run["ratio"] = run["total"] / run["floor"]
    run["polled_ratio"] = run["total"] / run["polled_floor"]
    run["overhead"] = (run["total"] - run["copying"] - run["calls"]) / len(BASES)
    run["fixed"] = run["total"] - run["span"]
    run["loop_overhead"] = (run["span"] - run["copying"] - run["calls"]) / len(BASES)
    run["copy_overhead"] = (run["copying"] - run["xcopy"]) / len(copies)
    run.update({"ref_" + k: v for k, v in reference_program(s).items()})
    run["fixed_beyond_reference"] = run["fixed"] - run["ref_startup"]
    return run


def machine():
    model = next((line.split(":", 1)[1].strip() for line in
                  Path("/proc/cpuinfo").read_text().splitlines() if line.startswith("model name")),
                 platform.processor() or "unknown")
    debian = Path("/etc/debian_version").read_text().strip() \
        if Path("/etc/debian_version").exists() else "not Debian"
    version = subprocess.run(wine.command("--version"), capture_output=True,
                             text=True).stdout.strip()
    return "%d cores, %s; Debian %s; %s; %s" % (os.cpu_count(), model, debian, version,
                                               datetime.date.today().isoformat())


def measured_program(program):
    """Which build the figures are of, and why when it is not the shipped one."""
    bits = wine.machine_of(program)
    if bits == "32-bit":
        return "the 32-bit program (the one shipped)"
    runs_32bit, answer = wine.probe_32bit()
    why = "" if runs_32bit else ", because this host cannot run the 32-bit one: " + answer[4:]
    return "the %s program%s" % (bits, why)


def report(runs, exe_size, failed, program):
    def figure(key):
        return statistics.median(r[key] for r in runs)

    def each(key, form, scale=1):
        return " / ".join(form % (r[key] / scale) for r in runs)

    def verdict(value, target, unit):
        if value <= target:
            return "met (target <= %s)" % unit(target)
        return "MISSED by %s (target <= %s)" % (unit(value - target), unit(target))

    seconds = lambda ms: "%.2f s" % (ms / 1000)  # noqa: E731
    millis = lambda ms: "%.1f ms" % ms  # noqa: E731
    mib = lambda b: "%.2f MiB" % (b / 2 ** 20)  # noqa: E731
    n = len(BASES)
    files = len(PACKAGE)
    print("MiseANiveau.exe, %d bases x %d files, stand-in without delay; median of %d runs"
          % (n, files, len(runs)))
    print("machine: " + machine())
    print("measured: " + program)
    print()
    rows = [
        ("total wall time", seconds(figure("total")), each("total", "%.0f"),
         "CreateProcessW of the program to its summary box on the screen"),
        ("floor: the copies' own time", seconds(figure("floor")), each("floor", "%.0f"),
         "the %d xcopy times alone, plus the server calls" % (n * files)),
        ("  xcopy alone", seconds(figure("xcopy")), each("xcopy", "%.0f"),
         "sum over %d copies, median copy %s" % (n * files, millis(figure("xcopy_median")))),
        ("  server calls", seconds(figure("calls")), each("calls", "%.0f"),
         "%d calls, as the stand-in timed them (its journal writes not included)"
         % runs[0]["calls_count"]),
        ("ratio to the copies' own time", "%.3f" % figure("ratio"), each("ratio", "%.3f"),
         verdict(figure("ratio"), TARGETS["ratio"], lambda v: "%.3f" % v)),
        ("floor with 100 ms polls", seconds(figure("polled_floor")),
         each("polled_floor", "%.0f"),
         "each xcopy time rounded up to %d ms (%s), plus the server calls: for comparison"
         % (POLL_MS, seconds(figure("rounded")))),
        ("  ratio to it", "%.3f" % figure("polled_ratio"), each("polled_ratio", "%.3f"),
         "what a wait that polled every 100 ms could at best have reached is 1.000"),
        ("own overhead per base", millis(figure("overhead")), each("overhead", "%.1f"),
         verdict(figure("overhead"), TARGETS["overhead"], millis)),
        ("  waits (copy phases)", seconds(figure("copying")), each("copying", "%.0f"),
         "from the end of each base's QUI to the start of its LANCEMAJCD, in the journal"),
        ("  paid once", millis(figure("fixed")), each("fixed", "%.0f"),
         "start-up, first client, summary box: before the first and after the last call"),
        ("    beyond a minimal program", millis(figure("fixed_beyond_reference")),
         each("fixed_beyond_reference", "%.0f"),
         "paid once, less the reference program's start-up: "
         + verdict(figure("fixed_beyond_reference"), TARGETS["once_beyond_reference"], millis)),
        ("  per base, in the loop", millis(figure("loop_overhead")),
         each("loop_overhead", "%.1f"),
         "between the server calls, copies excluded: "
         + verdict(figure("loop_overhead"), TARGETS["loop"], millis)),
        ("  beyond xcopy alone, a copy", millis(figure("copy_overhead")),
         each("copy_overhead", "%.1f"),
         "listing the package, starting each copy, the wait, beyond xcopy's own time"),
        ("peak working set", mib(figure("peak")), each("peak", "%.2f", 2 ** 20),
         verdict(figure("peak"), TARGETS["peak"], mib)),
        ("  a minimal window program", mib(figure("ref_peak")), each("ref_peak", "%.2f", 2 ** 20),
         "the same Wine's cost: window, label and message box, nothing else"),
        ("exe size", mib(exe_size), "%d bytes" % exe_size, verdict(exe_size, TARGETS["exe"], mib)),
        ("start-up to painted window", millis(figure("startup")), each("startup", "%.0f"),
         "CreateProcessW to the main window visible with nothing left to paint"),
        ("  a minimal window program", millis(figure("ref_startup")), each("ref_startup", "%.0f"),
         "the same, for the reference program"),
    ]
    for name, median, values, note in rows:
        print("%-30s %12s   runs: %-26s %s" % (name, median, values, note))
    for line in failed:
        print("not measured: " + line)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", help="the Windows build folder")
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args(argv[1:])
    source = Path(__file__).resolve().parents[3]
    suite = Suite(source, Path(args.build).resolve(), build_it=False, home_name="bench",
                  tag="bench")

    def run():
        suite.check_tools()
        suite.find_artifacts({"program", "dll", "operator", "fixture"})
        suite.prepare()
        suite.home.mkdir(parents=True, exist_ok=True)
        say("each step is logged in %s" % (suite.home / "log.txt"))
        runs = []
        failed = []
        with open(suite.home / "log.txt", "w", encoding="utf-8") as log:
            # A run that fails is said and replaced, twice at the most.
            while len(runs) < args.runs and len(failed) <= 2:
                number = len(runs) + len(failed) + 1
                say("run %d: %d of %d (about five minutes)" % (number, len(runs) + 1, args.runs))
                try:
                    runs.append(measure(suite, log, number))
                except RunFailed as error:
                    say("run %d not measured, %s" % (number, error))
                    failed.append("run %d: %s" % (number, error))
        if len(runs) < args.runs:
            say("too many runs failed")
            return 1
        report(runs, suite.program.stat().st_size, failed, measured_program(suite.program))
        return 0

    return run_tool(suite, say, run)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
