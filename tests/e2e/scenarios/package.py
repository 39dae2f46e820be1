"""The install package: what is copied, in which order, to where; and the
verdict on a base."""

from harness.scenario import scenario

from .common import lancemajcd, qui, run_one_base


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
