#!/usr/bin/env bash
# The real launcher as a screen reader sees it: under Xvfb with a D-Bus session and the
# accessibility bus, pyatspi finds it by its name, reads its window, heading, text and button, and
# presses the button through its "click" action, which starts the stand-in manager application.
# Usage: run_launcher_screen_reader_test.sh LAUNCHER. Exits 77 (skipped) when Xvfb, dbus-run-session,
# the accessibility bus or pyatspi cannot be had (as root it installs the missing ones first).
set -euo pipefail

launcher=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../support/xvfb_session.sh
source "$here/../support/xvfb_session.sh"

bus_launcher=/usr/libexec/at-spi-bus-launcher
# The Debian Python, which has pyatspi, even when another python3 comes first on the PATH.
client_python() {
    local python
    for python in python3 /usr/bin/python3; do
        if command -v "$python" >/dev/null && "$python" -c 'import pyatspi' 2>/dev/null; then
            command -v "$python"
            return 0
        fi
    done
    return 1
}
have_everything() {
    command -v dbus-run-session >/dev/null && [[ -x $bus_launcher ]] && client_python >/dev/null
}

if [[ -z ${VANTREL_IN_DBUS_SESSION:-} ]]; then
    require_tools Xvfb xdotool
    if ! have_everything && ((EUID == 0)) && command -v apt-get >/dev/null; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            dbus at-spi2-core python3-pyatspi >/dev/null 2>&1 || true
    fi
    if ! have_everything; then
        echo "skipped: dbus-run-session, at-spi2-core or python3-pyatspi is missing (scripts/install-deps --test)"
        exit 77
    fi
    # A session bus of the test's own, ended with it.
    VANTREL_IN_DBUS_SESSION=1 exec dbus-run-session -- bash "${BASH_SOURCE[0]}" "$@" 2>&1
fi

work=$(mktemp -d)
xvfb_pid=""
launcher_pid=""
bus_pid=""
cleanup() {
    stop_process "$launcher_pid"
    stop_process "$bus_pid"
    stop_process "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

fail() { fail_with_logs "$*" "$work"/launcher.* "$work"/client.out; }

use_temporary_home "$work"
unset NO_AT_BRIDGE
start_xvfb "$work"
"$bus_launcher" --launch-immediately >"$work/bus.log" 2>&1 &
bus_pid=$!
export LSAN_OPTIONS=suppressions=$here/launcher_leak_suppressions.txt:print_suppressions=0
# shellcheck source=stand_in_manager.sh
source "$here/stand_in_manager.sh"

write_manager
write_config
"$launcher" first "$app_path" >"$work/launcher.out" 2>"$work/launcher.err" &
launcher_pid=$!
timeout 120 "$(client_python)" "$here/screen_reader_client.py" Vantrel_checkIn >"$work/client.out" 2>&1 ||
    fail "the screen reader did not see the launcher right"
cat "$work/client.out"
expect_manager_got "$app_path"
expect_exit_zero "the click action"
echo "ok: the click action handed off to the manager application, and the launcher ended with status 0"
echo "passed"
