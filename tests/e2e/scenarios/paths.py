"""The base's directory: the server's answer, or the operator's; and the
second base refused (ExitOpenRefused)."""

from harness.scenario import CRITICAL, INFORMATION, scenario

from .common import (APP, NO_DIRECTORY, PACKAGE, check, open_refused, lancemajcd, login, open_base, prompt,
                     qui, summary, upgrade)

EMPTY_QUI = 'base %s: Execute(command=["P", "QUI"], argument="") -> 0 answer=[]'


@scenario('"QUI" empty twice: a typed lower-case path, upper-cased and used')
def qui_empty_twice(s):
    s.install(APP, PACKAGE)
    s.base("BASEX", r"D:\BASES\BASEX")
    s.standin.fault("QUI", base="BASEX", answer="empty", times=2)
    # A slow upgrade, to look at the main window after the input box.
    s.standin.fault("LANCEMAJCD", base="BASEX", delay=1500)
    s.base_list("BASEX\r\n")
    # The operator types the base's real directory, in lower case.
    s.world.mkdir(r"D:\BASES CLIENTS\SAISIE")
    s.start()
    s.input_box(prompt("BASEX"), answer="d:\\bases clients\\saisie", shot="input-box")
    s.main_enabled(False, "after the input box, while the run goes on")
    s.message_box(summary([("BASEX", True)]), INFORMATION)
    s.ends()
    typed = r"D:\BASES CLIENTS\SAISIE"
    s.check_package(typed)
    s.check_package(r"D:\BASES\BASEX", expected={})
    s.check_journal([EMPTY_QUI % "BASEX", EMPTY_QUI % "BASEX", lancemajcd("BASEX", APP, typed)] +
                    check("BASEX", APP, typed)[1:], calls=["Execute", "Read"])


@scenario("the input box cancelled: ExitNoDirectory, nothing copied, no summary")
def input_box_cancelled(s):
    s.install(APP, PACKAGE)
    s.base("BASEX", r"D:\BASES\BASEX")
    s.standin.fault("QUI", base="BASEX", answer="empty", times=2)
    s.base_list("BASEX\r\n")
    s.start()
    s.input_box(prompt("BASEX"), answer=None)
    s.message_box(NO_DIRECTORY, CRITICAL)
    s.ends()
    s.check_package(r"D:\BASES\BASEX", expected={})
    s.check_version(None)
    s.check_journal(login(1) + [open_base(1, "BASEX"), EMPTY_QUI % "BASEX", EMPTY_QUI % "BASEX",
                                "client 1: Disconnect() -> 0"])


@scenario("a base that fails to open is asked for, not given the last answer")
def stale_directory_not_reused(s):
    s.install(APP, PACKAGE)
    s.base("BASE1", r"D:\BASES\BASE1")
    s.base("BASE2", r"D:\BASES\BASE2", refuse=[(0x80040019, [])])
    s.base_list("BASE1\r\nBASE2\r\n")
    s.world.mkdir(r"D:\SAISIE\BASE2")
    s.start()
    s.input_box(prompt("BASE2"), answer="d:\\saisie\\base2")
    s.message_box(summary([("BASE1", True), ("BASE2", False)]), CRITICAL)
    s.ends()
    s.check_package(r"D:\BASES\BASE1")
    s.check_package(r"D:\SAISIE\BASE2")
    s.check_version(b"\r\n")
    s.check_journal(login(1) + upgrade(1, "BASE1", r"D:\BASES\BASE1") +
                    [open_base(2, "BASE2", "0x80040019"), "client 2: Disconnect() -> 0"] +
                    login(3) + ["client 3: Disconnect() -> 0"])


@scenario("second base refused 0x80040006: ExitOpenRefused, its exact two lines")
def second_base_refused(s):
    s.install(APP, PACKAGE)
    s.base("BASE1", r"D:\BASES\BASE1")
    s.base("BASE DEUX", r"D:\BASES\BASE2", refuse=[(0x80040006, [])])
    s.base_list("BASE1\r\nBASE DEUX\r\n")
    s.start()
    s.message_box(open_refused("BASE DEUX"), CRITICAL)
    s.ends()
    s.check_package(r"D:\BASES\BASE1")
    s.check_package(r"D:\BASES\BASE2", expected={})
    s.check_version(None)
    s.check_journal(login(1) + upgrade(1, "BASE1", r"D:\BASES\BASE1") +
                    [open_base(2, "BASE DEUX", "0x80040006"), "client 2: Disconnect() -> 0"])


@scenario("stray quotes in typed paths: dropped at the ends; a quote inside skips that base alone")
def stray_quote_in_typed_path(s):
    s.install(APP, PACKAGE)
    for n in (1, 2, 3):
        s.base("BASE%d" % n, r"D:\BASES\BASE%d" % n)
    for n in (2, 3):
        s.standin.fault("QUI", base="BASE%d" % n, answer="empty", times=2)
    s.base_list("BASE1\r\nBASE2\r\nBASE3\r\n")
    s.start()
    # The opening quote alone, pasted; then a quote in the middle.
    s.input_box(prompt("BASE2"), answer='"d:\\bases\\base2')
    s.input_box(prompt("BASE3"), answer='d:\\bases\\ba"se3"')
    s.message_box(summary([("BASE1", True), ("BASE2", True), ("BASE3", False)]), CRITICAL)
    s.ends()
    s.check_package(r"D:\BASES\BASE1")
    s.check_package(r"D:\BASES\BASE2")
    s.check_package(r"D:\BASES\BASE3", expected={})
    s.check_version(b"\r\n")
    # BASE3: nothing copied, the server not asked to upgrade it.
    base1, base2 = r"D:\BASES\BASE1", r"D:\BASES\BASE2"
    s.check_journal([qui("BASE1", base1), lancemajcd("BASE1", APP, base1)] +
                    check("BASE1", APP, base1)[1:] +
                    [EMPTY_QUI % "BASE2", EMPTY_QUI % "BASE2", lancemajcd("BASE2", APP, base2)] +
                    check("BASE2", APP, base2)[1:] +
                    [EMPTY_QUI % "BASE3", EMPTY_QUI % "BASE3"], calls=["Execute", "Read"])
    s.check_log(['Directory: unusable, typed D:\\BASES\\BA"SE3; the base is skipped',
                 "Outcome: not upgraded"])
