#!/usr/bin/env python3
"""End-to-end tests of hotfixes.exe under Wine.

    run_case.py [wine options] setup
        creates the private Wine prefix once (reused later) and starts a
        wineserver that stays up between cases

The wine options name the loader, its wineserver, the prefix and, with
--winearch win32, a 32-bit prefix; the default is a 64-bit prefix, in
which the 32-bit program runs as a WOW64 process. With --32-bit (prefix
for a 32-bit prefix, program for the WOW64 program) the command first asks
x86_host.py whether this machine runs 32-bit programs: where it cannot,
it is skipped; under qemu-i386 emulation it runs with a time limit past
which it is skipped too, or is skipped at once in a 32-bit prefix.
    run_case.py [wine options] run --exe hotfixes.exe
                [--set-value-exe set_registry_value.exe] CASE_DIR
        runs one case and compares its output and exit code byte for byte
    run_case.py [wine options] shutdown
        ends the prefix's wineserver and every Wine process in it

A case is a folder with these files:
    version       the Windows version Wine is to report. One of winecfg's
                  names (winxp64, win2003, vista, win7, win8, win81, win10;
                  winxp64 in a 64-bit prefix only); one of the names Wine
                  takes as the value Version under HKCU\Software\Wine
                  (nt351, nt40, win2k, winxp, win95, win98, winme, win31);
                  or "registry": no Version value, so Wine reports what
                  setup.reg records under HKLM\Software\Microsoft\
                  Windows NT\CurrentVersion (CurrentVersion,
                  CurrentBuildNumber, CSDVersion; CurrentMajorVersionNumber
                  and CurrentMinorVersionNumber deleted) with the product
                  type of HKLM\System\CurrentControlSet\Control\
                  ProductOptions ProductType (WinNT, LanmanNT, ServerNT).
                  Every case starts from winecfg's win7, so no case sees
                  what an earlier one left
    programs      optional, default x64: the programs that run the case,
                  separated by blanks, each with the same expected output:
                  x64 (the 64-bit program, 64-bit prefix), wow64 (the
                  32-bit program as a WOW64 process in a 64-bit prefix),
                  x86 (the 32-bit program in a 32-bit prefix). The build
                  of each program registers the case for it
    setup.reg     optional REGEDIT4 file imported after the hotfix key has
                  been deleted, so that every case starts without hotfixes
                  (in both registry views of a 64-bit prefix; the file is
                  imported through the 64-bit view, where a 32-bit program
                  that does not ask for that view sees Wow6432Node instead).
                  The importer reads it in the ANSI code page of the case's
                  locale (see env) and stores text with a terminating NUL
    setup.values  optional, for data a .reg file cannot express: one value
                  per line, four fields separated by tabs: the key's path
                  below HKEY_LOCAL_MACHINE, the value name, the type as a
                  decimal number, and the data as comma-separated hex byte
                  pairs as in a .reg file (may be empty). Stored exactly,
                  after setup.reg, by set_registry_value.exe (--set-value-exe)
    expected.out  the exact standard output; required where it can be read
                  back (stdout pipe, file or small-file), absent otherwise.
                  Every {HEX8} in it stands for exactly 8 upper-case hex
                  digits (a code offset that changes with every build); all
                  other bytes must match exactly
    exit_code     optional, default 0
    exe_name      optional: run a copy of hotfixes.exe under this name
    args          optional command-line arguments, one per line (an empty
                  line is an empty argument)
    env           optional KEY=VALUE lines added to the environment of the
                  program and of the tools that prepare the case, and -KEY
                  lines that remove KEY from it; LC_ALL chooses Wine's
                  locale and with it the ANSI code page (default C.UTF-8:
                  English, code page 1252). Without LC_ALL (-LC_ALL), Wine
                  takes the ANSI code page from LC_CTYPE and the user's
                  locale from LC_MESSAGES; a user locale the system has not
                  generated counts as English
    stdout        optional: pipe (default), file, closed, full, broken-pipe,
                  small-file (run_program.py says what each one is)

Every run must also leave standard error empty: the program never writes
there, and Wine is silenced with WINEDEBUG=-all.

Wine enumerates a key's subkeys sorted by name, whatever order they were
created in: compared as UTF-16 code units with letters folded to lower
case, a name before every longer name it begins ("kb1" < "KB10" < "KB2" <
"KB@" < "KB[1" < "kb_9" < "KBZ" < "KB~1"; under code page 932 "KB-日"
< "KB-Ｊ", the reverse of their bytes' order). A key created twice in
different letter case is one key, named as first created. expected.out
lists the hotfixes in that order: the program itself does not sort.

Into a file or a pipe the program writes 128-byte pieces while the report
runs and the rest at the very end, where a failed write no longer changes
the exit code. The cases with a closed or broken standard output therefore
run under a long exe_name: the banner alone then fills a piece, so a write
fails while the report is still running, whatever the OS line says.

After a change of the program's description or version, update_banner.py
rewrites the banner of every expected.out in one go.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_program  # noqa: E402
import x86_host  # noqa: E402

# Set with winecfg, which also rewrites the version values in the registry.
WINECFG_VERSIONS = ("winxp64", "win2003", "vista", "win7", "win8", "win81",
                    "win10")
# Set as the value Version under HKCU\Software\Wine, which Wine prefers to
# what the registry records.
VERSION_VALUES = ("nt351", "nt40", "win2k", "winxp", "win95", "win98",
                  "winme", "win31")
REGISTRY_VERSION = "registry"
BASE_VERSION = "win7"
WINE_KEY = r"HKCU\Software\Wine"
HOTFIX_KEYS = (r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\HotFix",
               r"HKLM\Software\Wow6432Node\Microsoft\Windows NT"
               r"\CurrentVersion\HotFix")
# Wine takes its locale, and with it the ANSI code page, from the Unix one:
# the same for every case unless the case's env says otherwise.
DEFAULT_LOCALE = "C.UTF-8"
CODE_OFFSET_PLACEHOLDER = b"{HEX8}"
READY_MARK = "hotfixes-e2e-ready"
# Copies run under another name live here, inside the prefix's C: drive,
# so that their Windows path is short and the same on every machine.
COPIES_FOLDER = ("drive_c", "e2e")
COPIES_WINDOWS_FOLDER = "C:\\e2e\\"

TOOL_TIMEOUT = 120
PROGRAM_TIMEOUT = 60
# How long the wineserver outlives its last client if nobody shuts it down
# (an interrupted test run), in seconds.
SERVER_LINGER = 120


class CaseError(Exception):
    pass


class Wine:
    def __init__(self, loader, server, prefix, arch="win64",
                 emulation=None, deadline=None):
        self.loader = loader
        self.server = server
        self.prefix = os.path.abspath(prefix)
        self.arch = arch
        # What qemu-i386 needs, where it runs the 32-bit processes.
        self.emulation = emulation or {}
        self.deadline = deadline or x86_host.Deadline(None)

    @property
    def emulated(self):
        return bool(self.emulation)

    def environment(self, extra=None):
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": self.prefix,
            "WINEDEBUG": "-all",
            "WINESERVER": self.server,
            "WINEARCH": self.arch,
            # No Mono or Gecko: no installer prompts, a faster prefix. No
            # debugger either: a program that crashes ends at once instead
            # of starting winedbg, which is slow and writes to stderr.
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winedbg.exe=d",
            "LC_ALL": DEFAULT_LOCALE,
        })
        env.update(self.emulation)
        env.pop("DISPLAY", None)
        for key, value in (extra or {}).items():
            if value is None:
                env.pop(key, None)
            else:
                env[key] = value
        return env

    def tool(self, *arguments, check=True, extra_env=None):
        """Runs a Wine built-in program (winecfg, reg, regedit, wineboot)
        or a helper program that prepares a case. A checked run that fails
        is tried once more: on a loaded machine Wine's tools now and then
        fail without a word (regedit with exit code 1 and no output, seen
        once in many hundred runs), and a case must not fail for its set-up.
        The program under test is never run twice."""
        try:
            return self._tool_once(arguments, check, extra_env)
        except CaseError as error:
            print("retrying after: %s" % error)
            time.sleep(1)
            return self._tool_once(arguments, check, extra_env)

    def _tool_once(self, arguments, check, extra_env):
        """Runs the tool once. Its output goes to a file, never to a pipe:
        Wine's background processes, started by whichever program comes
        first, keep the standard error they were given open, and a pipe
        would never end."""
        with tempfile.TemporaryFile() as output:
            completed = subprocess.run(
                [self.loader] + list(arguments),
                env=self.environment(extra_env),
                stdin=subprocess.DEVNULL, stdout=output, stderr=output,
                timeout=self.deadline.timeout(TOOL_TIMEOUT))
            if check and completed.returncode != 0:
                output.seek(0)
                raise CaseError("wine %s failed with exit code %d: %r"
                                % (" ".join(arguments), completed.returncode,
                                   output.read()))
        return completed.returncode

    def wineserver(self, *arguments):
        subprocess.run([self.server] + list(arguments),
                       env=self.environment(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=self.deadline.timeout(TOOL_TIMEOUT),
                       check=False)

    def is_ready(self):
        return os.path.exists(os.path.join(self.prefix, READY_MARK))

    def create_prefix(self):
        shutil.rmtree(self.prefix, ignore_errors=True)
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        started = time.monotonic()
        self.tool("wineboot", "-i")
        # Wait until wineboot's work is done and the registry is on disk.
        self.wineserver("-w")
        with open(os.path.join(self.prefix, READY_MARK), "w"):
            pass
        print("created Wine prefix %s in %.1f s"
              % (self.prefix, time.monotonic() - started))

    def setup(self):
        if not self.is_ready():
            self.create_prefix()
        self.wineserver("-p%d" % SERVER_LINGER)
        # Start Wine's background processes now, so that no case's program
        # hands them its own standard output or error.
        self.tool("cmd", "/c", "exit")

    def shutdown(self):
        self.wineserver("-k")


def read_case_file(case_dir, name, default=None):
    path = os.path.join(case_dir, name)
    if not os.path.exists(path):
        if default is None:
            raise CaseError("case file %s is missing" % name)
        return default
    with open(path, "rb") as file:
        return file.read()


def read_case_word(case_dir, name, default=None):
    text = read_case_file(case_dir, name,
                          None if default is None else default.encode())
    return text.decode().strip()


def read_case_env(case_dir):
    """The case's environment changes: a value per variable to set, None
    for one to remove."""
    env = {}
    text = read_case_file(case_dir, "env", b"").decode()
    for line in text.splitlines():
        if not line.strip():
            continue
        if line.startswith("-"):
            env[line[1:].strip()] = None
            continue
        key, separator, value = line.partition("=")
        if not separator:
            raise CaseError("env line without '=': %r" % line)
        env[key.strip()] = value
    return env


def read_case_args(case_dir):
    text = read_case_file(case_dir, "args", b"").decode()
    return text.splitlines()


def read_case_values(case_dir):
    """The values of setup.values as (key, name, type, hex data) tuples."""
    values = []
    text = read_case_file(case_dir, "setup.values", b"").decode()
    for line in text.splitlines():
        if not line.strip():
            continue
        fields = line.split("\t")
        if len(fields) != 4 or not fields[2].isdigit():
            raise CaseError("setup.values line is not KEY, NAME, TYPE and "
                            "HEX separated by tabs: %r" % line)
        values.append(tuple(fields))
    return values


def fill_code_offsets(expected, actual):
    """expected with each {HEX8} replaced by the 8 upper-case hex digits
    that actual has in its place, line by line, where the line matches
    otherwise; a {HEX8} in a line that does not match stays, so that the
    comparison fails and the difference shows on that line alone. Every
    other byte is still compared exactly."""
    if CODE_OFFSET_PLACEHOLDER not in expected:
        return expected
    actual_lines = actual.splitlines(True)
    filled = []
    for index, line in enumerate(expected.splitlines(True)):
        if CODE_OFFSET_PLACEHOLDER in line and index < len(actual_lines):
            line = _fill_line(line, actual_lines[index])
        filled.append(line)
    return b"".join(filled)


def _fill_line(expected_line, actual_line):
    pieces = expected_line.split(CODE_OFFSET_PLACEHOLDER)
    pattern = b"([0-9A-F]{8})".join(re.escape(piece) for piece in pieces)
    match = re.fullmatch(pattern, actual_line, re.DOTALL)
    if not match:
        return expected_line
    filled = pieces[0]
    for digits, piece in zip(match.groups(), pieces[1:]):
        filled += digits + piece
    return filled


def windows_path(unix_path):
    """The path under Wine's Z: drive, which maps the whole Unix tree."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def set_version(wine, version, env):
    wine.tool("winecfg", "/v",
              version if version in WINECFG_VERSIONS else BASE_VERSION,
              extra_env=env)
    if version in VERSION_VALUES:
        wine.tool("reg", "add", WINE_KEY, "/v", "Version", "/d", version,
                  "/f", extra_env=env)


