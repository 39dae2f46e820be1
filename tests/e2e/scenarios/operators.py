"""What operators meet on a real server: a base whose package cannot be
placed, a second run, the main window closed mid-run, a pasted path, an
xcopy.exe beside the program, base lists saved as UTF-8 or UTF-16."""

import shutil

from harness.scenario import CRITICAL, INFORMATION, scenario

from .common import (APP, PACKAGE, check, lancemajcd, login, open_base, prompt, qui,
                     run_one_base, summary, upgrade)

ALREADY_RUNNING = "Une mise à niveau est déjà en cours sur ce serveur."
EMPTY_QUI = 'base %s: Execute(command=["P", "QUI"], argument="") -> 0 answer=[]'
# 250 characters: the base's INSTALLMAJ folder alone passes MAX_PATH.
LONG = "D:\\" + "L" * 100 + "\\" + "M" * 100 + "\\" + "N" * 45


def not_placed_then_upgraded(entry, directory):
    """The journal of `entry`, opened and asked, then left without an upgrade;
    then BASE2 upgraded."""
    return (login(1) + [open_base(1, entry), qui(entry, directory), "client 1: Disconnect() -> 0"] +
            login(2) + upgrade(2, "BASE2", r"D:\BASES\BASE2") + ["client 3: Disconnect() -> 0"])


@scenario("a base directory of 250 characters: nothing copied, not upgraded, the run goes on")
def base_directory_of_250_characters(s):
    assert len(LONG) == 250
    s.install(APP, PACKAGE)
    s.base("BASELONG", LONG, installmaj=False)
    s.base("BASE2", r"D:\BASES\BASE2")
    s.base_list("BASELONG\r\nBASE2\r\n")
    s.start()
    # Wine's own xcopy asked "file or directory?" here and the run waited for ever.
    s.message_box(summary([("BASELONG", False), ("BASE2", True)]), CRITICAL)
    s.ends()
    s.expect("the long base's INSTALLMAJ folder", None, s.world.files_in(LONG + "\\INSTALLMAJ"))
    s.check_package(r"D:\BASES\BASE2")
    s.check_version(b"\r\n")
    s.check_journal(not_placed_then_upgraded("BASELONG", LONG))


# 237 characters: "\\INSTALLMAJ\\X.DAT" makes a copy of 254, the longest xcopy copies
# (from 255 on it fails with "Insufficient memory").
LIMIT = "D:\\" + "L" * 100 + "\\" + "M" * 100 + "\\" + "N" * 32


@scenario("a base directory of 237 characters: its copy names 254, the longest xcopy copies")
def base_directory_at_the_limit(s):
    assert len(LIMIT) == 237 and len(LIMIT + "\\INSTALLMAJ\\X.DAT") == 254
    run_one_base(s, "BASELIMITE", LIMIT, installmaj=False)


@scenario("a copy name of 255 characters: nothing copied, not upgraded, the run goes on")
def copy_name_of_255_characters(s):
    over = LIMIT + "O"
    s.install(APP, PACKAGE)
    s.base("BASELONG", over, installmaj=False)
    s.base("BASE2", r"D:\BASES\BASE2")
    s.base_list("BASELONG\r\nBASE2\r\n")
    s.start()
    s.message_box(summary([("BASELONG", False), ("BASE2", True)]), CRITICAL)
    s.ends()
    s.expect("the long base's INSTALLMAJ folder", None, s.world.files_in(over + "\\INSTALLMAJ"))
    s.check_package(r"D:\BASES\BASE2")
    s.check_journal(not_placed_then_upgraded("BASELONG", over))


@scenario("a directory ending with a backslash, copy name of 254: the doubled one counts once")
def trailing_backslash_at_the_limit(s):
    run_one_base(s, "BASELIMITE", LIMIT + "\\", installmaj=False)


@scenario("a plain file named INSTALLMAJ in a base: left untouched, nothing copied, not upgraded")
def installmaj_is_a_file(s):
    s.install(APP, PACKAGE)
    s.base("BASE1", r"D:\BASES\BASE1", installmaj=False)
    s.world.write(r"D:\BASES\BASE1\INSTALLMAJ", b"fichier de la base\r\n")
    s.base("BASE2", r"D:\BASES\BASE2")
    s.base_list("BASE1\r\nBASE2\r\n")
    s.start()
    s.message_box(summary([("BASE1", False), ("BASE2", True)]), CRITICAL)
    s.ends()
    s.check_file(r"D:\BASES\BASE1\INSTALLMAJ", b"fichier de la base\r\n")
    s.check_package(r"D:\BASES\BASE2")
    s.check_journal(not_placed_then_upgraded("BASE1", r"D:\BASES\BASE1"))


def asked_for_a_directory(directory):
    """BASEX, whose directory the server cannot tell, listed alone: the journal
    of its run once the operator typed `directory`."""
    return (login(1) + [open_base(1, "BASEX"), EMPTY_QUI % "BASEX", EMPTY_QUI % "BASEX",
                        lancemajcd("BASEX", APP, directory)] + check("BASEX", APP, directory) +
            ["client 1: Disconnect() -> 0"] + login(2) + ["client 2: Disconnect() -> 0"])


def one_base_asked_for(s):
    s.install(APP, PACKAGE)
    s.base("BASEX", r"D:\BASES\BASEX")
    s.standin.fault("QUI", base="BASEX", answer="empty", times=2)
    s.base_list("BASEX\r\n")


