#!/usr/bin/env bash
# Runs the built workspace commands on a copy of the example workspace:
# exit statuses, output, the project files' bytes after each change, and no
# working copy left in the temporary folder after any command, failed or not;
# commands that only read leave the tree as it was; status; the workspace
# found upwards; remove-file and remove-project.
# Usage: workspace_commands_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"

# No working copy may outlive a command.
after_check() { no_working_copies "$1"; }

# Two files hold the same bytes.
same_bytes() {
  cmp -s "$1" "$2" || fail "$3: $1 differs from $2"
}

tab=$'\t'
top=$PWD

# Commands that only read write nothing into the project tree, not even in
# a tree they may not write; their locks lie in the user's runtime folder.
snapshot() { find . -exec stat -c '%n %s %Y' {} + | sort; }
before=$(snapshot)
chmod -R a-w .
while IFS='|' read -r status command; do
  read -ra argv <<< "$command"
  "$zelvan" "${argv[@]}" >/dev/null 2>"$work/stderr.txt"
  rc=$?
  [ "$rc" = "$status" ] || fail "read-only tree: $command: status $rc (want $status): $(cat "$work/stderr.txt")"
done <<'TABLE'
0|projects
0|projects --json
0|get Motor Debug compile
0|get Motor Debug link
0|files Motor
1|deps show Motor main.c
0|functions Motor
0|status
1|makefile --check
1|-w nothere.kws projects
TABLE
chmod -R u+w .
[ "$(snapshot)" = "$before" ] || fail "read-only commands changed the tree: $(diff <(echo "$before") <(snapshot))"
[ -e "$(lock_file Example.kws)" ] && [ -e "$(lock_file Motor/Motor.kbp)" ] ||
  fail "no locks in the runtime folder: $(ls "$XDG_RUNTIME_DIR/zelvan-locks")"

# Status, in text and JSON, as dependencies and makefiles are brought up to date.
check "status" 0 "active project: Motor.abs (Debug)
makefiles out of date: MathLib.lib Motor.abs Sensor.abs
stale dependency lists: 40 of 40" -- "$zelvan" status
"$zelvan" -q deps --all >/dev/null 2>&1 && "$zelvan" makefile Motor >/dev/null 2>&1 ||
  fail "status: deps and makefile failed"
check "status: up to date" 0 "active project: Motor.abs (Debug)
makefiles out of date: MathLib.lib Sensor.abs
stale dependency lists: 0 of 40" -- "$zelvan" status
check "status --json" 0 '{
  "project": "Motor.abs",
  "target": "Debug",
  "makefiles_out_of_date": [
    "MathLib.lib",
    "Sensor.abs"
  ],
  "stale_dependency_lists": 0,
  "dependency_lists": 40
}' -- "$zelvan" status --json

# The workspace is found upwards from any folder below it, as git finds its
# repository; a folder with two workspace files stops the search.
while IFS='|' read -r status dir message; do
  out=$(cd "$dir" && "$zelvan" status 2>"$work/stderr.txt" | head -1)
  rc=$(cd "$dir" && "$zelvan" status >/dev/null 2>&1; echo $?)
  [ "$rc" = "$status" ] && [ "$(cat "$work/stderr.txt")$out" = "$message" ] ||
    fail "found from $dir: [$(cat "$work/stderr.txt")$out] (want [$message])"
done <<TABLE
0|Motor|active project: Motor.abs (Debug)
0|include|active project: Motor.abs (Debug)
1|$work|zelvan: no workspace file (.kws) in $work or any folder above it; name one with -w
TABLE
mkdir -p Nested/deeper && touch Nested/A.kws Nested/B.kws
check "two workspaces on the way up" 1 "" -- bash -c "cd Nested/deeper && '$zelvan' status"
stderr_is "two workspaces" "zelvan: several workspace files (.kws) in $top/Nested; name one with -w"
rm -r Nested

check "projects" 0 "MathLib.lib${tab}MathLib/MathLib.kbp${tab}MX-520${tab}Debug;Release${tab}-${tab}-
Motor.abs${tab}Motor/Motor.kbp${tab}MX-520${tab}Debug;Release${tab}MathLib.lib${tab}Debug
Sensor.abs${tab}Sensor/Sensor.kbp${tab}MR44${tab}Debug;Release${tab}-${tab}-" -- "$zelvan" projects
check "projects with -w" 0 "$("$zelvan" projects)" -- "$zelvan" -w Example.kws projects
check "a project alone" 0 "Sensor.abs${tab}Sensor.kbp${tab}MR44${tab}Debug;Release${tab}-${tab}Debug" \
  -- "$zelvan" -w Sensor/Sensor.kbp projects
