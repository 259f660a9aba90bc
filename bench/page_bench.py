#!/usr/bin/env python3
"""hotfixes-table's page at its worst: 10,000 machines of which every one
is a patch level of its own, against a fleet of machines cloned from a few
images; each judged by the whole 2017 catalog and not, each with --since
and without. Measures the page (its bytes, its DOM, headless Chromium's
load and draw against an empty page's) and the program (--since against
the same table without).

    python3 bench/page_bench.py [--data FILE] [--reports 10000]
                                [--rounds 3] [--chromium chromium]
                                [--no-browser] [--no-program] [--no-since]
                                [--fleets varied,images]

The catalog is made by hotfixes-baseline from the 2017 copy of
BulletinSearch.xlsx, as catalog_bench.py makes it (without it the
benchmark says so and ends).

The fleets, written once under build/bench-table:

- `varied` (varied-N-vV): Windows 2000 SP4, XP SP1, SP2 and SP3, XP x64 SP2
  and Server 2003 SP1 and SP2, each level installed from one of three
  images (its catalog updates up to a point, and 20 to 50 other updates),
  every machine then missing each of its image's hotfixes with a chance of
  2%, at least one, and no two machines the same: every machine is a patch
  level of its own, as in an unmanaged fleet. 0.5% of the reports are cut
  short.
- `images` (judged-N-vV): catalog_bench.py's fleet, machines of six
  Windows levels from three images each, brought up to date in the order
  the updates came out: a few hundred patch levels.

The earlier audit of each (--since) is since_bench.py's: the fleet a month
before with 300 machines each new, gone and not refreshed and 600 each
with hotfixes installed and removed since, kept as that run's JSON Lines.

Every round runs each program command, then loads each page and the empty
page in a fresh headless Chromium (Page.navigate to the load event and
layout, then a screenshot of the first screen), each in an order that
rotates from round to round. Prints the medians:

1. per page: its bytes (target: at most 5 MB at 10,000 machines), its
   elements and table cells as Chromium holds them, and load + draw over
   the empty page's (target: at most 3 s more);
2. per fleet and format (jsonl, html), judged and not: the program's wall
   and processor time with --since over without (target: at most 2x).

The pages and screenshots are kept in build/bench-table/pages; for the
judged pages without --since also a screenshot at the first machine's
exposed requirements (the page's own link from the machines' table).
--reports 100000 --fleets varied --no-since --no-program measures the
page of a hundred thousand machines.

A benchmark, not a test: it prints numbers and asserts nothing.
"""

import argparse
import os
import random
import shutil
import statistics
import sys
import time

import baseline_bench
import catalog_bench
from catalog_bench import (Level, Updates, make_catalog, read_catalog,
                           write_page)
from fleet_bench import (GIVE_UP, VIEWPORT, in_fresh_browser, rotated,
                         timed_load_and_draw)
from since_bench import cpu_once, earlier_run, write_earlier
from table_bench import BUILD, WRITTEN, build_program, run_once

# Raise it whenever write_varied_fleet writes other reports: the fleets
# kept in build/bench-table are found by their folder's name alone.
VARIED_VERSION = 1
VARIED_LEVELS = [
    catalog_bench.WINDOWS_2000_SP4,
    Level("Windows XP Professional Service Pack 1 (Build 2600)",
          "Windows XP", 1, 5, ["PLANT", "LAB"]),
    catalog_bench.XP_SP2,
    catalog_bench.XP_SP3.with_share(40),
    catalog_bench.XP_X64_SP2,
    catalog_bench.SERVER_2003_SP1,
    catalog_bench.SERVER_2003_SP2,
]
# Where each of a level's three images stops in its catalog updates.
IMAGE_ENDS = [1.0, 0.85, 0.7]
MISSING = 0.02  # the chance that a machine lacks one of its image's fixes
EMPTY_PAGE = ("<!DOCTYPE html>\n<html lang=en><head><meta charset=utf-8>"
              "<title>empty</title></head>\n<body>\n</body></html>\n")


def varied_folder(reports):
    return BUILD / ("varied-%d-v%d" % (reports, VARIED_VERSION))


def image_sets(fixes, rng, taken):
    """Per level, its three images' hotfix names."""
    images = []
    for level, level_fixes in zip(VARIED_LEVELS, fixes):
        updates = Updates(level_fixes, taken, rng)
        sets = []
        for end, others in zip(IMAGE_ENDS, updates.images):
            names = {"KB%d" % n for n in
                     updates.sequence[:round(len(updates.sequence) * end)]}
            names |= {"KB%d" % n for n in others}
            sets.append(sorted(names))
        images.append(sets)
    return images


