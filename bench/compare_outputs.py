#!/usr/bin/env python3
"""Every output of hotfixes-table and hotfixes-baseline from two builds
over the same inputs, compared byte for byte: standard output, standard
error and exit code of each run.

    python3 bench/compare_outputs.py --before DIR --after DIR
                                     [--work DIR] [--reports 2000] [--data FILE]
    python3 bench/compare_outputs.py --record DIR --into OUT [--work DIR] ...

DIR is a folder holding the two programs (a build folder, or a copy of an
older build's programs). The inputs are written once into WORK/inputs
(default build/compare-outputs) and kept, so that a build recorded today
can be compared with one recorded later:

- the test fleets: the Wine fleet's shares rebuilt from
  tests/fleet/expected.csv and expected-932.csv (its reports as the report
  program writes them, each file's time its "reported"), the same fleet
  four and eight days earlier, tests/fleet/required.txt; the files of
  tests/native/run_table.py (bad input, encodings, hostile names and
  texts, the two collections of --since) and the cases of
  tests/support/hostile_inputs.py in their small form;
- the bench fleets of --reports machines: fleet_bench.py's drifted fleet
  and its generated catalog, since_bench.py's earlier audit of it (folder
  and JSON Lines), catalog_bench.py's fleet judged by the 2017 catalog,
  page_bench.py's fleet of machines that are each a level of their own,
  table_bench.py's fleet of overlapping sets;
- for hotfixes-baseline: the 2017 workbook and the 2001-2008 excerpt (from
  ../shared/reference/bulletin-data beside the checkout, or --data), the
  CSVs of baselines/data and tests/auditor/baseline/data.

Each program runs in WORK/inputs with relative paths, in every format
(csv, wide, html, jsonl, changes), with and without --bom, --require,
--baseline (the sample baseline, each shipped catalog, all of them),
--exposed, --stale-after, --since (a folder, JSON Lines, two audits),
--codepage, and on command lines each program refuses; hotfixes-baseline
on each file, --components, --component, --date-order and refused command
lines. Outputs larger than 1 MiB are kept as their SHA-256.

Prints the number of outputs compared and each that differs; exit code 1
when any does.
"""

import argparse
import csv
import hashlib
import io
import os
import shutil
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(REPO / "bench"))
sys.path.insert(0, str(REPO / "tests" / "native"))
sys.path.insert(0, str(REPO / "tests" / "support"))

import baseline_bench  # noqa: E402
import catalog_bench  # noqa: E402
import fleet_bench  # noqa: E402
import hostile_inputs  # noqa: E402
import page_bench  # noqa: E402
import run_table  # noqa: E402
import since_bench  # noqa: E402
import table_bench  # noqa: E402

WRITTEN = 1796119205  # 2026-12-01T10:00:05Z
DAY = 86400
LARGE = 1 << 20  # outputs above this are kept as their hash
TIMEOUT = 600
INPUTS_VERSION = 1
BANNER = ["Hotfix inventory for Windows NT", "hotfixes.exe Ver.0.6.12.21",
          ""]
CATALOGS = ["catalog-2001-2008.txt", "catalog-2008-2017.txt",
            "catalog-after-2017.txt"]
FORMATS = ["csv", "wide", "html", "jsonl"]


def parse_time(text):
    """Seconds since 1970 of 2026-12-01T10:00:05Z."""
    import calendar
    import time
    return calendar.timegm(time.strptime(text, "%Y-%m-%dT%H:%M:%SZ"))


def write_file(path, data, when):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)
    os.utime(path, (when, when))


# The Wine fleet rebuilt from its expected tables --------------------------

def machines_of(table):
    """machine -> its rows of an expected CSV, in table order."""
    rows = list(csv.DictReader(io.StringIO(table.read_text(encoding="utf-8"),
                                           newline="")))
    machines = {}
    for row in rows:
        machines.setdefault(row["machine"], []).append(row)
    return machines


def comment_bytes(comment, codepage):
    # The row of every byte from 0x80 up, as the CSV shows it.
    if "<U+0081>" in comment:
        return bytes(range(0x80, 0x100))
    return comment.replace("\n", "\r\n").replace("\r\r\n", "\r\n").encode(
        codepage)


