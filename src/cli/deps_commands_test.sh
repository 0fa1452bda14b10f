#!/usr/bin/env bash
# Runs `zelvan deps` on a copy of the example workspace: the refresh writes
# each project's dependency file, `deps show` prints the stored lists, a
# change of a header is seen by the next refresh, and bad requests fail with
# a message and change nothing.
# Usage: deps_commands_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"

# The refresh: modified files by default, which at first is every file.
check "deps" 0 "" -- "$zelvan" deps
for p in MathLib Motor Sensor; do
  [ -s "$p/$p.kde" ] || fail "deps: $p/$p.kde was not written"
done
# Not a terminal: plain progress lines on stderr.
stderr_has "deps" "dependencies: 40 files to check"
stderr_has "deps" "dependencies: Sensor.abs 40/40 (100%)"
head -c 14 Motor/Motor.kde | od -c | grep -q '\\r  \\n' || fail "deps: Motor.kde lines do not end in CR LF"

# The stored lists, one path a line with its form.
check "show main.c" 0 '<..\include\board.h>
"..\include\types.h"
"motor.h"
"..\MathLib\fixmath.h"' -- "$zelvan" deps show Motor main.c
check "show motor.c Release" 0 '<..\include\board.h>
"..\include\types.h"
"motor.h"
"..\MathLib\fixmath.h"
"..\MathLib\filter.h"' -- "$zelvan" deps show Motor motor.c --target Release
check "show assembler" 0 '"..\include\board.inc"' -- "$zelvan" deps show Motor startup.asm
check "show by path" 0 '"filter.h"
"fixmath.h"
<..\include\types.h>' -- "$zelvan" deps show MathLib MathLib/filter.c

# Nothing changed: nothing is written again.
cp Motor/Motor.kde "$work/Motor.kde"
check "deps again" 0 "" -- "$zelvan" --quiet deps
[ -s "$work/stderr.txt" ] && fail "deps --quiet: printed [$(cat "$work/stderr.txt")]"
cmp -s Motor/Motor.kde "$work/Motor.kde" || fail "deps again: Motor.kde was rewritten"

# A header changes: the sources that include it get their new lists.
sleep 1
printf '#include "missing.h"\n#include <types.h>\n' >> include/board.h
check "deps after a change" 0 "" -- "$zelvan" --quiet deps Motor
# Quiet: one line counts the includes not found and says how to list them.
grep -qxE 'W-007-D002:[0-9]+ included files were not found\. \(--verbose lists them\)' \
  "$work/stderr.txt" && [ "$(wc -l < "$work/stderr.txt")" = 1 ] ||
  fail "deps --quiet after a change: stderr [$(cat "$work/stderr.txt")]"
check "deps listing them" 0 "" -- "$zelvan" deps --all Motor
stderr_has "deps listing them" "W-007-D001:"
stderr_has "deps listing them" '#include "missing.h"'
stderr_has "deps listing them" "W-007-D002:"
# The guess of an unresolved include lies beside the source (a host path
# without a drive is rooted at the host's root).
check "show after a change" 0 '<..\include\board.h>
"..\include\types.h"
"'"$(printf '%s' "$work/ws" | tr '/' '\\')"'\Motor\missing.h"
"motor.h"
"..\MathLib\fixmath.h"' -- "$zelvan" deps show Motor main.c
cmp -s Sensor/Sensor.kde "$work/Motor.kde" && fail "deps Motor: Sensor.kde should differ from Motor's"

# Everything again, for one project.
cp Sensor/Sensor.kde "$work/Sensor.kde"
check "deps --all MathLib" 0 "" -- "$zelvan" --quiet deps --all MathLib
cmp -s Sensor/Sensor.kde "$work/Sensor.kde" || fail "deps --all MathLib: Sensor.kde changed"

# Bad requests.
check "both modes" 2 "" -- "$zelvan" deps --all --modified
check "unknown file" 1 "" -- "$zelvan" deps show Motor none.c
check "unknown target" 1 "" -- "$zelvan" deps show Motor main.c --target Final
stderr_has "unknown target" "has no target Final"
rm Motor/Motor.kde
check "no stored list" 1 "" -- "$zelvan" deps show Motor main.c
stderr_has "no stored list" "zelvan deps"

# A header that includes itself: the depth warning names the chain that
# went too deep (host paths), cut where it meets a file again.
printf '#include "loop.h"\n' > Motor/loop.h
printf '#include "loop.h"\n' >> Motor/motor.h
check "deps with a loop" 0 "" -- "$zelvan" --quiet deps --all Motor
stderr_has "deps with a loop" "W-007-D003:Include files are nested too deeply."
grep -A1 -F "W-007-D003:" "$work/stderr.txt" | tail -n 1 |
  grep -qxF "  $work/ws/Motor/main.c > $work/ws/Motor/motor.h > $work/ws/Motor/loop.h > $work/ws/Motor/loop.h > ... (256 includes deep)" ||
  fail "deps with a loop: no chain after the warning: $(cat "$work/stderr.txt")"

# No temporary file of an atomic write is left anywhere.
left=$(find . "$TMPDIR" -type f -newer "$work/Motor.kde" ! -name '*.kde' ! -name '*.kdx' ! -name '*.h' | head -5)
[ -z "$left" ] || fail "files left behind: $left"

finish "deps command"
