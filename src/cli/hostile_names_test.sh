#!/usr/bin/env bash
# Names that make or the shell read as syntax, through add-file, build,
# clean and compile-commands with GNU make and the stub toolchain: no
# command hidden in a name runs, every name reaches the tools as it is,
# clean removes exactly what the build made, and a name that a build
# could not name is refused when it is added (or, already in a project
# file, by build and clean before make runs).
# Usage: hostile_names_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"
ws=$PWD

# A command in a name ("touch PWNED") would leave a file PWNED below $work.
no_pwned() {
  local found
  found=$(find "$work" -name PWNED | head -n 3)
  [ -z "$found" ] || fail "$1: a command in a name ran: $found"
}
# The files of the workspace outside the build outputs, one a line.
sources() { find "$1" -path '*/Debug' -prune -o -path '*/Release' -prune -o -type f -print | sort; }
# kept NAME BEFORE: every file of BEFORE is still there.
kept() {
  local gone
  gone=$(comm -23 <(echo "$2") <(sources "$ws"))
  [ -z "$gone" ] || fail "$1 removed files: $gone"
}

# name, then "ok" (added and built) or the reason add-file gives.
table=(
  'blank name.c' ok
  "it's.c" ok
  'dq"x.c' 'holds `"`'
  'dol$HOME.c' ok
  'cash$$.c' ok
  'a;b.c' 'holds `;`'
  'star*.c' 'holds `*`'
  'q?.c' 'holds `?`'
  'hash#1.c' ok
  '`touch PWNED`.c' ok
  '$(touch PWNED).c' ok
  '$(shell touch PWNED).c' ok
  'b&touch PWNED.c' ok
  'p|x.c' 'holds `|`'
  'co:lon.c' ok
  'pct%.c' 'holds `%`'
  'eq=1.c' ok
  'lt<gt>!{x}~.c' ok
  $'\xc3\xa9t\xc3\xa9.c' ok
  $'lat\xe9.c' ok
  $'new\nline.c' 'control character'
  $'tab\t.c' 'control character'
)
added=()
for ((i = 0; i < ${#table[@]}; i += 2)); do
  name=${table[i]} want=${table[i + 1]}
  cp Motor/main.c "Motor/$name"
  if [ "$want" = ok ]; then
    check "add-file [$name]" 0 "$name	Source Files" -- "$zelvan" -q add-file Motor "Motor/$name"
    added+=("$name")
  else
    check "add-file [$name]" 1 "" -- "$zelvan" -q add-file Motor "Motor/$name"
    stderr_has "add-file [$name]" "$want"
    rm "Motor/$name"
  fi
done
before=$(sources "$ws")

"$zelvan" build Motor > "$work/make.txt" 2>&1 || fail "build: status $?: $(tail -n 5 "$work/make.txt")"
no_pwned build
for name in "${added[@]}"; do
  object="Motor/Debug/obj/${name%.c}.rel"
  grep -qxF "source $ws/Motor/$name" "$object" 2> /dev/null ||
    fail "build [$name]: $object does not name its source"
  grep -qxF "object $ws/$object" Motor/Debug/Motor.abs || fail "build [$name]: not linked"
done
# What the project's commands print of its names.
grep -qxF 'Building Motor for Debug' "$work/make.txt" || fail "build: the before-build event"

check "compile-commands" 0 "$ws/compile_commands.json" -- "$zelvan" -q compile-commands --target Debug
for name in "${added[@]}"; do
  # JSON carries UTF-8 only: a name in another encoding is written with
  # replacement characters.
  [ "$name" = $'lat\xe9.c' ] && continue
  got=$(jq -r --arg f "$ws/Motor/$name" \
    '.[] | select(.file == $f) | .arguments[-3] + "|" + .arguments[-1]' compile_commands.json)
  [ "$got" = "$ws/Motor/$name|$ws/Motor/Debug/obj/${name%.c}.rel" ] ||
    fail "compile-commands [$name]: [$got]"
done

"$zelvan" -q clean Motor > "$work/make.txt" 2>&1 || fail "clean: status $?: $(tail -n 5 "$work/make.txt")"
no_pwned clean
kept clean "$before"
for name in "${added[@]}"; do
  [ ! -e "Motor/Debug/obj/${name%.c}.rel" ] || fail "clean left the object of [$name]"
done

# Names put into the project file by hand, with the objects in the
# project's own folder: build and clean refuse before make runs, and
# startup.asm, which "star*.asm" would match, stays.
cp -rp "$examples" "$work/ws2"
cd "$work/ws2"
sed -i -e 's/^SOURCECOUNT=2\r$/SOURCECOUNT=3\r/' -e 's/^SOURCE1=motor\.c\r$/&\nSOURCE2=star*.c\r/' \
  -e 's/^TEMP=\.\\Debug\\obj\r$/TEMP=.\r/' Motor/Motor.kbp
grep -q 'SOURCE2=star\*\.c' Motor/Motor.kbp || fail "the project file was not edited"
touch 'Motor/star*.c'
before=$(sources "$work/ws2")
for command in build clean; do
  check "$command with star*.c" 1 "" -- "$zelvan" -q "$command" Motor
  stderr_has "$command with star*.c" "GNU make cannot name the file $work/ws2/Motor/star*."
done
ws=$work/ws2 kept "a refused build or clean" "$before"
[ -f Motor/startup.asm ] || fail "startup.asm was removed"
cd "$ws"

# Projects: a name is refused by new and rename when a build could not
# name it; any other builds (new ones as libraries, whose template links
# no library the demo installation lacks).
check "new [a;b]" 1 "" -- "$zelvan" -q new 'a;b' --cpu MX-520
check "new [p%]" 1 "" -- "$zelvan" -q new 'p%' --cpu MX-520
check "rename Sensor [x|y]" 1 "" -- "$zelvan" -q rename Sensor 'x|y'
check "new [\`touch PWNED\`]" 0 '`touch PWNED`/`touch PWNED`.KBP' -- "$zelvan" -q new '`touch PWNED`' --cpu MX-520 --type lib
check "new [\`touch\${IFS}PWNED\`]" 0 '`touch${IFS}PWNED`/`touch${IFS}PWNED`.KBP' -- "$zelvan" -q new '`touch${IFS}PWNED`' --cpu MX-520 --type lib
motor='$(touch${IFS}PWNED)'"'"'#'
check "rename Motor [$motor]" 0 "Motor/$motor.kbp" -- "$zelvan" -q rename Motor "$motor"
for project in '`touch PWNED`' '`touch${IFS}PWNED`' "$motor"; do
  "$zelvan" build "$project" > "$work/make.txt" 2>&1 ||
    fail "build [$project]: status $?: $(tail -n 5 "$work/make.txt")"
  no_pwned "build [$project]"
  [ "$project" != "$motor" ] || grep -qxF "Building $motor for Debug" "$work/make.txt" ||
    fail "build [$project]: the before-build event"
  "$zelvan" -q clean "$project" > "$work/make.txt" 2>&1 ||
    fail "clean [$project]: status $?: $(tail -n 5 "$work/make.txt")"
  no_pwned "clean [$project]"
done

# A double-byte name whose trail byte is "\" (code page 932): built when
# the byte stands inside the name, refused where make would read an escape.
export ZELVAN_CODEPAGE=932
cp -rp "$examples" "$work/ws932"
cd "$work/ws932"
so=$'\x83\x5c'
cp Motor/main.c "Motor/${so}.c"
cp Motor/main.c "Motor/${so}#.c"
check "add-file [${so}.c]" 0 "${so}.c	Source Files" -- "$zelvan" -q add-file Motor "Motor/${so}.c"
check "add-file [${so}#.c]" 1 "" -- "$zelvan" -q add-file Motor "Motor/${so}#.c"
stderr_has "add-file [${so}#.c]" "double-byte character"
"$zelvan" -q build Motor > "$work/make.txt" 2>&1 || fail "build 932: status $?: $(tail -n 5 "$work/make.txt")"
grep -qxF "source $work/ws932/Motor/${so}.c" "Motor/Debug/obj/${so}.rel" 2> /dev/null ||
  fail "build 932: the object of ${so}.c does not name its source"
"$zelvan" -q clean Motor > "$work/make.txt" 2>&1 || fail "clean 932: status $?: $(tail -n 5 "$work/make.txt")"
[ ! -e "Motor/Debug/obj/${so}.rel" ] || fail "clean 932 left the object"
[ -f "Motor/${so}.c" ] || fail "clean 932 removed the source"
no_pwned "code page 932"

finish "hostile name"
