#!/usr/bin/env bash
# The real launcher from the build tree on its own Xvfb, driven with xdotool: the flat button's
# look and tooltip timer, taking the focus (also from another program's window), the hand-off by
# mouse and keyboard, the stored path (also over a damaged store), two launchers at once, clicks
# that cannot hand off, every way of closing, a start without a display, and the desktop's scale.
# Usage: run_launcher_on_screen_test.sh LAUNCHER. Exits 77 (skipped) when a tool it needs is missing.
set -euo pipefail

launcher=$1
source "$(dirname "${BASH_SOURCE[0]}")/launcher_session.sh"
require_tools xrdb
# A window manager that does nothing: SDL then leaves the focus of a new window to the launcher,
# which must take it to come to the front over other programs.
python3 "$here/x11.py" claim || fail "could not claim the window manager's place"
defaults=$XDG_CONFIG_HOME/Vantrel_checkIn/defaults.plist

start_focused() {
    start_launcher "$@"
    poll 300 bash -c "[[ \$(xdotool getwindowfocus 2>/dev/null) == $window ]]" ||
        fail "the launcher did not take the keyboard focus when it started"
}
point_at_button() {
    xdotool mousemove --window "$window" 600 600 mousemove --window "$window" 356 193
}
expect_fill() {
    poll 300 fill_shows "$1" || fail "the button does not show $2 (screenshot $work/screenshot.png)"
}
click() {
    xdotool mousedown 1
    expect_fill "$on_fill" "its on fill while pressed"
    xdotool mouseup 1
}

# A store cut short is kept aside, said once, and replaced by one holding the path.
write_manager_and_config
damaged='<?xml version="1.0"?><plist><dict><key>apppath</key>'
mkdir -p "$(dirname "$defaults")" && printf '%s' "$damaged" >"$defaults"
start_focused first "$app_path" third
point_at_button
poll 600 grep -q showTooltipTimerFired "$work/launcher.err" || fail "hovering logged no showTooltipTimerFired"
expect_fill "$off_fill" "its off fill before the press"
click
expect_manager_got "$app_path"
expect_exit_zero "handing off"
grep -q "$app_path" "$defaults" || fail "the path was not stored"
[[ $(<"$defaults.corrupt") == "$damaged" ]] || fail "the damaged store was not kept as $defaults.corrupt"
[[ $(grep -c "$defaults" "$work/launcher.err") == 1 ]] || fail "replacing the damaged store was not said once"

start_focused first
xdotool key Tab space
expect_manager_got "$app_path"
expect_exit_zero "Tab and Space"

start_focused first "$app_path"
xdotool keydown Return
expect_fill "$on_fill" "its on fill while Return is held"
[[ ! -e $record ]] || fail "the manager started before Return went up"
xdotool keyup Return
expect_manager_got "$app_path"
expect_exit_zero "Return"

# The later launcher stores its path last; each still hands over the path it was started with.
start_focused first "$app_path"
other_pid=$launcher_pid first_window=$window
log=launcher.second start_focused first "/opt/Other App"
second_pid=$launcher_pid second_window=$window
launcher_pid=$other_pid other_pid=$second_pid window=$first_window
timeout 30 xdotool windowfocus --sync "$window" || fail "the first window did not take the focus"
# The second window lies over the first: raised in the same connection as the click, so before it.
xdotool windowraise "$window" mousemove --window "$window" 600 600 mousemove --window "$window" 356 193 click 1
expect_manager_got "$app_path"
expect_exit_zero "handing off from the first of two launchers"
launcher_pid=$other_pid other_pid="" window=$second_window
rm -f "$record"
timeout 30 xdotool windowfocus --sync "$window" || fail "the second window did not take the focus"
xdotool key KP_Enter
expect_manager_got "/opt/Other App"
expect_exit_zero "handing off from the second of two launchers"

rm -f "$config"
start_focused first "$app_path"
point_at_button
click
expect_fill "$off_fill" "its off fill once released"
kill -0 "$launcher_pid" && [[ ! -e $record ]] || fail "a click without configuration ended the launcher or handed off"
write_manager_and_config
chmod -x "$manager"
click
poll 600 grep -qF "$manager: not executable" "$work/launcher.err" || fail "a manager that cannot start was not reported"
kill -0 "$launcher_pid" || fail "a manager that cannot start ended the launcher"
chmod +x "$manager"
click
expect_manager_got "$app_path"
expect_exit_zero "handing off"

for how in Escape ctrl+w ctrl+q close-request; do
    start_focused first "$app_path"
    if [[ $how == close-request ]]; then
        python3 "$here/x11.py" close "$window" || fail "could not send the close request"
    else
        xdotool key "$how"
    fi
    expect_exit_zero "$how"
    [[ ! -e $record ]] || fail "closing with $how started the manager"
done

status=0
env -u DISPLAY timeout 60 "$launcher" first "$app_path" >"$work/launcher.out" 2>"$work/launcher.err" || status=$?
((status == 1)) && grep -q "no display" "$work/launcher.err" ||
    fail "without a display the launcher ended with status $status, saying: $(cat "$work/launcher.err")"

# Xft.dpi 192 makes a window of twice the pixels; GDK_SCALE and VANTREL_BACKING_SCALE override it.
echo "Xft.dpi: 192" | xrdb -merge - || fail "xrdb could not set Xft.dpi"
unset GDK_SCALE
# The fill is found where the scale puts it only in a window of that many pixels a point.
for setting in "2" "1 GDK_SCALE=1" "1.5 VANTREL_BACKING_SCALE=1.5 GDK_SCALE=2"; do
    read -r scale environment <<<"$setting"
    eval "$environment start_launcher first"
    poll 300 fill_shows "$off_fill" "$scale" || fail "with ${environment:-Xft.dpi alone} the fill is not at scale $scale"
    stop_process "$launcher_pid"
done
echo "passed"
