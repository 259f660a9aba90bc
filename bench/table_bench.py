#!/usr/bin/env python3
"""hotfixes-table over a fleet's folder of reports: its speed against
reading the same bytes (cat) and against a plain Python script doing the
same parse (table_baseline.py), and its memory as the fleet grows; and
the same table judged by a baseline of --requirements requirements, whose
rules give every report's Windows a mix of verdicts, against the table
without one.

    python3 bench/table_bench.py [--reports 10000] [--hotfixes 100]
                                 [--requirements 300] [--rounds 5]

Configures build/bench-table (native, Release) unless it exists and brings
the program up to date, writes the reports once into
build/bench-table/fleet-N-H-vV (kept for later runs), and the baseline
beside them on every run. Checks that the program takes the baseline,
reads every file once to warm the cache, then runs each command --rounds
times in an order that rotates from round to round, standard output and
standard error /dev/null. Prints the median wall times, their ratios
(targets: at most 3x cat, at most 1/3 of the Python script, with the
baseline at most 1.5x without), and the peak resident size of the program
(GNU time, Debian package "time") at a tenth of the fleet, the whole
fleet, and a tenth with every comment ten times as long (ten times the
bytes, the same rows and names), and with the baseline at a tenth and the
whole fleet.

A benchmark, not a test: it prints numbers and asserts nothing.
"""

import argparse
import collections
import csv
import io
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
# Raise it whenever write_fleet writes other reports: the fleets kept in
# build/bench-table are found by their folder's name alone.
FLEET_VERSION = 2
# The OS lines of the reports, in the forms the report program writes,
# each with the Windows name and service pack a baseline's rule gives.
OS_LINES = [
    "Windows NT Workstation 4.0Service Pack 6a (Build 1381)",
    "Windows 2000 Service Pack 4 (Build 2195)",
    "Windows XP Professional Service Pack 3 (Build 2600)",
    "Windows .NET Server 2003 family, Standard Edition Service Pack 2 "
    "(Build 3790)",
]
RELEASES = [("Windows NT 4.0", 6), ("Windows 2000", 4), ("Windows XP", 3),
            ("Windows Server 2003", 2)]


def build_program():
    """The program as the sources are now: the build is incremental, so a
    program that is up to date costs next to nothing."""
    if not (BUILD / "CMakeCache.txt").exists():
        subprocess.run(["cmake", "-S", str(REPO), "-B", str(BUILD), "-G",
                        "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                        "-DHOTFIXES_TESTS=OFF"], check=True,
                       stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(BUILD), "--parallel", "2",
                    "--target", "hotfixes-table"], check=True,
                   stdout=subprocess.DEVNULL)
    return BUILD / "hotfixes-table"


def fleet_folder(reports, hotfixes, suffix=""):
    return BUILD / ("fleet-%d-%d%s-v%d" % (reports, hotfixes, suffix,
                                           FLEET_VERSION))


def hotfix_pool(hotfixes):
    """The hotfix numbers the machines' sets are drawn from: each machine
    has a third of them."""
    return [835732 + 37 * i for i in range(hotfixes * 3)]


def write_fleet(folder, reports, hotfixes, comment_repeat=1):
    """A fleet of machines with overlapping sets of realistic hotfixes."""
    if folder.exists():
        return folder
    folder.mkdir(parents=True)
    random.seed(reports * 1000 + hotfixes)
    pool = hotfix_pool(hotfixes)
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


def level_name(windows, level):
    return "SP6a" if windows == "Windows NT 4.0" and level == 6 else \
        "SP%d" % level


def release_rules(windows, level, pool, rng):
    """One requirement's rules for one Windows, whose machines in the fleet
    are at service pack `level`, the highest there is: most ask for fixes
    from the fleet's pool there, the others say "no update", "in service
    pack" or "not affected". The ranges split the levels at a random one,
    so no two rules overlap."""
    def fixes():
        return " ".join("KB%d" % number
                        for number in rng.sample(pool, rng.randint(1, 3)))

    split = rng.randint(1, level)
    below = "%s SP0" % windows if split == 1 else \
        "%s SP0-%s" % (windows, level_name(windows, split - 1))
    above = "%s %s+" % (windows, level_name(windows, split))
    kind = rng.choices(["fixes", "fixes above", "in service pack",
                        "no update", "not affected"],
                       weights=[30, 30, 20, 14, 6])[0]
    if kind == "fixes":
        return [(windows, fixes())]
    if kind == "fixes above":
        return [(below, "no update"), (above, fixes())]
    if kind == "in service pack":
        return [(below, fixes()), (above, "in service pack")]
    if kind == "no update":  # a fix for the older levels only
        return [(below, fixes()), (above, "no update")]
    return [(windows, "not affected")]


