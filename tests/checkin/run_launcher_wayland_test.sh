#!/usr/bin/env bash
# The real launcher on a Wayland compositor: weston nested in Xvfb (its X11 back end gives it a
# seat, which SDL needs). Given both WAYLAND_DISPLAY and DISPLAY, the launcher must choose Wayland:
# no X window of its own appears, its button shows on weston's output, and Return through weston's
# seat presses it. Usage: run_launcher_wayland_test.sh LAUNCHER. Exits 77 (skipped) without weston.
set -euo pipefail

launcher=$1
source "$(dirname "${BASH_SOURCE[0]}")/launcher_session.sh"
require_tools weston
unset SDL_VIDEODRIVER
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=x11-backend.so --use-pixman --no-config --idle-time=0 --socket=vantrel-test \
    --width=1024 --height=768 >"$work/weston.log" 2>&1 &
other_pid=$!
poll 300 test -S "$XDG_RUNTIME_DIR/vantrel-test" || fail "weston did not start"
output_window() { xdotool search --class "^Weston Compositor$" 2>/dev/null | head -n1 | grep .; }
poll 300 output_window >/dev/null || fail "weston's output window did not show"
# Weston's seat has the keyboard before the launcher's window maps, so the shell gives it the focus.
xdotool windowfocus --sync "$(output_window)"

# Whether the screen shows a button-sized area (less border, icon and title) of colour RRGGBB.
button_shows() {
    import -window root "$work/screen.png" 2>/dev/null || return 1
    [[ $(convert "$work/screen.png" -fuzz 2% -fill black +opaque "#$1" -fill white -opaque "#$1" \
        -format '%@' info: 2>/dev/null) =~ ^([0-9]+)x([0-9]+)\+ ]] && ((BASH_REMATCH[1] > 100 && BASH_REMATCH[2] > 25))
}

write_manager_and_config
WAYLAND_DISPLAY=vantrel-test "$launcher" first "$app_path" >"$work/launcher.out" 2>"$work/launcher.err" &
launcher_pid=$!
poll 600 button_shows "$off_fill" || fail "the launcher's button did not show on weston's output"
! xdotool search --pid "$launcher_pid" --name "$title" >/dev/null 2>&1 ||
    fail "the launcher made an X11 window although a Wayland display was given"
xdotool keydown Return
poll 300 button_shows "$on_fill" || fail "the button held by Return does not show its on fill"
[[ ! -e $record ]] || fail "the manager started before Return went up"
xdotool keyup Return
expect_manager_got "$app_path"
expect_exit_zero "handing off with Return"
echo "passed: the launcher chose Wayland, and Return through weston's seat pressed its button and handed off"
