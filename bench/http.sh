#!/usr/bin/env bash
# Serves one folder with galleon and with nginx on loopback and measures both
# with wrk in the same run: a 4 KiB file and a 5 MB JPEG, keep-alive, 1 and 64
# connections, 10 s each. Prints requests per second, transfer rate and the
# ratio galleon/nginx for each case, and galleon's resident memory with 64
# open connections. Needs a build (./test.sh, or BUILD=build/<cfg>).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
duration=${DURATION:-10}
bench_init http http-packages.txt

# The same files for both servers.
mkdir -p "$work/Collections/Bench"
head -c 4096 /dev/urandom > "$work/Collections/Bench/small.bin"
python3 - "$work/Collections/Bench/photo.jpg" <<'PY'
import os, sys
# A file of 5 MB that starts like a JPEG; the servers only send its bytes.
with open(sys.argv[1], "wb") as f:
    f.write(b"\xff\xd8\xff\xe0" + os.urandom(5 * 1000 * 1000 - 6) + b"\xff\xd9")
PY
start_servers "sendfile on; tcp_nopush on; types { image/jpeg jpg; application/octet-stream bin; }" "" /Bench/small.bin

# Both servers must answer the same bytes before they are compared.
for file in small.bin photo.jpg; do
  want=$(stat -c %s "$work/Collections/Bench/$file")
  for port in "$gport" "$nport"; do
    got=$(curl -s -o /dev/null -w '%{http_code} %{size_download}' "http://127.0.0.1:$port/Bench/$file")
    [[ $got == "200 $want" ]] || { echo "port $port answers /Bench/$file with '$got', not '200 $want'" >&2; exit 1; }
  done
done

printf '%-20s %14s %14s %13s %13s %7s %15s\n' case "galleon req/s" "nginx req/s" "galleon MB/s" "nginx MB/s" ratio "errors g/n"
for file in small.bin photo.jpg; do
  for conns in 1 64; do
    read -r greq gbytes gerr < <(wrk_measure "http://127.0.0.1:$gport/Bench/$file" "$conns")
    read -r nreq nbytes nerr < <(wrk_measure "http://127.0.0.1:$nport/Bench/$file" "$conns")
    label="$([[ $file == small.bin ]] && echo '4 KiB file' || echo '5 MB JPEG'), $conns conn"
    awk -v l="$label" -v gr="$greq" -v nr="$nreq" -v gb="$gbytes" -v nb="$nbytes" -v ge="$gerr" -v ne="$nerr" 'BEGIN {
      printf "%-20s %14.0f %14.0f %13.1f %13.1f %7.2f %7d/%-7d\n", l, gr, nr, gb / 1048576, nb / 1048576, (nr > 0 ? gr / nr : 0), ge, ne }'
  done
done

# Resident memory with 64 open keep-alive connections.
python3 - "$gport" "$gpid" <<'PY'
import socket, sys, time
port, pid = int(sys.argv[1]), sys.argv[2]
conns = []
for _ in range(64):
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(b"GET /Bench/small.bin HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n")
    conns.append(s)
time.sleep(0.5)
for s in conns:
    s.recv(65536)
rss = [l for l in open(f"/proc/{pid}/status") if l.startswith("VmRSS")][0].split()[1]
print(f"galleon resident memory with 64 open connections: {int(rss) / 1024:.1f} MiB")
for s in conns:
    s.close()
PY
