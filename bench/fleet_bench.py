#!/usr/bin/env python3
"""hotfixes-table over a fleet as a real site has one: four Windows, each
installed from a few images that then drifted as updates were rolled out.
Measures the HTML page (its size, and how long headless Chromium takes to
load and draw it) against the page as it was before machines were grouped
into patch levels, and the program's time in each format.

    python3 bench/fleet_bench.py [--reports 10000] [--small 1000]
                                 [--rounds 3] [--chromium chromium]
                                 [--baseline 1000]

The fleet: per Windows a catalog of hotfixes in the order they came out
(about 550 in all, a few of them in two catalogs), three images each with
a base set (a prefix of the catalog, a few fixes left out), and the rest of
the catalog as the sequence of later updates. A machine has its image's
base set and the first k updates (most machines a few behind the newest,
some far behind); about 2% have one stray fix more or one fewer, and about
0.5% of the reports are cut short. Every machine has 60 to 150 hotfixes.

Brings build/bench-table (native, Release; see table_bench.py) up to date,
and builds the program of commit f3dc53a, the last with one row per
machine in the page, once into build/bench-table/f3dc53a (through a
temporary worktree in /tmp/bench-old that is removed again). Writes the
fleets once into build/bench-table/drift-N-vV, the pages and their
screenshots into build/bench-table/pages. Every round runs each command,
and then loads each page in a fresh Chromium, in an order that rotates from
round to round; a load is Page.navigate to the load event and layout, and
a screenshot of the first screen. Prints the medians of --rounds rounds:

1. the grouped page of --reports machines: its bytes (target: at most
   5 MB) and its load and draw;
2. the ungrouped page of --small machines (the reference: the grouped page
   of --reports machines should take no longer), and for context the
   grouped page of --small machines and the ungrouped page of --reports
   machines (given up after 120 s);
3. the program at --reports machines, no browser: CSV, wide CSV, JSON
   Lines and HTML, and the ratios wide/CSV and JSON Lines/CSV (targets: at
   most 1.5);
4. the grouped page's rows, its patch levels.

With --baseline N, also the fleet judged by a generated baseline of N
requirements shaped like a catalog of bulletins (build/bench-table/
catalog-N.txt): each requirement one of a Windows' hotfixes in the order
they came out, its title starting with a severity; Windows NT 4.0 and
2000 without an update past the end of their support, some Windows not
affected, a few requirements whose fix no machine has. Prints that page's
bytes (target: at most 10 MB) and its load and draw against the grouped
page of --reports machines without a baseline (target: no slower), and
the program's time for the page and the wide CSV with it.

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
import tempfile
import time
from pathlib import Path

# The program is built, and each run timed, as the table benchmark does.
from table_bench import BUILD, REPO, WRITTEN, build_program, run_once

sys.path.insert(0, str(REPO / "tests" / "auditor" / "table"))
from check_html_page import Browser, DevToolsError  # noqa: E402

# Raise it whenever write_fleet writes other reports: the fleets kept in
# build/bench-table are found by their folder's name alone.
FLEET_VERSION = 1
OLD_COMMIT = "f3dc53a"  # the page with one row per machine
OLD_WORKTREE = Path("/tmp/bench-old")
VIEWPORT = (1280, 900)
GIVE_UP = 120  # seconds a page may take to load, and again to draw
BANNER = ["Hotfix inventory for Windows NT", "hotfixes.exe Ver.0.6.12.21", ""]
FEWEST, MOST = 60, 150  # hotfixes a machine has


class Release:
    """One Windows of the fleet: how its reports name it, how its hotfixes'
    comments name it, its share of the machines, and the hotfixes of the
    fleet's catalog that were made for it."""

    def __init__(self, os_line, name, share, own, prefixes):
        self.os_line = os_line
        self.name = name
        self.share = share
        self.own = own
        self.prefixes = prefixes  # of its machines' names


