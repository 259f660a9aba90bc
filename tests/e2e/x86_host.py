"""Whether the 32-bit program's Wine tests can run on this machine: natively,
under qemu-i386 emulation, or not at all. scripts/x86-host.sh alone tells
the kinds of machine apart; test.sh passes its verdict on in
HOTFIXES_X86_HOST, and a test run by hand asks the script itself.

A test that cannot run here ends with SKIP_EXIT_CODE after one line,
"skipped: " and why, which test.sh gathers into its summary."""

import os
import subprocess
import time

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                      os.pardir, os.pardir, "scripts", "x86-host.sh")
VERDICT_VARIABLE = "HOTFIXES_X86_HOST"
SKIP_EXIT_CODE = 77
SKIP_MARK = "skipped: "

# What a test runs as 32-bit Wine processes: everything ("prefix", a 32-bit
# prefix), or the program under test and the prefix's creation alone
# ("program", a WOW64 process in a 64-bit prefix, whose tools are 64-bit).
RUNS_32_BIT = ("prefix", "program")

# Under qemu-i386, Wine's 32-bit half needs the guest's address space moved
# away from the emulator's own; without it Wine "failed to map the shared
# user data".
EMULATION_ENVIRONMENT = {"QEMU_GUEST_BASE": "0x100000000",
                         "QEMU_RESERVED_VA": "0xffff0000"}
# Every 32-bit Wine process spends 40 to 75 s starting under emulation (in
# the emulator's search for free address space). In a 32-bit prefix every
# tool and service is one, so making the prefix and preparing a case there
# would take many minutes each.
PREFIX_UNDER_EMULATION = ("a 32-bit prefix, every process of which would be "
                          "emulated, takes too long to make and prepare: "
                          "the 32-bit program runs emulated as a WOW64 "
                          "process only")
# A limit for each test under emulation, far above what it takes (a minute
# or two), so that a run that cannot finish is skipped long before CTest's
# own limit or CI's.
EMULATED_TEST_SECONDS = 240
EMULATED_SETUP_SECONDS = 540


class EmulationTimeout(Exception):
    """A step under emulation would end past the test's limit."""


def verdict():
    """(mode, why): mode native, emulated or none."""
    text = os.environ.get(VERDICT_VARIABLE)
    if not text:
        text = subprocess.run(["bash", SCRIPT, "probe"], text=True,
                              stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, check=False).stdout
    mode, _, why = text.strip().partition(": ")
    if mode not in ("native", "emulated", "none"):
        return "none", "cannot tell whether 32-bit programs run: %r" % text
    return mode, why


def skip_reason(mode, why, runs_32_bit):
    """Why a test that runs_32_bit cannot run here, or None."""
    if mode == "none":
        return why
    if mode == "emulated" and runs_32_bit == "prefix":
        return why + "; " + PREFIX_UNDER_EMULATION
    return None


class Deadline:
    """The time left for a test under emulation; no limit natively, where
    each step keeps its own."""

    def __init__(self, seconds):
        self.end = None if seconds is None else time.monotonic() + seconds
        self.seconds = seconds

    def timeout(self, native_timeout):
        if self.end is None:
            return native_timeout
        left = self.end - time.monotonic()
        if left <= 0:
            raise EmulationTimeout(self.message())
        return left

    def message(self):
        return ("did not finish within %d s under qemu-i386 emulation"
                % self.seconds)


def for_test(runs_32_bit, setup=False):
    """The test's (skip reason, extra environment, Deadline)."""
    if runs_32_bit is None:
        return None, {}, Deadline(None)
    mode, why = verdict()
    reason = skip_reason(mode, why, runs_32_bit)
    if mode != "emulated" or reason:
        return reason, {}, Deadline(None)
    seconds = EMULATED_SETUP_SECONDS if setup else EMULATED_TEST_SECONDS
    return None, dict(EMULATION_ENVIRONMENT), Deadline(seconds)


def skip(reason):
    print(SKIP_MARK + reason, flush=True)
    return SKIP_EXIT_CODE