def write_baseline(path, requirements, hotfixes):
    """A baseline of requirements with rules for each Windows of the
    fleet, the same for the same arguments."""
    rng = random.Random(requirements * 1000 + hotfixes)
    pool = hotfix_pool(hotfixes)
    lines = ["# hotfixes-table benchmark: %d requirements, fixes drawn from"
             " the fleet's %d" % (requirements, len(pool))]
    for number in range(1, requirements + 1):
        lines += ["", "[B%03d] Requirement %d of the benchmark" % (number,
                                                                  number)]
        for windows, level in RELEASES:
            lines += ["%-31s %s" % rule
                      for rule in release_rules(windows, level, pool, rng)]
    path.write_text("\n".join(lines) + "\n", encoding="utf-8")
    return path


def check_baseline(argv):
    """Runs the program with the baseline once; stops on a usage error,
    which a baseline that does not read gives, and prints its verdicts."""
    completed = subprocess.run(argv, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, check=False)
    if completed.returncode not in (0, 1, 3):
        sys.stderr.write(completed.stderr.decode("utf-8", "replace"))
        sys.exit("%s failed with exit code %d" % (argv[0],
                                                  completed.returncode))
    rows = csv.DictReader(io.StringIO(completed.stdout.decode("utf-8"),
                                      newline=""))
    states = collections.Counter(row["state"] for row in rows)
    print("verdicts on a tenth: %s" % ", ".join(
        "%s %d" % item for item in sorted(states.items())))


def run_once(argv):
    """Wall seconds of one run."""
    with open(os.devnull, "wb") as null:
        started = time.perf_counter()
        code = subprocess.run(argv, stdout=null, stderr=null,
                              check=False).returncode
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
    parser.add_argument("--requirements", type=int, default=300)
    parser.add_argument("--rounds", type=int, default=5)
    arguments = parser.parse_args()

    program = build_program()
    fleet = write_fleet(fleet_folder(arguments.reports, arguments.hotfixes),
                        arguments.reports, arguments.hotfixes)
    tenth = write_fleet(fleet_folder(arguments.reports // 10,
                                     arguments.hotfixes),
                        arguments.reports // 10, arguments.hotfixes)
    baseline = write_baseline(
        BUILD / ("baseline-%d-%d.txt" % (arguments.requirements,
                                         arguments.hotfixes)),
        arguments.requirements, arguments.hotfixes)
    files = sorted(str(path) for path in fleet.iterdir())
    total = sum(os.path.getsize(path) for path in files)
    print("%d reports, %d hotfixes each, %.1f MB; a baseline of %d "
          "requirements" % (len(files), arguments.hotfixes, total / 1e6,
                            arguments.requirements))
    judged = [str(program), "--baseline", str(baseline)]
    check_baseline(judged + [str(tenth)])

    commands = {
        "cat": ["cat"] + files,
        "hotfixes-table": [str(program), str(fleet)],
        "with baseline": judged + [str(fleet)],
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
    print("with baseline / hotfixes-table: %.2fx (target <= 1.5)" %
          (medians["with baseline"] / medians["hotfixes-table"]))

    long_comments = write_fleet(
        fleet_folder(arguments.reports // 10, arguments.hotfixes, "-long"),
        arguments.reports // 10, arguments.hotfixes, comment_repeat=10)
    for label, options, folder in (
            ("a tenth of the fleet", [], tenth),
            ("the whole fleet", [], fleet),
            ("a tenth, comments 10x long", [], long_comments),
            ("a tenth, with baseline", judged[1:], tenth),
            ("the whole fleet, baseline", judged[1:], fleet)):
        for fmt in ("csv", "html"):
            rss = peak_resident([str(program), "--format", fmt] + options +
                                [str(folder)])
            print("peak resident, %-27s %-4s %7.1f MB" % (label, fmt,
                                                        rss / 1024))


if __name__ == "__main__":
    main()
