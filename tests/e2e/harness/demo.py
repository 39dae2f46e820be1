"""The demo: MiseANiveau.exe upgrades three bases of a stand-in server under
Wine. With a display, the person at it answers the boxes; without one, the
program runs in Xvfb and the operator helper presses OK, printing each box.

    python3 -m harness.demo BUILD_DIR [ARGUMENT...]   (from tests/e2e; scripts/demo does it)

The arguments go to the program: /VERIFIER runs the pre-check. The demo ends
by printing the program's exit code.
"""

import os
import sys
from pathlib import Path

from .operator import Operator
from .scenario import Failure, Scenario
from .standin import DATA, StandIn
from .suite import OPERATOR_FOLDER, Suite, run_tool
from .texts import visible
from .world import SHARE, World

APP = r"C:\MERIDOXAN"
BASES = [("BASEAFA", r"D:\BASESCLIENTS\BASEAFA"),
         ("BASE CLIENTS", r"D:\BASES CLIENTS\BASE 2"),
         ("BASE3", SHARE + r"\BASES\BASE3")]
PACKAGE = {"LISEZMOI.TXT": "Mise à niveau 712 : nouvelles tables et états.\r\n",
           "MAJ712.DAT": bytes(range(256)) * 16,
           "ETATS.DAT": "états de fin d'année\r\n"}


def say(text=""):
    print(("demo: " + text) if text else "", flush=True)


def set_up(s):
    s.install(APP, PACKAGE)
    for entry, directory in BASES:
        s.base(entry, directory)
    # A server a little slow to answer, so that the main window can be seen.
    s.standin.fault("QUI", delay=700)
    s.base_list("".join(entry + "\r\n" for entry, _ in BASES))


def play_headless(s):
    """The operator helper answers every box with OK and reports it."""
    s.shoot_main("main-window")
    while True:
        answer = s.op.wait(120, pid=s.main.pid, exclude=[s.main.hwnd])
        if answer.status == 3:
            return
        if answer.status != 0:
            raise Failure("no box and no end of the program within 120 s")
        w = answer.window
        text = w.message if w.message is not None else \
            "\n".join(c.text for c in w.of_class("static") if c.text)
        say("box «%s»%s:" % (w.title, " (%s icon)" % w.icon if w.icon else ""))
        for line in text.split("\r\n"):
            print("      " + line)
        s.screenshot(w, "box")
        labels = [c.text.replace("&", "") for c in w.of_class("button")]
        if "OK" in labels or "Ok" in labels:
            say("the operator presses OK")
            s.act(w, "press", "OK" if "OK" in labels else "Ok", closes=True)
        else:
            say("the operator presses Escape")
            s.act(w, "key", "Escape", closes=True)


def report(s):
    for entry, directory in BASES:
        files = s.world.files_in(directory + r"\INSTALLMAJ") or {}
        say("%s: %d package file(s) in %s\\INSTALLMAJ" % (entry, len(files), directory))
    version = s.world.read(SHARE + r"\MERIDOXAN\VERSION.txt")
    say("VERSION.txt: %s" % ("absent" if version is None else
                              "«%s»" % visible(version.decode("cp1252")).replace("\n", "")))
    say("the stand-in's journal: %s" % s.world.host(DATA + r"\journal.txt"))


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    source = Path(__file__).resolve().parents[3]
    suite = Suite(source, Path(argv[1]).resolve(), build_it=False, home_name="demo", tag="demo")
    display = os.environ.get("DISPLAY") or None

    def run():
        suite.check_tools()
        suite.find_artifacts({"program", "dll", "operator"})
        suite.prepare(display=display)
        world = World(suite.prefix, suite.work / "demo", suite.baseline)
        world.reset()
        with open(suite.home / "log.txt", "w", encoding="utf-8") as log:
            operator = Operator(OPERATOR_FOLDER + r"\maj-operator.exe", suite.wine_env, log)
            s = Scenario(suite, world, StandIn(suite), operator, suite.artifacts, log)
            set_up(s)
            say("\\\\127.0.0.1\\UNIDATA is %s" % (world.server / "UNIDATA"))
            say("starting %s\\MiseANiveau.exe on display %s" % (APP, suite.display))
            s.start(args=argv[2:], exit_code=True)
            if display:
                say("answer the boxes; the demo ends with the program")
                s.process.wait()
            else:
                play_headless(s)
                s.process.wait(timeout=30)
            say("the program has ended with exit code %s" % s.op.finish_watch(s.exit_watch))
            report(s)
            shots = sorted(suite.artifacts.glob("*.png"))
            if shots:
                say("screenshots:")
                for shot in shots:
                    print("      %s" % shot)
        return 0

    return run_tool(suite, say, run)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
