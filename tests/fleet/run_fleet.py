#!/usr/bin/env python3
"""A fleet end to end under Wine: every machine leaves its report on a share
with collect-report.cmd, then hotfixes-table.exe turns the share into one
table.

    run_fleet.py [wine options] --exe hotfixes.exe --table hotfixes-table.exe
                 --baseline-exe hotfixes-baseline.exe
                 --script collect-report.cmd
                 --set-value-exe set_registry_value.exe --chromium chromium
                 --work-dir DIR [--update]

The wine options are those of tests/e2e/run_case.py; the prefix must be set
up (the collect tests' fixture does that). Each machine of MACHINES is the
prefix set up as one end-to-end case (tests/e2e/cases/<case>: its Windows
version, hotfix keys and locale) under its own COMPUTERNAME. The machines
of code page 1252 leave their reports in one share, those of code page 932
(a Japanese Windows) in another: one table is made per code page, the
second with --codepage 932, as an auditor with both kinds would. The
first share is also judged by the sample baseline, as its findings, and
by the catalog hotfixes-baseline.exe makes of real rows of Microsoft's
bulletin data (tests/auditor/baseline/data/bulletins-fleet.csv), alone and followed
by the sample baseline, whose rules then replace the catalog's of the same
bulletin (said once on standard error). hotfixes-baseline.exe must end with
exit code 0 and name its input in the catalog's head.

The same fleet was collected four days earlier into a third share, and
differed: W2K-WS has gone since, win7-nokey is new, NT4-WS's report was
not refreshed (its file is the earlier one), XP-SP1 has had KB835732
uninstalled, XP-SP3 was at Service Pack 2. The first share is compared
with it (--since the share, and --since what the table wrote of it as JSON
Lines: both must give the same changes), unjudged and judged; and with
--stale-after NT4-WS is stale.

Checked, byte for byte: each table's CSV against expected.csv,
expected-932.csv, expected-findings.csv and expected-catalog*.csv, its
standard error (the machines that lack a hotfix of required.txt, or are
exposed to a requirement of the baseline) and its exit code; the changes
since the earlier share against expected-changes*.csv and their standard
error (the gone machine, the removed hotfix). The JSON Lines since the
earlier share must carry each machine's change as the changes CSV says it,
and a line for the gone machine. Then the HTML pages of
the first share are rendered in headless Chromium: the plain page's rows,
marks of present and of lacking hotfixes and the rows of reports that are
not complete must be what the CSV says, and the judged page's exposure
counts and findings what the findings CSV says, and the pages since the
earlier share must list the changes the changes CSV has; the screenshots
fleet-page.png, fleet-findings.png and fleet-since.png are left in DIR.
With --update the expected files are written from this run instead (read
them before you commit them).
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
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, os.path.join(HERE, "..", "collect"))
sys.path.insert(0, os.path.join(HERE, "..", "auditor", "table"))
import check_html_page  # noqa: E402
import since_checks  # noqa: E402
import run_case  # noqa: E402
import run_collect  # noqa: E402
import run_program  # noqa: E402

E2E_CASES = os.path.join(HERE, "..", "e2e", "cases")
BASELINE = os.path.join(HERE, "..", "..", "baselines", "worm-bulletins.txt")
BULLETIN_ROWS = os.path.join(HERE, "..", "auditor", "baseline", "data",
                             "bulletins-fleet.csv")
TABLE_TIMEOUT = 120
# Every report's modification time: 2026-12-01T10:00:05Z, so that the
# table's "reported" column is the same in every run; the earlier
# collection's four days before.
WRITTEN = 1796119205
EARLIER = "reports-earlier"
WRITTEN_AT = {"reports": WRITTEN, "reports-932": WRITTEN,
              EARLIER: WRITTEN - 4 * 86400}
EARLIER_DATE = "2026-11-27"
# Its report in the first share is the one the earlier collection left.
NOT_REFRESHED = "NT4-WS"

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
# The first share's machines four days earlier, collected first.
EARLIER_MACHINES = [
    (EARLIER, "NT4-WS", "nt40-sp6-q246009", 0),
    (EARLIER, "W2K-SRV", "win2000-server", 0),
    (EARLIER, "W2K-WS", "win2000", 0),
    (EARLIER, "XP64-PC", "hotfixes-realistic", 0),
    (EARLIER, "XP-SP1", "machines/xp-sp1-kb835732", 0),
    (EARLIER, "XP-SP3", "machines/xp-sp2", 0),
    (EARLIER, "W2K3-SRV", "win2003", 0),
    (EARLIER, "WIN7-FAIL", "hotfix-dword-comment", 1),
]

# (share, table options, expected CSV, expected exit code)
TABLES = [
    ("reports", ["--require", "required.txt"], "expected.csv", 3),
    ("reports-932", ["--codepage", "932"], "expected-932.csv", 3),
    ("reports", ["--baseline", "worm-bulletins.txt"],
     "expected-findings.csv", 3),
    ("reports", ["--baseline", "catalog.txt"], "expected-catalog.csv", 3),
    ("reports", ["--baseline", "catalog.txt", "--baseline",
                 "worm-bulletins.txt"], "expected-catalog-worm.csv", 3),
    # A gone machine: exit code 3.
    ("reports", ["--format", "changes", "--since", EARLIER],
     "expected-changes.csv", 3),
    ("reports", ["--format", "changes", "--since", "earlier.jsonl"],
     "expected-changes.csv", 3),
    ("reports", ["--format", "changes", "--baseline", "worm-bulletins.txt",
                 "--since", EARLIER], "expected-changes-judged.csv", 3),
    ("reports", ["--format", "changes", "--baseline", "worm-bulletins.txt",
                 "--since", "earlier.jsonl"], "expected-changes-judged.csv",
     3),
]
EXPECTED_ERRORS = {
    "expected.csv": "expected.err",
    "expected-932.csv": None,
    "expected-findings.csv": "expected-findings.err",
    "expected-catalog.csv": "expected-catalog.err",
    "expected-catalog-worm.csv": "expected-catalog-worm.err",
    "expected-changes.csv": "expected-changes.err",
    "expected-changes-judged.csv": "expected-changes-judged.err",
}


def collect_fleet(wine, arguments, work_dir):
    kit = os.path.join(work_dir, "kit")
    run_collect.make_kit(kit, arguments.script, arguments.exe)
    problems = []
    for share, computer, case, exit_code in EARLIER_MACHINES + MACHINES:
        folder = os.path.join(work_dir, share)
        os.makedirs(folder, exist_ok=True)
        if share == "reports" and computer == NOT_REFRESHED:
            # The collection did not run there: the file stays as it was.
            shutil.copy2(os.path.join(work_dir, EARLIER, computer + ".txt"),
                         folder)
            continue
        # A machine the end-to-end cases have none of has a folder here.
        case_dir = (os.path.join(HERE, case) if "/" in case
                    else os.path.join(E2E_CASES, case))
        outcome = run_collect.collect_report(
            wine, kit, folder, computer, case_dir, arguments.set_value_exe)
        problems += ["%s: %s" % (computer, problem) for problem in
                     run_collect.check_outcome(outcome, exit_code, b"")]
        report = os.path.join(folder, computer + ".txt")
        if os.path.exists(report):
            os.utime(report, (WRITTEN_AT[share], WRITTEN_AT[share]))
        else:
            problems.append("%s: no report %s" % (computer, report))
    return problems


def table_files(work_dir):
    """The files a table's options name, by the name they are given."""
    return {"required.txt": os.path.join(HERE, "required.txt"),
            "worm-bulletins.txt": BASELINE,
            "catalog.txt": os.path.join(work_dir, "catalog.txt"),
            "earlier.jsonl": os.path.join(work_dir, "earlier.jsonl"),
            EARLIER: os.path.join(work_dir, EARLIER)}


