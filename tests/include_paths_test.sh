#!/bin/bash
# Includes of our own code name the folder from the top (`#include
# "model/project_data.h"`, `"tests/support/temp_dir.h"`), never a path that
# climbs out of the including file's folder: `"../analysis/x.h"` would reach
# past the layer view each folder compiles against.
#   include_paths_test.sh SOURCE_DIR
set -u
root=${1:?usage: include_paths_test.sh SOURCE_DIR}
cd "$root" || exit 1

climbing=$(grep -rnE --include='*.c' --include='*.cc' --include='*.cpp' --include='*.h' \
  --include='*.hpp' --exclude-dir=testdata --exclude-dir=corpus \
  '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"][^">]*\.\.[/\\]' src tests fuzz bench)
if [ -n "$climbing" ]; then
  echo "includes that climb out of their folder (name the folder from the top instead):"
  echo "$climbing"
  exit 1
fi
echo "no include climbs out of its folder"
