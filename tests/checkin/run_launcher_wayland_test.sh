#!/usr/bin/env bash
# The real launcher on a Wayland compositor, with no X11 of its own: weston runs nested in Xvfb
# (its X11 back end gives it a seat, which SDL needs) and the launcher talks only Wayland to it.
# Started with both WAYLAND_DISPLAY and DISPLAY set, the launcher must still choose Wayland: no X
# window of its own appears. Its window is found on weston's output by the button's colour and
# pressed with Return through weston's seat.
#
# Usage: run_launcher_wayland_test.sh LAUNCHER. Exits 77 (skipped) without Xvfb, weston, xdotool
# or ImageMagick.
set -euo pipefail

launcher=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../support/xvfb_session.sh"
require_tools Xvfb weston xdotool
can_take_screenshots || { echo "skipped: ImageMagick is not installed" && exit 77; }

work=$(mktemp -d)
xvfb_pid=""
weston_pid=""
launcher_pid=""
cleanup() {
    stop_process "$launcher_pid"
    stop_process "$weston_pid"
    stop_process "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

fail() { fail_with_logs "$*" "$work"/launcher.* "$work"/weston.log; }

use_temporary_home "$work"
unset SDL_VIDEODRIVER
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
start_xvfb "$work"
weston --backend=x11-backend.so --use-pixman --no-config --idle-time=0 --socket=vantrel-test \
    --width=1024 --height=768 >"$work/weston.log" 2>&1 &
weston_pid=$!
poll 300 test -S "$XDG_RUNTIME_DIR/vantrel-test" || fail "weston did not start"
output_window() { xdotool search --class "^Weston Compositor$" 2>/dev/null | head -n1 | grep .; }
poll 300 output_window >/dev/null || fail "weston's output window did not show"
output=$(output_window)
# Weston's seat has the keyboard before the launcher's window maps, so the shell gives it the
# focus as it appears, however late the window comes.
xdotool windowfocus --sync "$output"
source "$here/stand_in_manager.sh"

# The bounding box WxH+X+Y of the pixels of one colour on the screen.
box_of_colour() {
    import -window root "$work/screen.png" 2>/dev/null &&
        convert "$work/screen.png" -fuzz 2% -fill black +opaque "$1" -fill white -opaque "$1" \
            -format '%@' info: 2>/dev/null
}
off_fill="rgb(46,112,235)"
on_fill="rgb(28,77,179)"
button_shows() {
    local box
    box=$(box_of_colour "$1") || return 1
    # The fill of a 144 x 38 button, less its border, icon and title.
    [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
    ((BASH_REMATCH[1] > 100 && BASH_REMATCH[2] > 25)) || return 1
    button_box=$box
}

write_manager
write_config
WAYLAND_DISPLAY=vantrel-test "$launcher" first "$app_path" >"$work/launcher.out" 2>"$work/launcher.err" &
launcher_pid=$!
poll 600 button_shows "$off_fill" || fail "the launcher's button did not show on weston's output"
echo "ok: the launcher's window shows on the Wayland compositor (button at $button_box)"
if xdotool search --pid "$launcher_pid" --name "Vantrel Check-in" >/dev/null 2>&1; then
    fail "the launcher made an X11 window although a Wayland display was given"
fi
echo "ok: with WAYLAND_DISPLAY and DISPLAY both set, the launcher chose Wayland"

xdotool keydown Return
poll 300 button_shows "$on_fill" || fail "the button held by Return does not show its on fill"
[[ ! -e $record ]] || fail "the manager started before Return went up"
xdotool keyup Return
expect_manager_got "$app_path"
expect_exit_zero "handing off with Return"
echo "ok: Return through weston's seat holds the button pressed, and its release hands off"
echo "passed"
