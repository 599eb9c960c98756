#!/usr/bin/env bash
# Soak test of galleon under a mixed hostile load, by hand:
#   bench/soak.sh [SECONDS]      (default 300)
# Runs the sanitizer build (BUILD, default build/asan) on loopback and keeps 64
# clients busy for the whole time with a mix of file downloads, listings,
# thumbnails, wrong passwords for a protected collection and slow clients
# (a request sent a few bytes at a time). Prints the answered requests, the
# failed answers (wrong status, cut or missing answer, refused connection) by
# kind, and galleon's resident memory at start, after the warm-up and at the
# end. Fails when any answer failed or the server died.
set -euo pipefail
BUILD=${BUILD:-$(cd "$(dirname "$0")/.." && pwd)/build/asan}
source "$(dirname "$0")/lib.sh"
duration=${1:-300}
[[ $duration =~ ^[0-9]+$ && $duration -ge 10 ]] || { echo "usage: $0 [SECONDS >= 10]" >&2; exit 2; }
bench_init soak soak-packages.txt

runner=$build/bench/galleon_serve
photos=$build/bench/soak_photos
[[ -f $dist/ext/galleon.dll && -x $runner && -x $photos ]] ||
  { echo "no sanitizer build in $build: cmake --build $build --target galleon galleon_serve soak_photos" >&2; exit 1; }

# Collections: a public one with files, photos and folders, a protected one.
mkdir -p "$work/Collections/Public/folder" "$work/Collections/Private"
for i in $(seq 1 40); do head -c $((i * 997)) /dev/urandom > "$work/Collections/Public/file$i.bin"; done
for i in $(seq 1 20); do echo "note $i" > "$work/Collections/Public/folder/note$i.txt"; done
"$photos" "$work/Collections/Public" 12
echo "private" > "$work/Collections/Private/secret.txt"
python3 - "$work/galleon.dbu" <<'PY'
import struct, sys
record = b"system".ljust(32, b"\0") + b"secret".ljust(16, b"\0") + b"Private".ljust(512, b"\0")
open(sys.argv[1], "wb").write(struct.pack("<i", 560) + record)
PY
port=$(free_port)
cat > "$work/cradle.ini" <<INI
[photo]
Port=$port
ListenAddress=127.0.0.1
AccessLogging=1
Timeout=10
Public=Photo
INI
# A small quarantine: the default one (256 MB of freed blocks held back)
# would fill during the run and read as growth of the server.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:detect_odr_violation=0:quarantine_size_mb=16}
"$runner" "$dist/ext/galleon.dll" "$work/cradle.ini" 2>"$work/server.err" & pids+=($!)
gpid=$!
for _ in $(seq 200); do
  curl -sf -o /dev/null "http://127.0.0.1:$port/Public/file1.bin" && break
  sleep 0.1
done
curl -sf -o /dev/null "http://127.0.0.1:$port/Public/file1.bin" || { echo "galleon did not start" >&2; cat "$work/server.err" >&2; exit 1; }

result=0
python3 - "$port" "$gpid" "$duration" "$work/Collections/Public" <<'PY' || result=$?
import asyncio, base64, os, random, sys, time

port, pid, duration, public = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
CLIENTS = 64
sizes = {f"/Public/{n}": os.path.getsize(os.path.join(public, n)) for n in os.listdir(public) if n.endswith(".bin")}
photos = [n for n in os.listdir(public) if n.endswith(".jpg")]
wrong = base64.b64encode(b"user:wrong").decode()

def rss():
    with open(f"/proc/{pid}/status") as f:
        return next(int(l.split()[1]) for l in f if l.startswith("VmRSS")) / 1024

