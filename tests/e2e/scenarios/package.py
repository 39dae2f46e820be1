"""The install package: what is copied, in which order, to where, how the
copies show; and the verdict on a base."""

from harness.operator import fields
from harness.scenario import BOX_TITLE, CRITICAL, INFORMATION, scenario

from .common import APP, lancemajcd, qui, run_one_base, summary


@scenario("a package of three files copied in enumeration order, a sub-folder not")
def package_of_three_files(s):
    # Made in this order; the file-system object lists them by name without
    # regard to case, "_" after the letters: AZ, a_2, B.
    run_one_base(s, package={"B.DAT": "bé\r\n", "a_2.dat": "deux\r\n", "AZ.DAT": "a-z\r\n",
                             "SOUS\\Y.DAT": "pas copié\r\n"})
    s.expect("the order the files were copied in", ["AZ.DAT", "a_2.dat", "B.DAT"],
             s.copy_order(r"D:\BASES\BASE1"))


@scenario("a base whose INSTALLMAJ folder does not exist yet, with blanks in its path")
def installmaj_folder_missing(s):
    run_one_base(s, "BASE ESPACE", r"D:\BASES CLIENTS\BASE 2", installmaj=False)


@scenario("the program installed in a folder with a blank")
def app_folder_with_space(s):
    app = r"C:\Program Files\Meridoxan MAJ"
    run_one_base(s, app=app)
    s.check_journal([qui("BASE1", r"D:\BASES\BASE1"), lancemajcd("BASE1", app, r"D:\BASES\BASE1")],
                    calls=["Execute"])


@scenario('"Read" failing with another number: not upgraded')
def read_fails_other_number(s):
    run_one_base(s, upgraded=False,
                 before_start=lambda s: s.standin.fault("Read", base="BASE1", error=0x80004005))
    s.check_version(b"\r\n")
    s.check_journal(['base BASE1: Read(file="INSTALLMAJ", key="712") -> 0x80004005'],
                    calls=["Read"])


@scenario("no package folder beside the program: nothing copied, not upgraded, the run goes on")
def package_folder_missing(s):
    s.install(APP, {})
    s.world.host(APP + r"\INSTALLMAJ").rmdir()
    for n in (1, 2):
        s.base("BASE%d" % n, r"D:\BASES\BASE%d" % n)
    s.base_list("BASE1\r\nBASE2\r\n")
    s.start()
    s.message_box(summary([("BASE1", False), ("BASE2", False)]), CRITICAL)
    s.ends()
    for n in (1, 2):
        s.check_package(r"D:\BASES\BASE%d" % n, expected={})


WATCHED = r"C:\WATCH"


def shown_windows(answer):
    """The "window" lines of a watch: every window another process showed."""
    return [line.split("\t", 1)[1] for line in answer.raw.replace("\r", "").split("\n")
            if line.startswith("window\t")]


@scenario("each copy runs without a window: none shows, the focus stays with the program")
def copies_open_no_window(s):
    # The watch sees a copy's console window when there is one: an xcopy
    # started minimised, as each copy used to be, shows one.
    s.world.write(WATCHED + r"\A.DAT", "a\r\n")
    s.world.mkdir(WATCHED + r"\INSTALLMAJ")
    # Three of them, so that a watch that misses one short window still sees one.
    s.world.write(WATCHED + r"\xcopy.txt",
                  'xcopy "%s\\A.DAT" "%s\\INSTALLMAJ" /C /Y\r\n' % (WATCHED, WATCHED) * 3)
    minimised = s.op.run("time-commands", WATCHED + r"\xcopy.txt", "--window", "minimised",
                         "--watch", "--timeout", 60, timeout=60)
    s.expect("a copy started minimised shows a window", True, len(shown_windows(minimised)) > 0)

    s.install(APP, {"F%d.DAT" % n: "fichier %d\r\n" % n for n in range(1, 11)})
    for n in (1, 2):
        s.base("BASE%d" % n, r"D:\BASES\BASE%d" % n)
    s.base_list("BASE1\r\nBASE2\r\n")
    s.start()
    watched = s.op.run("watch-copies", s.main.pid, "--until", BOX_TITLE, "--timeout", 120,
                       timeout=120)
    seen = fields(watched.raw)
    s.expect("the watch ended at the summary box", "", seen.get("error", ""))
    # The watch polls, and a copy without a console is short: it catches 3 to
    # 6 copies in 10, depending on the machine. One caught of the 20 shows it
    # was looking while the copies ran; a copy's window would last as long as
    # the copy.
    s.expect("the watch caught a copy running", True, int(seen.get("children", 0)) >= 1)
    s.expect("windows shown while the copies ran", [], shown_windows(watched))
    s.expect("looks with the focus in another program", "0", seen.get("foreground-elsewhere"))
    s.message_box(summary([("BASE1", True), ("BASE2", True)]), INFORMATION)
    s.ends()
    for n in (1, 2):
        s.check_package(r"D:\BASES\BASE%d" % n)
