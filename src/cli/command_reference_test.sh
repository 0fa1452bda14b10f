#!/usr/bin/env bash
# The command line's manners, on a copy of the example workspace: the help,
# grouped by task and narrow; `help`; usage errors that start with
# "zelvan:" and name the command or option meant; global options after the
# command; and the bash completion and the manual page that zelvan makes
# from its own command table: the completion offers every command and every
# option that the help lists, at every level, the values an option allows,
# and the projects, targets, settings and CPUs of the workspace.
# Usage: command_reference_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"

# Usage errors: status 2, nothing on stdout, and exactly this on stderr.
dash_hint="a value that starts with - follows --, as in:"
while IFS='|' read -r words want; do
  eval "args=($words)"
  out=$("$zelvan" "${args[@]}" 2>"$work/stderr.txt")
  rc=$?
  err=$(cat "$work/stderr.txt")
  [ "$rc" = 2 ] && [ -z "$out" ] && [ "$err" = "$want" ] ||
    fail "zelvan $words: status $rc, stdout [$out], stderr [$err] (want 2, [$want])"
done <<EOF
projcts|zelvan: unknown command projcts (did you mean projects?); see zelvan --help
xyzzy|zelvan: unknown command xyzzy; see zelvan --help
|zelvan: a command is required; see zelvan --help
--versio|zelvan: unknown option --versio (did you mean --version?); see zelvan --help
build --taget Debug|zelvan: build: unknown option --taget (did you mean --target?); see zelvan build --help
projects --jsn|zelvan: projects: unknown option --jsn (did you mean --json?); see zelvan projects --help
get Motor Debug compile -x|zelvan: get: unknown option -x; see zelvan get --help
cpu lst|zelvan: cpu: unknown command lst (did you mean list?); see zelvan cpu --help
cpu|zelvan: cpu: a command is required; see zelvan cpu --help
help projcts|zelvan: unknown command projcts (did you mean projects?); see zelvan --help
help cpu lst|zelvan: cpu: unknown command lst (did you mean list?); see zelvan cpu --help
projects extra|zelvan: projects: unexpected argument extra; see zelvan projects --help
activate|zelvan: activate: PROJECT is required; see zelvan activate --help
set Motor Debug compile '-g -O1'|zelvan: set: VALUE is required; $dash_hint zelvan set PROJECT TARGET SETTING -- VALUE
file-set Motor Debug main.c compile -O2|zelvan: file-set: VALUE is required; $dash_hint zelvan file-set PROJECT TARGET FILE SETTING -- VALUE
makefile --mode bad|zelvan: makefile: --mode: bad not in {normal,sub,fal}; see zelvan makefile --help
makefile --mode fall|zelvan: makefile: --mode: fall not in {normal,sub,fal} (did you mean fal?); see zelvan makefile --help
file-set Motor Debug main.c compil -- -O2|zelvan: file-set: SETTING: compil not in {nobuild,custombuild,compile,temp,nolcf} (did you mean compile?); see zelvan file-set --help
--yes --no projects|zelvan: projects: --yes excludes --no; see zelvan projects --help
EOF

# Global options go before or after the command.
projects=$("$zelvan" -w Example.kws -q projects)
check "global options after the command" 0 "$projects" -- "$zelvan" projects -q --workspace=Example.kws
check "global options after the arguments" 0 '-Fhex' -- "$zelvan" get Motor Release convert -w Example.kws -v

# `help`, and the groups of the command list.
check "help" 0 "$("$zelvan" --help)" -- "$zelvan" help
check "help COMMAND" 0 "$("$zelvan" cpu show --help)" -- "$zelvan" help cpu show
check "the groups, in order" 0 "Options:
Workspace:
Settings:
Files:
Build:
Analysis:
Component:
Debugging aids:" -- bash -c "'$zelvan' --help | grep -E '^[A-Z][a-z ]*:\$'"

