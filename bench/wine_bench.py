#!/usr/bin/env python3
"""Wall time of the whole hotfix report under Wine, against two yardsticks.

In a Wine prefix of its own, seeds 10,000 hotfix keys (each with a
70-character "Comments" text) through one generated .reg file, then runs,
paired and interleaved in every round, with standard output a pipe:

  report     hotfixes.exe
  reg query  reg query "HKLM\\...\\HotFix" /s
  bare loop  bare_loop.exe, the listing's own registry and output calls
             with nothing around them

and prints the median wall time of each and the ratios of the medians.
The wine server is kept running throughout, so that no run pays for
starting it. Beside the wall time it prints the CPU time each run cost, the
program's own and the wine server's, which tells the work done apart from
waiting on a busy machine.

A benchmark, not a test: it reports numbers and checks only that every
run wrote the report it should.
"""

import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
WINE = "/usr/lib/wine/wine64"
WINESERVER = shutil.which("wineserver") or "/usr/lib/wine/wineserver"
HOTFIX_ROOT = r"Software\Microsoft\Windows NT\CurrentVersion\HotFix"
COMMENT_LENGTH = 70
FIRST_NUMBER = 1000000

TARGET_AGAINST_REG_QUERY = 0.45
TARGET_AGAINST_BARE_LOOP = 1.10


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", type=Path,
                        default=REPO / "build" / "bench-win64",
                        help="x86_64 MinGW build with HOTFIXES_BENCHMARKS=ON "
                             "(configured and built here when missing)")
    parser.add_argument("--prefix", type=Path,
                        default=REPO / "build" / "bench-wineprefix",
                        help="the private Wine prefix to seed and run in")
    parser.add_argument("--keys", type=int, default=10000)
    parser.add_argument("--rounds", type=int, default=11)
    return parser.parse_args()


def wine_environment(prefix):
    env = dict(os.environ)
    env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    return env


def build(build_dir):
    if not (build_dir / "build.ninja").exists():
        subprocess.run(
            ["cmake", "-S", str(REPO), "-B", str(build_dir), "-G", "Ninja",
             "-DCMAKE_BUILD_TYPE=Release",
             "-DCMAKE_TOOLCHAIN_FILE=" +
             str(REPO / "cmake" / "mingw-w64-x86_64.cmake"),
             "-DHOTFIXES_BENCHMARKS=ON", "-DHOTFIXES_WINE_TESTS=OFF"],
            check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(build_dir), "-j2",
                    "--target", "hotfixes", "bare_loop"], check=True,
                   stdout=subprocess.DEVNULL)
    return build_dir / "hotfixes.exe", build_dir / "bench" / "bare_loop.exe"


def hotfix_name(index):
    return "KB%d" % (FIRST_NUMBER + index)


def comment_for(name):
    return ("Security Update for Windows XP (%s)" % name).ljust(
        COMMENT_LENGTH, ".")


def write_seed_file(path, keys):
    """One .reg file that replaces the hotfix root with `keys` hotfixes."""
    root = "HKEY_LOCAL_MACHINE\\" + HOTFIX_ROOT
    lines = ["REGEDIT4", "", "[-%s]" % root, "", "[%s]" % root, ""]
    for index in range(keys):
        name = hotfix_name(index)
        lines += ["[%s\\%s]" % (root, name),
                  '"Comments"="%s"' % comment_for(name), ""]
    path.write_text("\r\n".join(lines) + "\r\n", encoding="ascii")


def windows_path(path):
    return "Z:" + str(path.resolve()).replace("/", "\\")


