"""The pre-check, MiseANiveau.exe /VERIFIER: what it tells of each base, that
it leaves every file as it was, and the program's exit codes it ends with."""

from harness.demo import BASES as DEMO_BASES
from harness.demo import set_up as demo_set_up
from harness.scenario import CRITICAL, INFORMATION, scenario
from harness.texts import CRLF

from .common import APP, PACKAGE, summary

READY_HEAD = "Vérification terminée : la mise à jour peut être lancée."
FAILING_HEAD = "Vérification terminée : des bases ne seraient pas mises à jour."
PRE_CHECK = ["/VERIFIER"]


def pre_check_box(outcomes):
    """The pre-check's box for [(entry, what was found), ...]."""
    ready = all(found in ("prête", "déjà à jour") for _, found in outcomes)
    return (READY_HEAD if ready else FAILING_HEAD) + CRLF + CRLF + \
        "".join("Base %s : %s.%s" % (entry, found, CRLF) for entry, found in outcomes)


def nothing_written(s, directories):
    """No package file in any base, no marker file, no upgrade command sent."""
    for directory in directories:
        s.check_package(directory, expected={})
    s.check_version(None)
    sent = [line for line in s.standin.journal(s.world) if "LANCEMAJCD" in line]
    s.expect("the upgrade commands sent", [], sent)


@scenario("the pre-check on three bases: one ready, one at the version, one of unknown directory")
def precheck_three_bases(s):
    s.install(APP, PACKAGE)
    s.base("BASE A", r"D:\BASES\BASE A")
    s.base("BASE B", r"D:\BASES\BASE B", upgraded=True)
    s.base("BASE C", r"D:\BASES\BASE C")
    s.standin.fault("QUI", base="BASE C", answer="empty")
    s.base_list("BASE A\r\nBASE B\r\nBASE C\r\n")
    s.start(args=PRE_CHECK, exit_code=True)
    s.message_box(pre_check_box([("BASE A", "prête"), ("BASE B", "déjà à jour"),
                                 ("BASE C", "répertoire inconnu")]), CRITICAL)
    s.ends(code=7)
    nothing_written(s, [r"D:\BASES\BASE A", r"D:\BASES\BASE B", r"D:\BASES\BASE C"])
    s.check_log(["Start: ...",
                 "Pre-check: nothing is copied, sent to the server or written",
                 "Base list: 3 entries read",
                 "Base 1: BASE A",
                 r"Directory D:\BASES\BASE A (server answer)",
                 "Check of version 712: 0x8004000B Record not found.",
                 "Pre-check outcome: prête",
                 "Base 2: BASE B",
                 "Pre-check outcome: déjà à jour",
                 "Base 3: BASE C",
                 "Directory: the server gave none",
                 "Pre-check outcome: répertoire inconnu",
                 "Box: ...",
                 "End: N ms"])


@scenario("the pre-check finds a base folder it may not write into, and writes nothing")
def precheck_folder_not_writable(s):
    s.install(APP, PACKAGE)
    s.base("BASE A", r"D:\BASES\BASE A")
    s.base_list("BASE A\r\n")
    folder = s.world.host(r"D:\BASES\BASE A\INSTALLMAJ")
    folder.chmod(0o555)
    try:
        s.start(args=["/verifier"], exit_code=True)
        s.message_box(pre_check_box([("BASE A", r"écriture refusée dans D:\BASES\BASE A\INSTALLMAJ")]),
                      CRITICAL)
        s.ends(code=7)
    finally:
        folder.chmod(0o755)
    nothing_written(s, [r"D:\BASES\BASE A"])


@scenario("the demo's share: every base ready, then up to date once a run upgraded them")
def precheck_on_the_demo_share(s):
    demo_set_up(s)
    entries = [entry for entry, _ in DEMO_BASES]
    s.start(args=PRE_CHECK, exit_code=True)
    s.message_box(pre_check_box([(e, "prête") for e in entries]), INFORMATION)
    s.ends(code=0)
    nothing_written(s, [directory for _, directory in DEMO_BASES])

    s.start(again=True, exit_code=True)
    s.message_box(summary([(e, True) for e in entries]), INFORMATION)
    s.ends(code=0)

    s.start(args=PRE_CHECK, again=True, exit_code=True)
    s.message_box(pre_check_box([(e, "déjà à jour") for e in entries]), INFORMATION)
    s.ends(code=0)