# The completion script is sourced into this shell; it runs zelvan by the
# name the command line starts with.
PATH="$(dirname "$zelvan"):$PATH"
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
  "$zelvan" "$@" --help | awk '/^[A-Z].*:$/ { s = $0 != "Options:" && $0 != "Positionals:"; next }
    /^[A-Z]/ { s = 0 } s && /^  [a-z]/ { print $1 }' | sort
}
help_options() {
  "$zelvan" "$@" --help | sed -n '/^Options:/,/^$/p; /^Global options/,/^$/p' |
    awk 'NR > 1 && $1 ~ /^-/ { n = split($1, names, ","); for (i = 1; i <= n; i++) print names[i] }' |
    sort
}

commands=$(help_commands)
[ "$(echo "$commands" | wc -l)" -gt 20 ] || fail "the help lists too few commands: $commands"
[ "$(complete_words "")" = "$commands" ] || fail "commands: [$(complete_words "")] (want [$commands])"
manual=$("$zelvan" manual)
# Help lines fit in 100 columns; every command's help shows the global options.
long_lines() { "$zelvan" "$@" --help | awk -v c="$*" 'length($0) > 99 { print c ": " $0 }'; }
[ -z "$(long_lines)" ] || fail "help lines over 99 columns: $(long_lines)"
while read -r command; do
  [ -z "$(long_lines "$command")" ] || fail "help lines over 99 columns: $(long_lines "$command")"
  "$zelvan" "$command" --help | grep -q '^  -w,--workspace FILE ' ||
    fail "$command --help lacks the global options"
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

# offers NAME EXPECTED -- WORD...: what <TAB> offers.
offers() {
  local name=$1 expected=$2
  shift 3
  [ "$(complete_words "$@")" = "$expected" ] || fail "$name: [$(complete_words "$@")] (want [$expected])"
}
offers "a command's options after global ones" "--json" -- -w ws.kws -q projects --j
offers "global options after the command" "--workspace" -- projects --wor
offers "the values of an option" $'fal\nnormal\nsub' -- makefile --mode ""
offers "one value of an option" "ctags" -- functions --format c
offers "an option's value is a file" "" -- -w ""
offers "a command after an option's value" "cpu" -- -w ws.kws cp
offers "a file after a command" "" -- add-file Motor ""
offers "the projects" $'MathLib.lib\nMotor.abs\nSensor.abs' -- get ""
offers "the targets of the project named" $'Debug\nRelease' -- activate Sensor ""
offers "the targets of an option" $'Debug\nRelease' -- files Motor --target ""
offers "the targets of the active project" $'Debug\nRelease' -- build --target ""
offers "the settings" $'compile\nconvert' -- set Motor Debug co
offers "the projects of -w" "Sensor.abs" -- -w Sensor/Sensor.kbp get ""
offers "the CPUs" $'MR44\nMR44A' -- new Pump --cpu MR
offers "a CPU argument" $'MR44\nMR44A' -- cpu show MR
offers "after --, no option" "" -- options format --cpu MR44 -- -
offers "a nested command" "show" -- deps sh
[ "$(complete_words compl)" = "" ] || fail "a hidden command is offered"
grep -q '^\.TH zelvan 1 ' <<<"$manual" || fail "the manual page has no title: $(head -1 <<<"$manual")"
grep -qF -- '\-\-json' <<<"$manual" || fail "the manual page lacks --json"
grep -q '^\.SH EXAMPLES$' <<<"$manual" || fail "the manual page has no examples"
# A value is named by the word its description uses.
grep -qF -- '\fB\-\-default\fR \fIDEFAULT\fR' <<<"$manual" || fail "the manual names --default's value otherwise"
grep -qF -- '\fB\-\-jobs\fR \fIJOBS\fR' <<<"$manual" || fail "the manual names --jobs's value otherwise"

# What a call may name: each object, then its methods with their parameters.
check "call --list" 0 "Connect
Command
Service
  Service.GetProjectInfo(--long N, value, value, out text)
Version
  Version.Method7(out number, out number)
  Version.Method8(out text)
Project" -- bash -c "'$zelvan' call --list | grep -E '^[A-Z]|GetProjectInfo|Version\\.'"

check "options format of an unknown CPU" 1 "" -- "$zelvan" options format --cpu NOPE -- -O2
stderr_has "options format of an unknown CPU" "zelvan: unknown CPU NOPE; known: "

finish "command line manners, completion and manual"