def run_table(wine, arguments, options, folder):
    files = table_files(os.path.dirname(folder))
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
        label = " ".join([share] + options)
        if outcome.exit_code != exit_code:
            problems.append("%s: exit code %s, expected %d"
                            % (label, outcome.exit_code, exit_code))
        table = with_owner_placeholder(outcome.stdout)
        compare(problems, label + " table", table, expected_csv,
                arguments.update)
        errors = EXPECTED_ERRORS[expected_csv]
        if errors:
            # A warning names its file by the path the share has here, and
            # a baseline by its path; the expected files by name.
            shown = outcome.stderr.replace(
                run_case.windows_path(os.path.join(work_dir, share)).encode(),
                b"SHARE")
            for name, path in table_files(work_dir).items():
                shown = shown.replace(run_case.windows_path(path).encode(),
                                      name.encode())
            compare(problems, label + " standard error", shown, errors,
                    arguments.update)
        elif outcome.stderr:
            problems.append("%s: standard error %r" % (label, outcome.stderr))
    return problems


def make_catalog(wine, arguments, work_dir):
    """hotfixes-baseline.exe's catalog of the real rows, as catalog.txt;
    and the earlier share as the table wrote it in JSON Lines, as
    earlier.jsonl: what an auditor keeps of an audit."""
    problems = []
    outcome = run_program.run(
        [wine.loader, arguments.baseline_exe,
         run_case.windows_path(BULLETIN_ROWS)], "file", wine.environment(),
        TABLE_TIMEOUT)
    head = outcome.stdout.split(b"\r\n", 4)
    name = run_case.windows_path(BULLETIN_ROWS).encode()
    if outcome.exit_code != 0 or outcome.stderr:
        problems.append("hotfixes-baseline: exit code %s, standard error %r"
                        % (outcome.exit_code, outcome.stderr))
    if len(head) < 5 or head[2] != b"# File: " + name:
        problems.append("hotfixes-baseline: its head names no %s: %r"
                        % (name, head[:4]))
    with open(os.path.join(work_dir, "catalog.txt"), "wb") as file:
        file.write(outcome.stdout)
    earlier = run_table(wine, arguments, ["--format", "jsonl"],
                        os.path.join(work_dir, EARLIER))
    if earlier.exit_code != 3:
        problems.append("earlier jsonl: exit code %s, expected 3"
                        % earlier.exit_code)
    with open(os.path.join(work_dir, "earlier.jsonl"), "wb") as file:
        file.write(earlier.stdout)
    return problems


