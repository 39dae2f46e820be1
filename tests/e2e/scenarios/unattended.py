"""MiseANiveau.exe /SILENCIEUX, started as a scheduled task starts it: nobody
at the screen, nothing answered. The operator helper starts it and watches
it to its end."""

from harness.demo import BASES as DEMO_BASES
from harness.demo import set_up as demo_set_up
from harness.operator import fields
from harness.scenario import Failure, scenario

from .common import APP, PACKAGE, summary

OUTPUT = r"C:\TACHE\sortie.txt"


def lines_of(answer, key):
    return [line.split("\t", 1)[1] for line in answer.raw.replace("\r", "").split("\n")
            if line.startswith(key + "\t")]


def run_unattended(s, args):
    """The stand-in registered, the program run with `args` to its end, its
    standard output taken in OUTPUT, as a remote command takes it: no window
    may show meanwhile. The watch's figures."""
    s.standin.install(s.world)
    s.world.mkdir(OUTPUT.rsplit("\\", 1)[0])
    watched = s.op.run("watch-run", s.app_folder + "\\MiseANiveau.exe", "--args", " ".join(args),
                       "--output", OUTPUT, "--timeout", 120, timeout=120)
    seen = fields(watched.raw)
    if "exited" not in seen:
        raise Failure("the program did not end by itself: %s" % seen.get("error", watched.raw))
    s.expect("the program's windows seen", [], lines_of(watched, "own-window"))
    s.expect("other programs' windows seen", [], lines_of(watched, "window"))
    return seen


@scenario("/SILENCIEUX on the demo's three bases: never a window, upgraded, ends by itself with 0")
def silent_run_on_the_demo_share(s):
    demo_set_up(s)
    seen = run_unattended(s, ["/SILENCIEUX"])
    s.expect("the program's exit code", "0", seen["exited"])
    # A copy caught running shows the watch was looking while the program worked.
    s.expect("the watch caught a copy running", True, int(seen.get("children", 0)) >= 1)
    for _, directory in DEMO_BASES:
        s.check_package(directory)
    text = summary([(entry, True) for entry, _ in DEMO_BASES])
    s.check_log(["Box: " + text.replace("\r\n", " | ")])
    # Output taken in a file has no console code page: UTF-8.
    s.check_file(OUTPUT, (text.replace("\r\n", "\n") + "Code de sortie : 0\n").encode("utf-8"))


@scenario("/SILENCIEUX /VERIFIER, the first base refuses the administrator: no window, code 11")
def silent_precheck_login_needed(s):
    s.install(APP, PACKAGE)
    s.base("BASE1", r"D:\BASES\BASE1", refuse=[(0x80040006, ["ADM"])])
    s.base("BASE2", r"D:\BASES\BASE2")
    s.base_list("BASE1\r\nBASE2\r\n")
    seen = run_unattended(s, ["/SILENCIEUX", "/VERIFIER"])
    s.expect("the program's exit code", "11", seen["exited"])
