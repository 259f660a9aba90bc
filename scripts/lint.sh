#!/usr/bin/env bash
# Checks the C++ sources against .clang-format and .clang-tidy. clang-tidy
# reads the native build's compile_commands.json, so the native preset must
# have been configured first (scripts/test.sh does that). The Win32 layer
# needs the Windows headers and is checked by the cross-compilers instead.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mapfile -t sources < <(git ls-files '*.cc' '*.h')
status=0
if ! clang-format --style=file --dry-run --Werror "${sources[@]}"; then
  echo "lint: clang-format would change the files above" >&2
  status=1
fi

mapfile -t tidy_sources < <(git ls-files 'src/*.cc' | grep -v -- '-win32\.cc$')
if ! run-clang-tidy -quiet -p build/native -j 2 "${tidy_sources[@]}" \
    >build/clang-tidy.log 2>&1; then
  grep -E 'warning:|error:' build/clang-tidy.log | sort -u >&2
  echo "lint: clang-tidy found the problems above" >&2
  status=1
fi
exit "$status"
