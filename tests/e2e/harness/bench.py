"""The benchmark: MiseANiveau.exe under Wine in Xvfb, against the stand-in
with no injected delay, with a package of 10 small files. Two parts in one
invocation:

- pairs of short runs (10 bases), each run back to back with Wine's xcopy alone
  on the same 100 copies, started as the program starts them (no console
  window), then started with a minimised console window: the program's
  ratio to the copies' own time and the two ways of starting a copy, each
  as the median of the pairs with its interquartile range;
- whole runs (30 bases) of the program, and of a previous build of it when
  one is given, interleaved: the total, the per-base figures, the working
  set and the start-up.

Not a test: it judges nothing but says which targets are met.

    python3 -m harness.bench BUILD_DIR [--pairs N] [--runs N] [--old EXE]
    (from tests/e2e; scripts/bench does it)
"""

import argparse
import datetime
import os
import platform
import shutil
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
PAIR_BASES = 10
WHOLE_BASES = 30
# Ten small files of different sizes, as a real package of data files.
PACKAGE = {"F%02d.DAT" % n: bytes((n * i) % 251 for i in range(512 * n)) for n in range(1, 11)}
SUCCESS_HEAD = "Mise à jour du serveur terminée avec succès."
FIXTURE = OPERATOR_FOLDER + r"\maj-fixture.exe"
COMMANDS = r"C:\BENCH\xcopy.txt"

TARGETS = {"ratio": 1.03, "iqr": 5.0, "no_window": 0.65, "old": 0.75, "overhead": 10.0,
           "loop": 2.0, "once_beyond_reference": 100.0, "peak": 8 * 2 ** 20,
           "exe": 1.5 * 2 ** 20}


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


def bases(count):
    return [("BASE%02d" % n, r"D:\BASES\BASE%02d" % n) for n in range(1, count + 1)]


def copy_commands(listed):
    """The command lines the program runs, in its order: the package files as
    the file-system object lists them (by name), into each base's folder."""
    files = sorted(PACKAGE, key=str.lower)
    return ['xcopy "%s\\INSTALLMAJ\\%s" "%s\\INSTALLMAJ" /C /Y' % (APP, name, directory)
            for _, directory in listed for name in files]


def program_run(s, count):
    """One run of the program over `count` bases: its own figures and the
    stand-in's journal."""
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
    if len(qui) != count or len(upgrade) != count:
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


def xcopy_alone(s, listed, window):
    """Wine's xcopy on the same files, into the folders the run made, started
    with no console window as the program starts it ("none") or with a
    minimised console window as it used to ("minimised"); the time of each
    from CreateProcessW to its end."""
    commands = copy_commands(listed)
    s.world.write(COMMANDS, "\r\n".join(commands) + "\r\n")
    answer = s.op.run("time-commands", COMMANDS, "--window", window, "--timeout", 60,
                      timeout=1800)
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


def reference_program(s, pieces=()):
    """A minimal window program under the same Wine (the operator helper's
    fixture: a window, a label, a message box): what any program costs here;
    with `pieces`, the same program once it has taken those on."""
    words = ["--args", " ".join(pieces)] if pieces else []
    launched = s.op.figures("launch", FIXTURE, "--title", MAIN_TITLE, "--until", BOX_TITLE,
                            *words, "--timeout", 60, timeout=60)
    held = s.op.counters(launched["pid"])
    s.op.run("end", launched["pid"])
    return {"startup": float(launched["painted-ms"]), "peak": held["peak-working-set"]}


# What the program takes on, in the order it does (the fixture's words for them).
PIECES = [("com", "COM start-up"), ("comctl", "the common controls"), ("log", "the run log"),
          ("dba", "the component DBA (the stand-in, in-process)"),
          ("fso", "the file-system object"), ("taskbar", "the taskbar interface")]


def breakdown(s):
    """The minimal program's peak working set with each piece added in turn."""
    words = [word for word, _ in PIECES]
    return [reference_program(s, words[:n + 1])["peak"] for n in range(len(words))]