def expected_listing(keys):
    """The hotfix lines, the empty line and the count line."""
    lines = ["[%s] %s" % (hotfix_name(i), comment_for(hotfix_name(i)))
             for i in range(keys)]
    lines += ["", "Found %d Hot-Fix" % keys]
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def find_wineserver(prefix):
    """The process id of the wine server that serves `prefix`, or None."""
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            name = (entry / "comm").read_text().strip()
            environment = (entry / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if (name.startswith("wineserver") and
                b"WINEPREFIX=" + bytes(prefix) in environment):
            return int(entry.name)
    return None


def process_cpu_seconds(pid):
    """User and system time of a running process, in seconds."""
    if pid is None:
        return 0.0
    fields = Path("/proc/%d/stat" % pid).read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def children_cpu_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


class Run:
    """One whole run of a command: wall time, CPU time of the program and
    of the wine server, and what it wrote."""

    def __init__(self, command, env, server):
        cpu_before = children_cpu_seconds()
        server_before = process_cpu_seconds(server)
        started = time.perf_counter()
        completed = subprocess.run(command, env=env, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL,
                                   stdin=subprocess.DEVNULL)
        self.wall = time.perf_counter() - started
        self.cpu = children_cpu_seconds() - cpu_before
        self.server_cpu = process_cpu_seconds(server) - server_before
        self.output = completed.stdout
        if completed.returncode != 0:
            sys.exit("%s ended with exit code %d" %
                     (" ".join(command[1:]), completed.returncode))


def main():
    arguments = parse_arguments()
    report_exe, bare_loop_exe = build(arguments.build_dir)
    prefix = arguments.prefix.resolve()
    prefix.mkdir(parents=True, exist_ok=True)
    env = wine_environment(prefix)

    # A persistent server for the whole run: started before the prefix is
    # prepared, stopped at the end.
    subprocess.run([WINESERVER, "-p"], env=env, check=True)
    try:
        if not (prefix / "system.reg").exists():
            subprocess.run([WINE, "wineboot", "-i"], env=env, check=True,
                           stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        seed = prefix / "hotfixes-seed.reg"
        write_seed_file(seed, arguments.keys)
        subprocess.run([WINE, "regedit", "/s", windows_path(seed)], env=env,
                       check=True)

        commands = {
            "report": [WINE, str(report_exe)],
            "reg query": [WINE, "reg", "query", "HKLM\\" + HOTFIX_ROOT, "/s"],
            "bare loop": [WINE, str(bare_loop_exe)],
        }
        server = find_wineserver(prefix)
        check_outputs(commands, env, server, arguments.keys)
        runs = measure(commands, env, server, arguments.rounds)
    finally:
        subprocess.run([WINESERVER, "-k"], env=env)
    print_results(runs, arguments, server is not None)


def check_outputs(commands, env, server, keys):
    """One run of each before measuring: the report and the bare loop write
    the same hotfix lines, and reg query lists every key."""
    listing = expected_listing(keys)
    report = Run(commands["report"], env, server).output
    bare = Run(commands["bare loop"], env, server).output
    reg = Run(commands["reg query"], env, server).output
    if not report.endswith(listing):
        sys.exit("hotfixes.exe did not list the %d seeded hotfixes" % keys)
    if bare != listing:
        sys.exit("bare_loop.exe did not write the hotfix lines")
    if reg.count(b"Comments") != keys:
        sys.exit("reg query did not list the %d seeded hotfixes" % keys)


def measure(commands, env, server, rounds):
    """`rounds` rounds; each runs every command once, starting with a
    different one each round. Every command's runs, in order."""
    runs = {name: [] for name in commands}
    names = list(commands)
    for round_number in range(rounds):
        shift = round_number % len(names)
        for name in names[shift:] + names[:shift]:
            runs[name].append(Run(commands[name], env, server))
    print("wall time of each run, in seconds:")
    for name in names:
        print("  %-10s %s" %
              (name, " ".join("%.3f" % run.wall for run in runs[name])))
    return runs


def print_ratio(label, numerator, denominator, target):
    ratio = numerator / denominator
    verdict = "met" if ratio <= target else "MISSED"
    print("  %-20s %.3f (target <= %.2f) %s" % (label, ratio, target,
                                                 verdict))


def print_results(runs, arguments, server_found):
    def median(name, measure):
        return statistics.median(measure(run) for run in runs[name])

    wall = {name: median(name, lambda run: run.wall) for name in runs}
    cpu = {name: median(name, lambda run: run.cpu) for name in runs}
    server = {name: median(name, lambda run: run.server_cpu)
              for name in runs}
    print()
    print("%d hotfix keys, %d rounds, medians per run:" %
          (arguments.keys, arguments.rounds))
    print("  %-10s %10s %12s %12s" % ("", "wall ms", "program cpu",
                                      "server cpu"))
    for name in runs:
        print("  %-10s %10.1f %12.1f %12.1f" %
              (name, wall[name] * 1000, cpu[name] * 1000,
               server[name] * 1000 if server_found else float("nan")))
    print("ratios of the median wall times:")
    print_ratio("report / reg query", wall["report"], wall["reg query"],
                TARGET_AGAINST_REG_QUERY)
    print_ratio("report / bare loop", wall["report"], wall["bare loop"],
                TARGET_AGAINST_BARE_LOOP)
    # The same from the runs of one round each: less swayed by a machine
    # whose load changes from round to round.
    print("medians of the ratios within each round:")
    for other, target in (("reg query", TARGET_AGAINST_REG_QUERY),
                          ("bare loop", TARGET_AGAINST_BARE_LOOP)):
        ratios = [mine.wall / theirs.wall
                  for mine, theirs in zip(runs["report"], runs[other])]
        print_ratio("report / " + other, statistics.median(ratios), 1.0,
                    target)


if __name__ == "__main__":
    main()
