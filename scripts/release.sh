#!/usr/bin/env bash
# Builds the files users copy to a Windows machine, stripped and free of
# build paths and time stamps:
#   build/release/x86/hotfixes.exe   Windows NT 4.0 and later, 32 and 64 bit
#   build/release/x64/hotfixes.exe   XP x64 / Server 2003 x64 and later
# checks their PE headers and imports against the oldest Windows each is for
# and prints their sizes and SHA-256 sums.
#
#   --check-reproducible   also builds both from a copy of the sources in
#                          another folder and fails unless the files are
#                          byte for byte the same
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

check_reproducible=false
case "${1:-}" in
  "") ;;
  --check-reproducible) check_reproducible=true ;;
  *) echo "usage: $0 [--check-reproducible]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh

archs=(x86 x64)
log=$(mktemp)
copy=""
trap 'rm -rf "$log" "$copy"' EXIT

# Builds both release presets in the source tree $1.
build_release() {
  local arch
  for arch in "${archs[@]}"; do
    if ! (cd "$1" && cmake --preset "windows-$arch-release" &&
          cmake --build --preset "windows-$arch-release") >"$log" 2>&1; then
      cat "$log" >&2
      echo "release: building windows-$arch-release in $1 failed" >&2
      return 1
    fi
  done
}

build_release .
for arch in "${archs[@]}"; do
  mkdir -p "build/release/$arch"
  cp "build/windows-$arch-release/hotfixes.exe" "build/release/$arch/"
done
files=(build/release/x86/hotfixes.exe build/release/x64/hotfixes.exe)

objdump=$(command -v x86_64-w64-mingw32-objdump)
python3 tests/pe/check_pe.py --objdump "$objdump" "${files[@]}" >&2

if $check_reproducible; then
  # Another folder, another build tree, nothing carried over.
  copy=$(mktemp -d)
  tar --exclude=./build --exclude=./.git -cf - . | tar -xf - -C "$copy"
  build_release "$copy"
  for arch in "${archs[@]}"; do
    if ! cmp "build/release/$arch/hotfixes.exe" \
        "$copy/build/windows-$arch-release/hotfixes.exe" >&2; then
      echo "release: $arch hotfixes.exe differs between two builds" >&2
      exit 1
    fi
  done
  echo "release: both builds gave the same bytes" >&2
fi

for file in "${files[@]}"; do
  echo "$(stat -c %s "$file") bytes  $file"
done
sha256sum "${files[@]}"
