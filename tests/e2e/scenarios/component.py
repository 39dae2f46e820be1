"""The database-access component cannot be created: the run says so once and
touches nothing."""

from harness.scenario import CRITICAL, INFORMATION, Failure, scenario
from harness.texts import CRLF

from .common import APP, PACKAGE, login, summary, upgrade


def no_component(number):
    return ("Le composant d'accès aux bases de données DBA n'a pas pu être chargé (erreur %s)."
            % number + CRLF + "Aucune base n'a été mise à jour. Merci de contacter MERIDOXAN")


@scenario("the component DBA not registered: one message, nothing copied, no marker file")
def component_not_registered(s):
    s.install(APP, PACKAGE)
    s.base("BASEAFA", r"D:\BASESCLIENTS\BASEAFA")
    s.base_list("BASEAFA\r\n")
    s.standin.registered = False
    s.start()
    # The ProgID is unknown to the system: CLSIDFromProgID answers CO_E_CLASSSTRING.
    s.message_box(no_component("0x800401F3"), CRITICAL, shot="no-component")
    s.ends()
    s.check_package(r"D:\BASESCLIENTS\BASEAFA", expected={})
    s.check_version(None)
    s.check_journal([])


@scenario("the component DBA registered for the other bitness only: one message naming it")
def component_of_the_other_bitness(s):
    other = s.suite.other_bitness_dll()
    if other is None:
        raise Failure("no DBA.dll of the other bitness beside %s: build it first "
                      "(build/win and build/win64, as scripts/test does)" % s.suite.build)
    s.install(APP, PACKAGE)
    s.base("BASEAFA", r"D:\BASESCLIENTS\BASEAFA")
    s.base_list("BASEAFA\r\n")
    s.standin.dll = other
    s.start()
    # The ProgID is known, the class only in the other view of the registry.
    s.message_box(no_component("0x80040154"), CRITICAL)
    s.ends()
    s.check_package(r"D:\BASESCLIENTS\BASEAFA", expected={})
    s.check_version(None)
    s.check_journal([])


@scenario("a component that needs a database client's DLL found on PATH: it loads, the base is upgraded")
def component_needing_a_dll_on_the_path(s):
    built = s.suite.built_files()
    if "DBA-dbclient.dll" not in built or "dbclient.dll" not in built:
        raise Failure("no DBA-dbclient.dll and dbclient.dll in %s: build them first" % s.suite.build)
    s.install(APP, PACKAGE)
    s.base("BASEAFA", r"D:\BASESCLIENTS\BASEAFA")
    s.base_list("BASEAFA\r\n")
    # Its DBA.dll imports dbclient.dll, which lies only in the client's folder.
    s.standin.dll = built["DBA-dbclient.dll"]
    s.on_path(r"C:\CLIENTDB\BIN", {"dbclient.dll": built["dbclient.dll"]})
    s.start()
    s.message_box(summary([("BASEAFA", True)]), INFORMATION)
    s.ends()
    s.check_package(r"D:\BASESCLIENTS\BASEAFA")
    s.check_version(b"\r\n")
    s.check_journal(login(1) + upgrade(1, "BASEAFA", r"D:\BASESCLIENTS\BASEAFA") +
                    ["client 2: Disconnect() -> 0"])
