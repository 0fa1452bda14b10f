#!/usr/bin/env bash
# kill -9 at random moments: ZELVAN_KILL_TRIALS trials (default 200), turn by
# turn `deps --all`, `set` and `add-project` on a generated workspace, each
# killed after a random part of the time it takes. Afterwards every project,
# dependency and workspace file is its old version or its new one, and once
# the command has run again no temporary file of a killed process remains.
# Then every writing command killed at each of its steps, and followed by
# another command: see "Debris" below.
# Usage: kill_test.sh path/to/zelvan path/to/examples [path/to/libkill_at_step.so]
# The workspace lives in memory where it can: what is tested is the order of
# the writes, not the disk's flushes.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
source "$(dirname "$0")/example_workspace_test_lib.sh"

trials=${ZELVAN_KILL_TRIALS:-200}

# project NAME SOURCES: a project of SOURCES sources, each including four headers.
project() {
  local name=$1 count=$2 i
  mkdir -p "$name"
  {
    printf '[PROJECT]\nOUTPUT=%s.abs\nCPU=MX-520\nTARGET=Debug;Release;\nFolder=Source Files;\n' "$name"
    printf '[Source Files]\nSOURCECOUNT=%d\n' "$count"
    for i in $(seq 0 $((count - 1))); do printf 'SOURCE%d=s%d.c\n' "$i" "$i"; done
    for t in Debug Release; do printf '[PROJECT!MACRO!%s]\nDefaultCompile=-I..\\include\n' "$t"; done
  } | sed 's/$/\r/' >"$name/$name.kbp"
  for i in $(seq 0 $((count - 1))); do
    printf '#include "h%d.h"\n#include "h%d.h"\n#include <board.h>\n#include <types.h>\n' \
      $((i % 7)) $(((i + 3) % 7)) >"$name/s$i.c"
  done
  for i in $(seq 0 5); do printf '#include "h%d.h"\n' $((i + 1)) >"$name/h$i.h"; done
  : >"$name/h6.h"
}
for p in P1 P2 P3 P4; do project "$p" 20; done
"$zelvan" init Gen.kws P1/P1.kbp P2/P2.kbp P3/P3.kbp P4/P4.kbp 2>/dev/null || fail "init failed"
"$zelvan" -w Gen.kws -q deps --all || fail "the first refresh failed"

