#!/usr/bin/env bash
# Runs the built `zelvan cpu`, `options` and `scan` commands against the demo
# installation of the repository: exit statuses and exact output.
# Usage: toolchain_commands_test.sh path/to/zelvan
set -u
zelvan=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0

# check NAME EXPECTED_STATUS EXPECTED_STDOUT EXPECTED_STDERR -- command...
check() {
  local name=$1 status=$2 expected=$3 expected_err=$4
  shift 5
  local out err rc
  out=$("$@" 2>stderr.txt)
  rc=$?
  err=$(cat stderr.txt)
  if [ "$rc" != "$status" ] || [ "$out" != "$expected" ] || [ "$err" != "$expected_err" ]; then
    echo "FAIL: $name: status $rc (want $status)"
    echo "  stdout [$out] (want [$expected])"
    echo "  stderr [$err] (want [$expected_err])"
    failures=$((failures + 1))
  fi
}

check "compiler options in canonical order" 0 "-w1 -O2 -g -Nr32 -I \"C:\\my dir\" " "" -- \
  "$zelvan" options format --cpu MR44 -- -O2 -g -I "C:\\my dir" -w1 -Nr32
check "a value out of the allowed list is reported" 1 "-O9 " "not accepted: -O9" -- \
  "$zelvan" options format --cpu MX-520 -- -O9
check "linker options" 0 "-o out.abs -L lib -lp40 " "" -- \
  "$zelvan" options format --cpu MX-520 --table linker -- -lp40 -L lib -o out.abs
check "a linker range is checked" 1 "-lp20 " "not accepted: -lp20" -- \
  "$zelvan" options format --cpu MX-520 --table linker -- -lp20
check "converter options" 0 "-Fs24 -cc \"a b\" " "" -- \
  "$zelvan" options format --cpu MR44A --table converter -- -cc "a b" -Fs24

out=$("$zelvan" options format --cpu MX-520 --table bogus -- -O1 2>/dev/null)
[ $? = 2 ] || { echo "FAIL: an unknown table is bad usage"; failures=$((failures + 1)); }

list=$("$zelvan" cpu list)
for cpu in MR44 MR44A MX-520 MX-310P MX-310P1; do
  echo "$list" | grep -q "^$cpu " || { echo "FAIL: cpu list lacks $cpu"; failures=$((failures + 1)); }
done
show=$("$zelvan" cpu show mx-520/s)
echo "$show" | grep -q '^Compiler: *K:\\Tools\\MX520\\bin\\cc520.exe$' ||
  { echo "FAIL: cpu show gives no compiler: $show"; failures=$((failures + 1)); }
check "an unknown CPU" 1 "" "zelvan: unknown CPU: nosuch" -- "$zelvan" cpu show nosuch

printf 'int a = 1;\n' > a.c
check "scan" 0 "$(printf '1 [int] SPACE\n1 [a] SPACE\n1 [] =\n1 [1] ;\n1 [] LF')" "" -- \
  "$zelvan" scan a.c
check "scan of a missing file" 1 "" "zelvan: cannot read missing.c" -- "$zelvan" scan missing.c

if [ "$failures" != 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "all passed"
