#!/usr/bin/env bash
# Runs the built workspace commands on a copy of the example workspace:
# exit statuses, output, the project files' bytes after each change, and no
# working copy left in the temporary folder after any command, failed or not.
# Usage: workspace_commands_test.sh path/to/zelvan path/to/examples
set -u
zelvan=$(realpath "$1")
examples=$(realpath "$2")
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
mkdir -p "$work/tmp" "$work/run"
export TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run"
unset TEMP TMP
cp -r "$examples" "$work/ws"
cd "$work/ws"
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# No working copy may outlive a command.
no_working_copies() {
  local left
  left=$(find "$TMPDIR" -type f | head -5)
  [ -z "$left" ] || fail "$1: working copies left behind: $left"
}

# check NAME EXPECTED_STATUS EXPECTED_STDOUT -- command...
check() {
  local name=$1 status=$2 expected=$3
  shift 4
  local out rc
  out=$("$@" 2>"$work/stderr.txt")
  rc=$?
  if [ "$rc" != "$status" ] || [ "$out" != "$expected" ]; then
    fail "$name: status $rc (want $status), output [$out] (want [$expected])"
    echo "  stderr: $(cat "$work/stderr.txt")"
  fi
  if [ "$status" != 0 ] && [ ! -s "$work/stderr.txt" ]; then
    fail "$name: no message on stderr"
  fi
  no_working_copies "$name"
}

# stderr_has NAME TEXT: the last command's stderr holds TEXT.
stderr_has() {
  grep -qF -- "$2" "$work/stderr.txt" || fail "$1: stderr lacks [$2]: $(cat "$work/stderr.txt")"
}

# A project file and its pristine copy differ by exactly the given diff lines.
same_bytes() {
  cmp -s "$1" "$2" || fail "$3: $1 differs from $2"
}

tab=$'\t'
check "projects" 0 "MathLib.lib${tab}MathLib\\MathLib.kbp${tab}MX-520${tab}Debug;Release${tab}-
Motor.abs${tab}Motor\\Motor.kbp${tab}MX-520${tab}Debug;Release${tab}MathLib.lib
Sensor.abs${tab}Sensor\\Sensor.kbp${tab}MR44${tab}Debug;Release${tab}-" -- "$zelvan" projects
check "projects with -w" 0 "$("$zelvan" projects)" -- "$zelvan" -w Example.kws projects
check "a project alone" 0 "Sensor.abs${tab}Sensor.kbp${tab}MR44${tab}Debug;Release${tab}-" \
  -- "$zelvan" -w Sensor/Sensor.kbp projects
same_bytes Example.kwa "$examples/Example.kwa" "reading changes no settings"
[ ! -e Example.kop ] || fail "reading wrote workspace options"

# Effective values and raw keys.
check "get compile (default)" 0 '-g -O0 -I..\include -I..\MathLib' -- "$zelvan" get Motor Debug compile
check "get compile (project)" 0 '-O2 -I..\include -I..\MathLib -DNDEBUG' -- "$zelvan" get motor.abs release compile
check "get link" 0 '-g -Map -o .\Debug\Motor.abs' -- "$zelvan" get Motor Debug link
check "get convert" 0 '-Fhex' -- "$zelvan" get Motor Release convert
check "get output" 0 '.\Release' -- "$zelvan" get Sensor Release output
check "get raw key" 0 'MathLib.lib' -- "$zelvan" get MathLib Debug TARGET_NAME
check "get unknown project" 1 "" -- "$zelvan" get Nope Debug compile
stderr_has "get unknown project" "error 0x40031103"
check "get unknown target" 1 "" -- "$zelvan" get Motor Final compile
stderr_has "get unknown target" "error 0x40031109"

# A change rewrites only what changed; the rest of the file stays byte for byte.
cp Motor/Motor.kbp "$work/Motor.before"
check "set compile" 0 "" -- "$zelvan" set Motor debug compile -- "-g -O1 -I..\\include -I..\\MathLib"
expected=$(sed -e 's/^ProjectCompile=\r$/ProjectCompile=-g -O1 -I..\\include -I..\\MathLib\r/' \
               -e '0,/^UPDATE=\r$/s//UPDATE=1\r/' "$work/Motor.before" | od -c)
[ "$(od -c < Motor/Motor.kbp)" = "$expected" ] || fail "set compile changed more than two lines: $(diff "$work/Motor.before" Motor/Motor.kbp)"
check "the change reads back" 0 '-g -O1 -I..\include -I..\MathLib' -- "$zelvan" get Motor Debug compile
same_bytes MathLib/MathLib.kbp "$examples/MathLib/MathLib.kbp" "set touched another project"

