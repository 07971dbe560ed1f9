#!/usr/bin/env bash
# Installs a build into a throw-away prefix and HOME, runs both programs from there, uninstalls,
# and checks that nothing is left behind. Usage: install_test.sh BUILD_DIR
set -euo pipefail

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
install=$here/../../scripts/install
build=${1:?the build folder to install}

work=$(mktemp -d "${TMPDIR:-/tmp}/install_test.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$HOME"
prefix=$work/prefix

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$install" --from-build "$build" --prefix "$prefix" --chrome-extension-id abcdefghijklmnopabcdefghijklmnop >/dev/null
manifest=$XDG_CONFIG_HOME/chromium/NativeMessagingHosts/com.vantrel.messaginghost.json
[[ -f $manifest ]] || fail "no browser registration at $manifest"
grep -q "\"$prefix/lib/vantrel/vantrelmessaginghost\"" "$manifest" || fail "the registration names another host"

# The host answers from its own folder, where the browser starts it.
request='{"options":true}'
reply=$(cd "$prefix/lib/vantrel" && printf "\\x$(printf %02x ${#request})\\x00\\x00\\x00%s" "$request" |
    ./vantrelmessaginghost | tail -c +5)
[[ $reply == '{"options": '* ]] || fail "the installed host answered: $reply"
"$prefix/bin/vantrel-doctor" --host "$prefix/lib/vantrel/vantrelmessaginghost" >"$work/check" ||
    fail "the installed check finds the installation wrong: $(cat "$work/check")"

# The launcher found through bin/ finds its resources beside the real binary, and keeps its path.
VANTREL_OFFSCREEN=1 VANTREL_SNAPSHOT="$work/window.png" "$prefix/bin/Vantrel_checkIn" run "/opt/Some App" 2>/dev/null ||
    fail "the installed launcher did not run"
[[ -s $work/window.png ]] || fail "the installed launcher drew no window"
grep -q "<string>/opt/Some App</string>" "$XDG_CONFIG_HOME/Vantrel_checkIn/defaults.plist" ||
    fail "the launcher kept no path"

"$install" --uninstall --prefix "$prefix" >/dev/null
left=$(find "$prefix" -mindepth 1 2>/dev/null)
[[ -z $left ]] || fail "left behind: $left"
[[ ! -e $manifest ]] || fail "the browser registration is still there"

# A data.json the user changed survives an uninstall.
"$install" --from-build "$build" --prefix "$prefix" >/dev/null
echo '{"mine": true}' >"$prefix/lib/vantrel/data.json"
"$install" --uninstall --prefix "$prefix" >/dev/null
[[ $(cat "$prefix/lib/vantrel/data.json") == '{"mine": true}' ]] || fail "the user's data.json was removed"
echo "install test passed"
