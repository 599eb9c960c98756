#!/usr/bin/env bash
# Times galleon's details view of folders of 1,000 and 10,000 files against
# nginx's autoindex of the same folders, with wrk in the same run (keep-alive,
# CONNS connections, DURATION seconds each). Prints pages per second, page
# sizes and the ratios. Needs a build (./test.sh, or BUILD=build/<cfg>).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
duration=${DURATION:-10}
conns=${CONNS:-4}
bench_init listing http-packages.txt

python3 - "$work/Collections" <<'PY'
import os, sys
base = sys.argv[1]
kinds = ["jpg", "txt", "pdf", "zip", "mp3", "png"]
for n in (1000, 10000):
    d = os.path.join(base, f"Files{n}")
    os.makedirs(d)
    for i in range(n):
        with open(os.path.join(d, f"Document {i:05d}.{kinds[i % len(kinds)]}"), "wb") as f:
            f.write(b"x" * (i * 37 % 5000))
PY
start_servers "" "autoindex on; autoindex_exact_size off; autoindex_localtime on;" /Files1000/

printf '%-14s %14s %12s %14s %12s %8s\n' folder "galleon pg/s" "galleon KB" "nginx pg/s" "nginx KB" ratio
for n in 1000 10000; do
  gurl="http://127.0.0.1:$gport/Files$n/?list=details&sortcol=name&sortdir=asc"
  nurl="http://127.0.0.1:$nport/Files$n/"
  gsize=$(curl -s "$gurl" | wc -c)
  nsize=$(curl -s "$nurl" | wc -c)
  rows=$(curl -s "$gurl" | grep -o 'class="row" align="right"' | wc -l)
  [[ $rows -eq $n ]] || { echo "galleon lists $rows files of $n" >&2; exit 1; }
  read -r greq _ gerr < <(wrk_measure "$gurl" "$conns")
  read -r nreq _ nerr < <(wrk_measure "$nurl" "$conns")
  awk -v l="$n files" -v gr="$greq" -v nr="$nreq" -v gs="$gsize" -v ns="$nsize" 'BEGIN {
    printf "%-14s %14.1f %12.0f %14.1f %12.0f %8.2f\n", l, gr, gs / 1024, nr, ns / 1024, (nr > 0 ? gr / nr : 0) }'
done
echo "ratio: galleon pages per second / nginx pages per second (galleon's pages carry icons, types and dates)"
