#!/usr/bin/env bash
# The host program in a copy of the program directory, with both plug-ins,
# on a private session bus with a status notifier watcher:
#   - time from start to the tray icon registered and the photo share server
#     answering (aim: under 300 ms), against the start of python3's
#     http.server to its first answer in the same run;
#   - resident memory of the running host with no window open (aim: at most
#     60 MiB), against that http.server;
#   - CPU used while idle over IDLE seconds (default 60; aim: under 0.1 %),
#     against that http.server idle over the same time.
# Needs a build (./run.sh or ./test.sh, or BUILD=build/<cfg>). RUNS starts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build/release}
dist=$build/dist
[[ -x $dist/cradle && -f $dist/ext/galleon.dll ]] || { echo "no cradle build in $build: run ./run.sh first" >&2; exit 1; }
work=$(mktemp -d /tmp/bench-host-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A private bus and the watcher the tray icon registers with.
export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
dbus-daemon --session --nofork --print-address=3 --address="unix:path=$work/bus" 3>"$work/bus.addr" &
pids+=($!)
while [[ ! -s $work/bus.addr ]]; do sleep 0.01; done
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus.addr")
# Debian's python3 (python3-dbus, python3-gi), whatever else is on PATH.
py=/usr/bin/python3
"$py" "$root/tests/shell/bus_doubles.py" watcher > "$work/watcher.out" &
pids+=($!)
for _ in $(seq 1000); do grep -q ready "$work/watcher.out" 2>/dev/null && break; sleep 0.01; done
grep -q ready "$work/watcher.out" || { echo "the status notifier watcher did not start" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen

cp -a "$dist" "$work/prog"
rm -f "$work/prog/galleon.dbu" "$work/prog/galleon.log"

# Milliseconds from the start of a command to its readiness (poll every 2 ms).
"$py" - "$work" "${RUNS:-5}" "${IDLE:-60}" <<'PY'
import os, socket, subprocess, sys, time
work, runs, idle = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
prog = os.path.join(work, "prog")

def free_port():
    s = socket.socket(); s.bind(("127.0.0.1", 0)); p = s.getsockname()[1]; s.close(); return p

def answers(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.05) as s:
            s.sendall(b"GET / HTTP/1.0\r\n\r\n")
            return s.recv(12).startswith(b"HTTP/1.")
    except OSError:
        return False

def tray_registered():
    out = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.kde.StatusNotifierWatcher",
                          "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties.Get",
                          "string:org.kde.StatusNotifierWatcher", "string:RegisteredStatusNotifierItems"],
                         capture_output=True, text=True).stdout
    return "string \"" in out

def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"): return int(line.split()[1])
    return 0

def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

def start_host():
    port = free_port()
    ini = os.path.join(prog, "cradle.ini")
    text = open(ini).read()
    import re
    text = re.sub(r"(?m)^Port=.*$", f"Port={port}", text)
    open(ini, "w").write(text)
    t0 = time.perf_counter()
    p = subprocess.Popen([os.path.join(prog, "cradle")], cwd=prog, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    tray = served = None
    while tray is None or served is None:
        now = time.perf_counter()
        if served is None and answers(port): served = now
        if tray is None and tray_registered(): tray = now
        if now - t0 > 30: raise SystemExit("the host did not come up within 30 s")
        time.sleep(0.002)
    return p, (max(tray, served) - t0) * 1000

def start_peer():
    port = free_port()
    t0 = time.perf_counter()
    p = subprocess.Popen([sys.executable, "-m", "http.server", str(port), "--bind", "127.0.0.1"], cwd=work,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    while not answers(port):
        if time.perf_counter() - t0 > 30: raise SystemExit("the peer did not come up")
        time.sleep(0.002)
    return p, (time.perf_counter() - t0) * 1000

def stop(p):
    p.send_signal(2); p.wait(10)

host_ms, peer_ms = [], []
for _ in range(runs):
    p, ms = start_host(); host_ms.append(ms); stop(p)
    p, ms = start_peer(); peer_ms.append(ms); stop(p)
host_ms.sort(); peer_ms.sort()
h, q = host_ms[len(host_ms) // 2], peer_ms[len(peer_ms) // 2]
print(f"start to tray icon and server answering: host {h:.0f} ms (median of {runs}; aim < 300), "
      f"python3 http.server to its first answer {q:.0f} ms, ratio {h / q:.2f}")

host, _ = start_host()
peer, _ = start_peer()
time.sleep(2)
hr, pr = rss_kib(host.pid), rss_kib(peer.pid)
print(f"resident memory, no window open: host {hr / 1024:.1f} MiB (aim <= 60), "
      f"python3 http.server {pr / 1024:.1f} MiB, ratio {hr / pr:.2f}")
h0, p0, t0 = cpu_seconds(host.pid), cpu_seconds(peer.pid), time.perf_counter()
time.sleep(idle)
span = time.perf_counter() - t0
hc, pc = (cpu_seconds(host.pid) - h0) / span * 100, (cpu_seconds(peer.pid) - p0) / span * 100
ratio = f"{hc / pc:.2f}" if pc > 0 else "n/a (the peer used no measurable CPU)"
print(f"CPU while idle over {span:.0f} s: host {hc:.3f} % (aim < 0.1), python3 http.server {pc:.3f} %, ratio {ratio}")
stop(host); stop(peer)
PY
