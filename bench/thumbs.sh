#!/usr/bin/env bash
# Makes a set of 12-megapixel JPEGs and times, in one run, galleon's thumbnail
# maker against ImageMagick's "convert -thumbnail 94x94" and libvips'
# "vipsthumbnail -s 94" on the same files: one process per photo for each, the
# best of ROUNDS rounds. Prints milliseconds per photo and the ratios.
# Needs a build (./test.sh, or BUILD=build/<cfg>).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
photos=${PHOTOS:-8}
rounds=${ROUNDS:-3}
bench_init thumbs thumbs-packages.txt

maker=$build/bench/thumbmaker/thumbmaker
[[ -x $maker ]] || { echo "no $maker: build first (./test.sh)" >&2; exit 1; }
mkdir -p "$work/photos" "$work/out"
echo "making $photos photos of 4000 x 3000..."
"$maker" make "$work/photos" "$photos"

run() {  # tool -> seconds for all photos, best of the rounds
  local best=""
  for _ in $(seq "$rounds"); do
    rm -f "$work"/photos/*.tmb "$work"/out/*
    local start end i=0
    start=$(date +%s.%N)
    for f in "$work"/photos/*.jpg; do
      i=$((i + 1))
      case $1 in
        galleon) "$maker" "$f" "$work/out/$i.jpg" ;;
        convert) convert "$f" -thumbnail 94x94 "$work/out/$i.jpg" ;;
        vips) vipsthumbnail "$f" -s 94 -o "$work/out/$i.jpg" ;;
      esac
    done
    end=$(date +%s.%N)
    best=$(awk -v a="$start" -v b="$end" -v best="$best" 'BEGIN { t = b - a; print (best == "" || t < best) ? t : best }')
  done
  # Every tool must make the same thumbnail: 94 x 70.5 rounds either way.
  local size
  size=$(identify -format '%wx%h\n' "$work/out/1.jpg")
  [[ $size == 94x70 || $size == 94x71 ]] || { echo "$1 made a $size thumbnail, not 94x70" >&2; exit 1; }
  echo "$best"
}

g=$(run galleon)
c=$(run convert)
v=$(run vips)
awk -v g="$g" -v c="$c" -v v="$v" -v n="$photos" 'BEGIN {
  printf "%-34s %10s %12s\n", "tool (one process per photo)", "ms/photo", "vs galleon"
  printf "%-34s %10.1f %12s\n", "galleon thumbnail maker", g * 1000 / n, "1.00"
  printf "%-34s %10.1f %11.2fx\n", "convert -thumbnail 94x94", c * 1000 / n, c / g
  printf "%-34s %10.1f %11.2fx\n", "vipsthumbnail -s 94", v * 1000 / n, v / g
  printf "ratios: convert/galleon %.2f, vipsthumbnail/galleon %.2f (above 1: galleon is faster)\n", c / g, v / g
}'
