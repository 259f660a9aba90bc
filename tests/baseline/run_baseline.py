#!/usr/bin/env python3
"""Runs the native hotfixes-baseline over real files and checks its exit
code, standard output and standard error.

    run_baseline.py --program hotfixes-baseline --rows-program
        print_bulletin_rows --soffice soffice --data DIR GROUP

GROUP is one of: real-rows (rows copied from Microsoft's bulletin data, in
both header forms, read from their CSV and from the .xlsx LibreOffice Calc
makes of it: the same rows, the expected ones), bad-input (files that are
no bulletin data, damaged or hostile workbooks: exit 2 with one line and
nothing on standard output; rows that cannot be read: left out, each named),
hostile (the baseline cases of tests/support/hostile_inputs.py: small files
that ask for gigabytes or hours, dates day first, texts that would move the
terminal, baselines the table would refuse; each answered within 60 s under
1 GiB of address space, a baseline written only when hotfixes-table reads
it) and usage (command lines the program refuses, --help, --version)."""

import argparse
import io
import os
import re
import resource
import shutil
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "support"))
import hostile_inputs  # noqa: E402

TIMEOUT = 120
PROGRAM = b"hotfixes-baseline: "
DATA_FILES = ("bulletins-2008-2017", "bulletins-2001-2008-form")
HEADER = ("Date Posted,Bulletin Id,Bulletin KB,Severity,Impact,Title,"
          "Affected Product,Component KB,Affected Component,Impact,Severity,"
          "Supersedes,Reboot,CVEs\r\n")
SHEET = "xl/worksheets/sheet1.xml"


def run(command, cwd=None, memory=None, timeout=TIMEOUT):
    """Exit code, standard output and error; `memory`: the bytes of
    address space it may take."""
    def limit():
        resource.setrlimit(resource.RLIMIT_AS, (memory, memory))
    completed = subprocess.run(command, cwd=cwd, capture_output=True,
                               stdin=subprocess.DEVNULL, timeout=timeout,
                               preexec_fn=limit if memory else None)
    return completed.returncode, completed.stdout, completed.stderr


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
    code, _, err = run([arguments.program] + [
        os.path.join(arguments.data, name + ".csv") for name in DATA_FILES])
    expect(problems, "both files: exit code", code, 0)
    expect(problems, "both files: errors", err, b"")
    return problems


def workbook(sheet, compression=zipfile.ZIP_DEFLATED):
    """A minimal .xlsx: its first sheet "Bulletins" is `sheet` (bytes, or a
    function writing it to a file object), its texts inline."""
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", compression) as archive:
        archive.writestr("[Content_Types].xml", "<Types/>")
        archive.writestr(
            "_rels/.rels",
            '<Relationships><Relationship Id="rId1" Type="http://schemas.'
            'openxmlformats.org/officeDocument/2006/relationships/'
            'officeDocument" Target="xl/workbook.xml"/></Relationships>')
        archive.writestr(
            "xl/workbook.xml",
            '<workbook xmlns:r="r"><sheets><sheet name="Bulletins" '
            'sheetId="1" r:id="rId7"/></sheets></workbook>')
        archive.writestr(
            "xl/_rels/workbook.xml.rels",
            '<Relationships><Relationship Id="rId7" Type="worksheet" '
            'Target="worksheets/sheet1.xml"/></Relationships>')
        if callable(sheet):
            with archive.open(SHEET, "w", force_zip64=False) as member:
                sheet(member)
        else:
            archive.writestr(SHEET, sheet)
    return buffer.getvalue()


def inline_row(number, texts):
    cells = "".join('<c t="inlineStr"><is><t>%s</t></is></c>' % text
                    for text in texts)
    return '<row r="%d">%s</row>' % (number, cells)


HEADER_ROW = inline_row(1, HEADER.strip().split(","))
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
    data = workbook(sheet_xml(HEADER_ROW + ROW), zipfile.ZIP_STORED)
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
    memory = None if arguments.no_memory_limit else 1 << 30
    for name, program, make, want_code, want_error in hostile_inputs.CASES:
        if program != "baseline":
            continue
        case_folder = os.path.join(folder, name)
        os.mkdir(case_folder)
        argv = make(case_folder, "full")
        try:
            code, out, err = run([arguments.program] + argv, case_folder,
                                 memory, timeout=60)
        except subprocess.TimeoutExpired:
            problems.append(name + ": no answer within 60 s")
            continue
        finally:
            for file in os.listdir(case_folder):
                path = os.path.join(case_folder, file)
                if os.path.isfile(path) and file.endswith((".csv", ".xlsx")):
                    os.remove(path)
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
        baseline = os.path.join(case_folder, "baseline.txt")
        with open(baseline, "wb") as file:
            file.write(out)
        os.mkdir(os.path.join(case_folder, "reports"))
        code, _, err = run([arguments.table_program, "--baseline", baseline,
                            os.path.join(case_folder, "reports")])
        expect(problems, name + ": the table reads the baseline",
               (code, err), (0, b""))
    return problems


def check_usage(arguments, folder):
    problems = []
    usage = (b" (usage: hotfixes-baseline [--component TEXT]... "
             b"[--date-order dmy|mdy] FILE...)\r\n")
    for command, message in (
            ([], b"no bulletin data file given"),
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
    for word in (b"--component TEXT", b"--date-order dmy|mdy", b"FILE",
                 b"Exit codes", b"  4  "):
        expect(problems, "--help names " + word.decode(), word in out, True)
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--rows-program", required=True)
    parser.add_argument("--table-program", help="for group hostile")
    parser.add_argument("--no-memory-limit", action="store_true",
                        help="for a sanitizer's build, which needs more")
    parser.add_argument("--soffice", default="soffice")
    parser.add_argument("--version", default="")
    parser.add_argument("--data", required=True)
    parser.add_argument("group", choices=("real-rows", "bad-input", "hostile",
                                          "usage"))
    arguments = parser.parse_args()
    # The runs' working folder is the temporary one.
    for name in ("program", "rows_program", "table_program", "data"):
        if getattr(arguments, name):
            setattr(arguments, name,
                    os.path.abspath(getattr(arguments, name)))
    folder = tempfile.mkdtemp()
    try:
        check = {"real-rows": check_real_rows, "bad-input": check_bad_input,
                 "hostile": check_hostile,
                 "usage": check_usage}[arguments.group]
        problems = check(arguments, folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for problem in problems:
        print(problem)
    if not problems:
        print("ok: %s" % arguments.group)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
