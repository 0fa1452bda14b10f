#!/usr/bin/env bash
# A real build of the example workspace with GNU make and the stub
# toolchain of the demo installation: what zelvan writes (dependency
# records, makefile rules) and what make does with it must agree.
#   - a clean build makes every object, library, module and converted file,
#     each recording the right inputs, in an order that works: the custom
#     step's output before the file that consumes it, the library before
#     the application that links it;
#   - a second build makes nothing;
#   - a touched header makes again exactly the objects whose sources
#     include it (directly or through other headers), then the modules;
#   - new options for one file make that object again;
#   - a header gone from the disk does not stop make;
#   - clean removes what the build made; compile_commands.json is read back.
# Usage: build_commands_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"
ws=$PWD
export STUB_TOOL_LOG="$work/tools.log"
: > "$STUB_TOOL_LOG"

# The tools that ran since the last call, one "<tool> <output>" a line, sorted.
ran() {
  sort "$STUB_TOOL_LOG"
  : > "$STUB_TOOL_LOG"
}
# build NAME ARGS...: a build or clean that succeeds; make's output is kept in $work/make.txt.
build() {
  local name=$1
  shift
  "$zelvan" -q "$@" > "$work/make.txt" 2>&1 || fail "$name: status $?: $(tail -n 5 "$work/make.txt")"
}
# The line number of the first log line holding $1.
order_of() { grep -n -- "$1" "$work/first.log" | head -n 1 | cut -d: -f1; }

