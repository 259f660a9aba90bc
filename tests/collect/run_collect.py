#!/usr/bin/env python3
"""collect-report.cmd under Wine's cmd.exe.

    run_collect.py list
        prints the names of the cases below, one a line
    run_collect.py [wine options] setup | shutdown
        creates the private Wine prefix once and starts its wineserver, or
        ends it, as tests/e2e/run_case.py does
    run_collect.py [wine options] run --exe hotfixes.exe
                   --script collect-report.cmd
                   --set-value-exe set_registry_value.exe
                   --exit-zero-exe exit_zero.exe --work-dir DIR CASE
        runs one case in DIR (emptied first) and checks what it left

The wine options are those of run_case.py. A case is a row of CASES: the
script lies in a folder of its own ("kit"), with or without hotfixes.exe,
and runs, as a logon script runs, through "cmd /c" with COMPUTERNAME set
and one argument, a folder that stands for the share. Before the run the
prefix reports the Windows version and holds the hotfix keys of an
end-to-end case (tests/e2e/cases/<setup>), whose expected.out is then the
exact content of the report. After the run the exit code, standard output
(always empty), standard error and every file in the folder are checked.

Wine's EXIT takes an exit code, as that of Windows 2000 and later does. The
cases named old-exit-* give the script exit_zero.exe as its COMSPEC, the
command interpreter it asks to end with its code: a stand-in for NT 4.0's,
whose EXIT takes none, so that the script makes its code another way.

collect_report() is the step a test of several machines repeats: one
machine's report into a folder shared by all.
"""

import argparse
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
E2E_DIR = os.path.join(HERE, "..", "e2e")
sys.path.insert(0, E2E_DIR)
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import driver  # noqa: E402
import run_case  # noqa: E402
import run_program  # noqa: E402

E2E_CASES = os.path.join(E2E_DIR, "cases")
SCRIPT_NAME = "collect-report.cmd"
PROGRAM_NAME = "hotfixes.exe"
RUN_TIMEOUT = 120

# Stands, in a case's "after", for the report of its setup case: that
# case's expected.out, with the code offsets the program printed.
REPORT = object()
# A folder instead of a file, in "before" and "after".
FOLDER = object()

# "folder" is the folder's name in the work folder, the one argument;
# None runs the script without an argument. {folder} and {kit} in "stderr"
# stand for the Windows paths of the two folders.
CASES = {
    # Replaces the earlier report and a temporary file an interrupted run
    # left; the report's bytes (code page 1252, comments over several lines,
    # a percent sign) arrive unchanged.
    "report": dict(
        setup="hotfixes-realistic", computer="PC-ONE", folder="share",
        before={"PC-ONE.txt": b"an earlier report\r\n",
                "PC-ONE.new": b"Hotfix inventory for Win"},
        exit_code=0, after={"PC-ONE.txt": REPORT}),
    # A failure report is a report too: kept, and the program's exit code.
    "failure-report-kept": dict(
        setup="hotfix-dword-comment", computer="PC-TWO", folder="share",
        exit_code=1, after={"PC-TWO.txt": REPORT}),
    "folder-with-blank": dict(
        setup="win7", computer="SITE-PC", folder="site one",
        exit_code=0, after={"SITE-PC.txt": REPORT}),
    "no-folder-argument": dict(
        computer="PC-ONE", folder=None, exit_code=2,
        stderr="collect-report: no folder given; usage: collect-report.cmd"
               " FOLDER\r\n"),
    "folder-not-found": dict(
        computer="PC-ONE", folder="share", create_folder=False, exit_code=3,
        stderr='collect-report: folder not found: "{folder}"\r\n'),
    "hotfixes-exe-missing": dict(
        computer="PC-ONE", folder="share", with_program=False, exit_code=4,
        stderr='collect-report: hotfixes.exe is not beside this script:'
               ' "{kit}\\hotfixes.exe"\r\n'),
    # The script's own way to its exit code where EXIT takes none.
    "old-exit-failure-report": dict(
        setup="hotfix-dword-comment", computer="PC-TWO", folder="share",
        old_exit=True, exit_code=1, after={"PC-TWO.txt": REPORT}),
    # Every fault of the script's own comes out as 4 there.
    "old-exit-no-folder-argument": dict(
        computer="PC-ONE", folder=None, old_exit=True, exit_code=4,
        stderr="collect-report: no folder given; usage: collect-report.cmd"
               " FOLDER\r\n"),
    # A folder where the report belongs is neither deleted nor emptied;
    # the new report stays in the temporary file.
    "report-name-taken": dict(
        setup="win7", computer="PC-ONE", folder="share",
        before={"PC-ONE.txt": FOLDER}, exit_code=6,
        after={"PC-ONE.txt": FOLDER, "PC-ONE.new": REPORT},
        stderr='collect-report: cannot rename "{folder}\\PC-ONE.new" to'
               ' "PC-ONE.txt"\r\n'),
}


