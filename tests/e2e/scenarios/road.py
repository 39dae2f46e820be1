"""Runs without operator input: one base, several, 30, and what the base list
file decides."""

from harness.scenario import BOX_TITLE, CRITICAL, INFORMATION, scenario
from harness.texts import CRLF, lines

from .common import (APP, ERROR_HEAD, ERROR_TAIL, NO_DIRECTORY, PACKAGE, VERSION, check, lancemajcd,
                     login, numbered_bases, open_base, prompt, qui, summary, upgrade)


@scenario("one base from start to end, the normal road")
def road_of_one_base(s):
    s.install(APP, PACKAGE)
    s.base("BASEAFA", r"D:\BASESCLIENTS\BASEAFA")
    s.base_list("BASEAFA\r\n")
    s.start()
    s.message_box(summary([("BASEAFA", True)]), INFORMATION, shot="summary")
    s.ends()
    s.check_package(r"D:\BASESCLIENTS\BASEAFA")
    s.check_version(b"\r\n")
    s.check_journal(login(1) + upgrade(1, "BASEAFA", r"D:\BASESCLIENTS\BASEAFA") +
                    ["client 2: Disconnect() -> 0"])
    s.check_log([r"Start: C:\APP\MiseANiveau.exe version " + VERSION + ", computer ...",
                 "Base list: 1 entries read",
                 "Base 1: BASEAFA",
                 "Open BASEAFA as ADM: 0x00000000",
                 r"Directory D:\BASESCLIENTS\BASEAFA (server answer)",
                 r'Copy xcopy "C:\APP\INSTALLMAJ\X.DAT" "D:\BASESCLIENTS\BASEAFA\INSTALLMAJ" /C /Y: '
                 "exit code 0x00000000, N ms",
                 "Copy step: 0x00000000",
                 "Upgrade command: 0x00000000, N ms",
                 "Check of version 712: 0x00000000",
                 "Outcome: upgraded",
                 "Box: Mise à jour du serveur terminée avec succès. |  | Base BASEAFA : mise à jour. | ",
                 "Marker file: 0x00000000",
                 "End: N ms"])


@scenario("three bases, the middle one not upgraded: the error form")
def three_bases_middle_fails(s):
    s.install(APP, PACKAGE)
    for entry in ("BASE A", "BASE B", "BASE C"):
        s.base(entry, "D:\\BASES\\" + entry)
    s.standin.fault("LANCEMAJCD", base="BASE B", error=0x80004005)
    s.base_list("BASE A\r\nBASE B\r\nBASE C\r\n")
    s.start(exit_code=True)
    s.message_box(lines("La mise à jour du serveur contient des erreurs.", "",
                        "Base BASE A : mise à jour.", "", "Base BASE C : mise à jour.", "",
                        "Base BASE B : non mise à jour.", "", "Veuillez contacter MERIDOXAN."),
                  CRITICAL, shot="error-summary")
    s.ends(code=1)
    for entry in ("BASE A", "BASE B", "BASE C"):
        s.check_package("D:\\BASES\\" + entry)
    s.check_version(b"\r\n")
    journal = []
    for entry in ("BASE A", "BASE B", "BASE C"):
        directory = "D:\\BASES\\" + entry
        journal.append(qui(entry, directory))
        if entry == "BASE B":
            journal += [lancemajcd(entry, APP, directory, answer="", result="0x80004005"),
                        'base BASE B: Read(file="INSTALLMAJ", key="712") -> 0x8004000B']
        else:
            journal += [lancemajcd(entry, APP, directory), check(entry, APP, directory)[1]]
    s.check_journal(journal, calls=["Execute", "Read"])
    # The failing base's lines name the failing step and its number.
    s.check_log(["Base 1: BASE A", "Outcome: upgraded",
                 "Base 2: BASE B", "Open BASE B as ADM: 0x00000000",
                 "Upgrade command: 0x80004005...", "Check of version 712: 0x8004000B...",
                 "Outcome: not upgraded",
                 "Base 3: BASE C", "Outcome: upgraded",
                 "Box: La mise à jour du serveur contient des erreurs...."])


