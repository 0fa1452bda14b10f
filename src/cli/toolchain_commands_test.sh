#!/usr/bin/env bash
# Runs the built `zelvan cpu`, `options` and `scan` commands against the demo
# installation of the repository: exit statuses and exact output.
# Usage: toolchain_commands_test.sh path/to/zelvan
source "$(dirname "$0")/example_workspace_test_lib.sh" "$1" "$(dirname "$0")/../../examples"

# check_err NAME STATUS STDOUT STDERR -- command...: stderr too is exact.
check_err() {
  check "$1" "$2" "$3" "$5" "${@:6}"
  stderr_is "$1" "$4"
}

check_err "compiler options in canonical order" 0 "-w1 -O2 -g -Nr32 -I \"C:\\my dir\" " "" -- \
  "$zelvan" options format --cpu MR44 -- -O2 -g -I "C:\\my dir" -w1 -Nr32
check_err "a value out of the allowed list is reported" 1 "-O9 " "not accepted: -O9" -- \
  "$zelvan" options format --cpu MX-520 -- -O9
check_err "linker options" 0 "-o out.abs -L lib -lp40 " "" -- \
  "$zelvan" options format --cpu MX-520 --table linker -- -lp40 -L lib -o out.abs
check_err "converter options" 0 "-Fs24 -cc \"a b\" " "" -- \
  "$zelvan" options format --cpu MR44A --table converter -- -cc "a b" -Fs24

list=$("$zelvan" cpu list)
for cpu in MR44 MR44A MX-520 MX-310P MX-310P1; do
  grep -q "^$cpu " <<<"$list" || fail "cpu list lacks $cpu"
done
show=$("$zelvan" cpu show mx-520/s)
grep -q '^Compiler: *K:\\Tools\\MX520\\bin\\cc520.exe$' <<<"$show" || fail "cpu show gives no compiler: $show"
check_err "an unknown CPU" 1 "" "zelvan: unknown CPU: nosuch" -- "$zelvan" cpu show nosuch

printf 'int a = 1;\n' > a.c
check_err "scan" 0 "$(printf '1 [int] SPACE\n1 [a] SPACE\n1 [] =\n1 [1] ;\n1 [] LF')" "" -- \
  "$zelvan" scan a.c
check_err "scan of a missing file" 1 "" "zelvan: cannot read missing.c" -- "$zelvan" scan missing.c
finish "toolchain command"
