#!/usr/bin/env bash
# User-interface benchmarks, each against Qt used directly in the same run.
# Needs a build (./test.sh, or BUILD=build/<cfg>); run by hand.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD:-$here/../build/release}

# Graphics: an owner-drawn item (fill, frame, icon, centred text with a
# prefix and a tab, focus rectangle, one text measurement) drawn through the
# GDI calls and through QPainter directly. Ratio = GDI time / Qt time.
echo "== graphics =="
[[ -x $build/bench/ui_gdi/gdibench ]] || { echo "no gdibench in $build: build first" >&2; exit 1; }
QT_QPA_PLATFORM=offscreen "$build/bench/ui_gdi/gdibench" "${ITEMS:-20000}"
