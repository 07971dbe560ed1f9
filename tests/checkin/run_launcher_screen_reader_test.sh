#!/usr/bin/env bash
# The real launcher as a screen reader sees it: under Xvfb with a D-Bus session and the
# accessibility bus, pyatspi reads its window, heading, text and button, hears Tab focus the
# button, and presses it through its "click" action, which hands off to the stand-in manager.
# Usage: run_launcher_screen_reader_test.sh LAUNCHER. Exits 77 (skipped) without D-Bus, the
# accessibility bus or pyatspi.
set -euo pipefail

launcher=$1
bus_launcher=/usr/libexec/at-spi-bus-launcher
# The Debian Python has pyatspi, even when another python3 comes first on the PATH.
have_everything() {
    command -v dbus-run-session >/dev/null && [[ -x $bus_launcher ]] && /usr/bin/python3 -c 'import pyatspi' 2>/dev/null
}
if [[ -z ${VANTREL_IN_DBUS_SESSION:-} ]]; then
    have_everything || { echo "skipped: dbus, at-spi2-core or python3-pyatspi is missing (scripts/install-deps --test)" && exit 77; }
    # A session bus of the test's own, ended with it.
    VANTREL_IN_DBUS_SESSION=1 exec dbus-run-session -- bash "${BASH_SOURCE[0]}" "$@" 2>&1
fi

source "$(dirname "${BASH_SOURCE[0]}")/launcher_session.sh"
unset NO_AT_BRIDGE
"$bus_launcher" --launch-immediately >"$work/bus.log" 2>&1 &
other_pid=$!
write_manager_and_config
"$launcher" first "$app_path" >"$work/launcher.out" 2>"$work/launcher.err" &
launcher_pid=$!
timeout 120 /usr/bin/python3 "$here/screen_reader_client.py" >"$work/client.out" 2>&1 ||
    fail "the screen reader did not see the launcher right"
expect_manager_got "$app_path"
expect_exit_zero "the click action"
echo "passed: the screen reader read the launcher, heard Tab focus its button, and its click action handed off"
