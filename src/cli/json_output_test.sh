#!/usr/bin/env bash
# Every command's --json form on a copy of the example workspace: it parses,
# it holds the same facts as the text form (a jq filter renders the text
# form from it, compared exactly), and a failure keeps its message on
# stderr and its exit status, with nothing on stdout.
# Usage: json_output_test.sh path/to/zelvan path/to/examples
source "$(dirname "$0")/example_workspace_test_lib.sh"
command -v jq >/dev/null || { echo "SKIP: jq is not installed"; exit 77; }

# agree NAME FILTER -- ARGS...: ARGS once without and once with --json (in
# place of the word JSON, or at the end); FILTER (jq -r) renders the text.
agree() {
  local name=$1 filter=$2
  shift 3
  local args=() json_args=() has_place=0 word
  for word in "$@"; do
    if [ "$word" = JSON ]; then
      has_place=1
      json_args+=(--json)
    else
      args+=("$word")
      json_args+=("$word")
    fi
  done
  [ "$has_place" = 1 ] || json_args+=(--json)
  local text json text_rc json_rc rendered
  text=$("$zelvan" "${args[@]}" 2>"$work/text.err")
  text_rc=$?
  json=$("$zelvan" "${json_args[@]}" 2>"$work/json.err")
  json_rc=$?
  last_json=$json
  [ "$json_rc" = "$text_rc" ] || fail "$name: exit status $json_rc with --json, $text_rc without"
  cmp -s "$work/text.err" "$work/json.err" ||
    fail "$name: stderr differs: [$(cat "$work/json.err")] (text form: [$(cat "$work/text.err")])"
  if [ -z "$filter" ]; then # a failure
    [ "$text_rc" != 0 ] && [ -s "$work/json.err" ] || fail "$name: no failure on stderr"
    [ -z "$json" ] || fail "$name: a failure printed [$json]"
    return
  fi
  jq -e 'type == "object"' >/dev/null <<<"$json" || fail "$name: not one JSON object: $json"
  rendered=$(jq -r "$filter" <<<"$json" 2>&1)
  [ "$rendered" = "$text" ] || fail "$name: the JSON says
$rendered
the text form says
$text"
}

# Every value shown: a file that is not built, options of its own, a link.
"$zelvan" file-set Motor Debug main.c nobuild 1 &&
  "$zelvan" file-set Motor Debug motor.c compile -- '-O2 -DX' &&
  "$zelvan" link add Sensor MathLib &&
  "$zelvan" deps >/dev/null 2>&1 &&
  "$zelvan" makefile MathLib >/dev/null || fail "setting up the workspace"

dash_list='if . == [] then "-" else join(";") end'
agree "projects" '.projects[] | [.output, .file, .cpu // "-", (.targets | '"$dash_list"'),
  (.links | '"$dash_list"'), .target // "-"] | join("\t")' -- projects
files='.files[] | [.path, .tool // "-", .object // "-", .folder // "-",
  (.nobuild | tostring), (.custombuild | tostring), .compile // "-", .temp // "-"] | join("\t")'
agree "files" "$files" -- files Motor --target debug
agree "files of the current target" "$files" -- files Sensor
agree "get through the workspace" '.value' -- get Motor Debug compile
agree "get through the component" '.value' -- get motor release link
agree "get a raw key" '.value' -- get Sensor Debug TARGET_NAME
includes='.includes[] | if .form == "quoted" then "\"\(.path)\""
  elif .form == "angle" then "<\(.path)>" else .path end'
agree "deps show" "$includes" -- deps show Motor main.c
agree "deps show another target" "$includes" -- deps show MathLib filter.c --target Release
agree "cpu list" '(.cpus | map(.name | length) | max) as $width
  | .cpus[] | .name + ((" " * ($width - (.name | length))) // "") + "  " + .ini_file' -- cpu list
show_cpu='def field($name; $lines): ($name + ":") as $title
  | if ($lines | length) == 0 then $title + " " * (16 - ($title | length)) + "(none)"
    else $lines | to_entries[] | (if .key == 0 then $title else "" end) as $head
      | $head + ((" " * (16 - ($head | length))) // "") + .value end;
  field("CPU"; [.cpu]), field("Source"; [.source]), field("INI file"; [.ini_file]),
  field("Tools"; [.tools | to_entries[] | "\(.key)=\(.value)"]),
  field("Include"; .include), field("Library"; .library), field("Executable"; .executable),
  field("Temporary"; .temporary), field("Home"; [.home // empty]),
  field("Secondary home"; [.secondary_home // empty
    | (.folder // "") + (if .variable then (if .folder then " (" else "(" end) + .variable + ")"
      else "" end)]),
  field("Compiler"; [.compiler.path + (if .compiler.found then "" else " (not found)" end)])'
agree "cpu show" "$show_cpu" -- cpu show mx-520/s
agree "cpu show of another family" "$show_cpu" -- cpu show MR44
agree "functions" '.functions[] | "\(.file)(\(.line)): \(.display)"' -- functions
agree "functions of a source" '.functions[] | "\(.file)(\(.line)): \(.name)(\(.arguments | join(",")))"' \
  -- functions Motor motor.c
hex='def hex: . as $n | [range(7; -1; -1) | ($n / pow(16; .) | floor) % 16
  | "0123456789ABCDEF"[.:. + 1]] | "0x" + join("");'
agree "lcf memory" "$hex"' .areas[] | [.name, (.start | hex), (.size | hex)] | join("\t")' \
  -- lcf memory Motor/Motor.lcf
agree "options format" '.options' -- options format --cpu MR44 JSON -- -O2 -g -w1 -Nr32
agree "options format refusing one" '.options' -- options format --cpu MX-520 JSON -- -O9 -g
[ "$(jq -c .rejected <<<"$last_json")" = '["-O9"]' ] && grep -qx "not accepted: -O9" "$work/json.err" ||
  fail "options format: $last_json [$(cat "$work/json.err")]"
agree "makefile --check" '.makefiles[] | select(.current | not) | "\(.project)\t\(.makefile)"' \
  -- makefile --check
agree "makefile --check of a current one" '.makefiles[] | select(.current | not) | .project' \
  -- makefile --check MathLib
[ "$(jq -c '[.makefiles[].current]' <<<"$last_json")" = '[true]' ] ||
  fail "makefile --check: MathLib is not current: $last_json"

agree "files of no project" '' -- files Pump
agree "get of no target" '' -- get Motor Final compile
agree "get of no target through the component" '' -- get Motor Final link
agree "deps show of no file" '' -- deps show Motor pump.c
agree "cpu show of no CPU" '' -- cpu show Z80
agree "lcf memory of no file" '' -- lcf memory Motor/none.lcf
agree "functions of no project" '' -- functions Pump

check "--json without --check" 2 "" -- "$zelvan" makefile --json
check "--json with ctags" 2 "" -- "$zelvan" functions --json --format ctags
finish "JSON output"
