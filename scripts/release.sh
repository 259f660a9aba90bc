#!/usr/bin/env bash
# Builds what users get, stripped and free of build paths and time stamps:
#   build/release/hotfixes-<version>-windows.zip, holding
#     x86/hotfixes.exe        Windows NT 4.0 and later, 32 and 64 bit
#     x64/hotfixes.exe        XP x64 / Server 2003 x64 and later
#     x86/, x64/hotfixes-table.exe, hotfixes-baseline.exe and
#                             collect-report.cmd where they exist
#                             (the script beside the hotfixes.exe it runs)
#     README.txt, LICENSE.txt, THIRD-PARTY-NOTICES.txt (CR LF line ends)
#     baselines/worm-bulletins.txt, a sample baseline for hotfixes-table,
#     and baselines/catalog-*.txt, the catalogs of the bulletins of 2001 to
#                             2019 (CR LF), where the table program exists
#     SHA256SUMS              of every other file, for sha256sum -c
#   and the same files unpacked in build/release/;
# checks the executables' PE headers and imports against the oldest
# Windows each is for and prints their sizes and SHA-256 sums, then the
# archive's name, size and SHA-256.
#
# The archive's time stamps are those of the last commit (or
# $SOURCE_DATE_EPOCH), so two builds of the same commit give the same
# bytes.
#
#   --check-reproducible   also builds everything from a copy of the
#                          sources in another folder and fails unless the
#                          executables and the archive are byte for byte
#                          the same
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
# The programs an archive carries, each where its build produced it.
programs=(hotfixes hotfixes-table hotfixes-baseline)
# The baselines it carries beside hotfixes-table (scripts/make-baselines.sh
# makes the catalogs).
baselines=(worm-bulletins.txt catalog-2001-2008.txt catalog-2008-2017.txt
  catalog-after-2017.txt)
batch_file=src/collect/collect-report.cmd

version=$(sed -n 's/^set(HOTFIXES_VERSION \([0-9.]*\))$/\1/p' CMakeLists.txt)
if [[ -z $version ]]; then
  echo "release: no HOTFIXES_VERSION in CMakeLists.txt" >&2
  exit 1
fi
archive_name=hotfixes-$version-windows.zip
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
if [[ -z $epoch ]]; then
  echo "release: not a git checkout; set SOURCE_DATE_EPOCH" >&2
  exit 1
fi

log=$(mktemp)
copy=""
trap 'rm -rf "$log" "$copy"' EXIT

# Builds both release presets' default targets in the source tree $1.
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

# A text for Windows users: $1 with CR LF line ends, @VERSION@ filled in.
windows_text() {
  sed -e "s/@VERSION@/$version/g" -e 's/\r$//' -e 's/$/\r/' "$1"
}

# Fills $1/build/release with the archive's files from the tree $1 and its
# builds, and writes the archive there. Sets "files", the archive's files
# in their order, SHA256SUMS last.
package() {
  local tree=$1 release=$1/build/release arch program baseline
  rm -rf "$release"
  mkdir -p "$release"
  files=(README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt)
  for arch in "${archs[@]}"; do
    mkdir -p "$release/$arch"
    for program in "${programs[@]}"; do
      if [[ -f $tree/build/windows-$arch-release/$program.exe ]]; then
        cp "$tree/build/windows-$arch-release/$program.exe" "$release/$arch/"
        files+=("$arch/$program.exe")
      fi
    done
    # The script runs the hotfixes.exe that lies beside it.
    if [[ -f $tree/$batch_file ]]; then
      cp "$tree/$batch_file" "$release/$arch/"
      files+=("$arch/$(basename "$batch_file")")
    fi
  done
  windows_text "$tree/dist/README.txt" >"$release/README.txt"
  if [[ -f $release/x86/hotfixes-table.exe && -f $tree/$batch_file ]]; then
    windows_text "$tree/dist/README-fleet.txt" >>"$release/README.txt"
  fi
  if [[ -f $release/x86/hotfixes-table.exe ]]; then
    mkdir -p "$release/baselines"
    for baseline in "${baselines[@]}"; do
      windows_text "$tree/baselines/$baseline" >"$release/baselines/$baseline"
      files+=("baselines/$baseline")
    done
  fi
  windows_text "$tree/LICENSE" >"$release/LICENSE.txt"
  windows_text "$tree/dist/THIRD-PARTY-NOTICES.txt" \
    >"$release/THIRD-PARTY-NOTICES.txt"
  (cd "$release" && sha256sum "${files[@]}" >SHA256SUMS)
  files+=(SHA256SUMS)
  python3 "$tree/scripts/make_zip.py" --mtime "$epoch" --root "$release" \
    "$release/$archive_name" "${files[@]}"
}

build_release .
package .
executables=()
for file in "${files[@]}"; do
  [[ $file == *.exe ]] && executables+=("build/release/$file")
done

objdump=$(command -v x86_64-w64-mingw32-objdump)
python3 tests/pe/check_pe.py --objdump "$objdump" "${executables[@]}" >&2

if $check_reproducible; then
  # Another folder, another build tree, nothing carried over.
  copy=$(mktemp -d)
  tar --exclude=./build --exclude=./.git -cf - . | tar -xf - -C "$copy"
  build_release "$copy"
  package "$copy"
  for file in "${executables[@]}" "build/release/$archive_name"; do
    if ! cmp "$file" "$copy/$file" >&2; then
      echo "release: $file differs between two builds" >&2
      exit 1
    fi
  done
  echo "release: both builds gave the same bytes" >&2
fi

for file in "${executables[@]}"; do
  echo "$(stat -c %s "$file") bytes  $file"
done
sha256sum "${executables[@]}"
archive=build/release/$archive_name
echo "archive: $archive"
echo "size:    $(stat -c %s "$archive") bytes"
echo "sha256:  $(sha256sum "$archive" | cut -d ' ' -f 1)"
