#!/usr/bin/env bash
# Builds hotfixes.exe for 64-bit Windows and prints its report, run under
# Wine in your own Wine prefix (WINEPREFIX, else ~/.wine; created quietly
# when it does not exist). Standard output carries the report alone, and
# the exit code is the program's.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh --report

build_log=$(mktemp)
trap 'rm -f "$build_log"' EXIT
if ! { cmake --preset windows-x64 &&
      cmake --build --preset windows-x64 --target hotfixes; } \
    >"$build_log" 2>&1; then
  cat "$build_log" >&2
  echo "report: building hotfixes.exe failed" >&2
  exit 1
fi

wine=/usr/lib/wine/wine64
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine}"
export WINEDEBUG=-all
if [[ ! -d "$WINEPREFIX" || -z "$(ls -A "$WINEPREFIX")" ]]; then
  echo "report: creating the Wine prefix $WINEPREFIX" >&2
  # No Mono or Gecko: nothing to install, no prompt.
  WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot -i >/dev/null 2>&1
fi

exec "$wine" build/windows-x64/hotfixes.exe
