#!/usr/bin/env bash
# Makes each problem a user meets with the messaging host in a throw-away HOME, XDG folders and
# system root, and checks that vantrel-doctor finds it, says what to do, and exits accordingly.
# Usage: doctor_test.sh HOST_BINARY
set -euo pipefail

scripts=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../../scripts" && pwd)
host_binary=$(realpath -- "${1:?the host binary to check}")
work=$(mktemp -d "${TMPDIR:-/tmp}/doctor_test.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/xdg-config XDG_DATA_HOME=$work/xdg-data
root=$work/root installed=$work/installed
host=$installed/vantrelmessaginghost
ids=(--chrome-extension-id abcdefghijklmnopabcdefghijklmnop --firefox-addon-id messaging@vantrel.example)
register() { "$scripts/install-manifest" "$@" >/dev/null; }
# A stand-in for flatpak that lists the applications named in $work/flatpak-apps.
mkdir -p "$work/bin"
printf '#!/bin/sh\ncat "%s/flatpak-apps" 2>/dev/null\n' "$work" >"$work/bin/flatpak"
chmod +x "$work/bin/flatpak"
export PATH="$work/bin:$PATH"

# A correct installation for every browser, before each case breaks one thing.
install_correctly() {
    rm -rf -- "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$root" "$installed" "$work/flatpak-apps"
    mkdir -p "$HOME" "$root" "$installed"
    cp -- "$host_binary" "$host"
    printf '{"a": 1}\n' >"$installed/data.json"
    register --host "$host" "${ids[@]}"
}
# Runs COMMAND with each manifest as its last argument.
each_manifest() {
    find "$HOME" "$XDG_CONFIG_HOME" "$root" -name com.vantrel.messaginghost.json -print0 | xargs -0 -n1 "$@"
}
# Runs a Python statement on every manifest, as the dictionary m, and writes it back.
edit_manifests() {
    each_manifest python3 -c '
import json, sys
for file in sys.argv[2:]:
    m = json.load(open(file, encoding="utf-8"))
    exec(sys.argv[1])
    json.dump(m, open(file, "w", encoding="utf-8"))' "$1"
}
# install-manifest looks for the host under the root; the manifests name the real one.
register_system() {
    mkdir -p -- "$root$installed" && cp -- "$host" "$root$host"
    register --system --root "$root" --host "$host" "${ids[@]}"
}
chromium=$XDG_CONFIG_HOME/chromium
unparsable="each_manifest truncate -s 9"

# name | set-up (shell) | extra options | exit status | findings (level:code) | what the text must say
cases=(
    "correct installation|||0|ok:reply-ok|Ready for: Chromium, Google Chrome, Brave, Vivaldi, Microsoft Edge, Firefox"
    "expected ids and host given||--host $host ${ids[*]}|0|ok:id-ok|Ready for: Chromium"
    "registered system wide only|register --uninstall; register_system||0|note:user-manifest-absent|the system one is used"
    "registered nowhere|register --uninstall||1|problem:registered-nowhere|fix: register the host: scripts/install-manifest --host"
    "used browser, no manifest|register --uninstall; mkdir -p $chromium||1|problem:manifest-absent|\"Specified native messaging host not found\""
    "manifest in the wrong folder|mkdir -p $chromium/native-messaging-hosts; mv $chromium/NativeMessagingHosts/* $chromium/native-messaging-hosts/; register --uninstall||1|problem:manifest-misplaced|fix: move it to $chromium/NativeMessagingHosts/"
    "manifest is not JSON|$unparsable||1|problem:manifest-unparsable|fix: register the host again: scripts/install-manifest --host"
    "manifest is a link to nothing|each_manifest ln -sf $work/nothing.json||1|problem:manifest-dangling-link|fix: register the host again"
    "broken user manifest hides a good system one|$unparsable; register_system||1|problem:manifest-unparsable|not used while the user one is there"
    "name does not match the file name|edit_manifests 'm[\"name\"] = \"com.vantrel.host\"'||1|problem:manifest-name|fix: set \"name\" to \"com.vantrel.messaginghost\""
    "relative path|edit_manifests 'm[\"path\"] = \"vantrelmessaginghost\"'||1|problem:path-relative|fix: write the host's full path, starting with /"
    "host missing|rm $host||1|problem:path-absent|fix: install the host there (scripts/install)"
    "host not executable|chmod -x $host||1|problem:path-not-executable|fix: make it executable: chmod +x '$host'"
    "malformed ids|edit_manifests 'm.update({\"allowed_origins\": [\"chrome-extension://ABC/\"]} if \"allowed_origins\" in m else {\"allowed_extensions\": [\"no at sign\"]})'||1|problem:id-malformed|expected chrome-extension://<32 letters a-p>/;expected an add-on id, name@domain or {GUID}"
    "another extension id||--chrome-extension-id ponmlkjihgfedcbaponmlkjihgfedcba --firefox-addon-id other@vantrel.example|1|problem:id-not-allowed|fix: register the host again: scripts/install-manifest --host $host --chrome-extension-id ponmlkjihgfedcbaponmlkjihgfedcba"
    "another host||--host $work/elsewhere/vantrelmessaginghost|1|problem:path-other-host|not $work/elsewhere/vantrelmessaginghost"
    "Firefox told allowed_origins|edit_manifests 'm[\"allowed_origins\"] = m.pop(\"allowed_extensions\", m.get(\"allowed_origins\"))'||0|problem:ids-missing|it lists \"allowed_origins\", but Firefox reads \"allowed_extensions\""
    "Chromium as a system Flatpak|mkdir -p $root/var/lib/flatpak/app/org.chromium.Chromium||0|problem:browser-sandboxed|Chromium is installed as a Flatpak (org.chromium.Chromium)"
    "Chrome as a user Flatpak|mkdir -p $XDG_DATA_HOME/flatpak/app/com.google.Chrome||0|problem:browser-sandboxed|fix: install Google Chrome from your distribution or the vendor's package"
    "Firefox listed by flatpak|echo org.mozilla.firefox >$work/flatpak-apps||0|problem:browser-sandboxed|Firefox is installed as a Flatpak (org.mozilla.firefox)"
    "Brave as a Snap|mkdir -p $root/snap/brave||0|problem:browser-sandboxed|Brave is installed as a Snap (brave)"
    "a Flatpak beside a package|mkdir -p $root/usr/lib/chromium $root/var/lib/flatpak/app/org.chromium.Chromium||0|warning:browser-also-sandboxed|fix: start Chromium from /usr/lib/chromium"
    "data.json missing|rm $installed/data.json||1|problem:data-missing problem:host-no-reply|fix: put the extension's options in $installed/data.json;the host sent no reply"
    "data.json not UTF-8|printf '{\"a\": \"\\xff\"}' >$installed/data.json||1|problem:data-not-utf8|fix: save $installed/data.json as UTF-8"
    "data.json not JSON|printf '{\"a\": 1,}' >$installed/data.json||1|problem:data-not-json problem:reply-not-json|the host sends it anyway;the browser would fail to read it"
    # One byte above what fits in a 1 MiB reply.
    "data.json too large|python3 -c 'print(end=\"\\\"\" + \"a\" * 1048562 + \"\\\"\")' >$installed/data.json||1|problem:data-too-large problem:reply-too-large|fix: keep $installed/data.json within 1,048,563 bytes;browsers drop a message above 1 MiB"
    "host prints text before its frames|mv $host $installed/real-host; printf '#!/bin/sh\\necho \"Starting the host\"\\nexec $installed/real-host\\n' >$host; chmod +x $host||1|problem:host-not-a-frame|starting b'Starting the host"
    "host never ends|printf '#!/bin/sh\\nexec sleep 600\\n' >$host|--timeout 1|1|problem:host-timeout|fix: run it by hand"
)

failed=0
fail() {
    printf 'FAIL: %s: %s\n' "$name" "$1" >&2
    failed=$((failed + 1))
}
for case in "${cases[@]}"; do
    IFS='|' read -r name setup options status findings says <<<"$case"
    install_correctly
    eval "$setup"
    # shellcheck disable=SC2086 # the options are words
    text=$("$scripts/vantrel-doctor" --root "$root" $options) && text_status=0 || text_status=$?
    # shellcheck disable=SC2086
    json=$("$scripts/vantrel-doctor" --root "$root" --json $options) && json_status=0 || json_status=$?
    [[ $text_status:$json_status == "$status:$status" ]] ||
        fail "exit status $text_status (--json: $json_status), not $status:"$'\n'"$text"
    found=$(python3 -c 'import json, sys
r = json.load(sys.stdin)  # every finding as level:code, and "ok:<true|false>"
print("ok:" + str(r["ok"]).lower(), *(f["level"] + ":" + f["code"] for g in [r, *r["browsers"], *r["hosts"]] for f in g["findings"]))' <<<"$json" || true)
    for finding in $findings "ok:$( ((status == 0)) && echo true || echo false)"; do
        [[ " $found " == *" $finding "* ]] || fail "no $finding in the JSON report: $found"
    done
    IFS=';' read -ra sayings <<<"$says"
    for saying in "${sayings[@]}"; do
        grep -qF -- "$saying" <<<"$text" || fail "the report does not say: $saying"$'\n'"$text"
    done
    if [[ $findings == ok:* ]] && grep -q PROBLEM <<<"$text"; then fail "a correct installation has problems"; fi
done

# install-manifest --check is the same check.
name="install-manifest --check"
install_correctly
rm "$installed/data.json"
"$scripts/install-manifest" --check --root "$root" >"$work/out" && fail "exit status 0 without data.json"
grep -qF "there is no data.json in $installed" "$work/out" || fail "no data.json problem"
printf '%d cases, %d failures\n' "$((${#cases[@]} + 1))" "$failed"
((failed == 0))
