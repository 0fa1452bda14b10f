#!/usr/bin/env bash
# Runs the makefile commands on a copy of the example workspace: the
# makefile written and its path printed, --check naming the stale ones, the
# build makefile of a target, build steps, and refusals that leave the
# makefile on disk as it was.
# Usage: makefile_commands_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"
ws=$PWD
tab=$'\t'

check "makefile of the active project" 0 "$ws/Motor/Motor.mak" -- "$zelvan" -q makefile
head -c 3 Motor/Motor.mak | od -c | grep -q '#  \\r  \\n' || fail "makefile: lines do not end in CR LF"
"$zelvan" -q makefile --stdout Motor | cmp -s - Motor/Motor.mak || fail "--stdout: not the file's bytes"
check "check: an unknown project is no stale makefile" 3 "" -- "$zelvan" -q makefile --check Nope
check "check: two not written yet" 1 "MathLib.lib${tab}$ws/MathLib/MathLib.mak
Sensor.abs${tab}$ws/Sensor/Sensor.mak" -- "$zelvan" -q makefile --check
check "makefile MathLib" 0 "$ws/MathLib/MathLib.mak" -- "$zelvan" -q makefile MathLib
check "makefile Sensor" 0 "$ws/Sensor/Sensor.mak" -- "$zelvan" -q makefile Sensor
check "check: all current" 0 "" -- "$zelvan" -q makefile --check
check "one target in FalMode elsewhere" 0 "$ws/fal.mak" -- "$zelvan" -q makefile Sensor --target release --mode fal -o fal.mak
grep -q '^TARGET=_FALTMP_\\Sensor.abf' fal.mak || fail "fal.mak: no FAL target"
[ "$(grep -c '^ifeq' fal.mak)" = 1 ] || fail "fal.mak: not one block"

# A setting changes: the makefile is stale until written again.
check "set" 0 "" -- "$zelvan" -q set Motor Debug compile -- "-g -O1"
check "check: Motor stale" 1 "Motor.abs${tab}$ws/Motor/Motor.mak" -- "$zelvan" -q makefile --check Motor
cp Motor/Motor.mak "$work/Motor.mak"
check "unknown target" 1 "" -- "$zelvan" -q makefile Motor --target Final
stderr_has "unknown target" "error 0x40031109"
check "no such folder" 1 "" -- "$zelvan" -q makefile Motor -o missing/Motor.mak
stderr_has "no such folder" "error 0x40030006"
cmp -s Motor/Motor.mak "$work/Motor.mak" || fail "a refused makefile changed the old one"
chmod a-w Motor/Motor.mak
check "read-only makefile replaced" 0 "$ws/Motor/Motor.mak" -- "$zelvan" -q makefile Motor
grep -q -- '-g -O1 -c ' Motor/Motor.mak || fail "the read-only makefile was not replaced"

# The build makefile of one target, with the pre-build and convert makefiles.
check "build-makefile" 0 "$ws/Motor/tempmake.mak
$ws/Motor/tempmakepre.mak
$ws/Motor/tempmakeabs.mak" -- "$zelvan" build-makefile Motor Release --pre-build --convert
stderr_has "build-makefile" "regenerated"
grep -q '^ifeq($(CFG),Release)' Motor/tempmake.mak || fail "tempmake.mak: not the Release block"
check "build-makefile fal" 0 "$ws/Sensor/tempmake.falmak" -- "$zelvan" -q build-makefile Sensor Debug --mode fal

# Build steps: shown, changed, copied to another target.
check "after-build" 0 "title${tab}Image size
command${tab}size520 \$(TargetPath)" -- "$zelvan" -q build-step Motor Debug after-build
check "set a step" 0 "" -- "$zelvan" -q build-step Sensor Debug custom-build --title Pack --command 'pack $(TargetPath)' --output 'Debug\Sensor.pak'
check "copy the steps" 0 "" -- "$zelvan" -q build-step Sensor Debug --copy-to Release
check "the copy" 0 "title${tab}Pack
command${tab}pack \$(TargetPath)
output${tab}Debug\\Sensor.pak" -- "$zelvan" -q build-step Sensor Release custom-build
check "unknown step" 1 "" -- "$zelvan" -q build-step Sensor Debug during-build

# Several projects at once, or every one; nothing stale afterwards.
check "makefile of two" 0 "$ws/Sensor/Sensor.mak
$ws/MathLib/MathLib.mak" -- "$zelvan" -q makefile Sensor MathLib
check "makefile --all" 0 "$ws/MathLib/MathLib.mak
$ws/Motor/Motor.mak
$ws/Sensor/Sensor.mak" -- "$zelvan" -q makefile --all
check "all current" 0 "" -- "$zelvan" -q makefile --check
check "--all with a project" 2 "" -- "$zelvan" -q makefile --all Motor
finish makefile
