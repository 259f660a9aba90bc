#!/usr/bin/env python3
"""Runs the native hotfixes-baseline over real files and checks its exit
code, standard output and standard error.

    run_baseline.py --program hotfixes-baseline --rows-program
        print_bulletin_rows --soffice soffice --data DIR GROUP

GROUP is one of: real-rows (rows copied from Microsoft's bulletin data, in
both header forms, read from their CSV and from the .xlsx LibreOffice Calc
makes of it: the same rows, the expected ones; their components listed,
and a --component that takes none of them), bad-input (files that are
no bulletin data, damaged or hostile workbooks: exit 2 with one line and
nothing on standard output; rows that cannot be read: left out, each named),
hostile (the baseline cases of tests/support/hostile_inputs.py: small files
that ask for gigabytes or hours, dates day first, texts that would move the
terminal, baselines the table would refuse; each answered within 60 s under
1 GiB of address space, a baseline written only when hotfixes-table reads
it), usage (command lines the program refuses, --help, --version) and
real-machines (real machines' hotfix lists, with the names Windows Media,
Internet Explorer and re-releases give, judged by a catalog of real rows
with hotfixes-table: every verdict on them as their numbers' fixes')."""

import argparse
import csv
import io
import os
import re
import shutil
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "..", "support"))
import hostile_inputs  # noqa: E402
from driver import (  # noqa: E402
    HOSTILE_SECONDS, in_temporary_folder, print_outcome, run,
    run_hostile_case)
# The rows and workbooks of the bad-input cases are written as the hostile
# cases' are.
from hostile_inputs import (  # noqa: E402
    HEADER, HEADER_ROW, SHEET, inline_row, workbook)

PROGRAM = b"hotfixes-baseline: "
DATA_FILES = ("bulletins-2008-2017", "bulletins-2001-2008-form")


def expect(problems, what, got, want):
    if got != want:
        problems.append("%s: got %r, want %r" % (what, got, want))


def to_xlsx(soffice, folder, csv_path):
    """The .xlsx LibreOffice Calc saves of a CSV read as UTF-8, comma and
    double quote, in US English (month/day/year dates)."""
    if shutil.which(soffice) is None:
        raise SystemExit("LibreOffice (soffice) is missing: run "
                         "scripts/install-deps.sh")
    out = os.path.join(folder, "xlsx")
    run([soffice, "--headless", "--norestore",
         "-env:UserInstallation=file://" + os.path.join(folder, "profile"),
         "--infilter=CSV:44,34,76,1,,1033", "--convert-to", "xlsx",
         "--outdir", out, csv_path])
    path = os.path.join(out, os.path.basename(csv_path)[:-4] + ".xlsx")
    if not os.path.exists(path):
        raise SystemExit("LibreOffice wrote no .xlsx of " + csv_path)
    return path


def without_file_lines(baseline):
    """The baseline without the head's lines of each file: its name and
    checksum, and how a CSV's dates n/n/yyyy were read (a workbook's are
    day numbers)."""
    baseline = re.sub(rb"^# File: .*\r\n#   SHA-256: .*\r\n", b"", baseline,
                      flags=re.M)
    return re.sub(rb"^#   dates n/n/yyyy: .*\r\n", b"", baseline, flags=re.M)


