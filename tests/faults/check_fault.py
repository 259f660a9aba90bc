"""Runs the fault test program with one kind of fault and checks that it
ended in the failure report: the two lines written before, then the report
with the fault's kind and message, and exit code 1."""

import argparse
import os
import re
import subprocess
import sys

HEX = "[0-9A-F]{8,16}"

FAULTS = {
    "access-violation": (
        "EAccessViolation",
        "Access violation at address " + HEX + " in module '{module}'\\. "
        "Read of address 0+10\\."),
    "division-by-zero": ("EDivByZero", "Division by zero\\."),
    "stack-overflow": ("EStackOverflow", "Stack overflow\\."),
}


def expected_pattern(fault, module):
    kind, message = FAULTS[fault]
    message = message.replace("{module}", re.escape(module))
    return re.compile(
        re.escape(b"first line\r\nsecond line\r\n".decode()) +
        "Exception " + kind + " in module " + re.escape(module) +
        " at [0-9A-F]{8}\\.\r\n" + message + "\r\n\r\n$")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", help="run the program with this Wine loader")
    parser.add_argument("--prefix", help="the WINEPREFIX for --wine")
    parser.add_argument("program")
    parser.add_argument("fault", choices=sorted(FAULTS))
    args = parser.parse_args()

    argv = [args.program, args.fault]
    env = dict(os.environ)
    if args.wine:
        argv.insert(0, args.wine)
        env.update(WINEPREFIX=args.prefix, WINEDEBUG="-all")
    result = subprocess.run(argv, stdin=subprocess.DEVNULL,
                            capture_output=True, env=env, timeout=120)
    module = os.path.basename(args.program)
    output = result.stdout.decode("latin-1")
    ok = True
    if result.returncode != 1:
        print("exit code %d, expected 1" % result.returncode)
        ok = False
    if not expected_pattern(args.fault, module).match(output):
        print("output does not match the expected failure report:")
        ok = False
    if not ok:
        print(repr(output))
        print("stderr: %r" % result.stderr[-2000:])
        return 1
    print(repr(output))
    return 0


if __name__ == "__main__":
    sys.exit(main())
