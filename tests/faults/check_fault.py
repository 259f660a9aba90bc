"""Runs the fault test program with one kind of fault and checks how it
ended: the two lines written before, then either the failure report with
the fault's kind and message and exit code 1, or, for a fault while a
failure is being reported, that failure's run-time error line and number.
Nothing may go to standard error. Under Wine with --32-bit, skipped where
this machine cannot run the 32-bit program (tests/e2e/x86_host.py)."""

import argparse
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                os.pardir, "e2e"))
import x86_host  # noqa: E402

HEX = "[0-9A-F]{8,16}"


def failure_report(kind, message):
    return ("Exception " + kind + " in module {module} at [0-9A-F]{8}\\.\r\n"
            + message + "\r\n\r\n")


# The exit code and what follows the two lines, a pattern in which
# {module} stands for the program's file name.
FAULTS = {
    "access-violation": (1, failure_report(
        "EAccessViolation",
        "Access violation at address " + HEX + " in module '{module}'\\. "
        "Read of address 0+10\\.")),
    "division-by-zero": (1, failure_report("EDivByZero",
                                           "Division by zero\\.")),
    "stack-overflow": (1, failure_report("EStackOverflow",
                                         "Stack overflow\\.")),
    # The report of a raised failure faults: no report again, no loop.
    "fault-in-failure-report": (217, "Runtime error 217 at " + HEX + "\r\n"),
}

# A fault that loops or hangs shows as a run that does not end; Wine's own
# start-up takes a few seconds more.
TIMEOUT = 10
WINE_TIMEOUT = 60


def expected_pattern(fault, module):
    ending = FAULTS[fault][1].replace("{module}", re.escape(module))
    return re.compile(re.escape("first line\r\nsecond line\r\n") + ending
                      + "$")


def forget_windows_version(wine, env, timeout):
    """Lets the prefix report its own Windows again, whatever version an
    end-to-end case sharing it chose last: in Windows 95 and 98 mode Wine
    maps the lowest memory, where the access violation is to happen. Wine's
    output goes nowhere, never to a pipe its background services keep."""
    subprocess.run([wine, "reg", "delete", r"HKCU\Software\Wine", "/v",
                    "Version", "/f"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   env=env, timeout=timeout, check=False)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", help="run the program with this Wine loader")
    parser.add_argument("--prefix", help="the WINEPREFIX for --wine")
    parser.add_argument("--32-bit", dest="runs_32_bit",
                        choices=x86_host.RUNS_32_BIT,
                        help="what of the run under --wine is 32-bit")
    parser.add_argument("program")
    parser.add_argument("fault", choices=sorted(FAULTS))
    args = parser.parse_args()

    argv = [args.program, args.fault]
    env = dict(os.environ)
    timeout = TIMEOUT
    skip_reason, emulation, deadline = x86_host.for_test(args.runs_32_bit)
    if skip_reason:
        return x86_host.skip(skip_reason)
    try:
        if args.wine:
            argv.insert(0, args.wine)
            # No debugger: a fault the program fails to handle ends the run
            # at once instead of starting winedbg.
            env.update(WINEPREFIX=args.prefix, WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d",
                       **emulation)
            timeout = WINE_TIMEOUT
            forget_windows_version(args.wine, env,
                                   deadline.timeout(WINE_TIMEOUT))
        result = subprocess.run(argv, stdin=subprocess.DEVNULL,
                                capture_output=True, env=env,
                                timeout=deadline.timeout(timeout))
    except x86_host.EmulationTimeout as error:
        return x86_host.skip(str(error))
    except subprocess.TimeoutExpired:
        if emulation:
            return x86_host.skip(deadline.message())
        print("the program did not end within %d s" % timeout)
        return 1
    module = os.path.basename(args.program)
    output = result.stdout.decode("latin-1")
    expected_exit_code = FAULTS[args.fault][0]
    ok = True
    if result.returncode != expected_exit_code:
        print("exit code %d, expected %d"
              % (result.returncode, expected_exit_code))
        ok = False
    if not expected_pattern(args.fault, module).match(output):
        print("output does not match the expected ending:")
        ok = False
    if result.stderr:
        print("the program wrote to standard error")
        ok = False
    if not ok:
        print(repr(output))
        print("stderr: %r" % result.stderr[-2000:])
        return 1
    print(repr(output))
    return 0


if __name__ == "__main__":
    sys.exit(main())
