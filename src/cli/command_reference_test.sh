#!/usr/bin/env bash
# The bash completion and the manual page that zelvan makes from its own
# command table: the completion offers every command and every option that
# the help lists, at every level, and the values an option allows; the
# manual page names every command.
# Usage: command_reference_test.sh path/to/zelvan
set -u
zelvan=$(realpath "$1")
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The completion script is sourced into this shell.
script=$("$zelvan" completion bash) || fail "completion bash failed"
eval "$script"
complete -p zelvan >/dev/null || fail "the script does not complete zelvan"
# complete WORD...: what <TAB> offers after the words (the last is the one completed).
complete_words() {
  COMP_WORDS=(zelvan "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _zelvan
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
# What the help of a command lists: its subcommands, and its option names.
help_commands() {
  "$zelvan" "$@" --help | sed -n '/^Subcommands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }' | sort
}
help_options() {
  "$zelvan" "$@" --help | sed -n '/^Options:/,/^$/p' |
    awk 'NR > 1 && $1 ~ /^-/ { n = split($1, names, ","); for (i = 1; i <= n; i++) print names[i] }' |
    sort
}

commands=$(help_commands)
[ "$(echo "$commands" | wc -l)" -gt 20 ] || fail "the help lists too few commands: $commands"
[ "$(complete_words "")" = "$commands" ] || fail "commands: [$(complete_words "")] (want [$commands])"
manual=$("$zelvan" manual)
while read -r command; do
  grep -qF -- "\\fBzelvan ${command//-/\\-}" <<<"$manual" || fail "the manual page lacks $command"
  subcommands=$(help_commands "$command")
  if [ -n "$subcommands" ]; then
    [ "$(complete_words "$command" "")" = "$subcommands" ] ||
      fail "$command: [$(complete_words "$command" "")] (want [$subcommands])"
    while read -r sub; do
      want=$(help_options "$command" "$sub")
      [ "$(complete_words "$command" "$sub" -)" = "$want" ] ||
        fail "$command $sub options: [$(complete_words "$command" "$sub" -)] (want [$want])"
    done <<<"$subcommands"
  fi
  want=$(help_options "$command")
  [ "$(complete_words "$command" -)" = "$want" ] ||
    fail "$command options: [$(complete_words "$command" -)] (want [$want])"
done <<<"$commands"
[ "$(complete_words -)" = "$(help_options)" ] || fail "global options: [$(complete_words -)]"

# check NAME EXPECTED -- WORD...: what <TAB> offers.
check() {
  local name=$1 expected=$2
  shift 3
  [ "$(complete_words "$@")" = "$expected" ] || fail "$name: [$(complete_words "$@")] (want [$expected])"
}
check "a command's options after global ones" "--json" -- -w ws.kws -q projects --j
check "the values of an option" $'fal\nnormal\nsub' -- makefile --mode ""
check "one value of an option" "ctags" -- functions --format c
check "an option's value is a file" "" -- -w ""
check "a command after an option's value" "cpu" -- -w ws.kws cp
check "a file after a command" "" -- files ""
check "after --, no option" "" -- options format --cpu MR44 -- -
check "a nested command" "show" -- deps sh
[ "$(complete_words compl)" = "" ] || fail "a hidden command is offered"
grep -q '^\.TH zelvan 1 ' <<<"$manual" || fail "the manual page has no title: $(head -1 <<<"$manual")"
grep -qF -- '\-\-json' <<<"$manual" || fail "the manual page lacks --json"

if [ "$failures" != 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all completion and manual checks passed"
