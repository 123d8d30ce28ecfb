#!/bin/sh
# Runs every fuzz target (fuzz/fuzz_NAME.cpp, built as BUILD_DIR/fuzz_NAME) for
# SECONDS each, one after the other, on a working corpus seeded from
# fuzz/corpus/NAME/. Prints the executions each target reached; fails on the
# first finding.
# usage: scripts/fuzz.sh BUILD_DIR SECONDS [NAME...]
set -e
build=$1
seconds=$2
shift 2
cd "$(dirname "$0")/.."
names="$*"
if [ -z "$names" ]; then
  for src in fuzz/fuzz_*.cpp; do names="$names $(basename "$src" .cpp | sed 's/^fuzz_//')"; done
fi
summary=""
for name in $names; do
  bin="$build/fuzz_$name"
  [ -x "$bin" ] || { echo "fuzz: $bin is missing"; exit 1; }
  work="$build/corpus/$name"
  mkdir -p "$work" "$build/findings/$name"
  if [ -d "fuzz/corpus/$name" ]; then cp -n fuzz/corpus/"$name"/* "$work"/ 2>/dev/null || true; fi
  args=$(sed -n 's|^// fuzz-args:||p' "fuzz/fuzz_$name.cpp" | tr '\n' ' ')
  log="$build/fuzz_$name.log"
  echo "fuzz: $name for ${seconds}s $args"
  if ! "$bin" $args -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$build/findings/$name/" "$work" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $name found a problem; the input is in $build/findings/$name/"
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  summary="$summary$name: $runs executions in ${seconds}s
"
done
printf '%s' "$summary"
