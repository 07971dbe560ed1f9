#!/usr/bin/env bash
# The messaging host inside a real headless Firefox, started for a test add-on put in over
# WebDriver BiDi. Usage: run_firefox_test.sh HOST_BINARY. Exits 77 (skipped) without Firefox or
# Python's websockets. KEEP_WORK=1 keeps the temporary folder for a look after a run.
set -uo pipefail

readonly ADDON_ID="browser-test@vantrel.example" # from firefox_extension/manifest.json
# FIREFOX_BINARY only exists to exercise the skip path.
readonly FIREFOX=${FIREFOX_BINARY:-/usr/bin/firefox-esr}
# No one-shot URL request: Firefox keeps a one-shot host until it replies, and the host answers a
# URL with nothing.
readonly TESTS=(options_once port_burst url_port)
source "$(dirname -- "${BASH_SOURCE[0]}")/common.sh"
[[ -x $FIREFOX ]] || skip "$FIREFOX"
"$python" -c 'import websockets' 2>/dev/null || skip python3-websockets

make_work_folder "$ADDON_ID"
mkdir -p "$work/profile"
cp -- "$here/firefox_user.js" "$work/profile/user.js"
# Firefox reads host manifests only from ~/.mozilla/native-messaging-hosts/: the project's installer
# writes it, so the test covers that too.
HOME="$home" XDG_CONFIG_HOME="$home/.config" "$here/../../scripts/install-manifest" --host "$host_exe" \
    --firefox-addon-id "$ADDON_ID" >"$work/install-manifest.log" 2>&1 || { cat "$work/install-manifest.log" && exit 1; }
copy_extension "$here/firefox_extension" "$work/addon"
# Firefox refuses every connection beyond loopback, as its own test harnesses have it.
start_browser "$work/firefox.log" MOZ_DISABLE_NONLOCAL_CONNECTIONS=1 "$FIREFOX" --headless --no-remote \
    --remote-debugging-port=0 --profile "$work/profile"
bidi_url() { grep -o -m1 'WebDriver BiDi listening on ws://[^ ]*' "$work/firefox.log" | sed 's/.* on //'; }
poll 300 eval '[[ -n $(bidi_url) ]] || ! running $browser_pid'
# A temporary add-on, which needs no signature; "/session" is the endpoint of a BiDi-only session.
installed=$(timeout 60 "$python" - "$(bidi_url)" "$work/addon" <<'PY'
import asyncio, json, sys
import websockets

async def install(url, addon):
    async with websockets.connect(url.rstrip("/") + "/session", max_size=None) as socket:
        for number, method, params in [(1, "session.new", {"capabilities": {}}),
                                       (2, "webExtension.install", {"extensionData": {"type": "path", "path": addon}})]:
            await socket.send(json.dumps({"id": number, "method": method, "params": params}))
            while (message := json.loads(await socket.recv())).get("id") != number:
                pass  # an event
            if message.get("type") == "error":
                sys.exit(f"{method}: {message}")
        print(message["result"]["extension"])

asyncio.run(install(*sys.argv[1:]))
PY
)
# Without the add-on, Firefox is stopped and every check fails for want of a report.
[[ $installed == "$ADDON_ID" ]] || { echo "the add-on was not installed as $ADDON_ID: $installed" && stop_group "$browser_pid"; }
finish "$work/firefox.log" 'OnProxyReady|D-Bus|^$'
