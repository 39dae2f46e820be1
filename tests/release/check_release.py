#!/usr/bin/env python3
"""Checks the release zip that scripts/release makes, and the operator's sheet.

    tests/release/check_release.py ZIP|DIST [--same-as BUILD32 BUILD64]
    tests/release/check_release.py --sheet

With ZIP, or DIST the folder that holds it: its name, its entries in their
order, their times (the commit's date) and permissions, SHA256SUMS against the
files, the sheet, and the version of each program (its version resource and
manifest); every one must be the version project() sets in the last commit's
CMakeLists.txt. --same-as also requires each program to be byte for byte the
one of that build (the build the tests ran).
With --sheet: the sheet's source only. The sheet must start with the UTF-8
byte-order mark, fit on one page, name the version, and every text it quotes
between « and » must be the program's own (a "…" stands for what the program
fills in).
"""
import argparse
import hashlib
import pathlib
import re
import subprocess
import sys
import time
import zipfile

from pe import AMD64, I386, Pe

ROOT = pathlib.Path(__file__).resolve().parents[2]
PROGRAM_FOLDERS = ("app", "steps", "connection", "platform", "state")
ENTRIES = ["MiseANiveau.exe", "x64/", "x64/MiseANiveau.exe", "LISEZMOI.txt", "SHA256SUMS"]
PAGE_LINES = 66
errors = []


def fail(message):
    errors.append(message)


def project_version():
    # The last commit's, as the zip is built from it (scripts/release).
    text = subprocess.run(["git", "-C", str(ROOT), "show", "HEAD:CMakeLists.txt"],
                          capture_output=True, text=True, check=True).stdout
    return re.search(r"^project\(MiseANiveau VERSION (\d+\.\d+\.\d+)\b", text, re.M).group(1)


def program_literals():
    """Every string literal of the program's sources (tests excluded)."""
    literals = []
    for folder in PROGRAM_FOLDERS:
        for source in (ROOT / folder).rglob("*"):
            if source.suffix not in (".cpp", ".h") or "tests" in source.relative_to(ROOT).parts:
                continue
            text = source.read_text(encoding="utf-8")
            literals += re.findall(r'R"\((.*?)\)"', text, re.S)
            literals += re.findall(r'(?<![R\w])"((?:[^"\\\n]|\\.)*)"', text)
    return literals


def check_sheet(text, where, version_text):
    """text: the sheet decoded, its mark and line ends as they are."""
    if not text.startswith("\ufeff"):
        fail(f"{where}: no UTF-8 byte-order mark")
    lines = text.lstrip("\ufeff").splitlines()
    if len(lines) > PAGE_LINES:
        fail(f"{where}: {len(lines)} lines, more than a page ({PAGE_LINES})")
    if version_text not in lines[0]:
        fail(f"{where}: the first line does not name version {version_text}: {lines[0]!r}")
    literals = program_literals()
    quotes = re.findall(r"«\s*(.*?)\s*»", text, re.S)
    if not quotes:
        fail(f"{where}: quotes none of the program's texts")
    for quote in quotes:
        for piece in (p.strip() for p in quote.split("…")):
            if piece and not any(piece in literal for literal in literals):
                fail(f"{where}: « {quote} » is not the program's text ({piece!r})")


def check_zip(path, same_as):
    version = project_version()
    version_text = version + ".0"
    if path.name != f"MiseANiveau-{version}.zip":
        fail(f"{path.name}: not named after version {version}")
    commit_date = int(subprocess.run(["git", "-C", str(ROOT), "log", "-1", "--format=%ct"],
                                     capture_output=True, text=True, check=True).stdout)
    stamp = time.gmtime(commit_date)[:6]
    with zipfile.ZipFile(path) as archive:
        infos = archive.infolist()
        names = [i.filename for i in infos]
        if names != ENTRIES:
            fail(f"{path.name}: holds {names}, not {ENTRIES}")
        files = {i.filename: archive.read(i) for i in infos if not i.is_dir()}
        for info in infos:
            mode = info.external_attr >> 16
            wanted = 0o40755 if info.is_dir() else 0o100755 if info.filename.endswith(".exe") else 0o100644
            if mode != wanted:
                fail(f"{info.filename}: mode {mode:o}, not {wanted:o}")
            # The DOS time holds even seconds only.
            if info.date_time != stamp[:5] + (stamp[5] // 2 * 2,):
                fail(f"{info.filename}: dated {info.date_time}, not the commit's {stamp}")

    sums = files.get("SHA256SUMS", b"").decode()
    listed = {}
    for line in sums.splitlines():
        digest, _, name = line.partition("  ")
        listed[name] = digest
    wanted_sums = {name: hashlib.sha256(data).hexdigest() for name, data in files.items()
                   if name != "SHA256SUMS"}
    if listed != wanted_sums:
        fail(f"SHA256SUMS: {listed}, not {wanted_sums}")

    sheet = files.get("LISEZMOI.txt", b"")
    if re.search(rb"(?<!\r)\n", sheet) or re.search(rb"\r(?!\n)", sheet):
        fail("LISEZMOI.txt: a line that does not end with CR LF")
    check_sheet(sheet.decode("utf-8"), "LISEZMOI.txt", version_text)

    for name, wanted_machine in (("MiseANiveau.exe", I386), ("x64/MiseANiveau.exe", AMD64)):
        try:
            exe = Pe(files.get(name, b""), name)
        except ValueError as error:
            fail(str(error))
            continue
        if exe.machine != wanted_machine:
            fail(f"{name}: machine {exe.machine:#x}, not {wanted_machine:#x}")
        found = exe.version_resource()
        if found is None:
            fail(f"{name}: no version resource")
            found = {}
        found["manifest"] = exe.manifest_version("MiseANiveau") or "(missing)"
        for key, value in found.items():
            if value != version_text:
                fail(f"{name}: {key} {value}, not {version_text}")
    if same_as:
        for name, build in zip(("MiseANiveau.exe", "x64/MiseANiveau.exe"), same_as):
            built = pathlib.Path(build) / "app/win32/MiseANiveau.exe"
            if not built.exists() or built.read_bytes() != files.get(name):
                fail(f"{name}: not the same bytes as {built}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("zip", nargs="?", type=pathlib.Path)
    parser.add_argument("--same-as", nargs=2, metavar=("BUILD32", "BUILD64"))
    parser.add_argument("--sheet", action="store_true", help="check the sheet's source only")
    args = parser.parse_args()
    if args.sheet:
        source = (ROOT / "release/LISEZMOI.txt.in").read_text(encoding="utf-8")
        check_sheet(source, "release/LISEZMOI.txt.in", "@MAJ_VERSION_TEXT@")
    elif args.zip:
        path = args.zip
        if path.is_dir():
            path = path / f"MiseANiveau-{project_version()}.zip"
        if not path.is_file():
            fail(f"no {path}: scripts/release makes it")
        else:
            check_zip(path, args.same_as)
    else:
        parser.error("give the zip, or --sheet")
    for message in errors:
        print("release: " + message, file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
