#!/usr/bin/env python3
"""Runs scripts/install-deps.sh, and scripts/x86-host.sh after it, against a
stand-in apt-get, dpkg and dpkg-query on PATH: package mirrors out of step
(an index that cannot be fetched, an i386 package whose dependencies are at
other versions) and a package that cannot be found. Nothing is installed
and no network is used; each case checks the exit code, what standard
error says and which packages the stand-in was asked to install.
"""

import os
import stat
import subprocess
import sys
import tempfile
import textwrap

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))

# The stand-in tools. They keep their state in $FAKE_APT: "installed" (one
# package a line), "calls" (every apt-get and dpkg call), "update-failures"
# (how many more updates fail; -1 for all), "broken" (PACKAGE<TAB>apt's
# lines, with \n for a line break); an "installed" line "*" stands for
# every package.
APT_GET = r"""#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_APT/calls"
if [[ $1 == update ]]; then
  failures=$(cat "$FAKE_APT/update-failures" 2>/dev/null || echo 0)
  if ((failures != 0)); then
    ((failures < 0)) || echo $((failures - 1)) >"$FAKE_APT/update-failures"
    echo "Hit:1 http://deb.debian.org/debian bookworm InRelease"
    echo "Err:6 http://deb.debian.org/debian-security bookworm-security/main i386 Packages"
    echo "  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]"
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100
  fi
  exit 0
fi
[[ $1 == install ]] || exit 100
shift
packages=()
for word in "$@"; do
  [[ $word == -* || $word == Dpkg::* ]] || packages+=("$word")
done
for package in "${packages[@]}"; do
  line=$(grep -P "^\Q$package\E\t" "$FAKE_APT/broken" 2>/dev/null | head -n 1)
  if [[ -n $line ]]; then
    echo "Reading package lists..."
    printf '%b\n' "${line#*$'\t'}" >&2
    exit 100
  fi
done
printf '%s\n' "${packages[@]}" >>"$FAKE_APT/installed"
"""
DPKG_QUERY = r"""#!/usr/bin/env bash
package=${!#}
if grep -qxF -e "$package" -e '*' "$FAKE_APT/installed" 2>/dev/null; then
  printf 'install ok installed'
else
  echo "dpkg-query: no packages found matching $package" >&2
  exit 1
fi
"""
DPKG = r"""#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE_APT/calls"
[[ $1 == --print-foreign-architectures ]] && cat "$FAKE_APT/architectures" 2>/dev/null
[[ $1 == --add-architecture ]] && echo "$2" >>"$FAKE_APT/architectures"
exit 0
"""
# The Japanese locale is there, so that no case runs localedef.
LOCALE = "#!/bin/sh\necho C.utf8\necho ja_JP.utf8\n"
SUDO = '#!/bin/sh\nexec "$@"\n'

NOT_FOUND = "E: Unable to locate package cmake"
WINE32_BROKEN = ("Some packages could not be installed.\\n"
                 "The following packages have unmet dependencies:\\n"
                 " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but "
                 "it is not going to be installed\\n"
                 "E: Unable to correct problems, you have held broken "
                 "packages.")
LIST = "bookworm-security/main i386 Packages"

REPORT_SET = {"cmake", "ninja-build", "python3", "g++-mingw-w64-x86-64-win32",
              "binutils-mingw-w64-x86-64", "libz-mingw-w64-dev", "wine64"}
TEST_ONLY = {"chromium", "libreoffice-calc", "valgrind", "clang",
             "g++-mingw-w64-i686-win32", "wine32:i386"}

# name, arguments, updates that fail (-1: all), broken packages, packages
# already installed ("all": every one), exit code, texts standard error
# must hold, texts it must not, packages that must end up installed,
# packages that must not, whether apt-get is called at all.
CASES = [
    ("update fails for one index: goes on with the lists apt has",
     [], -1, {}, set(), 0,
     ["apt-get update failed 3 times (not refreshed: " + LIST + ")",
      "going on with the package lists apt has"],
     [], REPORT_SET | TEST_ONLY, set(), True),
    ("update fails once: the second try refreshes the lists",
     [], 1, {}, set(), 0, [], ["apt-get update failed"],
     REPORT_SET | TEST_ONLY, set(), True),
    ("wine32 cannot be installed: said, and everything else is",
     [], -1, {"wine32:i386": WINE32_BROKEN}, set(), 0,
     ["wine32:i386 cannot be installed, so the tests of the 32-bit program "
      "will be skipped: wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4)",
      "; E: Unable to correct problems"],
     [], REPORT_SET | TEST_ONLY - {"wine32:i386"}, {"wine32:i386"}, True),
    ("cmake cannot be found: fails, naming it and apt's reason",
     [], 0, {"cmake": NOT_FOUND}, set(), 1,
     ["cannot install cmake: " + NOT_FOUND,
      "a package that is needed could not be installed"],
     ["cannot install chromium"],
     (REPORT_SET | TEST_ONLY) - {"cmake", "wine32:i386"}, {"cmake"}, True),
    ("the report's packages only: no test tools, no i386",
     ["--report"], 0, {}, set(), 0, [], [], REPORT_SET, TEST_ONLY, True),
    ("everything there: the package lists are left alone",
     [], -1, {}, "all", 0, [], ["installing"], set(), set(), False),
    ("a wrong option", ["--all"], 0, {}, set(), 2, ["usage:"], [], set(),
     REPORT_SET, False),
]


