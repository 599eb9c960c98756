#!/usr/bin/env bash
# Time to open the settings window with every page listed (expert mode, all
# plug-ins of the program directory) until its first page is shown, and time
# to switch to a page, against a property sheet of the same plug-in pages in
# the same run (galleon, portreeve and logbook from dist/ext, and the tests'
# page plug-in). Needs a build (./test.sh, or BUILD=build/<cfg>). ROUNDS opens.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build/release}
bench=$build/bench/settings/settings_bench
[[ -x $bench && -f $build/dist/keystone.dll ]] || { echo "no $bench: build first (./test.sh)" >&2; exit 1; }
work=$(mktemp -d /tmp/bench-settings-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/ext"
cp "$build/dist/keystone.dll" "$build/dist/cradle.ini" "$work/" 2>/dev/null || cp "$build/dist/keystone.dll" "$work/"
cp "$build"/dist/ext/*.dll "$work/ext/" 2>/dev/null || true
# The tests' page plug-in adds three more pages when it is built.
[[ -f $build/tests/settings/plugins/pages.dll ]] && cp "$build/tests/settings/plugins/pages.dll" "$work/ext/"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bench" "$work" "${ROUNDS:-20}" \
  2> >(grep -v 'This plugin does not support' >&2)
