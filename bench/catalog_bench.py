#!/usr/bin/env python3
"""hotfixes-table judging a fleet by the whole catalog of Microsoft's
bulletins: 10,000 machines of Windows 2000, XP, XP x64 and Server 2003
whose hotfixes are the catalog's own updates, so that the verdicts are a
real mix of installed and missing, against the same fleet without a
baseline.

    python3 bench/catalog_bench.py [--data FILE] [--reports 10000]
                                   [--rounds 5] [--chromium chromium]

The catalog is made on every run by hotfixes-baseline (build/bench-baseline,
as baseline_bench.py builds it) from
../shared/reference/bulletin-data/BulletinSearch-2017-06-14.xlsx beside the
checkout (or beside the folder of its worktree) unless --data names
another; without one the benchmark says so and ends: a user's clone has no
such file. The catalog goes to build/bench-table/catalog-2017.txt.

The fleet (build/bench-table/judged-N-vV, written once): each machine is
one of six Windows levels (2000 SP4, XP SP2 and SP3, XP x64 SP2, Server
2003 SP1 and SP2), installed from one of three images of its level. Its
level's updates are the catalog's rules for it that name fixes, oldest
bulletin first, each the rule's first KB; a machine has the first k of them
(most a few behind the newest, some far behind) and its image's 20 to 50
non-security updates (a few with a suffix, "-v2" or "-IE8"); about 2% have
a later update that replaces one in its place, 2% one update that failed,
and 0.5% of the reports are cut short.

Every round runs, in an order that rotates from round to round, standard
output /dev/null:

- `wide`: --format wide
- `wide+baseline`: --format wide --baseline catalog
- `html`, `html+baseline`: the page without and with the catalog

then loads each of the two pages in a fresh headless Chromium (to the load
event and layout, then a screenshot; see fleet_bench.py). Prints the mix of
verdicts, the medians of wall and processor time, the ratio wide+baseline
over wide (target: at most 2), the judged page's bytes (target: at most
10 MB) and its load and draw over the page without a baseline (target: at
most 1). The pages and screenshots are kept in build/bench-table/pages.

A benchmark, not a test: it prints numbers and asserts nothing.
"""

import argparse
import collections
import csv
import io
import os
import random
import shutil
import statistics
import subprocess
import sys

import baseline_bench
from fleet_bench import BANNER, VIEWPORT, load_and_draw, rotated
from since_bench import cpu_once
from table_bench import BUILD, WRITTEN, build_program, run_once

# Raise it whenever write_fleet writes other reports: the fleets kept in
# build/bench-table are found by their folder's name alone.
FLEET_VERSION = 2


class Level:
    """One Windows level of the fleet: its OS line, its name and service
    pack in the catalog's rules, its share of the machines, and the
    prefixes of its machines' names."""

    def __init__(self, os_line, windows, service_pack, share, prefixes):
        self.os_line = os_line
        self.windows = windows
        self.service_pack = service_pack
        self.share = share
        self.prefixes = prefixes

    def with_share(self, share):
        """The same level at another share of a fleet's machines."""
        return Level(self.os_line, self.windows, self.service_pack, share,
                     self.prefixes)


WINDOWS_2000_SP4 = Level(
    "Windows 2000 Professional Service Pack 4 (Build 2195)", "Windows 2000",
    4, 20, ["ACCT", "HR", "PLANT"])
XP_SP2 = Level("Windows XP Professional Service Pack 2 (Build 2600)",
               "Windows XP", 2, 10, ["LAB", "PLANT"])
XP_SP3 = Level("Windows XP Professional Service Pack 3 (Build 2600)",
               "Windows XP", 3, 45,
               ["ACCT", "SALES", "DEV", "HR", "FIN", "OPS"])
XP_X64_SP2 = Level("Windows .NET Server 2003 family, Professional Service "
                   "Pack 2 (Build 3790)", "Windows XP x64", 2, 5,
                   ["CAD", "DEV"])
