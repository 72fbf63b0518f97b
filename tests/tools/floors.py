#!/usr/bin/python3
"""Checks that no include runs up a floor.

The floors are the fenced block under "## Floors" in docs/ARCHITECTURE.md,
top floor first, folders of one floor separated by spaces. A source file
belongs to the longest folder listed that holds it; it may include its own
folder's files and those of any lower floor, never a higher one nor another
folder of its own floor. Prints each include that breaks this and exits 1.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def floors():
    text = open(os.path.join(ROOT, "docs", "ARCHITECTURE.md"), encoding="utf-8").read()
    block = re.search(r"^## Floors\n.*?^```\n(.*?)^```", text, re.S | re.M).group(1)
    rows = [line.split() for line in block.splitlines() if line.strip()]
    return {folder: len(rows) - i for i, row in enumerate(rows) for folder in row}


def folder_of(path, levels):
    best = None
    for folder in levels:
        if path.startswith(folder + "/") and (best is None or len(folder) > len(best)):
            best = folder
    return best


def main():
    levels = floors()
    broken = []
    for top in sorted({folder.split("/")[0] for folder in levels}):
        for base, _, names in os.walk(os.path.join(ROOT, top)):
            for name in sorted(names):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.relpath(os.path.join(base, name), ROOT)
                own = folder_of(path, levels)
                for line_no, line in enumerate(open(os.path.join(ROOT, path), encoding="utf-8"), 1):
                    match = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                    if not match:
                        continue
                    target = folder_of(match.group(1), levels)
                    if target is None or target == own or own is None:
                        continue
                    if levels[target] >= levels[own]:
                        broken.append(f"{path}:{line_no}: {own} includes {match.group(1)} ({target})")
    print("\n".join(broken) if broken else f"no include runs up a floor ({len(levels)} folders)")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
