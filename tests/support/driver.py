"""What the drivers that run a program over real files share: a run under
a limit of address space and time, the hostile cases of hostile_inputs.py
run one by one, a check in a temporary folder, and the outcome they print
and exit with.

tests/auditor/baseline/run_baseline.py, tests/native/run_table.py and
tests/collect/run_collect.py import it.
"""

import os
import resource
import shutil
import subprocess
import tempfile

TIMEOUT = 120  # seconds a run may take unless told otherwise
# What a hostile case may take to answer: small files must not cost
# gigabytes or hours.
HOSTILE_SECONDS = 60
HOSTILE_MEMORY = 1 << 30


def run(command, cwd=None, memory=None, timeout=TIMEOUT):
    """Exit code, standard output and error; `memory`: the bytes of
    address space it may take."""
    def limit():
        resource.setrlimit(resource.RLIMIT_AS, (memory, memory))
    completed = subprocess.run(command, cwd=cwd, capture_output=True,
                               stdin=subprocess.DEVNULL, timeout=timeout,
                               preexec_fn=limit if memory else None)
    return completed.returncode, completed.stdout, completed.stderr


def run_hostile_case(program, make, folder, memory_limit=True):
    """Writes a hostile case's files into `folder` (made here) with its
    `make`, runs `program` on them there within HOSTILE_SECONDS, under
    HOSTILE_MEMORY of address space unless `memory_limit` is false (a
    sanitizer's run time needs more), and removes the folder again: exit
    code, standard output and error; None when no answer came in time."""
    os.mkdir(folder)
    argv = make(folder, "full")
    try:
        return run([program] + argv, folder,
                   HOSTILE_MEMORY if memory_limit else None, HOSTILE_SECONDS)
    except subprocess.TimeoutExpired:
        return None
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def in_temporary_folder(check):
    """What check(folder) returns, run in a temporary folder that is
    removed after."""
    folder = tempfile.mkdtemp()
    try:
        return check(folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def print_outcome(name, problems):
    """Prints each problem, or "ok: NAME" when there is none; returns the
    exit code: 1 with problems, 0 without."""
    for problem in problems:
        print(problem)
    if not problems:
        print("ok: %s" % name)
    return 1 if problems else 0
