#!/usr/bin/env python3
"""Files made to cost hotfixes-baseline and hotfixes-table --since far more
than their size, or to be read wrongly: small workbooks that inflate into
what a reader might hold whole, a CSV of one endless row, bulletins that
replace each other in a long chain, an earlier audit's line of things the
reader ignores, day/month/year dates, texts that would move the terminal.

Each case is a row of CASES: its name, the program ("baseline" or
"table"), a function writing its files into a folder and returning the
program's arguments, and what the program must answer: its exit code and
a text its standard error must hold. tests/auditor/baseline/run_baseline.py and
tests/native/run_table.py run them as rows of their tables,
bench/hostile_bench.py times them, and fuzz/run_fuzz.sh takes the small
forms (--seeds) as seeds of the fuzz targets.

    hostile_inputs.py --list
    hostile_inputs.py --write CASE FOLDER     # prints the arguments
    hostile_inputs.py --seeds FOLDER          # small forms, fuzz seeds
"""

import argparse
import io
import os
import sys
import warnings
import zipfile

HEADER = ("Date Posted,Bulletin Id,Bulletin KB,Severity,Impact,Title,"
          "Affected Product,Component KB,Affected Component,Impact,Severity,"
          "Supersedes,Reboot,CVEs\r\n")
XP_SP2 = "Microsoft Windows XP Service Pack 2"
XP_SP3 = "Microsoft Windows XP Service Pack 3"
W2000_SP4 = "Microsoft Windows 2000 Service Pack 4"
MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
RELATIONSHIP = ("http://schemas.openxmlformats.org/officeDocument/2006/"
                "relationships/")
SHEET = "xl/worksheets/sheet1.xml"
STRINGS = "xl/sharedStrings.xml"
MIB = 1 << 20

# A report of the table's, for the runs of --since.
REPORT = ("Hotfix inventory for Windows NT\r\nhotfixes.exe Ver.0.6.12.21\r\n"
          "\r\nWindows XP Professional Service Pack 3 (Build 2600)\r\n\r\n"
          "[KB958644] Security Update\r\n\r\nFound 1 Hot-Fix\r\n")
# The report's time, and the earlier audit's a week before.
WRITTEN = 1796119205
EARLIER_TIME = "2026-11-24T10:00:05Z"


def csv_row(date, bulletin, kb, product, supersedes="", title="Title",
            component=""):
    return ('%s,%s,%s,Critical,x,%s,%s,%s,%s,x,Critical,"%s",Yes,\r\n'
            % (date, bulletin, kb, title, product, kb, component,
               supersedes))


def write(folder, name, data):
    mode = "wb" if isinstance(data, bytes) else "w"
    with open(os.path.join(folder, name), mode) as file:
        file.write(data)
    return name


def workbook(sheet, strings=None, extra=(),
             compression=zipfile.ZIP_DEFLATED):
    """An .xlsx whose first worksheet "Bulletins" is `sheet` and shared
    strings `strings`: bytes, or a function writing them into a member."""
    buffer = io.BytesIO()
    warnings.simplefilter("ignore", UserWarning)  # a name given twice
    with zipfile.ZipFile(buffer, "w", compression) as archive:
        archive.writestr("[Content_Types].xml", "<Types/>")
        archive.writestr(
            "_rels/.rels",
            '<Relationships><Relationship Id="rId1" Type="%sofficeDocument" '
            'Target="xl/workbook.xml"/></Relationships>' % RELATIONSHIP)
        archive.writestr(
            "xl/workbook.xml",
            '<workbook xmlns:r="r"><sheets><sheet name="Bulletins" '
            'sheetId="1" r:id="rId7"/></sheets></workbook>')
        archive.writestr(
            "xl/_rels/workbook.xml.rels",
            '<Relationships><Relationship Id="rId7" Type="%sworksheet" '
            'Target="worksheets/sheet1.xml"/>%s</Relationships>'
            % (RELATIONSHIP, "" if strings is None else
               '<Relationship Id="rId8" Type="%ssharedStrings" '
               'Target="sharedStrings.xml"/>' % RELATIONSHIP))
        for name, data in ((SHEET, sheet), (STRINGS, strings)):
            if data is None:
                continue
            if callable(data):
                with archive.open(name, "w", force_zip64=False) as member:
                    data(member)
            else:
                archive.writestr(name, data)
        for name, data in extra:
            archive.writestr(name, data)
    return buffer.getvalue()