RELEASES = [
    Release("Windows NT Workstation 4.0 Service Pack 6a (Build 1381)",
            "Windows NT 4.0", 5, 110, ["LAB", "PLANT"]),
    Release("Windows 2000 Professional Service Pack 4 (Build 2195)",
            "Windows 2000", 20, 140, ["ACCT", "HR", "PLANT"]),
    Release("Windows XP Professional Service Pack 3 (Build 2600)",
            "Windows XP", 60, 150, ["ACCT", "SALES", "DEV", "HR", "FIN",
                                    "IT", "OPS"]),
    Release("Windows .NET Server 2003 family, Standard Edition Service "
            "Pack 2 (Build 3790)", "Windows Server 2003", 15, 150,
            ["SRV", "DC", "FS"]),
]
# Fixes made for one Windows that another one got as well (Internet
# Explorer, MDAC, the runtimes): (from, to, how many).
SHARED = [(1, 0, 10), (2, 1, 10)]
# The images of a Windows: where in its catalog each base set ends, and
# each image's share of the machines.
IMAGE_ENDS = [0.55, 0.68, 0.8]
IMAGE_SHARES = [5, 3, 2]
KINDS = ["Security Update for %s", "Update for %s", "Hotfix for %s",
         "Cumulative Security Update for Internet Explorer 6 for %s"]


