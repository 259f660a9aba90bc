#!/usr/bin/env bash
# Regenerates every baseline the project ships, each from its sources, with
# hotfixes-baseline:
#   baselines/catalog-2001-2008.txt   from baselines/data/bulletins-2001-2008.csv
#                                     (the worm years, read from Microsoft's
#                                     bulletin pages)
#   baselines/catalog-2008-2017.txt   from Microsoft's "Microsoft Security
#                                     Bulletin Data", BulletinSearch.xlsx as
#                                     saved on 2017-06-14 (SHA-256 below)
#   baselines/catalog-after-2017.txt  from baselines/data/bulletins-after-2017.csv
#                                     (updates for XP and Server 2003 after
#                                     their end of support)
# Every row of every file must be read: a row the converter refuses fails
# the run. Nothing in baselines/ changes unless every one it makes was made.
#
#   make-baselines.sh [--program FILE] [--workbook FILE] [--check]
#
#   --program FILE   the hotfixes-baseline to run (default: the native
#                    build's, built first when it is missing)
#   --workbook FILE  the 2017-06-14 copy of BulletinSearch.xlsx, which
#                    Microsoft handed out and the project does not hold; a
#                    file with another SHA-256 is refused. Without it,
#                    baselines/catalog-2008-2017.txt is left as it is
#   --check          makes the baselines of the project's own data into a
#                    temporary folder and fails unless baselines/ holds the
#                    same bytes (the workbook is not needed, nor read)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

readonly WORKBOOK_SHA256=8fd62c91d0edf3ba7a90d891f8113a1c1d8c62fd44c94bc4d481648a34111142
# Baseline, then its source in the project (empty: the workbook).
readonly -a BASELINES=(
  catalog-2001-2008.txt baselines/data/bulletins-2001-2008.csv
  catalog-2008-2017.txt ""
  catalog-after-2017.txt baselines/data/bulletins-after-2017.csv
)

program=""
workbook=""
check=false
while (($#)); do
  case "$1" in
    --program) program=$(realpath "${2:?--program needs a file}"); shift 2 ;;
    --workbook) workbook=${2:?--workbook needs a file}; shift 2 ;;
    --check) check=true; shift ;;
    *) echo "usage: $0 [--program FILE] [--workbook FILE] [--check]" >&2
       exit 2 ;;
  esac
done

if [[ -z $program ]]; then
  program=$PWD/build/native/hotfixes-baseline
  if [[ ! -x $program ]]; then
    cmake --preset native >/dev/null
    cmake --build --preset native --target hotfixes-baseline >/dev/null
  fi
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Converts $2 (run from its folder $1, so that the baseline's head names
# the file as given) into $out/$3; any refused row or error fails.
convert() {
  local folder=$1 file=$2 baseline=$3 errors
  if ! errors=$(cd "$folder" && "$program" "$file" 2>&1 >"$out/$baseline"); then
    echo "make-baselines: $file: $errors" >&2
    return 1
  fi
  if [[ -n $errors ]]; then
    echo "$errors" >&2
    echo "make-baselines: $file: the converter refused the rows above" >&2
    return 1
  fi
}

for ((i = 0; i < ${#BASELINES[@]}; i += 2)); do
  baseline=${BASELINES[i]} source=${BASELINES[i + 1]}
  if [[ -n $source ]]; then
    convert . "$source" "$baseline"
  elif ! $check; then
    if [[ -z $workbook ]]; then
      echo "make-baselines: baselines/$baseline left as it is: its source," \
           "Microsoft's workbook, is made again only with --workbook FILE" >&2
      continue
    fi
    if [[ ! -f $workbook ]]; then
      echo "make-baselines: no workbook at $workbook" >&2
      exit 1
    fi
    if [[ $(sha256sum <"$workbook" | cut -d ' ' -f 1) != "$WORKBOOK_SHA256" ]]; then
      echo "make-baselines: $workbook is not the 2017-06-14 copy" >&2
      exit 1
    fi
    convert "$(dirname "$workbook")" "$(basename "$workbook")" "$baseline"
  fi
done

status=0
for ((i = 0; i < ${#BASELINES[@]}; i += 2)); do
  baseline=${BASELINES[i]}
  [[ -f $out/$baseline ]] || continue
  if $check; then
    if ! cmp -s "$out/$baseline" "baselines/$baseline"; then
      echo "make-baselines: baselines/$baseline is not what its source" \
           "gives: run scripts/make-baselines.sh" >&2
      diff "baselines/$baseline" "$out/$baseline" | head -20 >&2 || true
      status=1
    fi
  else
    mv "$out/$baseline" "baselines/$baseline"
    echo "baselines/$baseline: $(grep -c '^\[' "baselines/$baseline")" \
         "requirements"
  fi
done
exit "$status"
