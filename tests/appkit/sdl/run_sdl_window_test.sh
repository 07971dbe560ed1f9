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
trap 'stop_process "$probe_pid"; stop_process "$xvfb_pid"; rm -rf "$work"' EXIT
fail() { fail_with_logs "$*" "$work"/out.* "$work"/err.*; }
printed() { grep -qx -- "$2" "$1" 2>/dev/null; }
# Polls, for slow machines: up to 60 s.
wait_for() { poll 600 printed "$1" "$2" || fail "no '$2' from the probe"; }
# Screen windows of a size at a place, as xwininfo lists them.
windows_at() { xwininfo -root -children | grep -c " $1 " || true; }
popover_shown() { [[ $(windows_at "$1") -ge 1 ]]; }
popover_gone() { [[ $(windows_at "$1") -eq 0 ]]; }
titled() { [[ $(xdotool getwindowname "$1") == "$2" ]]; }
entries_in() { grep -cx entered "$1" || true; }
entered_since() { (($(entries_in "$1") > $2)); }

use_temporary_home "$work"
start_xvfb "$work"

# Starts the probe at a scale, with more arguments, and finds its window.
start_probe() {
    local scale=$1 out=$2
    shift 2
    VANTREL_BACKING_SCALE=$scale "$probe" 120 "$@" >"$out" 2>"${out/out./err.}" &
    probe_pid=$!
    wait_for "$out" "scale $scale"
    window=$(find_window "Vantrel probe" "$probe_pid") || fail "no probe window"
}

# SDL turns SIGTERM into a request to quit, which closes the window.
stop_probe() {
    kill -TERM "$probe_pid"
    wait_for "$1" "closed"
    wait "$probe_pid" || fail "the probe ended with status $?"
    probe_pid=""
}

# One round: scale, then the expected press location in window points.
round() {
    local scale=$1 expected=$2 out=$work/out.$1
    start_probe "$scale" "$out"
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
    wait_for "$out" "up $expected"
    xdotool mousemove --window "$window" $((190 * scale)) $((5 * scale))
    wait_for "$out" "retitled"
    poll 50 titled "$window" "Vantrel probe, idle" || fail "the title on screen is '$(xdotool getwindowname "$window")'"
    stop_probe "$out"
    local lines="scale $scale,(entered,exited,)?entered,down $expected,up $expected,exited,idle frames 0,retitled,closed,"
    [[ $(tr '\n' ',' <"$out") =~ ^$lines$ ]] || fail "expected $lines"
}

# One round with a popover: scale, then its expected press location in its own points.
popover_round() {
    local scale=$1 expected=$2 out=$work/out.popover.$1
    start_probe "$scale" "$out" popover
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y)=')"
    # Centred below the strip at (20, 0) size 160x20 points, the arrow's gap of 8 points away;
    # moving the window takes the popover along.
    local size="$((120 * scale))x$((40 * scale))"
    poll 50 popover_shown "$size+$((X + 40 * scale))+$((Y + 128 * scale))" || fail "no popover window: $(xwininfo -root -children)"
    [[ $(xdotool getwindowfocus) == "$window" ]] || fail "the popover took the keyboard focus"
    xdotool windowmove "$window" $((X + 30)) $((Y + 20))
    local left=$((X + 30 + 40 * scale)) top=$((Y + 20 + 128 * scale))
    poll 50 popover_shown "$size+$left+$top" || fail "the popover stayed behind: $(xwininfo -root -children)"
    xdotool mousemove $((left + 60 * scale)) $((top + 20 * scale)) click 1
    wait_for "$out" "popover down $expected"
    # A click sent on the heels of the pointer's move out of the popover's window was now and then
    # lost: the click elsewhere waits until the popover's release was handled (SDL holds the pointer
    # for that window until then) and the window has heard the pointer arrive, as a hand would.
    wait_for "$out" "up $expected"
    local entries
    entries=$(entries_in "$out")
    xdotool mousemove --window "$window" $((70 * scale)) $((85 * scale))
    poll 600 entered_since "$out" "$entries" || fail "the window did not hear the pointer arrive"
    xdotool click 1
    wait_for "$out" "popover closed"
    poll 50 popover_gone "$size+$left+$top" || fail "the closed popover's window stays on screen"
    stop_probe "$out"
}

popover_round 1 "60.50 19.50"
popover_round 2 "60.25 19.75"
round 1 "70.50 34.50"
round 2 "70.25 34.75"
echo "passed"
