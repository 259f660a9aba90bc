#!/usr/bin/env python3
"""hotfixes-baseline on Microsoft's bulletin data: the time it takes to
convert the 2017 copy of BulletinSearch.xlsx (19,065 rows) into a baseline,
against Python's openpyxl (Debian's python3-openpyxl, read-only mode) only
reading the same rows, and the program's peak memory against the size of
the uncompressed worksheet.

    python3 bench/baseline_bench.py [--data FILE] [--rounds 5]

The file is ../shared/reference/bulletin-data/BulletinSearch-2017-06-14.xlsx
beside the checkout (or beside the folder of its worktree) unless --data
names another; without one the benchmark says so and ends. Configures
build/bench-baseline (native, Release) unless it exists and brings the
program up to date, reads the file once to warm the cache, then runs both
commands --rounds times in an order that alternates from round to round,
standard output /dev/null, and prints the median wall times and their ratio
(target: the program at most a tenth of openpyxl's time), and the program's
peak resident size (GNU time, Debian package "time"; target: at most the
uncompressed worksheet, 13,187,978 bytes in the 2017 copy).

A benchmark, not a test: it prints numbers and asserts nothing.
"""

import argparse
import statistics
import subprocess
import sys
import time
import zipfile
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
BUILD = REPO / "build" / "bench-baseline"
DATA_NAME = "shared/reference/bulletin-data/BulletinSearch-2017-06-14.xlsx"
# Debian's Python, which has python3-openpyxl; "python3" on PATH may not.
SYSTEM_PYTHON = "/usr/bin/python3"
OPENPYXL_READ = """
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1], read_only=True)
rows = sum(1 for _ in book.worksheets[0].iter_rows(values_only=True))
print(rows)
"""


def find_data(given):
    if given:
        return Path(given) if Path(given).exists() else None
    for base in (REPO.parent, REPO.parent.parent):
        if (base / DATA_NAME).exists():
            return base / DATA_NAME
    return None


def data_to_measure(given, bench):
    """find_data(given); when there is none, a line of the benchmark
    `bench` saying so."""
    data = find_data(given)
    if data is None:
        print("%s: no %s beside the checkout (or --data): nothing to "
              "measure" % (bench, DATA_NAME))
    return data


def build_program():
    if not (BUILD / "CMakeCache.txt").exists():
        subprocess.run(["cmake", "-S", str(REPO), "-B", str(BUILD), "-G",
                        "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                        "-DHOTFIXES_TESTS=OFF"], check=True,
                       stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(BUILD), "--parallel", "2",
                    "--target", "hotfixes-baseline"], check=True,
                   stdout=subprocess.DEVNULL)
    return BUILD / "hotfixes-baseline"


def worksheet_size(path):
    """The uncompressed size of the workbook's largest worksheet part."""
    with zipfile.ZipFile(path) as archive:
        return max(info.file_size for info in archive.infolist()
                   if info.filename.startswith("xl/worksheets/sheet"))


def timed(argv):
    started = time.perf_counter()
    subprocess.run(argv, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return time.perf_counter() - started


def peak_resident(argv):
    """Peak resident bytes of one run, as GNU time measures it."""
    completed = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv,
                               stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, check=True)
    return int(completed.stderr.decode().strip().splitlines()[-1]) * 1024


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data")
    parser.add_argument("--rounds", type=int, default=5)
    arguments = parser.parse_args()
    data = data_to_measure(arguments.data, "baseline_bench")
    if data is None:
        return 0
    program = build_program()
    commands = {
        "hotfixes-baseline": [str(program), str(data)],
        "openpyxl rows": [SYSTEM_PYTHON, "-c", OPENPYXL_READ, str(data)],
    }
    rows = subprocess.run(commands["openpyxl rows"], check=True,
                          capture_output=True).stdout.decode().strip()
    timed(commands["hotfixes-baseline"])  # the file in the cache
    times = {name: [] for name in commands}
    names = list(commands)
    for round_number in range(arguments.rounds):
        order = names if round_number % 2 == 0 else names[::-1]
        for name in order:
            times[name].append(timed(commands[name]))
    medians = {name: statistics.median(values)
               for name, values in times.items()}
    print("%s: %d bytes, %s rows (header included, as openpyxl counts "
          "them)" % (data.name, data.stat().st_size, rows))
    for name in names:
        print("%-18s median %7.3f s of %d  (%s)" % (
            name, medians[name], arguments.rounds,
            " ".join("%.3f" % value for value in times[name])))
    ratio = medians["hotfixes-baseline"] / medians["openpyxl rows"]
    print("ratio: hotfixes-baseline / openpyxl = %.4f (1/%.0f; target "
          "<= 1/10)" % (ratio, 1 / ratio))
    peak = peak_resident(commands["hotfixes-baseline"])
    sheet = worksheet_size(data)
    print("peak resident of hotfixes-baseline: %d bytes; uncompressed "
          "worksheet: %d bytes (%.0f%%; target <= 100%%)" % (
              peak, sheet, 100.0 * peak / sheet))
    return 0


if __name__ == "__main__":
    sys.exit(main())
