#!/usr/bin/env bash
# Times galleon's details view of folders of 1,000 and 10,000 files against
# nginx's autoindex of the same folders, with wrk in the same run (keep-alive,
# CONNS connections, DURATION seconds each). Prints pages per second, page
# sizes and the ratios. Needs a build (./test.sh, or BUILD=build/<cfg>).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${BUILD:-$root/build/release}
duration=${DURATION:-10}
conns=${CONNS:-4}
"$root/tools/install-deps.sh" "$here/http-packages.txt"

dist=$build/dist
runner=$build/bench/galleon_serve
[[ -f $dist/ext/galleon.dll && -x $runner ]] || { echo "no galleon build in $build: build first (./test.sh)" >&2; exit 1; }

work=$(mktemp -d /tmp/bench-listing-XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
free_port() { python3 -c 'import socket;s=socket.socket();s.bind(("127.0.0.1",0));print(s.getsockname()[1])'; }
gport=$(free_port)
nport=$(free_port)

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
cat > "$work/cradle.ini" <<INI
[photo]
Port=$gport
ListenAddress=127.0.0.1
AccessLogging=0
INI
mkdir -p "$work/nginx/logs" "$work/nginx/tmp"
cat > "$work/nginx/nginx.conf" <<NGINX
worker_processes auto;
pid $work/nginx/nginx.pid;
error_log $work/nginx/logs/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  keepalive_requests 100;
  client_body_temp_path $work/nginx/tmp;
  proxy_temp_path $work/nginx/tmp;
  fastcgi_temp_path $work/nginx/tmp;
  uwsgi_temp_path $work/nginx/tmp;
  scgi_temp_path $work/nginx/tmp;
  server {
    listen 127.0.0.1:$nport;
    root $work/Collections;
    autoindex on;
    autoindex_exact_size off;
    autoindex_localtime on;
  }
}
NGINX

"$runner" "$dist/ext/galleon.dll" "$work/cradle.ini" & pids+=($!)
nginx -c "$work/nginx/nginx.conf" -g 'daemon off;' 2>/dev/null & pids+=($!)
for _ in $(seq 100); do
  curl -sf -o /dev/null "http://127.0.0.1:$gport/Files1000/" &&
    curl -sf -o /dev/null "http://127.0.0.1:$nport/Files1000/" && break
  sleep 0.1
done

measure() {  # url -> "requests/s bytes/s errors"
  wrk -t 2 -c "$conns" -d "${duration}s" -H 'Connection: Keep-Alive' -s "$here/wrk-report.lua" "$1" 2>/dev/null |
    awk '/^RESULT/ {print $2, $3, $4}'
}

printf '%-14s %14s %12s %14s %12s %8s\n' folder "galleon pg/s" "galleon KB" "nginx pg/s" "nginx KB" ratio
for n in 1000 10000; do
  gurl="http://127.0.0.1:$gport/Files$n/?list=details&sortcol=name&sortdir=asc"
  nurl="http://127.0.0.1:$nport/Files$n/"
  gsize=$(curl -s "$gurl" | wc -c)
  nsize=$(curl -s "$nurl" | wc -c)
  rows=$(curl -s "$gurl" | grep -o 'class="row" align="right"' | wc -l)
  [[ $rows -eq $n ]] || { echo "galleon lists $rows files of $n" >&2; exit 1; }
  read -r greq _ gerr < <(measure "$gurl")
  read -r nreq _ nerr < <(measure "$nurl")
  awk -v l="$n files" -v gr="$greq" -v nr="$nreq" -v gs="$gsize" -v ns="$nsize" 'BEGIN {
    printf "%-14s %14.1f %12.0f %14.1f %12.0f %8.2f\n", l, gr, gs / 1024, nr, ns / 1024, (nr > 0 ? gr / nr : 0) }'
done
echo "ratio: galleon pages per second / nginx pages per second (galleon's pages carry icons, types and dates)"
