#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each for a short time
# (seconds given as $1, default 30), starting from its corpus in fuzz/corpus/<name>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELVAN_FUZZ=ON -DZELVAN_TESTS=OFF -DZELVAN_BENCH=OFF -DZELVAN_WERROR=ON >/dev/null
# Only the harnesses: the program and the component module are not built
# for fuzzing (a clang shared library does not carry the sanitizer runtime).
mapfile -t fuzzers < build-fuzz/fuzzers.txt
cmake --build build-fuzz -j "$(nproc)" --target "${fuzzers[@]}"
while read -r name; do
  [ -n "$name" ] || continue
  corpus=fuzz/corpus/$name
  work=build-fuzz/corpus-$name
  mkdir -p "$work"
  echo "-- $name (${seconds}s)"
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1)
  [ -d "$corpus" ] && args+=("$work" "$corpus") || args+=("$work")
  args+=(-artifact_prefix="build-fuzz/$name-")
  log=build-fuzz/$name.log
  if "build-fuzz/fuzz/$name" "${args[@]}" >"$log" 2>&1; then
    tail -n 4 "$log"
  else
    # The whole report of a failure: the input that caused it and where.
    grep -v '^#[0-9]' "$log" | tail -n 80
    exit 1
  fi
done < build-fuzz/fuzzers.txt
