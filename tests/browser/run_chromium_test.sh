#!/usr/bin/env bash
# The messaging host inside a real headless Chromium, started for a test extension.
# Usage: run_chromium_test.sh HOST_BINARY. Exits 77 (skipped) without Chromium.
# KEEP_WORK=1 keeps the temporary folder for a look after a run.
set -uo pipefail

# Derived from the public key in extension/manifest.json: the first 32 hexadecimal digits of its
# SHA-256, each mapped to a letter a-p. Keep the private key out of the repository.
readonly EXTENSION_ID="dfbbjclmglcnieipbohihfdipelgljip"
# CHROMIUM_BINARY only exists to exercise the skip path.
readonly CHROMIUM=${CHROMIUM_BINARY:-/usr/lib/chromium/chromium}
readonly TESTS=(options_once url_once port_burst url_port)
source "$(dirname -- "${BASH_SOURCE[0]}")/common.sh"
[[ -x $CHROMIUM ]] || skip "$CHROMIUM"

make_work_folder "$EXTENSION_ID"
mkdir -p "$work/profile/NativeMessagingHosts"
printf '{"name": "com.vantrel.messaginghost", "description": "browser test", "path": "%s", "type": "stdio",
  "allowed_origins": ["chrome-extension://%s/"]}\n' "$host_exe" "$EXTENSION_ID" \
    >"$work/profile/NativeMessagingHosts/com.vantrel.messaginghost.json"
copy_extension "$here/extension" "$work/extension"
start_browser "$work/chromium.log" "$CHROMIUM" --headless=new --no-sandbox --disable-gpu --disable-quic \
    --no-first-run --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/profile" --disable-extensions-except="$work/extension" \
    --load-extension="$work/extension" about:blank
finish "$work/chromium.log" 'dbus/'