build "build" build Motor
cp "$STUB_TOOL_LOG" "$work/first.log"
expected_tools="as520 $ws/MathLib/Debug/obj/mulacc.rel
as520 $ws/Motor/Debug/obj/startup.rel
cc520 $ws/MathLib/Debug/obj/filter.rel
cc520 $ws/MathLib/Debug/obj/fixmath.rel
cc520 $ws/MathLib/Debug/obj/sintab.rel
cc520 $ws/Motor/Debug/obj/main.rel
cc520 $ws/Motor/Debug/obj/motor.rel
cv520 Motor.h16
gentab sintab.c
lb520 $ws/MathLib/Debug/MathLib.lib
lk520 ./Debug/Motor.abs"
[ "$(ran)" = "$expected_tools" ] || fail "clean build: the tools that ran: $(sort "$work/first.log")"
[ "$(order_of gentab)" -lt "$(order_of sintab.rel)" ] || fail "sintab.c was compiled before it was made"
[ "$(order_of lb520)" -lt "$(order_of lk520)" ] || fail "Motor was linked before MathLib.lib was made"
[ "$(cat Motor/Debug/Motor.abs)" = "; lk520 module Motor.abs
object $ws/Motor/Debug/obj/main.rel
object $ws/Motor/Debug/obj/motor.rel
object $ws/Motor/Debug/obj/startup.rel
library ../MathLib/Debug/MathLib.lib
lcf $ws/Motor/Motor.lcf" ] || fail "Motor.abs: $(cat Motor/Debug/Motor.abs)"
[ "$(cat MathLib/Debug/MathLib.lib)" = "; lb520 library MathLib.lib
object $ws/MathLib/Debug/obj/fixmath.rel
object $ws/MathLib/Debug/obj/filter.rel
object $ws/MathLib/Debug/obj/mulacc.rel
object $ws/MathLib/Debug/obj/sintab.rel" ] || fail "MathLib.lib: $(cat MathLib/Debug/MathLib.lib)"
[ "$(cat Motor/Debug/Motor.h16)" = "; cv520 converted
module Motor.abs" ] || fail "Motor.h16: $(cat Motor/Debug/Motor.h16)"
[ "$(cat Motor/Debug/obj/motor.rel)" = "; cc520 object
source $ws/Motor/motor.c
include ../include/board.h
include $ws/Motor/motor.h
include ../MathLib/filter.h
include ../include/types.h
include ../MathLib/fixmath.h" ] || fail "motor.rel: $(cat Motor/Debug/obj/motor.rel)"
[ -f MathLib/Debug/mulacc.lst ] && [ ! -f MathLib/mulacc.lst ] || fail "the listing was not moved to OUTPUT"

# Nothing to do: the Debug build runs its before-build event only, each
# line once; a target without one makes nothing at all, and says so.
check "second build: the before-build event only" 0 "Board check
Building Motor for Debug" -- "$zelvan" build Motor
stderr_has "second build" "zelvan: Motor.abs (Debug) built in "
[ -z "$(ran)" ] || fail "a second build ran tools"
build "Release build" build Motor --target Release -j 2
ran > /dev/null
out=$("$zelvan" -q build Motor --target Release 2>&1)
[ "$out" = "zelvan: Motor.abs (Release) is up to date" ] || fail "second Release build: $out"

# sintab.c, which the build made, was written within the second its empty
# record was stamped at: only a full refresh can tell it changed.
"$zelvan" -q deps --all MathLib > /dev/null
sleep 1
touch MathLib/fixmath.h
build "build after a touched header" build Motor
including=$(grep -l "fixmath.h" MathLib/Debug/obj/*.rel Motor/Debug/obj/*.rel | sed 's/\.rel$//' |
  sort)
[ "$(echo "$including" | wc -l)" = 5 ] || fail "fixmath.h: not in 5 objects: $including"
expected_tools=$({
  for object in $including; do echo "cc520 $ws/$object.rel"; done
  echo "cv520 Motor.h16"
  echo "lb520 $ws/MathLib/Debug/MathLib.lib"
  echo "lk520 ./Debug/Motor.abs"
} | sort)
got=$(ran)
[ "$got" = "$expected_tools" ] || fail "touched header: ran [$got], want [$expected_tools]"

check "new options for motor.c" 0 "" -- "$zelvan" -q file-set Motor Debug motor.c compile -- '-g -O2 -I..\include -I..\MathLib'
build "build after new options" build Motor
[ "$(ran)" = "cc520 $ws/Motor/Debug/obj/motor.rel
cv520 Motor.h16
lk520 ./Debug/Motor.abs" ] || fail "new options: not motor.rel alone"

# A header gone while a dependency list still names it (the source changed
# back within its recorded time, so the refresh does not see it): make
# goes on, as with gcc -MP; the header is no prerequisite any more.
echo '/* extra */' > Motor/extra.h
echo '#include "extra.h"' >> Motor/main.c
touch -r Motor/main.c "$work/stamp"
sleep 1  # the refresh sees a time before its own second
build "build with extra.h" build Motor
sed -i 's|^#include "extra.h"$|// no extra.h now.|' Motor/main.c
touch -r "$work/stamp" Motor/main.c
rm Motor/extra.h
build "build without extra.h" build Motor
grep -q 'extra\.h' Motor/Debug/obj/Motor.mak && fail "a header gone: still a prerequisite"

# The makefile the build ran is the host form that `makefile --gnu --host-paths` prints.
check "host form" 0 "$(cat Motor/Debug/obj/Motor.mak)" -- "$zelvan" -q makefile --gnu --host-paths --stdout Motor

# Clean removes what the build made, its own makefile too, and nothing else.
find . -type f | sort > "$work/built.txt"
build "clean" clean Motor
for made in MathLib/Debug/obj/fixmath.rel MathLib/Debug/obj/sintab.rel Motor/Debug/obj/main.rel \
  Motor/Debug/obj/startup.rel Motor/Debug/obj/main.rel.cmd MathLib/Debug/MathLib.lib \
  MathLib/MathLib.Debug.klo MathLib/sintab.c Motor/Debug/Motor.abs Motor/Debug/Motor.h16 \
  Motor/Debug/obj/Motor.mak MathLib/Debug/mulacc.lst; do
  [ ! -e "$made" ] || fail "clean left $made"
done
gone=$(find . -type f | sort | comm -23 "$work/built.txt" - |
  grep -Ev '\.(rel|cmd|lib|klo|abs|h16|lst|mak)$|/sintab\.c$' || true)
[ -z "$gone" ] || fail "clean removed more: $gone"
check "stored form, alone" 0 "$ws/Motor/Motor.mak" -- "$zelvan" -q makefile --gnu --alone Motor
"$zelvan" -q makefile --gnu --alone --stdout Motor | cmp -s - Motor/Motor.mak ||
  fail "stored form on stdout: not the file's bytes"
grep -q '^# KOVA Generated GNU Format makefile, based on Motor.KBP' Motor/Motor.mak ||
  fail "Motor.mak: not the GNU form"
grep -q 'OBJS1' Motor/Motor.mak && ! grep -q 'OBJS2' Motor/Motor.mak || fail "--alone: not one project"
check "unknown target" 1 "" -- "$zelvan" -q build Motor --target Final
stderr_has "unknown target" "error 0x40031109"
check "no make on PATH" 1 "" -- env PATH=/nonexistent "$zelvan" -q build Motor
stderr_has "no make" "GNU make is not on PATH"

# compile_commands.json: one entry per C source (the current target's; no
# assembler source), read back.
check "compile-commands" 0 "$ws/compile_commands.json" -- "$zelvan" -q compile-commands
files=$(grep -o '"file":"[^"]*"' compile_commands.json)
[ "$(echo "$files" | sort -u | wc -l)" = 7 ] && [ "$(echo "$files" | wc -l)" = 7 ] ||
  fail "compile_commands.json: want the 7 C sources once each: $files"
if command -v clangd > /dev/null; then
  mkdir cc
  check "compile-commands Debug" 0 "$ws/cc/compile_commands.json" -- "$zelvan" -q compile-commands --target Debug -o cc/compile_commands.json
  clangd --check=Motor/motor.c --compile-commands-dir=cc > "$work/clangd.txt" 2>&1 ||
    fail "clangd --check: $(tail -n 5 "$work/clangd.txt")"
  grep -q "All checks completed, 0 errors" "$work/clangd.txt" ||
    fail "clangd did not find the headers: $(grep '^E' "$work/clangd.txt" | head -n 3)"
  for file in $(grep -o '"file":"[^"]*"' compile_commands.json | cut -d'"' -f4); do
    [ -e "$file" ] || continue
    clangd --check="$file" 2>&1 | grep -q "Failed to parse" && fail "clangd cannot parse the entry of $file"
  done
else
  echo "clangd is not installed: its check is skipped"
fi

# Builds take turns and stop whole. Motor's before-build step waits for
# $work/go, with a grandchild that ignores SIGINT (as a background job of a
# script does); every process of the build names $work on its command line,
# which tells what survived. Jobs get process groups of their own, as in a
# terminal.
set -m
cp "$(command -v sleep)" "$work/nap"
# (At most 20 s, so that a failure cannot hang the test.)
printf '#!/bin/sh\necho $$ >> "%s/steps"\n"%s/nap" 60 &\nfor _ in $(seq 1000); do [ -e "%s/go" ] && break; sleep 0.02; done\nkill $!\n' \
  "$work" "$work" "$work" > "$work/step.sh"
chmod +x "$work/step.sh"
"$zelvan" set --raw Motor Debug ProjectBeforeBuildCommand-0 "$work/step.sh" || fail "set the step"
# until_true COMMAND...: COMMAND succeeds within 10 s.
until_true() { for _ in $(seq 500); do "$@" && return 0; sleep 0.02; done; false; }
# The processes whose command line names $work ([/]: not this grep's own).
build_left() { grep -las -- "$work[/]" /proc/[0-9]*/cmdline; }
no_build_left() { [ -z "$(build_left)" ]; }
steps() { cat "$work/steps" 2> /dev/null | wc -l; }
session_of() { sed -n 's/^zelvan: session \([^ ]*\) .*/\1/p' "$1"; }
# start ARGS...: zelvan in the background, its output in $work/bg.txt.
start() {
  rm -f "$work/bg.txt"
  "$zelvan" "$@" > "$work/bg.txt" 2>&1 &
  pid=$!
}
# Ctrl-C (to the group, as a terminal sends it) or a signal to zelvan alone
# ends it by that signal; `zelvan stop` with status 4. Before make started
# (zelvan waits for the workspace's lock, then refreshes) make never starts.
declare -A want=([INT-group]=130 [INT]=130 [TERM]=143 [HUP]=129 [stop]=4)
for phase in make refresh; do
  for how in INT-group INT TERM HUP stop; do
    [ "$phase" = refresh ] && case $how in TERM | HUP) continue ;; esac
    rm -f "$work/steps" "$work/go"
    if [ "$phase" = refresh ]; then
      ws_lock=$(lock_file Example.kws)
      mkdir -p "$(dirname "$ws_lock")"
      (exec 9> "$ws_lock" && flock 9 && exec "$work/nap" 30) &
      holder=$!
      until_true eval '! flock -n "$ws_lock" true'
      start -v build Motor
      until_true grep -qs "waiting for another zelvan on Example.kws$" "$work/bg.txt" ||
        fail "$phase $how: no wait: $(cat "$work/bg.txt")"
    else
      start -v build Motor
      until_true test -s "$work/steps" || fail "$phase $how: make did not start: $(cat "$work/bg.txt")"
    fi
    case $how in
      INT-group) kill -INT -- "-$pid" ;;
      stop) "$zelvan" stop "$(session_of "$work/bg.txt")" || fail "$phase $how: zelvan stop failed" ;;
      *) kill "-$how" "$pid" ;;
    esac
    [ "$phase" = refresh ] && sleep 0.1 && kill "$holder" && wait "$holder" 2> /dev/null
    wait "$pid" 2> /dev/null
    rc=$?
    [ "$rc" = "${want[$how]}" ] || fail "$phase $how: status $rc, want ${want[$how]}: $(cat "$work/bg.txt")"
    until_true no_build_left || fail "$phase $how: left running: $(build_left)"
    [ "$phase" = make ] || [ "$(steps)" = 0 ] || fail "$phase $how: make ran"
    [ "$how" = stop ] && ! grep -q "the build was stopped" "$work/bg.txt" && fail "$phase $how: no message"
    [ -z "$(find "$XDG_RUNTIME_DIR" -name "$(session_of "$work/bg.txt")")" ] ||
      fail "$phase $how: the stop request was left behind"
  done
done
# A session has ended once its process has, even before its parent reaped it.
("$zelvan" -v projects > /dev/null 2> "$work/zombie.txt" & echo $! > "$work/zombie" && exec "$work/nap" 30) &
reaper=$!
state() { awk '{ print $3 }' "/proc/$(cat "$work/zombie" 2> /dev/null)/stat" 2> /dev/null; }
until_true eval '[ "$(state)" = Z ]' || fail "no ended session"
for ended in bg zombie; do
  check "stop a session that ended ($ended)" 1 "" -- "$zelvan" stop "$(session_of "$work/$ended.txt")"
done
kill "$reaper" && wait "$reaper" 2> /dev/null
left=$(ls -A "$XDG_RUNTIME_DIR"/zelvan-objects* 2> /dev/null)
[ -z "$left" ] || fail "stop requests left: $left"

# A second build or clean waits for the first (or gives up in time, having
# changed nothing), while other commands use the workspace; nothing is
# made twice.
rm -f "$work/steps" "$work/go"
"$zelvan" -q clean Motor > /dev/null 2>&1
: > "$STUB_TOOL_LOG"
start build Motor
first=$pid
until_true test -s "$work/steps" || fail "turns: the first build did not start"
"$zelvan" build Motor > "$work/second.txt" 2>&1 &
second=$!
until_true grep -qs "waiting for another zelvan on Example.kws.build" "$work/second.txt" ||
  fail "turns: the second build does not wait: $(cat "$work/second.txt")"
for other in build clean; do
  ZELVAN_LOCK_TIMEOUT=0.2 check "$other during a build" 1 "" -- "$zelvan" -q "$other" Motor
  stderr_has "$other during a build" "nothing was changed"
done
check "get during a build" 0 ".\Debug" -- "$zelvan" -q get Motor Debug output
"$zelvan" build Motor > "$work/third.txt" 2>&1 &
third=$!
until_true grep -qs "waiting for another zelvan" "$work/third.txt" && kill -INT "$third"
wait "$third" 2> /dev/null
rc=$?
[ "$rc" = 130 ] || fail "Ctrl-C while waiting: status $rc: $(cat "$work/third.txt")"
[ "$(steps)" = 1 ] || fail "turns: $(steps) builds ran at once"
touch "$work/go"
wait "$first" || fail "turns: the first build failed: $(cat "$work/bg.txt")"
wait "$second" || fail "turns: the second build failed: $(cat "$work/second.txt")"
[ "$(steps)" = 2 ] || fail "turns: $(steps) before-build steps, want 2"
[ -s "$STUB_TOOL_LOG" ] && [ -z "$(sort "$STUB_TOOL_LOG" | uniq -d)" ] ||
  fail "turns: made twice: $(sort "$STUB_TOOL_LOG" | uniq -d)"

# A failing make has a status of its own.
"$zelvan" set --raw Motor Debug ProjectBeforeBuildCommand-0 false || fail "set a failing step"
"$zelvan" -q build Motor > /dev/null 2> "$work/stderr.txt"
rc=$?
[ "$rc" = 3 ] || fail "make failed: status $rc, want 3"
stderr_has "make failed" "make failed"

# Every project, linked ones first; a failure ends the run with its status.
"$zelvan" -q build --all > /dev/null 2> "$work/all.txt"
rc=$?
[ "$rc" = 3 ] || fail "build --all: status $rc, want 3 (Motor's failing step)"
[ "$(grep '^zelvan:' "$work/all.txt" | sed 's/ built in .*\| is up to date//')" = "zelvan: MathLib.lib (Debug)
zelvan: make failed (status 2); the build is incomplete" ] || fail "build --all: $(cat "$work/all.txt")"
finish build
