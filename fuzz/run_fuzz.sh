#!/bin/sh
# Builds the fuzz targets with clang and runs each over its seed corpus for
# a bounded time: report_fuzzer (the whole report, seeds in corpus/),
# table_fuzzer (the table's report reader, seeds in table-corpus/),
# baseline_fuzzer (hotfixes-baseline's converter) and since_fuzzer (the
# table's reader of an earlier audit). The last two take as seeds the small
# forms of tests/support/hostile_inputs.py's cases, written afresh under
# build/fuzz/seeds/, and the converter also the sample CSVs of
# tests/auditor/baseline/data/. Exits non-zero when the build fails or the fuzzer
# finds an input that crashes the program or breaks one of its checks; that
# input is kept under build/fuzz/artifacts/ (replay: report_fuzzer <file>).
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
cmake --build "$build" --target report_fuzzer table_fuzzer baseline_fuzzer \
  since_fuzzer -j2

# The hostile cases' files, small: the generated seeds.
seeds=$build/seeds
rm -rf "$seeds"
/usr/bin/python3 "$root/tests/support/hostile_inputs.py" --seeds "$seeds/all"
mkdir -p "$seeds/baseline" "$seeds/since"
mv "$seeds"/all/baseline-* "$seeds/baseline/"
mv "$seeds"/all/since-* "$seeds/since/"
cp "$root"/tests/auditor/baseline/data/*.csv "$seeds/baseline/"

# New inputs go to a scratch directory; the committed seeds stay as they are.
mkdir -p "$build/artifacts"
scratch=$(mktemp -d "$build/corpus.XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM

status=0
for target in report_fuzzer:"$root/fuzz/corpus" \
    table_fuzzer:"$root/fuzz/table-corpus" \
    baseline_fuzzer:"$seeds/baseline" since_fuzzer:"$seeds/since"; do
  name=${target%%:*}
  mkdir -p "$scratch/$name"
  "$build/fuzz/$name" "$scratch/$name" "${target#*:}" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/" || {
    status=$?
    echo "$name failed (exit $status); inputs in $build/artifacts/" >&2
  }
done
exit "$status"
