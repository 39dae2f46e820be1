"""The first base refuses the built-in administrator: the login dialog."""

from harness.scenario import CRITICAL, INFORMATION, scenario

from .common import APP, LOGIN_CANCELLED, PACKAGE, login, open_base, summary

CONNECT = 'client %d: Connect(user="%s", password=%s, third="") -> %s'


@scenario("first base refused 0x80040006: login dialog, wrong password, again, success")
def login_after_refusal(s):
    s.install(APP, PACKAGE)
    s.standin.user("SUPPORT", "s3cret")
    s.base("BASE1", r"D:\BASES\BASE1", refuse=[(0x80040006, ["ADM"])])
    s.base("BASE2", r"D:\BASES\BASE2")
    # A slow first answer, to look at the main window after the dialog and
    # before the summary box disables it, however loaded the machine.
    s.standin.fault("QUI", base="BASE1", delay=4000, times=1)
    s.base_list("BASE1\r\nBASE2\r\n")
    s.login_name("opérateur")
    s.start()
    s.login_dialog(prefill="opérateur", user="SUPPORT", password="faux", close="Enter",
                   shot="login-dialog")
    s.login_dialog(prefill="SUPPORT", password="s3cret", tabs=True, close="Alt+O")
    s.main_enabled(True, "after the login dialog (for the rest of the run)")
    s.message_box(summary([("BASE1", True), ("BASE2", True)]), INFORMATION)
    s.ends()
    s.check_package(r"D:\BASES\BASE1")
    s.check_package(r"D:\BASES\BASE2")
    s.check_version(b"\r\n")
    s.check_journal([CONNECT % (1, "ADM", '""', "0"), open_base(1, "BASE1", "0x80040006"),
                     CONNECT % (2, "SUPPORT", '"***"', "0x80040201"),
                     open_base(2, "BASE1", "0x80040019"),
                     CONNECT % (3, "SUPPORT", '"***"', "0"), open_base(3, "BASE1"),
                     CONNECT % (4, "SUPPORT", '"***"', "0"), open_base(4, "BASE2"),
                     CONNECT % (5, "SUPPORT", '"***"', "0")],
                    calls=["Connect", "OpenDatabase"])
    # The log tells the dialog and the user, and (checked just below with
    # every other file) neither password typed.
    s.check_log(["Open BASE1 as ADM: 0x80040006...", "Login dialog shown",
                 "Login dialog confirmed, user SUPPORT", "Open BASE1 as SUPPORT: 0x80040019...",
                 "Login dialog shown", "Login dialog confirmed, user SUPPORT",
                 "Open BASE1 as SUPPORT: 0x00000000"])
    s.check_secret_kept("s3cret")
    s.check_secret_kept("faux")


@scenario("first base refused 0x80040019: title-bar close retries, Escape ends (ExitLoginCancelled)")
def login_cancelled(s):
    s.install(APP, PACKAGE)
    s.base("BASE1", r"D:\BASES\BASE1", refuse=[(0x80040019, ["ADM"])])
    s.base_list("BASE1\r\n")
    # 22 characters: the whole name, not 20 blanks.
    s.login_name("administrateur-systeme")
    s.start()
    # Neither handler: the same name and the empty password are tried again.
    s.login_dialog(prefill="administrateur-systeme", user="autre", close="Close")
    s.login_dialog(prefill="administrateur-systeme", user="autre", password="x", close="Escape")
    s.message_box(LOGIN_CANCELLED, CRITICAL)
    s.ends()
    s.check_package(r"D:\BASES\BASE1", expected={})
    s.check_version(None)
    s.check_journal(login(1) + [open_base(1, "BASE1", "0x80040019")] +
                    ['client 2: Create() -> 0',
                     CONNECT % (2, "administrateur-systeme", '""', "0x80040201"),
                     open_base(2, "BASE1", "0x80040019"), "client 2: Disconnect() -> 0"])