@scenario("30 bases and a 31st line: 30 processed, the 31st named, code 1; the window answers throughout")
def thirty_bases(s):
    entries = numbered_bases(s, 31)
    s.base_list("".join(e + "\r\n" for e in entries))
    s.start(exit_code=True)
    s.shoot_main("main-window")
    # The copies take most of the run: the window must stay responsive throughout.
    s.check_responsive_until(BOX_TITLE, 240)
    # The 31st is named, and the run counts as one that left a base out.
    left_out = "Bases au-delà de la trentième non traitées : BASE31."
    upgraded = "".join("Base %s : mise à jour.\r\n" % e for e in entries[:30])
    s.message_box(ERROR_HEAD + CRLF + CRLF + upgraded + CRLF + left_out + CRLF + CRLF + ERROR_TAIL,
                  CRITICAL, timeout=240)
    s.ends(code=1)
    for entry in entries[:30]:
        s.check_package("D:\\BASES\\" + entry)
    s.check_package("D:\\BASES\\BASE31", expected={})
    s.check_journal([open_base(n + 1, e) for n, e in enumerate(entries[:30])],
                    calls=["OpenDatabase"])


@scenario("an empty entry in the middle of the list ends the run there")
def empty_entry_in_the_middle(s):
    s.install(APP, PACKAGE)
    for entry in ("BASE1", "BASE3"):
        s.base(entry, "D:\\BASES\\" + entry)
    s.base_list("BASE1\r\n\r\nBASE3\r\n")
    s.start()
    s.message_box(summary([("BASE1", True)]), INFORMATION)
    s.ends()
    s.check_package(r"D:\BASES\BASE1")
    s.check_package(r"D:\BASES\BASE3", expected={})
    s.check_journal([open_base(1, "BASE1")], calls=["OpenDatabase"])


@scenario("no base list: entry 1, empty, still processed; input box confirmed empty")
def missing_base_list(s):
    s.install(APP, PACKAGE)
    s.base("BASEAFA", r"D:\BASESCLIENTS\BASEAFA")
    s.base_list(None)
    s.start()
    s.input_box(prompt(""), answer="")
    s.message_box(NO_DIRECTORY, CRITICAL)
    s.ends()
    s.check_version(None)
    s.check_journal(login(1) + [open_base(1, "", "0x80040202"), "client 1: Disconnect() -> 0"])


@scenario("a zero-length base list: entry 1 empty, a typed directory, not upgraded")
def zero_length_base_list(s):
    s.install(APP, PACKAGE)
    s.base("BASEAFA", r"D:\BASESCLIENTS\BASEAFA")
    s.base_list(b"")
    s.world.mkdir(r"C:\VIDE")
    s.start()
    s.input_box(prompt(""), answer="c:\\vide")
    s.message_box(summary([("", False)]), CRITICAL)
    s.ends()
    s.check_package(r"C:\VIDE")
    s.check_version(b"\r\n")
    s.check_journal(login(1) + [open_base(1, "", "0x80040202"), "client 1: Disconnect() -> 0"] +
                    login(2) + ["client 2: Disconnect() -> 0"])


@scenario("an accented entry (ANSI list file), a directory ending with a backslash")
def accented_entry(s):
    s.install(APP, PACKAGE)
    s.base("BASE ÉTÉ", r"D:\BASES\ETE")
    s.base("BASE1", "D:\\BASES\\B1\\")
    s.base_list("BASE ÉTÉ\r\nBASE1")  # the last line without its line end
    s.start()
    s.message_box(summary([("BASE ÉTÉ", True), ("BASE1", True)]), INFORMATION)
    s.ends()
    s.check_package(r"D:\BASES\ETE")
    s.check_package(r"D:\BASES\B1")
    s.check_journal([open_base(1, "BASE ÉTÉ"), qui("BASE ÉTÉ", r"D:\BASES\ETE"),
                     lancemajcd("BASE ÉTÉ", APP, r"D:\BASES\ETE"),
                     open_base(2, "BASE1"), qui("BASE1", "D:\\BASES\\B1\\"),
                     lancemajcd("BASE1", APP, "D:\\BASES\\B1\\")],
                    calls=["OpenDatabase", "Execute"])