def check_real_rows(arguments, folder):
    problems = []
    outputs = []
    for name in DATA_FILES:
        csv_path = os.path.join(arguments.data, name + ".csv")
        with open(os.path.join(arguments.data, name + ".rows"), "rb") as file:
            want = file.read()
        xlsx_path = to_xlsx(arguments.soffice, folder, csv_path)
        for path in (csv_path, xlsx_path):
            what = os.path.basename(path)
            expect(problems, what + ": rows", run([arguments.rows_program,
                                                   path])[1], want)
            code, out, err = run([arguments.program, path])
            expect(problems, what + ": exit code", code, 0)
            expect(problems, what + ": errors", err, b"")
            outputs.append(out)
        # The same baseline from the workbook as from its CSV, but for the
        # head's lines naming the file and its checksum.
        expect(problems, name + ": the .xlsx's baseline",
               without_file_lines(outputs[-1]),
               without_file_lines(outputs[-2]))
    both = [os.path.join(arguments.data, name + ".csv") for name in DATA_FILES]
    code, _, err = run([arguments.program] + both)
    expect(problems, "both files: exit code", code, 0)
    expect(problems, "both files: errors", err, b"")
    # The components to choose from, and one that a version number cut
    # short does not take: said on standard error as in the head.
    expect(problems, "--components", run([arguments.program, "--components"]
                                         + both),
           (0, b"# The Affected Components of the rows for Windows NT 4.0 "
            b"to Server 2003,\r\n# with their rows: give one to --component "
            b"as written here.\r\n     1  Microsoft XML Core Services 3.0"
            b"\r\n", b""))
    code, out, err = run([arguments.program, "--component",
                          "Microsoft XML Core Services 3"] + both)
    expect(problems, "a --component that takes nothing", (code, err), (
        0, PROGRAM + b"--component \"Microsoft XML Core Services 3\" took no "
        b"row: no Windows component of the data starts with it up to a "
        b"word's end (--components lists them)\r\n"))
    expect(problems, "its head says so",
           b'#   "Microsoft XML Core Services 3" took nothing:' in out, True)
    return problems


# The HotFix keys of a real Windows XP Professional SP3 machine, as Windows'
# own tools listed its registry (wmic qfe; published as test data of an
# exploit suggester, bitsadmin/wesng, validation/xp_sp3_x86_professional_
# en-us_qfe.txt), in the registry's order. Windows Media's updates carry
# _WM8 or _WM9, Internet Explorer 8's -IE8, re-releases -v2, one both.
REAL_XP_SP3 = [
    "KB2115168", "KB2229593", "KB2296011", "KB2345886", "KB2347290",
    "KB2378111_WM9", "KB2387149", "KB2393802", "KB2419632", "KB2423089",
    "KB2443105", "KB2478960", "KB2478971", "KB2479943", "KB2481109",
    "KB2483185", "KB2485663", "KB2506212", "KB2507938", "KB2508429",
    "KB2509553", "KB2510531-IE8", "KB2510581", "KB2535512", "KB2536276-v2",
    "KB2544893-v2", "KB2564958", "KB2566454", "KB2570947", "KB2584146",
    "KB2585542", "KB2592799", "KB2598479", "KB2603381", "KB2619339",
    "KB2620712", "KB2631813", "KB2653956", "KB2655992", "KB2659262",
    "KB2661637", "KB2676562", "KB2686509", "KB2691442", "KB2698365",
    "KB2705219-v2", "KB2712808", "KB2719985", "KB2723135-v2", "KB2727528",
    "KB2749655", "KB2757638", "KB2770660", "KB2780091", "KB2802968",
    "KB2803821-v2_WM9", "KB2807986", "KB2813345", "KB2820917", "KB2834886",
    "KB2847311", "KB2850869", "KB2859537", "KB2862152", "KB2862330",
    "KB2862335", "KB2864063", "KB2868626", "KB2876217", "KB2876331",
    "KB2879017", "KB2892075", "KB2893294", "KB2898715", "KB2900986",
    "KB2904266", "KB2909212", "KB2909921-IE8", "KB2914368", "KB2916036",
    "KB2922229", "KB2929961", "KB2930275", "KB2934207", "KB898461",
    "KB923561", "KB946648", "KB950762", "KB950974", "KB951376-v2", "KB951978",
    "KB952004", "KB952069_WM9", "KB952287", "KB952954", "KB954155_WM9",
    "KB955759", "KB956572", "KB956844", "KB959426", "KB960803", "KB960859",
    "KB968389", "KB969059", "KB970430", "KB971029", "KB971657", "KB972270",
    "KB973507", "KB973540_WM9", "KB973815", "KB973869", "KB973904",
    "KB974112", "KB974318", "KB974392", "KB974571", "KB975025", "KB975467",
    "KB975558_WM8", "KB975560", "KB975713", "KB977816", "KB977914",
    "KB978338", "KB978542", "KB978695_WM9", "KB978706", "KB979309",
    "KB979482", "KB979687", "KB981997", "KB982132", "KB982665", "Q147222"]
