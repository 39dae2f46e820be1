"""The suite: checks the tools, builds what it needs, prepares one Wine prefix
and one X server for every scenario, runs the scenarios and reports."""

import os
import re
import select
import shutil
import subprocess
import sys
import time
import traceback
from pathlib import Path

from . import wine
from .wine import machine_of
from .operator import Operator, OperatorError
from .scenario import SCENARIOS, Failure, Scenario
from .standin import StandIn
from .world import World, remove_tree, snapshot

OPERATOR_FOLDER = r"C:\maj-e2e"
TOOLS = {
    # scripts/wine names the loader it misses itself.
    "wineserver": "wine wine64",
    "Xvfb": "xvfb", "import": "imagemagick",
}
BUILD_TOOLS = {"cmake": "cmake", "i686-w64-mingw32-g++-posix": "g++-mingw-w64-i686-posix"}
ARTIFACTS = {
    "program": "MiseANiveau.exe", "dll": "DBA.dll",
    "operator": "maj-operator.exe", "fixture": "maj-fixture.exe",
}


class SuiteError(Exception):
    """The suite cannot run at all (a tool or a build artifact is missing)."""


def missing_tools(tools):
    return ["%s (Debian package %s)" % (t, p) for t, p in tools.items() if shutil.which(t) is None]