def check_since_json_lines(wine, arguments, work_dir):
    """The first share's JSON Lines since the earlier share, unjudged and
    judged, against the changes CSVs already compared."""
    problems = []
    for options, changes_csv in (
            ([], "expected-changes.csv"),
            (["--baseline", "worm-bulletins.txt"],
             "expected-changes-judged.csv")):
        outcome = run_table(
            wine, arguments,
            ["--format", "jsonl", "--since", "earlier.jsonl"] + options,
            os.path.join(work_dir, "reports"))
        label = "jsonl since %s" % " ".join(options or ["(unjudged)"])
        if outcome.exit_code != 3:
            problems.append("%s: exit code %s, expected 3"
                            % (label, outcome.exit_code))
        problems += since_checks.check_json_lines(
            label, outcome.stdout,
            since_checks.changes_of(read_expected(changes_csv)))
    return problems


def check_stale(wine, arguments, work_dir):
    """NT4-WS's report, four days older than the share's newest, is stale
    after 2 days and not after 10: said in the CSV's column and on
    standard error, and alone it makes exit code 3."""
    problems = []
    share = os.path.join(work_dir, "reports")
    outcome = run_table(wine, arguments, ["--stale-after", "2"], share)
    import csv
    import io
    rows = list(csv.DictReader(io.StringIO(outcome.stdout.decode("utf-8"),
                                           newline="")))
    stale = sorted({row["machine"] for row in rows if row.get("stale")})
    said = [line for line in outcome.stderr.decode().splitlines()
            if NOT_REFRESHED in line]
    if outcome.exit_code != 3 or stale != [NOT_REFRESHED] or len(said) != 1:
        problems.append("--stale-after 2: exit code %s, stale %s, standard "
                        "error %r" % (outcome.exit_code, stale,
                                      outcome.stderr))
    # Two complete reports that lack nothing: only staleness can make 3.
    pair = [run_case.windows_path(os.path.join(share, name + ".txt"))
            for name in (NOT_REFRESHED, "W2K-SRV")]
    for days, exit_code in (("2", 3), ("10", 0)):
        alone = run_program.run(
            [wine.loader, arguments.table, "--stale-after", days] + pair,
            "file", wine.environment(), TABLE_TIMEOUT)
        if alone.exit_code != exit_code:
            problems.append("--stale-after %s of %s: exit code %s, expected "
                            "%d" % (days, pair, alone.exit_code, exit_code))
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
    since = write_page(wine, arguments, work_dir, ["--since", EARLIER],
                       "fleet-since.html")
    since_judged = write_page(
        wine, arguments, work_dir,
        ["--since", EARLIER, "--baseline", "worm-bulletins.txt"],
        "fleet-since-judged.html")
    if not page or not judged or not since or not since_judged:
        return ["page: exit code not 3"]
    changes = since_checks.changes_of(read_expected("expected-changes.csv"))
    judged_changes = since_checks.changes_of(
        read_expected("expected-changes-judged.csv"))
    # Exposed in each audit, by the findings CSV of each.
    earlier_findings = run_table(wine, arguments,
                                 ["--baseline", "worm-bulletins.txt"],
                                 os.path.join(work_dir, EARLIER)).stdout
    wanted_since = [
        (since, since_checks.expected_since_section(EARLIER_DATE, changes)),
        (since_judged, since_checks.expected_since_section(
            EARLIER_DATE, judged_changes,
            since_checks.exposed_machines(earlier_findings),
            since_checks.exposed_machines(
                read_expected("expected-findings.csv"))))]
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
            for since_page, wanted_section in wanted_since:
                browser.load(since_page, 60)
                section = browser.evaluate(since_checks.READ_SINCE)
                if section != wanted_section:
                    problems.append("%s: the since section shows %s, the "
                                    "changes CSV says %s"
                                    % (os.path.basename(since_page), section,
                                       wanted_section))
            browser.screenshot(os.path.join(work_dir, "fleet-since.png"))
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
    parser.add_argument("--baseline-exe", required=True)
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
        problems += make_catalog(wine, arguments, arguments.work_dir)
        problems += check_tables(wine, arguments, arguments.work_dir)
        problems += check_stale(wine, arguments, arguments.work_dir)
        if not arguments.update:
            problems += check_page(wine, arguments, arguments.work_dir)
            problems += check_json_lines(wine, arguments, arguments.work_dir)
            problems += check_since_json_lines(wine, arguments,
                                               arguments.work_dir)
    except (run_case.CaseError, check_html_page.DevToolsError,
            subprocess.SubprocessError, OSError) as error:
        print("error: %s" % error)
        return 2
    for problem in problems:
        print(problem)
    if not problems:
        print("ok: %d machines, %d earlier, %d tables and the pages"
              % (len(MACHINES), len(EARLIER_MACHINES), len(TABLES)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
