#!/usr/bin/env python3
"""Runs the native hotfixes-table over real files and checks its exact
table, standard error and exit code.

    run_table.py --program hotfixes-table GROUP

GROUP is one of the groups below: bad-input (a folder of files that are no
good report, each of which must still appear with its status), encodings
(the ways a report's bytes reach the auditor), usage (command lines the
program refuses before it writes anything), since (two collections a week
apart compared: every kind of change, from the folder and from the earlier
run's JSON Lines alike, judged and unjudged, and stale reports),
since-hostile (the --since cases of tests/support/hostile_inputs.py: an
earlier audit's line that asks for gigabytes or hours, audits in the wrong
order; each answered within 60 s under 1 GiB of address space) and
hostile (files a user who
may write the share made to mislead; with --soffice, the table is also
opened in LibreOffice Calc with formula evaluation on, and every cell must
hold its field's text: nothing evaluated, no row lost)."""

import html.parser

import argparse
import os
import pwd
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "support"))
import driver  # noqa: E402
import hostile_inputs  # noqa: E402

TIMEOUT = 120
# Every file's modification time: 2026-12-01T10:00:05Z.
WRITTEN = 1796119205
HEADER = (b"machine,status,found,os,windows,hotfix,comment,problem,reported,"
          b"owner\r\n")
# Every file is written by this run, under its user: the owner column's.
OWNER = pwd.getpwuid(os.geteuid()).pw_name.encode()
WHEN = b",2026-12-01T10:00:05Z," + OWNER + b"\r\n"
OS = "Windows XP Professional Service Pack 3 (Build 2600)"
# The os column, and the windows column that follows it.
OS_AND_WINDOWS = OS.encode() + b",Windows XP SP3"
NOBODY = 65534


def report(hotfixes, os_line=OS, ending="\r\nFound {count} Hot-Fix\r\n"):
    lines = "".join("[%s] %s\r\n" % pair for pair in hotfixes)
    return ("Hotfix inventory for Windows NT\r\nhotfixes.exe Ver.0.6.12.21\r\n"
            "\r\n%s\r\n\r\n%s%s" % (os_line, lines,
                                    ending.format(count=len(hotfixes))))


JAPANESE = report([("KB1", "日本語の更新"), ("KB2", "二つ目")],
                  os_line="Windows XP Professional Service Pack 3 (Build 2600)")


def bad_input_files():
    """name -> bytes (None: a folder), with the rows each must give."""
    garbage = bytes((i * 7919 + 13) % 256 for i in range(4096))
    files = {
        "empty.txt": b"",
        "garbage.txt": garbage,
        "big.txt": b"x" * (100 << 20),
        "nul.txt": report([("KB1", "a")]).encode()[:120] + b"\0" * 8 + b"y\r\n",
        "cut-character.txt": JAPANESE.encode("cp932")[:-len("二つ目\r\n\r\nFound 2 Hot-Fix\r\n".encode("cp932")) + 1],
        "locked.txt": report([("KB1", "a")]).encode(),
        "LOUD.TXT": report([]).encode(),
        "notes.log": b"not a report",
        "folder.txt": None,
    }
    rows = (
        b"big,unreadable,,,,,,not a report: larger than 16 MiB" + WHEN +
        b"cut-character,incomplete,," + OS_AND_WINDOWS +
        b",KB1,\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe6\x9b\xb4"
        b"\xe6\x96\xb0,cut short after line 6" + WHEN +
        b"cut-character,incomplete,," + OS_AND_WINDOWS +
        b",KB2,\xef\xbf\xbd,cut short after line 6" + WHEN +
        b"empty,unreadable,,,,,,empty file" + WHEN +
        b"garbage,unreadable,,,,,,not a report: it holds NUL bytes" + WHEN +
        b"locked,unreadable,,,,,,cannot be read: Permission denied,,\r\n"
        b"LOUD,complete,0," + OS_AND_WINDOWS + b",,,," + WHEN[1:] +
        b"nul,unreadable,,,,,,not a report: it holds NUL bytes" + WHEN)
    return files, rows


