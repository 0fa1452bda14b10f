#!/usr/bin/env bash
# Commands tell the truth about what they did: a project the workspace
# cannot read is named, and fails each command that needs it; unreadable
# workspace settings fail before anything changes; every name of a project
# works for every command; every file made from the workspace is replaced
# even read-only; a failing command writes nothing.
# Usage: honest_status_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"

ws=$PWD
tab=$'\t'

# stamp FILE...: sizes and times to the nanosecond.
stamp() { stat -c '%n %s %y' "$@"; }

# --- A project file that is damaged, cut short or gone: the others are
# read, each command names the file, and fails when it needs the project.
cp MathLib/MathLib.kbp "$work/MathLib.kbp"
damage() {
  case $1 in
    binary) printf '\x7fELF\2\1\1\0\0\0[PROJECT]\0OUTPUT=\xff\xfe' >MathLib/MathLib.kbp ;;
    truncated) head -c 20 "$work/MathLib.kbp" >MathLib/MathLib.kbp ;;
    deleted) rm -f MathLib/MathLib.kbp ;;
  esac
}
others="Motor.abs${tab}Motor/Motor.kbp${tab}MX-520${tab}Debug;Release${tab}-${tab}Debug
Sensor.abs${tab}Sensor/Sensor.kbp${tab}MR44${tab}Debug;Release${tab}-${tab}-"
listed=${others//$'\n'/'\n'}  # one line, for the table
unread="could not read $ws/MathLib/MathLib.kbp"
# command|status|stdout|last stderr line (after the warning naming the file)
while IFS='|' read -r command status out last <&3; do
  for kind in binary truncated deleted; do
    damage $kind
    why="it names no output file"
    [ $kind = deleted ] && why="it does not exist"
    # shellcheck disable=SC2086
    check "$kind: $command" "$status" "${out//'\n'/$'\n'}" -- "$zelvan" $command
    stderr_is "$kind: $command" "$(printf '%s\n%s' "The project file $ws/MathLib/MathLib.kbp cannot be \
read and is left out of the workspace: $why." "${last//UNREAD/$unread}")"
    cp "$work/MathLib.kbp" MathLib/MathLib.kbp
  done
done 3<<EOF
projects|1|$listed|zelvan: the list lacks the projects that could not be read; UNREAD
projects --json|1||zelvan: the list lacks the projects that could not be read; UNREAD
compile-commands|1||zelvan: $ws/compile_commands.json was not written; UNREAD
makefile|1||zelvan: Motor.abs links MathLib.lib, which is not in the workspace; nothing was written; UNREAD
makefile --gnu|1||zelvan: Motor.abs links MathLib.lib, which is not in the workspace; nothing was written; UNREAD
makefile Motor --stdout|1||zelvan: Motor.abs links MathLib.lib, which is not in the workspace; nothing was printed; UNREAD
makefile --check|3||zelvan: nothing was checked; UNREAD
build-makefile Motor Debug|1||zelvan: Motor.abs links MathLib.lib, which is not in the workspace; nothing was written; UNREAD
build|1||zelvan: Motor.abs links MathLib.lib, which is not in the workspace; nothing was built; UNREAD
functions --format ctags|1||zelvan: the list lacks the projects that could not be read; UNREAD
get Sensor Debug compile|0|-g -I..\\include|
EOF
[ ! -e compile_commands.json ] || fail "a database without MathLib was written"
[ ! -e Motor/Motor.mak ] || fail "a makefile without MathLib was written"

# The active project itself.
cp Motor/Motor.kbp "$work/Motor.kbp" && printf '\x7fELF\0' >Motor/Motor.kbp
for command in "makefile --gnu" "makefile" "build"; do
  # shellcheck disable=SC2086
  check "active project unread: $command" 1 "" -- "$zelvan" $command
  stderr_has "active project unread: $command" "zelvan: the active project was left out of the workspace; could not read $ws/Motor/Motor.kbp"
done
cp "$work/Motor.kbp" Motor/Motor.kbp

# A project without targets has no makefile of either form.
sed -i '/^TARGET=/d' MathLib/MathLib.kbp
for form in "" "--gnu" "--gnu --stdout"; do
  # shellcheck disable=SC2086
  check "no targets: makefile $form" 1 "" -- "$zelvan" makefile MathLib $form
  stderr_has "no targets: makefile $form" "zelvan: error 0x40031102: The project names no output file, or it has no build targets."
done
cp "$work/MathLib.kbp" MathLib/MathLib.kbp

# --- Workspace settings that cannot be read: nothing is done, nothing changes.
mv Example.kwa "$work/Example.kwa" && mkfifo Example.kwa
cp Example.kws "$work/Example.kws"
for command in "activate Sensor Release" "projects" "set --raw Motor Debug K v"; do
  # shellcheck disable=SC2086
  check "settings on a FIFO: $command" 1 "" -- timeout 10 "$zelvan" $command
  stderr_is "settings on a FIFO: $command" "zelvan: cannot read the workspace settings $ws/Example.kwa (not a regular file)"
done
cmp -s Example.kws "$work/Example.kws" || fail "settings on a FIFO: the workspace file changed"
rm Example.kwa && mv "$work/Example.kwa" Example.kwa

# --- A project named by its file's base name works for every command.
sed -i 's/^OUTPUT=Sensor.abs/OUTPUT=Gauge.abs/' Sensor/Sensor.kbp
sed -i 's/^LinkProject2=Sensor.abs;/LinkProject2=Gauge.abs;/' Example.kwa
while IFS='|' read -r command out <&3; do
  # shellcheck disable=SC2086
  check "base name: $command" 0 "$out" -- "$zelvan" -q $command
done 3<<EOF
get Sensor Debug compile|-g -I..\\include
get Sensor Debug link|-g -o .\\Debug\\Sensor.abs
get --raw Sensor Debug TARGET_NAME|Sensor.abs
get Sensor Release output|.\\Release
makefile Sensor|$ws/Sensor/Sensor.mak
makefile --gnu Sensor|$ws/Sensor/Sensor.mak
build-makefile Sensor Debug|$ws/Sensor/tempmake.mak
build-step Sensor Debug after-build|title${tab}-
link add Sensor MathLib|
link remove Sensor MathLib|
deps Sensor|
activate Sensor Release|Gauge.abs (Release)
EOF
check "base name: functions" 0 "$("$zelvan" functions 2>/dev/null | grep ^Sensor/)" -- "$zelvan" functions Sensor
check "base name: files" 0 "$("$zelvan" files Gauge)" -- "$zelvan" files Sensor
cp "$examples/Sensor/Sensor.kbp" Sensor/ && cp "$examples/Example.kwa" "$examples/Example.kws" .

# --- Every file made from the workspace is replaced even when read-only.
"$zelvan" -q build >/dev/null 2>&1 || fail "build: $("$zelvan" -q build 2>&1)"
"$zelvan" compile-commands >/dev/null && "$zelvan" makefile Motor >/dev/null
"$zelvan" build-makefile Motor Debug >/dev/null 2>&1
"$zelvan" makefile --gnu --host-paths -o Motor/gnu.mak >/dev/null
cmd=Motor/Debug/obj/main.rel.cmd
klo=MathLib/MathLib.Debug.klo
generated="compile_commands.json Motor/Motor.mak Motor/gnu.mak Motor/tempmake.mak $cmd $klo"
printf 'old\n' | tee -a "$cmd" >>"$klo"  # a record that differs is made again
# shellcheck disable=SC2086
chmod 444 $generated
check "read-only: compile-commands" 0 "$ws/compile_commands.json" -- "$zelvan" compile-commands
check "read-only: makefile" 0 "$ws/Motor/Motor.mak" -- "$zelvan" makefile Motor
check "read-only: GNU makefile" 0 "$ws/Motor/gnu.mak" -- "$zelvan" makefile --gnu --host-paths -o Motor/gnu.mak
check "read-only: build makefile" 0 "$ws/Motor/tempmake.mak" -- "$zelvan" build-makefile Motor Debug --clean
check "read-only: build" 0 "" -- sh -c '"$0" -q build >/dev/null' "$zelvan"
for f in $generated; do
  [ "$(stat -c %a "$f")" = 644 ] || fail "read-only $f was not replaced"
done
grep -q old "$cmd" "$klo" && fail "read-only: a command record or command file was not made again"
# The database is written in one step under the workspace's lock, with no
# lock file of its own.
[ ! -e compile_commands.json.lock ] || fail "compile_commands.json.lock was left beside the file"

# --- A failing command writes nothing, even while a source is newer than
# any refresh could stamp (it stays stale and is scanned by every command).
touch -d '+1 hour' Motor/motor.c
"$zelvan" -q deps >/dev/null 2>&1
before=$(stamp Motor/Motor.kde Motor/Motor.kdx Motor/Motor.kbp Example.kwa)
check "unknown project" 1 "" -- "$zelvan" get Nope Debug compile
stderr_has "unknown project" "zelvan: error 0x40031103"
check "unknown target" 1 "" -- "$zelvan" get Motor Nope link
check "refused set" 1 "" -- "$zelvan" set --raw Motor Debug "A=B" 1
check "a reading command" 0 '-g -O0 -I..\include -I..\MathLib' -- "$zelvan" get Motor Debug compile
[ "$(stamp Motor/Motor.kde Motor/Motor.kdx Motor/Motor.kbp Example.kwa)" = "$before" ] ||
  fail "failing commands wrote: $before / $(stamp Motor/Motor.kde Motor/Motor.kdx Motor/Motor.kbp Example.kwa)"
touch -d '-1 hour' Motor/motor.c

finish "honest status"