@scenario("a second run started while the first waits: one box, nothing touched, the first goes on")
def second_run_refused(s):
    one_base_asked_for(s)
    s.start()
    s.input_box(prompt("BASEX"), answer=r"d:\bases\basex",
                while_shown=lambda w: s.second_run(ALREADY_RUNNING, code=6))
    s.message_box(summary([("BASEX", True)]), INFORMATION)
    s.ends()
    s.check_package(r"D:\BASES\BASEX")
    s.check_version(b"\r\n")
    # One client only: the second run called nothing.
    s.check_journal(asked_for_a_directory(r"D:\BASES\BASEX"))


@scenario("a refused second start left open holds nothing: once the run ends, a third start runs")
def refused_start_left_open(s):
    s.install(APP, PACKAGE)
    s.base("BASEX", r"D:\BASES\BASEX")
    s.base_list("BASEX\r\n")
    s.start()
    refused = []
    s.message_box(summary([("BASEX", True)]), INFORMATION,
                  while_shown=lambda w: refused.append(s.second_run(ALREADY_RUNNING,
                                                                    leave_open=True)))
    s.ends()
    # The refused start's box is still on the screen, as an operator left it.
    s.launch(APP + "\\MiseANiveau.exe")
    s.message_box(summary([("BASEX", True)]), INFORMATION)
    s.ends()
    s.close_second_run(refused[0])
    s.check_package(r"D:\BASES\BASEX")
    s.check_journal((login(1) + upgrade(1, "BASEX", r"D:\BASES\BASEX") +
                     ["client 2: Disconnect() -> 0"]) * 2)


@scenario("the main window asked to close mid-run (title bar, Alt+F4, WM_CLOSE): it stays")
def close_refused_during_run(s):
    s.install(APP, PACKAGE)
    s.standin.user("SUPPORT", "s3cret")
    # After the login dialog the main window is enabled for the rest of the run;
    # a slow upgrade keeps the run going while the operator tries to close it.
    s.base("BASEX", r"D:\BASES\BASEX", refuse=[(0x80040006, ["ADM"])])
    s.standin.fault("LANCEMAJCD", base="BASEX", delay=2500)
    s.base_list("BASEX\r\n")
    s.start()
    s.login_dialog(prefill="operateur", user="SUPPORT", password="s3cret")
    s.close_requests("after the login dialog")
    # The run has handled every request by the time it shows the summary.
    s.message_box(summary([("BASEX", True)]), INFORMATION,
                  while_shown=lambda w: s.close_requests("at the summary"))
    s.ends()
    s.check_package(r"D:\BASES\BASEX")
    s.check_version(b"\r\n")


@scenario('a typed path between double quotes, as "Copy as path" gives it')
def quoted_typed_path(s):
    one_base_asked_for(s)
    s.world.mkdir(r"D:\BASES CLIENTS\SAISIE")
    s.start()
    s.input_box(prompt("BASEX"), answer='"d:\\bases clients\\saisie"')
    s.message_box(summary([("BASEX", True)]), INFORMATION)
    s.ends()
    s.check_package(r"D:\BASES CLIENTS\SAISIE")
    s.check_journal(asked_for_a_directory(r"D:\BASES CLIENTS\SAISIE"))


@scenario("an xcopy.exe beside the program is not the one that copies")
def xcopy_beside_the_program(s):
    # Any program will do: this one refuses the copy's arguments and copies nothing.
    run_one_base(s, before_start=lambda s: shutil.copy2(s.suite.operator_exe,
                                                        s.world.host(APP + "\\xcopy.exe")))


@scenario("a base list saved as UTF-8 with its byte-order mark")
def base_list_marked_as_utf8(s):
    s.install(APP, PACKAGE)
    s.base("CRÉTEIL", r"D:\BASES\CRETEIL")
    s.base_list("\ufeffCRÉTEIL\r\n".encode("utf-8"))
    s.start()
    s.message_box(summary([("CRÉTEIL", True)]), INFORMATION)
    s.ends()
    s.check_package(r"D:\BASES\CRETEIL")


@scenario("a package file named outside the ANSI code page is copied by its real name")
def package_file_outside_the_ansi_code_page(s):
    # Command lines go to the system in UTF-16: no "?" in place of a letter.
    run_one_base(s, package={"ΩMÉGA-Ж.DAT": "paquet\r\n", "X.DAT": "données\r\n"})


@scenario("a base list saved as UTF-8 without a byte-order mark (Notepad's default)")
def base_list_utf8_without_mark(s):
    s.install(APP, PACKAGE)
    s.base("BASE1", r"D:\BASES\BASE1")
    s.base("ÉTÉ", r"D:\BASES\ETE")
    s.base_list("BASE1\r\nÉTÉ\r\n".encode("utf-8"))
    s.start()
    s.message_box(summary([("BASE1", True), ("ÉTÉ", True)]), INFORMATION)
    s.ends()
    s.check_package(r"D:\BASES\ETE")


@scenario("a base list saved as UTF-16 (PowerShell's >)")
def base_list_utf16(s):
    s.install(APP, PACKAGE)
    s.base("BASE1", r"D:\BASES\BASE1")
    s.base("ÉTÉ", r"D:\BASES\ETE")
    s.base_list(b"\xff\xfe" + "BASE1\r\nÉTÉ\r\n".encode("utf-16-le"))
    s.start()
    s.message_box(summary([("BASE1", True), ("ÉTÉ", True)]), INFORMATION)
    s.ends()
    s.check_package(r"D:\BASES\BASE1")
    s.check_package(r"D:\BASES\ETE")
