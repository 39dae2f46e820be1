#!/usr/bin/env python3
"""Checks a Windows build from its files alone, without running anything: what
a host that cannot run the build's programs can still prove.

    tests/check_pe.py BUILD_DIR [--bits 32|64]

- MiseANiveau.exe and DBA.dll are PE32 (32-bit x86) or PE32+ (x86-64), as the
  build's bitness says;
- the program's manifest names that machine (its dependencies that or any);
- DBA.dll exports DllGetClassObject, DllCanUnloadNow, DllRegisterServer and
  DllUnregisterServer undecorated (no _Name@12: COM looks them up by name);
- both import from Windows' own DLLs only (nothing to ship beside them).
Prints one line per check; exits 1 when any fails.
"""

import re
import struct
import sys
from pathlib import Path

MACHINES = {32: (0x14C, 0x10B, "x86"), 64: (0x8664, 0x20B, "amd64")}
COM_EXPORTS = {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer",
               "DllUnregisterServer"}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll",
               "oleaut32.dll", "comctl32.dll", "shell32.dll", "msvcrt.dll", "version.dll"}


class Pe:
    """The few parts of a PE file these checks read."""

    def __init__(self, path):
        self.data = Path(path).read_bytes()
        at = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[at:at + 4] != b"PE\0\0":
            raise ValueError("%s is not a PE file" % path)
        self.machine, sections, _, _, _, optional_size = struct.unpack_from("<HHIIIH",
                                                                          self.data, at + 4)
        optional = at + 24
        self.magic = struct.unpack_from("<H", self.data, optional)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i)
                            for i in range(2)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", self.data, table + 40 * i + 8)
                         for i in range(sections)]

    def offset(self, rva):
        for size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError("RVA 0x%x lies in no section" % rva)

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def exports(self):
        rva, size = self.directories[0]
        if not size:
            return []
        count, _, names = struct.unpack_from("<III", self.data, self.offset(rva) + 24)
        return [self.text(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
                for i in range(count)]

    def imports(self):
        rva, size = self.directories[1]
        found = []
        at = self.offset(rva) if size else None
        while at is not None:
            name = struct.unpack_from("<I", self.data, at + 12)[0]
            if not name:
                break
            found.append(self.text(name))
            at += 20
        return found


def check(build, bits):
    machine, magic, arch = MACHINES[bits]
    program = next(build.glob("app/win32/MiseANiveau.exe"), None)
    dll = next(build.glob("standin/com/DBA.dll"), None)
    results = []
    for path in (program, dll):
        if path is None:
            results.append((False, "MiseANiveau.exe and DBA.dll built in %s" % build))
            continue
        pe = Pe(path)
        kind = "PE32" if bits == 32 else "PE32+"
        results.append((pe.machine == machine and pe.magic == magic,
                        "%s is %s for %s" % (path.name, kind, arch)))
        foreign = sorted(d for d in pe.imports() if d.lower() not in SYSTEM_DLLS)
        results.append((not foreign, "%s imports from Windows' own DLLs only%s"
                        % (path.name, ": not " + ", ".join(foreign) if foreign else "")))
    if program:
        named = re.findall(rb'processorArchitecture="([^"]*)"', Pe(program).data)
        # The program's own identity first; a dependency may say "*" (any).
        results.append((bool(named) and named[0].decode() == arch and
                        all(n.decode() in (arch, "*") for n in named),
                        "the manifest names %s (%s)"
                        % (arch, ", ".join(n.decode() for n in named) or "no manifest")))
    if dll:
        exports = set(Pe(dll).exports())
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
