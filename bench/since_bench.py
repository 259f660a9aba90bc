#!/usr/bin/env python3
"""hotfixes-table --since at fleet size: 10,000 machines against an earlier
run of the same fleet with drift, against the same table without --since.

    python3 bench/since_bench.py [--reports 10000] [--rounds 5]

The fleet now is the fleet benchmark's (four Windows from a few images,
drifted; fleet_bench.py). The earlier audit is the same fleet a month
before: --drift machines (default 300) each not yet there (new now), gone
since (written into the earlier collection only), and not refreshed (the
same file in both, written at the earlier audit), and twice as many each
with one to three hotfixes installed since and with one removed since.
The earlier collection is turned into what an auditor keeps, the earlier
run's JSON Lines, and --since reads that. Builds the program as
table_bench.py does, keeps the collections in build/bench-table.

Runs each command --rounds times in an order that rotates from round to
round and prints the medians of wall and processor time, for each format (csv, jsonl, html) the time
with --since over the time without, and the peak resident size with and
without (GNU time). Targets: at most 2x each. For context, --since read
from the earlier collection's folder (10,000 more reports to read) and
--format changes.

A benchmark, not a test: it prints numbers and asserts nothing.
"""

import argparse
import os
import random
import resource
import shutil
import statistics
import subprocess
import sys

from fleet_bench import write_fleet
from table_bench import BUILD, WRITTEN, build_program, peak_resident, run_once


def cpu_once(argv):
    """Wall and processor seconds (user and system) of one run: on a
    machine shared with other work the processor's are the steadier."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    wall = run_once(argv)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, (after.ru_utime - before.ru_utime +
                  after.ru_stime - before.ru_stime)

EARLIER = WRITTEN - 30 * 86400
DRIFT_VERSION = 1


def hotfix_lines(text):
    lines = text.split("\r\n")
    return [i for i, line in enumerate(lines) if line.startswith("[KB")]


def write_earlier(fleet, drift):
    """The earlier collection: the fleet a month before, with drift."""
    folder = BUILD / ("%s-earlier-%d-v%d" % (fleet.name, drift,
                                             DRIFT_VERSION))
    if folder.exists():
        return folder
    rng = random.Random(drift)
    names = sorted(path.name for path in fleet.iterdir())
    chosen = rng.sample(names, 7 * drift)
    new = set(chosen[:drift])
    unrefreshed = set(chosen[drift:2 * drift])
    added_since = set(chosen[2 * drift:4 * drift])
    removed_since = set(chosen[4 * drift:6 * drift])
    partial = folder.with_name(folder.name + ".partial")
    shutil.rmtree(partial, ignore_errors=True)
    partial.mkdir(parents=True)
    for name in names:
        if name in new:
            continue
        text = (fleet / name).read_bytes().decode("cp1252")
        lines = text.split("\r\n")
        entries = hotfix_lines(text)
        if name in added_since and len(entries) > 4:
            # Installed since: not yet in the earlier report.
            for index in sorted(rng.sample(entries, rng.randint(1, 3)),
                                reverse=True):
                del lines[index]
        elif name in removed_since:
            # Removed since: one more in the earlier report.
            lines.insert(entries[-1] + 1, "[KB999%03d] Update for Windows "
                         "(KB999%03d)" % (len(entries), len(entries)))
        if name not in unrefreshed:
            count = len(hotfix_lines("\r\n".join(lines)))
            for i, line in enumerate(lines):
                if line.startswith("Found "):
                    lines[i] = "Found %d Hot-Fix" % count
        path = partial / name
        path.write_bytes("\r\n".join(lines).encode("cp1252"))
        when = WRITTEN if name in unrefreshed else EARLIER
        os.utime(path, (when, when))
    for number in range(drift):  # gone since
        path = partial / ("GONE-%05d.txt" % number)
        shutil.copyfile(fleet / names[number], path)
        os.utime(path, (EARLIER, EARLIER))
    partial.rename(folder)
    return folder


def earlier_run(program, earlier):
    """The earlier run's JSON Lines, as an auditor keeps them."""
    path = earlier.with_suffix(".jsonl")
    if not path.exists():
        with open(path, "wb") as out:
            subprocess.run([str(program), "--format", "jsonl", str(earlier)],
                           stdout=out, stderr=subprocess.DEVNULL, check=False)
    return path


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--reports", type=int, default=10000)
    parser.add_argument("--drift", type=int, default=300)
    parser.add_argument("--rounds", type=int, default=5)
    arguments = parser.parse_args()

    program = build_program()
    fleet = write_fleet(arguments.reports)
    earlier = write_earlier(fleet, arguments.drift)
    archive = earlier_run(program, earlier)
    # Now too the unrefreshed reports are the earlier files.
    changes = subprocess.run(
        [str(program), "--format", "changes", "--since", str(archive),
         str(fleet)], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
        check=False).stdout.decode("utf-8").split("\r\n")[1:-1]
    kinds = {}
    for row in changes:
        fields = row.split(",")
        key = fields[1] if fields[2] == "" else fields[2]
        kinds[key] = kinds.get(key, 0) + 1
    print("%d machines now; the earlier run: %.1f MB of JSON Lines; rows of "
          "--format changes: %s" % (
              len(list(fleet.iterdir())), archive.stat().st_size / 1e6,
              ", ".join("%s %d" % item for item in sorted(kinds.items()))))

    commands = {}
    for fmt in ("csv", "jsonl", "html"):
        plain = [str(program), "--format", fmt, str(fleet)]
        commands[fmt] = plain
        commands[fmt + " --since"] = plain[:3] + ["--since", str(archive),
                                                  str(fleet)]
    commands["changes"] = [str(program), "--format", "changes", "--since",
                           str(archive), str(fleet)]
    commands["csv --since folder"] = [str(program), "--since", str(earlier),
                                      str(fleet)]
    for argv in commands.values():
        run_once(argv)  # warm the cache
    names = list(commands)
    times = {name: [] for name in names}
    cpu = {name: [] for name in names}
    for round_number in range(arguments.rounds):
        order = names[round_number % len(names):] + \
            names[:round_number % len(names)]
        for name in order:
            wall, seconds = cpu_once(commands[name])
            times[name].append(wall)
            cpu[name].append(seconds)
    medians = {name: statistics.median(values)
               for name, values in times.items()}
    cpu_medians = {name: statistics.median(values)
                   for name, values in cpu.items()}
    peaks = {name: peak_resident(argv) / 1024
             for name, argv in commands.items()}
    print("\nmedians of %d rounds (wall, processor), peak resident size:"
          % arguments.rounds)
    for name in names:
        print("  %-20s %6.3f s %6.3f s %7.1f MB  (wall: %s)" % (
            name, medians[name], cpu_medians[name], peaks[name],
            " ".join("%.3f" % value for value in times[name])))
    for fmt in ("csv", "jsonl", "html"):
        print("--format %-5s with / without --since: wall %.2fx, processor "
              "%.2fx, memory %.2fx (targets <= 2)" % (
                  fmt, medians[fmt + " --since"] / medians[fmt],
                  cpu_medians[fmt + " --since"] / cpu_medians[fmt],
                  peaks[fmt + " --since"] / peaks[fmt]))


if __name__ == "__main__":
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    main()
