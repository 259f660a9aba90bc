#!/usr/bin/env python3
"""Runs the native program end to end with one kind of standard output and
checks its exit code and, where it can be read back, its exact output.

The stand-in platform has no Windows version and no registry, so after the
banner the report is always the same: the OS line "Unknown" and no hotfix.
The banner comes from the description and version the build gives the
program, passed here by the build as well.
"""

import argparse
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "e2e"))
import run_program  # noqa: E402

REPORT_AFTER_BANNER = b"\r\nUnknown\r\n\r\n\r\nFound 0 Hot-Fix\r\n"
# Into a file or a pipe the program writes 128-byte pieces while it runs
# and the rest at the very end, where a failed write no longer changes the
# exit code. Under this name the report fills two pieces, so a broken
# output is met while the report is still running, also when the output
# takes the first piece and fails only on the second.
LONG_NAME = "hotfixes-" + "under-a-long-name-" * 10 + "that-fills-the-buffer"
TIMEOUT = 30


def expected_report(description, version, program_name):
    banner = (description.encode() + b"\r\n" + program_name.encode()
              + b" Ver." + version.encode() + b"\r\n")
    return banner + REPORT_AFTER_BANNER


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--description", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--stdout", required=True,
                        choices=run_program.STDOUT_MODES)
    parser.add_argument("--exit-code", type=int, default=0)
    parser.add_argument("--long-name", action="store_true",
                        help="run a copy of the program under a long name")
    arguments = parser.parse_args()

    with tempfile.TemporaryDirectory() as folder:
        program = arguments.program
        if arguments.long_name:
            program = os.path.join(folder, LONG_NAME)
            shutil.copy2(arguments.program, program)
        expected = None
        if arguments.stdout in run_program.OBSERVABLE_MODES:
            expected = expected_report(arguments.description,
                                       arguments.version,
                                       os.path.basename(program))
        limit = run_program.FILE_SIZE_LIMITS.get(arguments.stdout)
        if limit is not None:
            # What the file takes of the report stays; nothing follows.
            expected = expected[:limit]
        outcome = run_program.run([program], arguments.stdout,
                                  dict(os.environ), TIMEOUT)
    problems = run_program.check(outcome, expected, arguments.exit_code)
    for problem in problems:
        print(problem)
    if not problems:
        print("ok: stdout %s, exit code %d"
              % (arguments.stdout, outcome.exit_code))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