def prepared(suite, log, name, listed, program):
    """A fresh world with `program` installed as C:\\APP\\MiseANiveau.exe, its
    package, and the bases listed."""
    world = World(suite.prefix, suite.work / name, suite.baseline)
    world.reset()
    s = Scenario(suite, world, StandIn(suite), Operator(OPERATOR_FOLDER + r"\maj-operator.exe",
                                                        suite.wine_env, log),
                 suite.artifacts, log)
    s.install(APP, PACKAGE)
    if program != suite.program:
        shutil.copy2(program, world.host(APP + r"\MiseANiveau.exe"))
    for entry, directory in listed:
        s.base(entry, directory)
    s.base_list("".join(entry + "\r\n" for entry, _ in listed))
    s.standin.timing = True
    s.standin.install(world)
    return s


def pair(suite, log, number):
    """The program over 10 bases, then at once xcopy alone on its copies, with
    no console window and with a minimised one."""
    listed = bases(PAIR_BASES)
    s = prepared(suite, log, "pair%d" % number, listed, suite.program)
    run = program_run(s, len(listed))
    none = xcopy_alone(s, listed, "none")
    minimised = xcopy_alone(s, listed, "minimised")
    floor = sum(none) + run["calls"]
    return {"total": run["total"], "calls": run["calls"], "calls_count": run["calls_count"],
            "xcopy": sum(none), "floor": floor, "ratio": run["total"] / floor,
            "copy_overhead": (run["copying"] - sum(none)) / len(none),
            "none_copy": statistics.median(none), "minimised_copy": statistics.median(minimised),
            "minimised": sum(minimised),
            "no_window": statistics.median(none) / statistics.median(minimised)}


def whole(suite, log, name, program, reference):
    """The program over 30 bases: its total, per-base figures, working set and
    start-up; with `reference`, the minimal window program's too."""
    listed = bases(WHOLE_BASES)
    s = prepared(suite, log, name, listed, program)
    run = program_run(s, len(listed))
    n = len(listed)
    run["overhead"] = (run["total"] - run["copying"] - run["calls"]) / n
    run["fixed"] = run["total"] - run["span"]
    run["loop_overhead"] = (run["span"] - run["copying"] - run["calls"]) / n
    if reference:
        run.update({"ref_" + k: v for k, v in reference_program(s).items()})
        run["fixed_beyond_reference"] = run["fixed"] - run["ref_startup"]
        for (word, _), peak in zip(PIECES, breakdown(s)):
            run["with_" + word] = peak
    return run


def quartiles(values):
    """The first and third quartiles: one disturbed pair moves them little,
    where it sets the whole range."""
    if len(values) < 2:
        return values[0], values[0]
    first, _, third = statistics.quantiles(values, n=4, method="inclusive")
    return first, third


def interquartile(values, form):
    """The interquartile range, and its width over the median in per cent."""
    first, third = quartiles(values)
    return "interquartile range %s to %s (%.1f %% of the median)" % (
        form % first, form % third, (third - first) / statistics.median(values) * 100)


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


