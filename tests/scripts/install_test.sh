#!/usr/bin/env bash
# Installs a build into a throw-away prefix and HOME, runs both programs from there, uninstalls,
# and checks that nothing is left behind but a data.json the user changed. Usage: install_test.sh BUILD_DIR
set -euo pipefail

install=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../../scripts" && pwd)/install
build=${1:?the build folder to install}
work=$(mktemp -d "${TMPDIR:-/tmp}/install_test.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$HOME"
prefix=$work/prefix host=$work/prefix/lib/vantrel/vantrelmessaginghost
fail() { echo "FAIL: $*" >&2 && exit 1; }

"$install" --from-build "$build" --prefix "$prefix" --chrome-extension-id abcdefghijklmnopabcdefghijklmnop >/dev/null
manifest=$XDG_CONFIG_HOME/chromium/NativeMessagingHosts/com.vantrel.messaginghost.json
grep -q "\"$host\"" "$manifest" || fail "no browser registration of $host at $manifest"
# The host answers from its own folder, where the browser starts it.
reply=$(cd "$prefix/lib/vantrel" && printf '\020\0\0\0{"options":true}' | ./vantrelmessaginghost | tail -c +5)
[[ $reply == '{"options": '* ]] || fail "the installed host answered: $reply"
"$prefix/bin/vantrel-doctor" --host "$host" >"$work/check" || fail "the installed check finds it wrong: $(<"$work/check")"
# The launcher found through bin/ finds its resources beside the real binary, and keeps its path.
VANTREL_OFFSCREEN=1 VANTREL_SNAPSHOT="$work/window.png" "$prefix/bin/Vantrel_checkIn" run "/opt/Some App" 2>/dev/null &&
    [[ -s $work/window.png ]] || fail "the installed launcher did not draw its window"
grep -q "<string>/opt/Some App</string>" "$XDG_CONFIG_HOME/Vantrel_checkIn/defaults.plist" || fail "the launcher kept no path"

"$install" --uninstall --prefix "$prefix" >/dev/null
[[ -z $(find "$prefix" -mindepth 1 2>/dev/null) && ! -e $manifest ]] || fail "left behind: $(find "$prefix" "$manifest" 2>&1)"
"$install" --from-build "$build" --prefix "$prefix" >/dev/null
echo '{"mine": true}' >"$prefix/lib/vantrel/data.json"
"$install" --uninstall --prefix "$prefix" >/dev/null
[[ $(<"$prefix/lib/vantrel/data.json") == '{"mine": true}' ]] || fail "the user's data.json was removed"
echo "install test passed"