# What an XP x64 SP2 and a Server 2003 R2 SP2 machine were found to list
# besides: Windows Media's MPEG-4 codec update as KB975558_WM8 on all
# three, Windows Installer 3.1 v2 as KB893803v2.
REAL_MACHINES = [
    ("XPSP3-REAL", "Windows XP Professional Service Pack 3 (Build 2600)",
     REAL_XP_SP3),
    ("XP64-SP2", "Windows .NET Server 2003 family, Professional Service "
     "Pack 2 (Build 3790)", ["KB975558_WM8"]),
    ("W2K3R2-SP2", "Windows .NET Server 2003 family, Standard Edition "
     "Service Pack 2 (Build 3790)", ["KB893803v2", "KB975558_WM8"]),
]
# The components those machines have (Windows Media Player 9 on XP).
REAL_COMPONENTS = ["Windows Media Format Runtime",
                   "Microsoft Windows Media Player 9 Series", "Asycfilt.dll"]
# The verdicts a name with something written on after its number decides:
# each was "missing" while only a "-" part was read as a variant.
REAL_VERDICTS = [
    ("XPSP3-REAL", "MS08-076", "installed", "KB952069_WM9"),
    ("XPSP3-REAL", "MS09-047", "installed", "KB978695_WM9"),
    ("XPSP3-REAL", "MS10-033-KB978695", "installed", "KB978695_WM9"),
    ("XPSP3-REAL", "MS10-033-KB979482", "installed", "KB979482"),
    ("XPSP3-REAL", "MS10-027", "installed", "KB2378111_WM9"),
    ("XPSP3-REAL", "MS10-082", "installed", "KB2378111_WM9"),
    ("XPSP3-REAL", "MS10-062", "installed", "KB975558_WM8"),
    ("XPSP3-REAL", "MS11-043", "installed", "KB2536276-v2"),
    ("XPSP3-REAL", "MS12-054-KB2705219", "installed", "KB2705219-v2"),
    ("XP64-SP2", "MS10-062", "installed", "KB975558_WM8"),
    ("XP64-SP2", "MS10-033-KB978695", "missing", "KB978695"),
    ("W2K3R2-SP2", "MS10-062", "installed", "KB975558_WM8"),
]
FIX = re.compile(r"(?:Q|KB)([0-9]+)", re.IGNORECASE)


def real_report(os_line, names):
    lines = "".join("[%s] Update for Windows (%s)\r\n" % (name, name)
                    for name in names)
    return ("Hotfix inventory for Windows NT\r\nhotfixes.exe Ver.0.6.12.21\r\n"
            "\r\n%s\r\n\r\n%s\r\nFound %d Hot-Fix\r\n"
            % (os_line, lines, len(names))).encode("ascii")


def fix_of(name):
    """The article number a name starts with, or None."""
    match = FIX.match(name)
    return match.group(1) if match else None


def check_real_machines(arguments, folder):
    """Real machines' hotfix lists judged by a catalog of real rows: every
    verdict a variant's name decides is the one its number's fix gives, no
    machine is missing a fix it lists under another name, and --require
    with the bare numbers finds nothing lacking."""
    problems = []
    rows = os.path.join(arguments.data, "bulletins-real-machines.csv")
    command = [arguments.program]
    for component in REAL_COMPONENTS:
        command += ["--component", component]
    code, catalog, err = run(command + [rows])
    expect(problems, "catalog: exit code and errors", (code, err), (0, b""))
    expect(problems, "catalog: what each --component took",
           b"# Components included (--component):\r\n"
           b'#   "Windows Media Format Runtime" took:\r\n'
           b"#     Windows Media Format Runtime: 6 rows\r\n"
           b"#     Windows Media Format Runtime 11: 6 rows\r\n"
           b"#     Windows Media Format Runtime 9: 1 row\r\n"
           b"#     Windows Media Format Runtime 9.5: 12 rows\r\n"
           b'#   "Microsoft Windows Media Player 9 Series" took:\r\n'
           b"#     Microsoft Windows Media Player 9 Series: 2 rows\r\n"
           b'#   "Asycfilt.dll" took:\r\n'
           b"#     Asycfilt.dll (COM component): 4 rows\r\n" in catalog, True)
    with open(os.path.join(folder, "catalog.txt"), "wb") as file:
        file.write(catalog)
    reports = os.path.join(folder, "reports")
    os.mkdir(reports)
    for machine, os_line, names in REAL_MACHINES:
        with open(os.path.join(reports, machine + ".txt"), "wb") as file:
            file.write(real_report(os_line, names))
    code, table, err = run([arguments.table_program, "--baseline", "catalog.txt",
                            reports], cwd=folder)
    findings = list(csv.DictReader(io.StringIO(table.decode("utf-8"),
                                               newline="")))
    verdicts = {(row["machine"], row["requirement"]):
                (row["state"], row["hotfix"]) for row in findings}
    for machine, requirement, state, hotfix in REAL_VERDICTS:
        expect(problems, "%s %s" % (machine, requirement),
               verdicts.get((machine, requirement)), (state, hotfix))
    listed = {machine: {fix_of(name) for name in names}
              for machine, _, names in REAL_MACHINES}
    for row in findings:
        if row["state"] == "missing":
            wrong = {fix_of(fix) for fix in row["hotfix"].split()} & \
                listed[row["machine"]]
            expect(problems, "%s %s: missing a fix it lists"
                   % (row["machine"], row["requirement"]), wrong, set())
    expect(problems, "the XP SP3 machine is exposed to nothing",
           [row["requirement"] for row in findings
            if row["machine"] == "XPSP3-REAL"
            and row["state"] in ("missing", "no update")], [])
    for machine, _, names in REAL_MACHINES:
        required = os.path.join(folder, machine + "-required.txt")
        with open(required, "w") as file:
            file.write("".join("KB%s\n" % fix_of(name) for name in names
                               if fix_of(name)))
        expect(problems, "%s --require its names' numbers" % machine,
               run([arguments.table_program, "--require", required,
                    os.path.join(reports, machine + ".txt")])[::2], (0, b""))
    return problems


