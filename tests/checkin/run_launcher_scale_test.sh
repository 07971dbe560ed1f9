#!/usr/bin/env bash
# The real launcher on its own Xvfb takes the desktop's scale: Xft.dpi 192 in the X resources makes
# a window of twice the pixels, drawn at scale 2; GDK_SCALE and VANTREL_BACKING_SCALE override it.
# Usage: run_launcher_scale_test.sh LAUNCHER. Exits 77 (skipped) without Xvfb, xdotool or xrdb.
set -euo pipefail

launcher=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../support/xvfb_session.sh
source "$here/../support/xvfb_session.sh"
require_tools Xvfb xdotool xrdb

work=$(mktemp -d)
xvfb_pid=""
launcher_pid=""
cleanup() {
    stop_process "$launcher_pid"
    stop_process "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

fail() { fail_with_logs "$*" "$work"/launcher.* "$work"/xvfb.log; }

use_temporary_home "$work"
unset GDK_SCALE
start_xvfb "$work"
echo "Xft.dpi: 192" | xrdb -merge - || fail "xrdb could not set Xft.dpi"
export LSAN_OPTIONS=suppressions=$here/launcher_leak_suppressions.txt:print_suppressions=0

title="Vantrel Check-in"
points_wide=460
points_high=240
# A point of the flat button's fill, from the window's top left, and the fill's colour.
fill_x=356
fill_y=$((240 - 28 - 38 + 5))
off_fill=2E70EB # (0.18, 0.44, 0.92)

can_screenshot=true
if ! can_take_screenshots; then
    can_screenshot=false
    echo "note: ImageMagick's import and convert are missing (scripts/install-deps --test); only the" \
        "window's size is checked"
fi
window_pixel() { window_pixel_of "$window" "$1" "$2" "$work/screenshot.png"; }
shows_fill_at() {
    [[ $(window_pixel "$1" "$2") == "$off_fill" ]]
}

# Starts the launcher with the environment given (NAME=VALUE ...) and checks its window is SCALE
# times its size in points and shows the button's fill where that scale puts it.
expect_scale() {
    local scale=$1
    shift
    env "$@" "$launcher" first >"$work/launcher.out" 2>"$work/launcher.err" &
    launcher_pid=$!
    window=$(find_window "$title" "$launcher_pid") || fail "no window titled \"$title\""
    local WIDTH=0 HEIGHT=0
    eval "$(xdotool getwindowgeometry --shell "$window")"
    local wide high
    wide=$(awk -v p=$points_wide -v s="$scale" 'BEGIN { printf "%d", p * s + 0.5 }')
    high=$(awk -v p=$points_high -v s="$scale" 'BEGIN { printf "%d", p * s + 0.5 }')
    [[ "$WIDTH x $HEIGHT" == "$wide x $high" ]] ||
        fail "with ${*:-nothing more} the window is $WIDTH x $HEIGHT pixels, not $wide x $high (scale $scale)"
    if $can_screenshot; then
        local x y
        x=$(awk -v p=$fill_x -v s="$scale" 'BEGIN { printf "%d", p * s }')
        y=$(awk -v p=$fill_y -v s="$scale" 'BEGIN { printf "%d", p * s }')
        poll 300 shows_fill_at "$x" "$y" ||
            fail "at scale $scale the button's fill is not at ($x, $y): $(window_pixel "$x" "$y")"
    fi
    stop_process "$launcher_pid"
    launcher_pid=""
    echo "ok: with Xft.dpi 192 and ${*:-nothing more} the launcher draws at scale $scale"
}

expect_scale 2
expect_scale 1 GDK_SCALE=1
expect_scale 1.5 VANTREL_BACKING_SCALE=1.5 GDK_SCALE=2
echo "passed"
