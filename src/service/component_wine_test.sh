#!/usr/bin/env bash
# ZELVAN.DLL as a real in-process server under Wine, in a Wine prefix of its
# own that is removed afterwards: regsvr32 registers the five classes under
# HKEY_CLASSES_ROOT (checked with `reg query`), the COM client creates each
# by ProgID and runs the slot table through the component runtime,
# and regsvr32 /u removes every key again.
#   component_wine_test.sh BUILD_DIR SOURCE_DIR
# BUILD_DIR holds src/cli/ZELVAN.DLL and src/cli/component_com_client.exe.
# Prints "N passed, M failed" at the end; exits non-zero when one failed.
set -uo pipefail
build=$(realpath "${1:?usage: component_wine_test.sh BUILD_DIR SOURCE_DIR}")
source_dir=$(realpath "${2:?usage: component_wine_test.sh BUILD_DIR SOURCE_DIR}")
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
prefix=$(mktemp -d "${TMPDIR:-/tmp}/zelvan-com-XXXXXX")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset ZELVAN_REGISTRY
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  echo "FAILED: $*"
}
# A Windows path of a host path (Wine's Z: drive is the host's root).
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

dll=$(windows_path "$build/src/cli/ZELVAN.DLL")
client="$build/src/cli/component_com_client.exe"
# The demo installation, whose files name it as drive K: (below).
export ZELVAN_INSTALL
ZELVAN_INSTALL=$(windows_path "$source_dir/share/kova")

"$wine" wineboot --init >/dev/null 2>&1
"$wineserver" -w
# The demo installation names itself as drive K:, as a user's would be.
ln -s "$source_dir/share/kova" "$prefix/dosdevices/k:"
# One server for the many short calls below (it stays until cleanup).
"$wineserver" -p

# reg query KEY [/v NAME | /ve]: the value's data, "" when missing.
query() {
  "$wine" reg query "$@" 2>/dev/null | tr -d '\r' | awk -F'    ' '/REG_SZ/ { print $NF }'
}
classes=(Connect:6A3F2B11-1C4D-4E5F-8A9B-0C1D2E3F4A51 Command:6A3F2B12-1C4D-4E5F-8A9B-0C1D2E3F4A52
  Service:6A3F2B13-1C4D-4E5F-8A9B-0C1D2E3F4A53 Version:6A3F2B14-1C4D-4E5F-8A9B-0C1D2E3F4A54
  Project:6A3F2B15-1C4D-4E5F-8A9B-0C1D2E3F4A55)

# Each class under HKEY_CLASSES_ROOT: ProgIDs, CLSID, server, threading model.
check_registered() {
  local entry name clsid key
  for entry in "${classes[@]}"; do
    name=${entry%%:*}
    clsid="{${entry#*:}}"
    key="HKCR\\CLSID\\$clsid"
    for prog_id in "Zelvan.$name" "Zelvan.$name.1"; do
      if [ "$(query "HKCR\\$prog_id\\CLSID" /ve)" = "$clsid" ]; then pass; else
        fail "HKCR\\$prog_id\\CLSID is not $clsid"
      fi
    done
    [ "$(query "HKCR\\Zelvan.$name\\CurVer" /ve)" = "Zelvan.$name.1" ] && pass ||
      fail "HKCR\\Zelvan.$name\\CurVer"
    [ "$(query "$key\\ProgID" /ve)" = "Zelvan.$name.1" ] && pass || fail "$key\\ProgID"
    [ "$(query "$key\\InprocServer32" /ve)" = "$dll" ] && pass ||
      fail "$key\\InprocServer32 is '$(query "$key\\InprocServer32" /ve)', not $dll"
    [ "$(query "$key\\InprocServer32" /v ThreadingModel)" = "Apartment" ] && pass ||
      fail "$key\\InprocServer32 ThreadingModel"
    "$wine" reg query "$key\\Programmable" >/dev/null 2>&1 && pass || fail "$key\\Programmable"
    [ "$(query "$key\\TypeLib" /ve)" = "{6A3F2B10-1C4D-4E5F-8A9B-0C1D2E3F4A50}" ] && pass ||
      fail "$key\\TypeLib"
  done
}

check_unregistered() {
  local entry name key
  for entry in "${classes[@]}"; do
    name=${entry%%:*}
    for key in "HKCR\\Zelvan.$name" "HKCR\\Zelvan.$name.1" "HKCR\\CLSID\\{${entry#*:}}"; do
      if "$wine" reg query "$key" >/dev/null 2>&1; then fail "$key is still there"; else pass; fi
    done
  done
}

echo "== regsvr32 ZELVAN.DLL"
if "$wine" regsvr32 /s "$dll"; then pass; else fail "regsvr32 answered $?"; fi
check_registered

echo "== the COM client"
"$wine" "$client" >"$prefix/client.log" 2>&1
client_status=$?
tr -d '\r' <"$prefix/client.log" | sed 's/^/   /'
summary=$(tr -d '\r' <"$prefix/client.log" | tail -1)
if [[ $summary =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
  passed=$((passed + BASH_REMATCH[1]))
  failed=$((failed + BASH_REMATCH[2]))
  [ "$client_status" -eq 0 ] || [ "${BASH_REMATCH[2]}" -ne 0 ] || fail "the client exited $client_status"
else
  fail "the client printed no summary (exit $client_status)"
fi

echo "== regsvr32 /u ZELVAN.DLL"
if "$wine" regsvr32 /s /u "$dll"; then pass; else fail "regsvr32 /u answered $?"; fi
check_unregistered

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