def make_kit(folder, script, program=None):
    """A folder with the script and, unless program is None, hotfixes.exe
    beside it, as they are shipped."""
    os.makedirs(folder, exist_ok=True)
    shutil.copyfile(script, os.path.join(folder, SCRIPT_NAME))
    if program:
        shutil.copyfile(program, os.path.join(folder, PROGRAM_NAME))


def prepare_machine(wine, case_dir, set_value_exe):
    """The Windows version and hotfix keys of an end-to-end case. Returns
    the environment of that case (its locale)."""
    env = run_case.read_case_env(case_dir)
    run_case.set_version(wine, run_case.read_case_word(case_dir, "version"),
                         env)
    run_case.prepare_registry(wine, case_dir, env, set_value_exe)
    return env


def collect_report(wine, kit, folder, computer_name, case_dir=None,
                   set_value_exe=None, comspec=None):
    """Runs kit's collect-report.cmd with folder (a Unix path, or None for
    no argument) as a logon script runs, COMPUTERNAME set to computer_name,
    after the machine of case_dir (an end-to-end case folder) has been set
    up; with COMSPEC set to the Unix path comspec if given. Returns the
    run_program.Outcome; standard output goes to a file."""
    env = prepare_machine(wine, case_dir, set_value_exe) if case_dir else {}
    variables = {"COMPUTERNAME": computer_name}
    if comspec:
        variables["COMSPEC"] = run_case.windows_path(comspec)
    # The cmd.exe that runs the script sets them: Wine gives every process
    # the host's name, whatever the environment it starts with. An argument
    # with blanks reaches cmd.exe quoted.
    command = [wine.loader, "cmd", "/c"]
    for name, value in variables.items():
        command += ["set", "%s=%s&&" % (name, value)]
    command.append(run_case.windows_path(os.path.join(kit, SCRIPT_NAME)))
    if folder is not None:
        command.append(run_case.windows_path(folder))
    return run_program.run(command, "file", wine.environment(env),
                           RUN_TIMEOUT)


def create_entries(folder, entries):
    for name, content in entries.items():
        path = os.path.join(folder, name)
        if content is FOLDER:
            os.makedirs(path)
        else:
            with open(path, "wb") as file:
                file.write(content)


def check_folder(folder, expected, report):
    """Problems with what folder holds, against the expected entries."""
    if not os.path.isdir(folder):
        return ["the folder %s is gone" % folder]
    problems = []
    names = sorted(os.listdir(folder))
    if names != sorted(expected):
        problems.append("the folder holds %s, expected %s"
                        % (names, sorted(expected)))
    for name in sorted(set(names) & set(expected)):
        path = os.path.join(folder, name)
        wanted = expected[name]
        if wanted is FOLDER:
            if not os.path.isdir(path) or os.listdir(path):
                problems.append("%s is not the empty folder it was" % name)
            continue
        if os.path.isdir(path):
            problems.append("%s is a folder" % name)
            continue
        with open(path, "rb") as file:
            actual = file.read()
        if wanted is REPORT:
            wanted = run_case.fill_code_offsets(report, actual)
        if actual != wanted:
            problems.append("%s differs:\n%s" % (name,
                            run_program.describe_mismatch(name, wanted,
                                                          actual)))
    return problems