class Suite:
    """One prepared Wine prefix and one X server, shared by the runs made in
    them. `home` holds the prefix, the scenarios' work folders and the artifacts."""

    def __init__(self, source, build, build_it, home_name="e2e-run", tag="e2e"):
        self.tag = tag  # what its messages begin with
        self.source = Path(source)
        self.build = Path(build)
        self.build_it = build_it
        self.home = self.build / home_name
        # One prepared prefix for the suite and the demo; each works on a copy.
        self.template = self.build / "wine-prefix-template"
        self.prefix = self.home / "prefix"
        self.work = self.home / "work"
        self.artifacts = self.home / "artifacts"
        self.xvfb = None
        self.xvfb_pipe = None
        self.display = None
        self.wine_env = None
        self.baseline = set()
        self.program = self.dll = self.operator_exe = self.fixture = None

    # --- preparing -------------------------------------------------------------

    def check_tools(self):
        missing = missing_tools(TOOLS) + (missing_tools(BUILD_TOOLS) if self.build_it else [])
        if missing:
            raise SuiteError("missing tools: " + ", ".join(missing) +
                             "\n  (scripts/setup installs them)")

    def compile(self):
        if not self.build_it:
            return
        if not (self.build / "CMakeCache.txt").exists():
            toolchain = self.source / "cmake" / "mingw-w64.cmake"
            step(["cmake", "-S", self.source, "-B", self.build, "-DCMAKE_BUILD_TYPE=Release",
                  "-DCMAKE_TOOLCHAIN_FILE=%s" % toolchain], "configuring the Windows build", 600, self.tag)
        step(["cmake", "--build", self.build, "-j2"], "building the Windows build", 3600, self.tag)

    def built_files(self):
        """Every file the build made, by name (the first found of each name)."""
        built = {}
        for folder, subfolders, files in os.walk(self.build):
            if Path(folder) == self.build:
                # The suite's and the demo's own folders hold no build output.
                subfolders[:] = [d for d in subfolders
                                 if d not in (self.home.name, self.template.name, "e2e-run", "demo")]
            for name in files:
                built.setdefault(name, Path(folder) / name)
        return built

    def find_artifacts(self, needed):
        """The built files named in `needed` (keys of ARTIFACTS)."""
        built = self.built_files()
        for key in needed:
            name = ARTIFACTS[key]
            if name not in built:
                raise SuiteError("%s is not in %s: build it first (cmake --build %s)"
                                 % (name, self.build, self.build))
            setattr(self, key if key != "operator" else "operator_exe", built[name])

    def other_bitness_dll(self):
        """A DBA.dll of the other bitness than the program, from a sibling build
        folder (build/win beside build/win64): a component registered only
        for the bitness the program cannot load."""
        mine = machine_of(self.program)
        for candidate in sorted(self.build.parent.glob("*/standin/com/DBA.dll")):
            if candidate.resolve().parent != self.dll.resolve().parent and \
                    machine_of(candidate) not in (mine, "unknown"):
                return candidate
        return None

    def prepare(self, display=None):
        """A fresh copy of the prepared prefix, with the operator helper in it;
        an X server (Xvfb, unless `display` is given) and a running wineserver."""
        self.home.mkdir(parents=True, exist_ok=True)
        step([self.source / "scripts" / "wine-prefix", self.template], "preparing the Wine prefix",
             900, self.tag)
        if self.prefix.exists():
            # A server left by an earlier run would serve the new copy too.
            stop_wineserver(dict(os.environ, WINEPREFIX=str(self.prefix)))
        remove_tree(self.prefix)
        remove_tree(self.work)
        remove_tree(self.artifacts)
        # The template stays clean; every run of the suite works on a copy.
        subprocess.run(["cp", "-a", str(self.template), str(self.prefix)], check=True, timeout=600)
        tools = self.prefix / "drive_c" / "maj-e2e"
        tools.mkdir(parents=True)
        shutil.copy2(self.operator_exe, tools / "maj-operator.exe")
        if self.fixture:
            shutil.copy2(self.fixture, tools / "maj-fixture.exe")
        self.baseline = snapshot(self.prefix)
        if display:
            self.display = display
        else:
            self.start_x()
        self.wine_env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEARCH="win64",
                             WINEDEBUG=os.environ.get("MAJ_E2E_WINEDEBUG", "-all"),
                             DISPLAY=self.display, LC_ALL="C.UTF-8",
                             WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        self.wine_env.pop("WAYLAND_DISPLAY", None)
        self.start_wineserver()

    def start_x(self):
        """An X server on a free display; its number comes through a pipe."""
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
             "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        # Xvfb stops when it cannot write the whole line: read it all, and
        # keep the pipe open for as long as the server runs.
        self.xvfb_pipe = read_end
        got = b""
        deadline = time.monotonic() + 30
        while not got.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(read_end, 32) if ready else b""
            if not chunk:
                break
            got += chunk
        number = got.decode().strip()
        if not number.isdigit():
            self.xvfb.kill()
            raise SuiteError("Xvfb did not start")
        self.display = ":" + number

    def start_wineserver(self):
        # The server outlives this call: it must not hold our output open.
        subprocess.run(wine.server("-p"), env=self.wine_env, check=True, timeout=60,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The first Wine process of a prefix is slow; later ones start at once.
        Operator(OPERATOR_FOLDER + "\\maj-operator.exe", self.wine_env).run("list", timeout=60)

    def restart_wine(self):
        """Ends every Wine process of the prefix (a program that hung) and starts afresh."""
        stop_wineserver(self.wine_env)
        self.start_wineserver()

    def close(self):
        if self.wine_env:
            stop_wineserver(self.wine_env)
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
            os.close(self.xvfb_pipe)

    # --- running ---------------------------------------------------------------

    def run_scenario(self, name, function):
        """Runs one scenario; returns the list of its problems (empty: passed)
        and the figures it measured for the report."""
        artifacts = self.artifacts / name
        artifacts.mkdir(parents=True, exist_ok=True)
        world = World(self.prefix, self.work / name, self.baseline)
        world.reset()
        with open(artifacts / "log.txt", "w", encoding="utf-8") as log:
            operator = Operator(OPERATOR_FOLDER + "\\maj-operator.exe", self.wine_env, log)
            s = Scenario(self, world, StandIn(self), operator, artifacts, log)
            fatal = None
            try:
                function(s)
            except Failure as failure:
                fatal = str(failure)
            except OperatorError as error:
                fatal = "the operator helper failed: %s" % error
            except Exception:  # a defect of the scenario itself: show it whole
                fatal = "the scenario broke:\n" + traceback.format_exc()
            finally:
                if s.process is not None and s.process.poll() is None:
                    s.process.kill()
                    self.restart_wine()
                    s.process.wait()
                    if fatal is None:
                        fatal = "the program was still running at the end of the scenario"
                # Nothing left that a plain removal of the build folder cannot remove.
                world.reopen_closed_folders()
        return ([fatal] if fatal else []) + s.problems, s.measured


def run_tool(suite, say, body):
    """Runs a tool built on the suite (the demo, the bench): its exit status,
    a failure said in one line, Ctrl-C honoured, nothing left running."""
    try:
        return body()
    except (SuiteError, Failure, OperatorError) as error:
        say("failed: %s" % error)
        return 1
    except KeyboardInterrupt:
        say("interrupted")
        return 130
    finally:
        suite.close()


def stop_wineserver(env):
    """Ends every Wine process of the prefix and waits until its server is gone."""
    try:
        subprocess.run(wine.server("-k"), env=env, check=False, capture_output=True, timeout=30)
        subprocess.run(wine.server("-w"), env=env, check=False, capture_output=True, timeout=30)
    except subprocess.TimeoutExpired:
        pass


def step(argv, what, timeout, tag):
    print("%s: %s" % (tag, what), file=sys.stderr, flush=True)
    try:
        done = subprocess.run([str(a) for a in argv], stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=timeout)
    except subprocess.TimeoutExpired:
        raise SuiteError("%s took more than %d s" % (what, timeout)) from None
    if done.returncode != 0:
        sys.stderr.write(done.stdout.decode(errors="replace")[-6000:])
        raise SuiteError("%s failed" % what)


def select_scenarios(patterns):
    chosen = [sc for sc in SCENARIOS if not patterns or any(re.search(p, sc[0]) for p in patterns)]
    return chosen


def format_seconds(seconds):
    return "%d min %02d s" % divmod(int(seconds), 60) if seconds >= 60 else "%.1f s" % seconds