# The files a trial may touch: a checksum of each, its time stamps made alike.
shopt -s nullglob
declare -A sums
snapshot() {
  local dir="$work/snapshot" sum file key
  for key in "${!sums[@]}"; do [ "${key%%:*}" = "$1" ] && unset "sums[$key]"; done
  rm -f "$dir"/*
  awk -v dir="$dir" '{ gsub(/stamp=[-0-9: ]+/, "stamp=T"); out = FILENAME; gsub("/", "%", out)
                       print > (dir "/" out) }' Gen.kw? P*/*.kbp P*/*.kde X*/*.kbp X*/*.kde
  while read -r sum file; do sums[$1:${file##*/}]=$sum; done < <(md5sum "$dir"/*)
}
command_of() {
  case $(($1 % 3)) in
    0) cmd="-q deps --all" ;;
    1) cmd="set --raw P$(($1 % 4 + 1)) Debug K$1 v$1" ;;
    2) cmd="add-project X$1/X$1.kbp" ;;
  esac
}

# A delay without a process: a read that waits for nothing.
mkdir "$work/snapshot"
mkfifo "$work/nothing"
exec 7<>"$work/nothing"
# How long each command takes, in microseconds.
durations=()
for kind in 0 1 2; do
  [ "$kind" = 2 ] && project X2 3
  start=$(date +%s%N)
  command_of "$kind"
  "$zelvan" -w Gen.kws $cmd >/dev/null 2>&1
  durations[kind]=$((($(date +%s%N) - start) / 1000))
done
echo "the commands take ${durations[*]} us"

killed=0
snapshot old
for trial in $(seq 3 $((trials + 2))); do
  command_of "$trial"
  adding=$((trial % 3 == 2))
  [ "$adding" = 1 ] && project "X$trial" 3 && cp Gen.kws Gen.kwa "$work/"
  delay=$((RANDOM * 32768 + RANDOM))
  delay=$((delay % durations[trial % 3]))
  "$zelvan" -w Gen.kws $cmd >/dev/null 2>&1 &
  pid=$!
  printf -v seconds '0.%06d' "$delay"
  read -t "$seconds" -u 7
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  [ $? = 137 ] && killed=$((killed + 1))
  snapshot killed
  "$zelvan" -w Gen.kws $cmd >/dev/null 2>"$work/again.txt" ||
    grep -q "already in the workspace" "$work/again.txt" || fail "trial $trial: $cmd again: $(cat "$work/again.txt")"
  snapshot new
  for key in "${!sums[@]}"; do
    [ "${key%%:*}" = killed ] || continue
    f=${key#killed:}
    [ "${sums[$key]}" = "${sums[old:$f]-}" ] || [ "${sums[$key]}" = "${sums[new:$f]-}" ] ||
      fail "trial $trial ($cmd, killed after ${delay} us): $f is neither old nor new"
  done
  left=$(find . "$TMPDIR" -name '*~zv*' -o -path '*KOVA/*' | head -3)
  [ -z "$left" ] || fail "trial $trial ($cmd): left behind: $left"
  # The new state is the next trial's old one; an added project leaves the
  # workspace again, so that it keeps its size.
  for key in "${!sums[@]}"; do
    [ "${key%%:*}" = new ] && sums[old:${key#new:}]=${sums[$key]}
    [ "${key%%:*}" = old ] || unset "sums[$key]"
  done
  [ "$adding" = 1 ] && cp "$work/Gen.kws" "$work/Gen.kwa" . && snapshot old
  [ "$failures" -gt 5 ] && break
done
[ "$killed" -ge $((trials / 10)) ] || fail "only $killed of $trials commands were killed before their end"

# Debris: every command that writes, on a fresh copy of the example
# workspace each time, killed just before its first step that changes a
# folder, then before its second, and so on to its end (the preloaded
# kill_at_step library; ZELVAN_DEBRIS_STEPS spreads the kills over at most
# that many steps). After each kill another command that uses the same
# folders runs, and then nothing of the killed one is left (no temporary,
# journal or working copy, no half-made copy), and the killed command run
# again does what a first run does or what a second run does.
if [ -n "${3-}" ]; then
  export ZELVAN_REGISTRY="$work/registry/registry.ini"
  mkdir -p "$work/registry"
  kill_library=$(realpath "$3")
  max_steps=${ZELVAN_DEBRIS_STEPS:-1000}
  writers=(
    "set Motor Debug compile -- -g|projects"
    "target add Motor Debug Trace|projects"
    "target remove Motor Release|projects"
    "link add Sensor Motor|projects"
    "link remove Motor MathLib|projects"
    "activate Sensor Release|projects"
    "add-file Motor Motor/extra.c|projects"
    "file-set Motor Debug main.c nobuild 1|projects"
    "add-project Spare/Spare.kbp|projects"
    "deps --all|projects"
    "makefile Motor|projects"
    "build-makefile Motor Debug|projects"
    "compile-commands|projects"
    "new Pump --cpu MX-520|projects"
    "new Full --cpu MR44 --type full|projects"
    "copy Motor|projects"
    "rename Motor Drive|projects"
    "lcf set-memory Motor/Motor.lcf ROM:0:0x40000 RAM:0x80:0x1FF80|lcf memory Motor/Motor.lcf"
    "ini set Motor/notes.ini Notes Key Value|ini keys Motor/notes.ini Notes"
    "ini delete Motor/notes.ini Notes Old|ini keys Motor/notes.ini Notes"
    "init New.kws Motor/Motor.kbp|projects"
    "register|projects"
  )
  # A fresh copy of the workspace in $work/trial, the shell in it.
  fresh() {
    cd "$work" && rm -rf trial && cp -rp "$examples" trial && cd trial || exit 1
    mkdir Spare && sed 's/Sensor/Spare/g' Sensor/Sensor.kbp >Spare/Spare.kbp
    printf 'int extra;\n' >Motor/extra.c
    printf '[Notes]\nOld=1\n' >Motor/notes.ini
    rm -rf "$TMPDIR"/* "$work/registry"/*
  }
  # The status of a run and what it prints on stderr, but for the records
  # of a killed command's sources that its project file did not get yet.
  run() {
    "$zelvan" -q -w Example.kws "$@" >/dev/null 2>"$work/run.txt"
    echo "$? $(awk '/their dependency records were dropped:$/ { drop = 1; next }
                    drop && /^[\\/]/ { next } { drop = 0; print }' "$work/run.txt")"
  }
  kills=0
  for writer in "${writers[@]}"; do
    read -r -a cmd <<<"${writer%%|*}"
    read -r -a next <<<"${writer#*|}"
    fresh
    first=$(run "${cmd[@]}")
    second=$(run "${cmd[@]}")
    [ "${first%% *}" = 0 ] || fail "${cmd[*]}: the first run fails: $first"
    steps=0
    while
      fresh
      steps=$((steps + 1))
      # (The shell's own word on the kill goes where the command's stderr goes.)
      { ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 \
        LD_PRELOAD=$kill_library ZELVAN_KILL_AT=$steps \
        "$zelvan" -q -w Example.kws "${cmd[@]}"; } >/dev/null 2>&1
      [ $? = 137 ]
    do
      kills=$((kills + 1))
      "$zelvan" -q -w Example.kws "${next[@]}" >/dev/null 2>&1
      left=$(find . "$TMPDIR" "$work/registry" -name '*~zv*' -o -path '*KOVA/*' | head -3)
      [ -z "$left" ] || fail "${cmd[*]} killed at step $steps, then ${next[*]}: left behind: $left"
      again=$(run "${cmd[@]}")
      [ "$again" = "$first" ] || [ "$again" = "$second" ] ||
        fail "${cmd[*]} killed at step $steps, run again: $again (a first run: $first; a second: $second)"
      [ "$failures" -gt 5 ] && break 2
      # Past ZELVAN_DEBRIS_STEPS, one step of each next eight.
      [ "$steps" -ge "$max_steps" ] && steps=$((steps + RANDOM % 8))
    done
    [ "$steps" -gt 1 ] || fail "${cmd[*]}: no step to kill it at"
  done
  cd "$work"
fi
finish "kill ($killed of $trials commands killed in the middle; ${kills-0} killed at a step)"