def report_bytes(rows, codepage, os_line=None, drop=(), add=()):
    """The report a machine's rows of the table came from."""
    first = rows[0]
    lines = [line.encode(codepage) for line in BANNER]
    lines += [(os_line or first["os"]).encode(codepage), b""]
    entries = [(row["hotfix"], row["comment"]) for row in rows
               if row["hotfix"] and row["hotfix"] not in drop]
    entries += list(add)
    for name, comment in entries:
        lines.append(b"[" + name.encode(codepage) + b"] " +
                     comment_bytes(comment, codepage))
    if first["status"] == "failed":
        kind, _, message = first["problem"].partition(": ")
        lines += [b"Exception " + kind.encode(codepage) +
                  b" in module hotfixes.exe at 0001A2B3.",
                  message.encode(codepage), b""]
    else:
        lines += [b"", b"Found %d Hot-Fix" % len(entries)]
    return b"\r\n".join(lines) + b"\r\n"


def write_test_fleet(inputs):
    fleet = REPO / "tests" / "fleet"
    machines = machines_of(fleet / "expected.csv")
    now, before, oldest = (inputs / "fleet", inputs / "fleet-earlier",
                           inputs / "fleet-oldest")
    for name, rows in machines.items():
        when = parse_time(rows[0]["reported"])
        write_file(now / (name + ".txt"), report_bytes(rows, "cp1252"), when)
    # Four days before: W2K-WS still there, win7-nokey not yet; NT4-WS's
    # report the same file; XP-SP1 had KB835732, XP-SP3 was at SP2.
    earlier = WRITTEN - 4 * DAY
    for name, rows in machines.items():
        if name == "win7-nokey":
            continue
        kwargs = {}
        if name == "XP-SP1":
            kwargs["add"] = [("KB835732", "Security Update for Windows XP "
                              "(KB835732)")]
        if name == "XP-SP3":
            kwargs["os_line"] = ("Windows XP Professional Service Pack 2 "
                                 "(Build 2600)")
            kwargs["drop"] = ("KB2347290",)
        when = min(parse_time(rows[0]["reported"]), earlier)
        data = report_bytes(rows, "cp1252", **kwargs)
        write_file(before / (name + ".txt"), data, when)
        if name != "XP-SP3":
            write_file(oldest / (name + ".txt"), data, when - 4 * DAY)
    w2k = [{"status": "complete", "problem": "", "hotfix": "Q299956",
            "comment": "Windows 2000 Hotfix (Pre-SP3)",
            "os": "Windows 2000 Professional Service Pack 2 (Build 2195)"}]
    write_file(before / "W2K-WS.txt", report_bytes(w2k, "cp1252"), earlier)
    write_file(oldest / "W2K-WS.txt", report_bytes(w2k, "cp1252"),
               earlier - 4 * DAY)
    for name, rows in machines_of(fleet / "expected-932.csv").items():
        write_file(inputs / "fleet-932" / (name + ".txt"),
                   report_bytes(rows, "cp932"), parse_time(rows[0]["reported"]))
    shutil.copyfile(fleet / "required.txt", inputs / "required.txt")


# The files of the native end-to-end tests ---------------------------------

def write_run_table_inputs(inputs):
    files, _ = run_table.bad_input_files()
    # Every file but the 100 MiB one, which only tells the size bound.
    files["big.txt"] = b"x" * ((16 << 20) + 1)
    write_files(inputs / "bad-input", files)
    write_files(inputs / "encodings", run_table.encodings_files()[0])
    hostile, _, _ = run_table.hostile_files()
    write_files(inputs / "hostile", hostile)
    write_files(inputs, {"outside.txt": run_table.report(
        [("KB9", "x")]).encode()})
    os.symlink("../outside.txt", inputs / "hostile" / "link.txt")
    old, new, _, _ = run_table.since_collections()
    write_files(inputs / "since-old", {name: text.encode() for name, text in
                                       old.items()}, run_table.EARLIER)
    write_files(inputs / "since-new", {name: text.encode() for name, text in
                                       new.items()})
    write_files(inputs / "usage", {
        "PC1.txt": run_table.report([]).encode(),
        "list.txt": b"KB1\r\n\x1a",
        "typo.txt": b"[A]\r\nWindows XP SP2 - SP3 KB1\r\n",
        "list-typo.txt": b"KB1, KB2\r\n",
        "empty.txt": b"",
        "utf16.txt": b"\xff\xfe" + "KB1\r\nKB2\r\n".encode("utf-16-le"),
        "bad-utf8.txt": b"KB1\r\n\xc3(\r\n"})