same_bytes Example.kwa "$examples/Example.kwa" "reading changes no settings"
[ ! -e Example.kop ] || fail "reading wrote workspace options"

# Effective values and raw keys.
check "get compile (default)" 0 '-g -O0 -I..\include -I..\MathLib' -- "$zelvan" get Motor Debug compile
check "get compile (project)" 0 '-O2 -I..\include -I..\MathLib -DNDEBUG' -- "$zelvan" get motor.abs release compile
check "get link" 0 '-g -Map -o .\Debug\Motor.abs ..\MathLib\Debug\MathLib.lib' -- "$zelvan" get Motor Debug link
check "get convert" 0 '-Fhex' -- "$zelvan" get Motor Release convert
check "get output" 0 '.\Release' -- "$zelvan" get Sensor Release output
check "get raw key" 0 'MathLib.lib' -- "$zelvan" get --raw MathLib Debug TARGET_NAME

# A change rewrites only what changed; the rest of the file stays byte for byte.
# Files without options of their own follow the project's and are marked
# for update (startup.asm has its own).
cp Motor/Motor.kbp "$work/Motor.before"
check "set compile" 0 "" -- "$zelvan" set Motor debug compile -- "-g -O1 -I..\\include -I..\\MathLib"
expected=$( (sed -e 's/^ProjectCompile=\r$/ProjectCompile=-g -O1 -I..\\include -I..\\MathLib\r/' \
               -e '0,/^UPDATE=\r$/s//UPDATE=1\r/' "$work/Motor.before"
             for f in main.c motor.c motor.h '..\include\board.h' '..\include\types.h' Motor.lcf; do
               printf '[Debug!%s]\r\nUPDATE=1\r\n' "$f"
             done) | od -c)
[ "$(od -c < Motor/Motor.kbp)" = "$expected" ] || fail "set compile changed more than it should: $(diff "$work/Motor.before" Motor/Motor.kbp)"
check "the change reads back" 0 '-g -O1 -I..\include -I..\MathLib' -- "$zelvan" get Motor Debug compile
same_bytes MathLib/MathLib.kbp "$examples/MathLib/MathLib.kbp" "set touched another project"

check "set output moves -o" 0 "" -- "$zelvan" set Motor Debug output '.\Out Dir'
check "set output: link" 0 '-g -Map -o ".\Out Dir\Motor.abs" ..\MathLib\Debug\MathLib.lib' -- "$zelvan" get Motor Debug link
check "set raw key" 0 "" -- "$zelvan" set --raw Sensor Release NoLCF 1
check "set raw key reads back" 0 "1" -- "$zelvan" get Sensor Release NoLCF --raw
check "set a key that cannot be one" 1 "" -- "$zelvan" set --raw Sensor Release "A=B" 1
stderr_has "bad key" "error 0x40030005"

# A setting name is one of the known ones, in any letter case; anything else
# is refused before the workspace is opened, and the project stays as it was.
check_stderr() {
  local name=$1 status=$2 expected=$3 err=$4
  shift 5
  check "$name" "$status" "$expected" -- "$@"
  stderr_is "$name" "$err"
}
known="settings: compile, link, convert, output, work, temp, debug; --raw reads or writes a key of the target's section"
cp Motor/Motor.kbp "$work/Motor.before"
check_stderr "set a slip" 2 "" "zelvan: unknown setting ouput (did you mean output?); $known" \
  -- "$zelvan" set Motor Debug ouput '.\out'
check_stderr "get a slip" 2 "" "zelvan: unknown setting compil (did you mean compile?); $known" \
  -- "$zelvan" get Motor Debug compil
check_stderr "get a key without --raw" 2 "" "zelvan: unknown setting TARGET_NAME; $known" \
  -- "$zelvan" get Motor Debug TARGET_NAME
check_stderr "set a key without --raw" 2 "" "zelvan: unknown setting NoLCF; $known" \
  -- "$zelvan" set Motor Debug NoLCF 1
check_stderr "any letter case" 0 '-Fhex' "" -- "$zelvan" get Motor Release CONVERT
check_stderr "--json names the setting" 0 '{"project":"Motor","target":"Release","setting":"convert","value":"-Fhex"}' "" \
  -- bash -c "'$zelvan' get Motor release Convert --json | tr -d ' \n'"
same_bytes Motor/Motor.kbp "$work/Motor.before" "a refused setting changed the project"