def check_outcome(outcome, exit_code, stderr):
    """Problems with the run itself: the script prints nothing on standard
    output and at most its one line on standard error."""
    problems = []
    if outcome.timed_out:
        problems.append("the script did not end in time and was killed")
    if outcome.exit_code != exit_code:
        problems.append("exit code %s, expected %d"
                        % (outcome.exit_code, exit_code))
    if outcome.stdout:
        problems.append("standard output %r, expected none" % outcome.stdout)
    if outcome.stderr != stderr:
        problems.append("standard error %r, expected %r"
                        % (outcome.stderr, stderr))
    return problems


def run_collect_case(wine, name, exe, script, set_value_exe, exit_zero_exe,
                     work_dir):
    case = CASES[name]
    shutil.rmtree(work_dir, ignore_errors=True)
    kit = os.path.join(work_dir, "kit")
    make_kit(kit, script, exe if case.get("with_program", True) else None)
    folder = None
    if case["folder"] is not None:
        folder = os.path.join(work_dir, case["folder"])
        if case.get("create_folder", True):
            os.makedirs(folder)
            create_entries(folder, case.get("before", {}))
    case_dir = None
    report = None
    if "setup" in case:
        case_dir = os.path.join(E2E_CASES, case["setup"])
        report = run_case.read_case_file(case_dir, "expected.out")

    outcome = collect_report(
        wine, kit, folder, case["computer"], case_dir, set_value_exe,
        exit_zero_exe if case.get("old_exit") else None)

    expected_stderr = case.get("stderr", "").format(
        folder=run_case.windows_path(folder) if folder else "",
        kit=run_case.windows_path(kit))
    problems = check_outcome(outcome, case["exit_code"],
                             expected_stderr.encode())
    if folder is None:
        return problems
    if case.get("create_folder", True):
        problems += check_folder(folder, case.get("after", {}), report)
    elif os.path.exists(folder):
        problems.append("%s was created" % folder)
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--wine", default="/usr/lib/wine/wine64")
    parser.add_argument("--wineserver", default="/usr/lib/wine/wineserver64")
    parser.add_argument("--prefix")
    parser.add_argument("--winearch", choices=("win64", "win32"),
                        default="win64")
    commands = parser.add_subparsers(dest="command", required=True)
    commands.add_parser("list")
    commands.add_parser("setup")
    commands.add_parser("shutdown")
    run_parser = commands.add_parser("run")
    run_parser.add_argument("--exe", required=True)
    run_parser.add_argument("--script", required=True)
    run_parser.add_argument("--set-value-exe", required=True)
    run_parser.add_argument("--exit-zero-exe", required=True)
    run_parser.add_argument("--work-dir", required=True)
    run_parser.add_argument("case", choices=sorted(CASES))
    arguments = parser.parse_args()

    if arguments.command == "list":
        print("\n".join(sorted(CASES)))
        return 0
    if not arguments.prefix:
        parser.error("--prefix is required")
    wine = run_case.Wine(arguments.wine, arguments.wineserver,
                         arguments.prefix, arguments.winearch)
    try:
        if arguments.command == "setup":
            wine.setup()
            return 0
        if arguments.command == "shutdown":
            wine.shutdown()
            return 0
        if not wine.is_ready():
            raise run_case.CaseError("the Wine prefix is not set up; run "
                                     "'setup'")
        problems = run_collect_case(wine, arguments.case, arguments.exe,
                                    arguments.script, arguments.set_value_exe,
                                    arguments.exit_zero_exe,
                                    arguments.work_dir)
    except (run_case.CaseError, subprocess.SubprocessError, OSError) as error:
        print("error: %s" % error)
        return 2
    return driver.print_outcome(arguments.case, problems)


if __name__ == "__main__":
    sys.exit(main())
