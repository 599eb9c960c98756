#!/usr/bin/env bash
# Installs what is missing, builds the release and the ASan+UBSan
# configurations and runs every test in both, then the threaded tests under
# ThreadSanitizer. Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh || exit 1
[[ -x tests/browser/setup.sh ]] && { tests/browser/setup.sh || exit 1; }

jobs=$(nproc)
status=0
# Compiler cache hits across clones of the tree (paths taken relative to it).
export CCACHE_BASEDIR=$PWD
# Debug information names the build directory; leave it out of the hash so
# clones in other folders still hit.
export CCACHE_NOHASHDIR=1

# A test that fails is run once more on its own; one that then passes is
# reported as flaky (the gateway tests start a UPnP stack whose start-up can
# time out on a starved machine) and does not fail the run; one that fails
# again does.
run_tests() {
  local dir=$1; shift
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600 "$@" && return 0
  echo "=== $dir: rerunning the failed tests once, one at a time ==="
  if ctest --test-dir "$dir" --output-on-failure --timeout 600 --rerun-failed "$@"; then
    echo "=== $dir: FLAKY: the tests above failed once and passed when run again ==="
    return 0
  fi
  return 1
}
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
  run_tests "build/$cfg" || status=1
done

# ThreadSanitizer: only the test programs whose code runs on several threads
# (label "threaded"); a report fails the test. Suppressions, each with its
# reason, are in tools/tsan.supp.
echo "=== tsan: configure and build the threaded tests ==="
if ! cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_TSAN=ON >/dev/null ||
   ! cmake --build build/tsan -j "$jobs" --target threaded_tests; then
  echo "=== tsan: build FAILED ==="
  status=1
else
  echo "=== tsan: threaded tests ==="
  # The longest access history, so the earlier access of a report keeps its
  # stack (the suppressions match on it).
  TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 history_size=7 suppressions=$PWD/tools/tsan.supp" \
    run_tests build/tsan -L threaded || status=1
fi
exit $status