def encodings_files():
    plain = report([("KB1", "café"), ("KB2", "two\r\nlines")])
    files = {
        "ansi.txt": plain.encode("cp1252"),
        "lf-alone.txt": plain.replace("\r\n", "\n").encode("cp1252"),
        "powershell.txt": b"\xff\xfe" + plain.encode("utf-16-le"),
        "utf8-mark.txt": b"\xef\xbb\xbf" + plain.encode("utf-8"),
        "japanese-as-1252.txt": JAPANESE.encode("cp932"),
    }
    def plain_rows(name):
        return (name.encode() + b",complete,2," + OS_AND_WINDOWS +
                b",KB1,caf\xc3\xa9," + WHEN +
                name.encode() + b",complete,2," + OS_AND_WINDOWS +
                b",KB2,\"two\r\nlines\"," + WHEN)
    # Read as 1252, what a code page 932 machine wrote is wrong text, but
    # a complete report all the same.
    wrong = JAPANESE.encode("cp932").decode("cp1252", errors="replace")
    comments = [line[len("[KB1] "):] for line in wrong.split("\r\n")[5:7]]
    rows = {name: plain_rows(name) for name in
            ("ansi", "lf-alone", "powershell", "utf8-mark")}
    rows["japanese-as-1252"] = b"".join(
        b"japanese-as-1252,complete,2," + OS_AND_WINDOWS + b",KB%d," % number +
        comment.encode() + b"," + WHEN
        for number, comment in ((1, comments[0]), (2, comments[1])))
    rows = b"".join(rows[name] for name in sorted(rows))
    return files, rows


def hostile_files():
    """Names and contents made to run formulas, pass for another machine,
    hide characters or flood the table; the rows and warnings they give."""
    formulas = report([
        ("=3+3", '=HYPERLINK("http://evil.example/?x","Click for details")'),
        ("KB1", "+cmd|' /C calc'!A0"),
        ("@SUM(1;2)", "-2+3"),
        ("KB2", "caf\u00e9 first line\r\n=1+1 second line")])
    files = {
        "=1+1.txt": report([]).encode(),
        "evil:PC042.txt": report([]).encode(),
        "x\\PC042.txt": report([]).encode(),
        "PC042\u200b.txt": report([]).encode(),
        "\u202e240CP.txt": report([]).encode(),
        "\x1b[1A\x1b[2KPC9\n.txt": report([]).encode(),
        "PC042.txt": b"\xef\xbb\xbf" + formulas.encode("utf-8"),
        "long-os.txt": report([], os_line="W" * 256).encode(),
        "zeros.txt": report([], ending="\r\nFound 00 Hot-Fix\r\n").encode(),
    }
    plain = b",complete,0," + OS_AND_WINDOWS + b",,,," + WHEN[1:]
    rows = (
        b"<U+001B>[1A<U+001B>[2KPC9<U+000A>" + plain +
        b"<U+202E>240CP" + plain +
        b"'=1+1" + plain +
        b"evil:PC042" + plain +
        b"link,unreadable,,,,,,not a report: a symbolic link,,\r\n"
        b"long-os,unreadable,,,,,,not a report: its OS line is longer than "
        b"255 bytes" + WHEN +
        b"PC042,complete,4," + OS_AND_WINDOWS + b",'=3+3,\"'=HYPERLINK(\"\""
        b"http://evil.example/?x\"\",\"\"Click for details\"\")\"," + WHEN +
        b"PC042,complete,4," + OS_AND_WINDOWS + b",KB1,'+cmd|' /C calc'!A0," +
        WHEN +
        b"PC042,complete,4," + OS_AND_WINDOWS + b",'@SUM(1;2),'-2+3," + WHEN +
        b"PC042,complete,4," + OS_AND_WINDOWS + b",KB2,\"caf\xc3\xa9 first line"
        b"\r\n=1+1 second line\"," + WHEN +
        b"PC042<U+200B>" + plain +
        b"x\\PC042" + plain +
        b"zeros,incomplete,," + OS_AND_WINDOWS + b",,Found 00 Hot-Fix,"
        b"cut short after line 7" + WHEN)
    warning = (b": characters that cannot be seen or that move text, shown "
               b"as <U+code point>\r\n")
    errors = b"".join(b"hotfixes-table: FOLDER/" + name + warning for name in (
        b"<U+001B>[1A<U+001B>[2KPC9<U+000A>.txt", b"<U+202E>240CP.txt",
        b"PC042<U+200B>.txt"))
    return files, rows, errors


