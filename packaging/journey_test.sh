#!/usr/bin/env bash
# A new user's first hour, through an installed prefix: the installed
# bin/zelvan with its own demo installation, README and example workspace,
# in a bare environment (no variable of ours set).
#   journey_test.sh new-projects PREFIX
#     for every CPU that `cpu list` prints, each project type (and the memory
#     sizes that change the options): new, add a source and a header, deps,
#     makefile, build, build again (no tool runs, no output changes), clean
#     (the build's outputs go, nothing else does)
#   journey_test.sh readme PREFIX
#     the examples of the installed README, section after section in one copy
#     of the installed example workspace, each line as written
set -euo pipefail
mode=$1
prefix=$(realpath "$2")
zelvan=$prefix/bin/zelvan
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
mkdir "$work/home" "$work/tmp"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
bare() {
  env -i HOME="$work/home" PATH="$prefix/bin:/usr/bin:/bin" TMPDIR="$work/tmp" LANG=C.UTF-8 \
    ${STUB_TOOL_LOG:+STUB_TOOL_LOG="$STUB_TOOL_LOG"} "$@"
}

# What `clean` leaves of a build: nothing (the pattern matches no file).
kept_by_clean='^$'

# Every file below the current folder with its modification time.
snapshot() { find . -type f ! -name '*.lock' -printf '%P %T@\n' | sort; }

# journey CPU TYPE [MEMORY]
journey() {
  local cpu=$1 type=$2 memory=${3:-}
  local case="new --cpu $cpu --type $type${memory:+ --memory $memory}"
  local ws=$work/journey$((++journeys))
  mkdir "$ws" && cd "$ws"
  # step WHAT ARGS...: a zelvan command that must succeed; output in $work/out.
  step() {
    local what=$1
    shift
    if ! bare "$zelvan" "$@" >"$work/out" 2>"$work/err"; then
      fail "$case: $what failed: $(tail -5 "$work/err")"
      return 1
    fi
  }
  step init init J.kws || return 0
  step new new App --cpu "$cpu" --type "$type" ${memory:+--memory "$memory"} || return 0
  printf '#include "journey.h"\nint journey(void) { return JOURNEY; }\n' >App/journey.c
  printf '#define JOURNEY 1\n' >App/journey.h
  step add-file add-file App App/journey.c App/journey.h || return 0
  step deps deps App || return 0
  step "deps show" deps show App journey.c || return 0
  [ "$(cat "$work/out")" = '"journey.h"' ] || fail "$case: deps show: $(cat "$work/out")"
  step makefile makefile App || return 0
  [ "$(cat "$work/out")" = "$ws/App/App.mak" ] && [ -s App/App.mak ] ||
    fail "$case: makefile: $(cat "$work/out")"

  snapshot >"$work/before"
  STUB_TOOL_LOG=$work/tools step build build App || return 0
  grep -qF "$prefix/share/zelvan/kova/Tools/" "$work/out" ||
    fail "$case: the build did not run the installed demo tools: $(head -3 "$work/out")"
  local object module
  object=$(grep -rlx "source $ws/App/journey.c" App || true)
  [ -n "$object" ] && grep -qx "include $ws/App/journey.h" $object ||
    fail "$case: no object of journey.c that names journey.h: ${object:-none}"
  module=App.abs
  [ "$type" != lib ] || module=App.lib
  grep -q "/$module\$" "$work/tools" || fail "$case: $module was not made: $(cat "$work/tools")"
  snapshot >"$work/after"

  local made left lost
  made=$(comm -13 <(cut -d' ' -f1 "$work/before") <(cut -d' ' -f1 "$work/after"))
  rm -f "$work/tools"
  STUB_TOOL_LOG=$work/tools step "build again" build App || return 0
  [ ! -s "$work/tools" ] || fail "$case: build again ran tools: $(cat "$work/tools")"
  # No output of the build changes. The makefile and the librarian command
  # files are the build's own inputs, written again by each build.
  snapshot | grep -Fwf <(echo "$made") | grep -Ev '/obj/App\.mak |\.klo ' >"$work/again"
  grep -Fwf <(echo "$made") "$work/after" | grep -Ev '/obj/App\.mak |\.klo ' |
    diff - "$work/again" >"$work/diff" || fail "$case: build again changed outputs: $(cat "$work/diff")"

  step clean clean App || return 0
  grep -q '\.rel$' <<<"$made" || fail "$case: the build made no object: $made"
  left=$(for f in $made; do [ ! -e "$f" ] || echo "$f"; done | grep -Ev "$kept_by_clean" || true)
  [ -z "$left" ] || fail "$case: clean left $left"
  lost=$(for f in $(cut -d' ' -f1 "$work/before"); do [ -e "$f" ] || echo "$f"; done)
  [ -z "$lost" ] || fail "$case: clean removed files the build did not make: $lost"
}

readme() {
  local readme=$prefix/share/doc/zelvan/README.md
  cp -rp "$prefix/share/doc/zelvan/examples" "$work/examples"
  # Every ```sh block but those of the source tree (make, the package) and
  # the synopsis of `zelvan ini`; the program is the installed one.
  awk '/^#/ { h = $0 } /^```sh/ { inb = 1; print "# " h; next } /^```/ { inb = 0 } inb' "$readme" |
    awk '/^# #/ { keep = ($0 !~ /Two commands|Installing|Profile \(INI\)/) } keep' |
    sed 's#^build/src/cli/zelvan #zelvan #' >"$work/steps"
  grep -q '^zelvan build ' "$work/steps" || fail "no examples found in $readme"
  # The lines that fail as the README says they do.
  local -A status=(["zelvan makefile --check"]=1)
  local dir=$work line command want rc
  while IFS= read -r line; do
    case "$line" in
      '' | '#'*) continue ;;
      'cd '*)
        dir=$(cd "$dir" && eval "$line" && pwd)
        continue
        ;;
    esac
    command=$(sed 's/ *#.*//' <<<"$line")
    if ! bare sh -c 'command -v "$1"' sh "${command%% *}" >/dev/null; then
      echo "skipped (${command%% *} is not installed): $line"
      continue
    fi
    want=${status[$command]:-0}
    rc=0
    (cd "$dir" && bare bash -c "$line") </dev/null >"$work/out" 2>&1 || rc=$?
    [ "$rc" = "$want" ] || fail "status $rc (want $want): $line
$(tail -8 "$work/out")"
    examples_run=$((examples_run + 1))
  done <"$work/steps"
  echo "$examples_run examples of the README run"
}

journeys=0
examples_run=0
case "$mode" in
  new-projects)
    cpus=$(bare "$zelvan" cpu list | cut -d' ' -f1)
    [ "$(echo $cpus)" = "K310SA1 MR44 MR44A MX-310P MX-310P1 MX-520 MX-520R MX-520R1 MX-520S MX-520S1" ] ||
      fail "cpu list: $(echo $cpus)"
    for cpu in $cpus; do
      for type in abs lib full; do journey "$cpu" "$type"; done
    done
    # The memory sizes that change the options or the memory model, and the
    # spellings of the README.
    journey MX-310P1 abs 96
    journey MX-310P1 lib 128
    journey MX-310P1 full 96
    journey MX-310P1 full 128
    journey MX-520 full 128
    journey MX-520/R1 abs
    journey MX-310/P1 lib 96
    echo "$journeys journeys"
    ;;
  readme) readme ;;
  *)
    echo "usage: journey_test.sh new-projects|readme PREFIX" >&2
    exit 2
    ;;
esac
if [ "$failures" != 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "the $mode journey passed"
