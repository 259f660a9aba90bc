#!/usr/bin/env bash
# Installs the Debian packages that hotfixes needs, and only those that are
# missing: a machine that has them all is left alone, without touching the
# package lists. Runs unattended; as root it calls apt-get directly,
# otherwise through sudo.
#
#   install-deps.sh              what building and every test need (test.sh),
#                                and the ja_JP.UTF-8 locale of the Japanese
#                                end-to-end cases
#   install-deps.sh --report     only what building hotfixes.exe for 64-bit
#                                Windows and running it under Wine need
#                                (report.sh)
#   install-deps.sh PACKAGE...   those packages, without what they only
#                                recommend
#
# Package mirrors are now and then out of step with each other, and
# "apt-get update" then fails for one index. It is tried three times; if it
# still fails, one line names the lists that could not be refreshed and the
# install goes on with the lists apt has. The 32-bit Wine (wine32:i386)
# is installed on its own and is the one package that may be missing: when
# it cannot be installed, standard error says why, the reason is kept for
# scripts/x86-host.sh, and the tests of the 32-bit program are skipped.
#
# Exit codes: 0 every needed package is installed; 1 one could not be
# (named on standard error with apt's reason), or there is no way to be
# root; 2 a wrong command line.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

report_packages=(
  cmake ninja-build
  # The test definitions the configure step reads are written in Python.
  python3
  # hotfixes.exe for 64-bit Windows; binutils brings windres and objdump.
  # The "win32" thread model: the "posix" one links a run time that
  # imports functions Windows before Vista does not have. The configure
  # step also asks for the MinGW-w64 static libz.a that hotfixes-baseline
  # links.
  g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  # Runs hotfixes.exe.
  wine64
)
test_packages=(
  "${report_packages[@]}"
  # Native build and unit tests.
  g++ googletest libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev
  # The 32-bit programs.
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  # Locale-dependent runs, memory checks, fuzzing.
  locales valgrind clang libclang-rt-14-dev
  # Renders hotfixes-table's HTML page headless, for the page's test.
  chromium
  # The format and static checks.
  clang-format clang-tidy
)
# Installed without what they only recommend, which for these is much.
test_lean_packages=(
  # Opens hotfixes-table's CSV as a spreadsheet would, for its test.
  libreoffice-calc
)
# Runs the 32-bit hotfixes.exe, in a 32-bit prefix and as a WOW64 process.
# Its i386 dependencies must be at the same versions as their amd64
# counterparts, which an out-of-step mirror can make impossible; without it
# only the 32-bit program's tests are skipped.
wine32=wine32:i386

# Where the reason wine32 could not be installed is kept for x86-host.sh.
state_dir=${HOTFIXES_DEPS_STATE_DIR:-build/install-deps}
wine32_missing=$state_dir/wine32-missing
retry_pause=${HOTFIXES_APT_RETRY_PAUSE:-10}
update_tries=3
apt_options=(-y -q -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold)

packages=()
lean_packages=()
want_wine32=false
want_locale=false
case ${1:-} in
  --report) packages=("${report_packages[@]}") ;;
  -*)
    echo "usage: install-deps.sh [--report | PACKAGE...]" >&2
    exit 2
    ;;
  '')
    packages=("${test_packages[@]}")
    lean_packages=("${test_lean_packages[@]}")
    want_wine32=true
    want_locale=true
    ;;
  *) lean_packages=("$@") ;;
esac

say() { echo "install-deps: $*" >&2; }

