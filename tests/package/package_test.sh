#!/bin/bash
# The Debian package made from the built tree: cpack into a temporary
# directory, the layout and dependencies dpkg-deb shows, and (once the program
# is built) the installed copy started headless by an ordinary user, whose
# data goes to the XDG directories because the program directory is not
# writable: the first start makes the user's cradle.ini and sample collection
# from the shipped ones and serves the samples; a second start keeps what the
# user changed.
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

# The path (with " -> target" for a link) after the five columns before it;
# names may hold blanks.
dpkg-deb -c "$deb" | awk '{ line = $0; for (i = 0; i < 5; i++) sub(/^[^ ]+ +/, "", line); print line }' >"$work/contents"
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
grep -E '(extmod\.ini|\.log$|/tp_|/in_|/ext/.*\.(ini|hlp))' "$work/contents" &&
    fail "run-time data or test files packaged"
# The first-start configuration and the sample collection (photos with their
# thumbnails, small), and no other collection.
has "./usr/lib/cradle/cradle.ini"
grep -E 'Collections' "$work/contents" | grep -vE '^\./usr/lib/cradle/Collections/(Samples/([^/]+)?)?$' &&
    fail "collections other than the samples packaged"
photos=$(grep -cE '^\./usr/lib/cradle/Collections/Samples/[^/]+\.jpg$' "$work/contents")
thumbs=$(grep -cE '^\./usr/lib/cradle/Collections/Samples/[^/]+\.tmb$' "$work/contents")
[ "$photos" -ge 3 ] && [ "$photos" = "$thumbs" ] || fail "sample collection: $photos photos, $thumbs thumbnails"
samples_size=$(dpkg-deb -c "$deb" | awk '$6 ~ /^\.\/usr\/lib\/cradle\/Collections\// { n += $3 } END { print n + 0 }')
[ "$samples_size" -le 524288 ] || fail "the sample collection takes $samples_size bytes"
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
    # An ordinary user with a home of its own and no configuration yet, no
    # display, no bus: as root, nobody; otherwise this user, with the program
    # directory made read-only.
    user_home=$work/home
    config=$user_home/config/cradle
    mkdir -p "$user_home/config" "$user_home/data" "$user_home/run"
    # The shipped configuration with a port of this test's own.
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
    shipped_ini=$root/usr/lib/cradle/cradle.ini
    [ "$(grep -c '^Port=' "$shipped_ini")" = 1 ] || fail "the shipped cradle.ini has no single Port"
    sed -i "s/^Port=.*/Port=$port/" "$shipped_ini"
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

    # start_copy LOG: starts the installed copy and waits for its address.
    start_copy() {
        env -i PATH=/usr/bin:/bin HOME="$user_home" XDG_CONFIG_HOME="$user_home/config" \
            XDG_DATA_HOME="$user_home/data" XDG_RUNTIME_DIR="$user_home/run" QT_QPA_PLATFORM=offscreen \
            DBUS_SESSION_BUS_ADDRESS="unix:path=$user_home/no-bus" DBUS_SYSTEM_BUS_ADDRESS="unix:path=$user_home/no-bus" \
            LSAN_OPTIONS="suppressions=$work/lsan.supp:print_suppressions=0" \
            "${as_user[@]}" "$root/usr/bin/cradle" >"$1" 2>&1 &
        child=$!
        for _ in $(seq 1 600); do
            grep -q "http://localhost:$port/" "$1" && return 0
            kill -0 "$child" 2>/dev/null || break
            sleep 0.1
        done
        cat "$1"
        return 1
    }
    # stop_copy: SIGTERM, then the exit status.
    stop_copy() {
        kill -TERM "$child"
        local status=124
        for _ in $(seq 1 300); do
            if ! kill -0 "$child" 2>/dev/null; then wait "$child"; status=$?; break; fi
            sleep 0.1
        done
        child=
        [ $status = 0 ] || fail "exit status $status after SIGTERM"
    }
    # ini_sections FILE: the page layout and defaults of a configuration file.
    ini_sections() {
        python3 - "$1" <<'PY'
import configparser, sys
c = configparser.ConfigParser(allow_no_value=True, strict=False, interpolation=None, delimiters=("=",))
c.optionxform = str
c.read(sys.argv[1])
for s in c.sections():
    if s in ("Categories", "Novice") or s.startswith(("Category-", "Default-")):
        print("[%s] %s" % (s, sorted(c.items(s))))
PY
    }

    # The first start.
    started=0
    start_copy "$work/out.log" && started=1
    [ $started = 1 ] || fail "the installed copy did not print its address"
    [ -f "$config/cradle.ini" ] || fail "no cradle.ini for the new user"
    [ -n "$(ini_sections "$shipped_ini")" ] && [ "$(ini_sections "$config/cradle.ini")" = "$(ini_sections "$shipped_ini")" ] ||
        fail "the new user's cradle.ini lacks the shipped categories and defaults"
    # Tips are read where they are installed, after any of the user's own.
    [ -s "$root/usr/lib/cradle/cradle.tip" ] || fail "no shipped tips"
    [ -z "$(find "$config" -maxdepth 1 -name '*.tip' -print -quit)" ] || fail "tips copied to the user"
    # (galleon adds its own entries to Collections/ itself.)
    (cd "$config/Collections/Samples" 2>/dev/null && find . | sort) >"$work/user-samples"
    (cd "$root/usr/lib/cradle/Collections/Samples" && find . | sort) >"$work/shipped-samples"
    cmp -s "$work/user-samples" "$work/shipped-samples" ||
        fail "the new user has not the shipped samples: $(diff "$work/shipped-samples" "$work/user-samples")"
    if [ $started = 1 ]; then
        page=$(curl -s -m 10 "http://localhost:$port/Samples/") || fail "no sample collection page"
        thumb=$(printf '%s' "$page" | grep -o '/cif:/Samples/[^"]*\.jpg' | head -n 1)
        if [ -n "$thumb" ]; then
            status=$(curl -s -m 10 -o "$work/thumb.jpg" -w '%{http_code} %{content_type}' "http://localhost:$port${thumb// /%20}")
            [ "$status" = "200 image/jpeg" ] || fail "thumbnail answered $status"
            [ "$(head -c 2 "$work/thumb.jpg" | od -An -tx1 | tr -d ' ')" = "ffd8" ] || fail "the thumbnail is not a JPEG picture"
        else
            fail "the sample collection's page has no thumbnail"
        fi
    fi
    [ -n "$child" ] && stop_copy
    [ -d "$user_home/data/cradle/ext" ] || fail "no plug-in directory for the user"

    # The user changes the settings and removes a sample; the second start
    # keeps both.
    printf '\n[Check]\nKept=1\n' >>"$config/cradle.ini"
    sed -i '0,/^ExpertMode=0$/s//ExpertMode=1/' "$config/cradle.ini"
    removed=$(find "$config/Collections/Samples" -name '*.jpg' | head -n 1)
    rm -f "$removed"
    [ "$(id -u)" = 0 ] && chown 65534:65534 "$config/cradle.ini"
    if start_copy "$work/out2.log"; then stop_copy; else fail "the second start did not print its address"; fi
    grep -qx "Kept=1" "$config/cradle.ini" && grep -qx "ExpertMode=1" "$config/cradle.ini" ||
        fail "the second start replaced the user's cradle.ini"
    [ -n "$removed" ] && [ ! -e "$removed" ] || fail "the second start brought a removed sample back"

    after=$(cd "$root" && find . | sort)
    [ "$before" = "$after" ] || fail "the installed copy wrote into its own directory"
fi

[ $failures = 0 ] && echo "package: all checks passed"
exit $((failures > 0))
