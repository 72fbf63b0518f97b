#!/usr/bin/python3
"""Runs the deliberate faults of tests/mutants.txt against the tests.

Each fault is applied alone to a copy of the tree (build/mutants/tree: the
commit checked out, plus the working tree's uncommitted changes), the copy is
built incrementally, and the tests named for the fault run: native tests in
one process through a GoogleTest filter, Wine tests one process each, the
quickest first, until one fails. A fault is killed when a named test fails,
survives when all pass, and does not count when the compiler rejects it.

./dev mutants builds the copy, starts the display and the Wine prefix and
runs this; the last lines give the survivors and the kill rate, and
build/mutants/results.tsv holds every verdict.

The list, one fault a block:
    == path/of/file.cpp: what the fault does
    - text that occurs exactly once in the file
    + what replaces it (nothing after "+" deletes it)
    native: GoogleTest filter of the native tests
    wine: GoogleTest filter of the Wine tests
Several "-" or "+" lines stand for lines of one text, joined by newlines.
Lines starting with "#" are comments.
"""
import argparse
import dataclasses
import fnmatch
import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WORK = os.path.join(ROOT, "build", "mutants")
TREE = os.path.join(WORK, "tree")
NATIVE = os.path.join(WORK, "native")
# A fault's file while it is applied: a run cut short there is mended next time.
APPLIED = os.path.join(WORK, "applied")
NATIVE_TIMEOUT = 300


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


def run(command, timeout=None, cwd=None, env=None):
    """(exit code, output); -1 when the command ran out of time. Whatever it
    started in its group goes with it. The output goes to a file, not a pipe:
    a program it started that outlives it (a module a faulty test left
    running) would hold a pipe open, and the run would wait for ever."""
    with tempfile.TemporaryFile("w+", encoding="utf-8", errors="replace") as output:
        process = subprocess.Popen(command, cwd=cwd, env=env, stdout=output, stderr=subprocess.STDOUT,
                                   start_new_session=True)
        try:
            code = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            code = -1
        output.seek(0)
        return code, output.read()


def check(command, what):
    code, output = run(command)
    if code != 0:
        sys.exit(f"{what} failed:\n{output[-4000:]}")


def git(*arguments):
    return ["git", "-C", TREE, *arguments]


def prepare_tree():
    """The commit checked out in the copy, and the working tree's changes on top."""
    if not os.path.isdir(os.path.join(TREE, ".git")):
        shutil.rmtree(TREE, ignore_errors=True)
        check(["git", "clone", "-q", "--shared", ROOT, TREE], "cloning the tree")
    head = subprocess.run(["git", "-C", ROOT, "rev-parse", "HEAD"], stdout=subprocess.PIPE, text=True).stdout.strip()
    check(git("fetch", "-q", ROOT, head), "fetching the commit")
    check(git("reset", "-q", "--hard", head), "checking out the commit")
    check(git("clean", "-q", "-fdx"), "cleaning the copy")
    diff = subprocess.run(["git", "-C", ROOT, "diff", "--binary", "HEAD"], stdout=subprocess.PIPE).stdout
    if diff:
        applied = subprocess.run(git("apply", "--whitespace=nowarn"), input=diff)
        if applied.returncode != 0:
            sys.exit("the working tree's changes do not apply to the copy")
    # A run cut short while a fault was applied may have left its objects
    # behind a source file that looks older: that file is built anew.
    if os.path.exists(APPLIED):
        with open(APPLIED, encoding="utf-8") as marker:
            path = os.path.join(TREE, marker.read().strip())
        if os.path.exists(path):
            os.utime(path)
        os.remove(APPLIED)


def windows_dir(width):
    return os.path.join(WORK, "win" + width)


def configure_native():
    check(["cmake", "-S", TREE, "-B", NATIVE, "-DCMAKE_BUILD_TYPE=Debug", "-DPALLO_SANITIZE=OFF"],
          "configuring the native build")


def configure_windows(width):
    """After the native build: the Windows build's configuration looks for its tools."""
    arch = "i686" if width == "32" else "x86_64"
    check(["cmake", "-S", TREE, "-B", windows_dir(width), f"-DCMAKE_TOOLCHAIN_FILE={TREE}/cmake/mingw-{arch}.cmake",
           "-DCMAKE_BUILD_TYPE=Release", f"-DPALLO_HOST_TOOLS={NATIVE}/bin"], "configuring the Windows build")


def jobs():
    return f"-j{min(os.cpu_count() or 1, 2)}"


def build_native():
    return run(["cmake", "--build", NATIVE, jobs()])


def build_windows(width):
    return run(["cmake", "--build", windows_dir(width), jobs(), "--target", "wine_tests"])


def needs_native_build(fault):
    """The native tools feed the Windows build (the content archive), so they
    are built first wherever the file can reach them."""
    return bool(fault.native) or not fault.path.endswith(("_win.cpp", "_win.h"))


# --- the tests -----------------------------------------------------------------

def native_passes(test_filter):
    code, output = run([os.path.join(NATIVE, "bin", "native_tests"), f"--gtest_filter={test_filter}"],
                       timeout=NATIVE_TIMEOUT, cwd=NATIVE)
    return code == 0, output


