#!/usr/bin/env bash
# Runs the built lcf commands on a copy of the example workspace: symbol
# values through the projects' targets, the memory block read and written,
# and files left byte for byte when a write is refused.
# Usage: lcf_commands_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"

tab=$'\t'
check "value, current project and target" 0 "0x00083FE0" -- "$zelvan" lcf value stack_top
check "value of a named target" 0 "0x00083FE0" -- "$zelvan" lcf value motor.abs Release STACK_TOP
check "value of an outer symbol" 1 "" -- "$zelvan" lcf value Motor stack_size
stderr_has "value of an outer symbol" "error 0x40031142"
check "value, unknown project" 1 "" -- "$zelvan" lcf value Nope Debug stack_top
stderr_has "value, unknown project" "error 0x40031103"
check "value, unknown target" 1 "" -- "$zelvan" lcf value Motor Nope stack_top
stderr_has "value, unknown target" "error 0x40031109"
check "lcf switched off" 0 "" -- "$zelvan" file-set Sensor Release Sensor.lcf nolcf 1
check "value without lcf" 1 "" -- "$zelvan" lcf value Sensor Release top
stderr_has "value without lcf" "error 0x40031140"

check "outer" 0 "0x00000400" -- "$zelvan" lcf outer Motor/Motor.lcf stack_size
check "outer, missing file" 1 "" -- "$zelvan" lcf outer Motor/None.lcf stack_size
stderr_has "outer, missing file" "error 0x40031141"

check "memory" 0 "ROM${tab}0x00000000${tab}0x00008000
RAM${tab}0x00000080${tab}0x00000F80
IO${tab}0x00000000${tab}0x00000080" -- "$zelvan" lcf memory Sensor/Sensor.lcf
check "memory, missing file" 1 "" -- "$zelvan" lcf memory Motor/None.lcf

# set-memory replaces only the lines inside the block.
cp Motor/Motor.lcf "$work/Motor.before"
check "set-memory" 0 "" -- "$zelvan" lcf set-memory Motor/Motor.lcf ROM:0:0x40000 \
  RAM:0x80:0x1FF80 IO:0xFF000:4096 HEAP:0x90000:0x1000
expected=$(sed -n '1,3p' "$work/Motor.before"
  printf '    %s : origin=%s length=%s\n' code.s 0x00000000 0x00000100 \
    code.m 0x00000000 0x00010000 code.l 0x00000000 0x00040000 data.s 0x00000080 0x00000080 \
    data.m 0x00000080 0x0000FF80 data.l 0x00000080 0x0001FF80
  printf '    IO     : origin=0x000FF000 length=0x00001000\n'
  printf '    HEAP   : origin=0x00090000 length=0x00001000\n'
  sed -n '/^}/,$p' "$work/Motor.before")
[ "$(cat Motor/Motor.lcf)" = "$expected" ] ||
  fail "set-memory: $(diff <(echo "$expected") Motor/Motor.lcf)"
check "set-memory reads back" 0 "ROM${tab}0x00000000${tab}0x00040000
RAM${tab}0x00000080${tab}0x0001FF80
IO${tab}0x000FF000${tab}0x00001000
HEAP${tab}0x00090000${tab}0x00001000" -- "$zelvan" lcf memory Motor/Motor.lcf
check "symbols survive set-memory" 0 "0x00083FE0" -- "$zelvan" lcf value Motor Debug stack_top

# Refused writes leave the files as they were.
cp Motor/Motor.lcf "$work/Motor.after"
printf 'SECTIONS\n{\n}\n' > plain.lcf
check "set-memory without a block" 1 "" -- "$zelvan" lcf set-memory plain.lcf ROM:0:1
stderr_has "set-memory without a block" "no memory block"
check "set-memory, bad area" 2 "" -- "$zelvan" lcf set-memory Motor/Motor.lcf ROM:0:0x100000000
cmp -s Motor/Motor.lcf "$work/Motor.after" || fail "a refused write changed Motor.lcf"
[ "$(cat plain.lcf)" = "$(printf 'SECTIONS\n{\n}')" ] || fail "plain.lcf changed"
[ -z "$(ls -A Motor | grep '~zv')" ] || fail "temporary files left: $(ls Motor)"

# In a folder whose path is too long for the host to tell, a relative path
# names no file (never the same path from the root) and the command says so;
# full paths still work.
ws=$PWD
for i in $(seq 1 20); do
  long=$(printf 'd%0250d' "$i")
  mkdir "$long" && cd "$long" || fail "no deep folder"
done
probe=zelvan-probe-$$
mkdir "$probe" && cp "$ws/Motor/Motor.lcf" "$probe/o.lcf"
check "relative path without current folder" 1 "" -- \
  "$zelvan" -w "$ws/Example.kws" lcf set-memory "$probe/o.lcf" ROM:0:0x100
stderr_has "relative path without current folder" "zelvan: the current folder cannot be determined"
cmp -s "$probe/o.lcf" "$ws/Motor/Motor.lcf" || fail "relative path without current folder: file changed"
[ ! -e "/$probe" ] || fail "relative path without current folder: /$probe written"
cp "$ws/Example.kws" .
check "workspace without current folder" 1 "" -- "$zelvan" -w Example.kws projects
stderr_has "workspace without current folder" "zelvan: the current folder cannot be determined"
check "found workspace without current folder" 1 "" -- "$zelvan" projects
stderr_has "found workspace without current folder" "zelvan: the current folder cannot be determined"
check "full paths without current folder" 0 "ROM${tab}0x00000000${tab}0x00008000
RAM${tab}0x00000080${tab}0x00000F80
IO${tab}0x00000000${tab}0x00000080" -- "$zelvan" -w "$ws/Example.kws" lcf memory "$ws/Sensor/Sensor.lcf"
cd "$ws"

finish "lcf command"