# Each kind: how to ask, and the status that is the right answer.
def request(kind):
    if kind == "file":
        path = random.choice(list(sizes))
        return f"GET {path} HTTP/1.0\r\nUser-Agent: soak\r\n\r\n".encode(), 200, sizes[path]
    if kind == "listing":
        view = random.choice(["details", "icons", "filmstrip", "list", "preview"])
        return f"GET /Public/?list={view} HTTP/1.0\r\n\r\n".encode(), 200, None
    if kind == "thumbnail":
        return f"GET /cif:/Public/{random.choice(photos)} HTTP/1.0\r\n\r\n".encode(), 200, None
    if kind == "password":
        return f"GET /Private/secret.txt HTTP/1.0\r\nAuthorization: Basic {wrong}\r\n\r\n".encode(), 401, None
    return f"GET /Public/folder/note{random.randint(1, 20)}.txt HTTP/1.0\r\n\r\n".encode(), 200, None

KINDS = ["file"] * 4 + ["listing"] * 2 + ["thumbnail"] * 2 + ["password"] + ["slow"]
answered = {k: 0 for k in set(KINDS)}
failed = {k: 0 for k in set(KINDS)}
reasons = {}

async def one(kind):
    data, want, length = request(kind)
    reader, writer = await asyncio.open_connection("127.0.0.1", port)
    try:
        if kind == "slow":  # a few bytes every 100 ms, well inside any time-out
            for i in range(0, len(data), 8):
                writer.write(data[i:i + 8])
                await writer.drain()
                await asyncio.sleep(0.1)
        else:
            writer.write(data)
            await writer.drain()
        answer = await asyncio.wait_for(reader.read(-1), 60)
    finally:
        writer.close()
    head, _, body = answer.partition(b"\r\n\r\n")
    status = int(head.split(b" ", 2)[1]) if head.startswith(b"HTTP/1.") else 0
    if status != want:
        return f"status {status}, not {want}"
    if length is not None and len(body) != length:
        return f"{len(body)} bytes, not {length}"
    return None

async def client(deadline):
    while time.monotonic() < deadline:
        kind = random.choice(KINDS)
        try:
            problem = await one(kind)
        except Exception as e:  # refused, reset, time-out
            problem = type(e).__name__
        if problem:
            failed[kind] += 1
            reasons[f"{kind}: {problem}"] = reasons.get(f"{kind}: {problem}", 0) + 1
        else:
            answered[kind] += 1

async def main():
    start_rss = rss()
    start = time.monotonic()
    deadline = start + duration
    tasks = [asyncio.create_task(client(deadline)) for _ in range(CLIENTS)]
    await asyncio.sleep(min(30, duration / 10))
    warm_rss = rss()
    await asyncio.gather(*tasks)
    elapsed = time.monotonic() - start
    end_rss = rss()
    total_ok, total_failed = sum(answered.values()), sum(failed.values())
    print(f"{CLIENTS} clients for {elapsed:.0f} s against the sanitizer build")
    print(f"{'kind':<10} {'answered':>9} {'failed':>7}")
    for k in sorted(answered):
        print(f"{k:<10} {answered[k]:>9} {failed[k]:>7}")
    print(f"{'all':<10} {total_ok:>9} {total_failed:>7}   ({total_ok / elapsed:.0f} answered requests/s)")
    for r, n in sorted(reasons.items(), key=lambda x: -x[1])[:10]:
        print(f"  failed: {r} ({n}x)")
    growth = (end_rss - warm_rss) / warm_rss * 100
    print(f"resident memory: start {start_rss:.1f} MiB, after warm-up {warm_rss:.1f} MiB, end {end_rss:.1f} MiB "
          f"({growth:+.1f} % since warm-up)")
    sys.exit(1 if total_failed else 0)

asyncio.run(main())
PY
# The server must still run, then stop cleanly without a sanitizer report.
kill -0 "$gpid" 2>/dev/null || { echo "galleon died:" >&2; tail -40 "$work/server.err" >&2; exit 1; }
kill -TERM "$gpid"
wait "$gpid" || { echo "galleon stopped with status $?" >&2; result=1; }
if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error' "$work/server.err"; then
  echo "sanitizer reports:" >&2
  grep -E -A12 'ERROR: (Address|Leak)Sanitizer|runtime error' "$work/server.err" | head -60 >&2
  result=1
else
  echo "sanitizer reports: none"
fi
exit $result
