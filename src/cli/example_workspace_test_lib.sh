# Shared by the command tests that run on a copy of the example workspace.
# Sourced with the zelvan binary and the examples folder as $1 and $2; it
# leaves the shell in the copy, with a private TMPDIR and runtime folder.
# A test may define after_check NAME to look at each command's results.
set -u
zelvan=$(realpath "$1")
examples=$(realpath "$2")
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
mkdir -p "$work/tmp" "$work/run"
export TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run"
unset TEMP TMP
# Times kept: no file shares the second of the first refresh, which would
# make it stale once more and the first commands print their warnings twice.
cp -rp "$examples" "$work/ws"
cd "$work/ws"
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

after_check() { :; }

# no_working_copies NAME: no file is left in the private TMPDIR.
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
  after_check "$name"
}

# lock_file PATH: where zelvan locks the file PATH (a per-user folder, the
# full host path in the name with `%` and `/` escaped).
lock_file() {
  local path
  path=$(realpath -m "$1")
  path=${path//%/%25}
  echo "$XDG_RUNTIME_DIR/zelvan-locks/${path//\//%2F}.lock"
}

# stderr_has NAME TEXT: the last command's stderr holds TEXT.
stderr_has() {
  grep -qF -- "$2" "$work/stderr.txt" || fail "$1: stderr lacks [$2]: $(cat "$work/stderr.txt")"
}

# stderr_is NAME TEXT: the last command's stderr is TEXT.
stderr_is() {
  [ "$(cat "$work/stderr.txt")" = "$2" ] || fail "$1: stderr [$(cat "$work/stderr.txt")] (want [$2])"
}

# finish NAME: the exit status and summary line.
finish() {
  if [ "$failures" != 0 ]; then
    echo "$failures failure(s)"
    exit 1
  fi
  echo "all $1 checks passed"
}
