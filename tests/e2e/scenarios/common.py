"""Texts and journal lines that several scenarios expect, built from their
parts as the program builds them."""

import re
from pathlib import Path

from harness.scenario import CRITICAL, INFORMATION
from harness.texts import CRLF, lines

APP = r"C:\APP"
SUCCESS_HEAD = "Mise à jour du serveur terminée avec succès."
ERROR_HEAD = "La mise à jour du serveur contient des erreurs."
ERROR_TAIL = "Veuillez contacter MERIDOXAN."
NO_DIRECTORY = "PB DANS LA RECUPERATION DU CHEMIN DE LA BASE DE DONNEES. MERCI D'APPELER MERIDOXAN"
LOGIN_CANCELLED = "Les bases de données n'ont pas été mise a jour."
PACKAGE = {"X.DAT": "données de la mise à niveau\r\n"}
# The program's version as project() sets it in CMakeLists.txt, the one place;
# the run log's first line must show it.
VERSION = re.search(r"^project\(MiseANiveau VERSION (\d+\.\d+\.\d+)\b",
                    (Path(__file__).resolve().parents[3] / "CMakeLists.txt").read_text(),
                    re.M).group(1) + ".0"


def open_refused(entry):
    return "Problème dans l'ouverture de la Base de données : " + entry + CRLF + \
        "Merci de contacter MERIDOXAN"


def prompt(entry):
    return "Saisir le chemin de la base " + entry + "." + CRLF + "(ex:D:\\BASESCLIENTS\\BASEAFA)"


def summary(outcomes):
    """The summary box's text for [(entry, upgraded), ...] in the order of the run."""
    if all(ok for _, ok in outcomes):
        return lines(SUCCESS_HEAD, "", *["Base %s : mise à jour." % e for e, _ in outcomes], "")
    last = max((i for i, (_, ok) in enumerate(outcomes) if ok), default=-1)
    successes = ["Base %s : mise à jour." % e if ok else "" for e, ok in outcomes[:last + 1]]
    failures = ["Base %s : non mise à jour." % e for e, ok in outcomes if not ok]
    return ERROR_HEAD + CRLF + CRLF + "".join(s + CRLF for s in successes) + CRLF + \
        "".join(f + CRLF for f in failures) + CRLF + ERROR_TAIL


def q(text):
    """A text as the journal quotes it."""
    return '"' + text.replace('"', '""') + '"'


def login(client, user="ADM", password=""):
    return ["client %d: Create() -> 0" % client,
            "client %d: Connect(user=%s, password=%s, third=\"\") -> 0"
            % (client, q(user), '"***"' if password else '""')]


def open_base(client, entry, result="0"):
    return "client %d: OpenDatabase(name=\"MERIDOXAN\", entry=%s) -> %s" % (client, q(entry), result)


def qui(base, directory):
    return "base %s: Execute(command=[\"P\", \"QUI\"], argument=\"\") -> 0 answer=[%s]" % (
        base, q(directory))


def lancemajcd(base, app, directory, answer=' answer=["OK"]', result="0"):
    command = "LANCEMAJCD %s %s VIDE %s" % (app, directory[:1], directory)
    return "base %s: Execute(command=[\"P\", %s], argument=\"\") -> %s%s" % (
        base, q(command), result, answer)


def check(base, app, directory):
    return ["base %s: OpenFile(name=\"INSTALLMAJ\") -> 0" % base,
            "base %s: Read(file=\"INSTALLMAJ\", key=\"712\") -> 0 record=[%s, %s, %s]"
            % (base, q(app), q(directory[:1]), q(directory))]


def upgrade(client, entry, directory, app=APP):
    """The journal of one base that opens, answers QUI and is upgraded, up to
    the next client's login."""
    return [open_base(client, entry), qui(entry, directory), lancemajcd(entry, app, directory)] + \
        check(entry, app, directory) + ["client %d: Disconnect() -> 0" % client] + login(client + 1)


def numbered_bases(s, count):
    """The program with PACKAGE in APP, and the bases BASE01, BASE02... known
    to the stand-in, each in D:\\BASES\\<entry>; their entries."""
    entries = ["BASE%02d" % n for n in range(1, count + 1)]
    s.install(APP, PACKAGE)
    for entry in entries:
        s.base(entry, "D:\\BASES\\" + entry)
    return entries


def run_one_base(s, entry="BASE1", directory=r"D:\BASES\BASE1", app=APP, package=None,
                 upgraded=True, before_start=None, **base):
    """The program in `app` with `package` runs over one base listed alone; the
    summary says whether it was upgraded. `before_start(s)` adds to the set-up."""
    s.install(app, PACKAGE if package is None else package)
    s.base(entry, directory, **base)
    s.base_list(entry + "\r\n")
    if before_start:
        before_start(s)
    s.start()
    s.message_box(summary([(entry, upgraded)]), INFORMATION if upgraded else CRITICAL)
    s.ends()
    s.check_package(directory)
