#!/usr/bin/env python3
"""What a user would write instead of hotfixes-table: a plain parse of a
folder of reports into the same CSV, standard library only. The table
benchmark's baseline; it knows the same statuses, without the care for
every bad input that the program takes.

    table_baseline.py FOLDER [CODEPAGE]  > table.csv
"""

import csv
import datetime
import os
import re
import sys

COUNT = re.compile(r"^Found (-?\d+) Hot-Fix$")
FAILURE = re.compile(r"^Exception (\S+) in module .+ at [0-9A-F]{8,16}\.$")
RUNTIME = re.compile(r"^Runtime error +(\d+) at ([0-9A-F]{8,16})$")


def decode(data, codepage):
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le", errors="replace")
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8", errors="replace")
    return data.decode(codepage, errors="replace")


def parse(text):
    cut = not text.endswith("\n")
    lines = [line[:-1] if line.endswith("\r") else line
             for line in text.split("\n")]
    if not cut:
        lines.pop()
    status, found, problem, end = "incomplete", "", "", len(lines)
    if not cut and len(lines) >= 7 and lines[-2] == "" and \
            COUNT.match(lines[-1]):
        status, found, end = "complete", COUNT.match(lines[-1]).group(1), \
            len(lines) - 2
    elif not cut and len(lines) >= 3 and lines[-1] == "" and \
            FAILURE.match(lines[-3]):
        status, end = "failed", len(lines) - 3
        problem = FAILURE.match(lines[-3]).group(1) + ": " + lines[-2]
    elif not cut and lines and RUNTIME.match(lines[-1]):
        status, end, problem = "failed", len(lines) - 1, lines[-1]
    else:
        problem = "cut short after line %d" % (len(lines) - (1 if cut else 0))
    if len(lines) < 2 or " Ver." not in lines[1]:
        return "unreadable", "", "", [], "not a report"
    entries = []
    for line in lines[5:end]:
        if line.startswith("[") and "] " in line:
            name, comment = line[1:].split("] ", 1)
            entries.append([name, comment])
        elif entries:
            entries[-1][1] += "\r\n" + line
    return status, found, lines[3] if len(lines) > 3 else "", entries, problem


def main():
    folder = sys.argv[1]
    codepage = "cp" + (sys.argv[2] if len(sys.argv) > 2 else "1252")
    writer = csv.writer(sys.stdout, lineterminator="\r\n")
    writer.writerow(["machine", "status", "found", "os", "hotfix", "comment",
                     "problem", "reported"])
    names = sorted((name for name in os.listdir(folder)
                    if name.lower().endswith(".txt")), key=str.upper)
    for name in names:
        path = os.path.join(folder, name)
        with open(path, "rb") as file:
            data = file.read()
        reported = datetime.datetime.fromtimestamp(
            os.stat(path).st_mtime, datetime.timezone.utc).strftime(
                "%Y-%m-%dT%H:%M:%SZ")
        status, found, os_line, entries, problem = parse(decode(data,
                                                                codepage))
        machine = os.path.splitext(name)[0]
        for hotfix, comment in entries or [["", ""]]:
            writer.writerow([machine, status, found, os_line, hotfix, comment,
                             problem, reported])


if __name__ == "__main__":
    main()