# A read-only project file is never overwritten.
cp Sensor/Sensor.kbp "$work/Sensor.before"
chmod a-w Sensor/Sensor.kbp
check "set on a read-only project" 1 "" -- "$zelvan" set Sensor Debug temp '.\t'
stderr_has "read-only" "read-only"
same_bytes Sensor/Sensor.kbp "$work/Sensor.before" "read-only project file was written"
chmod u+w Sensor/Sensor.kbp

# Targets.
check "target add" 0 "" -- "$zelvan" target add MathLib Release Trace
check "target add: copied" 0 '-O2 -I..\include' -- "$zelvan" get MathLib Trace compile
check "target add: directory" 0 '.\Trace' -- "$zelvan" get MathLib Trace output
check "target add twice" 1 "" -- "$zelvan" target add MathLib Release TRACE
stderr_has "target add twice" "error 0x4003110A"
check "target remove" 0 "" -- "$zelvan" target remove MathLib trace
check "target remove: gone" 1 "" -- "$zelvan" get MathLib Trace compile
same_bytes MathLib/MathLib.kbp "$examples/MathLib/MathLib.kbp" "add and remove left traces"

# Links.
check "link add" 0 "" -- "$zelvan" link add Sensor MathLib
check "link add again" 1 "" -- "$zelvan" link add Sensor mathlib.lib
stderr_has "link add again" "error 0x40031106"
check "link remove" 0 "" -- "$zelvan" link remove Sensor MathLib
grep -q "LinkProject2=Sensor.abs;"$'\r' Example.kwa || fail "link lists: $(cat Example.kwa)"

# Active project and target.
check "activate" 0 "Sensor.abs (Release)" -- "$zelvan" activate Sensor release
grep -q 'Active=Sensor\\Sensor.kbp' Example.kws || fail "activate: $(cat Example.kws)"
grep -q "Composition=Release"$'\r' Example.kwa || fail "activate: $(cat Example.kwa)"
check "activate an unknown target" 1 "" -- "$zelvan" activate Sensor Nightly

# A new workspace, and adding projects to it.
check "init" 0 "" -- "$zelvan" init New.kws MathLib/MathLib.kbp
check "init: listed" 0 "MathLib.lib${tab}MathLib/MathLib.kbp${tab}MX-520${tab}Debug;Release${tab}-${tab}Debug" \
  -- "$zelvan" -w New.kws projects
check "init over an existing file" 1 "" -- "$zelvan" init New.kws
check "init with a missing project" 1 "" -- "$zelvan" init Broken.kws Nope/Nope.kbp
[ ! -e Broken.kws ] && [ ! -e Broken.kwa ] || fail "init left a half-made workspace"
check "add-project" 0 "" -- "$zelvan" -w New.kws add-project Motor/Motor.kbp
check "add-project twice" 1 "" -- "$zelvan" -w New.kws add-project Motor/Motor.kbp
stderr_has "add-project twice" "error 0x40031105"
check "add-project missing" 1 "" -- "$zelvan" -w New.kws add-project Motor/None.kbp
stderr_has "add-project missing" "error 0x40031100"
check "add-project to a project alone" 1 "" -- "$zelvan" -w Sensor/Sensor.kbp add-project Motor/Motor.kbp

# Files of a project: listing, adding, per-file settings.
ws=(-w Example.kws)
check "files" 0 "main.c${tab}CC${tab}main.rel${tab}Source Files${tab}0${tab}0${tab}-${tab}-
motor.c${tab}CC${tab}motor.rel${tab}Source Files${tab}0${tab}0${tab}-${tab}-
startup.asm${tab}AS${tab}startup.rel${tab}Startup${tab}0${tab}0${tab}-g -I..\\include${tab}-
motor.h${tab}-${tab}-${tab}Header Files${tab}0${tab}0${tab}-${tab}-
..\\include\\board.h${tab}-${tab}-${tab}Header Files${tab}0${tab}0${tab}-${tab}-
..\\include\\types.h${tab}-${tab}-${tab}Header Files${tab}0${tab}0${tab}-${tab}-
Motor.lcf${tab}LINK${tab}-${tab}Link Files${tab}0${tab}0${tab}-${tab}-" -- "$zelvan" "${ws[@]}" files Motor --target debug
check "files of the current target" 0 "$("$zelvan" "${ws[@]}" files MathLib --target Release)" \
  -- "$zelvan" "${ws[@]}" files MathLib