def write_tool(folder, name, text):
    path = os.path.join(folder, name)
    with open(path, "w") as tool:
        tool.write(text)
    os.chmod(path, os.stat(path).st_mode | stat.S_IXUSR)


def make_stand_ins(folder):
    bin_folder = os.path.join(folder, "bin")
    os.mkdir(bin_folder)
    for name, text in (("apt-get", APT_GET), ("dpkg-query", DPKG_QUERY),
                       ("dpkg", DPKG), ("locale", LOCALE), ("sudo", SUDO)):
        write_tool(bin_folder, name, text)
    return bin_folder


def run_case(case):
    (name, arguments, update_failures, broken, installed, exit_code,
     said, not_said, present, absent, calls_apt) = case
    with tempfile.TemporaryDirectory() as folder:
        state = os.path.join(folder, "apt")
        os.mkdir(state)
        with open(os.path.join(state, "update-failures"), "w") as out:
            out.write(str(update_failures))
        with open(os.path.join(state, "broken"), "w") as out:
            out.writelines("%s\t%s\n" % item for item in broken.items())
        with open(os.path.join(state, "installed"), "w") as out:
            if installed == "all":
                out.write("*\n")
            else:
                out.writelines(n + "\n" for n in sorted(installed))
        with open(os.path.join(state, "architectures"), "w") as out:
            out.write("i386\n" if installed == "all" else "")
        environment = dict(os.environ,
                           PATH=make_stand_ins(folder) + ":" +
                           os.environ["PATH"],
                           FAKE_APT=state,
                           HOTFIXES_APT_RETRY_PAUSE="0",
                           HOTFIXES_DEPS_STATE_DIR=os.path.join(folder, "deps"),
                           HOTFIXES_WINE32_LOADER=os.path.join(folder, "wine"))
        result = subprocess.run(
            ["bash", os.path.join(ROOT, "scripts", "install-deps.sh")] +
            arguments, env=environment, capture_output=True, text=True,
            timeout=60)
        installed_now = set(open(os.path.join(state, "installed")).read()
                            .split())
        calls = open(os.path.join(state, "calls")).read() if os.path.exists(
            os.path.join(state, "calls")) else ""
        faults = []
        if result.returncode != exit_code:
            faults.append("exit code %d, not %d" % (result.returncode,
                                                    exit_code))
        faults += ["standard error lacks %r" % text for text in said
                   if text not in result.stderr]
        faults += ["standard error says %r" % text for text in not_said
                   if text in result.stderr]
        faults += ["%s is not installed" % p for p in sorted(present)
                   if p not in installed_now]
        faults += ["%s is installed" % p for p in sorted(absent)
                   if p in installed_now]
        if calls_apt != ("apt-get" in calls):
            faults.append("apt-get was%s called" % ("" if calls_apt
                                                    else " not"))
        if "--report" in arguments and "--add-architecture" in calls:
            faults.append("the report's install adds the i386 architecture")
        if "wine32:i386" in broken:
            faults += check_x86_host(environment, broken["wine32:i386"])
        if faults:
            print("FAIL %s:\n  %s\n--- standard error:\n%s" % (
                name, "\n  ".join(faults), result.stderr))
        else:
            print("ok   %s" % name)
        return not faults


def check_x86_host(environment, reason):
    """x86-host.sh's verdict carries the reason wine32 is missing."""
    verdict = subprocess.run(
        ["bash", os.path.join(ROOT, "scripts", "x86-host.sh"), "probe"],
        env=environment, capture_output=True, text=True, timeout=60).stdout
    expected = "none: wine32:i386 cannot be installed: wine32:i386 : Depends"
    if verdict.startswith(expected) and "held broken packages" in verdict:
        return []
    return ["x86-host.sh probe says %r, not %r..." % (verdict, expected)]


def main():
    results = [run_case(case) for case in CASES]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