class CellReader(html.parser.HTMLParser):
    """The cells of the tables of a page LibreOffice wrote, row by row, a
    line break as LF; and whether any cell became a link."""

    def __init__(self):
        super().__init__()
        self.rows, self.cell, self.links = [], None, 0

    def handle_starttag(self, tag, attributes):
        if tag == "tr":
            self.rows.append([])
        elif tag == "td":
            self.cell = ""
        elif tag == "br" and self.cell is not None:
            self.cell += "\n"
        elif tag == "a":
            self.links += 1

    def handle_endtag(self, tag):
        if tag == "td":
            self.rows[-1].append(self.cell)
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def check_in_calc(soffice, folder, table):
    """Opens the table as a spreadsheet would, formulas evaluated, and
    compares each cell with its field."""
    import csv
    import io
    with open(os.path.join(folder, "table.csv"), "wb") as file:
        file.write(table)
    # Comma, double quote, UTF-8, from line 1, standard columns, and the
    # 13th option: evaluate formulas.
    csv_filter = ("Text - txt - csv (StarCalc):"
                  "44,34,76,1,,0,false,false,false,false,false,-1,true")
    completed = subprocess.run(
        [soffice, "--headless", "--norestore",
         "-env:UserInstallation=file://" + os.path.join(folder, "profile"),
         "--infilter=" + csv_filter, "--convert-to", "html",
         "--outdir", os.path.join(folder, "calc"),
         os.path.join(folder, "table.csv")],
        stdin=subprocess.DEVNULL, capture_output=True, timeout=TIMEOUT)
    page = os.path.join(folder, "calc", "table.html")
    if not os.path.exists(page):
        return ["LibreOffice wrote no page: %r" % completed.stderr[-500:]]
    reader = CellReader()
    with open(page, encoding="utf-8") as file:
        reader.feed(file.read())
    fields = list(csv.reader(io.StringIO(table.decode("utf-8"),
                                         newline="")))
    # An empty cell is written as a line break alone.
    cells = [["" if cell == "\n" else cell.replace("\n", "\r\n")
              for cell in row] for row in reader.rows]
    problems = []
    expect(problems, "Calc: rows", len(cells), len(fields))
    expect(problems, "Calc: links", reader.links, 0)
    for number, (got, want) in enumerate(zip(cells, fields), start=1):
        # Calc writes no cell after a row's last one with text.
        while len(got) < len(want) and want[len(got)] == "":
            got.append("")
        expect(problems, "Calc: row %d" % number, got, want)
    return problems


def check_hostile(program, folder, soffice):
    files, rows, errors = hostile_files()
    share = os.path.join(folder, "share")
    os.mkdir(share)
    write_files(share, files)
    target = os.path.join(folder, "outside.txt")
    write_files(folder, {"outside.txt": report([("KB9", "x")]).encode()})
    os.symlink(target, os.path.join(share, "link.txt"))
    code, out, err = run(program, ["share"], folder)
    problems = []
    expect(problems, "exit code", code, 3)
    expect(problems, "table", out, HEADER + rows)
    expect(problems, "standard error", err,
           errors.replace(b"FOLDER", b"share"))
    if soffice:
        problems += check_in_calc(soffice, folder, out)
    problems += check_json_lines(program, folder, out)
    return problems


JSON_KEYS = ["machine", "status", "windows", "service_pack", "os", "found",
             "problem", "reported", "owner", "hotfixes"]


def check_json_lines(program, folder, table):
    """The same files as JSON Lines: every line a JSON object of its own,
    a line per machine, each hotfix of the CSV there."""
    import csv
    import io
    import json
    code, out, err = run(program, ["--format", "jsonl", "share"], folder)
    problems = []
    expect(problems, "jsonl: exit code", code, 3)
    machines = []
    for number, line in enumerate(out.split(b"\n")[:-1], start=1):
        try:
            record = json.loads(line.decode("utf-8"))
        except ValueError as error:
            problems.append("jsonl line %d: %s: %r" % (number, error, line))
            continue
        expect(problems, "jsonl line %d: keys" % number, list(record),
               JSON_KEYS)
        machines += [(record["machine"], h["hotfix_id"], h["comment"])
                     for h in record["hotfixes"]] or [
                         (record["machine"], "", "")]
    rows = csv.DictReader(io.StringIO(table.decode("utf-8"), newline=""))
    # The CSV's guard against formulas is no part of the JSON.
    unguarded = [(row["machine"], row["hotfix"], row["comment"])
                 for row in rows]
    expect(problems, "jsonl: machines and hotfixes",
           machines, [tuple(f[1:] if f[:1] == "'" else f for f in row)
                      for row in unguarded])
    return problems