SERVER_2003_SP1 = Level("Windows .NET Server 2003 family, Enterprise "
                        "Edition Service Pack 1 (Build 3790)",
                        "Windows Server 2003", 1, 5, ["DB"])
SERVER_2003_SP2 = Level("Windows .NET Server 2003 family, Standard Edition "
                        "Service Pack 2 (Build 3790)", "Windows Server 2003",
                        2, 15, ["SRV", "DC", "FS"])
LEVELS = [WINDOWS_2000_SP4, XP_SP2, XP_SP3, XP_X64_SP2, SERVER_2003_SP1,
          SERVER_2003_SP2]
WINDOWS_NAMES = sorted({level.windows for level in LEVELS}, key=len,
                       reverse=True)
OTHER_UPDATES = 80  # non-security updates of a level
OTHER_FEWEST, OTHER_MOST = 20, 50  # of them in one image
IMAGE_SHARES = [5, 3, 2]  # a level's images, their shares of its machines
KINDS = ["Security Update for %s", "Update for %s", "Hotfix for %s"]


def level_range(words):
    """The service-pack range a rule's words start with, and the words
    after it: SP2, SP0-SP3, SP2+; none is every level."""
    if not words or not words[0].upper().startswith("SP"):
        return (0, 999), words
    text = words[0].upper()
    if text.endswith("+"):
        return (int(text[2:-1].rstrip("A")), 999), words[1:]
    low, _, high = text.partition("-")
    low = int(low[2:].rstrip("A"))
    high = int(high[2:].rstrip("A")) if high else low
    return (low, high), words[1:]


def read_catalog(path, levels=None):
    """Per level of `levels` (default LEVELS), the fixes of its rules that
    name some, oldest bulletin first (the catalog lists the newest first):
    each a list of KB numbers, the update and those that replace it."""
    requirements = []
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.startswith("["):
            requirements.append([])
        elif line.startswith("Windows") and requirements:
            name = next((n for n in WINDOWS_NAMES
                         if line.startswith(n + " ")), None)
            if name is None:
                continue
            (low, high), outcome = level_range(line[len(name):].split())
            if outcome and outcome[0].startswith("KB"):
                requirements[-1].append((name, low, high, outcome))
    levels = LEVELS if levels is None else levels
    fixes = [[] for _ in levels]
    for rules in reversed(requirements):
        for i, level in enumerate(levels):
            for name, low, high, outcome in rules:
                if name == level.windows and \
                        low <= level.service_pack <= high:
                    fixes[i].append([int(kb[2:]) for kb in outcome])
    return fixes


class Updates:
    """One level's updates in the order they came out, each once, with
    what replaces it, and its non-security updates."""

    def __init__(self, fixes, taken, rng):
        self.sequence = []
        self.replacements = {}
        for chain in fixes:
            if chain[0] not in self.replacements:
                self.sequence.append(chain[0])
                self.replacements[chain[0]] = chain[1:]
        others = []
        while len(others) < OTHER_UPDATES:
            number = rng.randint(810000, 990000)
            if number not in taken:
                taken.add(number)
                others.append(number)
        self.images = [rng.sample(others, rng.randint(OTHER_FEWEST,
                                                      OTHER_MOST))
                       for _ in IMAGE_SHARES]

    def machine(self, rng):
        """A machine's hotfix names: its image's non-security updates (a
        few with a suffix) and the first k updates, most machines a few
        behind the newest; about 2% with a replacement installed in one
        update's place, and 2% with one update that failed. Machines of
        one image and k are alike, as a site's are: the page groups them."""
        image = rng.choices(range(len(IMAGE_SHARES)),
                            weights=IMAGE_SHARES)[0]
        if rng.random() < 0.15:  # forgotten in a corner
            k = rng.randint(0, len(self.sequence))
        else:
            k = max(0, len(self.sequence) - int(rng.expovariate(1 / 6)))
        numbers = list(self.sequence[:k])
        roll = rng.random()
        if numbers and roll < 0.02:
            at = rng.randrange(len(numbers))
            later = self.replacements[numbers[at]]
            if later:
                numbers[at] = rng.choice(later)
        elif numbers and roll < 0.04:
            numbers.pop(rng.randrange(len(numbers)))
        names = {"KB%d" % number for number in numbers}
        for number in self.images[image]:
            suffix = ["", "", "", "", "", "", "-v2", "-IE8"][number % 8]
            names.add("KB%d%s" % (number, suffix))
        return names


