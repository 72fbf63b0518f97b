#!/usr/bin/python3
"""Runs the deliberate faults of tests/mutants.txt against the tests.

Each fault is applied alone to a copy of the tree (build/mutants/tree: the
commit checked out, plus the working tree's uncommitted changes), the copy is
built incrementally, and the tests named for the fault run: native tests
through a GoogleTest filter, Wine tests through a CTest regular expression.
A fault is killed when a named test fails, survives when all pass, and does
not count when the compiler rejects it. ./dev mutants starts the display and
the Wine prefix and runs this; the last lines give the survivors and the
kill rate.

The list, one fault a block:
    == path/of/file.cpp: what the fault does
    - text that occurs exactly once in the file
    + what replaces it (nothing after "+" deletes it)
    native: GoogleTest filter
    wine: CTest regular expression
Several "-" or "+" lines stand for lines of one text, joined by newlines.
"""
import argparse
import dataclasses
import os
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORK = os.path.join(ROOT, "build", "mutants")
TREE = os.path.join(WORK, "tree")
NATIVE = os.path.join(WORK, "native")
TEST_TIMEOUT = 240


@dataclasses.dataclass
class Fault:
    path: str
    title: str
    line: int
    find: list = dataclasses.field(default_factory=list)
    into: list = dataclasses.field(default_factory=list)
    native: str = ""
    wine: str = ""

    def name(self):
        return f"{self.path}: {self.title}"


def parse(list_path):
    faults, fault = [], None
    with open(list_path, encoding="utf-8") as source:
        for number, raw in enumerate(source, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            if line.startswith("== "):
                path, _, title = line[3:].partition(": ")
                fault = Fault(path.strip(), title.strip(), number)
                faults.append(fault)
            elif fault is None:
                sys.exit(f"{list_path}:{number}: a fault begins with '== '")
            elif line.startswith("-"):
                fault.find.append(line[2:])
            elif line.startswith("+"):
                fault.into.append(line[2:])
            elif line.startswith("native:"):
                fault.native = line[7:].strip()
            elif line.startswith("wine:"):
                fault.wine = line[5:].strip()
            else:
                sys.exit(f"{list_path}:{number}: cannot read '{line}'")
    for fault in faults:
        if not fault.find or not (fault.native or fault.wine):
            sys.exit(f"{list_path}:{fault.line}: a fault needs '-' text and the tests to run")
    return faults


def run(command, timeout=None, cwd=None):
    try:
        done = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout, text=True, errors="replace")
        return done.returncode, done.stdout
    except subprocess.TimeoutExpired as expired:
        return -1, (expired.stdout or "") if isinstance(expired.stdout, str) else ""


def check(command, what):
    code, output = run(command)
    if code != 0:
        sys.exit(f"{what} failed:\n{output[-4000:]}")


def prepare_tree():
    """The commit checked out in the copy, and the working tree's changes on top."""
    if not os.path.isdir(os.path.join(TREE, ".git")):
        shutil.rmtree(TREE, ignore_errors=True)
        check(["git", "clone", "-q", "--shared", ROOT, TREE], "cloning the tree")
    head = subprocess.run(["git", "-C", ROOT, "rev-parse", "HEAD"], stdout=subprocess.PIPE, text=True).stdout.strip()
    check(["git", "-C", TREE, "fetch", "-q", ROOT, head], "fetching the commit")
    check(["git", "-C", TREE, "reset", "-q", "--hard", head], "checking out the commit")
    check(["git", "-C", TREE, "clean", "-q", "-fdx"], "cleaning the copy")
    diff = subprocess.run(["git", "-C", ROOT, "diff", "--binary", "HEAD"], stdout=subprocess.PIPE).stdout
    if diff:
        applied = subprocess.run(["git", "-C", TREE, "apply", "--whitespace=nowarn"], input=diff)
        if applied.returncode != 0:
            sys.exit("the working tree's changes do not apply to the copy")


def configure(width):
    check(["cmake", "-S", TREE, "-B", NATIVE, "-DCMAKE_BUILD_TYPE=Debug", "-DPALLO_SANITIZE=OFF"],
          "configuring the native build")
    windows = windows_dir(width)
    arch = "i686" if width == "32" else "x86_64"
    check(["cmake", "-S", TREE, "-B", windows, f"-DCMAKE_TOOLCHAIN_FILE={TREE}/cmake/mingw-{arch}.cmake",
           "-DCMAKE_BUILD_TYPE=Release", f"-DPALLO_HOST_TOOLS={NATIVE}/bin"], "configuring the Windows build")