def varied_machine(image, rng, seen):
    """The image less each hotfix with a chance of MISSING, at least one,
    a set no machine before had."""
    while True:
        kept = [name for name in image if rng.random() >= MISSING]
        if len(kept) == len(image):
            kept.pop(rng.randrange(len(kept)))
        key = tuple(kept)
        if key not in seen:
            seen.add(key)
            return kept


def write_varied_fleet(reports, fixes):
    folder = varied_folder(reports)
    if folder.exists():
        return folder
    rng = random.Random(reports + 34)
    taken = {kb for level_fixes in fixes for chain in level_fixes
             for kb in chain}
    images = image_sets(fixes, rng, taken)
    partial = folder.with_name(folder.name + ".partial")
    shutil.rmtree(partial, ignore_errors=True)
    partial.mkdir(parents=True)
    seen = set()
    for machine in range(reports):
        kind = rng.choices(range(len(VARIED_LEVELS)),
                           weights=[level.share for level in VARIED_LEVELS])[0]
        level = VARIED_LEVELS[kind]
        image = rng.choices(images[kind], weights=[5, 3, 2])[0]
        names = varied_machine(image, rng, seen)
        text = catalog_bench.report_text(level, names, rng)
        path = partial / ("%s-%05d.txt" % (rng.choice(level.prefixes),
                                           machine))
        path.write_bytes(text.encode("cp1252"))
        os.utime(path, (WRITTEN, WRITTEN))
    partial.rename(folder)
    return folder


# The page as Chromium holds it, read after the timed load.
DOM_SIZE = """({elements: document.getElementsByTagName('*').length,
              cells: document.getElementsByTagName('td').length})"""
# The machines' table's first link to a machine's findings.
FINDINGS_LINK = "#machines tbody a[href^='#x']"


def load_and_draw(chromium, page, shot, follow=None):
    """Seconds a fresh Chromium takes to load the page and lay it out, and
    to draw its first screen, and the DOM's size; None past GIVE_UP. With
    `follow`, a selector of a link: after the timing it is followed, and
    a second screenshot taken there (NAME-machine.png)."""
    def timed_and_measured(browser):
        loaded, drawn = timed_load_and_draw(browser, page, shot)
        dom = browser.evaluate(DOM_SIZE, GIVE_UP)
        if follow and browser.evaluate(
                "!!document.querySelector(%r)" % follow):
            browser.evaluate("document.querySelector(%r).click()" % follow)
            time.sleep(0.5)  # the block it leads to is laid out
            browser.screenshot(str(shot.with_name(shot.stem +
                                                  "-machine.png")), GIVE_UP)
        return loaded, drawn, dom
    return in_fresh_browser(chromium, timed_and_measured)


def page_commands(program, fleets, catalog, earlier):
    """Per fleet, judged or not, with --since or not (when there is an
    earlier audit): the page's argv."""
    commands = {}
    for fleet_name, fleet in fleets.items():
        for judged in (False, True):
            for since in (False, True) if earlier else (False,):
                argv = [str(program), "--format", "html"]
                if judged:
                    argv += ["--baseline", str(catalog)]
                if since:
                    argv += ["--since", str(earlier[fleet_name])]
                name = "%s%s%s" % (fleet_name, " judged" if judged else "",
                                   " --since" if since else "")
                commands[name] = argv + [str(fleet)]
    return commands


def program_commands(page_argvs):
    """The pages' commands and the same in JSON Lines: each with --since
    and without."""
    commands = dict(page_argvs)
    for name, argv in page_argvs.items():
        commands[name + " (jsonl)"] = [
            "jsonl" if word == "html" else word for word in argv]
    return commands


def print_pages(pages, draws, empty):
    print("\npages, load + draw in headless Chromium (%dx%d), medians:"
          % VIEWPORT)
    print("  %-26s %10s %9s %7s  %7s  %s" % (
        "page", "bytes", "elements", "cells", "seconds", "over empty"))
    for name, page in pages.items():
        size = page.stat().st_size
        got = draws.get(name) or []
        if not got:
            print("  %-26s %10d  not loaded and drawn within %d s"
                  % (name, size, GIVE_UP))
            continue
        total = statistics.median(loaded + drawn for loaded, drawn, _ in got)
        dom = got[-1][2]
        print("  %-26s %10d %9d %7d  %7.2f  %+.2f s (%s)" % (
            name, size, dom["elements"], dom["cells"], total, total - empty,
            " ".join("%.2f" % (a + b) for a, b, _ in got)))
    print("targets: at most 5000000 bytes, at most 3 s over the empty page")


