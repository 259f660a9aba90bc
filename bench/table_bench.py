#!/usr/bin/env python3
"""hotfixes-table over a fleet's folder of reports: its speed against
reading the same bytes (cat) and against a plain Python script doing the
same parse (table_baseline.py), and its memory as the fleet grows.

    python3 bench/table_bench.py [--reports 10000] [--hotfixes 100] [--rounds 5]

Builds build/bench-table (native, Release) unless it exists, writes the
reports once into build/bench-table/fleet-N (kept for later runs), reads
every file once to warm the cache, then runs each command --rounds times
in an order that rotates from round to round, standard output /dev/null.
Prints the median wall times, their ratios (targets: at most 3x cat, at
most 1/3 of the Python script), and the peak resident size of the program
(GNU time, Debian package "time") at a tenth of the fleet, the whole
fleet, and a tenth with every comment ten times as long (ten times the
bytes, the same rows and names).

A benchmark, not a test: it prints numbers and asserts nothing.
"""

import argparse
import os
import random
import statistics
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
BUILD = REPO / "build" / "bench-table"
WRITTEN = 1796119205  # 2026-12-01T10:00:05Z
OS_LINES = [
    "Windows NT Workstation 4.0Service Pack 6a (Build 1381)",
    "Windows 2000 Service Pack 4 (Build 2195)",
    "Windows XP Professional Service Pack 3 (Build 2600)",
    "Windows Server 2003 Standard Edition Service Pack 2 (Build 3790)",
]


def build_program():
    program = BUILD / "hotfixes-table"
    if not program.exists():
        subprocess.run(["cmake", "-S", str(REPO), "-B", str(BUILD), "-G",
                        "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                        "-DHOTFIXES_TESTS=OFF"], check=True,
                       stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", str(BUILD), "--target",
                        "hotfixes-table"], check=True,
                       stdout=subprocess.DEVNULL)
    return program


def write_fleet(folder, reports, hotfixes, comment_repeat=1):
    """A fleet of machines with overlapping sets of realistic hotfixes."""
    if folder.exists():
        return folder
    folder.mkdir(parents=True)
    random.seed(reports * 1000 + hotfixes)
    pool = [835732 + 37 * i for i in range(hotfixes * 3)]
    for machine in range(reports):
        names = sorted(random.sample(pool, hotfixes))
        lines = ["Hotfix inventory for Windows NT",
                 "hotfixes.exe Ver.0.6.12.21", "",
                 OS_LINES[machine % len(OS_LINES)], ""]
        for number in names:
            comment = ("Security Update for Windows XP (KB%d)" % number) * \
                comment_repeat
            lines.append("[KB%d] %s" % (number, comment))
        lines += ["", "Found %d Hot-Fix" % len(names)]
        path = folder / ("PC%05d.txt" % machine)
        path.write_bytes(("\r\n".join(lines) + "\r\n").encode("cp1252"))
        os.utime(path, (WRITTEN, WRITTEN))
    return folder


def run_once(argv):
    """Wall seconds of one run."""
    with open(os.devnull, "wb") as null:
        started = time.perf_counter()
        code = subprocess.run(argv, stdout=null, check=False).returncode
        elapsed = time.perf_counter() - started
    if code not in (0, 1, 3):
        sys.exit("%s failed" % argv[0])
    return elapsed


def peak_resident(argv):
    """Peak resident kilobytes of one run, as GNU time measures it: a child
    forked from this Python process would count the parent's pages too."""
    with open(os.devnull, "wb") as null:
        completed = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv,
                                   stdout=null, stderr=subprocess.PIPE,
                                   check=False)
    return int(completed.stderr.split()[-1])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--reports", type=int, default=10000)
    parser.add_argument("--hotfixes", type=int, default=100)
    parser.add_argument("--rounds", type=int, default=5)
    arguments = parser.parse_args()

    program = build_program()
    fleet = write_fleet(BUILD / ("fleet-%d-%d" % (arguments.reports,
                                                   arguments.hotfixes)),
                        arguments.reports, arguments.hotfixes)
    files = sorted(str(path) for path in fleet.iterdir())
    total = sum(os.path.getsize(path) for path in files)
    print("%d reports, %d hotfixes each, %.1f MB" % (
        len(files), arguments.hotfixes, total / 1e6))

    commands = {
        "cat": ["cat"] + files,
        "hotfixes-table": [str(program), str(fleet)],
        "python script": [sys.executable,
                          str(REPO / "bench" / "table_baseline.py"),
                          str(fleet)],
    }
    for argv in commands.values():
        run_once(argv)  # warm the cache and the programs
    times = {name: [] for name in commands}
    names = list(commands)
    for round_number in range(arguments.rounds):
        order = names[round_number % len(names):] + \
            names[:round_number % len(names)]
        for name in order:
            times[name].append(run_once(commands[name]))
    medians = {name: statistics.median(values)
               for name, values in times.items()}
    for name in names:
        print("%-15s median %.3f s  (%s)" % (
            name, medians[name],
            " ".join("%.3f" % value for value in times[name])))
    print("hotfixes-table / cat:           %.2fx (target <= 3)" %
          (medians["hotfixes-table"] / medians["cat"]))
    print("hotfixes-table / python script: %.2fx (target <= 0.33)" %
          (medians["hotfixes-table"] / medians["python script"]))

    tenth = write_fleet(BUILD / ("fleet-%d-%d" % (arguments.reports // 10,
                                                   arguments.hotfixes)),
                        arguments.reports // 10, arguments.hotfixes)
    long_comments = write_fleet(
        BUILD / ("fleet-%d-%d-long" % (arguments.reports // 10,
                                       arguments.hotfixes)),
        arguments.reports // 10, arguments.hotfixes, comment_repeat=10)
    for label, folder in (("a tenth of the fleet", tenth),
                          ("the whole fleet", fleet),
                          ("a tenth, comments 10x long", long_comments)):
        for fmt in ("csv", "html"):
            rss = peak_resident([str(program), "--format", fmt, str(folder)])
            print("peak resident, %-27s %-4s %7.1f MB" % (label, fmt,
                                                        rss / 1024))


if __name__ == "__main__":
    main()
