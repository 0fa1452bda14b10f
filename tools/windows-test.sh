#!/usr/bin/env bash
# The Windows test run: the cross-built programs of BUILD (default
# build-windows) under Wine, in a Wine prefix of its own that is removed
# afterwards, so that nothing of the user's Wine (or registry) is touched.
# With the Linux build LINUX_BUILD (default build), zelvan.exe's commands are
# compared with those of its zelvan (src/cli/wine_cli_test.sh).
#   tools/windows-test.sh [BUILD [LINUX_BUILD]]
set -euo pipefail
build=${1:-build-windows}
linux_build=${2:-build}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
prefix=$(mktemp -d "${TMPDIR:-/tmp}/zelvan-wine-XXXXXX")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT

echo "== a new Wine prefix ($prefix)"
start=$(date +%s)
"$wine" wineboot --init >/dev/null 2>&1 || true
"$wineserver" -w
echo "   made in $(($(date +%s) - start)) s"

echo "== zelvan.exe under Wine"
version=$("$wine" "$build/src/cli/zelvan.exe" --version | tr -d '\r')
echo "   $version"
case "$version" in *[0-9].[0-9]*) ;; *) echo "zelvan.exe --version printed no version" >&2; exit 1 ;; esac

echo "== the platform tests under Wine"
ctest --test-dir "$build" --output-on-failure

echo "== zelvan.exe's commands under Wine (src/cli/wine_cli_test.sh)"
start=$(date +%s)
"$(dirname "$0")/../src/cli/wine_cli_test.sh" "$build" "$(dirname "$0")/.." "$linux_build"
echo "   done in $(($(date +%s) - start)) s"
