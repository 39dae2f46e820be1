"""The marker file \\\\127.0.0.1\\UNIDATA\\MERIDOXAN\\VERSION.txt at the end of a run."""

from harness.scenario import VERSION_FILE, scenario

from .common import run_one_base

VERSION_FOLDER = VERSION_FILE.rsplit("\\", 1)[0]


@scenario("VERSION.txt absent from its folder: created, one empty line")
def version_file_absent(s):
    run_one_base(s, before_start=lambda s: s.world.mkdir(VERSION_FOLDER))
    s.check_version(b"\r\n")


@scenario("VERSION.txt holding two lines: an empty line added on top")
def version_file_two_lines(s):
    run_one_base(s, before_start=lambda s: s.version_file(b"712\r\nOK\r\n"))
    s.check_version(b"\r\n712\r\nOK\r\n")


@scenario("VERSION.txt read-only: left as it is, the run ends normally")
def version_file_read_only(s):
    run_one_base(s, before_start=lambda s: s.version_file(b"712\r\n", read_only=True))
    s.check_version(b"712\r\n")


@scenario("MERIDOXAN lets VERSION.txt be changed but no file be created: rewritten in place")
def version_file_in_a_folder_closed_to_new_files(s):
    def closed(s):
        s.version_file(b"712\r\n")
        s.world.close_to_new_files(VERSION_FOLDER)

    run_one_base(s, before_start=closed)
    s.check_version(b"\r\n712\r\n")
    s.check_log(["Marker file: 0x00000000"])
    # No temporary beside it, nor anything else.
    s.expect("the marker folder", {"VERSION.txt": b"\r\n712\r\n"}, s.world.files_in(VERSION_FOLDER))
