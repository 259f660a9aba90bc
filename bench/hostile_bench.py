#!/usr/bin/env python3
"""The hostile inputs of tests/support/hostile_inputs.py against one or two
builds: for each case, each program's exit code, wall time, peak resident
size and first line of standard error, under an address-space limit (1 GiB
by default, as `ulimit -v 1048576`) and a time limit.

    python3 bench/hostile_bench.py [--before DIR] [--after DIR]
        [--cases NAME...] [--limit-kb 1048576] [--timeout 300]

DIR is a build folder holding hotfixes-baseline and hotfixes-table (the
default --after is build/native; --before is left out unless given, e.g.
the build of an older commit). The inputs are written once per case under
build/bench-hostile/CASE/ and removed after it. Peak resident size is GNU
time's %M (Debian package "time"). A benchmark, not a test: it prints
numbers and what each program answered, and asserts nothing.
"""

import argparse
import os
import resource
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(REPO / "tests" / "support"))
import hostile_inputs  # noqa: E402

PROGRAMS = {"baseline": "hotfixes-baseline", "table": "hotfixes-table"}


def run(program, arguments, folder, limit_kb, timeout):
    def limit():
        size = limit_kb * 1024
        resource.setrlimit(resource.RLIMIT_AS, (size, size))
    with tempfile.NamedTemporaryFile("r") as timing, \
            open(folder / "stdout", "wb") as out, \
            open(folder / "stderr", "wb") as err:
        command = ["/usr/bin/time", "-f", "%e %M", "-o", timing.name,
                   str(program)] + arguments
        try:
            completed = subprocess.run(command, cwd=folder, stdout=out,
                                       stderr=err, stdin=subprocess.DEVNULL,
                                       timeout=timeout, preexec_fn=limit)
            code = completed.returncode
        except subprocess.TimeoutExpired:
            return {"exit": "timeout", "seconds": timeout, "peak_mb": None,
                    "output": 0, "error": ""}
        fields = timing.read().split()
    errors = (folder / "stderr").read_bytes().split(b"\n")
    first = errors[0].decode("utf-8", "replace").rstrip("\r")
    more = len([line for line in errors[1:] if line.strip()])
    if more:
        first += "  (+%d lines)" % more
    return {"exit": code, "seconds": float(fields[-2]),
            "peak_mb": int(fields[-1]) / 1024.0,
            "output": (folder / "stdout").stat().st_size, "error": first}


def show(result):
    if result is None:
        return "-"
    if result["exit"] == "timeout":
        return "timeout after %ds" % result["seconds"]
    return "exit %s, %.2f s, %.0f MB, output %d B" % (
        result["exit"], result["seconds"], result["peak_mb"],
        result["output"])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--before", help="an older build folder")
    parser.add_argument("--after", default=str(REPO / "build" / "native"))
    parser.add_argument("--cases", nargs="*")
    parser.add_argument("--limit-kb", type=int, default=1048576)
    parser.add_argument("--timeout", type=int, default=300)
    arguments = parser.parse_args()
    builds = [("before", arguments.before), ("after", arguments.after)]
    builds = [(name, Path(folder)) for name, folder in builds if folder]
    work = REPO / "build" / "bench-hostile"
    print("limit: %d KiB of address space, %d s" % (arguments.limit_kb,
                                                    arguments.timeout))
    for name, program, make, want_code, want_error in hostile_inputs.CASES:
        if arguments.cases and name not in arguments.cases:
            continue
        folder = work / name
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        argv = make(str(folder), "full")
        size = sum(f.stat().st_size for f in folder.rglob("*") if f.is_file())
        print("\n%s: %s (%d bytes of input; wanted: exit %d%s)" % (
            name, " ".join(argv), size, want_code,
            ", \"%s\"" % want_error if want_error else ""))
        for build, path in builds:
            result = run(path / PROGRAMS[program], argv, folder,
                         arguments.limit_kb, arguments.timeout)
            print("  %-6s %s" % (build, show(result)))
            if result["error"]:
                print("         %s" % result["error"][:160])
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
