# shellcheck shell=bash
# Shared by the tests that run the real launcher: a temporary HOME, its own Xvfb, the stand-in
# manager application and the configuration naming it. Source it after `set -euo pipefail` with
# launcher set; it stops what the test started when the test ends.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../support/xvfb_session.sh
source "$here/../support/xvfb_session.sh"
require_tools Xvfb xdotool import convert python3
work=$(mktemp -d)
xvfb_pid="" launcher_pid="" other_pid=""
cleanup() {
    local pid
    for pid in "$launcher_pid" "$other_pid" "$xvfb_pid"; do stop_process "$pid"; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { fail_with_logs "$*" "$work"/launcher.* "$work"/*.log "$work"/client.out; }
use_temporary_home "$work"
# Only matters in the sanitizer build, whose leak check runs when the launcher exits.
export LSAN_OPTIONS=suppressions=$here/launcher_leak_suppressions.txt:print_suppressions=0

title="Vantrel Check-in"
app_path="/tmp/some dir/Äpp path"
config=$XDG_DATA_HOME/Vantrel/config
manager="$work/manager apps/Vantrel Manager"
record=$work/manager.args
off_fill=2E70EB # (0.18, 0.44, 0.92)
on_fill=1C4DB3  # (0.11, 0.3, 0.7)

# The stand-in manager writes its arguments, each ended by a NUL, in one step; the configuration
# names it.
write_manager_and_config() {
    mkdir -p "$(dirname "$manager")" "$(dirname "$config")"
    printf '#!/bin/sh\nprintf "%%s\\0" "$@" >"%s.part" && mv "%s.part" "%s"\n' "$record" "$record" "$record" >"$manager"
    chmod +x "$manager"
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict>%s%s</dict></plist>\n' \
        '<key>last_opened</key><date>2024-05-01T09:30:00Z</date>' \
        "<key>last_known_path</key><string>$manager</string>" >"$config"
}

# Starts the launcher with the given arguments (output in $work/${log:-launcher}.out and .err) and
# sets launcher_pid and window.
start_launcher() {
    rm -f "$record"
    "$launcher" "$@" >"$work/${log:-launcher}.out" 2>"$work/${log:-launcher}.err" &
    launcher_pid=$!
    window=$(find_window "$title" "$launcher_pid") || fail "no window titled \"$title\""
}

# Whether the button's fill, at a point above its title (window points times SCALE), shows the
# colour RRGGBB within a few levels for rounding.
fill_shows() {
    local x y pixel channel
    read -r x y < <(awk -v s="${2:-1}" 'BEGIN { printf "%d %d\n", 356 * s, 179 * s }')
    pixel=$(window_pixel_of "$window" "$x" "$y" "$work/screenshot.png") && [[ ${#pixel} == 6 ]] || return 1
    for channel in 0 2 4; do
        local difference=$((16#${pixel:channel:2} - 16#${1:channel:2}))
        ((difference <= 4 && difference >= -4)) || return 1
    done
}

# The launcher ends with status 0 after WHAT.
expect_exit_zero() {
    poll 600 bash -c "! kill -0 $launcher_pid 2>/dev/null" || fail "the launcher still runs after $1"
    local status=0
    wait "$launcher_pid" || status=$?
    launcher_pid=""
    ((status == 0)) || fail "the launcher ended with status $status after $1"
}

# The manager got exactly "checkInRequired" and PATH.
expect_manager_got() {
    poll 600 test -f "$record" || fail "the manager application was not started"
    printf '%s\0' checkInRequired "$1" | cmp -s - "$record" ||
        fail "the manager got $(tr '\0' '|' <"$record") instead of checkInRequired|$1|"
}

start_xvfb "$work"
