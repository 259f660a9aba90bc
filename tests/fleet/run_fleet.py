#!/usr/bin/env python3
"""A fleet end to end under Wine: every machine leaves its report on a share
with collect-report.cmd, then hotfixes-table.exe turns the share into one
table.

    run_fleet.py [wine options] --exe hotfixes.exe --table hotfixes-table.exe
                 --script collect-report.cmd --set-value-exe set_registry_value.exe
                 --chromium chromium --work-dir DIR [--update]

The wine options are those of tests/e2e/run_case.py; the prefix must be set
up (the collect tests' fixture does that). Each machine of MACHINES is the
prefix set up as one end-to-end case (tests/e2e/cases/<case>: its Windows
version, hotfix keys and locale) under its own COMPUTERNAME. The machines
of code page 1252 leave their reports in one share, those of code page 932
(a Japanese Windows) in another: one table is made per code page, the
second with --codepage 932, as an auditor with both kinds would. The
first share is also judged by the sample baseline, as its findings.

Checked, byte for byte: each table's CSV against expected.csv,
expected-932.csv and expected-findings.csv, its standard error (the
machines that lack a hotfix of required.txt, or are exposed to a
requirement of the baseline) and its exit code. Then the HTML pages of
the first share are rendered in headless Chromium: the plain page's rows,
marks of present and of lacking hotfixes and the rows of reports that are
not complete must be what the CSV says, and the judged page's exposure
counts and findings what the findings CSV says; the screenshots
fleet-page.png and fleet-findings.png are left in DIR. With --update the
expected files are written from this run instead (read them before you
commit them).
"""

import argparse
import getpass
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, os.path.join(HERE, "..", "collect"))
sys.path.insert(0, os.path.join(HERE, "..", "table"))
import check_html_page  # noqa: E402
import run_case  # noqa: E402
import run_collect  # noqa: E402
import run_program  # noqa: E402

E2E_CASES = os.path.join(HERE, "..", "e2e", "cases")
BASELINE = os.path.join(HERE, "..", "..", "baselines", "worm-bulletins.txt")
TABLE_TIMEOUT = 120
# Every report's modification time: 2026-12-01T10:00:05Z, so that the
# table's "reported" column is the same in every run.
WRITTEN = 1796119205

# (share, COMPUTERNAME, end-to-end case, the report's exit code)
MACHINES = [
    ("reports", "NT4-WS", "nt40-sp6-q246009", 0),
    ("reports", "W2K-SRV", "win2000-server", 0),
    ("reports", "XP64-PC", "hotfixes-realistic", 0),
    ("reports", "XP-SP1", "machines/xp-sp1", 0),
    ("reports", "XP-SP3", "winxp", 0),
    ("reports", "W2K3-SRV", "win2003", 0),
    ("reports", "WIN7-FAIL", "hotfix-dword-comment", 1),
    ("reports", "win7-nokey", "hotfix-root-deleted", 0),
    ("reports-932", "JP-PC", "hotfixes-japanese", 0),
    ("reports-932", "JP-FAIL", "hotfix-dword-comment-japanese", 1),
]

# (share, table options, expected CSV, expected exit code)
TABLES = [
    ("reports", ["--require", "required.txt"], "expected.csv", 3),
    ("reports-932", ["--codepage", "932"], "expected-932.csv", 3),
    ("reports", ["--baseline", "worm-bulletins.txt"],
     "expected-findings.csv", 3),
]
EXPECTED_ERRORS = {
    "expected.csv": "expected.err",
    "expected-932.csv": None,
    "expected-findings.csv": "expected-findings.err",
}


def collect_fleet(wine, arguments, work_dir):
    kit = os.path.join(work_dir, "kit")
    run_collect.make_kit(kit, arguments.script, arguments.exe)
    problems = []
    for share, computer, case, exit_code in MACHINES:
        folder = os.path.join(work_dir, share)
        os.makedirs(folder, exist_ok=True)
        # A machine the end-to-end cases have none of has a folder here.
        case_dir = (os.path.join(HERE, case) if "/" in case
                    else os.path.join(E2E_CASES, case))
        outcome = run_collect.collect_report(
            wine, kit, folder, computer, case_dir, arguments.set_value_exe)
        problems += ["%s: %s" % (computer, problem) for problem in
                     run_collect.check_outcome(outcome, exit_code, b"")]
        report = os.path.join(folder, computer + ".txt")
        if os.path.exists(report):
            os.utime(report, (WRITTEN, WRITTEN))
        else:
            problems.append("%s: no report %s" % (computer, report))
    return problems


