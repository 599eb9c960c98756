#!/usr/bin/env bash
# Installs what is missing, builds the release configuration, lays out the
# program directory build/release/dist/ (programs, branding module,
# plug-ins in ext/, a first-start cradle.ini and a sample photo collection)
# and starts cradle there in the foreground. Without a display it runs
# headless. It prints the address to open once the photo share server
# listens; Ctrl-C (SIGINT) or SIGTERM closes it.
# With RUN_DIR set, the program directory is copied there (when RUN_DIR does
# not hold one yet) and cradle starts in that copy, leaving
# build/release/dist as it is.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
export CCACHE_BASEDIR=$PWD
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUITE_SANITIZE=OFF >/dev/null
# What the program directory holds; the tests are left to ./test.sh.
targets=(cradle keystone galleon portreeve cradle_program_dir)
for t in logbook logreader platformui_modules; do
  cmake --build build/release --target help | grep -q "^$t:" && targets+=("$t")
done
cmake --build build/release -j "$(nproc)" --target "${targets[@]}"
if [[ -n ${RUN_DIR:-} ]]; then
  [[ -x $RUN_DIR/cradle ]] || { mkdir -p "$RUN_DIR" && cp -a build/release/dist/. "$RUN_DIR/"; }
  cd "$RUN_DIR"
else
  cd build/release/dist
fi
exec ./cradle "$@"
