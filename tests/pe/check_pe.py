#!/usr/bin/env python3
"""Checks that Windows executables start on the oldest Windows they are
built for: the operating-system and subsystem versions in the PE header
equal the target's, and every imported function is one the target exports,
as windows_imports.txt records.

    check_pe.py --objdump OBJDUMP [--imports LIST] EXE...

The target follows from each file's format: pei-i386 is the x86 program
(Windows NT 4.0), pei-x86-64 the x64 program (NT 5.2, XP x64 / Server 2003
x64). Wine exports everything, so running a program under it cannot show
what an older Windows' loader would refuse; reading the tables can.
Exit code 0 when every file passes, 1 otherwise, each problem on a line."""

import argparse
import os
import re
import subprocess
import sys

TARGETS = {
    "pei-i386": ((4, 0), "x86", "Windows NT 4.0"),
    "pei-x86-64": ((5, 2), "x64", "Windows XP x64 / Server 2003 x64 (NT 5.2)"),
}
HEADER_FIELDS = ("OSystemVersion", "SubsystemVersion")
IMPORTS_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                            "windows_imports.txt")


def read_imports_list(path):
    """{(DLL in upper case, function): (major, minor)}"""
    allowed = {}
    with open(path) as file:
        for number, line in enumerate(file, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = line.split()
            if len(fields) != 3 or not re.fullmatch(r"\d+\.\d+", fields[2]):
                raise ValueError("%s:%d: expected DLL, function, version"
                                 % (path, number))
            major, minor = fields[2].split(".")
            allowed[(fields[0].upper(), fields[1])] = (int(major), int(minor))
    return allowed


def parse_objdump(text):
    """The file format, the header's version fields and the imports, as
    (DLL, function) pairs; an import by ordinal has the function None."""
    file_format = re.search(r"file format (\S+)", text).group(1)
    header = {}
    for field in HEADER_FIELDS:
        major = re.search(r"^Major%s\s+(\d+)" % field, text, re.M)
        minor = re.search(r"^Minor%s\s+(\d+)" % field, text, re.M)
        header[field] = (int(major.group(1)), int(minor.group(1))) \
            if major and minor else None
    imports = []
    dll = None
    for line in text.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1)
            continue
        if dll is None:
            continue
        if not line.strip():
            dll = None
            continue
        entry = re.match(r"\t[0-9a-f]+\t\s*(\d+)\s+(\S+)?\s*$", line)
        if entry:
            imports.append((dll, entry.group(2)))
    return file_format, header, imports


def check(path, objdump, allowed):
    text = subprocess.run([objdump, "-p", path], check=True,
                          capture_output=True, text=True).stdout
    file_format, header, imports = parse_objdump(text)
    if file_format not in TARGETS:
        return ["%s: not a Windows x86 or x64 executable (%s)"
                % (path, file_format)]
    oldest, arch, name = TARGETS[file_format]
    problems = []
    for field in HEADER_FIELDS:
        if header[field] != oldest:
            problems.append("%s (%s): %s is %s, expected %d.%d for %s"
                            % (path, arch, field, header[field], oldest[0],
                               oldest[1], name))
    if not imports:
        problems.append("%s (%s): no imports found" % (path, arch))
    for dll, function in imports:
        since = allowed.get((dll.upper(), function))
        if function is None:
            problems.append("%s (%s): %s is imported by ordinal"
                            % (path, arch, dll))
        elif since is None or since > oldest:
            problems.append("%s (%s): imports %s!%s, missing on %s"
                            % (path, arch, dll, function, name))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--imports", default=IMPORTS_LIST)
    parser.add_argument("executables", nargs="+")
    arguments = parser.parse_args()
    allowed = read_imports_list(arguments.imports)
    problems = []
    for path in arguments.executables:
        problems += check(path, arguments.objdump, allowed)
    for problem in problems:
        print(problem)
    if not problems:
        print("ok: %s" % " ".join(arguments.executables))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
