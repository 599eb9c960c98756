#!/bin/bash
# ./run.sh started headless in a scratch program directory: it prints the
# address of the photo share server, a page and a thumbnail of the sample
# collection are fetched from it, and SIGINT closes it cleanly within two
# seconds.
#   run_test.sh SOURCE_DIR
set -u
source_dir=$1
work=$(mktemp -d /tmp/cradle-runsh-XXXXXX)
child=
cleanup() {
    [ -n "$child" ] && kill -KILL "$child" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/out.log" ] && tail -20 "$work/out.log"; exit 1; }

# The program directory's copy, with a port of its own and no display or bus.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$work/dist" && cp -a "$source_dir/build/release/dist/." "$work/dist/" || fail "no program directory"
rm -f "$work/dist/galleon.dbu" "$work/dist/galleon.log" "$work/dist/logbook.log"*
python3 - "$work/dist/cradle.ini" "$port" <<'PY'
import sys
path, port = sys.argv[1], sys.argv[2]
lines = open(path).read().splitlines()
out, in_photo, done = [], False, False
for line in lines:
    if line.strip().startswith('['):
        if in_photo and not done:
            out.append('Port=' + port); done = True
        in_photo = line.strip().lower() == '[photo]'
    if in_photo and line.split('=')[0].strip().lower() == 'port':
        continue
    out.append(line)
if in_photo and not done:
    out.append('Port=' + port); done = True
if not done:
    out += ['[photo]', 'Port=' + port]
open(path, 'w').write('\n'.join(out) + '\n')
PY
mkdir -m 700 "$work/run"
env RUN_DIR="$work/dist" QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/run" \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" "$source_dir/run.sh" >"$work/out.log" 2>&1 &
child=$!
for _ in $(seq 1 1200); do
    grep -q "http://localhost:$port/" "$work/out.log" && break
    kill -0 "$child" 2>/dev/null || fail "run.sh ended before it printed the address"
    sleep 0.1
done
grep -q "http://localhost:$port/" "$work/out.log" || fail "no address printed"

page=$(curl -s -m 10 "http://localhost:$port/Samples/") || fail "no page"
thumb=$(printf '%s' "$page" | grep -o '/cif:/Samples/[^"]*\.jpg' | head -n 1)
[ -n "$thumb" ] || fail "the sample collection's page has no thumbnail"
curl -s -m 10 -o "$work/thumb.jpg" -w '%{http_code} %{content_type}' "http://localhost:$port$thumb" >"$work/thumb.status"
[ "$(cat "$work/thumb.status")" = "200 image/jpeg" ] || fail "thumbnail answered $(cat "$work/thumb.status")"
[ "$(head -c 2 "$work/thumb.jpg" | od -An -tx1 | tr -d ' ')" = "ffd8" ] || fail "the thumbnail is not a JPEG picture"

start=$(date +%s%N)
kill -INT "$child"
status=124
for _ in $(seq 1 50); do
    if ! kill -0 "$child" 2>/dev/null; then wait "$child"; status=$?; break; fi
    sleep 0.05
done
elapsed=$((($(date +%s%N) - start) / 1000000))
child=
[ $status = 0 ] || fail "exit status $status after SIGINT"
[ $elapsed -le 2500 ] || fail "closing took $elapsed ms"
echo "run.sh: address printed, page and thumbnail served, closed in $elapsed ms"
