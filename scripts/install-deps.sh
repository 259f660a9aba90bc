#!/usr/bin/env bash
# Installs the Debian packages that building and testing hotfixes needs,
# and only those that are missing: a machine that has them all is left
# alone, without touching the package lists. Runs unattended; as root it
# calls apt-get directly, otherwise through sudo.
set -euo pipefail

packages=(
  # Native build and unit tests.
  cmake ninja-build g++
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # hotfixes.exe for 64- and 32-bit Windows; binutils brings windres.
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  # Runs hotfixes.exe: the report and the end-to-end tests.
  wine64
  # Test drivers, locale-dependent runs, memory checks, fuzzing.
  python3 locales valgrind clang
)

is_installed() {
  [[ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" == "install ok installed" ]]
}

missing=()
for package in "${packages[@]}"; do
  is_installed "$package" || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

as_root=()
if ((EUID != 0)); then
  if ! command -v sudo >/dev/null; then
    echo "install-deps: not root and no sudo; please install: ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo)
fi

echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt_options=(-y -q -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold)
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install "${apt_options[@]}" "${missing[@]}" >&2
