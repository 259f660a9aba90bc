#!/usr/bin/env bash
# Runs every test: the unit tests and the native program's end-to-end
# tests (native build, the program also under valgrind), the unit tests
# again under AddressSanitizer and UndefinedBehaviorSanitizer, hotfixes.exe
# for 64-bit Windows end to end under Wine (windows-x64), the 32-bit
# hotfixes.exe under 32-bit Wine and as a WOW64 process (windows-x86), the
# import and header check of both, the release files built twice and
# compared byte for byte, bounded fuzz runs of the whole report and of the
# table's report reader, and the format and static checks.
# On a machine whose kernel refuses 32-bit programs, the 32-bit program runs
# under qemu-i386 where scripts/x86-host.sh can set that up, and the tests
# that cannot run are skipped; the summary says why.
# Goes on past a failure so that every summary is shown; exits non-zero
# if anything failed.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh || exit 1

failed_steps=()
tests_passed=0
tests_failed=0
tests_skipped=0
skip_reasons=()
ctest_log=$(mktemp)
trap 'rm -f "$ctest_log"' EXIT

# Whether the 32-bit program can run here, decided once for every test.
if ! HOTFIXES_X86_HOST=$(bash scripts/x86-host.sh prepare) ||
    [[ -z $HOTFIXES_X86_HOST ]]; then
  HOTFIXES_X86_HOST="none: scripts/x86-host.sh failed"
fi
export HOTFIXES_X86_HOST
echo "==> 32-bit programs: $HOTFIXES_X86_HOST" >&2

step() {
  local name=$1
  shift
  echo "==> $name" >&2
  local started=$SECONDS
  if "$@"; then
    echo "==> $name: done in $((SECONDS - started)) s" >&2
    return 0
  fi
  echo "==> $name: FAILED after $((SECONDS - started)) s" >&2
  failed_steps+=("$name")
  return 1
}

build() {
  cmake --preset "$1" && cmake --build --preset "$1"
}

# Runs ctest, keeping its output visible, and adds its counts to the total.
run_tests() {
  ctest --preset "$1" --parallel 2 2>&1 | tee "$ctest_log"
  local status=${PIPESTATUS[0]}
  local summary skipped
  summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' \
    "$ctest_log" | tail -n 1)
  # CTest counts a skipped test as passed, and lists it at the end.
  skipped=$(grep -cE '^[[:space:]]*[0-9]+ - .* \(Skipped\)$' "$ctest_log")
  if [[ $summary =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    tests_failed=$((tests_failed + BASH_REMATCH[1]))
    tests_passed=$((tests_passed + BASH_REMATCH[2] - BASH_REMATCH[1] - skipped))
    tests_skipped=$((tests_skipped + skipped))
    ((skipped == 0)) || note_skip_reasons "$1"
  elif ((status == 0)); then
    echo "test.sh: ctest --preset $1 ran no test" >&2
    status=1
  fi
  return "$status"
}

# Each distinct "skipped: WHY" line of the tests that skipped themselves,
# with how many did.
note_skip_reasons() {
  local log=build/$1/Testing/Temporary/LastTest.log line
  while IFS= read -r line; do
    skip_reasons+=("$line")
  done < <(sed -n 's/^skipped: //p' "$log" 2>/dev/null | sort | uniq -c |
    sed -E 's/^ *([0-9]+) /\1 skipped: /')
}

step "build native" build native && step "test native" run_tests native
step "build native-sanitize" build native-sanitize &&
  step "test native-sanitize" run_tests native-sanitize
step "build windows-x64" build windows-x64 &&
  step "test windows-x64" run_tests windows-x64
step "build windows-x86" build windows-x86 &&
  step "test windows-x86" run_tests windows-x86
step "release files, built twice" bash scripts/release.sh --check-reproducible
step "fuzz the report and the table reader (${FUZZ_SECONDS:-60} s each)" bash fuzz/run_fuzz.sh "${FUZZ_SECONDS:-60}"
step "lint" bash scripts/lint.sh

if ((${#failed_steps[@]} > 0)); then
  echo "test.sh: failed: ${failed_steps[*]}"
fi
for line in "${skip_reasons[@]}"; do
  echo "test.sh: $line"
done
if ((tests_skipped > 0)); then
  echo "tests: $tests_passed passed, $tests_failed failed, $tests_skipped skipped"
else
  echo "tests: $tests_passed passed, $tests_failed failed"
fi
((${#failed_steps[@]} == 0))