def wine_test_names(width):
    code, output = run([os.environ.get("WINELOADER", "wine"), os.path.join(windows_dir(width), "bin", "wine_tests.exe"),
                        "--gtest_list_tests"], timeout=120)
    if code != 0:
        sys.exit(f"listing the Wine tests failed:\n{output[-2000:]}")
    names, suite = [], ""
    for line in output.splitlines():
        if not line.strip() or line.startswith(" " * 4):
            continue
        if not line.startswith(" "):
            suite = line.split("#")[0].strip()
        else:
            names.append(suite + line.split("#")[0].strip())
    return names


def matches(name, test_filter):
    """GoogleTest's filter: patterns separated by ':', negative ones after '-'."""
    positive, _, negative = test_filter.partition("-")
    wanted = any(fnmatch.fnmatchcase(name, p) for p in positive.split(":") if p) if positive else True
    return wanted and not any(fnmatch.fnmatchcase(name, p) for p in negative.split(":") if p)


def run_wine_test(width, name, timeout):
    started = time.monotonic()
    tests = os.path.join(windows_dir(width), "tests", "wine")
    env = None
    if name.startswith("SoundUnderWine"):  # as CTest runs them: the sound device writes to a file
        env = dict(os.environ, ALSA_CONFIG_PATH=os.path.join(tests, "sound", "capture.conf"))
    if name.startswith("ControlModuleRun.TheCalendars"):  # as its second CTest run: a wall clock ahead of UTC
        env = dict(os.environ, TZ="Asia/Yekaterinburg")
    code, output = run([os.environ.get("WINELOADER", "wine"), os.path.join(windows_dir(width), "bin", "wine_tests.exe"),
                        f"--gtest_filter={name}"], timeout=timeout, cwd=tests, env=env)
    # A test that is skipped where it cannot run counts as passed.
    return code == 0, time.monotonic() - started, output


class WineTests:
    """The Wine tests, timed: each run's durations order the next run's tests,
    the quickest first."""

    def __init__(self, width):
        self.width = width
        self.names = wine_test_names(width)
        self.times = os.path.join(WORK, f"wine-seconds{width}.tsv")
        self.seconds = {}
        if os.path.exists(self.times):
            with open(self.times, encoding="utf-8") as table:
                for line in table:
                    name, _, seconds = line.rstrip("\n").partition("\t")
                    if seconds.replace(".", "", 1).isdigit():
                        self.seconds[name] = float(seconds)

    def select(self, test_filter):
        chosen = [name for name in self.names if matches(name, test_filter)]
        return sorted(chosen, key=lambda name: self.seconds.get(name, 30))

    def run(self, name, timeout=None):
        ok, seconds, output = run_wine_test(self.width, name, timeout or max(60, 4 * self.seconds.get(name, 60)))
        if ok:
            self.seconds[name] = seconds
        return ok, output

    def first_failure(self, tests):
        for name in tests:
            if not self.run(name)[0]:
                return name
        return None

    def save(self):
        with open(self.times, "w", encoding="utf-8") as table:
            for name, seconds in sorted(self.seconds.items()):
                table.write(f"{name}\t{seconds:.1f}\n")


# --- applying a fault ------------------------------------------------------------

def objects_of(path):
    """The object files compiled from the source in both builds."""
    base = os.path.basename(path)
    found = []
    for build in (NATIVE, windows_dir("32"), windows_dir("64")):
        for candidate in glob.glob(os.path.join(build, "**", f"{base}.o*"), recursive=True):
            if not candidate.endswith((".o", ".obj")):
                continue
            inside = candidate.split(".dir/", 1)[-1].rsplit(".", 1)[0]
            if path == inside or path.endswith("/" + inside):
                found.append(candidate)
    return found


class Applied:
    """The fault in the copy's source; on leaving, the source and the object
    files as they were, so that nothing is compiled only to take it back."""

    def __init__(self, fault):
        self.fault = fault
        self.path = os.path.join(TREE, fault.path)
        self.saved = []

    def __enter__(self):
        with open(self.path, encoding="utf-8") as source:
            text = source.read()
        find, into = "\n".join(self.fault.find), "\n".join(self.fault.into)
        count = text.count(find)
        if count != 1:
            raise ValueError(f"its text occurs {count} times in {self.fault.path}")
        self.mtime = os.stat(self.path).st_mtime_ns
        if not self.fault.path.endswith(".h"):
            for index, obj in enumerate(objects_of(self.fault.path)):
                copy = os.path.join(WORK, f"saved-{index}.o")
                shutil.copy2(obj, copy)
                self.saved.append((obj, copy, os.stat(obj).st_mtime_ns))
        with open(APPLIED, "w", encoding="utf-8") as marker:
            marker.write(self.fault.path)
        with open(self.path, "w", encoding="utf-8") as target:
            target.write(text.replace(find, into))
        return self

    def __exit__(self, *_):
        check(git("checkout", "-q", "--", self.fault.path), "restoring " + self.fault.path)
        if self.saved:
            os.utime(self.path, ns=(self.mtime, self.mtime))
            for obj, copy, built in self.saved:
                if os.path.exists(obj) and os.stat(obj).st_mtime_ns == built:
                    os.remove(copy)  # not compiled with the fault
                    continue
                shutil.move(copy, obj)
                os.utime(obj)  # newer than the libraries and programs made from the fault
        os.remove(APPLIED)