ROW = inline_row(2, ["39826", "MS09-001", "958687", "Critical", "x", "SMB",
                     "Microsoft Windows XP Service Pack 3", "958687", "",
                     "x", "Critical", "MS08-063[957095]"])


def sheet_xml(rows, before=""):
    return ('<?xml version="1.0" encoding="UTF-8"?>%s<worksheet><sheetData>'
            '%s</sheetData></worksheet>' % (before, rows)).encode()


def bomb(member):
    """A worksheet that inflates past 256 MiB: empty rows."""
    member.write(sheet_xml(HEADER_ROW)[:-len("</sheetData></worksheet>")])
    piece = b"<row/>" * (1 << 20)
    for _ in range(260 * 1024 * 1024 // len(piece) + 1):
        member.write(piece)
    member.write(b"</sheetData></worksheet>")


def with_bad_crc():
    data = workbook(sheet_xml(HEADER_ROW + ROW),
                    compression=zipfile.ZIP_STORED)
    # The stored worksheet's text changed, its CRC not: still good XML.
    return data.replace(b"MS08-063", b"MS08-064")


def bad_rows_csv():
    good = ('2009-01-13,MS09-001,958687,Critical,x,SMB,Microsoft Windows XP '
            'Service Pack 3,958687,,x,Critical,"MS08-063[957095]",Yes,\r\n')
    rows = [good, good.replace("MS09-001", ""),
            good.replace('"MS08-063[957095]"', '"MS08-063[957095],KB1"')]
    rows += [good.replace("MS09-001", "")] * 21
    return (HEADER + "".join(rows)).encode()


def bad_input_cases():
    """file name, its bytes (None: none), exit code, standard error"""
    no_columns = ("no header with the columns of the bulletin data: its "
                  "first row lacks ")
    named = [b"row 4 left out: Supersedes item \"KB1\" is no BULLETIN[KB]"]
    bad_rows = [b"bad-rows.csv: row 3 left out: no Bulletin Id"] + [
        b"bad-rows.csv: " + line for line in named] + [
        b"bad-rows.csv: row %d left out: no Bulletin Id" % n
        for n in range(5, 23)] + [b"bad-rows.csv: 3 more rows left out"]
    return [
        ("garbage.xlsx", bytes((i * 7919 + 13) % 256 for i in range(4096)),
         2, ["neither an .xlsx workbook (a zip archive) nor a CSV in UTF-8"]),
        ("empty.csv", b"", 2,
         ["empty file: neither an .xlsx workbook nor a CSV"]),
        ("missing.xlsx", None, 2,
         ["cannot be read: No such file or directory"]),
        ("other-sheet.csv", b"Name,Value\r\na,1\r\n", 2, [
            no_columns + "Date Posted, Bulletin Id, Bulletin KB, Severity, "
            "Title, Affected Product, Component KB, Affected Component, "
            "Supersedes"]),
        ("no-supersedes.csv", HEADER.replace(",Supersedes", "").encode(), 2,
         [no_columns + "Supersedes"]),
        ("cut.xlsx", workbook(sheet_xml(HEADER_ROW + ROW))[:-30], 2,
         ["damaged zip archive: no central directory (cut short?)"]),
        ("bad-crc.xlsx", with_bad_crc(), 2,
         ["damaged zip archive: " + SHEET + " has a bad CRC"]),
        ("bomb.xlsx", workbook(bomb), 2,
         [SHEET + " inflates to more than 256 MiB"]),
        ("not-well-formed.xlsx",
         workbook(sheet_xml('<row r="1"><c t="s"><v>1</v></row>')), 2,
         [SHEET + " is not well-formed XML (byte 88): end tag </row> does "
          "not close <c>"]),
        ("doctype.xlsx", workbook(sheet_xml(
            HEADER_ROW + ROW.replace("SMB", "&xxe;"),
            '<!DOCTYPE worksheet [<!ENTITY xxe SYSTEM "file:///etc/passwd">'
            ']>')), 2,
         [SHEET + " holds a document type declaration (<!DOCTYPE), which is"
          " not read: no DTD or external entity is"]),
        ("entity.xlsx", workbook(sheet_xml(
            HEADER_ROW + ROW.replace("SMB", "&xxe;"))),
         2, [SHEET + " is not well-formed XML (byte 975): an entity &xxe; "
             "that XML does not define (no DTD is read)"]),
        ("bad-rows.csv", bad_rows_csv(), 0, bad_rows),
    ]


def check_bad_input(arguments, folder):
    problems = []
    good = os.path.join(arguments.data, DATA_FILES[0] + ".csv")
    for name, data, want_code, want_lines in bad_input_cases():
        path = os.path.join(folder, name)
        if data is not None:
            with open(path, "wb") as file:
                file.write(data)
        # After a good file: nothing of it may be written either.
        code, out, err = run([arguments.program, good, name], cwd=folder)
        expect(problems, name + ": exit code", code, want_code)
        if want_code != 0:
            expect(problems, name + ": output", out, b"")
            want_lines = [(name + ": " + line).encode() for line in want_lines]
        expect(problems, name + ": errors", err.split(b"\r\n"),
               [PROGRAM + line for line in want_lines] + [b""])
    return problems


# What the hostile cases' baselines must say, beyond being read by the
# table: rules of a requirement, and lines of the head.
HOSTILE_OUTPUT = {
    # 2 August 2010, after XP SP2's and 2000's support ended.
    "uk-dates": [b"[MS10-046] Critical: Vulnerability in Windows Shell\r\n"
                 b"Windows NT 4.0 SP0-SP6 no update\r\n"
                 b"Windows 2000 SP0-SP4 no update\r\n"
                 b"Windows XP SP0-SP2 no update\r\n"
                 b"Windows XP SP3 KB2286198\r\n",
                 b"#   dates n/n/yyyy: day/month/year, as 1 of its rows show"
                 b"\r\n"],
    "uk-dates-given": [b"#   dates n/n/yyyy: day/month/year (--date-order "
                       b"dmy)\r\n#   rows dated in the other order only (left "
                       b"out): 1\r\n"],
    "replacement-chain": [b"# Levels whose replacements were cut at the "
                          b"nearest 256: 3743\r\n"],
    "id-collision": [b"[MS13-081-KB1111111]", b"[MS13-081-KB2222222]",
                     b"#   bulletin ID of the form of one update's "
                     b"requirement (ID-KBnnn): 1\r\n"],
}


def is_one_visible_line(text):
    """One line ending in CR LF, without control characters or the
    characters that move text."""
    if not text.endswith(b"\r\n") or b"\n" in text[:-2] or \
            b"\r" in text[:-2]:
        return False
    line = text[:-2].decode("utf-8", "replace")
    return not any(ord(c) < 0x20 or 0x7F <= ord(c) <= 0x9F or
                   0x200B <= ord(c) <= 0x200F or 0x2028 <= ord(c) <= 0x202E
                   or 0x2060 <= ord(c) <= 0x206F for c in line)


def check_hostile(arguments, folder):
    problems = []
    for name, program, make, want_code, want_error in hostile_inputs.CASES:
        if program != "baseline":
            continue
        case_folder = os.path.join(folder, name)
        answer = run_hostile_case(arguments.program, make, case_folder,
                                  not arguments.no_memory_limit)
        if answer is None:
            problems.append("%s: no answer within %d s"
                            % (name, HOSTILE_SECONDS))
            continue
        code, out, err = answer
        expect(problems, name + ": exit code", code, want_code)
        expect(problems, name + ": a text on standard error",
               want_error.encode() in err, True)
        if want_code != 0:
            expect(problems, name + ": output", out, b"")
            expect(problems, name + ": one visible line",
                   is_one_visible_line(err), True)
            continue
        for text in HOSTILE_OUTPUT.get(name, []):
            expect(problems, name + ": output holds " + repr(text),
                   text in out, True)
        # What the converter writes, the table reads.
        os.makedirs(os.path.join(case_folder, "reports"))
        baseline = os.path.join(case_folder, "baseline.txt")
        with open(baseline, "wb") as file:
            file.write(out)
        code, _, err = run([arguments.table_program, "--baseline", baseline,
                            os.path.join(case_folder, "reports")])
        expect(problems, name + ": the table reads the baseline",
               (code, err), (0, b""))
    return problems


def check_usage(arguments, folder):
    problems = []
    usage = (b" (usage: hotfixes-baseline [--component TEXT]... "
             b"[--date-order dmy|mdy] FILE... | --components FILE...)\r\n")
    for command, message in (
            ([], b"no bulletin data file given"),
            (["--components"], b"no bulletin data file given"),
            (["--components", "--component", "x", "x.csv"],
             b"--components lists the components; it takes no --component"),
            (["--component"], b"--component needs a text"),
            (["--component", "", "x.csv"], b"--component needs a text"),
            (["--sheet", "x.csv"], b"unknown option --sheet"),
            (["--date-order", "ymd", "x.csv"],
             b"--date-order needs dmy or mdy")):
        code, out, err = run([arguments.program] + command, cwd=folder)
        expect(problems, "%s: exit code" % command, code, 2)
        expect(problems, "%s: output" % command, out, b"")
        expect(problems, "%s: errors" % command, err,
               PROGRAM + message + usage)
    code, out, err = run([arguments.program, "--version"])
    expect(problems, "--version", (code, out, err),
           (0, b"hotfixes-baseline " + arguments.version.encode() + b"\r\n",
            b""))
    code, out, err = run([arguments.program, "--help"])
    lines = out.split(b"\r\n")
    expect(problems, "--help: exit code and errors", (code, err), (0, b""))
    expect(problems, "--help: usage line", lines[0], usage[2:-3])
    expect(problems, "--help: fits one screen", len(lines) <= 25, True)
    for word in (b"--component TEXT", b"--components",
                 b"--date-order dmy|mdy", b"FILE",
                 b"Exit codes", b"  4  "):
        expect(problems, "--help names " + word.decode(), word in out, True)
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--rows-program", required=True)
    parser.add_argument("--table-program",
                        help="hotfixes-table, for hostile and real-machines")
    parser.add_argument("--no-memory-limit", action="store_true",
                        help="for a sanitizer's build, which needs more")
    parser.add_argument("--soffice", default="soffice")
    parser.add_argument("--version", default="")
    parser.add_argument("--data", required=True)
    parser.add_argument("group", choices=("real-rows", "bad-input", "hostile",
                                          "usage", "real-machines"))
    arguments = parser.parse_args()
    # The runs' working folder is the temporary one.
    for name in ("program", "rows_program", "table_program", "data"):
        if getattr(arguments, name):
            setattr(arguments, name,
                    os.path.abspath(getattr(arguments, name)))
    check = {"real-rows": check_real_rows, "bad-input": check_bad_input,
             "hostile": check_hostile, "usage": check_usage,
             "real-machines": check_real_machines}[arguments.group]
    problems = in_temporary_folder(lambda folder: check(arguments, folder))
    return print_outcome(arguments.group, problems)


if __name__ == "__main__":
    sys.exit(main())
