#!/usr/bin/python3
"""Checks that no include runs up a floor.

The floors are the fenced block under "## Floors" in docs/ARCHITECTURE.md,
top floor first, folders of one floor separated by spaces. Every source file
but the tests' and the benchmarks' belongs to the longest folder listed that
holds it; it may include its own folder's files and those of any lower floor,
never a higher one nor another folder of its own floor. Prints each file in
no folder and each include that breaks this, and exits 1.
"""
import os
import re
import subprocess
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


# Test and benchmark code stands above every floor: it may include anything.
ABOVE_ALL = ("tests/", "bench/")


def sources():
    listed = subprocess.run(["git", "-C", ROOT, "ls-files", "*.cpp", "*.h"], stdout=subprocess.PIPE, text=True,
                            check=True).stdout.split()
    return [path for path in listed if not path.startswith(ABOVE_ALL)]


def main():
    levels = floors()
    broken = []
    for path in sources():
        own = folder_of(path, levels)
        if own is None:
            broken.append(f"{path}: in no folder of the floors")
            continue
        for line_no, line in enumerate(open(os.path.join(ROOT, path), encoding="utf-8"), 1):
            match = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
            if not match:
                continue
            target = folder_of(match.group(1), levels)
            if target is None or target == own:
                continue
            if levels[target] >= levels[own]:
                broken.append(f"{path}:{line_no}: {own} includes {match.group(1)} ({target})")
    print("\n".join(broken) if broken else f"no include runs up a floor ({len(levels)} folders, every source file)")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
