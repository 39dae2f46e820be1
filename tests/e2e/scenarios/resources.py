"""What the program holds does not grow with the number of bases: it is run
over 1 base, then over 30, and compared while its summary box is up.

Under Wine 8, GetProcessHandleCount answers 0 and GetGuiResources is not
implemented, so the operator helper counts the handles in the system's handle
table, the GDI objects in the process's GDI handle table, and the windows of
the process (the USER objects that can be seen from outside); PrivateUsage is
0, so "private" is PagefileUsage, the process's anonymous resident memory.
The stand-in DLL, in the same process, adds its census to each journal line:
its live COM objects and the bytes in use in the process heap, where every
BSTR (and the BSTR a VARIANT holds) is allocated.
"""

import re

from harness.scenario import INFORMATION, scenario

from .common import numbered_bases, summary

CENSUS = re.compile(r" \[objects=(\d+) heap=(\d+) other-heaps=(\d+)\]$")

# Measured over 5 runs of 1 base and 4 of 10 or 30: handles, GDI objects,
# windows and COM objects were the same in every run.
SAME = ("handles", "gdi", "user", "objects")
# The process heap held 32 bytes more with 10 or 30 bases than with 1 (the
# same 32 in every run). Wine's smallest BSTR block is 16 bytes, so one
# BSTR, or one VARIANT's BSTR, leaked per base adds at least 29 x 16 = 464.
HEAP_BOUND = 256
# PagefileUsage varied by 16 KiB among 1-base runs and stood 53 to 70 KiB
# higher with 10 or 30 bases: the C runtime's heap, where the stand-in keeps
# its journal (about 1.4 KiB a base), commits more pages. 256 KiB catches
# anything that leaks 9 KiB or more per base, wherever in the process.
PRIVATE_BOUND = 256 * 1024


def measured_run(s, entries):
    """Runs the program over these bases; what it holds while the summary box
    is up, and the stand-in's census at its last call before the box."""
    s.base_list("".join(e + "\r\n" for e in entries))
    before = len(s.standin.journal(s.world))
    held = {}
    s.start()
    s.message_box(summary([(e, True) for e in entries]), INFORMATION, timeout=240,
                  while_shown=lambda box: held.update(s.op.counters(s.main.pid)))
    s.ends()
    # Initialisation2's Connect after the last base is the last call before the box.
    connects = [line for line in s.standin.journal(s.world)[before:] if ": Connect(" in line]
    found = CENSUS.search(connects[-1]) if connects else None
    if found:
        held.update(objects=int(found[1]), heap=int(found[2]), other_heaps=int(found[3]))
    s.log.write("== held with %d base(s): %s\n" % (len(entries), held))
    return held


@scenario("1 base, then 30: same handles, GDI and USER objects, COM objects; memory bounded")
def resources_per_base(s):
    entries = numbered_bases(s, 30)
    s.standin.census = True
    one = measured_run(s, entries[:1])
    thirty = measured_run(s, entries)

    for what in SAME:
        if what not in one or what not in thirty:
            s.problems.append("no %s count was read" % what)
        elif one[what] <= 0:
            s.problems.append("%s counted %d: a count of nothing proves nothing" % (what, one[what]))
        else:
            s.expect("%s held with 30 bases (1 base: %d)" % (what, one[what]), one[what],
                     thirty[what])
    for what, bound, unit in (("heap", HEAP_BOUND, "bytes in use in the process heap"),
                              ("private", PRIVATE_BOUND, "bytes of private memory")):
        if what not in one or what not in thirty:
            s.problems.append("no %s figure was read" % what)
            continue
        growth = thirty[what] - one[what]
        if growth >= bound:
            s.problems.append("%s grew by %d from 1 base to 30 (%d to %d); the bound is %d"
                              % (unit, growth, one[what], thirty[what], bound))
