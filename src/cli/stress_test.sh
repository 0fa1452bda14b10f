#!/usr/bin/env bash
# Concurrent commands on one workspace: ZELVAN_STRESS_PROCESSES processes
# (default 8) run ZELVAN_STRESS_COMMANDS commands each (default 50), turn
# by turn `set`, `target add`, `add-file` and `deps` on the example's three
# projects. Every command must either succeed, its change present at the
# end, or fail with status 1 and a message; every file must still read.
# Usage: stress_test.sh path/to/zelvan path/to/examples
# The workspace lives in memory where it can: what is measured is the
# turn-taking, not the disk's flushes.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
source "$(dirname "$0")/example_workspace_test_lib.sh"

processes=${ZELVAN_STRESS_PROCESSES:-8}
commands=${ZELVAN_STRESS_COMMANDS:-50}
projects=(MathLib Motor Sensor)
export ZELVAN_LOCK_TIMEOUT=300  # a command waits for all the others at worst

worker() {
  local p=$1 i project args
  for i in $(seq "$commands"); do
    project=${projects[$(((p + i) % 3))]}
    case $((i % 4)) in
      0) args=(set "$project" Debug "K${p}_$i" "v${p}_$i" --raw) ;;
      1) args=(target add "$project" Debug "T${p}_$i") ;;
      2)
        printf 'int s;\n' >"$project/s${p}_$i.c"
        args=(add-file "$project" "$project/s${p}_$i.c")
        ;;
      3) args=(-q deps) ;;
    esac
    "$zelvan" "${args[@]}" >/dev/null 2>"$work/err.$p.$i"
    echo "$? $p $i ${args[*]}" >>"$work/log.$p"
  done
}
for p in $(seq "$processes"); do worker "$p" & done
wait

# What the workspace holds now, as zelvan reads it.
"$zelvan" projects >"$work/projects.txt" 2>&1 || fail "projects: $(cat "$work/projects.txt")"
for project in "${projects[@]}"; do
  "$zelvan" files "$project" >"$work/files.$project" 2>&1 || fail "files $project failed"
  tr -d '\r' <"$project/$project.kbp" >"$work/$project.kbp"
  for f in "$project/$project.kbp" "$project/$project.kde"; do
    "$zelvan" ini sections "$f" >/dev/null || fail "$f does not read"
  done
done

done_count=0
while read -r rc p i command project rest; do
  if [ "$rc" != 0 ]; then
    [ "$rc" = 1 ] && [ -s "$work/err.$p.$i" ] || fail "$command $project $rest: status $rc, [$(cat "$work/err.$p.$i")]"
    continue
  fi
  done_count=$((done_count + 1))
  case $command in
    set) grep -qx "K${p}_$i=v${p}_$i" "$work/$project.kbp" || fail "set K${p}_$i on $project was lost" ;;
    target) grep -q "^${rest%% *}.*[	;]T${p}_$i[;	]" "$work/projects.txt" || fail "target T${p}_$i of ${rest%% *} was lost" ;;
    add-file) grep -q "^s${p}_$i.c	" "$work/files.$project" || fail "file s${p}_$i.c of $project was lost" ;;
  esac
done < <(cat "$work"/log.*)
[ "$done_count" -gt 0 ] || fail "no command succeeded"
left=$(find . "$TMPDIR" -type f \( -name '*~zv*' -o -path '*KOVA*' \) | head -5)
[ -z "$left" ] || fail "files left behind: $left"
finish "stress ($done_count of $((processes * commands)) commands succeeded)"
