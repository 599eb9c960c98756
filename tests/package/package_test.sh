#!/bin/bash
# The Debian package made from the built tree: cpack into a temporary
# directory, the layout and dependencies dpkg-deb shows, and (once the program
# is built) the installed copy started headless by an ordinary user, whose
# data goes to the XDG directories because the program directory is not
# writable.
#   package_test.sh BUILD_DIR CPACK WITH_PROGRAM(0|1) LSAN_SUPPRESSIONS
set -u
build=$1
cpack=$2
with_program=$3
lsan_suppressions=$4

work=$(mktemp -d /tmp/cradle-package-XXXXXX)
child=
cleanup() {
    [ -n "$child" ] && kill -KILL "$child" 2>/dev/null
    chmod -R u+w "$work" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

(cd "$work" && "$cpack" -G DEB -B "$work/out" --config "$build/CPackConfig.cmake") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/out/*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAIL: no package"; exit 1; }

dpkg-deb -c "$deb" | awk '{ path = $6; if ($7 == "->") path = path " -> " $8; print path }' >"$work/contents"
has() { grep -qxF -- "$1" "$work/contents" || fail "missing $1"; }

has "./usr/bin/cradle -> ../lib/cradle/cradle"
has "./usr/lib/cradle/libplatform.so"
has "./usr/lib/cradle/libplatformui.so"
has "./usr/lib/cradle/keystone.dll"
has "./usr/lib/systemd/user/Skyloom.service"
has "./usr/lib/systemd/system/Skyloom.service"
has "./usr/share/applications/cradle.desktop"
has "./etc/xdg/autostart/cradle.desktop"
for size in 16 22 24 32 48 64 128 256; do
    has "./usr/share/icons/hicolor/${size}x${size}/apps/cradle.png"
done
# Every product of the build's program directory is in the program directory.
(cd "$build/dist" && find . -type f \( -name '*.so' -o -name '*.dll' -o -name '*.DLL' -o -name '*.ocx' \
    -o -name '*.hlp' -o -name '*.tip' -o -name '*.html' -o -name cradle -o -name logreader \) \
    -not -path './Collections/*') |
    while read -r file; do
        grep -qxF "./usr/lib/cradle/${file#./}" "$work/contents" || echo "missing product ${file#./}"
    done >"$work/missing"
[ -s "$work/missing" ] && fail "$(cat "$work/missing")"
# Nothing a run of the build's copy leaves behind, nothing of the tests.
grep -E '(extmod\.ini|\.log$|Collections|/tp_|/in_|/ext/.*\.(ini|hlp))' "$work/contents" &&
    fail "run-time data or test files packaged"
[ "$with_program" = 1 ] && has "./usr/lib/cradle/cradle"

depends=$(dpkg-deb -f "$deb" Depends)
for dep in libc6 libstdc++6 libqt6widgets6 libsystemd0; do
    [[ ",$depends," == *", $dep "* || ",$depends," == *",$dep "* ]] || fail "Depends lacks $dep: $depends"
done
dpkg-deb -I "$deb" postinst >/dev/null 2>&1 || fail "no postinst"
[ "$(dpkg-deb -I "$deb" conffiles 2>/dev/null)" = "/etc/xdg/autostart/cradle.desktop" ] || fail "conffiles"

root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
for unit in user system; do
    grep -qx "Type=notify" "$root/usr/lib/systemd/$unit/Skyloom.service" || fail "$unit unit is not Type=notify"
done
grep -qx "WantedBy=graphical-session.target" "$root/usr/lib/systemd/user/Skyloom.service" || fail "user unit"
grep -qx "PartOf=graphical-session.target" "$root/usr/lib/systemd/user/Skyloom.service" || fail "user unit binding"

if [ "$with_program" = 1 ] && [ -x "$root/usr/lib/cradle/cradle" ]; then
    # An ordinary user with a home of its own, no display, no bus: as root,
    # nobody; otherwise this user, with the program directory made read-only.
    user_home=$work/home
    mkdir -p "$user_home/config/cradle" "$user_home/data" "$user_home/run"
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
    printf '[photo]\nPort=%s\n' "$port" >"$user_home/config/cradle/cradle.ini"
    chmod 755 "$work"
    chmod -R a+rX "$root"
    chmod 700 "$user_home/run"
    as_user=()
    if [ "$(id -u)" = 0 ]; then
        chown -R 65534:65534 "$user_home"
        as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    else
        chmod -R a-w "$root/usr/lib/cradle"
    fi
    # The leak checker's list must be readable by that user, wherever the
    # source tree lies (a home directory of mode 0700, say).
    cp "$lsan_suppressions" "$work/lsan.supp" && chmod 644 "$work/lsan.supp"
    before=$(cd "$root" && find . | sort)
    env -i PATH=/usr/bin:/bin HOME="$user_home" XDG_CONFIG_HOME="$user_home/config" \
        XDG_DATA_HOME="$user_home/data" XDG_RUNTIME_DIR="$user_home/run" QT_QPA_PLATFORM=offscreen \
        DBUS_SESSION_BUS_ADDRESS="unix:path=$user_home/no-bus" DBUS_SYSTEM_BUS_ADDRESS="unix:path=$user_home/no-bus" \
        LSAN_OPTIONS="suppressions=$work/lsan.supp:print_suppressions=0" \
        "${as_user[@]}" "$root/usr/bin/cradle" >"$work/out.log" 2>&1 &
    child=$!
    started=0
    for _ in $(seq 1 600); do
        if grep -q "http://localhost:$port/" "$work/out.log"; then started=1; break; fi
        kill -0 "$child" 2>/dev/null || break
        sleep 0.1
    done
    [ $started = 1 ] || { cat "$work/out.log"; fail "the installed copy did not print its address"; }
    kill -TERM "$child"
    status=124
    for _ in $(seq 1 300); do
        if ! kill -0 "$child" 2>/dev/null; then wait "$child"; status=$?; break; fi
        sleep 0.1
    done
    child=
    [ $status = 0 ] || fail "exit status $status after SIGTERM"
    after=$(cd "$root" && find . | sort)
    [ "$before" = "$after" ] || fail "the installed copy wrote into its own directory"
    [ -n "$(find "$user_home/config/cradle" "$user_home/data" -newer "$user_home/config/cradle/cradle.ini" -print -quit)" ] ||
        fail "nothing written to the user's XDG directories"
fi

[ $failures = 0 ] && echo "package: all checks passed"
exit $((failures > 0))