def windows_dir(width):
    return os.path.join(WORK, "win" + width)


def build(directory, target=None):
    command = ["cmake", "--build", directory, f"-j{os.cpu_count()}"]
    if target:
        command += ["--target", target]
    return run(command)[0] == 0


def build_for(fault, width):
    """False when the fault does not build. The native tools feed the Windows
    build (the content archive), so they are built first either way."""
    if not build(NATIVE):
        return False
    return not fault.wine or build(windows_dir(width))


def passes(fault, width):
    """(passed, what ran): the fault's tests against the current build."""
    if fault.native:
        code, _ = run([os.path.join(NATIVE, "bin", "native_tests"), f"--gtest_filter={fault.native}"],
                      timeout=TEST_TIMEOUT, cwd=NATIVE)
        if code != 0:
            return False, "native"
    if fault.wine:
        code, _ = run(["ctest", "--test-dir", windows_dir(width), "-R", fault.wine, "--stop-on-failure",
                       "--no-tests=error", "--timeout", str(TEST_TIMEOUT)])
        if code != 0:
            return False, "wine"
    return True, ""


def apply(fault):
    path = os.path.join(TREE, fault.path)
    with open(path, encoding="utf-8") as source:
        text = source.read()
    find, into = "\n".join(fault.find), "\n".join(fault.into)
    count = text.count(find)
    if count != 1:
        return f"its text occurs {count} times in {fault.path}"
    with open(path, "w", encoding="utf-8") as target:
        target.write(text.replace(find, into))
    return None


def restore(fault):
    check(["git", "-C", TREE, "checkout", "-q", "--", fault.path], "restoring " + fault.path)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--width", choices=["32", "64"], required=True, help="the Windows build the Wine tests use")
    parser.add_argument("--only", default="", help="run only faults whose file or title contains this")
    parser.add_argument("--list", default=os.path.join(ROOT, "tests", "mutants.txt"))
    parser.add_argument("--build-only", action="store_true",
                        help="make the copy and build it, before Wine is started with its programs")
    args = parser.parse_args()

    faults = [f for f in parse(args.list) if args.only in f.name()]
    started = time.monotonic()
    if args.build_only:
        prepare_tree()
        configure(args.width)
        print(f"== building the copy", flush=True)
        if not build(NATIVE) or not build(windows_dir(args.width)):
            sys.exit("the copy does not build without faults")
        return
    for fault in faults:
        ok, where = passes(fault, args.width)
        if not ok:
            sys.exit(f"{fault.name()}: its {where} tests fail without the fault (list line {fault.line})")
    print(f"== every fault's tests pass without it ({time.monotonic() - started:.0f} s)", flush=True)

    killed, survived, rejected = [], [], []
    for index, fault in enumerate(faults, 1):
        begun = time.monotonic()
        problem = apply(fault)
        if problem:
            sys.exit(f"list line {fault.line}: {problem}")
        try:
            if not build_for(fault, args.width):
                verdict, where = "rejected", ""
                rejected.append(fault)
            else:
                ok, where = passes(fault, args.width)
                verdict = "SURVIVED" if ok else "killed"
                (survived if ok else killed).append(fault)
        finally:
            restore(fault)
        detail = f" by {where}" if where else ""
        print(f"[{index:3}/{len(faults)}] {verdict:8} {fault.name()}{detail} ({time.monotonic() - begun:.0f} s)",
              flush=True)

    # The last fault's restored file is built back, so the copy stays usable.
    build(NATIVE)
    counted = len(killed) + len(survived)
    print("== survivors")
    for fault in survived:
        print(f"   {fault.name()} (list line {fault.line})")
    if rejected:
        print(f"== {len(rejected)} rejected by the compiler (not counted): " +
              "; ".join(f.name() for f in rejected))
    rate = 100.0 * len(killed) / counted if counted else 0.0
    minutes = (time.monotonic() - started) / 60
    print(f"== kill rate {len(killed)}/{counted} = {rate:.1f} % in {minutes:.1f} minutes ({args.width}-bit Wine tests)")


if __name__ == "__main__":
    main()