def fleet_folder(reports):
    return BUILD / ("judged-%d-v%d" % (reports, FLEET_VERSION))


def report_text(level, names, rng):
    lines = BANNER + [level.os_line, ""]
    # The registry lists the keys in the order of their names.
    for name in sorted(names):
        kind = KINDS[len(name) % len(KINDS)] % level.windows
        lines.append("[%s] %s (%s)" % (name, kind, name))
    if rng.random() < 0.005:  # cut short in a hotfix line
        text = "\r\n".join(lines)
        return text[:len(text) - rng.randint(5, 30)]
    return "\r\n".join(lines + ["", "Found %d Hot-Fix" % len(names)]) + \
        "\r\n"


def write_fleet(reports, fixes):
    """The fleet of `reports` machines, the same for the same number and
    catalog."""
    folder = fleet_folder(reports)
    if folder.exists():
        return folder
    rng = random.Random(reports)
    taken = {kb for level_fixes in fixes for chain in level_fixes
             for kb in chain}
    updates = [Updates(level_fixes, taken, rng) for level_fixes in fixes]
    partial = folder.with_name(folder.name + ".partial")
    shutil.rmtree(partial, ignore_errors=True)
    partial.mkdir(parents=True)
    for machine in range(reports):
        kind = rng.choices(range(len(LEVELS)),
                           weights=[level.share for level in LEVELS])[0]
        level = LEVELS[kind]
        text = report_text(level, updates[kind].machine(rng), rng)
        name = "%s-%05d.txt" % (rng.choice(level.prefixes), machine)
        path = partial / name
        path.write_bytes(text.encode("cp1252"))
        os.utime(path, (WRITTEN, WRITTEN))
    partial.rename(folder)
    return folder


def make_catalog(data):
    converter = baseline_bench.build_program()
    catalog = BUILD / "catalog-2017.txt"
    with open(catalog, "wb") as out:
        subprocess.run([str(converter), str(data)], stdout=out, check=True)
    return catalog


def describe(program, fleet, catalog):
    """The fleet as the program judges it: machines and hotfixes per
    Windows level, and the verdicts of all machines on all requirements."""
    out = subprocess.run([str(program), "--format", "wide", "--baseline",
                          str(catalog), str(fleet)], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL,
                         check=False).stdout.decode("utf-8")
    rows = list(csv.reader(io.StringIO(out, newline="")))
    header, rows = rows[0], rows[1:]
    first = header.index("reported") + 1
    verdicts = collections.Counter(cell for row in rows
                                   for cell in row[first:])
    per_level = collections.Counter(row[header.index("os")] for row in rows)
    print("%d machines judged by %d requirements:" % (
        len(rows), len(header) - first))
    for os_line, count in sorted(per_level.items()):
        print("  %5d  %s" % (count, os_line))
    total = sum(verdicts.values())
    print("verdicts: " + ", ".join(
        "%s %.1f%%" % (state, 100.0 * count / total)
        for state, count in verdicts.most_common()))