def prepare_registry(wine, case_dir, env, set_value_exe):
    # A missing key makes "reg delete" fail; that is the state wanted.
    for key in HOTFIX_KEYS:
        wine.tool("reg", "delete", key, "/f", check=False, extra_env=env)
    setup_reg = os.path.join(case_dir, "setup.reg")
    if os.path.exists(setup_reg):
        wine.tool("regedit", "/s", windows_path(setup_reg), extra_env=env)
    values = read_case_values(case_dir)
    if values and not set_value_exe:
        raise CaseError("setup.values needs --set-value-exe")
    for key, name, value_type, data in values:
        wine.tool(set_value_exe, key, name, value_type, data, extra_env=env)


def program_under_test(wine, exe, exe_name):
    """The Unix path to run: the built program, or a copy under exe_name."""
    if not exe_name:
        return exe
    folder = os.path.join(wine.prefix, *COPIES_FOLDER)
    os.makedirs(folder, exist_ok=True)
    copy = os.path.join(folder, exe_name)
    shutil.copyfile(exe, copy)
    return copy


def run_case(wine, exe, case_dir, set_value_exe=None):
    version = read_case_word(case_dir, "version")
    if version not in WINECFG_VERSIONS + VERSION_VALUES + (REGISTRY_VERSION,):
        raise CaseError("unknown Windows version %r" % version)
    stdout_mode = read_case_word(case_dir, "stdout", "pipe")
    if stdout_mode not in run_program.STDOUT_MODES:
        raise CaseError("unknown stdout mode %r" % stdout_mode)
    observable = stdout_mode in run_program.OBSERVABLE_MODES
    has_expected = os.path.exists(os.path.join(case_dir, "expected.out"))
    if observable != has_expected:
        raise CaseError("expected.out must exist exactly when the output "
                        "can be read back (stdout %s)"
                        % ", ".join(run_program.OBSERVABLE_MODES))
    expected_stdout = read_case_file(case_dir, "expected.out") \
        if observable else None
    exit_code = int(read_case_word(case_dir, "exit_code", "0"))
    exe_name = read_case_word(case_dir, "exe_name", "")
    arguments = read_case_args(case_dir)
    env = read_case_env(case_dir)

    set_version(wine, version, env)
    prepare_registry(wine, case_dir, env, set_value_exe)
    program = program_under_test(wine, exe, exe_name)
    outcome = run_program.run([wine.loader, program] + arguments,
                              stdout_mode, wine.environment(env),
                              wine.deadline.timeout(PROGRAM_TIMEOUT))
    if outcome.timed_out and wine.emulated:
        raise x86_host.EmulationTimeout(wine.deadline.message())
    if expected_stdout is not None:
        expected_stdout = fill_code_offsets(expected_stdout, outcome.stdout)
    return run_program.check(outcome, expected_stdout, exit_code)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--wine", default="/usr/lib/wine/wine64")
    parser.add_argument("--wineserver", default="/usr/lib/wine/wineserver64")
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--winearch", choices=("win64", "win32"),
                        default="win64")
    parser.add_argument("--32-bit", dest="runs_32_bit",
                        choices=x86_host.RUNS_32_BIT)
    commands = parser.add_subparsers(dest="command", required=True)
    commands.add_parser("setup")
    commands.add_parser("shutdown")
    run_parser = commands.add_parser("run")
    run_parser.add_argument("--exe", required=True)
    run_parser.add_argument("--set-value-exe")
    run_parser.add_argument("case_dir")
    arguments = parser.parse_args()

    skip_reason, emulation, deadline = x86_host.for_test(
        arguments.runs_32_bit, setup=arguments.command == "setup")
    if skip_reason:
        return x86_host.skip(skip_reason)
    wine = Wine(arguments.wine, arguments.wineserver, arguments.prefix,
                arguments.winearch, emulation, deadline)
    try:
        if arguments.command == "setup":
            wine.setup()
            return 0
        if arguments.command == "shutdown":
            wine.shutdown()
            return 0
        if not wine.is_ready():
            if wine.emulated:
                return x86_host.skip("the Wine prefix was not made under "
                                     "qemu-i386 emulation")
            raise CaseError("the Wine prefix is not set up; run 'setup'")
        problems = run_case(wine, arguments.exe, arguments.case_dir,
                            arguments.set_value_exe)
    except x86_host.EmulationTimeout as error:
        return x86_host.skip(str(error))
    except subprocess.TimeoutExpired as error:
        if wine.emulated:
            return x86_host.skip("%s: %s" % (wine.deadline.message(),
                                             " ".join(error.cmd)))
        print("error: %s" % error)
        return 2
    except (CaseError, subprocess.SubprocessError, OSError) as error:
        print("error: %s" % error)
        return 2
    for problem in problems:
        print(problem)
    if not problems:
        print("ok: %s" % os.path.basename(os.path.normpath(
            arguments.case_dir)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
