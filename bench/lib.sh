# Shared set-up of the benchmarks: sourced, not run.
# bench_init NAME PACKAGES: paths, Debian packages, a work directory removed at exit.
bench_init() {
  here=$(cd "$(dirname "${BASH_SOURCE[1]}")" && pwd)
  root=$(cd "$here/.." && pwd)
  build=${BUILD:-$root/build/release}
  dist=$build/dist
  "$root/tools/install-deps.sh" "$here/$2"
  work=$(mktemp -d "/tmp/bench-$1-XXXXXX")
  chmod 755 "$work"  # nginx's workers run as an unprivileged user
  pids=()
  trap bench_cleanup EXIT
}

bench_cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}

free_port() { python3 -c 'import socket;s=socket.socket();s.bind(("127.0.0.1",0));print(s.getsockname()[1])'; }

# start_servers: galleon serving $work/Collections on $gport (pid in $gpid) and
# nginx on $nport with the http-level directives given as $1 and the
# server-level ones as $2; waits until both answer the path $3.
start_servers() {
  local runner=$build/bench/galleon_serve
  [[ -f $dist/ext/galleon.dll && -x $runner ]] || { echo "no galleon build in $build: build first (./test.sh)" >&2; exit 1; }
  gport=$(free_port)
  nport=$(free_port)
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
  $1
  server {
    listen 127.0.0.1:$nport;
    root $work/Collections;
    $2
  }
}
NGINX
  "$runner" "$dist/ext/galleon.dll" "$work/cradle.ini" & pids+=($!)
  gpid=$!
  nginx -c "$work/nginx/nginx.conf" -g 'daemon off;' 2>/dev/null & pids+=($!)
  for _ in $(seq 100); do
    curl -sf -o /dev/null "http://127.0.0.1:$gport$3" &&
      curl -sf -o /dev/null "http://127.0.0.1:$nport$3" && return 0
    sleep 0.1
  done
  echo "the servers did not answer $3" >&2
  exit 1
}

# wrk_measure URL CONNECTIONS -> "requests/s bytes/s errors". wrk sends
# HTTP/1.1 without "Connection: Keep-Alive"; galleon speaks HTTP/1.0 and keeps
# a connection open only when asked, so both servers get the header.
wrk_measure() {
  wrk -t "$(( $2 < 2 ? 1 : 2 ))" -c "$2" -d "${duration}s" -H 'Connection: Keep-Alive' \
    -s "$here/wrk-report.lua" "$1" 2>/dev/null | awk '/^RESULT/ {print $2, $3, $4}'
}