def report(pairs, runs, olds, exe_size, old_size, failed, program):
    def median(group, key):
        return statistics.median(r[key] for r in group)

    def each(group, key, form, scale=1):
        return " / ".join(form % (r[key] / scale) for r in group)

    def verdict(value, target, unit):
        if value <= target:
            return "met (target <= %s)" % unit(target)
        return "MISSED by %s (target <= %s)" % (unit(value - target), unit(target))

    seconds = lambda ms: "%.2f s" % (ms / 1000)  # noqa: E731
    millis = lambda ms: "%.1f ms" % ms  # noqa: E731
    mib = lambda b: "%.2f MiB" % (b / 2 ** 20)  # noqa: E731
    ratio = lambda v: "%.3f" % v  # noqa: E731
    percent = lambda v: "%.1f %%" % v  # noqa: E731
    files = len(PACKAGE)
    copies = PAIR_BASES * files
    print("MiseANiveau.exe, stand-in without delay, %d files a base; %d pairs of %d bases, "
          "%d whole runs of %d bases" % (files, len(pairs), PAIR_BASES, len(runs), WHOLE_BASES))
    print("machine: " + machine())
    print("measured: " + program)
    print("load before / after: %s / %s" % (LOAD[0], load()))
    print()

    def row(name, value, values, note):
        print("%-32s %12s   runs: %-34s %s" % (name, value, values, note))

    r = median(pairs, "ratio")
    w = median(pairs, "no_window")
    row("pairs: program, %d bases" % PAIR_BASES, seconds(median(pairs, "total")),
        each(pairs, "total", "%.0f"), "CreateProcessW of the program to its summary box")
    row("  floor: the copies' own time", seconds(median(pairs, "floor")),
        each(pairs, "floor", "%.0f"),
        "the %d xcopy times alone (no console window), plus the server calls" % copies)
    row("    xcopy alone", seconds(median(pairs, "xcopy")), each(pairs, "xcopy", "%.0f"),
        "median copy %s" % millis(median(pairs, "none_copy")))
    row("    server calls", seconds(median(pairs, "calls")), each(pairs, "calls", "%.0f"),
        "%d calls, as the stand-in timed them" % pairs[0]["calls_count"])
    row("ratio to the copies' own time", ratio(r), each(pairs, "ratio", "%.3f"),
        "%s, target < %s; %s"
        % (interquartile([p["ratio"] for p in pairs], "%.3f"), percent(TARGETS["iqr"]),
           verdict(r, TARGETS["ratio"], ratio)))
    row("  beyond xcopy alone, a copy", millis(median(pairs, "copy_overhead")),
        each(pairs, "copy_overhead", "%.1f"),
        "listing the package, starting each copy, the wait, beyond xcopy's own time")
    row("a copy, minimised console", millis(median(pairs, "minimised_copy")),
        each(pairs, "minimised_copy", "%.0f"),
        "median of %d xcopy started with SW_SHOWMINIMIZED (the previous way)" % copies)
    row("a copy, no console window", millis(median(pairs, "none_copy")),
        each(pairs, "none_copy", "%.0f"),
        "median of the same %d started with CREATE_NO_WINDOW (the program's way)" % copies)
    row("  no window / minimised console", ratio(w), each(pairs, "no_window", "%.3f"),
        "%s; %s" % (interquartile([p["no_window"] for p in pairs], "%.3f"),
                    verdict(w, TARGETS["no_window"], ratio)))
    print()
    total = median(runs, "total")
    row("whole run, %d bases" % WHOLE_BASES, seconds(total), each(runs, "total", "%.0f"),
        "CreateProcessW of the program to its summary box on the screen")
    if olds:
        old = median(olds, "total")
        row("  the previous program", seconds(old), each(olds, "total", "%.0f"),
            "the same run, interleaved with the program's")
        row("  ratio to the previous program", ratio(total / old), "",
            verdict(total / old, TARGETS["old"], ratio))
    row("own overhead per base", millis(median(runs, "overhead")),
        each(runs, "overhead", "%.1f"),
        verdict(median(runs, "overhead"), TARGETS["overhead"], millis))
    row("  waits (copy phases)", seconds(median(runs, "copying")), each(runs, "copying", "%.0f"),
        "from the end of each base's QUI to the start of its LANCEMAJCD, in the journal")
    row("  paid once", millis(median(runs, "fixed")), each(runs, "fixed", "%.0f"),
        "start-up, first client, summary box: before the first and after the last call")
    row("    beyond a minimal program", millis(median(runs, "fixed_beyond_reference")),
        each(runs, "fixed_beyond_reference", "%.0f"),
        "paid once, less the reference program's start-up: "
        + verdict(median(runs, "fixed_beyond_reference"), TARGETS["once_beyond_reference"],
                  millis))
    row("  per base, in the loop", millis(median(runs, "loop_overhead")),
        each(runs, "loop_overhead", "%.1f"),
        "between the server calls, copies excluded: "
        + verdict(median(runs, "loop_overhead"), TARGETS["loop"], millis))
    if olds:
        row("  the previous program, in the loop", millis(median(olds, "loop_overhead")),
            each(olds, "loop_overhead", "%.1f"), "")
    row("peak working set", mib(median(runs, "peak")), each(runs, "peak", "%.2f", 2 ** 20),
        verdict(median(runs, "peak"), TARGETS["peak"], mib))
    if olds:
        row("  the previous program", mib(median(olds, "peak")),
            each(olds, "peak", "%.2f", 2 ** 20), "")
    row("  a minimal window program", mib(median(runs, "ref_peak")),
        each(runs, "ref_peak", "%.2f", 2 ** 20),
        "the same Wine's cost: window, label and message box, nothing else")
    before = "ref_peak"
    for word, what in PIECES:
        key = "with_" + word
        added = statistics.median(r[key] - r[before] for r in runs)
        row("    + " + word, mib(median(runs, key)), each(runs, key, "%.2f", 2 ** 20),
            "%s adds %s" % (what, mib(added)))
        before = key
    row("exe size", mib(exe_size), "%d bytes" % exe_size,
        verdict(exe_size, TARGETS["exe"], mib))
    if olds:
        row("  the previous program", mib(old_size), "%d bytes" % old_size, "")
    row("start-up to painted window", millis(median(runs, "startup")),
        each(runs, "startup", "%.0f"),
        "CreateProcessW to the main window visible with nothing left to paint")
    if olds:
        row("  the previous program", millis(median(olds, "startup")),
            each(olds, "startup", "%.0f"), "")
    row("  a minimal window program", millis(median(runs, "ref_startup")),
        each(runs, "ref_startup", "%.0f"), "the same, for the reference program")
    for line in failed:
        print("not measured: " + line)


