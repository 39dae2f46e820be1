"""The stand-in database server's side of a scenario: its settings, its
database files, its registration, and its journal (formats in
standin/README.md)."""

import shutil
import subprocess

FOLDER = r"C:\DBA"
DATA = FOLDER + r"\DBA-data"


class StandIn:
    def __init__(self, suite):
        self.suite = suite
        self.users = [("ADM", "")]
        self.bases = []
        self.faults = []

    def user(self, name, password):
        self.users.append((name, password))

    def base(self, entry, directory, store=None, refuse=None, upgraded=False, records=None,
             installmaj_file=True):
        """A base: `refuse` is [(number, [users])] for OpenDatabase; `upgraded`
        puts the version record in its INSTALLMAJ file already; `records` are
        more records of that file; without `installmaj_file` it has none."""
        self.bases.append(dict(entry=entry, directory=directory, store=store or entry,
                               refuse=refuse or [], upgraded=upgraded, records=records or {},
                               installmaj_file=installmaj_file))

    def fault(self, call, base=None, error=None, answer=None, delay=None, times=None):
        self.faults.append(dict(call=call, base=base, error=error, answer=answer, delay=delay,
                                times=times))

    def settings_text(self):
        out = ["[server]", "database = MERIDOXAN", "", "[users]"]
        out += ["%s = %s" % (name, password) for name, password in self.users]
        for b in self.bases:
            out += ["", "[base %s]" % b["entry"], "directory = %s" % b["directory"],
                    "store = %s" % b["store"]]
            for number, users in b["refuse"]:
                out.append("refuse = 0x%08X" % number + (" for " + ", ".join(users) if users else ""))
        for f in self.faults:
            out += ["", "[fault]", "call = %s" % f["call"]]
            if f["base"] is not None:
                out.append("base = %s" % f["base"])
            if f["error"] is not None:
                out.append("error = 0x%08X" % f["error"])
            if f["answer"] is not None:
                out.append("answer = %s" % f["answer"])
            if f["delay"] is not None:
                out.append("delay = %d" % f["delay"])
            if f["times"] is not None:
                out.append("times = %d" % f["times"])
        return "\n".join(out) + "\n"

    def install(self, world):
        """DBA.dll and its data in the prefix, registered."""
        dll = world.host(FOLDER + r"\DBA.dll")
        dll.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.suite.dll, dll)
        world.write(DATA + r"\settings.txt", self.settings_text().encode("utf-8"))
        for b in self.bases:
            world.mkdir(DATA + "\\bases\\" + b["store"])
            if not b["installmaj_file"]:
                continue
            records = dict(b["records"])
            if b["upgraded"]:
                records["712"] = "déjà à jour"
            text = "".join("%s = %s\n" % (k, v) for k, v in records.items())
            world.write(DATA + "\\bases\\" + b["store"] + r"\INSTALLMAJ.txt", text.encode("utf-8"))
        done = subprocess.run(["wine", "regsvr32", "/s", FOLDER + r"\DBA.dll"], env=self.suite.wine_env,
                              capture_output=True, timeout=60)
        if done.returncode != 0:
            raise RuntimeError("regsvr32 of DBA.dll failed (%d): %s"
                               % (done.returncode, done.stderr.decode(errors="replace")))

    def journal(self, world, calls=None):
        data = world.read(DATA + r"\journal.txt") or b""
        found = data.decode("utf-8", errors="replace").replace("\r", "").split("\n")
        found = [line for line in found if line]
        if calls:
            found = [line for line in found if any(c in line for c in calls)]
        return found

    def commands(self, world):
        return self.journal(world, ["Execute"])
