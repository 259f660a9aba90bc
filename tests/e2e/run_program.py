"""Runs a program with a chosen kind of standard output and compares what it
did with what was expected. Shared by the Wine and the native end-to-end
drivers; standard library only."""

import difflib
import os
import resource
import signal
import subprocess
import tempfile

# How standard output is handed to the program.
#   pipe         a pipe that is read to its end (the default)
#   file         a regular file, read back after the run
#   closed       descriptor 1 closed
#   full         /dev/full: every write fails with "no space"
#   broken-pipe  a pipe whose reader has gone before the program starts
#   small-file   a regular file that takes SMALL_FILE_SIZE bytes; every
#                write past them fails (a file size limit, Unix only)
#   no-room-file a regular file that takes no byte at all (a file size
#                limit of 0, Unix only)
STDOUT_MODES = ("pipe", "file", "closed", "full", "broken-pipe",
                "small-file", "no-room-file")

# Modes in which what the program wrote can be read back.
OBSERVABLE_MODES = ("pipe", "file", "small-file", "no-room-file")

SMALL_FILE_SIZE = 128

# The modes that limit the size of the file, and how many bytes it takes.
FILE_SIZE_LIMITS = {"small-file": SMALL_FILE_SIZE, "no-room-file": 0}


class Outcome:
    def __init__(self, exit_code, stdout, stderr, timed_out):
        self.exit_code = exit_code
        self.stdout = stdout
        self.stderr = stderr
        self.timed_out = timed_out


def _close_stdout():
    os.close(1)


def _limit_file_size(limit):
    # A write past the limit raises SIGXFSZ, left here at its default action
    # (ending the process) as a shell leaves it: keeping it from ending the
    # run, so that the write fails with EFBIG instead, is the program's own
    # business. Python ignores the signal, and an ignored signal would stay
    # ignored across exec.
    signal.signal(signal.SIGXFSZ, signal.SIG_DFL)
    _, hard = resource.getrlimit(resource.RLIMIT_FSIZE)
    resource.setrlimit(resource.RLIMIT_FSIZE, (limit, hard))


def _kill_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def run(argv, stdout_mode, env, timeout):
    """Runs argv in a session of its own and returns its Outcome. A run that
    outlasts the timeout is killed together with everything it started."""
    if stdout_mode not in STDOUT_MODES:
        raise ValueError("unknown stdout mode %r" % stdout_mode)
    with tempfile.TemporaryFile() as capture_file, \
            tempfile.TemporaryFile() as stderr_file:
        stdout_target, preexec, leftover = _stdout_target(stdout_mode,
                                                           capture_file)
        try:
            process = subprocess.Popen(
                argv, stdin=subprocess.DEVNULL, stdout=stdout_target,
                stderr=stderr_file, env=env, preexec_fn=preexec,
                start_new_session=True)
        finally:
            for descriptor in leftover:
                os.close(descriptor)
        stdout, timed_out = _wait(process, timeout)
        if stdout_mode == "file" or stdout_mode in FILE_SIZE_LIMITS:
            capture_file.seek(0)
            stdout = capture_file.read()
        stderr_file.seek(0)
        return Outcome(process.returncode, stdout, stderr_file.read(),
                       timed_out)


def _stdout_target(stdout_mode, capture_file):
    """The stdout argument for Popen, a preexec function, and descriptors
    the parent must close once the child has them."""
    if stdout_mode == "pipe":
        return subprocess.PIPE, None, []
    if stdout_mode == "file":
        return capture_file, None, []
    if stdout_mode in FILE_SIZE_LIMITS:
        limit = FILE_SIZE_LIMITS[stdout_mode]
        return capture_file, lambda: _limit_file_size(limit), []
    if stdout_mode == "closed":
        return None, _close_stdout, []
    if stdout_mode == "full":
        descriptor = os.open("/dev/full", os.O_WRONLY)
        return descriptor, None, [descriptor]
    reader, writer = os.pipe()
    os.close(reader)
    return writer, None, [writer]


def _wait(process, timeout):
    """The output read from a pipe (empty otherwise) and whether the run
    had to be killed."""
    try:
        stdout, _ = process.communicate(timeout=timeout)
        return (stdout or b""), False
    except subprocess.TimeoutExpired:
        _kill_group(process)
    try:
        stdout, _ = process.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        # Something outside the group still holds the pipe open.
        process.kill()
        process.wait()
        stdout = b""
    return (stdout or b""), True


def describe_mismatch(label, expected, actual):
    """A readable diff of two byte strings, line by line, with every line
    shown as a Python bytes literal so that CR, LF and blanks are visible."""
    expected_lines = [repr(line) for line in expected.splitlines(True)]
    actual_lines = [repr(line) for line in actual.splitlines(True)]
    diff = difflib.unified_diff(expected_lines, actual_lines,
                                "expected " + label, "actual " + label,
                                lineterm="")
    return "\n".join(diff)


def check(outcome, expected_stdout, expected_exit_code):
    """Returns the list of problems with an outcome; empty when it matches.
    expected_stdout is None where the output cannot be observed."""
    problems = []
    if outcome.timed_out:
        problems.append("the program did not end in time and was killed")
    if outcome.exit_code != expected_exit_code:
        problems.append("exit code %s, expected %d"
                        % (outcome.exit_code, expected_exit_code))
    if expected_stdout is not None and outcome.stdout != expected_stdout:
        problems.append("standard output differs:\n"
                        + describe_mismatch("stdout", expected_stdout,
                                            outcome.stdout))
    if outcome.stderr:
        problems.append("the program wrote to standard error: %r"
                        % outcome.stderr)
    return problems
