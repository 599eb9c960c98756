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

# Dialogs: a dialog of 40 controls made from a template, shown and destroyed,
# against the same dialog built with Qt widgets directly. Ratio = layer / Qt
# (aim: at most 1.5).
echo "== dialogs =="
[[ -x $build/bench/ui_dialog/dlgbench ]] || { echo "no dlgbench in $build: build first" >&2; exit 1; }
QT_QPA_PLATFORM=offscreen "$build/bench/ui_dialog/dlgbench" "${ROUNDS:-200}"

# Memory: resident set of a process that has its windowing state (a hidden
# window, its messages pumped) and shows no window (aim: at most 40 MiB),
# beside a process that does the same with Qt alone.
echo "== resident memory, no window shown =="
layer_kib=$(QT_QPA_PLATFORM=offscreen "$build/bench/ui_dialog/dlgbench" rss | awk '{print $2}')
qt_kib=$(QT_QPA_PLATFORM=offscreen "$build/bench/ui_dialog/dlgbench" rss-qt | awk '{print $2}')
awk -v l="$layer_kib" -v q="$qt_kib" 'BEGIN { printf "%-40s %8.1f MiB\n%-40s %8.1f MiB\n", "layer (hidden window)", l/1024, "qt alone (hidden widget)", q/1024 }'