def build_old_program():
    """The program of OLD_COMMIT, built once: the commit never changes, so
    a program built on an earlier run is taken as it is."""
    folder = BUILD / OLD_COMMIT
    program = folder / "hotfixes-table"
    if program.exists():
        return program
    subprocess.run(["git", "-C", str(REPO), "worktree", "add", "--detach",
                    str(OLD_WORKTREE), OLD_COMMIT], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        subprocess.run(["cmake", "-S", str(OLD_WORKTREE), "-B", str(folder),
                        "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                        "-DHOTFIXES_TESTS=OFF"], check=True,
                       stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", str(folder), "--parallel", "2",
                        "--target", "hotfixes-table"], check=True,
                       stdout=subprocess.DEVNULL)
    finally:
        subprocess.run(["git", "-C", str(REPO), "worktree", "remove",
                        "--force", str(OLD_WORKTREE)], check=False)
    return program


def catalogs(rng):
    """Each Windows' hotfix numbers in the order they came out. The fleet's
    hotfixes are sorted numbers, dealt out over the Windows; a few made for
    one Windows are in another's catalog too."""
    total = sum(release.own for release in RELEASES)
    numbers = sorted(rng.sample(range(810000, 990000), total))
    owners = [i for i, release in enumerate(RELEASES)
              for _ in range(release.own)]
    rng.shuffle(owners)
    lists = [[] for _ in RELEASES]
    for number, owner in zip(numbers, owners):
        lists[owner].append(number)
    for source, target, count in SHARED:
        lists[target] = sorted(lists[target] +
                               rng.sample(lists[source], count))
    return lists


class Drift:
    """One Windows' images and its sequence of later updates."""

    def __init__(self, catalog, rng):
        ends = [round(len(catalog) * end) for end in IMAGE_ENDS]
        self.bases = []
        for end in ends:
            # Fixes left out of an image: uninstalled before it was taken,
            # or never approved for it.
            left_out = set(rng.sample(catalog[:end], rng.randint(1, 4)))
            self.bases.append([n for n in catalog[:end] if n not in left_out])
        self.updates = catalog[ends[0]:]

    def machine(self, rng):
        """The hotfixes of one machine: its image's base set and the first
        k updates, most machines a few behind the newest."""
        base = rng.choices(self.bases, weights=IMAGE_SHARES)[0]
        if rng.random() < 0.15:  # forgotten in a corner
            k = rng.randint(0, len(self.updates))
        else:
            k = max(0, len(self.updates) - int(rng.expovariate(1 / 6)))
        return set(base) | set(self.updates[:k])


def fleet_folder(reports):
    return BUILD / ("drift-%d-v%d" % (reports, FLEET_VERSION))


def report_lines(release, numbers):
    lines = BANNER + [release.os_line, ""]
    # The registry lists the keys in the order of their names.
    for name in sorted("KB%d" % n for n in numbers):
        kind = KINDS[int(name[2:]) % len(KINDS)] % release.name
        lines.append("[%s] %s (%s)" % (name, kind, name))
    return lines


def write_fleet(reports):
    """The fleet of `reports` machines, the same for the same number."""
    folder = fleet_folder(reports)
    if folder.exists():
        return folder
    rng = random.Random(reports)
    lists = catalogs(rng)
    drifts = [Drift(catalog, rng) for catalog in lists]
    everything = sorted(set(n for catalog in lists for n in catalog))
    partial = folder.with_name(folder.name + ".partial")
    shutil.rmtree(partial, ignore_errors=True)
    partial.mkdir(parents=True)
    for machine in range(reports):
        kind = rng.choices(range(len(RELEASES)),
                           weights=[r.share for r in RELEASES])[0]
        release = RELEASES[kind]
        numbers = drifts[kind].machine(rng)
        roll = rng.random()
        if roll < 0.01 and len(numbers) < MOST:  # a stray fix
            numbers.add(rng.choice(everything))
        elif roll < 0.02 and len(numbers) > FEWEST:  # one uninstalled
            numbers.discard(rng.choice(sorted(numbers)))
        lines = report_lines(release, numbers)
        if rng.random() < 0.005:  # cut short in a hotfix line
            text = "\r\n".join(lines)
            text = text[:len(text) - rng.randint(5, 30)]
        else:
            text = "\r\n".join(lines + ["", "Found %d Hot-Fix" %
                                        len(numbers)]) + "\r\n"
        name = "%s-%05d.txt" % (rng.choice(release.prefixes), machine)
        path = partial / name
        path.write_bytes(text.encode("cp1252"))
        os.utime(path, (WRITTEN, WRITTEN))
    partial.rename(folder)
    return folder


SEVERITIES = ["Critical", "Important", "Moderate", "Low"]
# Where in the run of requirements each Windows' support ended: past it,
# "no update".
SUPPORT_ENDS = [0.3, 0.7, 1.0, 1.0]


def write_catalog(reports, requirements):
    """A baseline of `requirements` requirements over the hotfixes of the
    fleet of `reports` machines, the same for the same numbers."""
    path = BUILD / ("catalog-%d-%d-v%d.txt" % (reports, requirements,
                                               FLEET_VERSION))
    if path.exists():
        return path
    lists = catalogs(random.Random(reports))  # as write_fleet deals them
    rng = random.Random(requirements)
    lines = ["# generated for the fleet benchmark: not a real catalog", ""]
    for k in range(requirements):
        when = k / requirements
        year, number = 2003 + int(when * 14), k % 100 + 1
        lines.append("[MS%02d-%03d-%d] %s: generated requirement %d" % (
            year % 100, number, k, rng.choice(SEVERITIES), k))
        for release, catalog, end in zip(RELEASES, lists, SUPPORT_ENDS):
            roll = rng.random()
            if when > end:
                outcome = "no update"
            elif roll < 0.25:
                outcome = "not affected"
            elif roll < 0.27:  # a fix no machine has
                outcome = "KB%d" % rng.randint(2000000, 2999999)
            else:
                at = min(len(catalog) - 1,
                         int(when / end * len(catalog)))
                later = catalog[at:at + 3]  # the fix and what replaces it
                outcome = " ".join("KB%d" % n for n in later)
            lines.append("%-28s %s" % (release.name, outcome))
        lines.append("")
    path.write_text("\r\n".join(lines), encoding="utf-8")
    return path


def write_judged_page(program, folder, catalog, page):
    with open(page, "wb") as out:
        subprocess.run([str(program), "--format", "html", "--baseline",
                        str(catalog), str(folder)],
                       stdout=out, stderr=subprocess.DEVNULL, check=False)
    return page


def describe(folder, program):
    """The fleet as the program reads it, from its wide CSV: machines and
    hotfixes per Windows, and the hotfixes in all."""
    out = subprocess.run([str(program), "--format", "wide", str(folder)],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         check=False).stdout.decode("utf-8")
    lines = subprocess.run([str(program), str(folder)],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                           check=False).stdout.decode("utf-8")
    rows = list(csv.DictReader(io.StringIO(out, newline="")))
    counts = {}
    for row in csv.DictReader(io.StringIO(lines, newline="")):
        counts.setdefault(row["machine"], set()).add(row["hotfix"])
    per_windows = collections.defaultdict(list)
    statuses = collections.Counter(row["status"] for row in rows)
    for row in rows:
        per_windows[row["windows"] or "(none)"].append(
            len(counts.get(row["machine"], ())))
    distinct = set().union(*counts.values()) - {""}
    print("%d machines: %s; %d distinct hotfixes" % (
        len(rows), ", ".join("%d %s" % (count, status)
                             for status, count in sorted(statuses.items())),
        len(distinct)))
    for windows, sizes in sorted(per_windows.items()):
        print("  %-24s %5d machines, %3d to %3d hotfixes (median %d)" % (
            windows, len(sizes), min(sizes), max(sizes),
            statistics.median(sizes)))


def write_page(program, folder, page):
    with open(page, "wb") as out:
        subprocess.run([str(program), "--format", "html", str(folder)],
                       stdout=out, stderr=subprocess.DEVNULL, check=False)
    return page


def in_fresh_browser(chromium, work):
    """work(browser) in a fresh headless Chromium with an empty profile and
    a page of VIEWPORT; None when DevTools gives up (a step past its
    time)."""
    profile = tempfile.mkdtemp(prefix="bench-chromium-")
    browser = Browser(chromium, profile)
    try:
        browser.open_page(*VIEWPORT)
        return work(browser)
    except DevToolsError:
        return None
    finally:
        browser.close()
        shutil.rmtree(profile, ignore_errors=True)


def timed_load_and_draw(browser, page, shot):
    """Seconds the browser takes to load the page and lay it out, and to
    draw its first screen into `shot`; each may take up to GIVE_UP."""
    loaded = browser.load(str(page), GIVE_UP)
    started = time.monotonic()
    browser.screenshot(str(shot), GIVE_UP)
    return loaded, time.monotonic() - started


def load_and_draw(chromium, page, shot):
    """timed_load_and_draw in a fresh Chromium; None when either step takes
    more than GIVE_UP."""
    return in_fresh_browser(
        chromium, lambda browser: timed_load_and_draw(browser, page, shot))


def rotated(names, round_number):
    return names[round_number % len(names):] + \
        names[:round_number % len(names)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--reports", type=int, default=10000)
    parser.add_argument("--small", type=int, default=1000)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--chromium", default="chromium")
    parser.add_argument("--baseline", type=int, default=0, metavar="N",
                        help="also the fleet judged by a generated catalog "
                        "of N requirements")
    arguments = parser.parse_args()

    program = build_program()
    old_program = build_old_program()
    fleet = write_fleet(arguments.reports)
    small = write_fleet(arguments.small)
    files = list(fleet.iterdir())
    print("the fleet: %d reports, %.1f MB" % (
        len(files), sum(f.stat().st_size for f in files) / 1e6))
    describe(fleet, program)

    pages_folder = BUILD / "pages"
    pages_folder.mkdir(exist_ok=True)
    big, few = arguments.reports, arguments.small
    pages = {
        "grouped %d" % big: write_page(program, fleet, pages_folder /
                                       ("grouped-%d.html" % big)),
        "ungrouped %d" % few: write_page(old_program, small, pages_folder /
                                         ("ungrouped-%d.html" % few)),
        "grouped %d" % few: write_page(program, small, pages_folder /
                                       ("grouped-%d.html" % few)),
        "ungrouped %d" % big: write_page(old_program, fleet, pages_folder /
                                         ("ungrouped-%d.html" % big)),
    }
    commands = {fmt: [str(program), "--format", fmt, str(fleet)]
                for fmt in ("csv", "wide", "jsonl", "html")}
    judged = None
    if arguments.baseline:
        catalog = write_catalog(big, arguments.baseline)
        judged = "judged %d" % big
        pages[judged] = write_judged_page(
            program, fleet, catalog, pages_folder / ("judged-%d.html" % big))
        for fmt in ("wide", "html"):
            commands[fmt + "+baseline"] = [
                str(program), "--format", fmt, "--baseline", str(catalog),
                str(fleet)]
    for argv in commands.values():
        run_once(argv)  # warm the cache and the program

    times = {name: [] for name in commands}
    draws = {name: [] for name in pages}
    given_up = set()
    for round_number in range(arguments.rounds):
        for name in rotated(list(commands), round_number):
            times[name].append(run_once(commands[name]))
        for name in rotated(list(pages), round_number):
            if name in given_up:
                continue
            got = load_and_draw(arguments.chromium, pages[name],
                                pages[name].with_suffix(".png"))
            if got is None:
                given_up.add(name)
            else:
                draws[name].append(got)

    print("\npages, load + draw in headless Chromium (%dx%d), medians of "
          "%d:" % (VIEWPORT + (arguments.rounds,)))
    medians = {}
    for name, page in pages.items():
        size = page.stat().st_size
        if not draws[name] or name in given_up:
            print("  %-16s %10d bytes (%5.1f MB): not loaded and drawn "
                  "within %d s" % (name, size, size / 1e6, GIVE_UP))
            continue
        totals = [loaded + drawn for loaded, drawn in draws[name]]
        medians[name] = statistics.median(totals)
        print("  %-16s %10d bytes (%5.1f MB): %6.2f s (load %.2f + draw "
              "%.2f; %s)" % (
                  name, size, size / 1e6, medians[name],
                  statistics.median(d[0] for d in draws[name]),
                  statistics.median(d[1] for d in draws[name]),
                  " ".join("%.2f" % t for t in totals)))
    grouped, reference = "grouped %d" % big, "ungrouped %d" % few
    size = pages[grouped].stat().st_size
    print("grouped %d page: %.2f MB (target <= 5)" % (big, size / 1e6))
    if grouped in medians and reference in medians:
        print("grouped %d / ungrouped %d, load + draw: %.2fx (target <= 1)"
              % (big, few, medians[grouped] / medians[reference]))

    if judged:
        size = pages[judged].stat().st_size
        print("page judged by %d requirements: %.2f MB (target <= 10)"
              % (arguments.baseline, size / 1e6))
        if judged in medians and grouped in medians:
            print("judged / grouped %d, load + draw: %.2fx (target <= 1)"
                  % (big, medians[judged] / medians[grouped]))

    print("\nhotfixes-table at %d machines, no browser, medians of %d:"
          % (big, arguments.rounds))
    program_medians = {name: statistics.median(values)
                       for name, values in times.items()}
    for name, values in times.items():
        print("  --format %-15s %.3f s  (%s)" % (
            name, program_medians[name],
            " ".join("%.3f" % value for value in values)))
    for name in ("wide", "jsonl"):
        print("%s / csv: %.2fx (target <= 1.5)" % (
            name, program_medians[name] / program_medians["csv"]))

    print()
    for name in (grouped, "grouped %d" % few):
        print("%s page: %d rows (patch levels)" % (
            name, pages[name].read_bytes().count(b"<tr id=l")))


if __name__ == "__main__":
    main()
