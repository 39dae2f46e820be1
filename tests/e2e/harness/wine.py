"""How the harness starts Wine: always through scripts/wine, the project's one
launcher, which picks the loader that works on this host."""

import functools
import os
import subprocess
from pathlib import Path

LAUNCHER = Path(__file__).resolve().parents[3] / "scripts" / "wine"
MACHINES = {0x14C: "32-bit", 0x8664: "64-bit"}


def command(*args):
    """The argument vector that runs a Windows program (or one of Wine's own)."""
    return [str(LAUNCHER)] + [str(a) for a in args]


def server(*args):
    """The argument vector that runs the prefix's wineserver."""
    return [str(LAUNCHER), "--server"] + [str(a) for a in args]


@functools.lru_cache(maxsize=None)
def probe_32bit():
    """(True, "yes") when this host runs 32-bit programs, else (False, "no: why").
    The launcher reuses an answer exported in MAJ_32BIT by the calling script."""
    done = subprocess.run([str(LAUNCHER), "--probe-32bit"], capture_output=True, text=True,
                          env=os.environ, timeout=60)
    return done.returncode == 0, done.stdout.strip()


def machine_of(path):
    """The bitness a Windows executable or DLL is built for (its PE header)."""
    data = Path(path).read_bytes()[:4096]
    at = int.from_bytes(data[0x3C:0x40], "little")
    return MACHINES.get(int.from_bytes(data[at + 4:at + 6], "little"), "unknown")
