#!/usr/bin/env python3
"""Checks that every include of the program and the stand-in points down a
layer, never up: app -> steps and connection -> run state, contract,
platform. Tests sit above everything they test and are not checked.

    tests/check_layers.py [SOURCE_ROOT]          checks the tree
    tests/check_layers.py --self-test [ROOT]     shows that an include pointing
                                                 up a layer is caught
"""
import pathlib
import re
import sys

# What each folder may include, besides itself. A folder's layer is the
# longest of these names that is a prefix of its path.
ALLOWED = {
    "platform": set(),
    "support/win32": {"platform"},
    "contract": {"platform"},
    "state": {"contract", "platform"},
    "steps": {"state", "contract", "platform"},
    "connection": {"state", "contract", "platform"},
    "connection/com": {"contract", "platform", "support/win32"},
    "platform/win32": {"platform", "support/win32"},
    "app": {"steps", "connection", "state", "contract", "platform"},
    "app/win32": {"app", "steps", "connection", "connection/com", "state", "contract",
                  "platform", "platform/win32", "support/win32"},
    "standin": {"contract", "platform"},
    "standin/com": {"standin", "contract", "platform", "support/win32"},
}
# Test code: free to include what it tests.
TEST_FOLDERS = re.compile(r"(^|/)(tests|smoke)(/|$)")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def layer(path):
    """The layer a file belongs to, or None outside the checked folders."""
    folder = path.rsplit("/", 1)[0] if "/" in path else ""
    best = None
    for name in ALLOWED:
        if (folder == name or folder.startswith(name + "/")) and (best is None or len(name) > len(best)):
            best = name
    return best


def check(sources):
    """sources: {relative path: text}. Returns one line per include that points up."""
    errors = []
    for path, text in sorted(sources.items()):
        here = layer(path)
        if here is None or TEST_FOLDERS.search(path):
            continue
        for target in INCLUDE.findall(text):
            there = layer(target)
            if there is None or there == here:
                continue
            if there not in ALLOWED[here]:
                errors.append(f"{path}: includes {target} ({here} may not reach {there})")
    return errors


def read_tree(root):
    sources = {}
    for suffix in ("*.h", "*.cpp"):
        for file in root.rglob(suffix):
            relative = file.relative_to(root).as_posix()
            if relative.startswith("build"):
                continue
            sources[relative] = file.read_text(encoding="utf-8", errors="replace")
    return sources


def main(argv):
    self_test = "--self-test" in argv
    args = [a for a in argv if a != "--self-test"]
    root = pathlib.Path(args[0] if args else pathlib.Path(__file__).parent.parent)
    sources = read_tree(root)
    if self_test:
        # The same tree with the platform reaching up into the driver and the
        # run state reaching into a step: both must be reported.
        sources["platform/Text.cpp"] = sources.get("platform/Text.cpp", "") + '\n#include "app/Frm_MAJ.h"\n'
        sources["state/RunState.h"] = sources.get("state/RunState.h", "") + '\n#include "steps/Recup_Base.h"\n'
        errors = check(sources)
        caught = [e for e in errors if e.startswith(("platform/Text.cpp", "state/RunState.h"))]
        if len(caught) != 2:
            print("an include pointing up a layer was not reported:", caught)
            return 1
        print("caught:", *caught, sep="\n  ")
        return 0
    errors = check(sources)
    for error in errors:
        print(error)
    if not errors:
        print(f"{len(sources)} files, every include points down a layer")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