XP_SP2 = "Windows XP Professional Service Pack 2 (Build 2600)"
# The earlier collection's files, a week before WRITTEN.
EARLIER = WRITTEN - 7 * 86400


def since_collections():
    """Two collections a week apart: a machine added, one removed, one
    whose report was not refreshed, one with a hotfix uninstalled, one
    upgraded from XP SP2 to SP3; and the changes they give."""
    fixes = [("KB958644", "MS08-067"), ("KB899588", "MS05-039"),
             ("KB921883", "MS06-040")]
    old = {
        "PC-GONE.txt": report(fixes),
        "PC-STILL.txt": report(fixes[:1]),
        "PC-UNINST.txt": report(fixes),
        "pc-xp.txt": report(fixes, os_line=XP_SP2),
        "PC-SAME.txt": report(fixes),
    }
    new = {
        "PC-ADD.txt": report(fixes),
        "PC-UNINST.txt": report(fixes[1:]),
        "PC-XP.txt": report(fixes),
        "PC-SAME.txt": report(fixes),
    }
    was, now = b"2026-11-24T10:00:05Z", b"2026-12-01T10:00:05Z"
    changes = (
        b"machine,change,item,before,now,reported_before,reported\r\n"
        b"PC-ADD,new,,,,," + now + b"\r\n"
        b"PC-GONE,gone,,,," + was + b",\r\n"
        b"PC-SAME,unchanged,,,," + was + b"," + now + b"\r\n"
        b"PC-STILL,not refreshed,,,," + was + b"," + was + b"\r\n"
        b"PC-UNINST,changed,,,," + was + b"," + now + b"\r\n"
        b"PC-UNINST,changed,removed,KB958644,," + was + b"," + now + b"\r\n"
        b"PC-XP,changed,,,," + was + b"," + now + b"\r\n"
        b"PC-XP,changed,windows,Windows XP SP2,Windows XP SP3," + was + b"," +
        now + b"\r\n")
    judged = {
        b"PC-UNINST": [b"requirement MS08-067,installed,missing"],
        # SP3 holds MS05-039's and MS06-040's fixes: they stay installed.
        b"PC-XP": [b"requirement MS17-010,no update,missing",
                   b"requirement CVE-2019-0708,no update,missing"],
    }
    return old, new, changes, judged


def check_since(program, folder, baseline):
    old, new, changes, judged = since_collections()
    for name, files, written in (("old", old, EARLIER), ("new", new, WRITTEN)):
        os.mkdir(os.path.join(folder, name))
        write_files(os.path.join(folder, name),
                    {file: text.encode() for file, text in files.items()})
        for file in files:
            os.utime(os.path.join(folder, name, file), (written, written))
    # The report the collection did not run for: the same file as before.
    shutil.copy2(os.path.join(folder, "old", "PC-STILL.txt"),
                 os.path.join(folder, "new"))
    problems = []
    code, archive, err = run(program, ["--format", "jsonl", "old"], folder)
    with open(os.path.join(folder, "old.jsonl"), "wb") as file:
        file.write(archive)
    errors = (b"PC-GONE is gone: last reported 2026-11-24T10:00:05Z\r\n"
              b"PC-UNINST no longer lists KB958644\r\n")
    for earlier in ("old", "old.jsonl"):
        code, out, err = run(program, ["--format", "changes", "--since",
                                       earlier, "new"], folder)
        expect(problems, earlier + ": exit code", code, 3)
        expect(problems, earlier + ": changes", out, changes)
        expect(problems, earlier + ": standard error", err, errors)
    problems += check_since_judged(program, folder, baseline, changes, judged)
    problems += check_since_json(program, folder)
    code, out, err = run(program, ["--stale-after", "6", "new"], folder)
    expect(problems, "stale: exit code", code, 3)
    stale = [line for line in out.split(b"\r\n") if line.endswith(b",yes")]
    expect(problems, "stale: rows", [line.split(b",")[0] for line in stale],
           [b"PC-STILL"])
    expect(problems, "stale: standard error", err,
           b"PC-STILL is stale: reported 2026-11-24T10:00:05Z, more than 6 "
           b"days before the newest report\r\n")
    code, out, err = run(program, ["--stale-after", "7", "--since", "new",
                                   "new"], folder)
    expect(problems, "nothing gone or stale: exit code", code, 0)
    return problems