cp Motor/Motor.kbp "$work/Motor.before"
printf 'int pwm;\n' > Motor/pwm.c
: > Motor/notes.txt
: > include/extra.inc
check "add-file" 0 "pwm.c${tab}Source Files
notes.txt${tab}Source Files
..\\include\\extra.inc${tab}Header Files" -- "$zelvan" "${ws[@]}" add-file Motor Motor/pwm.c Motor/notes.txt include/extra.inc
expected=$(sed -e 's/^SOURCECOUNT=2\r$/SOURCECOUNT=4\r/' \
               -e 's/^SOURCE1=motor\.c\r$/SOURCE1=motor.c\r\nSOURCE2=pwm.c\r\nSOURCE3=notes.txt\r/' \
               -e 's/^SOURCECOUNT=3\r$/SOURCECOUNT=4\r/' \
               -e 's/^SOURCE2=\.\.\\include\\types\.h\r$/SOURCE2=..\\include\\types.h\r\nSOURCE3=..\\include\\extra.inc\r/' \
               "$work/Motor.before" | od -c)
[ "$(od -c < Motor/Motor.kbp)" = "$expected" ] || fail "add-file: $(diff "$work/Motor.before" Motor/Motor.kbp)"
check "add-file: listed" 0 "pwm.c${tab}CC${tab}pwm.rel${tab}Source Files${tab}0${tab}0${tab}-${tab}-" \
  -- bash -c "'$zelvan' -w Example.kws files Motor --target Debug | grep pwm"
cp Motor/Motor.kbp "$work/Motor.added"
check "add-file twice" 1 "" -- "$zelvan" "${ws[@]}" add-file Motor motor/PWM.C
stderr_has "add-file twice" "error 0x40031133"
: > "Motor/bad$(printf '\001')name.c"
check "add-file binary name" 1 "" -- "$zelvan" "${ws[@]}" add-file Motor "Motor/bad$(printf '\001')name.c"
stderr_has "add-file binary name" "error 0x000013BF"
same_bytes Motor/Motor.kbp "$work/Motor.added" "refused files changed the project"
: > Motor/pwm2.c
check "add-file, one of two missing" 1 "pwm2.c${tab}Source Files" \
  -- "$zelvan" "${ws[@]}" add-file Motor Motor/none.c Motor/pwm2.c
grep -q "SOURCE4=pwm2.c"$'\r' Motor/Motor.kbp || fail "the file that exists was not added"

cp Motor/Motor.kbp "$work/Motor.before"
check "file-set nobuild" 0 "" -- "$zelvan" "${ws[@]}" file-set Motor Debug pwm.c nobuild 1
check "file-set compile" 0 "" -- "$zelvan" "${ws[@]}" file-set Motor release Motor/pwm.c compile -- "-O3 -DPWM"
check "file-set temp" 0 "" -- "$zelvan" "${ws[@]}" file-set Motor Release pwm.c temp '.\R obj'
check "file-set custombuild" 0 "" -- "$zelvan" "${ws[@]}" file-set Motor Release pwm.c custombuild 1
check "file-set nolcf" 0 "" -- "$zelvan" "${ws[@]}" file-set Motor Debug Motor.lcf nolcf 1
# NoLCF joins the section [Debug!Motor.lcf] that ends the file; new sections follow.
[ "$(od -c < Motor/Motor.kbp)" = "$( (cat "$work/Motor.before"
    printf 'NoLCF=1\r\n[Debug!pwm.c]\r\nNoBuild=1\r\n[Release!pwm.c]\r\nCOMPILE=-O3 -DPWM\r\n'
    printf 'UPDATE=1\r\nTEMP=.\\R obj\r\nCustomBuild=1\r\n') | od -c)" ] ||
  fail "file-set: $(diff "$work/Motor.before" Motor/Motor.kbp)"
check "file-set: listed" 0 "pwm.c${tab}CC${tab}pwm.rel${tab}Source Files${tab}0${tab}1${tab}-O3 -DPWM${tab}.\\R obj" \
  -- bash -c "'$zelvan' -w Example.kws files Motor --target Release | grep '^pwm.c'"
check "file-set unknown file" 1 "" -- "$zelvan" "${ws[@]}" file-set Motor Debug nope.c temp x
stderr_has "file-set unknown file" "error 0x40031134"
check "file-set bad number" 1 "" -- "$zelvan" "${ws[@]}" file-set Motor Debug pwm.c nobuild yes
stderr_has "file-set bad number" "error 0x40030005"
cp Motor/Motor.kbp "$work/Motor.before"
chmod a-w Motor/Motor.kbp
check "file-set on a read-only project" 1 "" -- "$zelvan" "${ws[@]}" file-set Motor Debug pwm.c nobuild 0
stderr_has "file-set read-only" "read-only"
chmod u+w Motor/Motor.kbp
same_bytes Motor/Motor.kbp "$work/Motor.before" "refused file settings changed the project"

