#!/usr/bin/env bash
# End-to-end test of the messaging host inside a real headless Firefox.
# Usage: run_firefox_test.sh HOST_BINARY
# Prints "N passed, M failed" last; exits 0 on success, 1 on failure,
# 77 (skipped) when Firefox or Python's websockets cannot be had, 2 on a usage error.
# KEEP_WORK=1 keeps the temporary folder for a look after a run.
set -uo pipefail

# The add-on's id, from firefox_extension/manifest.json; the host manifest allows only it.
readonly ADDON_ID="browser-test@vantrel.example"
# FIREFOX_BINARY only exists to exercise the skip path.
readonly FIREFOX=${FIREFOX_BINARY:-/usr/bin/firefox-esr}
# No one-shot URL request: Firefox, like Chromium, keeps a one-shot host until
# it replies, and the host answers URL requests with nothing.
readonly TESTS=(options_once port_burst url_port host_exit)
# Bound against hangs only: Firefox's start up to its WebDriver BiDi server.
readonly BIDI_TIMEOUT=30

source "$(dirname -- "${BASH_SOURCE[0]}")/common.sh"
take_host_binary "$@"

if [[ ! -x $FIREFOX ]]; then
    ensure_packages firefox-esr || skip "firefox-esr is not installed and could not be installed"
fi
[[ -x $FIREFOX ]] || skip "$FIREFOX missing even after installing firefox-esr"
find_python
# The add-on is installed over WebDriver BiDi, a WebSocket protocol.
if ! "$python" -c 'import websockets' 2>/dev/null; then
    ensure_packages python3-websockets && "$python" -c 'import websockets' 2>/dev/null ||
        skip "python3-websockets is not installed and could not be installed"
fi

make_work_folder
profile="$work/profile"
addon="$work/addon"
firefox_log="$work/firefox.log"
mkdir -p "$profile"
cp -- "$here/firefox_user.js" "$profile/user.js"

# Firefox reads host manifests only from ~/.mozilla/native-messaging-hosts/;
# the project's own installer writes it, so the test covers that too.
HOME="$home" XDG_CONFIG_HOME="$home/.config" "$here/../../scripts/install-manifest" \
    --host "$host_exe" --firefox-addon-id "$ADDON_ID" >"$work/install-manifest.log" 2>&1 || {
    echo "install-manifest failed:" >&2
    cat "$work/install-manifest.log" >&2
    exit 1
}

start_report_server
copy_extension "$here/firefox_extension" "$addon"

# Firefox refuses every connection beyond loopback, as its own test harnesses
# have it; that also lets the profile's dummy remote-settings server count.
start_browser "$firefox_log" MOZ_DISABLE_NONLOCAL_CONNECTIONS=1 "$FIREFOX" \
    --headless --no-remote --remote-debugging-port=0 --profile "$profile"

bidi_url() { grep -o -m1 'WebDriver BiDi listening on ws://[^ ]*' "$firefox_log" 2>/dev/null | sed 's/.* on //'; }
bidi_ready() { [[ -n $(bidi_url) ]] || ! running "$browser_pid"; }
wait_for "$BIDI_TIMEOUT" bidi_ready
url=$(bidi_url)
if [[ -z $url ]]; then
    echo "Firefox did not start its WebDriver BiDi server" >&2
    stop_group "$browser_pid"
elif ! installed=$("$python" "$here/bidi.py" install "$url" "$addon"); then
    echo "the add-on could not be installed" >&2
    stop_group "$browser_pid"
elif [[ $installed != "$ADDON_ID" ]]; then
    echo "Firefox installed the add-on as $installed, expected $ADDON_ID" >&2
fi
# With Firefox stopped, finish does not wait: every check fails for want of a report.

finish Firefox "$ADDON_ID" "$firefox_log" 'OnProxyReady|D-Bus|^$'