def check_since_judged(program, folder, baseline, changes, judged):
    """With a baseline, the requirements whose state changed follow each
    machine's rows, both sides judged by it."""
    problems = []
    code, out, err = run(program, ["--format", "changes", "--baseline",
                                   baseline, "--since", "old.jsonl", "new"],
                         folder)
    expect(problems, "judged: exit code", code, 3)
    rows = changes.split(b"\r\n")[:-1]
    expected = []
    for number, row in enumerate(rows):
        expected.append(row)
        machine = row.split(b",")[0]
        last = number + 1 == len(rows) or \
            rows[number + 1].split(b",")[0] != machine
        if last and machine in judged:
            times = b",".join(row.split(b",")[-2:])
            expected += [machine + b",changed," + item + b"," + times
                         for item in judged[machine]]
    expect(problems, "judged: changes", out.split(b"\r\n")[:-1], expected)
    return problems


def check_since_json(program, folder):
    """JSON Lines: every machine's since object, and a line of status
    "gone" for the gone one."""
    import json
    code, out, err = run(program, ["--format", "jsonl", "--since", "old",
                                   "new"], folder)
    problems = []
    expect(problems, "jsonl: exit code", code, 3)
    got = {}
    for line in out.split(b"\n")[:-1]:
        record = json.loads(line)
        since = record["since"]
        got[record["machine"]] = (record["status"], since["change"],
                                  since["added"], since["removed"],
                                  since["windows_before"])
    full = "Windows XP SP3"
    expect(problems, "jsonl: since", got, {
        "PC-ADD": ("complete", "new", [], [], None),
        "PC-GONE": ("gone", "gone", [], [], full),
        "PC-SAME": ("complete", "unchanged", [], [], full),
        "PC-STILL": ("complete", "not refreshed", [], [], full),
        "PC-UNINST": ("complete", "changed", [], ["KB958644"], full),
        "PC-XP": ("complete", "changed", [], [], "Windows XP SP2"),
    })
    return problems


def check_since_hostile(program, folder, memory_limit):
    problems = []
    for name, kind, make, want_code, want_error in hostile_inputs.CASES:
        if kind != "table":
            continue
        answer = driver.run_hostile_case(
            program, make, os.path.join(folder, name), memory_limit)
        if answer is None:
            problems.append("%s: no answer within %d s"
                            % (name, driver.HOSTILE_SECONDS))
            continue
        code, out, err = answer
        expect(problems, name + ": exit code", code, want_code)
        expect(problems, name + ": standard error holds " + want_error,
               want_error.encode() in err, True)
        if want_code == 2:
            expect(problems, name + ": one line, nothing written",
                   (err.count(b"\n"), out), (1, b""))
    return problems


def write_files(folder, files):
    for name, data in files.items():
        path = os.path.join(folder, name)
        if data is None:
            os.mkdir(path)
            continue
        with open(path, "wb") as file:
            file.write(data)
        os.utime(path, (WRITTEN, WRITTEN))


def run(program, arguments, cwd, as_nobody=False):
    def demote():
        os.setgid(NOBODY)
        os.setuid(NOBODY)
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        completed = subprocess.run(
            [program] + arguments, cwd=cwd, stdin=subprocess.DEVNULL,
            stdout=out, stderr=err, timeout=TIMEOUT,
            preexec_fn=demote if as_nobody else None)
        out.seek(0)
        err.seek(0)
        return completed.returncode, out.read(), err.read()


def expect(problems, label, actual, expected):
    if actual != expected:
        problems.append("%s: expected %r, got %r" % (label, expected, actual))


def check_table(program, folder, files, rows, arguments=()):
    write_files(folder, files)
    locked = os.path.join(folder, "locked.txt")
    as_nobody = os.path.exists(locked) and os.geteuid() == 0
    if os.path.exists(locked):
        os.chmod(locked, 0)
    if as_nobody:
        # Root reads every file: the run gives up root to be refused.
        os.chmod(folder, 0o755)
    code, out, err = run(program, list(arguments) + [folder], folder,
                         as_nobody)
    problems = []
    expect(problems, "exit code", code, 3 if b"unreadable" in rows or
           b"incomplete" in rows else 0)
    expect(problems, "table", out, HEADER + rows)
    expect(problems, "standard error", err, b"")
    return problems