def load():
    return " ".join(Path("/proc/loadavg").read_text().split()[:3])


LOAD = [None]


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", help="the Windows build folder")
    parser.add_argument("--pairs", type=int, default=7)
    parser.add_argument("--runs", type=int, default=3, help="whole runs of 30 bases")
    parser.add_argument("--old", type=Path, help="a previous MiseANiveau.exe, to compare with")
    args = parser.parse_args(argv[1:])
    source = Path(__file__).resolve().parents[3]
    suite = Suite(source, Path(args.build).resolve(), build_it=False, home_name="bench",
                  tag="bench")

    def run():
        suite.check_tools()
        suite.find_artifacts({"program", "dll", "operator", "fixture"})
        suite.prepare()
        suite.home.mkdir(parents=True, exist_ok=True)
        LOAD[0] = load()
        say("each step is logged in %s" % (suite.home / "log.txt"))
        failed = []
        number = [0]

        def attempt(what, measure):
            # A run that fails is said and replaced, twice at the most.
            for _ in range(3):
                number[0] += 1
                say("%s (step %d)" % (what, number[0]))
                try:
                    return measure(number[0])
                except RunFailed as error:
                    say("step %d not measured, %s" % (number[0], error))
                    failed.append("step %d: %s" % (number[0], error))
            raise Failure("too many runs failed")

        with open(suite.home / "log.txt", "w", encoding="utf-8") as log:
            pairs = [attempt("pair %d of %d (about a minute)" % (i + 1, args.pairs),
                             lambda n: pair(suite, log, n)) for i in range(args.pairs)]
            runs, olds = [], []
            for i in range(args.runs):
                runs.append(attempt("whole run %d of %d" % (i + 1, args.runs),
                                    lambda n: whole(suite, log, "run%d" % n, suite.program,
                                                    True)))
                if args.old:
                    olds.append(attempt("the previous program, run %d of %d" % (i + 1, args.runs),
                                        lambda n: whole(suite, log, "old%d" % n, args.old,
                                                        False)))
        report(pairs, runs, olds, suite.program.stat().st_size,
               args.old.stat().st_size if args.old else 0, failed,
               measured_program(suite.program))
        return 0

    return run_tool(suite, say, run)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