is_installed() {
  [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" == "install ok installed" ]]
}

# The packages of the arguments that are not installed yet.
missing_of() {
  local package
  for package in "$@"; do
    is_installed "$package" || echo "$package"
  done
}

# Runs a command as root: directly, or through sudo.
as_root() {
  if ((EUID == 0)); then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    say "not root and no sudo; please run: $*"
    exit 1
  fi
}

apt_get() {
  as_root env DEBIAN_FRONTEND=noninteractive apt-get "$@"
}

# The lists that an "apt-get update" output failed to fetch, from its
# "Err:N URL SUITE/COMPONENT ARCH WHAT" lines, as "SUITE/COMPONENT ARCH WHAT".
failed_lists() {
  sed -n -E 's/^Err:[0-9]+ +[^ ]+ +(.*[^ ]) *$/\1/p' <<<"$1" | sort -u |
    paste -s -d ',' - | sed 's/,/, /g'
}

# apt's reason in one line: the first unmet dependencies, how many more
# there are, and its "E:" lines.
apt_reason() {
  local -a unmet errors
  mapfile -t unmet < <(grep -E '^ .* : (Pre)?Depends: |^ +(Pre)?Depends: ' <<<"$1" |
    sed -E 's/^ +//')
  mapfile -t errors < <(grep -E '^E: ' <<<"$1")
  local -a parts=("${unmet[@]:0:2}")
  ((${#unmet[@]} <= 2)) || parts+=("and $((${#unmet[@]} - 2)) more unmet dependencies")
  parts+=("${errors[@]}")
  local IFS=';'
  sed 's/;/; /g' <<<"${parts[*]}"
}

refresh_lists() {
  local try output=''
  for ((try = 1; try <= update_tries; ++try)); do
    if output=$(apt_get update -q 2>&1); then
      return 0
    fi
    ((try == update_tries)) || sleep "$retry_pause"
  done
  local lists
  lists=$(failed_lists "$output")
  say "apt-get update failed $update_tries times (not refreshed: ${lists:-$(apt_reason "$output")}); going on with the package lists apt has"
}

# install_packages full|lean PACKAGE...: installs the packages (lean:
# without what they only recommend) in one go; where that fails, one by
# one, so that each one that cannot be installed is named with apt's
# reason. Returns 1 if any could not be.
install_packages() {
  local kind=$1
  shift
  local -a apt_install=(install "${apt_options[@]}")
  [[ $kind == lean ]] && apt_install+=(--no-install-recommends)
  if apt_get "${apt_install[@]}" "$@" >&2 2>/dev/null; then
    return 0
  fi
  local package output failed=0
  for package in "$@"; do
    is_installed "$package" && continue
    if ! output=$(apt_get "${apt_install[@]}" "$package" 2>&1); then
      say "cannot install $package: $(apt_reason "$output")"
      failed=1
    fi
  done
  return "$failed"
}

install_wine32() {
  mkdir -p "$state_dir"
  if is_installed "$wine32"; then
    rm -f "$wine32_missing"
    return
  fi
  local output
  if output=$(apt_get install "${apt_options[@]}" "$wine32" 2>&1); then
    rm -f "$wine32_missing"
    return
  fi
  local reason
  reason=$(apt_reason "$output")
  say "$wine32 cannot be installed, so the tests of the 32-bit program will be skipped: ${reason:-apt-get failed}"
  echo "$wine32 cannot be installed: ${reason:-apt-get failed}" >"$wine32_missing"
}

mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_lean < <(missing_of "${lean_packages[@]}")
wine32_wanted=false
if $want_wine32; then
  # wine32 is an i386 package.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  is_installed "$wine32" || wine32_wanted=true
fi

to_install=("${missing[@]}" "${missing_lean[@]}")
$wine32_wanted && to_install+=("$wine32")
if ((${#to_install[@]} > 0)); then
  say "installing ${to_install[*]}"
  refresh_lists
fi
failed=0
if ((${#missing[@]} > 0)); then
  install_packages full "${missing[@]}" || failed=1
fi
if ((${#missing_lean[@]} > 0)); then
  install_packages lean "${missing_lean[@]}" || failed=1
fi
if ((failed)); then
  say "a package that is needed could not be installed"
  exit 1
fi
if $want_wine32; then
  install_wine32
fi

# The Japanese end-to-end cases run Wine in this locale, which gives the
# double-byte code page 932. Generated once; "locale -a" lists it as
# ja_JP.utf8.
if $want_locale; then
  installed_locales=$(locale -a 2>/dev/null || true)
  if ! grep -qixE 'ja_JP\.utf-?8' <<<"$installed_locales"; then
    say "generating the ja_JP.UTF-8 locale"
    as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
  fi
fi
