#!/usr/bin/env bash
# A real SDL window under Xvfb, driven with xdotool: the pointer enters a view, clicks it and
# leaves, at the display's scale and at a forced scale of 2; the window then stays idle and is
# given a new title, which its title bar shows. A popover shown below the window stands on the
# screen in a window of its own, takes its clicks, leaves the keyboard focus with the window and
# closes on a click elsewhere.
# Usage: run_sdl_window_test.sh PROBE. Exits 77 (skipped) without Xvfb or xdotool.
set -euo pipefail

probe=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../support/xvfb_session.sh
source "$here/../../support/xvfb_session.sh"
require_tools Xvfb xdotool xwininfo

work=$(mktemp -d)
xvfb_pid=""
probe_pid=""
cleanup() {
    stop_process "$probe_pid"
    stop_process "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

fail() { fail_with_logs "$*" "$work"/out.* "$work"/err.*; }

# Polls, for slow machines: up to 60 s.
wait_for() {
    local file=$1 pattern=$2
    for _ in $(seq 600); do
        grep -qx -- "$pattern" "$file" 2>/dev/null && return 0
        if [[ -n $probe_pid ]] && ! kill -0 "$probe_pid" 2>/dev/null; then
            grep -qx -- "$pattern" "$file" 2>/dev/null && return 0
            fail "the probe ended before printing '$pattern'"
        fi
        sleep 0.1
    done
    fail "no '$pattern' from the probe"
}

use_temporary_home "$work"
start_xvfb "$work"

# One round: scale, then the expected press location in window points.
round() {
    local scale=$1 expected=$2
    local out=$work/out.$scale
    VANTREL_BACKING_SCALE=$scale "$probe" 120 >"$out" 2>"$work/err.$scale" &
    probe_pid=$!
    wait_for "$out" "scale $scale"
    local window
    window=$(find_window "Vantrel probe" "$probe_pid") || fail "no probe window"
    local geometry
    geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/ *Geometry: //p')
    [[ $geometry == "$((200 * scale))x$((120 * scale))" ]] || fail "window is $geometry pixels at scale $scale"

    # The window may appear under the pointer. The view is at (20, 10) size 100x50 points, from the
    # bottom left of a 200x120 window.
    xdotool mousemove --window "$window" $((300 * scale)) $((200 * scale))
    xdotool mousemove --window "$window" $((5 * scale)) $((5 * scale))
    xdotool mousemove --window "$window" $((70 * scale)) $((85 * scale))
    wait_for "$out" "entered"
    xdotool click 1
    wait_for "$out" "down $expected"
    wait_for "$out" "up $expected"
    xdotool mousemove --window "$window" $((190 * scale)) $((5 * scale))
    wait_for "$out" "exited"
    wait_for "$out" "idle frames [0-9]*"
    grep -qx "idle frames 0" "$out" || fail "an idle window drew: $(grep 'idle frames' "$out")"
    wait_for "$out" "retitled"
    local title=""
    for _ in $(seq 50); do
        title=$(xdotool getwindowname "$window")
        [[ $title == "Vantrel probe, idle" ]] && break
        sleep 0.1
    done
    [[ $title == "Vantrel probe, idle" ]] || fail "the title on screen is '$title'"

    kill -TERM "$probe_pid" # SDL turns it into a request to quit, which closes the window
    wait_for "$out" "closed"
    wait "$probe_pid" || fail "the probe ended with status $?"
    probe_pid=""
    local seen expected_lines
    seen=$(tr '\n' ',' <"$out")
    expected_lines="scale $scale,(entered,exited,)?entered,down $expected,up $expected,exited,idle frames 0,retitled,closed,"
    [[ $seen =~ ^$expected_lines$ ]] || fail "expected $expected_lines"
    echo "scale $scale: $seen"
}

# The screen windows of a size at a place, as xwininfo lists them.
windows_at() {
    xwininfo -root -children | grep -c " $1 " || true
}

# One round with a popover: scale, then its expected press location in its own points.
popover_round() {
    local scale=$1 expected=$2
    local out=$work/out.popover.$scale
    VANTREL_BACKING_SCALE=$scale "$probe" 120 popover >"$out" 2>"$work/err.popover.$scale" &
    probe_pid=$!
    wait_for "$out" "popover shown"
    local window x y
    window=$(find_window "Vantrel probe" "$probe_pid") || fail "no probe window"
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y)=')"
    x=$X y=$Y
    # Centred below the strip at (20, 0) size 160x20 points, the arrow's gap of 8 points away.
    local left=$((x + 40 * scale)) top=$((y + 128 * scale))
    local geometry="$((120 * scale))x$((40 * scale))+$left+$top"
    for _ in $(seq 50); do
        [[ $(windows_at "$geometry") -ge 1 ]] && break
        sleep 0.1
    done
    [[ $(windows_at "$geometry") -ge 1 ]] || fail "no popover window at $geometry: $(xwininfo -root -children)"
    [[ $(xdotool getwindowfocus) == "$window" ]] || fail "the popover took the keyboard focus"
    # Moving the window takes the popover along.
    xdotool windowmove "$window" $((x + 30)) $((y + 20))
    left=$((left + 30)) top=$((top + 20))
    geometry="$((120 * scale))x$((40 * scale))+$left+$top"
    for _ in $(seq 50); do
        [[ $(windows_at "$geometry") -ge 1 ]] && break
        sleep 0.1
    done
    [[ $(windows_at "$geometry") -ge 1 ]] || fail "the popover stayed behind: $(xwininfo -root -children)"
    xdotool mousemove $((left + 60 * scale)) $((top + 20 * scale)) click 1
    wait_for "$out" "popover down $expected"
    xdotool mousemove --window "$window" $((190 * scale)) $((10 * scale)) click 1
    wait_for "$out" "popover closed"
    for _ in $(seq 50); do
        [[ $(windows_at "$geometry") -eq 0 ]] && break
        sleep 0.1
    done
    [[ $(windows_at "$geometry") -eq 0 ]] || fail "the closed popover's window stays on screen"
    kill -TERM "$probe_pid"
    wait_for "$out" "closed"
    wait "$probe_pid" || fail "the probe ended with status $?"
    probe_pid=""
    echo "popover at scale $scale: $(tr '\n' ',' <"$out")"
}

popover_round 1 "60.50 19.50"
popover_round 2 "60.25 19.75"
round 1 "70.50 34.50"
round 2 "70.25 34.75"
echo "passed"
