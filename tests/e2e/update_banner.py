#!/usr/bin/env python3
"""Rewrites the two banner lines at the top of every case's expected.out,
for when the program's description or version changes:

    line 1: the description
    line 2: the executable's name (exe_name, else hotfixes.exe), a blank,
            "Ver." and the version

By default both are read from the top-level CMakeLists.txt
(HOTFIXES_DESCRIPTION, HOTFIXES_VERSION). Everything after the banner is
kept byte for byte.
"""

import argparse
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CASES = os.path.join(HERE, "cases")
TOP_CMAKELISTS = os.path.join(HERE, "..", "..", "CMakeLists.txt")
DEFAULT_EXE_NAME = "hotfixes.exe"


def project_setting(name):
    with open(TOP_CMAKELISTS, encoding="utf-8") as file:
        text = file.read()
    match = re.search(r'set\(%s\s+("([^"]*)"|([^\s)]*))\)' % name, text)
    if not match:
        sys.exit("%s is not set in %s" % (name, TOP_CMAKELISTS))
    return match.group(2) if match.group(2) is not None else match.group(3)


def banner(description, version, exe_name):
    return (description.encode() + b"\r\n"
            + exe_name.encode() + b" Ver." + version.encode() + b"\r\n")


def update_case(case_dir, description, version):
    expected_path = os.path.join(case_dir, "expected.out")
    if not os.path.exists(expected_path):
        return False
    exe_name = DEFAULT_EXE_NAME
    exe_name_path = os.path.join(case_dir, "exe_name")
    if os.path.exists(exe_name_path):
        with open(exe_name_path, encoding="utf-8") as file:
            exe_name = file.read().strip()
    with open(expected_path, "rb") as file:
        lines = file.read().split(b"\r\n", 2)
    if len(lines) < 3:
        sys.exit("%s has no two-line banner" % expected_path)
    updated = banner(description, version, exe_name) + lines[2]
    with open(expected_path, "wb") as file:
        file.write(updated)
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--description")
    parser.add_argument("--version")
    arguments = parser.parse_args()
    description = arguments.description
    if description is None:
        description = project_setting("HOTFIXES_DESCRIPTION")
    version = arguments.version
    if version is None:
        version = project_setting("HOTFIXES_VERSION")
    for name in sorted(os.listdir(CASES)):
        if update_case(os.path.join(CASES, name), description, version):
            print("updated %s" % name)


if __name__ == "__main__":
    main()