def check_texts(faults):
    problems = []
    for fault in faults:
        path = os.path.join(TREE, fault.path)
        if not os.path.exists(path):
            problems.append(f"list line {fault.line}: no file {fault.path}")
            continue
        with open(path, encoding="utf-8") as source:
            count = source.read().count("\n".join(fault.find))
        if count != 1:
            problems.append(f"list line {fault.line}: its text occurs {count} times in {fault.path}")
    if problems:
        sys.exit("\n".join(problems))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--width", choices=["32", "64"], required=True, help="the Windows build the Wine tests use")
    parser.add_argument("--only", default="", help="run only faults whose file or title contains this (or any of texts split by |)")
    parser.add_argument("--list", default=os.path.join(ROOT, "tests", "mutants.txt"))
    parser.add_argument("--build-only", action="store_true",
                        help="make the copy and build it, before Wine is started with its programs")
    args = parser.parse_args()

    started = time.monotonic()
    if args.build_only:
        prepare_tree()
        configure_native()
        print("== building the copy", flush=True)
        code, output = build_native()
        if code == 0:
            configure_windows(args.width)
            code, output = build_windows(args.width)
        if code != 0:
            sys.exit(f"the copy's build fails without faults:\n{output[-4000:]}")
        return

    faults = [f for f in parse(args.list) if any(text in f.name() for text in args.only.split("|"))]
    check_texts(faults)
    native_filter = ":".join(f.native for f in faults if f.native)
    if native_filter:
        ok, output = native_passes(native_filter)
        if not ok:
            sys.exit(f"native tests fail without any fault:\n{output[-3000:]}")
    wine = WineTests(args.width)
    for fault in faults:
        if fault.wine and not wine.select(fault.wine):
            sys.exit(f"list line {fault.line}: no Wine test matches '{fault.wine}'")
    print(f"== {len(faults)} faults; the native tests pass without them ({time.monotonic() - started:.0f} s)",
          flush=True)

    results = []
    for index, fault in enumerate(faults, 1):
        begun = time.monotonic()
        killer = ""
        with Applied(fault):
            verdict = "SURVIVED"
            if needs_native_build(fault) and build_native()[0] != 0:
                verdict = "rejected"
            elif fault.native and not native_passes(fault.native)[0]:
                verdict, killer = "killed", "native"
            elif fault.wine:
                if build_windows(args.width)[0] != 0:
                    verdict = "rejected"
                else:
                    failed = wine.first_failure(wine.select(fault.wine))
                    if failed:
                        verdict, killer = "killed", failed
        seconds = time.monotonic() - begun
        results.append([fault, verdict, killer, seconds])
        detail = f" by {killer}" if killer else ""
        print(f"[{index:3}/{len(faults)}] {verdict:8} {fault.name()}{detail} ({seconds:.0f} s)", flush=True)
        wine.save()

    # The faultless programs again. A Wine test that killed a fault must pass
    # on them; where it does not, its kills are not counted.
    build_native()
    build_windows(args.width)
    killers = sorted({killer for _, verdict, killer, _ in results if verdict == "killed" and killer != "native"})
    print(f"== {len(killers)} Wine tests killed faults; each runs once more without any fault", flush=True)
    for name in killers:
        ok, output = wine.run(name, 300)
        if not ok and not wine.run(name, 300)[0]:
            print(f"   {name} fails without any fault: its kills do not count\n{output[-1500:]}", flush=True)
            for result in results:
                if result[2] == name:
                    result[1] = "unsure"
    wine.save()

    with open(os.path.join(WORK, "results.tsv"), "w", encoding="utf-8") as table:
        for fault, verdict, killer, seconds in results:
            table.write(f"{verdict}\t{fault.path}\t{fault.title}\t{killer}\t{seconds:.0f}\n")
    killed = [f for f, v, _, _ in results if v == "killed"]
    survived = [f for f, v, _, _ in results if v == "SURVIVED"]
    print("== survivors")
    for fault in survived:
        print(f"   {fault.name()} (list line {fault.line})")
    for verdict, what in (("rejected", "rejected by the compiler"), ("unsure", "killed only by a failing test")):
        left = [f.name() for f, v, _, _ in results if v == verdict]
        if left:
            print(f"== {len(left)} {what} (not counted): " + "; ".join(left))
    counted = len(killed) + len(survived)
    rate = 100.0 * len(killed) / counted if counted else 0.0
    minutes = (time.monotonic() - started) / 60
    print(f"== kill rate {len(killed)}/{counted} = {rate:.1f} % in {minutes:.1f} minutes "
          f"({args.width}-bit Wine tests)")


if __name__ == "__main__":
    main()
