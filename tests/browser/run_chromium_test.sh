#!/usr/bin/env bash
# End-to-end test of the messaging host inside a real headless Chromium.
# Usage: run_chromium_test.sh HOST_BINARY
# Prints "N passed, M failed" last; exits 0 on success, 1 on failure,
# 77 (skipped) when Chromium cannot be had, 2 on a usage error.
# KEEP_WORK=1 keeps the temporary folder for a look after a run.
set -uo pipefail

# Derived from the public key in extension/manifest.json; checked below. A new key:
#   openssl genrsa -out key.pem 2048
#   openssl rsa -in key.pem -pubout -outform DER | base64 -w0   -> manifest "key"
#   python3 helper.py extension-id extension/manifest.json        -> here
# Keep key.pem out of the repository: only the public half is needed.
readonly EXTENSION_ID="dfbbjclmglcnieipbohihfdipelgljip"
# CHROMIUM_BINARY only exists to exercise the skip path.
readonly CHROMIUM=${CHROMIUM_BINARY:-/usr/lib/chromium/chromium}
readonly TESTS=(options_once url_once port_burst url_port)

source "$(dirname -- "${BASH_SOURCE[0]}")/common.sh"
take_host_binary "$@"

if [[ ! -x $CHROMIUM ]]; then
    ensure_packages chromium || skip "chromium is not installed and could not be installed"
fi
[[ -x $CHROMIUM ]] || skip "$CHROMIUM missing even after installing chromium"
find_python

actual_id=$("$python" "$helper" extension-id "$here/extension/manifest.json") || exit 2
if [[ $actual_id != "$EXTENSION_ID" ]]; then
    echo "extension id from manifest key is $actual_id, script expects $EXTENSION_ID" >&2
    exit 2
fi

make_work_folder
profile="$work/profile"
extension="$work/extension"
mkdir -p "$profile/NativeMessagingHosts"

cat >"$profile/NativeMessagingHosts/$HOST_NAME.json" <<EOF
{
  "name": "$HOST_NAME",
  "description": "Vantrel messaging host (browser test)",
  "path": "$host_exe",
  "type": "stdio",
  "allowed_origins": ["chrome-extension://$EXTENSION_ID/"]
}
EOF

start_report_server
copy_extension "$here/extension" "$extension"

start_browser "$work/chromium.log" "$CHROMIUM" \
    --headless=new --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" \
    --disable-extensions-except="$extension" --load-extension="$extension" \
    about:blank

finish Chromium "$EXTENSION_ID" "$work/chromium.log" 'dbus/'
