#!/usr/bin/env bash
# The main job on the bundled example: what `make demo` runs.
set -euo pipefail
zelvan=$(realpath "$1")
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Work on a copy, so the example in the repository stays as it is.
cp -r examples "$work/"
cd "$work/examples"
echo "== zelvan on the example (copied to $work/examples)"
run() { echo "\$ zelvan $*"; "$zelvan" "$@"; echo; }
if [ -f demo/project.ini ]; then
  run ini sections demo/project.ini
fi