check "set output moves -o" 0 "" -- "$zelvan" set Motor Debug output '.\Out Dir'
check "set output: link" 0 '-g -Map -o ".\Out Dir\Motor.abs"' -- "$zelvan" get Motor Debug link
check "set raw key" 0 "" -- "$zelvan" set Sensor Release NoLCF 1
check "set raw key reads back" 0 "1" -- "$zelvan" get Sensor Release NoLCF
check "set a key that cannot be one" 1 "" -- "$zelvan" set Sensor Release "A=B" 1
stderr_has "bad key" "error 0x40030005"

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
check "target add from nothing" 1 "" -- "$zelvan" target add MathLib Nightly X
stderr_has "target add from nothing" "error 0x40031109"
check "target remove" 0 "" -- "$zelvan" target remove MathLib trace
check "target remove: gone" 1 "" -- "$zelvan" get MathLib Trace compile
same_bytes MathLib/MathLib.kbp "$examples/MathLib/MathLib.kbp" "add and remove left traces"

# Links.
check "link add" 0 "" -- "$zelvan" link add Sensor MathLib
check "link add again" 1 "" -- "$zelvan" link add Sensor mathlib.lib
stderr_has "link add again" "error 0x40031106"
check "link remove" 0 "" -- "$zelvan" link remove Sensor MathLib
check "link remove again" 1 "" -- "$zelvan" link remove Sensor MathLib
stderr_has "link remove again" "error 0x40031107"
grep -q "LinkProject2=Sensor.abs;"$'\r' Example.kwa || fail "link lists: $(cat Example.kwa)"

# Active project and target.
check "activate" 0 "Sensor.abs (Release)" -- "$zelvan" activate Sensor release
grep -q 'Active=Sensor\\Sensor.kbp' Example.kws || fail "activate: $(cat Example.kws)"
grep -q "Composition=Release"$'\r' Example.kwa || fail "activate: $(cat Example.kwa)"
check "activate an unknown target" 1 "" -- "$zelvan" activate Sensor Nightly

# A new workspace, and adding projects to it.
check "init" 0 "" -- "$zelvan" init New.kws MathLib/MathLib.kbp
check "init: listed" 0 "MathLib.lib${tab}MathLib\\MathLib.kbp${tab}MX-520${tab}Debug;Release${tab}-" \
  -- "$zelvan" -w New.kws projects
check "init over an existing file" 1 "" -- "$zelvan" init New.kws
check "init with a missing project" 1 "" -- "$zelvan" init Broken.kws Nope/Nope.kbp
[ ! -e Broken.kws ] && [ ! -e Broken.kwa ] || fail "init left a half-made workspace"
check "add-project" 0 "" -- "$zelvan" -w New.kws add-project Motor/Motor.kbp
check "add-project twice" 1 "" -- "$zelvan" -w New.kws add-project Motor/Motor.kbp
stderr_has "add-project twice" "error 0x40031105"
check "add-project missing" 1 "" -- "$zelvan" -w New.kws add-project Motor/None.kbp
stderr_has "add-project missing" "error 0x40031100"
printf '[PROJECT]\r\nTARGET=Debug\r\n' > "$work/NoOut.kbp"
check "add-project without output" 1 "" -- "$zelvan" -w New.kws add-project "$work/NoOut.kbp"
stderr_has "add-project without output" "error 0x40031102"
check "add-project to a project alone" 1 "" -- "$zelvan" -w Sensor/Sensor.kbp add-project Motor/Motor.kbp

# Bad workspaces.
check "no workspace here" 1 "" -- bash -c "cd '$work' && '$zelvan' projects"
printf '\x7fELF\x00\x01binary' > Bin.kws
check "binary workspace file" 1 "" -- "$zelvan" -w Bin.kws projects
check "missing workspace file" 1 "" -- "$zelvan" -w Missing.kws projects
check "two workspaces here, none named" 1 "" -- "$zelvan" projects

# Stop requests.
check "stop" 0 "" -- "$zelvan" stop 2024379520
[ -e "$XDG_RUNTIME_DIR/zelvan-objects/2024379520" ] || fail "stop made no request"
check "stop with a bad stamp" 1 "" -- "$zelvan" stop 'x/../y'

[ "$failures" = 0 ] && echo "all workspace command checks passed"
exit $((failures != 0))
