#!/usr/bin/env python3
"""Runs the native listing benchmark once per size, each in a process of its
own, and prints time per key and memory side by side.

Each size runs alone so that the peak resident size it reports is its own
and not a larger size's, in a few processes one after the other: how one
process's memory happens to be laid out sways its times, so the median
process counts. By default the C library is told to keep freed
memory instead of handing it back to the system after every listing (the
next listing would otherwise fault the same pages in again, which a single
run of the program pays only once); --default-malloc measures without that.

A benchmark, not a test: it prints numbers and asserts nothing.
"""

import argparse
import json
import os
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
SIZES = [1000, 10000, 100000, 1000000]
FLAT_WITHIN = 1.5
KEEP_FREED_MEMORY = {
    "MALLOC_TRIM_THRESHOLD_": str(1 << 30),
    "MALLOC_MMAP_THRESHOLD_": str(1 << 30),
}


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build-dir", type=Path,
                        default=REPO / "build" / "bench",
                        help="native build with HOTFIXES_BENCHMARKS=ON "
                             "(configured and built here when missing)")
    parser.add_argument("--repetitions", type=int, default=5,
                        help="repetitions within each process")
    parser.add_argument("--processes", type=int, default=3,
                        help="processes per size")
    parser.add_argument("--default-malloc", action="store_true",
                        help="leave the C library's memory tuning alone")
    return parser.parse_args()


def build(build_dir):
    if not (build_dir / "build.ninja").exists():
        subprocess.run(["cmake", "-S", str(REPO), "-B", str(build_dir),
                        "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                        "-DHOTFIXES_BENCHMARKS=ON"],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(build_dir), "-j2", "--target",
                    "hotfix_list_bench"], check=True,
                   stdout=subprocess.DEVNULL)
    return build_dir / "bench" / "hotfix_list_bench"


def run_size(binary, keys, repetitions, env):
    """The median aggregate of one size, from a process of its own."""
    completed = subprocess.run(
        [str(binary), "--benchmark_filter=BM_ListHotFixes/%d/" % keys,
         "--benchmark_repetitions=%d" % repetitions,
         "--benchmark_format=json"],
        env=env, check=True, stdout=subprocess.PIPE,
        stderr=subprocess.DEVNULL)
    results = json.loads(completed.stdout)["benchmarks"]
    if any("error_occurred" in result for result in results):
        sys.exit("the benchmark failed at %d keys" % keys)
    return next(result for result in results
                if result.get("aggregate_name") == "median")


def main():
    arguments = parse_arguments()
    binary = build(arguments.build_dir)
    env = dict(os.environ)
    if not arguments.default_malloc:
        env.update(KEEP_FREED_MEMORY)

    # Heap: what one listing allocates at its peak on top of the arranged
    # fake, per key, and how much of that is more than listing the names
    # alone needs. Resident size: the whole process, the fake included.
    print("%9s %10s %6s %12s %14s %10s %12s %12s" %
          ("keys", "ns/key", "vs 1k", "heap peak", "beyond names",
           "report", "rss fake", "rss peak"))
    print("%9s %10s %6s %12s %14s %10s %12s %12s" %
          ("", "", "", "B/key", "B", "B/key", "MB", "MB"))
    first = None
    for keys in SIZES:
        results = sorted((run_size(binary, keys, arguments.repetitions, env)
                          for _ in range(arguments.processes)),
                         key=lambda result: result["time_per_key"])
        result = results[len(results) // 2]
        per_key_ns = result["time_per_key"] * 1e9
        first = first or per_key_ns
        print("%9d %10.1f %6.2f %12.1f %14.0f %10.1f %12.1f %12.1f" %
              (keys, per_key_ns, per_key_ns / first,
               result["heap_peak_B_per_key"], result["heap_beyond_names_B"],
               result["report_B_per_key"], result["maxrss_arranged_MB"],
               result["maxrss_MB"]))
    ratio = per_key_ns / first
    print("time per key, %d keys against %d: %.2fx (flat within %.1fx: %s)" %
          (SIZES[-1], SIZES[0], ratio, FLAT_WITHIN,
           "yes" if ratio <= FLAT_WITHIN else "NO"))


if __name__ == "__main__":
    main()