def run_table(wine, arguments, options, folder):
    files = {"required.txt": os.path.join(HERE, "required.txt"),
             "worm-bulletins.txt": BASELINE}
    argv = [wine.loader, arguments.table] + [
        run_case.windows_path(files[option]) if option in files
        else option for option in options] + [run_case.windows_path(folder)]
    return run_program.run(argv, "file", wine.environment(), TABLE_TIMEOUT)


def compare(problems, label, actual, expected_file, update):
    path = os.path.join(HERE, expected_file)
    if update:
        with open(path, "wb") as file:
            file.write(actual)
        return
    with open(path, "rb") as file:
        expected = file.read()
    if actual != expected:
        problems.append("%s differs:\n%s" % (label,
                        run_program.describe_mismatch(label, expected,
                                                      actual)))


# The "owner" column names the account Wine runs as, "COMPUTER\user",
# whose computer name differs from machine to machine: the expected files
# say OWNER. A row owned by anyone else keeps its owner, and differs.
def with_owner_placeholder(csv_bytes):
    user = re.escape(getpass.getuser().encode())
    return re.sub(rb',[^,"\\\r\n]+\\' + user + rb'\r\n', b",OWNER\r\n",
                  csv_bytes)


def check_tables(wine, arguments, work_dir):
    problems = []
    for share, options, expected_csv, exit_code in TABLES:
        outcome = run_table(wine, arguments, options,
                            os.path.join(work_dir, share))
        if outcome.exit_code != exit_code:
            problems.append("%s: exit code %s, expected %d"
                            % (share, outcome.exit_code, exit_code))
        table = with_owner_placeholder(outcome.stdout)
        compare(problems, share + " table", table, expected_csv,
                arguments.update)
        errors = EXPECTED_ERRORS[expected_csv]
        if errors:
            # A warning names its file by the path the share has here.
            shown = outcome.stderr.replace(
                run_case.windows_path(os.path.join(work_dir, share)).encode(),
                b"SHARE")
            compare(problems, share + " standard error", shown, errors,
                    arguments.update)
        elif outcome.stderr:
            problems.append("%s: standard error %r" % (share, outcome.stderr))
    return problems


def check_json_lines(wine, arguments, work_dir):
    """The first share as JSON Lines: each line parses on its own, and the
    machines and hotfixes are those of its CSV."""
    import csv
    import io
    import json
    outcome = run_table(wine, arguments, ["--format", "jsonl"],
                        os.path.join(work_dir, "reports"))
    problems = []
    if outcome.exit_code != 3:
        problems.append("jsonl: exit code %s, expected 3" % outcome.exit_code)
    got = []
    for number, line in enumerate(outcome.stdout.split(b"\n")[:-1], 1):
        try:
            record = json.loads(line.decode("utf-8"))
        except ValueError as error:
            problems.append("jsonl line %d: %s" % (number, error))
            continue
        got += [(record["machine"], record["windows"], hotfix["hotfix_id"])
                for hotfix in record["hotfixes"]] or [
                    (record["machine"], record["windows"], "")]
    rows = csv.DictReader(io.StringIO(
        read_expected("expected.csv").decode("utf-8"), newline=""))
    # The CSV's windows has the service pack after the Windows.
    wanted = [(row["machine"], re.sub(r" SP\d+a?$", "", row["windows"]),
               row["hotfix"]) for row in rows]
    if got != wanted:
        problems.append("jsonl: %s, the CSV says %s" % (got, wanted))
    return problems


