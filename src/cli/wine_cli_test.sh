#!/usr/bin/env bash
# zelvan.exe under Wine, on copies of the example workspace:
#   1. the main commands, each against the Linux build's zelvan on a copy of
#      its own: the same exit status, output and messages, and the same files
#      written, byte for byte. Only where each copy lies may differ (Wine names
#      the root of ours Z:\...\win, Linux /.../lin or \...\lin) with the
#      separators of the paths below it, and the line ends of the console
#      (CRLF under Wine). Skipped without a Linux build.
#   2. `call` through the registry, as a host creates the objects: regsvr32,
#      then CLSIDFromProgID and CoCreateInstance of several objects, and after
#      `zelvan unregister` a call that fails and says why.
#   3. `stop`: a session that waits for a lock is stopped by a request whose
#      command ended long before the session looks at it.
#   wine_cli_test.sh WINDOWS_BUILD SOURCE_DIR [LINUX_BUILD]
# Runs in the Wine prefix of WINEPREFIX when it is set (tools/windows-test.sh
# makes one), else in one of its own that is removed afterwards.
set -uo pipefail
build=$(realpath "${1:?usage: wine_cli_test.sh WINDOWS_BUILD SOURCE_DIR [LINUX_BUILD]}")
source_dir=$(realpath "${2:?usage: wine_cli_test.sh WINDOWS_BUILD SOURCE_DIR [LINUX_BUILD]}")
linux_zelvan=
kova_linux=
if [ -n "${3:-}" ] && [ -x "$3/src/cli/zelvan" ]; then
  linux_zelvan=$(realpath "$3/src/cli/zelvan")
  # The demo installation that zelvan finds above itself, as it does.
  kova_linux=$(dirname "$linux_zelvan")
  until [ -f "$kova_linux/share/kova/Config/QkUtil.ini" ] || [ "$kova_linux" = / ]; do
    kova_linux=$(dirname "$kova_linux")
  done
  kova_linux=$kova_linux/share/kova
fi
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
zelvan_exe="$build/src/cli/zelvan.exe"
work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/zelvan-cli-XXXXXX")")
own_prefix=
if [ -z "${WINEPREFIX:-}" ]; then
  own_prefix=$work/prefix
  export WINEPREFIX=$own_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
fi
holder=
cleanup() {
  [ -n "$holder" ] && kill "$holder" 2>/dev/null
  if [ -n "$own_prefix" ]; then "$wineserver" -k 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
unset ZELVAN_REGISTRY ZELVAN_INSTALL TEMP TMP
mkdir -p "$work/tmp" "$work/run"
export TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/run"

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  echo "FAILED: $*"
}
if [ -n "$own_prefix" ]; then
  "$wine" wineboot --init >/dev/null 2>&1
  "$wineserver" -w
fi
# One server for the many short commands below.
"$wineserver" -p 2>/dev/null
# The demo installation names itself as drive K:, which zelvan maps to it with
# DefineDosDevice (what `subst` does) when the drive is not there. Wine's
# DefineDosDevice makes a name that no file can be opened through, so the
# drive is mapped here as a Wine user maps one (winecfg): zelvan then finds
# it there and keeps it.
ln -sfn "$source_dir/share/kova" "$WINEPREFIX/dosdevices/k:"

# zelvan.exe ARGS...: the Windows program under Wine, with Wine's own noise
# (fixme lines) off.
zelvan_exe() { "$wine" "$zelvan_exe" "$@"; }