def print_program(commands, walls, cpus):
    print("\nhotfixes-table, medians (wall, processor); --since over the "
          "same table without:")
    wall = {name: statistics.median(v) for name, v in walls.items()}
    cpu = {name: statistics.median(v) for name, v in cpus.items()}
    for name in commands:
        line = "  %-34s %6.3f s %6.3f s" % (name, wall[name], cpu[name])
        if " --since" in name:
            plain = name.replace(" --since", "")
            line += "   --since: %.2fx wall, %.2fx processor" % (
                wall[name] / wall[plain], cpu[name] / cpu[plain])
        print(line)
    print("target: --since at most 2x in wall time")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data")
    parser.add_argument("--reports", type=int, default=10000)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--chromium", default="chromium")
    parser.add_argument("--fleets", default="varied,images",
                        help="which fleets: varied, images or both")
    parser.add_argument("--no-browser", action="store_true",
                        help="time the program only")
    parser.add_argument("--no-program", action="store_true",
                        help="time the pages only")
    parser.add_argument("--no-since", action="store_true",
                        help="no earlier audit, no page with --since")
    arguments = parser.parse_args()
    data = baseline_bench.data_to_measure(arguments.data, "page_bench")
    if data is None:
        return 0

    program = build_program()
    catalog = make_catalog(data)
    n = arguments.reports
    wanted = arguments.fleets.split(",")
    fleets = {}
    if "varied" in wanted:
        fleets["varied"] = write_varied_fleet(
            n, read_catalog(catalog, VARIED_LEVELS))
    if "images" in wanted:
        fleets["images"] = catalog_bench.write_fleet(n, read_catalog(catalog))
    earlier = {} if arguments.no_since else {
        name: earlier_run(program, write_earlier(fleet, 300))
        for name, fleet in fleets.items()}
    for name, fleet in fleets.items():
        files = list(fleet.iterdir())
        print("%s: %d reports, %.1f MB, in %s%s" % (
            name, len(files), sum(f.stat().st_size for f in files) / 1e6,
            fleet.name, "; the earlier audit: %.1f MB of JSON Lines"
            % (earlier[name].stat().st_size / 1e6) if earlier else ""))

    page_argvs = page_commands(program, fleets, catalog, earlier)
    folder = BUILD / "pages"
    folder.mkdir(exist_ok=True)
    pages = {}
    for name, argv in page_argvs.items():
        pages[name] = write_page(argv, folder / (
            "page-%d-%s.html" % (n, name.replace(" --", "-").replace(
                " ", "-"))))
    empty = folder / "empty.html"
    empty.write_text(EMPTY_PAGE)
    if "varied" in fleets:
        # A small fleet keeps its matrices.
        small = write_varied_fleet(50, read_catalog(catalog, VARIED_LEVELS))
        pages["varied 50 judged"] = write_page(
            [str(program), "--format", "html", "--baseline", str(catalog),
             str(small)], folder / "page-50-varied-judged.html")

    commands = {} if arguments.no_program else program_commands(page_argvs)
    for argv in commands.values():
        run_once(argv)  # warm the cache and the program
    walls = {name: [] for name in commands}
    cpus = {name: [] for name in commands}
    draws = {name: [] for name in pages}
    empty_draws = []
    for round_number in range(arguments.rounds):
        for name in rotated(list(commands), round_number) if commands \
                else []:
            wall, cpu = cpu_once(commands[name])
            walls[name].append(wall)
            cpus[name].append(cpu)
        if arguments.no_browser:
            continue
        for name in rotated(list(pages) + [None], round_number):
            page = pages[name] if name else empty
            follow = FINDINGS_LINK if name and "judged" in name and \
                "since" not in name else None
            got = load_and_draw(arguments.chromium, page,
                                page.with_suffix(".png"), follow)
            if got is not None:
                (draws[name] if name else empty_draws).append(got)

    if empty_draws:
        empty_time = statistics.median(a + b for a, b, _ in empty_draws)
        print("\nthe empty page: %.2f s (%s)" % (empty_time, " ".join(
            "%.2f" % (a + b) for a, b, _ in empty_draws)))
        print_pages(pages, draws, empty_time)
    if commands:
        print_program(commands, walls, cpus)
    print("\npages and screenshots in %s" % folder)
    return 0


if __name__ == "__main__":
    sys.exit(main())
