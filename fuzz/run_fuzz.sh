#!/bin/sh
# Builds the report fuzzer with clang and runs it over the seed corpus for
# a bounded time. Exits non-zero when the build fails or the fuzzer finds an
# input that crashes the program or breaks one of its checks; that input is
# kept under build/fuzz/artifacts/ (replay: report_fuzzer <file>).
#
# Usage: fuzz/run_fuzz.sh [seconds]   (default 60)
set -eu

seconds=${1:-60}
case $seconds in
  '' | *[!0-9]*) echo "usage: $0 [seconds]" >&2; exit 2 ;;
esac

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DHOTFIXES_FUZZ=ON -DHOTFIXES_TESTS=OFF >/dev/null
cmake --build "$build" --target report_fuzzer -j2

# New inputs go to a scratch directory; the committed seeds stay as they are.
mkdir -p "$build/artifacts"
scratch=$(mktemp -d "$build/corpus.XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM

status=0
"$build/fuzz/report_fuzzer" "$scratch" "$root/fuzz/corpus" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$build/artifacts/" || status=$?
if [ "$status" -ne 0 ]; then
  echo "report_fuzzer failed (exit $status); inputs in $build/artifacts/" >&2
fi
exit "$status"