def inline_row(number, texts):
    cells = "".join('<c t="inlineStr"><is><t>%s</t></is></c>' % text
                    for text in texts)
    return '<row r="%d">%s</row>' % (number, cells)


HEADER_ROW = inline_row(1, HEADER.strip().split(","))


def sheet_xml(rows):
    return ('<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="%s">'
            '<sheetData>%s</sheetData></worksheet>' % (MAIN_NS, rows)).encode()


def in_pieces(member, piece, count):
    for _ in range(count):
        member.write(piece)


# --- hotfixes-baseline ----------------------------------------------------

# MS10-046 (the .LNK hole) as a UK spreadsheet writes its date: 2 August
# 2010, after XP SP2's and 2000's support ended (2010-07-13), so both have
# no update; read month first it is 8 February and they are not affected.
def uk_rows(deciding):
    rows = csv_row("02/08/2010", "MS10-046", "2286198", XP_SP3,
                   title="Vulnerability in Windows Shell")
    if deciding:
        rows += csv_row("25/08/2010", "MS10-047", "981852", XP_SP3,
                        title="Vulnerability in Windows Kernel")
    return rows


def uk_dates(folder, scale):
    return [write(folder, "uk-dates.csv", HEADER + uk_rows(True))]


def uk_dates_undecided(folder, scale):
    return [write(folder, "uk-undecided.csv", HEADER + uk_rows(False))]


def uk_dates_given(folder, scale):
    # The month-first row contradicts the order given: left out, counted.
    return ["--date-order", "dmy",
            write(folder, "uk-given.csv", HEADER + uk_rows(False) +
                  csv_row("08/25/2010", "MS10-048", "2160329", XP_SP3))]


def one_huge_shared_string(folder, scale):
    """A 64 MiB shared string (64 runs of 1 MiB, each within a reader's
    bound for one token) that 2,000 cells of a row refer to."""
    runs = 64 if scale == "full" else 2
    cells = 2000 if scale == "full" else 20

    def strings(member):
        member.write(('<sst xmlns="%s"><si>' % MAIN_NS).encode())
        run = b"<r><t>" + b"x" * (MIB - 64) + b"</t></r>"
        in_pieces(member, run, runs)
        member.write(b"</si></sst>")
    row = '<row r="2">%s</row>' % ('<c t="s"><v>0</v></c>' * cells)
    return [write(folder, "huge-string.xlsx",
                  workbook(sheet_xml(HEADER_ROW + row), strings))]


