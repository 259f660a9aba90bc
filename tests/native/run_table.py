#!/usr/bin/env python3
"""Runs the native hotfixes-table over real files and checks its exact
table, standard error and exit code.

    run_table.py --program hotfixes-table GROUP

GROUP is one of the groups below: bad-input (a folder of files that are no
good report, each of which must still appear with its status), encodings
(the ways a report's bytes reach the auditor) and usage (command lines the
program refuses before it writes anything)."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

TIMEOUT = 120
# Every file's modification time: 2026-12-01T10:00:05Z.
WRITTEN = 1796119205
HEADER = b"machine,status,found,os,hotfix,comment,problem,reported\r\n"
WHEN = b",2026-12-01T10:00:05Z\r\n"
OS = "Windows XP Professional Service Pack 3 (Build 2600)"
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
        b"big,unreadable,,,,,not a report: larger than 16 MiB" + WHEN +
        b"cut-character,incomplete,," + OS.encode() +
        b",KB1,\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe6\x9b\xb4"
        b"\xe6\x96\xb0,cut short after line 6" + WHEN +
        b"cut-character,incomplete,," + OS.encode() +
        b",KB2,\xef\xbf\xbd,cut short after line 6" + WHEN +
        b"empty,unreadable,,,,,empty file" + WHEN +
        b"garbage,unreadable,,,,,not a report: it holds NUL bytes" + WHEN +
        b"locked,unreadable,,,,,cannot be read: Permission denied,\r\n"
        b"LOUD,complete,0," + OS.encode() + b",,,," + WHEN[1:] +
        b"nul,unreadable,,,,,not a report: it holds NUL bytes" + WHEN)
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
        return (name.encode() + b",complete,2," + OS.encode() +
                b",KB1,caf\xc3\xa9," + WHEN +
                name.encode() + b",complete,2," + OS.encode() +
                b",KB2,\"two\r\nlines\"," + WHEN)
    # Read as 1252, what a code page 932 machine wrote is wrong text, but
    # a complete report all the same.
    wrong = JAPANESE.encode("cp932").decode("cp1252", errors="replace")
    comments = [line[len("[KB1] "):] for line in wrong.split("\r\n")[5:7]]
    rows = {name: plain_rows(name) for name in
            ("ansi", "lf-alone", "powershell", "utf8-mark")}
    rows["japanese-as-1252"] = b"".join(
        b"japanese-as-1252,complete,2," + OS.encode() + b",KB%d," % number +
        comment.encode() + b"," + WHEN
        for number, comment in ((1, comments[0]), (2, comments[1])))
    rows = b"".join(rows[name] for name in sorted(rows))
    return files, rows


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


def check_usage(program, folder):
    write_files(folder, {"PC1.txt": report([]).encode(),
                         "list.txt": b"KB1\r\n"})
    cases = [
        ([], b"no report file or folder given"),
        (["--codepage", "99999", "."], b"unknown code page 99999"),
        (["--codepage", "12x", "."], b"unknown code page 12x"),
        (["--format"], b"--format needs a value"),
        (["--format", "pdf", "."], b"unknown format pdf (csv or html)"),
        ([".", "missing"], b"missing: No such file or directory"),
        (["--require", "nolist.txt", "."],
         b"cannot read nolist.txt: No such file or directory"),
    ]
    problems = []
    for arguments, message in cases:
        code, out, err = run(program, arguments, folder)
        label = " ".join(arguments) or "no arguments"
        expect(problems, label + ": exit code", code, 2)
        expect(problems, label + ": table", out, b"")
        expect(problems, label + ": standard error", err,
               b"hotfixes-table: " + message + b" (usage: hotfixes-table "
               b"[--format csv|html] [--bom] [--require FILE] [--codepage N] "
               b"PATH...)\r\n")
    code, out, err = run(program, ["--require", "list.txt", "PC1.txt"],
                         folder)
    expect(problems, "lacking: exit code", code, 1)
    expect(problems, "lacking: standard error", err, b"PC1 lacks KB1\r\n")
    code, out, err = run(program, ["--codepage", "932", "PC1.txt"], folder)
    expect(problems, "code page 932: exit code", code, 0)
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("group", choices=("bad-input", "encodings", "usage"))
    arguments = parser.parse_args()
    program = os.path.abspath(arguments.program)
    folder = tempfile.mkdtemp()
    try:
        if arguments.group == "bad-input":
            problems = check_table(program, folder, *bad_input_files(),
                                   arguments=("--codepage", "932"))
        elif arguments.group == "encodings":
            problems = check_table(program, folder, *encodings_files())
        else:
            problems = check_usage(program, folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for problem in problems:
        print(problem)
    if not problems:
        print("ok: %s" % arguments.group)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