def expected_marks(csv_bytes, errors):
    """What the page must show, from the CSV already compared: rows, marks
    of present hotfixes (one per machine and hotfix, Q and KB forms being
    one), marks of lacking ones (the names standard error lists) and rows
    of reports that are not complete."""
    import csv
    import io
    rows = list(csv.DictReader(io.StringIO(csv_bytes.decode("utf-8"),
                                           newline="")))
    machines, present, not_complete = {}, set(), set()
    for row in rows:
        machines[row["machine"]] = row["status"]
        if row["status"] != "complete":
            not_complete.add(row["machine"])
        if row["hotfix"] and row["status"] != "unreadable":
            present.add((row["machine"],
                         check_html_page.hotfix_key(row["hotfix"])))
    lacking = sum(len(line.split(" lacks ", 1)[1].split(", "))
                  for line in errors.decode().splitlines()
                  if " lacks " in line)
    return {"rows": len(machines), "present": len(present),
            "lacking": lacking, "notComplete": len(not_complete),
            "summaryRows": len(machines)}


def write_page(wine, arguments, work_dir, options, name):
    """The first share's page, written to DIR/name; None when the table
    did not end as the reports have it."""
    outcome = run_table(wine, arguments, ["--format", "html"] + options,
                        os.path.join(work_dir, "reports"))
    if outcome.exit_code != 3:
        return None
    page = os.path.join(work_dir, name)
    with open(page, "wb") as file:
        file.write(outcome.stdout)
    return page


def read_expected(name):
    with open(os.path.join(HERE, name), "rb") as file:
        return file.read()


def check_page(wine, arguments, work_dir):
    page = write_page(wine, arguments, work_dir, ["--require", "required.txt"],
                      "fleet-page.html")
    judged = write_page(wine, arguments, work_dir,
                        ["--baseline", "worm-bulletins.txt"],
                        "fleet-findings.html")
    if not page or not judged:
        return ["page: exit code not 3"]
    wanted = expected_marks(read_expected("expected.csv"),
                            read_expected("expected.err"))
    profile = tempfile.mkdtemp(prefix="fleet-page-")
    try:
        browser = check_html_page.Browser(arguments.chromium, profile)
        try:
            browser.open_page(*check_html_page.VIEWPORT)
            browser.load(page, 60)
            got = browser.evaluate(check_html_page.COUNT_MARKS)
            browser.screenshot(os.path.join(work_dir, "fleet-page.png"))
            browser.load(judged, 60)
            problems = check_html_page.check_findings_page(
                browser.evaluate(check_html_page.READ_FINDINGS),
                read_expected("expected-findings.csv"))
            browser.screenshot(os.path.join(work_dir, "fleet-findings.png"))
        finally:
            browser.close()
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    got.pop("columns", None)
    got.pop("nameWidth", None)
    if got != wanted:
        problems.append("page shows %s, the table says %s" % (got, wanted))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--wine", default="/usr/lib/wine/wine64")
    parser.add_argument("--wineserver", default="/usr/lib/wine/wineserver64")
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--table", required=True)
    parser.add_argument("--script", required=True)
    parser.add_argument("--set-value-exe", required=True)
    parser.add_argument("--chromium", required=True)
    parser.add_argument("--work-dir", required=True)
    parser.add_argument("--update", action="store_true")
    arguments = parser.parse_args()

    wine = run_case.Wine(arguments.wine, arguments.wineserver,
                         arguments.prefix)
    shutil.rmtree(arguments.work_dir, ignore_errors=True)
    os.makedirs(arguments.work_dir)
    try:
        if not wine.is_ready():
            raise run_case.CaseError("the Wine prefix is not set up")
        problems = collect_fleet(wine, arguments, arguments.work_dir)
        problems += check_tables(wine, arguments, arguments.work_dir)
        if not arguments.update:
            problems += check_page(wine, arguments, arguments.work_dir)
            problems += check_json_lines(wine, arguments, arguments.work_dir)
    except (run_case.CaseError, check_html_page.DevToolsError,
            subprocess.SubprocessError, OSError) as error:
        print("error: %s" % error)
        return 2
    for problem in problems:
        print(problem)
    if not problems:
        print("ok: %d machines, %d tables and the page" % (len(MACHINES),
                                                          len(TABLES)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
