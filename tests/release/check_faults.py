#!/usr/bin/env python3
"""Checks docs/faults.md: every test a row names exists, and the counts its
heading states are the counts of its rows.

    tests/release/check_faults.py [SOURCE_ROOT]
"""
import pathlib
import re
import sys

root = (pathlib.Path(sys.argv[1]) if len(sys.argv) > 1
        else pathlib.Path(__file__).resolve().parents[2])
doc = (root / "docs/faults.md").read_text(encoding="utf-8")

# Tests as the sources define them.
native = set()
for folder in ("tests",):
    for source in (root / folder).rglob("*.cpp"):
        for suite, name in re.findall(r"^TEST(?:_F|_P)?\((\w+),\s*(\w+)\)", source.read_text(), re.M):
            native.add(f"{suite}.{name}")
scenarios = set()
for source in (root / "tests/e2e/scenarios").glob("*.py"):
    scenarios.update(re.findall(r"^@scenario\(.*\)\s*\ndef (\w+)\(", source.read_text(), re.M))
known = {"unit": native, "win": native, "e2e": scenarios}

errors = []
rows = tested = 0
seen = set()
for line in doc.splitlines():
    cells = [c.strip() for c in line.strip().strip("|").split("|")]
    if len(cells) != 4 or not re.fullmatch(r"[A-Z]\d+", cells[0]):
        continue
    rows += 1
    if cells[0] in seen:
        errors.append(f"{cells[0]}: the id is used by another row")
    seen.add(cells[0])
    proofs = re.findall(r"\b(unit|win|e2e):([\w.]+)", cells[3])
    if proofs:
        tested += 1
    elif not cells[3].startswith("untested:"):
        errors.append(f"{cells[0]}: neither a test nor a reason why none")
    for kind, name in proofs:
        if name not in known[kind]:
            errors.append(f"{cells[0]}: {kind}:{name} does not exist")

stated = re.search(r"\*\*(\d+) rows, (\d+) tested\.\*\*", doc)
if not stated or (int(stated[1]), int(stated[2])) != (rows, tested):
    errors.append(f"the heading must say **{rows} rows, {tested} tested.**")

for error in errors:
    print(f"docs/faults.md: {error}", file=sys.stderr)
print(f"docs/faults.md: {rows} rows, {tested} tested, {len(errors)} problems")
sys.exit(1 if errors else 0)
