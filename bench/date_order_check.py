#!/usr/bin/env python3
"""Microsoft's 2017 workbook saved as CSV by a UK spreadsheet (dates
day/month/year, 02/08/2010) and by a US one (month/day/year): does each
give the requirements and rules the workbook gives?

    python3 bench/date_order_check.py [--data FILE] [--build DIR]
        [--before DIR]

The CSVs are written by tests/auditor/baseline/sheet_to_csv (the project's own
workbook reader, each Date Posted serial day as dd/mm/yyyy or mm/dd/yyyy,
as Excel writes them in those locales) into build/bench-hostile/. DIR is a
build folder holding hotfixes-baseline (and, for --build, sheet_to_csv;
default build/native); --before an older build, whose answer to the UK
copy is shown beside. The file is
../shared/reference/bulletin-data/BulletinSearch-2017-06-14.xlsx beside
the checkout (or beside the folder of its worktree) unless --data names
another. It prints, per file and program: exit code, requirements, rows
left out as unreadable, and whether its requirements and rules (the
baseline without its comment lines) are the workbook's.
"""

import argparse
import subprocess
import sys
from pathlib import Path

# The bulletin data is looked for where the baseline benchmark looks.
from baseline_bench import REPO, find_data


def convert(program, path):
    completed = subprocess.run([str(program), str(path)],
                               capture_output=True)
    body = b"".join(line for line in completed.stdout.splitlines(True)
                    if not line.startswith(b"#"))
    requirements = completed.stdout.count(b"\r\n[")
    errors = completed.stderr.decode("utf-8", "replace").splitlines()
    return completed.returncode, requirements, body, errors, completed.stdout


def by_id(body):
    """Each requirement's rules by its ID."""
    requirements = {}
    for block in body.split(b"\r\n\r\n"):
        if block.startswith(b"["):
            head, _, rules = block.partition(b"\r\n")
            requirements[head.split(b"]")[0]] = rules
    return requirements


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data")
    parser.add_argument("--build", default=str(REPO / "build" / "native"))
    parser.add_argument("--before")
    arguments = parser.parse_args()
    data = find_data(arguments.data)
    if data is None:
        print("no copy of BulletinSearch.xlsx found: give --data FILE")
        return 0
    build = Path(arguments.build)
    out = REPO / "build" / "bench-hostile"
    out.mkdir(parents=True, exist_ok=True)
    copies = {}
    for order in ("dmy", "mdy"):
        path = out / ("%s-%s.csv" % (data.stem, order))
        with open(path, "wb") as file:
            subprocess.run([str(build / "tests" / "auditor" / "baseline" /
                                 "sheet_to_csv"), order, str(data)],
                           stdout=file, check=True)
        copies[order] = path
    programs = [("after", build / "hotfixes-baseline")]
    if arguments.before:
        programs.insert(0, ("before", Path(arguments.before) /
                            "hotfixes-baseline"))
    for name, program in programs:
        _, _, reference, _, _ = convert(program, data)
        for label, path in (("workbook", data), ("UK CSV", copies["dmy"]),
                            ("US CSV", copies["mdy"])):
            code, requirements, body, errors, whole = convert(program, path)
            left_out = [line for line in errors if " left out: " in line]
            more = [line for line in errors if " more rows left out" in line]
            dates = [line.decode() for line in whole.splitlines()
                     if line.startswith(b"#   dates")]
            same = "same as the workbook's" if body == reference else \
                "DIFFERENT from the workbook's"
            print("%-6s %-8s exit %d, %d requirements, %d rows named "
                  "unreadable%s; rules %s" % (
                      name, label, code, requirements, len(left_out),
                      " (" + more[0].split(": ")[-1] + ")" if more else "",
                      same))
            for line in dates + errors[:1]:
                print("         " + line[:150])
            if body != reference and code == 0:
                want, got = by_id(reference), by_id(body)
                changed = [key for key in want
                           if key in got and got[key] != want[key]]
                print("         of the workbook's %d requirements %d are "
                      "missing, %d have other rules" % (
                          len(want), len(set(want) - set(got)),
                          len(changed)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
