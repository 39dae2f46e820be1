#!/usr/bin/env python3
"""Checks a Windows build from its files alone, without running anything: what
a host that cannot run the build's programs can still prove.

    tests/release/check_pe.py BUILD_DIR [--bits 32|64]

- MiseANiveau.exe and DBA.dll are PE32 (32-bit x86) or PE32+ (x86-64), as the
  build's bitness says;
- the program's manifest names that machine (its dependencies that or any);
- DBA.dll exports DllGetClassObject, DllCanUnloadNow, DllRegisterServer and
  DllUnregisterServer undecorated (no _Name@12: COM looks them up by name);
- both import from Windows' own DLLs only (nothing to ship beside them).
Prints one line per check; exits 1 when any fails.
"""

import sys
from pathlib import Path

from pe import AMD64, I386, PE32, PE32_PLUS, Pe

MACHINES = {32: (I386, PE32, "x86"), 64: (AMD64, PE32_PLUS, "amd64")}
COM_EXPORTS = {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer",
               "DllUnregisterServer"}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll",
               "oleaut32.dll", "comctl32.dll", "shell32.dll", "msvcrt.dll", "version.dll"}


def check(build, bits):
    machine, magic, arch = MACHINES[bits]
    program = next(build.glob("app/win32/MiseANiveau.exe"), None)
    dll = next(build.glob("standin/com/DBA.dll"), None)
    results = []
    for path in (program, dll):
        if path is None:
            results.append((False, "MiseANiveau.exe and DBA.dll built in %s" % build))
            continue
        pe = Pe.read(path)
        kind = "PE32" if bits == 32 else "PE32+"
        results.append((pe.machine == machine and pe.magic == magic,
                        "%s is %s for %s" % (path.name, kind, arch)))
        foreign = sorted(d for d in pe.imports() if d.lower() not in SYSTEM_DLLS)
        results.append((not foreign, "%s imports from Windows' own DLLs only%s"
                        % (path.name, ": not " + ", ".join(foreign) if foreign else "")))
    if program:
        named = Pe.read(program).architectures()
        # The program's own identity first; a dependency may say "*" (any).
        results.append((bool(named) and named[0] == arch and
                        all(n in (arch, "*") for n in named),
                        "the manifest names %s (%s)" % (arch, ", ".join(named) or "no manifest")))
    if dll:
        exports = set(Pe.read(dll).exports())
        results.append((COM_EXPORTS <= exports,
                        "DBA.dll exports %s undecorated (it has %s)"
                        % (", ".join(sorted(COM_EXPORTS)), ", ".join(sorted(exports)) or "none")))
    return results


def main(argv):
    if len(argv) not in (2, 4) or (len(argv) == 4 and argv[2] != "--bits"):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    build = Path(argv[1])
    bits = int(argv[3]) if len(argv) == 4 else (64 if build.name.endswith("64") else 32)
    results = check(build, bits)
    for ok, what in results:
        print("%s %s" % ("ok  " if ok else "FAIL", what))
    return 0 if all(ok for ok, _ in results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
