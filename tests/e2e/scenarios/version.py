"""The marker file \\\\127.0.0.1\\UNIDATA\\MERIDOXAN\\VERSION.txt at the end of a run."""

from harness.scenario import INFORMATION, scenario

from .common import APP, PACKAGE, summary


def one_base_run(s, version, read_only=False):
    s.install(APP, PACKAGE)
    s.base("BASE1", r"D:\BASES\BASE1")
    s.base_list("BASE1\r\n")
    if version is not None:
        s.version_file(version, read_only=read_only)
    else:
        s.world.mkdir(r"\\127.0.0.1\UNIDATA\MERIDOXAN")
    s.start()
    s.message_box(summary([("BASE1", True)]), INFORMATION)
    s.ends()


@scenario("VERSION.txt absent from its folder: created, one empty line")
def version_file_absent(s):
    one_base_run(s, None)
    s.check_version(b"\r\n")


@scenario("VERSION.txt holding two lines: an empty line added on top")
def version_file_two_lines(s):
    one_base_run(s, b"712\r\nOK\r\n")
    s.check_version(b"\r\n712\r\nOK\r\n")


@scenario("VERSION.txt read-only: left as it is, the run ends normally")
def version_file_read_only(s):
    one_base_run(s, b"712\r\n", read_only=True)
    s.check_version(b"712\r\n")
