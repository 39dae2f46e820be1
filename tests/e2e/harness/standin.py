"""The stand-in database server's side of a scenario: its settings, its
database files, its registration, and its journal (formats in
standin/README.md)."""

import re
import shutil
import subprocess
from pathlib import Path

from . import wine

FOLDER = r"C:\DBA"
DATA = FOLDER + r"\DBA-data"
PLAIN_NAME = re.compile(r"^[A-Za-z0-9_.\- ]+$")
SOURCE = Path(__file__).resolve().parents[3]
CLASSES = "HKLM\\Software\\Classes\\CLSID\\"
# The names DBA.dll registers its classes under (standin/com/Registry.cpp).
CLIENT_NAME = "DBA.CClient (stand-in database server)"
DYN_ARRAY_NAME = "DBA DynArray (stand-in database server)"


def class_id(name):
    """A class id of the stand-in as its headers define it: {XXXXXXXX-...}."""
    for header in ("contract/com/DbaCom.h", "standin/com/ClientClass.h"):
        found = re.search(r"%s = \{\s*([^;]*)\};" % name, (SOURCE / header).read_text())
        if found:
            n = [int(x, 16) for x in re.findall(r"0x([0-9A-Fa-f]+)", found.group(1))]
            return "{%08X-%04X-%04X-%02X%02X-%s}" % (n[0], n[1], n[2], n[3], n[4],
                                                     "".join("%02X" % b for b in n[5:]))
    raise RuntimeError("no class id %s in the stand-in's headers" % name)


class StandIn:
    def __init__(self, suite):
        self.suite = suite
        self.users = [("ADM", "")]
        self.bases = []
        self.faults = []
        # Journal lines that end with the call's timing / the DLL's census.
        self.timing = False
        self.census = False
        # False: the DLL is put in place but left unregistered, as on a server
        # where the component was never installed properly.
        self.registered = True
        # Another DBA.dll to install in its place (one of the other bitness).
        self.dll = None
        # Environment variables for its registration, besides the suite's.
        self.env = {}

    def user(self, name, password):
        self.users.append((name, password))

    def base(self, entry, directory, refuse=None, upgraded=False, installmaj_file=True):
        """A base the server knows. `refuse`: [(number, [user, ...])], the
        numbers its OpenDatabase answers (to everyone when no user is named);
        `upgraded`: its INSTALLMAJ file holds the record 712 already;
        without `installmaj_file` the base has no INSTALLMAJ database file."""
        plain = bool(PLAIN_NAME.match(entry)) and entry == entry.strip(" .")
        store = entry if plain else "_base%d" % (len(self.bases) + 1)  # no plain entry starts so
        self.bases.append(dict(entry=entry, directory=directory, store=store,
                               refuse=refuse or [], upgraded=upgraded,
                               installmaj_file=installmaj_file))

    def fault(self, call, base=None, error=None, answer=None, delay=None, times=None):
        """An injected fault (a [fault] section)."""
        self.faults.append(dict(call=call, base=base, error=error, answer=answer, delay=delay,
                                times=times))

    def settings_text(self):
        out = ["[server]", "database = MERIDOXAN"]
        out += ["timing = on"] if self.timing else []
        out += ["census = on"] if self.census else []
        out += ["", "[users]"]
        out += [("%s = %s" % (name, password)).rstrip() for name, password in self.users]
        for b in self.bases:
            out += ["", "[base %s]" % b["entry"], "directory = %s" % b["directory"],
                    "store = %s" % b["store"]]
            for number, users in b["refuse"]:
                out.append("refuse = 0x%08X" % number + (" for " + ", ".join(users) if users else ""))
        for f in self.faults:
            out += ["", "[fault]", "call = %s" % f["call"]]
            for key, form in (("base", "%s"), ("error", "0x%08X"), ("answer", "%s"),
                              ("delay", "%d"), ("times", "%d")):
                if f[key] is not None:
                    out.append(("%s = " + form) % (key, f[key]))
        return "\n".join(out) + "\n"

    def install(self, world):
        """DBA.dll and its data folder in the prefix, and the DLL registered."""
        dll = world.host(FOLDER + r"\DBA.dll")
        dll.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.dll or self.suite.dll, dll)
        world.write(DATA + r"\settings.txt", self.settings_text().encode("utf-8"))
        for b in self.bases:
            store = DATA + "\\bases\\" + b["store"]
            world.mkdir(store)
            if b["installmaj_file"]:
                record = "712 = C:\\ANCIEN|D|%s\n" % b["directory"] if b["upgraded"] else ""
                world.write(store + r"\INSTALLMAJ.txt", ("# INSTALLMAJ\n" + record).encode("utf-8"))
        if self.registered and wine.machine_of(dll) == "32-bit" and not wine.probe_32bit()[0]:
            self.register_in_32bit_view()
            return
        # An earlier scenario's registration lives on in the prefix's registry:
        # an unregistered stand-in must be unregistered explicitly.
        flags = ["/s"] if self.registered else ["/u", "/s"]
        self.run("regsvr32", *flags, FOLDER + r"\DBA.dll")

    def register_in_32bit_view(self):
        """What regsvr32 of a 32-bit DBA.dll writes, written by the 64-bit reg
        (a host that cannot run 32-bit programs has no 32-bit regsvr32): the
        classes in the registry's 32-bit view, the ProgID shared by both."""
        client, dyn_array = (class_id(name) for name in ("CLSID_StandInClient", "CLSID_DynArray"))
        view = ["/reg:32"]
        for key, name, value, flags in [
                (r"HKCR\DBA.CClient", None, CLIENT_NAME, []),
                (r"HKCR\DBA.CClient\CLSID", None, client, []),
                (CLASSES + client, None, CLIENT_NAME, view),
                (CLASSES + client + r"\InprocServer32", None, FOLDER + r"\DBA.dll", view),
                (CLASSES + client + r"\InprocServer32", "ThreadingModel", "Apartment", view),
                (CLASSES + client + r"\ProgID", None, "DBA.CClient", view),
                (CLASSES + dyn_array, None, DYN_ARRAY_NAME, view),
                (CLASSES + dyn_array + r"\InprocServer32", None, FOLDER + r"\DBA.dll", view),
                (CLASSES + dyn_array + r"\InprocServer32", "ThreadingModel", "Apartment", view)]:
            self.run("reg", "add", key, *(["/v", name] if name else ["/ve"]), "/d", value,
                     *flags, "/f")

    def run(self, *argv):
        done = subprocess.run(wine.command(*argv), env=dict(self.suite.wine_env, **self.env),
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=60)
        if done.returncode != 0:
            raise RuntimeError("%s failed with %d" % (" ".join(argv), done.returncode))

    def journal(self, world, calls=None):
        """The journal's lines; with `calls`, only the lines of those calls
        (the call's name, e.g. "Execute" or "OpenDatabase")."""
        data = world.read(DATA + r"\journal.txt") or b""
        found = [line for line in data.decode("utf-8", errors="replace").split("\n") if line]
        if calls:
            found = [line for line in found
                     if any(re.match(r"^[^:]+: %s\(" % re.escape(c), line) for c in calls)]
        return found
