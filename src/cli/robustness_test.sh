#!/usr/bin/env bash
# Runs zelvan on a copy of the example workspace under ordinary but hostile
# conditions: a workspace another zelvan holds, stop requests, links and
# private modes, writes that fail, odd line ends, double-byte names, FIFOs,
# and a timing log that is no plain file. Nothing may be lost, nothing may
# hang, and a write that failed must fail the command.
# Usage: robustness_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"

# wait_for TEXT FILE: until FILE holds TEXT (at most 10 s).
wait_for() {
  for _ in $(seq 200); do
    grep -qF -- "$1" "$2" 2>/dev/null && return 0
    sleep 0.05
  done
  fail "waited in vain for [$1] in $2"
}
mode() { stat -c %a "$1"; }

# A workspace another zelvan holds: a writer waits, says so, gives up in time
# and changes nothing; a session that waits can be stopped by its name.
cp Motor/Motor.kbp "$work/Motor.before"
mkdir -p -m 700 "$XDG_RUNTIME_DIR/zelvan-locks"
ws_lock=$(lock_file Example.kws)
(exec 9>"$ws_lock" && flock 9 && exec sleep 30) &
holder=$!
until ! flock -n "$ws_lock" true; do sleep 0.01; done
ZELVAN_LOCK_TIMEOUT=0.3 check "locked: gives up" 1 "" -- "$zelvan" set --raw Motor Debug K v
stderr_has "locked: gives up" "waiting for another zelvan on Example.kws"
stderr_has "locked: gives up" "nothing was changed"
cmp -s Motor/Motor.kbp "$work/Motor.before" || fail "locked: the project changed"
"$zelvan" -v deps --all 2>"$work/stopped.txt" &
waiter=$!
wait_for "zelvan stop" "$work/stopped.txt"
session=$(sed -n 's/^zelvan: session \([^ ]*\) .*/\1/p' "$work/stopped.txt")
check "stop a running session" 0 "" -- "$zelvan" stop "$session"
kill "$holder"
wait "$waiter"
[ $? = 1 ] || fail "a stopped refresh must fail"
grep -q "the refresh was stopped" "$work/stopped.txt" || fail "stop: $(cat "$work/stopped.txt")"

# Links and private modes: the files they lead to are written, keeping modes.
mkdir "$work/real"
for f in Sensor/Sensor.kbp Example.kws; do
  mv "$f" "$work/real/" && ln -s "$work/real/${f#*/}" "$f" && chmod 600 "$work/real/${f#*/}"
done
check "deps through links" 0 "" -- "$zelvan" -q deps --all
mv Motor/Motor.kde "$work/real/" && ln -s "$work/real/Motor.kde" Motor/Motor.kde
chmod 600 "$work/real/Motor.kde" Motor/Motor.kbp
check "set through a link" 0 "" -- "$zelvan" set --raw Sensor Debug K linked
check "set a private project" 0 "" -- "$zelvan" set --raw Motor Debug K private
check "deps through a link" 0 "" -- "$zelvan" -q deps --all Motor
check "activate through a link" 0 "Sensor.abs (Debug)" -- "$zelvan" activate Sensor Debug
for f in Sensor/Sensor.kbp Example.kws Motor/Motor.kde; do
  [ -L "$f" ] || fail "$f is no longer a link"
done
grep -q "^K=linked" "$work/real/Sensor.kbp" || fail "set: the linked project was not written"
grep -q "^Active=Sensor" "$work/real/Example.kws" || fail "activate: the linked workspace was not written"
for f in "$work/real/Sensor.kbp" "$work/real/Example.kws" "$work/real/Motor.kde" Motor/Motor.kbp; do
  [ "$(mode "$f")" = 600 ] || fail "$f is $(mode "$f"), not 600"
done

# A dependency file that cannot be written fails the command and stays whole;
# a read-only one is the system's own and is replaced. With forty headers it
# outgrows a limit the project file fits in.
for i in $(seq 40); do
  : >"Motor/h$i.h"
  printf '#include "h%d.h"\n' "$i" >>Motor/motor.c
