#!/bin/sh
# Builds the fuzz targets with clang and runs each over its seed corpus for
# a bounded time: report_fuzzer (the whole report, seeds in corpus/) and
# table_fuzzer (the table's report reader, seeds in table-corpus/). Exits non-zero when the build fails or the fuzzer finds an
# input that crashes the program or breaks one of its checks; that input is
# kept under build/fuzz/artifacts/ (replay: report_fuzzer <file>).
#
# Usage: fuzz/run_fuzz.sh [seconds]   (default 60, for each target)
set -eu

seconds=${1:-60}
case $seconds in
  '' | *[!0-9]*) echo "usage: $0 [seconds]" >&2; exit 2 ;;
esac

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DHOTFIXES_FUZZ=ON -DHOTFIXES_TESTS=OFF >/dev/null
cmake --build "$build" --target report_fuzzer table_fuzzer -j2

# New inputs go to a scratch directory; the committed seeds stay as they are.
mkdir -p "$build/artifacts"
scratch=$(mktemp -d "$build/corpus.XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM

status=0
for target in report_fuzzer:corpus table_fuzzer:table-corpus; do
  name=${target%%:*}
  mkdir -p "$scratch/$name"
  "$build/fuzz/$name" "$scratch/$name" "$root/fuzz/${target#*:}" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/" || {
    status=$?
    echo "$name failed (exit $status); inputs in $build/artifacts/" >&2
  }
done
exit "$status"