def deep_nesting(folder, scale):
    """200 MiB of elements each inside the one before."""
    count = (200 * MIB // 3) if scale == "full" else 100000

    def sheet(member):
        member.write(('<worksheet xmlns="%s"><sheetData>' % MAIN_NS).encode())
        in_pieces(member, b"<a>" * (MIB // 3), count // (MIB // 3))
        member.write(b"<a>" * (count % (MIB // 3)))
    return [write(folder, "deep.xlsx", workbook(sheet))]


def many_shared_strings(folder, scale):
    """52 million empty shared strings."""
    count = 52 * 1000 * 1000 if scale == "full" else 100000

    def strings(member):
        member.write(('<sst xmlns="%s">' % MAIN_NS).encode())
        in_pieces(member, b"<si/>" * MIB, count // MIB)
        member.write(b"<si/>" * (count % MIB))
        member.write(b"</sst>")
    return [write(folder, "many-strings.xlsx",
                  workbook(sheet_xml(HEADER_ROW), strings))]


def endless_csv_row(folder, scale):
    """One row of 60 million commas."""
    count = 60 * 1000 * 1000 if scale == "full" else 20000
    path = os.path.join(folder, "commas.csv")
    with open(path, "wb") as file:
        file.write(HEADER.encode())
        piece = b"," * MIB
        for _ in range(count // MIB):
            file.write(piece)
        file.write(b"," * (count % MIB) + b"\r\n")
    return ["commas.csv"]


def replacement_chain(folder, scale):
    """4,000 bulletins on XP SP3, each replacing the one before."""
    count = 4000 if scale == "full" else 300
    rows = [HEADER]
    for i in range(count):
        day = i % 28 + 1
        month = i // 28 % 12 + 1
        year = 2004 + i // (28 * 12)
        supersedes = "MS90-%04d[%d]" % (i - 1, 1000000 + i - 1) if i else ""
        rows.append(csv_row("%04d-%02d-%02d" % (year, month, day),
                            "MS90-%04d" % i, str(1000000 + i), XP_SP3,
                            supersedes))
    return [write(folder, "chain.csv", "".join(rows))]


def raw_bytes_in_messages(name, sheet):
    def make(folder, scale):
        return [write(folder, name, workbook(sheet))]
    return make


def header_only(folder, scale):
    return [write(folder, "header-only.csv", HEADER)]


def no_nt_rows(folder, scale):
    return [write(folder, "windows-7.csv", HEADER + csv_row(
        "2010-08-02", "MS10-046", "2286198",
        "Windows 7 for 32-bit Systems"))]


def id_collision(folder, scale):
    """MS13-081 needs two updates on XP SP3, so that each is a requirement
    of its own, MS13-081-KB1111111; a bulletin row names that ID itself."""
    return [write(folder, "collision.csv", HEADER +
                  csv_row("2013-10-08", "MS13-081", "1111111", XP_SP3) +
                  csv_row("2013-10-08", "MS13-081", "2222222", XP_SP3) +
                  csv_row("2013-10-08", "ms13-081-kb1111111", "3333333",
                          XP_SP3))]


def duplicate_member(folder, scale):
    """The worksheet twice: Python's zipfile reads the last, a reader that
    takes the first sees other rows."""
    data = workbook(sheet_xml(HEADER_ROW),
                    extra=[(SHEET, sheet_xml(HEADER_ROW + inline_row(
                        2, ["2010-08-02", "MS10-046"])))])
    return [write(folder, "twice.xlsx", data)]


# --- hotfixes-table --since -----------------------------------------------

def earlier_line(extra):
    return ('{"machine":"PC1","status":"complete","os":"","reported":"%s",'
            '"hotfixes":[{"hotfix_id":"KB958644"}]%s}\n'
            % (EARLIER_TIME, extra))


def share(folder):
    os.makedirs(os.path.join(folder, "share"), exist_ok=True)
    path = os.path.join(folder, "share", "PC1.txt")
    with open(path, "w", newline="") as file:
        file.write(REPORT)
    os.utime(path, (WRITTEN, WRITTEN))
    return "share"


def since(name, text):
    def make(folder, scale):
        return ["--format", "changes", "--since",
                write(folder, name, text(scale)), share(folder)]
    return make


def ignored_values(scale):
    """One 60 MiB line: a list of empty objects under a key the reader
    does not know."""
    count = 20 * MIB if scale == "full" else 10000
    return earlier_line(',"later":[' + ",".join(["{}"] * count) + "]")


def many_members(scale):
    count = 100000 if scale == "full" else 2000
    return earlier_line("," + ",".join('"k%d":0' % i for i in range(count)))


def wrong_order(folder, scale):
    """The audits the other way round: the earlier one is this week's."""
    later = earlier_line("").replace(EARLIER_TIME, "2026-12-08T10:00:05Z")
    return ["--format", "changes", "--since",
            write(folder, "later.jsonl", later), share(folder)]


# name, program, make(folder, scale) -> arguments, exit code, in stderr
CASES = [
    ("uk-dates", "baseline", uk_dates, 0, ""),
    ("uk-dates-undecided", "baseline", uk_dates_undecided, 2,
     "--date-order dmy"),
    ("uk-dates-given", "baseline", uk_dates_given, 0,
     "row 3 left out: Date Posted \"08/25/2010\" is no date"),
    ("huge-shared-string", "baseline", one_huge_shared_string, 2,
     "holds a string longer than a cell holds"),
    ("deep-nesting", "baseline", deep_nesting, 2,
     "elements nested more than 64 deep"),
    ("many-shared-strings", "baseline", many_shared_strings, 2,
     "more than 4194304 shared strings"),
    ("endless-csv-row", "baseline", endless_csv_row, 2,
     "row 2 has more than 16384 cells"),
    ("replacement-chain", "baseline", replacement_chain, 0, ""),
    ("entity-newline", "baseline", raw_bytes_in_messages(
        "entity.xlsx", sheet_xml(HEADER_ROW).replace(
            b"<sheetData>", b"<sheetData>&\x1b[2J\n\n;")), 2,
     "an entity &<U+001B>[2J<U+000A><U+000A>;"),
    ("end-tag", "baseline", raw_bytes_in_messages(
        "end-tag.xlsx", b"<worksheet\xe2\x80\xae></x>"), 2,
     "end tag </x> does not close <worksheet<U+202E>>"),
    ("ends-inside", "baseline", raw_bytes_in_messages(
        "ends-inside.xlsx", b"<worksheet><a\xc2\x85>"), 2,
     "it ends inside element <a<U+0085>>"),
    ("header-only", "baseline", header_only, 2,
     "no row for Windows NT 4.0 to Server 2003"),
    ("no-nt-rows", "baseline", no_nt_rows, 2,
     "no row for Windows NT 4.0 to Server 2003"),
    ("id-collision", "baseline", id_collision, 0, ""),
    ("duplicate-zip-member", "baseline", duplicate_member, 2,
     "two members named " + SHEET),
    ("since-ignored-values", "table", since("ignored.jsonl", ignored_values),
     0, ""),
    ("since-many-members", "table", since("members.jsonl", many_members), 2,
     "an object of more than 1000 members"),
    ("since-wrong-order", "table", wrong_order, 2, "wrong order"),
]


def case(name):
    for row in CASES:
        if row[0] == name:
            return row
    raise SystemExit("no case " + name)


def write_seeds(folder):
    """The small form of each file a case makes, named after the case: the
    seeds of the fuzz targets (baseline-* and since-*)."""
    os.makedirs(folder, exist_ok=True)
    for name, program, make, _, _ in CASES:
        scratch = os.path.join(folder, "." + name)
        os.makedirs(scratch, exist_ok=True)
        for argument in make(scratch, "seed"):
            path = os.path.join(scratch, argument)
            if os.path.isfile(path):
                prefix = "baseline-" if program == "baseline" else ""
                os.replace(path, os.path.join(folder, prefix + name + "-" +
                                              os.path.basename(path)))
        for root, folders, files in os.walk(scratch, topdown=False):
            for file in files:
                os.remove(os.path.join(root, file))
            for sub in folders:
                os.rmdir(os.path.join(root, sub))
        os.rmdir(scratch)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--write", nargs=2, metavar=("CASE", "FOLDER"))
    parser.add_argument("--seeds", metavar="FOLDER")
    parser.add_argument("--scale", choices=("full", "seed"), default="full")
    arguments = parser.parse_args()
    if arguments.list:
        for name, program, _, code, error in CASES:
            print("%-24s %-8s exit %d  %s" % (name, program, code, error))
    elif arguments.write:
        name, folder = arguments.write
        os.makedirs(folder, exist_ok=True)
        print(" ".join(case(name)[2](folder, arguments.scale)))
    elif arguments.seeds:
        write_seeds(arguments.seeds)
    else:
        parser.print_help()
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
