#!/usr/bin/env bash
# Installs what is missing, builds the release and the ASan+UBSan
# configurations and runs every test in both. Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh || exit 1
[[ -x tests/browser/setup.sh ]] && { tests/browser/setup.sh || exit 1; }

jobs=$(nproc)
status=0
for cfg in release asan; do
  case $cfg in
    release) flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_SANITIZE=OFF) ;;
    asan)    flags=(-DCMAKE_BUILD_TYPE=Debug -DSUITE_SANITIZE=ON) ;;
  esac
  echo "=== $cfg: configure and build ==="
  if ! cmake -S . -B "build/$cfg" -G Ninja "${flags[@]}" >/dev/null ||
     ! cmake --build "build/$cfg" -j "$jobs"; then
    echo "=== $cfg: build FAILED ==="
    status=1
    continue
  fi
  echo "=== $cfg: tests ==="
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_odr_violation=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir "build/$cfg" --output-on-failure -j "$jobs" --timeout 600 || status=1
done
exit $status
