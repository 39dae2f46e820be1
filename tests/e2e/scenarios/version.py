"""The marker file \\\\127.0.0.1\\UNIDATA\\MERIDOXAN\\VERSION.txt at the end of a run."""

from harness.scenario import VERSION_FILE, scenario

from .common import run_one_base


@scenario("VERSION.txt absent from its folder: created, one empty line")
def version_file_absent(s):
    run_one_base(s, before_start=lambda s: s.world.mkdir(VERSION_FILE.rsplit("\\", 1)[0]))
    s.check_version(b"\r\n")


@scenario("VERSION.txt holding two lines: an empty line added on top")
def version_file_two_lines(s):
    run_one_base(s, before_start=lambda s: s.version_file(b"712\r\nOK\r\n"))
    s.check_version(b"\r\n712\r\nOK\r\n")


@scenario("VERSION.txt read-only: left as it is, the run ends normally")
def version_file_read_only(s):
    run_one_base(s, before_start=lambda s: s.version_file(b"712\r\n", read_only=True))
    s.check_version(b"712\r\n")
