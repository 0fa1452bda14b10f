#!/usr/bin/env bash
# Runs the built `zelvan ini` commands on real files: exit statuses, output,
# the file's bytes after each change, and nothing left beside the file.
# Usage: ini_commands_test.sh path/to/zelvan
source "$(dirname "$0")/example_workspace_test_lib.sh" "$1" "$(dirname "$0")/../../examples"
mkdir "$work/ini" && cd "$work/ini"

# A refused command says why in one line (`status` is check's own).
after_check() {
  [ "$status" != 1 ] || [ "$(wc -l <"$work/stderr.txt")" = 1 ] ||
    fail "$1: want one line on stderr, got: $(cat "$work/stderr.txt")"
}

# same_file NAME FILE EXPECTED_BYTES (printf format)
same_file() {
  printf "$3" | cmp -s - "$2" || fail "$1: $2 holds $(od -c "$2" | head -5)"
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
[ ! -e missing.ini ] || fail "delete created missing.ini"
check "set creates the file" 0 "" -- "$zelvan" ini set new.ini S k v
same_file "a new file" new.ini '[S]\r\nk=v\r\n'

cp p.ini before.ini
chmod a-w p.ini
check "set on a read-only file" 1 "" -- "$zelvan" ini set p.ini Project CPU X
check "delete on a read-only file" 1 "" -- "$zelvan" ini delete p.ini Project
cmp -s p.ini before.ini || fail "the read-only file changed"
chmod u+w p.ini

check "no command" 2 "" -- "$zelvan" ini
check "missing argument" 2 "" -- "$zelvan" ini get p.ini Project
check "extra argument" 2 "" -- "$zelvan" ini sections p.ini extra
for command in get set delete keys sections; do
  help=$("$zelvan" ini "$command" --help 2>&1) && grep -q "Usage" <<<"$help" ||
    fail "$command --help shows no usage: $help"
done

leftover=$(ls -A | grep -v -x -e p.ini -e before.ini -e new.ini)
[ -z "$leftover" ] || fail "files left behind: $leftover"
finish "ini command"
