#!/usr/bin/env bash
# Records per second that the logging plug-in stores from 4 writer threads
# (through the log client, and as raw records), against a plain append loop of
# the same records in the same run, none lost; and the time of a per-source
# query over 100,000 records of that source, against a scan of the whole file.
# Needs a build (./test.sh, or BUILD=build/<cfg>). RECORDS per writer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build/release}
bench=$build/bench/logbook_bench
dll=$build/dist/ext/logbook.dll
[[ -x $bench && -f $dll ]] || { echo "no $bench or $dll: build first (./test.sh)" >&2; exit 1; }
work=$(mktemp -d /tmp/bench-logbook-XXXXXX)
trap 'rm -rf "$work"' EXIT
"$bench" "$dll" "$work" "${RECORDS:-50000}" "${QUERY_RECORDS:-100000}"

# The log page's list: zelextLogDisplay filling a list view from a log of
# DISPLAY_RECORDS records of one source, against the same rows put into a Qt
# view directly in the same run.
display=$build/bench/logdisplay_bench
[[ -x $display ]] || { echo "no $display: build first" >&2; exit 1; }
QT_QPA_PLATFORM=offscreen "$display" "$dll" "$work" "${DISPLAY_RECORDS:-100000}"