done
check "forty headers" 0 "" -- "$zelvan" -q deps --all Motor
cp "$work/real/Motor.kde" "$work/Motor.kde.before"
check "file-size limit" 1 "" -- bash -c "ulimit -f 2; '$zelvan' -q deps --all Motor"
stderr_has "file-size limit" "Motor.kde was not written: writing the temporary file: File too large."
cmp -s Motor/Motor.kde "$work/Motor.kde.before" || fail "file-size limit: Motor.kde was damaged"
chmod 400 "$work/real/Motor.kde"
check "a read-only dependency file" 0 "" -- "$zelvan" -q deps --all Motor
[ "$(mode "$work/real/Motor.kde")" = 600 ] || fail "read-only Motor.kde was not replaced"

# A box without a caption of its own shows the product's.
printf '[gone.c]\r\nDebug=0\r\n' >> MathLib/MathLib.kde
check "stale dependency sections" 0 "" -- "$zelvan" -q deps MathLib
stderr_has "stale dependency sections" "KOVA: "

# Lone CR line ends read as every other kind, in every reader.
tr -d '\r' <MathLib/MathLib.kbp | tr '\n' '\r' >"$work/cr.kbp" && cp "$work/cr.kbp" MathLib/MathLib.kbp
check "files of a CR project" 0 "$(printf 'fixmath.c\tCC\tfixmath.rel\tSource Files\t0\t0\t-\t-')" -- \
  bash -c "'$zelvan' files MathLib | head -1"
printf 'int extra;\n' >MathLib/extra.c
check "add-file to a CR project" 0 "$(printf 'extra.c\tSource Files')" -- "$zelvan" add-file MathLib MathLib/extra.c

# A double-byte name whose trail byte is a backslash is one name.
name=$(printf '\x83\x5c.c')
printf '#include "motor.h"\n' >"Motor/$name"
check "double-byte name" 0 "$name$(printf '\tSource Files')" -- env ZELVAN_CODEPAGE=932 "$zelvan" add-file Motor "Motor/$name"
check "double-byte name scanned" 0 '"motor.h"
<..\include\types.h>
"..\MathLib\fixmath.h"' -- env ZELVAN_CODEPAGE=932 "$zelvan" deps show Motor "$name"

# FIFOs are no sources and no headers, and never make zelvan wait; nor does
# a timing log on one. The log is appended through links, one line a step.
mkfifo Motor/fifo.c Motor/fifo.h "$work/log.fifo"
check "a FIFO as source" 1 "" -- timeout 10 "$zelvan" add-file Motor Motor/fifo.c
printf '#include "fifo.h"\n' >>Motor/main.c
ln -s "$work/real/time.log" "$work/time.log"
check "a FIFO as header" 0 "" -- timeout 10 env ZELVAN_TIMING_LOG="$work/time.log" "$zelvan" -q deps --all Motor
check "a timing log on a FIFO" 0 "" -- timeout 10 env ZELVAN_TIMING_LOG="$work/log.fifo" "$zelvan" -q deps
printf 'int more;\n' >Motor/more.c
check "add-file timed" 0 "$(printf 'more.c\tSource Files')" -- env ZELVAN_TIMING_LOG="$work/time.log" "$zelvan" add-file Motor Motor/more.c
[ -L "$work/time.log" ] || fail "the timing log link was replaced"
for label in LoadCpuTools "GPDGetDependencyAllFiles end" "Check File Name" AddFile GetDependence; do
  grep -q "^$label	[0-9]* us$" "$work/real/time.log" || fail "timing log lacks $label: $(cat "$work/real/time.log")"
done

# An add-file that adds nothing writes nothing.
rm -f Example.kop
check "add-file of nothing" 1 "" -- "$zelvan" add-file Motor Motor/none.c
[ ! -e Example.kop ] || fail "a failed add-file wrote Example.kop"

left=$(find . "$TMPDIR" "$work/real" -name '*~zv*' | head -5)
[ -z "$left" ] || fail "temporaries left behind: $left"
finish "robustness"