def write_page(argv, page):
    with open(page, "wb") as out:
        subprocess.run(argv, stdout=out, stderr=subprocess.DEVNULL,
                       check=False)
    return page


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data")
    parser.add_argument("--reports", type=int, default=10000)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--chromium", default="chromium")
    parser.add_argument("--no-browser", action="store_true",
                        help="time the program only")
    arguments = parser.parse_args()
    data = baseline_bench.data_to_measure(arguments.data, "catalog_bench")
    if data is None:
        return 0

    program = build_program()
    catalog = make_catalog(data)
    fleet = write_fleet(arguments.reports, read_catalog(catalog))
    files = list(fleet.iterdir())
    print("the fleet: %d reports, %.1f MB; the catalog: %s, %d bytes" % (
        len(files), sum(f.stat().st_size for f in files) / 1e6, data.name,
        catalog.stat().st_size))
    describe(program, fleet, catalog)

    judged = ["--baseline", str(catalog)]
    commands = {
        "wide": [str(program), "--format", "wide", str(fleet)],
        "wide+baseline": [str(program), "--format", "wide"] + judged +
                         [str(fleet)],
        "html": [str(program), "--format", "html", str(fleet)],
        "html+baseline": [str(program), "--format", "html"] + judged +
                         [str(fleet)],
    }
    pages_folder = BUILD / "pages"
    pages_folder.mkdir(exist_ok=True)
    n = arguments.reports
    pages = {}
    if not arguments.no_browser:
        pages = {
            "plain %d" % n: write_page(commands["html"], pages_folder /
                                       ("catalog-plain-%d.html" % n)),
            "judged %d" % n: write_page(commands["html+baseline"],
                                        pages_folder /
                                        ("catalog-judged-%d.html" % n)),
        }
    for argv in commands.values():
        run_once(argv)  # warm the cache and the program

    walls = {name: [] for name in commands}
    cpus = {name: [] for name in commands}
    draws = {name: [] for name in pages}
    for round_number in range(arguments.rounds):
        for name in rotated(list(commands), round_number):
            wall, cpu = cpu_once(commands[name])
            walls[name].append(wall)
            cpus[name].append(cpu)
        for name in rotated(list(pages), round_number) if pages else []:
            got = load_and_draw(arguments.chromium, pages[name],
                                pages[name].with_suffix(".png"))
            if got is not None:
                draws[name].append(sum(got))

    print("\nhotfixes-table at %d machines, medians of %d (wall, "
          "processor):" % (n, arguments.rounds))
    wall = {name: statistics.median(v) for name, v in walls.items()}
    cpu = {name: statistics.median(v) for name, v in cpus.items()}
    for name in commands:
        print("  %-14s %6.3f s  %6.3f s  (%s)" % (
            name, wall[name], cpu[name],
            " ".join("%.3f" % value for value in walls[name])))
    for fmt in ("wide", "html"):
        print("%s+baseline / %s: %.2fx wall, %.2fx processor%s" % (
            fmt, fmt, wall[fmt + "+baseline"] / wall[fmt],
            cpu[fmt + "+baseline"] / cpu[fmt],
            " (target <= 2)" if fmt == "wide" else ""))

    if pages:
        print("\npages, load + draw in headless Chromium (%dx%d), medians "
              "of %d:" % (VIEWPORT + (arguments.rounds,)))
        medians = {}
        for name, page in pages.items():
            size = page.stat().st_size
            if not draws[name]:
                print("  %-12s %10d bytes (%5.2f MB): not drawn" % (
                    name, size, size / 1e6))
                continue
            medians[name] = statistics.median(draws[name])
            print("  %-12s %10d bytes (%5.2f MB): %6.2f s  (%s)" % (
                name, size, size / 1e6, medians[name],
                " ".join("%.2f" % t for t in draws[name])))
        size = pages["judged %d" % n].stat().st_size
        print("judged page: %.2f MB (target <= 10)" % (size / 1e6))
        if len(medians) == 2:
            print("judged / plain, load + draw: %.2fx (target <= 1)" % (
                medians["judged %d" % n] / medians["plain %d" % n]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