# The text of FILE with the root of the copy in it (host or system form,
# JSON-escaped or not) as <ws>, the installation (its drive K:, or the host
# folder Linux names it by) as <kova>, and the separators of the path after
# either as `/`; SIDE is "win" (the root as Wine names it, with its drive)
# or "lin". The time a dependency list was made (.kde) is <time>. With a
# third word "shown", also the separators of relative paths, which each host
# shows in its own form (Motor\main.c, Motor/main.c); in the files the
# system writes they are the same on both.
normalise() {
  ROOT=$work SIDE=$1 KOVA=$kova_linux SHOWN=${3:-} perl -0777 -pe '
    BEGIN {
      $sep = q{(?:\\\\\\\\|\\\\|/)};
      sub path_of { join($sep, map { quotemeta } grep { length } split m{/}, $_[0]) }
      my $body = path_of($ENV{ROOT}) . $sep . $ENV{SIDE};
      $root = $ENV{SIDE} eq "win" ? qr{[Zz]:$sep$body}i : qr{$sep$body};
      $kova = $ENV{SIDE} eq "win" || !$ENV{KOVA} ? qr{(?<!\w)[Kk]:(?=$sep)} : qr{(?:$sep@{[path_of($ENV{KOVA})]}|(?<!\w)[Kk]:(?=$sep))};
    }
    s{$root($sep[^\s"<>;,:()=]*)?}{my $t = $1 // ""; $t =~ s{\\\\|\\}{/}g; "<ws>$t"}ge;
    s{$kova($sep[^\s"<>;,:()=]*)?}{my $t = $1 // ""; $t =~ s{\\\\|\\}{/}g; "<kova>$t"}ge;
    s{^(\w*stamp=)\d{4}-\d\d-\d\d \d\d:\d\d:\d\d}{$1<time>}gm;
    s{(?<![\w\\/.:-])((?:[\w.-]+\\)+[\w.-]+)}{$1 =~ tr{\\}{/}r}ge if $ENV{SHOWN};
  ' "$2"
}

# ---- 1. The main commands against the Linux build ---------------------------

# One step a line: the words of a command (read as the shell reads them, so
# '.\bin' stays one word).
steps=$(
  cat <<'EOF'
projects
status
deps --all
deps show Motor main.c
deps show MathLib filter.c --target Release
makefile
makefile --all
makefile Motor --target Debug --stdout
makefile --gnu Motor --stdout
makefile --gnu Sensor --alone
functions
functions MathLib --format ctags
lcf memory Motor/Motor.lcf
lcf value Motor Debug stack_top
compile-commands
get Motor Debug compile
set Motor Debug output '.\bin'
get Motor Debug link
set Sensor Release compile '-O2 -DNDEBUG'
files Motor
target add Sensor Release Trace
link add Sensor MathLib
new Pump --cpu MX-520/R1
makefile Pump
projects --json
makefile --check
build-makefile Motor Debug --pre-build
EOF
)

# run_steps SIDE ZELVAN...: every step in the copy SIDE, each one's status,
# output and messages kept in $work/SIDE.N.{rc,out,err}.
run_steps() {
  local side=$1 n=0 line
  shift
  cp -rp "$source_dir/examples" "$work/$side"
  (
    cd "$work/$side" || exit 1
    while IFS= read -r line; do
      n=$((n + 1))
      eval "set -- $line"
      "${zelvan[@]}" "$@" >"$work/$side.$n.out" 2>"$work/$side.$n.err"
      echo $? >"$work/$side.$n.rc"
    done <<<"$steps"
  )
}

if [ -z "$linux_zelvan" ]; then
  echo "== the main commands against Linux: skipped, no Linux build (${3:-none named}) with src/cli/zelvan"
else
  echo "== the main commands of zelvan.exe against $linux_zelvan"
  start=$(date +%s)
  zelvan=("$wine" "$zelvan_exe")
  run_steps win
  zelvan=("$linux_zelvan")
  run_steps lin
  echo "   $(wc -l <<<"$steps") commands on each side in $(($(date +%s) - start)) s"
  n=0
  while IFS= read -r line; do
    n=$((n + 1))
    rc_win=$(cat "$work/win.$n.rc")
    rc_lin=$(cat "$work/lin.$n.rc")
    [ "$rc_win" = "$rc_lin" ] && pass || fail "zelvan $line: exit status $rc_win under Wine, $rc_lin on Linux"
    for stream in out err; do
      # Messages go through the console's text mode, which ends lines with
      # CRLF on Windows; standard output carries its bytes as they are.
      if diff <(normalise win "$work/win.$n.$stream" shown | if [ $stream = err ]; then sed 's/\r$//'; else cat; fi) \
        <(normalise lin "$work/lin.$n.$stream" shown) >"$work/diff.txt"; then pass; else
        fail "zelvan $line: std$stream differs (< Wine, > Linux):"
        head -20 "$work/diff.txt" | sed 's/^/     /'
      fi
    done
  done <<<"$steps"

  # The files written: the same names, and the same bytes apart from the root.
  (cd "$work/win" && find . -type f | sort) >"$work/win.files"
  (cd "$work/lin" && find . -type f | sort) >"$work/lin.files"
  if diff "$work/win.files" "$work/lin.files" >"$work/diff.txt"; then pass; else
    fail "the copies hold other files (< Wine, > Linux):"
    sed 's/^/     /' "$work/diff.txt"
  fi
  compared=0
  while IFS= read -r file; do
    [ -f "$work/lin/$file" ] || continue
    compared=$((compared + 1))
    if [[ $file == *.kdx ]]; then
      # The index of a .kde file holds its time and the times of the run;
      # of the rest, its size tells.
      [ "$(stat -c %s "$work/win/$file")" = "$(stat -c %s "$work/lin/$file")" ] && pass ||
        fail "$file: $(stat -c %s "$work/win/$file") bytes under Wine, $(stat -c %s "$work/lin/$file") on Linux"
      continue
    fi
    if cmp -s <(normalise win "$work/win/$file") <(normalise lin "$work/lin/$file"); then pass; else
      fail "$file differs (< Wine, > Linux):"
      diff <(normalise win "$work/win/$file") <(normalise lin "$work/lin/$file") | head -20 |
        sed 's/^/     /'
    fi
  done <"$work/win.files"
  echo "   $compared files compared"
fi

# ---- 2. `call` through the registry ----------------------------------------

echo "== zelvan.exe call through the registry (CLSIDFromProgID, CoCreateInstance)"
rm -rf "$work/call" && cp -rp "$source_dir/examples" "$work/call"
cd "$work/call" || exit 1
dll=$(printf 'Z:%s' "$build/src/cli/ZELVAN.DLL" | tr / '\\')
# call_has NAME TEXT ARGS...: `zelvan.exe ARGS` succeeds and prints TEXT.
call_has() {
  local name=$1 text=$2 out
  shift 2
  if out=$(zelvan_exe "$@" 2>&1 | tr -d '\r') && [[ $out == *"$text"* ]]; then pass; else
    fail "$name: no [$text] in: $out"
  fi
}
if "$wine" regsvr32 /s "$dll"; then pass; else fail "regsvr32 $dll answered $?"; fi
# The version of the module's resource, as zelvan.exe --version prints it
# (0.1.0: 0x00000001 and 0x00000000), not the 0x10000 and 1 of a module
# whose resource could not be read.
IFS=. read -r major minor patch < <(zelvan_exe --version | tr -d '\r' | grep -o '[0-9.]*$')
version="out[0]: $((major * 65536 + minor))
out[1]: $((${patch:-0} * 65536))"
call_has "Version" "$version" call Version.Method7
call_has "Service, no workspace" "status 0x00000000" call Service.GetLastStatus
call_has "Service" 'out: "MathLib.lib;Motor.abs;Sensor.abs;"' \
  -w Example.kws call Service.GetProjectInfo --long 2 "" ""
call_has "Project" "out: 3" -w Example.kws call Project.GetProjectCount
call_has "Project, by index" 'out: "Motor.abs"' -w Example.kws call Project.GetProjectByIndex --long 1
call_has "Command" "out: (object)" call Command.Method8 Zelvan.Version
call_has "zelvan unregister" "unregistered $dll" unregister
if "$wine" reg query 'HKCR\Zelvan.Service' >/dev/null 2>&1; then fail "unregister left HKCR\\Zelvan.Service"; else pass; fi
zelvan_exe call Version.Method7 >"$work/out.txt" 2>"$work/err.txt"
status=$?
message=$(tr -d '\r' <"$work/err.txt")
if [ "$status" = 1 ] && grep -q "^zelvan: cannot load the component: Zelvan.Connect is not registered" <<<"$message" &&
  grep -qF "register it first" <<<"$message" && [ ! -s "$work/out.txt" ]; then pass; else
  fail "call after unregister: status $status, stdout [$(cat "$work/out.txt")], stderr [$message]"
fi
call_has "zelvan register" "registered $dll" register
call_has "Version, registered again" "$version" call Version.Method7
call_has "zelvan unregister, again" "unregistered" unregister

# ---- 3. `stop` --------------------------------------------------------------

echo "== zelvan.exe stop: the request outlives the stop command"
# Wine keeps a lock of a file (LockFileEx) as a POSIX lock of the same bytes,
# so a lock of the first byte taken here (fcntl, with Linux x86-64's struct
# flock) holds zelvan.exe off as another zelvan's would. A first refresh
# takes the lock once, which leaves its file, the newest one.
zelvan_exe -q deps --all 2>/dev/null || fail "zelvan.exe deps --all in the copy failed"
locks=$(find "$WINEPREFIX/drive_c/users" -type d -name zelvan-locks 2>/dev/null | head -1)
lock=$(find "${locks:-/nonexistent}" -iname '*example.kws*.lock' -printf '%T@ %p\n' 2>/dev/null |
  sort -n | tail -1 | cut -d' ' -f2-)
if [ -z "$lock" ]; then
  fail "no lock file of $work/call/Example.kws in Wine's temporary folder ($locks)"
else
  perl -e 'use Fcntl; open(my $f, "+<", $ARGV[0]) or die "$ARGV[0]: $!";
    my $lock = pack("s s x4 q q i x4", F_WRLCK, 0, 0, 1, 0);
    fcntl($f, F_SETLKW, $lock) or die "lock: $!"; print "held\n"; $| = 1; sleep 60' \
    "$lock" >"$work/holder.txt" &
  holder=$!
  for _ in $(seq 100); do grep -q held "$work/holder.txt" && break; sleep 0.05; done
  ZELVAN_LOCK_TIMEOUT=60 zelvan_exe -v deps --all >/dev/null 2>"$work/session.txt" &
  session_pid=$!
  for _ in $(seq 400); do grep -q "waiting for another zelvan" "$work/session.txt" && break; sleep 0.05; done
  grep -q "waiting for another zelvan" "$work/session.txt" ||
    fail "the session did not wait for the lock held here: $(tr -d '\r' <"$work/session.txt")"
  session=$(tr -d '\r' <"$work/session.txt" | sed -n 's/^zelvan: session \([^ ]*\) .*/\1/p')
  if [ -n "$session" ] && zelvan_exe stop "$session"; then pass; else
    fail "zelvan.exe stop [$session] failed: $(cat "$work/session.txt")"
  fi
  # The stop command has ended; the session sees the request only once the
  # lock is free and the refresh starts.
  sleep 1
  kill "$holder"
  wait "$holder" 2>/dev/null
  holder=
  wait "$session_pid"
  status=$?
  if [ "$status" = 1 ] && grep -q "the refresh was stopped" "$work/session.txt"; then pass; else
    fail "the stopped session: status $status (want 1): $(tr -d '\r' <"$work/session.txt")"
  fi
  if zelvan_exe stop "$session" 2>"$work/err.txt"; then fail "stop of an ended session succeeded"; else
    grep -q "no zelvan session" "$work/err.txt" && pass || fail "stop of an ended session: $(cat "$work/err.txt")"
  fi
fi
cd "$work" || exit 1

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
