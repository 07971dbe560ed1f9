# shellcheck shell=bash
# Shell helpers for tests that drive real windows under their own Xvfb with xdotool. Source it from
# bash after `set -euo pipefail`; the caller defines fail MESSAGE, which must not return.

# Exits 77 (skipped) when a tool the whole test needs is missing.
# Ends the test: the message, then each of the given logs that exists.
fail_with_logs() {
    echo "FAIL: $1"
    shift
    local file
    for file in "$@"; do
        [[ -f $file ]] && { echo "--- $(basename "$file")"; cat "$file"; }
    done
    exit 1
}

# Whether ImageMagick can take and read screenshots of windows.
can_take_screenshots() {
    command -v import >/dev/null && command -v convert >/dev/null
}

# The pixel at (x, y) from the window's top left as RRGGBB, through a screenshot kept in FILE.
window_pixel_of() {
    local window=$1 x=$2 y=$3 file=$4
    import -window "$window" "$file" 2>/dev/null &&
        convert "$file" -crop "1x1+$x+$y" -depth 8 txt:- 2>/dev/null |
        grep -o '#[0-9A-Fa-f]\{6\}' | head -n1 | tr -d '#'
}

require_tools() {
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
}

# Points HOME and every XDG folder into DIR, so no test touches the user's own files.
use_temporary_home() {
    local dir=$1
    export HOME=$dir/home XDG_CONFIG_HOME=$dir/home/.config XDG_DATA_HOME=$dir/home/.local/share
    export XDG_CACHE_HOME=$dir/home/.cache XDG_STATE_HOME=$dir/home/.local/state
    mkdir -p "$HOME"
    unset WAYLAND_DISPLAY VANTREL_OFFSCREEN VANTREL_BACKING_SCALE VANTREL_RESOURCES VANTREL_SNAPSHOT
    export SDL_VIDEODRIVER=x11
}

# Runs COMMAND until it succeeds, every 0.1 s, at most TRIES times; slow machines get the whole
# budget, fast ones move on at once.
poll() {
    local tries=$1
    shift
    local attempt
    for ((attempt = 0; attempt < tries; attempt++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Starts Xvfb on a display it picks itself, exports DISPLAY and sets xvfb_pid. Its messages go to
# DIR/xvfb.log. Without -noreset the server resets whenever its last client leaves, and drops a
# client that connects meanwhile: a program started just after another ended would find no display.
start_xvfb() {
    local dir=$1
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
    # shellcheck disable=SC2034 # the caller stops it
    xvfb_pid=$!
    poll 300 test -s "$dir/display" || fail "Xvfb did not start: $(cat "$dir/xvfb.log")"
    DISPLAY=:$(head -n1 "$dir/display")
    export DISPLAY
}

# Ends a process this test started, by its id, and reaps it.
stop_process() {
    local pid=$1
    [[ -n $pid ]] || return 0
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# The first visible window of process PID whose name is exactly NAME, waiting up to 60 s for it.
# The process matters: the server may still show a window of one that has just ended. Searches are
# repeated rather than left to --sync: a window that goes away during a search (SDL makes and drops
# one while it starts) makes xdotool give up with an X error.
find_window() {
    local name=$1 pid=$2 attempt found
    for ((attempt = 0; attempt < 600; attempt++)); do
        found=$(xdotool search --all --onlyvisible --pid "$pid" --name "^${name}\$" 2>/dev/null | head -n1) || true
        if [[ -n $found ]]; then
            echo "$found"
            return 0
        fi
        sleep 0.1
    done
    return 1
}
