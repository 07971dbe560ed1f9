#!/usr/bin/env bash
# The real launcher from the build tree on its own Xvfb, driven with xdotool: the flat button's
# press look, the hover tooltip timer, the window taking the focus when it starts (also from
# another program's window), the hand-off to a stand-in manager application, the stored
# application path (also over a damaged store), two launchers at once, a click without
# configuration or with a manager that cannot start, every way of closing the window, and a start
# without a display.
# Usage: run_launcher_test.sh LAUNCHER. Exits 77 (skipped) without Xvfb or xdotool.
set -euo pipefail

launcher=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../support/xvfb_session.sh
source "$here/../support/xvfb_session.sh"
require_tools Xvfb xdotool

work=$(mktemp -d)
xvfb_pid=""
launcher_pid=""
other_launcher_pid=""
cleanup() {
    stop_process "$launcher_pid"
    stop_process "$other_launcher_pid"
    stop_process "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

fail() { fail_with_logs "$*" "$work"/launcher.* "$work"/xvfb.log; }

use_temporary_home "$work"
start_xvfb "$work"
# A window manager that does nothing: SDL no longer focuses new windows itself, so a window has the
# focus only when the launcher asks for it, as it must to come to the front over other programs.
if command -v python3 >/dev/null; then
    python3 "$here/claim_window_manager.py" || fail "could not claim the window manager's place"
else
    echo "note: python3 is missing (scripts/install-deps --test); taking the focus when started is not checked"
fi
# Only matters in the sanitizer build, whose leak check runs when the launcher exits.
export LSAN_OPTIONS=suppressions=$here/launcher_leak_suppressions.txt:print_suppressions=0

# shellcheck source=stand_in_manager.sh
source "$here/stand_in_manager.sh"
title="Vantrel Check-in"
defaults=$XDG_CONFIG_HOME/Vantrel_checkIn/defaults.plist

# Starts the launcher with the given arguments and sets window to its window's id. Its output goes
# to $work/$log.out and .err (log: launcher unless set).
start_launcher() {
    rm -f "$record"
    "$launcher" "$@" >"$work/${log:-launcher}.out" 2>"$work/${log:-launcher}.err" &
    launcher_pid=$!
    window=$(find_window "$title" "$launcher_pid") || fail "no window titled \"$title\""
    # Bare Xvfb has no window manager to hand the new window the focus: the launcher takes it when
    # it has finished launching, also from another program's window (the first of two launchers').
    poll 300 has_focus || fail "the launcher did not take the keyboard focus when it started" \
        "(focus on $(xdotool getwindowfocus 2>&1), window $window)"
}

has_focus() {
    [[ $(xdotool getwindowfocus 2>/dev/null) == "$window" ]]
}

# The flat button's frame in window points, from the bottom left: (284, 28) size 144x38, in a window
# 240 points high. Its middle, and a point of its fill above the title.
button_x=356
button_y=$((240 - 28 - 19))
fill_x=356
fill_y=$((240 - 28 - 38 + 5))

point_at_button() {
    xdotool mousemove --window "$window" 600 600 # from outside, so the button sees the pointer enter
    xdotool mousemove --window "$window" "$button_x" "$button_y"
}

# The window's pixel at (x, y) from the top left as RRGGBB, from a screenshot kept in the work folder.
can_screenshot=true
if ! can_take_screenshots; then
    can_screenshot=false
    echo "note: ImageMagick's import and convert are missing (scripts/install-deps --test); the button's" \
        "look is not checked"
fi
window_pixel() { window_pixel_of "$window" "$1" "$2" "$work/screenshot.png"; }

# Whether the button's fill shows the colour (r, g, b in 0 to 255), within a few levels for rounding.
fill_shows() {
    local pixel
    pixel=$(window_pixel "$fill_x" "$fill_y") || return 1
    [[ ${#pixel} == 6 ]] || return 1
    local channel expected actual
    for channel in 0 1 2; do
        expected=$(($1)) && shift
        actual=$((16#${pixel:channel*2:2}))
        ((actual - expected <= 4 && expected - actual <= 4)) || return 1
    done
}
off_fill=(46 112 235) # (0.18, 0.44, 0.92)
on_fill=(28 77 179)   # (0.11, 0.3, 0.7)

# Presses and releases the button; with a screenshot tool, also waits for each look on screen.
click_button_watching_its_look() {
    xdotool mousedown 1
    if $can_screenshot; then
        poll 300 fill_shows "${on_fill[@]}" || fail "the pressed button does not show its on fill" \
            "(pixel $(window_pixel "$fill_x" "$fill_y"), screenshot $work/screenshot.png)"
    fi
    xdotool mouseup 1
}

focus_window() {
    timeout 30 xdotool windowfocus --sync "$window" || fail "the window did not take the keyboard focus"
}

handing_off_with_the_path_it_was_started_with() {
    write_manager
    write_config
    # A store cut short: the launcher keeps it aside and stores the path in a fresh one.
    local damaged='<?xml version="1.0"?><plist><dict><key>apppath</key>'
    mkdir -p "$(dirname "$defaults")"
    printf '%s' "$damaged" >"$defaults"
    start_launcher first "$app_path" third
    point_at_button
    poll 600 grep -q showTooltipTimerFired "$work/launcher.err" ||
        fail "hovering over the button logged no showTooltipTimerFired"
    echo "ok: hovering over the button logs showTooltipTimerFired"
    if $can_screenshot; then
        poll 300 fill_shows "${off_fill[@]}" || fail "the button does not show its off fill before the press" \
            "(pixel $(window_pixel "$fill_x" "$fill_y"))"
    fi
    click_button_watching_its_look
    expect_manager_got "$app_path"
    expect_exit_zero "handing off"
    grep -q "$app_path" "$defaults" || fail "the path was not stored"
    [[ $(<"$defaults.corrupt") == "$damaged" ]] || fail "the damaged store was not kept as $defaults.corrupt"
    [[ $(grep -c "$defaults" "$work/launcher.err") == 1 ]] || fail "replacing the damaged store was not said once"
    echo "ok: the pressed button shows its on look; the manager got checkInRequired and the path; status 0;" \
        "a damaged store was kept aside, said so, and replaced"
}

# Tab brings the focus to the button and Space presses it.
handing_off_the_stored_path_when_started_without_one() {
    start_launcher first
    xdotool key Tab space
    expect_manager_got "$app_path"
    expect_exit_zero "handing off"
    echo "ok: started with one argument, Tab and Space hand the path stored by the earlier run to the manager"
}

# Return presses the default button, which looks pressed until the key goes up.
handing_off_from_the_keyboard() {
    start_launcher first "$app_path"
    xdotool keydown Return
    if $can_screenshot; then
        poll 300 fill_shows "${on_fill[@]}" || fail "the button held by Return does not show its on fill" \
            "(pixel $(window_pixel "$fill_x" "$fill_y"), screenshot $work/screenshot.png)"
    fi
    [[ ! -e $record ]] || fail "the manager started before Return went up"
    xdotool keyup Return
    expect_manager_got "$app_path"
    expect_exit_zero "handing off with Return"
    echo "ok: Return holds the default button pressed, and its release hands off"
}

# The later launcher stores its path last; each still hands over the path it was started with.
handing_off_from_two_launchers_at_once() {
    local other_path="/opt/Other App"
    start_launcher first "$app_path"
    other_launcher_pid=$launcher_pid
    local first_window=$window
    log=launcher.second start_launcher first "$other_path"
    local second_pid=$launcher_pid second_window=$window
    echo "ok: a launcher that has finished launching takes the focus from another program's window"
    launcher_pid=$other_launcher_pid other_launcher_pid=$second_pid window=$first_window
    focus_window
    # The second window lies over the first: raised in the same connection as the click, so before it.
    xdotool windowraise "$window" mousemove --window "$window" 600 600 \
        mousemove --window "$window" "$button_x" "$button_y" click 1
    expect_manager_got "$app_path"
    expect_exit_zero "handing off from the first of two launchers"
    rm -f "$record"
    launcher_pid=$other_launcher_pid other_launcher_pid="" window=$second_window
    focus_window
    xdotool key KP_Enter
    expect_manager_got "$other_path"
    expect_exit_zero "handing off from the second of two launchers"
    echo "ok: of two launchers started at once, each hands over its own path"
}

# Without a screenshot tool nothing on screen tells that the click went through; a pause stands in.
wait_for_the_click_to_be_handled() {
    if $can_screenshot; then
        poll 300 fill_shows "${off_fill[@]}" || fail "the released button does not return to its off fill"
    else
        sleep 2
    fi
}

clicking_without_configuration_then_without_a_manager_then_with_both() {
    rm -f "$config"
    start_launcher first "$app_path"
    point_at_button
    click_button_watching_its_look
    wait_for_the_click_to_be_handled
    launcher_is_alive || fail "a click without configuration ended the launcher"
    [[ ! -e $record ]] || fail "a click without configuration started the manager"
    write_config
    chmod -x "$manager"
    click_button_watching_its_look
    poll 600 grep -qF "$manager: not executable" "$work/launcher.err" ||
        fail "a manager that cannot start was not reported on standard error"
    launcher_is_alive || fail "a manager that cannot start ended the launcher"
    chmod +x "$manager"
    click_button_watching_its_look
    expect_manager_got "$app_path"
    expect_exit_zero "handing off"
    echo "ok: a click without configuration, or with a manager that cannot start (said on standard error)," \
        "leaves the window open; the next one, with both, hands off"
}

starting_without_a_display() {
    local status=0
    env -u DISPLAY timeout 60 "$launcher" first "$app_path" >"$work/launcher.out" 2>"$work/launcher.err" ||
        status=$?
    ((status == 1)) || fail "without a display the launcher ended with status $status"
    grep -q "no display" "$work/launcher.err" || fail "without a display the launcher did not say so"
    echo "ok: without a display the launcher says so and ends with status 1"
}

closing_with() {
    local how=$1
    start_launcher first "$app_path"
    case $how in
    Escape | ctrl+w | ctrl+q)
        xdotool key "$how"
        ;;
    close-request)
        python3 "$here/send_close_request.py" "$window" || fail "could not send the close request"
        ;;
    esac
    expect_exit_zero "$how"
    [[ ! -e $record ]] || fail "closing with $how started the manager"
    echo "ok: $how ends the launcher with status 0, starting nothing"
}

handing_off_with_the_path_it_was_started_with
handing_off_the_stored_path_when_started_without_one
handing_off_from_the_keyboard
handing_off_from_two_launchers_at_once
clicking_without_configuration_then_without_a_manager_then_with_both
closing_with Escape
closing_with ctrl+w
closing_with ctrl+q
if command -v python3 >/dev/null; then
    closing_with close-request
else
    echo "note: python3 is missing (scripts/install-deps --test); the window manager's close request is not sent"
fi
starting_without_a_display
echo "passed"