def check_usage(program, folder, version):
    # The list ends as `copy /a` ends a text file.
    write_files(folder, {"PC1.txt": report([]).encode(),
                         "list.txt": b"KB1\r\n\x1a",
                         "typo.txt": b"[A]\r\nWindows XP SP2 - SP3 KB1\r\n",
                         "huge.txt": b""})
    # Past the bound without filling the disk: a file of holes.
    os.truncate(os.path.join(folder, "huge.txt"), (64 << 20) + 1)
    cases = [
        ([], b"no report file or folder given"),
        (["--codepage", "99999", "."], b"unknown code page 99999"),
        (["--codepage", "12x", "."], b"unknown code page 12x"),
        (["--format"], b"--format needs a value"),
        (["--format", "pdf", "."], b"unknown format pdf (csv, html, wide, jsonl or changes)"),
        ([".", "missing"], b"missing: No such file or directory"),
        (["--require", "nolist.txt", "."],
         b"cannot read nolist.txt: No such file or directory"),
        (["--baseline", "typo.txt", "."],
         b"typo.txt:2: a range is written without blanks: SP2-SP3"),
        (["--baseline", "huge.txt", "."],
         b"cannot read huge.txt: larger than 64 MiB, the most a baseline or "
         b"a list of hotfixes may hold"),
    ]
    problems = []
    for arguments, message in cases:
        code, out, err = run(program, arguments, folder)
        label = " ".join(arguments) or "no arguments"
        expect(problems, label + ": exit code", code, 2)
        expect(problems, label + ": table", out, b"")
        expect(problems, label + ": standard error", err,
               b"hotfixes-table: " + message + b" (usage: hotfixes-table "
               b"[--format csv|html|wide|jsonl|changes] [--bom] [--require FILE | "
               b"--baseline FILE... [--exposed]] [--codepage N] [--since EARLIER]... "
               b"[--stale-after DAYS] PATH...)\r\n")
    code, out, err = run(program, ["--require", "list.txt", "PC1.txt"],
                         folder)
    expect(problems, "lacking: exit code", code, 1)
    expect(problems, "lacking: standard error", err, b"PC1 lacks KB1\r\n")
    code, out, err = run(program, ["--codepage", "932", "PC1.txt"], folder)
    expect(problems, "code page 932: exit code", code, 0)
    code, out, err = run(program, ["--version"], folder)
    expect(problems, "--version", (code, out, err),
           (0, b"hotfixes-table " + version.encode() + b"\r\n", b""))
    code, out, err = run(program, ["--help"], folder)
    for option in (b"--format csv", b"html", b"wide", b"jsonl", b"--bom",
                   b"--require FILE", b"--baseline FILE", b"--exposed",
                   b"--codepage N",
                   b"--version", b"PATH", b"Exit codes", b"\r\n  4  "):
        if code != 0 or option not in out:
            problems.append("--help: exit code %d, %r not in %r"
                            % (code, option, out))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--soffice", help="LibreOffice, for group hostile")
    parser.add_argument("--version", help="the program's, for group usage")
    parser.add_argument("--baseline", help="a baseline, for group since")
    parser.add_argument("group", choices=("bad-input", "encodings", "usage",
                                          "hostile", "since",
                                          "since-hostile"))
    parser.add_argument("--no-memory-limit", action="store_true",
                        help="for a sanitizer's build, which needs more")
    arguments = parser.parse_args()
    program = os.path.abspath(arguments.program)

    def check(folder):
        if arguments.group == "bad-input":
            return check_table(program, folder, *bad_input_files(),
                               arguments=("--codepage", "932"))
        if arguments.group == "encodings":
            return check_table(program, folder, *encodings_files())
        if arguments.group == "since":
            return check_since(program, folder,
                               os.path.abspath(arguments.baseline))
        if arguments.group == "since-hostile":
            return check_since_hostile(program, folder,
                                       not arguments.no_memory_limit)
        if arguments.group == "hostile":
            return check_hostile(program, folder, arguments.soffice)
        return check_usage(program, folder, arguments.version)
    return driver.print_outcome(arguments.group,
                                driver.in_temporary_folder(check))


if __name__ == "__main__":
    sys.exit(main())
