#!/usr/bin/env bash
# Installs the Debian packages that building and testing hotfixes needs,
# and only those that are missing: a machine that has them all is left
# alone, without touching the package lists. Also generates the Japanese
# locale that the end-to-end tests use, when it is missing. Runs
# unattended; as root it calls apt-get directly, otherwise through sudo.
# Given package names, it installs those instead of the list below, and
# not what they only recommend.
set -euo pipefail

packages=(
  # Native build and unit tests.
  cmake ninja-build g++
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # hotfixes.exe for 64- and 32-bit Windows; binutils brings windres and
  # objdump. The "win32" thread model: the "posix" one links a run time
  # that imports functions Windows before Vista does not have.
  g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  # Inflates hotfixes-baseline's .xlsx workbooks: zlib for the native
  # build, and MinGW-w64's static libz.a for both Windows programs.
  zlib1g-dev libz-mingw-w64-dev
  # Runs hotfixes.exe: the report and the end-to-end tests; wine32 runs the
  # 32-bit program, in a 32-bit prefix and as a WOW64 process (wine64
  # recommends it too, but apt may be set to leave recommends out).
  wine64 wine32:i386
  # Test drivers, locale-dependent runs, memory checks, fuzzing.
  python3 locales valgrind clang libclang-rt-14-dev
  # Renders hotfixes-table's HTML page headless, for the page's test.
  chromium
  # The format and static checks.
  clang-format clang-tidy
)
# Installed without what they only recommend, which for these is much.
lean_packages=(
  # Opens hotfixes-table's CSV as a spreadsheet would, for its test.
  libreoffice-calc
)
apt_options=(-y -q -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold)
if (($# > 0)); then
  packages=()
  lean_packages=("$@")
fi

is_installed() {
  [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" == "install ok installed" ]]
}

missing=()
for package in "${packages[@]}"; do
  is_installed "$package" || missing+=("$package")
done
missing_lean=()
for package in "${lean_packages[@]}"; do
  is_installed "$package" || missing_lean+=("$package")
done

# Runs a command as root: directly, or through sudo.
as_root() {
  if ((EUID == 0)); then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "install-deps: not root and no sudo; please run: $*" >&2
    return 1
  fi
}

# wine32 is an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi

if ((${#missing[@]} + ${#missing_lean[@]} > 0)); then
  echo "install-deps: installing ${missing[*]} ${missing_lean[*]}" >&2
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2
fi
if ((${#missing[@]} > 0)); then
  as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get install "${apt_options[@]}" "${missing[@]}" >&2
fi
if ((${#missing_lean[@]} > 0)); then
  as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get install "${apt_options[@]}" --no-install-recommends \
    "${missing_lean[@]}" >&2
fi

# The Japanese end-to-end cases run Wine in this locale, which gives the
# double-byte code page 932. Generated once; "locale -a" lists it as
# ja_JP.utf8.
installed_locales=$(locale -a 2>/dev/null || true)
if ! grep -qixE 'ja_JP\.utf-?8' <<<"$installed_locales"; then
  echo "install-deps: generating the ja_JP.UTF-8 locale" >&2
  as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
