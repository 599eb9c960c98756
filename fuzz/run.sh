#!/usr/bin/env bash
# Runs fuzz targets with libFuzzer for a given time, by hand:
#   fuzz/run.sh TARGET[,TARGET...]|all SECONDS [BUILD_DIR]
# BUILD_DIR (default build/fuzz) is configured with clang and -DSUITE_FUZZ=ON
# and is built here. Each target starts from its seeds in fuzz/corpus/TARGET
# and keeps what it finds in BUILD_DIR/fuzz-out/TARGET/ (corpus/, crash and
# timeout inputs, log). "all" runs every target, FUZZ_JOBS (default 2) at a
# time, each at the lowest priority.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
target=${1:-}
seconds=${2:-}
build=${3:-$root/build/fuzz}
if [[ -z $target || ! $seconds =~ ^[0-9]+$ ]]; then
  echo "usage: $0 TARGET[,TARGET...]|all SECONDS [BUILD_DIR]" >&2
  echo "targets: $(ls "$here/corpus" | tr '\n' ' ')" >&2
  exit 2
fi
if [[ $target == all ]]; then
  targets=$(ls "$here/corpus")
else
  targets=${target//,/ }
  for t in $targets; do
    [[ -d $here/corpus/$t ]] || { echo "no target $t" >&2; exit 2; }
  done
fi

if [[ ! -f $build/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_FUZZ=ON \
    >/dev/null || exit 1
fi
build_targets=()
for t in $targets; do build_targets+=("fuzz_$t"); done
nice -n 19 cmake --build "$build" --target "${build_targets[@]}" -j "${FUZZ_JOBS:-2}" || exit 1

# One target: prints "TARGET: N executions, M crash inputs" at the end.
fuzz_one() {
  local t=$1 out=$build/fuzz-out/$1
  mkdir -p "$out/corpus"
  nice -n 19 "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=60 \
    -print_final_stats=1 -artifact_prefix="$out/" "$out/corpus" "$here/corpus/$t" >"$out/log" 2>&1
  local rc=$?
  local runs
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/log" | grep -o '[0-9]*$' | tail -1)
  local found
  found=$(find "$out" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  echo "$t: ${runs:-?} executions, $found crash inputs (exit $rc), log $out/log"
  return $rc
}

jobs=${FUZZ_JOBS:-2}
status=0
for t in $targets; do
  while (($(jobs -rp | wc -l) >= jobs)); do wait -n || status=1; done
  fuzz_one "$t" &
done
wait
exit $status