# Bad workspaces.
printf '\x7fELF\x00\x01binary' > Bin.kws
check "binary workspace file" 1 "" -- "$zelvan" -w Bin.kws projects
check "missing workspace file" 1 "" -- "$zelvan" -w Missing.kws projects
check "two workspaces here, none named" 1 "" -- "$zelvan" projects

# Stop requests reach running sessions only (concurrency_test.sh stops one).
check "stop a session that is not running" 1 "" -- "$zelvan" stop "2024379520-$$-1"
stderr_has "stop a session that is not running" "no zelvan session"
check "stop with a bad name" 1 "" -- "$zelvan" stop 'x/../y'
[ -z "$(ls -A "$XDG_RUNTIME_DIR/zelvan-objects" 2>/dev/null)" ] ||
  fail "a refused stop left a request: $(ls -R "$XDG_RUNTIME_DIR/zelvan-objects")"

# Dependency records of files that left a project another way are named
# once, by the next command that writes, and dropped for good.
"$zelvan" "${ws[@]}" -q deps --all >/dev/null 2>&1 || fail "deps --all failed"
sed -i -e '/^SOURCE2=vectors.asm\r$/d' -e '0,/^SOURCECOUNT=3\r$/s//SOURCECOUNT=2\r/' Sensor/Sensor.kbp
dropped="KOVA: These files are no longer in the project; their dependency records were dropped:
$top/Sensor/vectors.asm"
for name in "get (reads only)" deps "deps again"; do
  case $name in
    get*) "$zelvan" "${ws[@]}" get Sensor Debug output >/dev/null 2>"$work/stderr.txt" ;;
    *) "$zelvan" "${ws[@]}" -q deps >/dev/null 2>"$work/stderr.txt" ;;
  esac
  want=""
  [ "$name" = deps ] && want=$dropped
  [ "$(cat "$work/stderr.txt")" = "$want" ] || fail "dropped records, $name: [$(cat "$work/stderr.txt")] (want [$want])"
done

# remove-file and remove-project: what they print, their statuses and messages.
while IFS='|' read -r status out err command; do
  read -ra argv <<< "$command"
  got=$("$zelvan" "${ws[@]}" "${argv[@]}" 2>"$work/stderr.txt")
  rc=$?
  [ "$rc|$got|$(cat "$work/stderr.txt")" = "$status|$out|$err" ] ||
    fail "$command: [$rc|$got|$(cat "$work/stderr.txt")] (want [$status|$out|$err])"
done <<'TABLE'
0|motor.c||remove-file Motor Motor/motor.c
0|../include/board.h||remove-file Motor ../include/board.h
1||zelvan: error 0x40031134: The file is not in the project. (motor.c)|remove-file Motor motor.c
1||zelvan: error 0x40031103: The project file does not exist, or the project is not in the workspace. (Nope)|remove-file Nope main.c
0|||remove-project Sensor
1||zelvan: error 0x40031103: The project file does not exist, or the project is not in the workspace. (Sensor)|remove-project Sensor
TABLE
! grep -q '^SOURCE[0-9]*=\(motor\.c\|\.\.\\include\\board\.h\)'$'\r''$' Motor/Motor.kbp ||
  fail "remove-file: $(grep SOURCE Motor/Motor.kbp)"
! grep -q '^\[motor\.c\]' Motor/Motor.kde || fail "remove-file left the records of motor.c"
check "no records named after remove-file" 0 "" -- "$zelvan" "${ws[@]}" -q deps
[ ! -s "$work/stderr.txt" ] || fail "remove-file: later command said: $(cat "$work/stderr.txt")"
[ -e Sensor/Sensor.kbp ] || fail "remove-project deleted the project file"
# Sensor was active (see activate): the first project left takes its place.
check "projects after remove-project" 0 "MathLib.lib${tab}MathLib/MathLib.kbp${tab}MX-520${tab}Debug;Release${tab}-${tab}Release
Motor.abs${tab}Motor/Motor.kbp${tab}MX-520${tab}Debug;Release${tab}MathLib.lib${tab}-" -- "$zelvan" "${ws[@]}" projects

finish "workspace command"
