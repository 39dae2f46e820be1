"""The install package: what is copied, in which order, to where."""

from harness.scenario import CRITICAL, INFORMATION, scenario

from .common import APP, PACKAGE, lancemajcd, qui, summary


@scenario("a package of three files copied in enumeration order, a sub-folder not")
def package_of_three_files(s):
    # Made in this order; the file-system object lists them by name without
    # regard to case, "_" after the letters: AZ, a_2, B.
    s.install(APP, {"B.DAT": "bé\r\n", "a_2.dat": "deux\r\n", "AZ.DAT": "a-z\r\n",
                    "SOUS\\Y.DAT": "pas copié\r\n"})
    s.base("BASE1", r"D:\BASES\BASE1")
    s.base_list("BASE1\r\n")
    s.start()
    s.message_box(summary([("BASE1", True)]), INFORMATION)
    s.ends()
    s.check_package(r"D:\BASES\BASE1")
    s.expect("the order the files were copied in", ["AZ.DAT", "a_2.dat", "B.DAT"],
             s.copy_order(r"D:\BASES\BASE1"))


@scenario("a base whose INSTALLMAJ folder does not exist yet, with blanks in its path")
def installmaj_folder_missing(s):
    s.install(APP, PACKAGE)
    s.base("BASE ESPACE", r"D:\BASES CLIENTS\BASE 2", installmaj=False)
    s.base_list("BASE ESPACE\r\n")
    s.start()
    s.message_box(summary([("BASE ESPACE", True)]), INFORMATION, timeout=30)
    s.ends()
    s.check_package(r"D:\BASES CLIENTS\BASE 2")


@scenario("the program installed in a folder with a blank")
def app_folder_with_space(s):
    app = r"C:\Program Files\Meridoxan MAJ"
    s.install(app, PACKAGE)
    s.base("BASE1", r"D:\BASES\BASE1")
    s.base_list("BASE1\r\n")
    s.start()
    s.message_box(summary([("BASE1", True)]), INFORMATION)
    s.ends()
    s.check_package(r"D:\BASES\BASE1")
    s.check_journal([qui("BASE1", r"D:\BASES\BASE1"), lancemajcd("BASE1", app, r"D:\BASES\BASE1")],
                    calls=["Execute"])


@scenario('"Read" failing with another number: not upgraded')
def read_fails_other_number(s):
    s.install(APP, PACKAGE)
    s.base("BASE1", r"D:\BASES\BASE1")
    s.standin.fault("Read", base="BASE1", error=0x80004005)
    s.base_list("BASE1\r\n")
    s.start()
    s.message_box(summary([("BASE1", False)]), CRITICAL)
    s.ends()
    s.check_package(r"D:\BASES\BASE1")
    s.check_version(b"\r\n")
    s.check_journal(['base BASE1: Read(file="INSTALLMAJ", key="712") -> 0x80004005'],
                    calls=["Read"])
