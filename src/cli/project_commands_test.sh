#!/usr/bin/env bash
# Runs zelvan new, copy and rename on a copy of the example workspace with
# the demo installation: what they print, the files and workspace they
# leave, a failure of each (the unit tests hold every refusal), and no
# working copy left behind.
# Usage: project_commands_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"

after_check() { no_working_copies "$1"; }
tab=$'\t'
crlf() { printf '%s\r\n' "$@"; }

check "new" 0 'App/App.KBP' -- "$zelvan" new App --cpu mx-520/r1
for f in App.KBP main.c startup.asm kova_cfg.h; do [ -f "App/$f" ] || fail "new: App/$f missing"; done
check "new: compile options" 0 '-g -O0 -Nb3' -- "$zelvan" get App Debug compile
grep -q $'^Project3=App\\\\App.kbp\r$' Example.kws || fail "new: not in Example.kws: $(cat Example.kws)"
grep -q $'^LinkProject3=App.abs;\r$' Example.kwa || fail "new: no link list: $(cat Example.kwa)"

check "new library at 96k" 0 'Libs/My Lib.KBP' -- \
  "$zelvan" new "My Lib.lib" --cpu MX-310P1 --type lib --memory 96 --dir Libs
check "new library: options" 0 '-g -O0 -Nc2' -- "$zelvan" get "My Lib" Debug compile
check "new full MR44" 0 'Probe/Probe.KBP' -- "$zelvan" new Probe --cpu mr44 --type full
check "new full: memory block" 0 "ROM${tab}0x00000000${tab}0x00040000
RESERVED${tab}0x00040000${tab}0x00001000
RAM${tab}0x00080000${tab}0x00010000
IO${tab}0x000F0000${tab}0x00001000" -- "$zelvan" lcf memory Probe/link.lcf

# A file of the folder that exists: kept unless the answer is yes.
mkdir Keep Swap && echo mine > Keep/main.c && echo mine > Swap/main.c
check "new keeps a file" 0 'Keep/Keep.KBP' -- "$zelvan" new Keep --cpu MX-520
stderr_has "new keeps a file" "(answered Cancel)"
[ "$(cat Keep/main.c)" = mine ] || fail "new keeps a file: main.c replaced"
check "new replaces a file" 0 'Swap/Swap.KBP' -- "$zelvan" --yes new Swap --cpu MX-520
grep -q 'Swap: the main program' Swap/main.c || fail "new replaces a file: main.c kept"

cp Example.kws "$work/kws.before"
cp Example.kwa "$work/kwa.before"
known="K310SA1, MR44, MR44A, MX-310P, MX-310P1, MX-520, MX-520R, MX-520R1, MX-520S, MX-520S1"
check "new: unknown CPU" 1 "" -- "$zelvan" new X --cpu Z80
stderr_has "new: unknown CPU" "zelvan: unknown CPU Z80; known: $known"
check "new: CPU misspelt" 1 "" -- "$zelvan" new X --cpu mx-52o
stderr_has "new: CPU misspelt" "zelvan: unknown CPU mx-52o; known: $known (did you mean MX-520?)"
check "new: project alone" 1 "" -- "$zelvan" -w Sensor/Sensor.kbp new X --cpu MX-520
cmp -s Example.kws "$work/kws.before" && cmp -s Example.kwa "$work/kwa.before" ||
  fail "a failed new changed the workspace"
[ ! -e X ] || fail "a failed new left files"

# Copies and renamed files are no more widely readable than their originals.
chmod 600 Motor/Motor.kbp
check "copy" 0 'Motor/CopyMotor.kbp' -- "$zelvan" copy Motor
[ "$(stat -c %a Motor/CopyMotor.kbp)" = 600 ] || fail "copy: mode $(stat -c %a Motor/CopyMotor.kbp)"
grep -q $'^OUTPUT=CopyMotor.abs\r$' Motor/CopyMotor.kbp || fail "copy: output not renamed"

check "link Sensor to Motor" 0 "" -- "$zelvan" link add Sensor Motor
chmod 640 Motor/Motor.kbp
check "rename" 0 'Motor/Drive.kbp' -- "$zelvan" rename Motor "Drive.abs"
[ "$(stat -c %a Motor/Drive.kbp)" = 640 ] || fail "rename: mode $(stat -c %a Motor/Drive.kbp)"
[ ! -e Motor/Motor.kbp ] || fail "rename: old project file left"
check "rename: the workspace" 0 "MathLib.lib${tab}MathLib/MathLib.kbp${tab}MX-520${tab}Debug;Release${tab}-${tab}-
Drive.abs${tab}Motor/Drive.kbp${tab}MX-520${tab}Debug;Release${tab}MathLib.lib${tab}Debug
Sensor.abs${tab}Sensor/Sensor.kbp${tab}MR44${tab}Debug;Release${tab}Drive.abs${tab}-" -- \
  bash -c "\"$zelvan\" projects | head -3"
check "rename: link options" 0 '-g -Map -o .\Debug\Drive.abs ..\MathLib\Debug\MathLib.lib' -- "$zelvan" get Drive Debug link
grep -q $'^Active=Motor\\\\Drive.kbp\r$' Example.kws || fail "rename: active project: $(cat Example.kws)"
# Messages name the object at fault, host paths in host form.
while IFS='|' read -r message command; do
  read -ra argv <<< "$command"
  "$zelvan" "${argv[@]}" >/dev/null 2>"$work/stderr.txt" && fail "$command succeeded"
  [ "$(cat "$work/stderr.txt")" = "$message" ] ||
    fail "$command: [$(cat "$work/stderr.txt")] (want [$message])"
done <<TABLE
zelvan: error 0x40031105: A project with this project file or output name is already in the workspace. (Drive)|rename Sensor Drive
zelvan: error 0x40031103: The project file does not exist, or the project is not in the workspace. (Nope)|link add Drive Nope
zelvan: error 0x40031103: The project file does not exist, or the project is not in the workspace. (Nope)|link add Nope Drive
zelvan: error 0x40031109: The build target is not one of the project's targets. (Nightly; targets: Debug, Release)|get Drive Nightly compile
zelvan: error 0x40031109: The build target is not one of the project's targets. (Nightly; targets: Debug, Release)|target remove Drive Nightly
zelvan: error 0x40031109: The build target is not one of the project's targets. (Nightly; targets: Debug, Release)|files Drive --target Nightly
zelvan: cannot read the workspace file $PWD/nothere.kws|-w nothere.kws projects
zelvan: the project file $PWD/Nope.kbp does not exist|-w Nope.kbp projects
TABLE

# The system's messages name full paths in host form, blanks and all.
mkdir "Two Words"
check "new in a folder" 0 "Two Words/Twin.KBP" -- "$zelvan" -q new Twin --cpu MR44 --dir "Two Words"
check "new again" 1 "" -- "$zelvan" -q new Twin --cpu MR44 --dir "Two Words"
stderr_has "new again" "error 0x00001151: The file $PWD/Two Words/Twin.KBP already exists. (Twin)"

finish "project command"