def write_files(folder, files, when=WRITTEN):
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in files.items():
        path = folder / name
        if data is None:
            path.mkdir()
            continue
        path.write_bytes(data)
        os.utime(path, (when, when))


def write_hostile_cases(inputs):
    """Each case of hostile_inputs.py in its small form, in a folder of its
    own with the program and its arguments (run in that folder) in
    arguments.txt, separated by NUL."""
    for name, program, make, _, _ in hostile_inputs.CASES:
        folder = inputs / "hostile-cases" / name
        folder.mkdir(parents=True)
        arguments = make(str(folder), "seed")
        (folder / "arguments.txt").write_text("\0".join([program] +
                                                         arguments))


def hostile_cases(inputs):
    """case -> (program, arguments as run_one takes them)."""
    cases = {}
    for folder in sorted((inputs / "hostile-cases").iterdir()):
        fields = (folder / "arguments.txt").read_text().split("\0")
        cases[folder.name] = (fields[0], ["-C", "hostile-cases/" +
                                          folder.name] + fields[1:])
    return cases


# The bench fleets ----------------------------------------------------------

def write_bench_inputs(inputs, reports, data, first):
    """The bench scripts' generators, writing into WORK/inputs/bench; the
    earlier audit's JSON Lines and the 2017 catalog made by `first`."""
    bench = inputs / "bench"
    bench.mkdir(parents=True, exist_ok=True)
    for module in (fleet_bench, since_bench, catalog_bench, page_bench,
                   table_bench):
        module.BUILD = bench
    drift = fleet_bench.write_fleet(reports)
    fleet_bench.write_catalog(reports, 300)
    earlier = since_bench.write_earlier(drift, max(reports // 30, 5))
    with open(earlier.with_suffix(".jsonl"), "wb") as out:
        subprocess.run([str(first / "hotfixes-table"), "--format", "jsonl",
                        str(earlier)], stdout=out, stderr=subprocess.DEVNULL,
                       check=False)
    table_bench.write_fleet(bench / "overlapping", reports // 2, 100)
    if data is not None:
        catalog = bench / "catalog-2017.txt"
        with open(catalog, "wb") as out:
            subprocess.run([str(first / "hotfixes-baseline"), str(data)],
                           stdout=out, check=True)
        catalog_bench.write_fleet(reports, catalog_bench.read_catalog(catalog))
        page_bench.write_varied_fleet(
            reports // 2,
            catalog_bench.read_catalog(catalog, page_bench.VARIED_LEVELS))


def make_inputs(work, reports, data, first):
    inputs = work / "inputs"
    done = inputs / ("written-v%d-%d" % (INPUTS_VERSION, reports))
    if done.exists():
        return inputs
    shutil.rmtree(inputs, ignore_errors=True)
    inputs.mkdir(parents=True)
    write_test_fleet(inputs)
    write_run_table_inputs(inputs)
    write_hostile_cases(inputs)
    write_bench_inputs(inputs, reports, data, first)
    # The earlier audits as JSON Lines, as an auditor keeps them.
    for name in ("fleet-earlier", "fleet-oldest", "since-old"):
        with open(inputs / (name + ".jsonl"), "wb") as out:
            subprocess.run([str(first / "hotfixes-table"), "--format",
                            "jsonl", name], cwd=inputs, stdout=out,
                           stderr=subprocess.DEVNULL, check=False)
    if data is not None:
        for source in sorted(Path(data).parent.glob("*.xlsx")):
            shutil.copyfile(source, inputs / source.name)
    for folder in (REPO / "baselines" / "data",
                   REPO / "tests" / "auditor" / "baseline" / "data"):
        for source in sorted(folder.glob("*.csv")):
            shutil.copyfile(source, inputs / ("data-" + source.name))
    for name in CATALOGS + ["worm-bulletins.txt"]:
        shutil.copyfile(REPO / "baselines" / name, inputs / name)
    write_files(inputs / "converter", {
        "empty.csv": b"",
        "garbage.xlsx": bytes((i * 7919 + 13) % 256 for i in range(4096)),
        "header.csv": hostile_inputs.HEADER.encode()})
    done.touch()
    return inputs


# The runs ------------------------------------------------------------------

def table_runs(name, paths, baselines=(), since=(), extra=()):
    """Every format of one fleet, judged by each of `baselines` and not."""
    runs = []
    judges = [[]] + [["--baseline", b] for b in baselines]
    for judge in judges:
        label = name + ("" if not judge else "-by-" + judge[1].replace(
            "/", "_"))
        for fmt in FORMATS:
            runs.append((label + "-" + fmt, "table",
                         ["--format", fmt] + judge + list(extra) + paths))
        if judge:
            runs.append((label + "-exposed", "table",
                         ["--exposed"] + judge + list(extra) + paths))
        for earlier in since:
            tag = label + "-since-" + "+".join(e.replace("/", "_")
                                               for e in earlier)
            arguments = [a for e in earlier for a in ("--since", e)]
            for fmt in FORMATS + ["changes"]:
                runs.append((tag + "-" + fmt, "table",
                             ["--format", fmt] + arguments + judge +
                             list(extra) + paths))
    return runs


def all_runs(inputs, hostile, have_data):
    worm = "worm-bulletins.txt"
    catalogs = " ".join(CATALOGS)
    runs = []
    # The test fleet.
    runs += table_runs("fleet", ["fleet"], [worm] + CATALOGS,
                       since=[["fleet-earlier"], ["fleet-earlier.jsonl"],
                              ["fleet-oldest", "fleet-earlier"],
                              ["fleet-oldest.jsonl", "fleet-earlier.jsonl"]])
    runs += table_runs("fleet-stale", ["fleet"], [worm],
                       since=[["fleet-earlier"]], extra=["--stale-after", "2"])
    runs += table_runs("fleet-require", ["fleet"],
                       extra=["--require", "required.txt"])
    runs += table_runs("fleet-932", ["fleet-932"],
                       extra=["--codepage", "932"])
    runs += [
        ("fleet-bom-csv", "table", ["--bom", "fleet"]),
        ("fleet-bom-wide", "table", ["--bom", "--format", "wide", "fleet"]),
        ("fleet-bom-changes", "table", ["--bom", "--format", "changes",
                                        "--since", "fleet-earlier", "fleet"]),
        ("fleet-932-as-1252", "table", ["fleet-932"]),
        ("fleet-all-catalogs", "table",
         [a for c in CATALOGS for a in ("--baseline", c)] + ["fleet"]),
        ("fleet-all-catalogs-worm-exposed", "table",
         [a for c in CATALOGS + [worm] for a in ("--baseline", c)] +
         ["--exposed", "fleet"]),
        ("fleet-all-catalogs-html", "table",
         ["--format", "html"] +
         [a for c in CATALOGS for a in ("--baseline", c)] + ["fleet"]),
        ("fleet-two-paths", "table", ["fleet", "fleet-932"]),
        ("fleet-files", "table", ["fleet/XP-SP1.txt", "fleet/XP64-PC.txt"]),
        ("fleet-since-file", "table", ["--format", "changes", "--since",
                                       "fleet-earlier/XP-SP1.txt",
                                       "fleet/XP-SP1.txt"]),
        ("fleet-stale-0", "table", ["--stale-after", "0", "--format",
                                    "jsonl", "fleet"]),
    ]
    # The native tests' files.
    for name in ("bad-input", "encodings", "hostile"):
        runs += table_runs(name, [name], [worm])
    runs += table_runs("since", ["since-new"], [worm],
                       since=[["since-old"], ["since-old.jsonl"]],
                       extra=["--stale-after", "3"])
    runs += table_runs("since-plain", ["since-new"],
                       since=[["since-old"]])
    usage = [
        [], ["--help"], ["-h"], ["/?"], ["--version"], ["--codepage", "99999",
                                                       "."],
        ["--codepage", "12x", "."], ["--codepage", "0", "."], ["--format"],
        ["--format", "pdf", "."], [".", "missing"], ["--bogus", "."],
        ["--require", "nolist.txt", "."], ["--require", "list.txt", "PC1.txt"],
        ["--require", "list-typo.txt", "PC1.txt"],
        ["--require", "utf16.txt", "PC1.txt"],
        ["--require", "bad-utf8.txt", "PC1.txt"],
        ["--baseline", "typo.txt", "."], ["--baseline", "empty.txt", "."],
        ["--baseline", "list.txt", "."],
        ["--require", "list.txt", "--baseline", "../worm-bulletins.txt", "."],
        ["--exposed", "."], ["--exposed", "--format", "html", "--baseline",
                             "../worm-bulletins.txt", "."],
        ["--bom", "--format", "html", "."], ["--bom", "--format", "jsonl",
                                             "."],
        ["--format", "changes", "."], ["--stale-after", "x", "."],
        ["--stale-after", "36501", "."], ["--stale-after"],
        ["--since", "missing", "."], ["--since", "typo.txt", "."],
        ["--since", "empty.txt", "."], ["--since", "../since-old", "PC1.txt"],
        ["--codepage", "932", "PC1.txt"], ["--", "--help"],
    ]
    for i, arguments in enumerate(usage):
        runs.append(("usage-%02d" % i, "table", ["-C", "usage"] + arguments))
    # The hostile cases of both programs.
    for name, (program, arguments) in sorted(hostile.items()):
        runs.append(("hostile-" + name, program, arguments))
    # The bench fleets.
    bench = [p.name for p in sorted((inputs / "bench").iterdir())
             if p.is_dir()]
    drift = next(b for b in bench if b.startswith("drift-") and
                 "earlier" not in b)
    earlier = next(b for b in bench if "earlier" in b)
    catalog = next(p.name for p in (inputs / "bench").glob("catalog-*-*-v*"))
    runs += table_runs("drift", ["bench/" + drift], ["bench/" + catalog],
                       since=[["bench/" + earlier],
                              ["bench/" + earlier + ".jsonl"]])
    runs += table_runs("drift-stale", ["bench/" + drift],
                       since=[["bench/" + earlier + ".jsonl"]],
                       extra=["--stale-after", "3"])
    runs += [("overlapping-" + fmt, "table", ["--format", fmt,
                                              "bench/overlapping"])
             for fmt in FORMATS]
    if have_data:
        judged = next(b for b in bench if b.startswith("judged-"))
        varied = next(b for b in bench if b.startswith("varied-"))
        runs += table_runs("judged", ["bench/" + judged],
                           ["bench/catalog-2017.txt"])
        runs += table_runs("varied", ["bench/" + varied],
                           ["bench/catalog-2017.txt"])
        runs.append(("judged-shipped-catalogs", "table",
                     ["--format", "wide"] +
                     [a for c in CATALOGS for a in ("--baseline", c)] +
                     ["bench/" + judged]))
    # hotfixes-baseline.
    sources = sorted(p.name for p in inputs.glob("data-*.csv"))
    workbooks = sorted(p.name for p in inputs.glob("*.xlsx"))
    for source in sources + workbooks:
        runs.append(("baseline-" + source, "baseline", [source]))
        runs.append(("baseline-components-" + source, "baseline",
                     ["--components", source]))
        for order in ("dmy", "mdy"):
            runs.append(("baseline-%s-%s" % (order, source), "baseline",
                         ["--date-order", order, source]))
    components = ["Windows Media Format Runtime 9", "Internet Explorer 6",
                  "Windows Media Player", "Outlook Express 6", "DirectX",
                  "No Such Component"]
    for source in workbooks + ["data-bulletins-2001-2008.csv"]:
        runs.append(("baseline-with-components-" + source, "baseline",
                     [a for c in components for a in ("--component", c)] +
                     [source]))
    runs += [
        ("baseline-shipped-2001-2008", "baseline",
         ["data-bulletins-2001-2008.csv", "data-bulletins-after-2017.csv"]),
        ("baseline-all", "baseline", workbooks + sources),
    ]
    refused = [
        [], ["--help"], ["-h"], ["/?"], ["--version"], ["--bogus", "x"],
        ["--component"], ["--component", "", "x"],
        ["--components", "--component", "X", "x"], ["--date-order", "ymd",
                                                    "x"],
        ["--date-order"], ["missing.csv"], ["converter/empty.csv"],
        ["converter/garbage.xlsx"], ["converter/header.csv"], ["converter"],
        ["--", "--help"],
    ]
    for i, arguments in enumerate(refused):
        runs.append(("baseline-usage-%02d" % i, "baseline", arguments))
    return runs


def run_one(build, inputs, program, arguments):
    name = "hotfixes-table" if program == "table" else "hotfixes-baseline"
    cwd = inputs
    if arguments[:1] == ["-C"]:
        cwd, arguments = inputs / arguments[1], arguments[2:]
    completed = subprocess.run([str(build / name)] + arguments, cwd=cwd,
                               stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               timeout=TIMEOUT, check=False)
    return completed.stdout, completed.stderr, completed.returncode


def kept(data):
    if len(data) <= LARGE:
        return data
    return ("sha256 %s, %d bytes\n" % (hashlib.sha256(data).hexdigest(),
                                       len(data))).encode()


def record(build, inputs, runs, into):
    """Runs every run of one build; its outputs into `into`."""
    shutil.rmtree(into, ignore_errors=True)
    into.mkdir(parents=True)
    for name, program, arguments in runs:
        out, err, code = run_one(build, inputs, program, arguments)
        (into / (name + ".out")).write_bytes(kept(out))
        (into / (name + ".err")).write_bytes(kept(err))
        (into / (name + ".code")).write_bytes(b"%d\n" % code)
    (into / "runs.txt").write_text("".join(
        "%s\t%s\t%s\n" % (name, program, " ".join(arguments))
        for name, program, arguments in runs))


def compare(before, after):
    names = sorted(set(p.name for p in before.iterdir()) |
                   set(p.name for p in after.iterdir()))
    differing = []
    for name in names:
        a, b = before / name, after / name
        if not a.exists() or not b.exists() or a.read_bytes() != b.read_bytes():
            differing.append(name)
    return len(names), differing


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--before", type=Path)
    parser.add_argument("--after", type=Path)
    parser.add_argument("--record", type=Path, help="one build only")
    parser.add_argument("--into", type=Path)
    parser.add_argument("--work", type=Path,
                        default=REPO / "build" / "compare-outputs")
    parser.add_argument("--reports", type=int, default=2000)
    parser.add_argument("--data")
    arguments = parser.parse_args()
    builds = [b for b in (arguments.record, arguments.before,
                          arguments.after) if b is not None]
    if not builds or (arguments.record is None) != (arguments.into is None):
        parser.error("give --before and --after, or --record and --into")
    builds = [b.resolve() for b in builds]
    data = baseline_bench.find_data(arguments.data)
    if data is None:
        print("compare_outputs: no %s beside the checkout (or --data): the "
              "workbook's runs are left out" % baseline_bench.DATA_NAME)
    work = arguments.work.resolve()
    inputs = make_inputs(work, arguments.reports, data, builds[0])
    hostile = hostile_cases(inputs)
    runs = all_runs(inputs, hostile, data is not None)
    if arguments.record is not None:
        record(builds[0], inputs, runs, arguments.into.resolve())
        print("%d runs of %s recorded in %s" % (len(runs), builds[0],
                                                arguments.into))
        return 0
    record(builds[0], inputs, runs, work / "before")
    record(builds[1], inputs, runs, work / "after")
    count, differing = compare(work / "before", work / "after")
    print("%d runs, %d files compared (standard output, standard error and "
          "exit code of each, and the list of runs): %d differ"
          % (len(runs), count, len(differing)))
    for name in differing:
        print("  differs: " + name)
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
