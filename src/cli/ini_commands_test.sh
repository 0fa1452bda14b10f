#!/usr/bin/env bash
# Runs the built `zelvan ini` commands on real files: exit statuses, output,
# the file's bytes after each change, and nothing left beside the file.
# Usage: ini_commands_test.sh path/to/zelvan
set -u
zelvan=$(realpath "$1")
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work"
failures=0

# check NAME EXPECTED_STATUS EXPECTED_STDOUT -- command...
check() {
  local name=$1 status=$2 expected=$3
  shift 4
  local out rc
  out=$("$@" 2>stderr.txt)
  rc=$?
  if [ "$rc" != "$status" ] || [ "$out" != "$expected" ]; then
    echo "FAIL: $name: status $rc (want $status), output [$out] (want [$expected])"
    echo "  stderr: $(cat stderr.txt)"
    failures=$((failures + 1))
  fi
  if [ "$status" = 1 ] && [ "$(wc -l < stderr.txt)" != 1 ]; then
    echo "FAIL: $name: want one line on stderr, got: $(cat stderr.txt)"
    failures=$((failures + 1))
  fi
}

# same_file NAME FILE EXPECTED_BYTES (printf format)
same_file() {
  if ! printf "$3" | cmp -s - "$2"; then
    echo "FAIL: $1: $2 holds $(od -c "$2" | head -5)"
    failures=$((failures + 1))
  fi
}

printf '; top\n[Project]\nCPU = MX-520\nName="my app"\n[Empty]\n' > p.ini

check "get" 0 "MX-520" -- "$zelvan" ini get p.ini project cpu
check "get trims and unquotes" 0 "my app" -- "$zelvan" ini get p.ini Project NAME
check "get missing key" 1 "" -- "$zelvan" ini get p.ini Project none
check "get missing key with default" 0 "x y" -- "$zelvan" ini get p.ini Project none --default "x y"
check "get missing file" 1 "" -- "$zelvan" ini get missing.ini Project CPU
check "get missing file with default" 0 "d" -- "$zelvan" ini get missing.ini Project CPU --default d
check "get by another letter case" 0 "MX-520" -- "$zelvan" ini get P.INI project cpu
check "sections" 0 "$(printf 'Project\nEmpty')" -- "$zelvan" ini sections p.ini
check "sections of a missing file" 1 "" -- "$zelvan" ini sections missing.ini
check "sections of a directory" 1 "" -- "$zelvan" ini sections .
check "keys" 0 "$(printf 'CPU\nName')" -- "$zelvan" ini keys p.ini PROJECT
check "keys of an empty section" 0 "" -- "$zelvan" ini keys p.ini empty
check "keys of a missing section" 1 "" -- "$zelvan" ini keys p.ini nope

check "set" 0 "" -- "$zelvan" ini set p.ini project OUTPUT app.abs
same_file "set keeps every other byte" p.ini \
  '; top\n[Project]\nCPU = MX-520\nName="my app"\nOUTPUT=app.abs\r\n[Empty]\n'
check "set in place" 0 "" -- "$zelvan" ini set p.ini PROJECT cpu MX-310
check "set a value starting with -" 0 "" -- "$zelvan" ini set p.ini New k -- -5
same_file "set in place keeps the key" p.ini \
  '; top\n[Project]\nCPU =MX-310\nName="my app"\nOUTPUT=app.abs\r\n[Empty]\n[New]\r\nk=-5\r\n'
check "set with a line break" 1 "" -- "$zelvan" ini set p.ini New k "$(printf 'a\nb')"
check "set an empty key" 1 "" -- "$zelvan" ini set p.ini New "" v
check "delete a key" 0 "" -- "$zelvan" ini delete p.ini project name
check "delete a section" 0 "" -- "$zelvan" ini delete p.ini empty
check "delete what is not there" 0 "" -- "$zelvan" ini delete p.ini nope key
same_file "after the deletes" p.ini \
  '; top\n[Project]\nCPU =MX-310\nOUTPUT=app.abs\r\n[New]\r\nk=-5\r\n'
check "delete from a missing file" 0 "" -- "$zelvan" ini delete missing.ini S
[ -e missing.ini ] && { echo "FAIL: delete created missing.ini"; failures=$((failures + 1)); }
check "set creates the file" 0 "" -- "$zelvan" ini set new.ini S k v
same_file "a new file" new.ini '[S]\r\nk=v\r\n'

cp p.ini before.ini
chmod a-w p.ini
check "set on a read-only file" 1 "" -- "$zelvan" ini set p.ini Project CPU X
check "delete on a read-only file" 1 "" -- "$zelvan" ini delete p.ini Project
cmp -s p.ini before.ini || { echo "FAIL: the read-only file changed"; failures=$((failures + 1)); }
chmod u+w p.ini

check "no command" 2 "" -- "$zelvan" ini
check "missing argument" 2 "" -- "$zelvan" ini get p.ini Project
check "extra argument" 2 "" -- "$zelvan" ini sections p.ini extra
for command in get set delete keys sections; do
  "$zelvan" ini "$command" --help > help.txt 2>&1 || { echo "FAIL: $command --help"; failures=$((failures + 1)); }
  grep -q "Usage" help.txt || { echo "FAIL: $command --help shows no usage"; failures=$((failures + 1)); }
done
rm -f help.txt stderr.txt

leftover=$(ls -A | grep -v -x -e p.ini -e before.ini -e new.ini)
[ -z "$leftover" ] || { echo "FAIL: files left behind: $leftover"; failures=$((failures + 1)); }

[ "$failures" = 0 ] && echo "all ini command checks passed"
exit $((failures > 0))
