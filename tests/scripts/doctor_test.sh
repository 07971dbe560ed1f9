#!/usr/bin/env bash
# Makes each problem a user meets with the messaging host in a throw-away HOME, XDG folders and
# system root, and checks that vantrel-doctor finds it, says what to do, and exits accordingly.
# Usage: doctor_test.sh HOST_BINARY
set -euo pipefail

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
doctor=$here/../../scripts/vantrel-doctor
install_manifest=$here/../../scripts/install-manifest
host_binary=$(realpath -- "${1:?the host binary to check}")

work=$(mktemp -d "${TMPDIR:-/tmp}/doctor_test.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/xdg-config XDG_DATA_HOME=$work/xdg-data
root=$work/root
installed=$work/installed
host=$installed/vantrelmessaginghost

readonly FILE=com.vantrel.messaginghost.json
readonly CHROME_ID=abcdefghijklmnopabcdefghijklmnop
readonly FIREFOX_ID=messaging@vantrel.example

# A stand-in for flatpak that lists the applications named in $work/flatpak-apps.
mkdir -p "$work/bin"
printf '#!/bin/sh\ncat "%s/flatpak-apps" 2>/dev/null\n' "$work" >"$work/bin/flatpak"
chmod +x "$work/bin/flatpak"
export PATH="$work/bin:$PATH"

# --- set-ups: a correct installation for every browser, then one thing broken -------------

install_correctly() {
    rm -rf -- "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$root" "$installed" "$work/flatpak-apps"
    mkdir -p "$HOME" "$root" "$installed"
    cp -- "$host_binary" "$host"
    printf '{"a": 1}\n' >"$installed/data.json"
    "$install_manifest" --host "$host" --chrome-extension-id "$CHROME_ID" \
        --firefox-addon-id "$FIREFOX_ID" >/dev/null
}

manifests() {
    find "$HOME" "$XDG_CONFIG_HOME" "$root" -name "$FILE" -print0
}

# Runs a Python statement on every manifest, as the dictionary m, and writes it back.
edit_manifests() {
    manifests | xargs -0 python3 -c '
import json, sys
for file in sys.argv[2:]:
    with open(file, encoding="utf-8") as f:
        m = json.load(f)
    exec(sys.argv[1])
    with open(file, "w", encoding="utf-8") as f:
        json.dump(m, f)
' "$1"
}

register_nowhere() { "$install_manifest" --uninstall >/dev/null; }
# Chromium has a profile, so it has been used, but the host is not registered with it.
leave_chromium_unregistered() {
    register_nowhere
    mkdir -p "$XDG_CONFIG_HOME/chromium"
}
misplace_manifest() {
    mkdir -p "$XDG_CONFIG_HOME/chromium/native-messaging-hosts"
    mv -- "$XDG_CONFIG_HOME/chromium/NativeMessagingHosts/$FILE" "$XDG_CONFIG_HOME/chromium/native-messaging-hosts/"
    "$install_manifest" --uninstall >/dev/null
}
each_manifest() {
    local file
    while IFS= read -r -d '' file; do "$@" "$file"; done < <(manifests)
}
overwrite() { printf '%s' "$1" >"$2"; }
break_json() { each_manifest overwrite '{ "name": '; }
link_to_nothing() { each_manifest ln -sf -- "$work/nothing.json"; }
misname() { edit_manifests 'm["name"] = "com.vantrel.host"'; }
make_path_relative() { edit_manifests 'm["path"] = "vantrelmessaginghost"'; }
remove_host() { rm -- "$host"; }
forbid_execution() { chmod -x -- "$host"; }
malform_ids() {
    edit_manifests 'm.update({"allowed_origins": ["chrome-extension://ABC/"]} if "allowed_origins" in m else {"allowed_extensions": ["no at sign"]})'
}
swap_firefox_key() { edit_manifests 'm["allowed_origins"] = m.pop("allowed_extensions", m.get("allowed_origins"))'; }
system_flatpak_chromium() { mkdir -p "$root/var/lib/flatpak/app/org.chromium.Chromium"; }
user_flatpak_chrome() { mkdir -p "$XDG_DATA_HOME/flatpak/app/com.google.Chrome"; }
listed_flatpak_firefox() { echo org.mozilla.firefox >"$work/flatpak-apps"; }
snap_brave() { mkdir -p "$root/snap/brave"; }
flatpak_beside_package() { mkdir -p "$root/usr/lib/chromium" "$root/var/lib/flatpak/app/org.chromium.Chromium"; }
remove_data() { rm -- "$installed/data.json"; }
data_not_utf8() { printf '{"a": "\xff"}' >"$installed/data.json"; }
data_not_json() { printf '{"a": 1,}' >"$installed/data.json"; }
# One byte above what fits in a 1 MiB reply.
data_too_large() { python3 -c 'print(end="\"" + "a" * (1048563 - 1) + "\"")' >"$installed/data.json"; }
wrap_host_in_chatter() {
    mv -- "$host" "$installed/real-host"
    printf '#!/bin/sh\necho "Starting the host"\nexec "%s" "$@"\n' "$installed/real-host" >"$host"
    chmod +x -- "$host"
}
hang_host() {
    printf '#!/bin/sh\nexec sleep 600\n' >"$host"
}
# install-manifest looks for the host under the root; the manifests name the real one.
register_system() {
    mkdir -p -- "$root$installed"
    cp -- "$host" "$root$host"
    "$install_manifest" --system --root "$root" --host "$host" --chrome-extension-id "$CHROME_ID" \
        --firefox-addon-id "$FIREFOX_ID" >/dev/null
}
register_system_wide() {
    "$install_manifest" --uninstall >/dev/null
    register_system
}
break_user_keep_system() {
    break_json
    register_system
}
nothing() { :; }

# --- the cases ---------------------------------------------------------------------------------
# name | set-up | extra options | exit status | a finding (level:code) | what the text must say

cases=(
    "correct installation|nothing||0|ok:reply-ok|Ready for: Chromium, Google Chrome, Brave, Vivaldi, Microsoft Edge, Firefox"
    "expected ids and host given|nothing|--host $host --chrome-extension-id $CHROME_ID --firefox-addon-id $FIREFOX_ID|0|ok:id-ok|Ready for: Chromium"
    "registered system wide only|register_system_wide||0|note:user-manifest-absent|the system one is used"
    "registered nowhere|register_nowhere||1|problem:registered-nowhere|fix: register the host: scripts/install-manifest --host"
    "used browser, no manifest|leave_chromium_unregistered||1|problem:manifest-absent|\"Specified native messaging host not found\""
    "manifest in the wrong folder|misplace_manifest||1|problem:manifest-misplaced|fix: move it to $XDG_CONFIG_HOME/chromium/NativeMessagingHosts/"
    "manifest is not JSON|break_json||1|problem:manifest-unparsable|fix: register the host again: scripts/install-manifest --host"
    "manifest is a link to nothing|link_to_nothing||1|problem:manifest-dangling-link|fix: register the host again"
    "broken user manifest hides a good system one|break_user_keep_system||1|problem:manifest-unparsable|not used while the user one is there"
    "name does not match the file name|misname||1|problem:manifest-name|fix: set \"name\" to \"com.vantrel.messaginghost\""
    "relative path|make_path_relative||1|problem:path-relative|fix: write the host's full path, starting with /"
    "host missing|remove_host||1|problem:path-absent|fix: install the host there (scripts/install)"
    "host not executable|forbid_execution||1|problem:path-not-executable|fix: make it executable: chmod +x '$host'"
    "malformed extension ids|malform_ids||1|problem:id-malformed|expected chrome-extension://<32 letters a-p>/"
    "malformed add-on id|malform_ids||1|problem:id-malformed|expected an add-on id, name@domain or {GUID}"
    "another extension id|nothing|--chrome-extension-id ponmlkjihgfedcbaponmlkjihgfedcba --firefox-addon-id other@vantrel.example|1|problem:id-not-allowed|fix: register the host again: scripts/install-manifest --host $host --chrome-extension-id ponmlkjihgfedcbaponmlkjihgfedcba"
    "another host|nothing|--host $work/elsewhere/vantrelmessaginghost|1|problem:path-other-host|not $work/elsewhere/vantrelmessaginghost"
    "Firefox told allowed_origins|swap_firefox_key||0|problem:ids-missing|it lists \"allowed_origins\", but Firefox reads \"allowed_extensions\""
    "Chromium as a system Flatpak|system_flatpak_chromium||0|problem:browser-sandboxed|Chromium is installed as a Flatpak (org.chromium.Chromium)"
    "Chrome as a user Flatpak|user_flatpak_chrome||0|problem:browser-sandboxed|fix: install Google Chrome from your distribution or the vendor's package"
    "Firefox listed by flatpak|listed_flatpak_firefox||0|problem:browser-sandboxed|Firefox is installed as a Flatpak (org.mozilla.firefox)"
    "Brave as a Snap|snap_brave||0|problem:browser-sandboxed|Brave is installed as a Snap (brave)"
    "a Flatpak beside a package|flatpak_beside_package||0|warning:browser-also-sandboxed|fix: start Chromium from /usr/lib/chromium"
    "data.json missing|remove_data||1|problem:data-missing|fix: put the extension's options in $installed/data.json"
    "data.json missing: no reply|remove_data||1|problem:host-no-reply|the host sent no reply"
    "data.json not UTF-8|data_not_utf8||1|problem:data-not-utf8|fix: save $installed/data.json as UTF-8"
    "data.json not JSON|data_not_json||1|problem:data-not-json|the host sends it anyway"
    "data.json not JSON: reply unreadable|data_not_json||1|problem:reply-not-json|the browser would fail to read it"
    "data.json too large|data_too_large||1|problem:data-too-large|fix: keep $installed/data.json within 1,048,563 bytes"
    "reply above 1 MiB|data_too_large||1|problem:reply-too-large|browsers drop a message above 1 MiB"
    "host prints text before its frames|wrap_host_in_chatter||1|problem:host-not-a-frame|starting b'Starting the host"
    "host never ends|hang_host|--timeout 1|1|problem:host-timeout|fix: run it by hand"
)

passed=0
failed=0
failures=0 # of the case under way
fail() {
    failures=$((failures + 1))
    printf 'FAIL: %s: %s\n' "$1" "$2" >&2
}
tally() {
    if ((failures)); then failed=$((failed + 1)); else passed=$((passed + 1)); fi
    failures=0
}

# Every finding of a JSON report as level:code, one a line, and "ok:<true|false>" first.
findings_of() {
    python3 -c '
import json, sys
report = json.load(sys.stdin)
print("ok:" + str(report["ok"]).lower())
groups = [report["findings"]] + [b["findings"] for b in report["browsers"]] + [h["findings"] for h in report["hosts"]]
for findings in groups:
    for finding in findings:
        print(finding["level"] + ":" + finding["code"])
'
}

run_case() {
    local name=$1 setup=$2 options=$3 status=$4 finding=$5 says=$6 text json text_status json_status
    install_correctly
    "$setup"
    # shellcheck disable=SC2086 # the options are words
    text=$("$doctor" --root "$root" $options) && text_status=0 || text_status=$?
    # shellcheck disable=SC2086
    json=$("$doctor" --root "$root" --json $options) && json_status=0 || json_status=$?
    [[ $text_status == "$status" ]] || fail "$name" "exit status $text_status, not $status:"$'\n'"$text"
    [[ $json_status == "$status" ]] || fail "$name" "--json exit status $json_status, not $status"
    grep -qxF "$finding" <<<"$(findings_of <<<"$json")" || fail "$name" "no $finding in the JSON report"
    grep -qxF "ok:$([[ $status == 0 ]] && echo true || echo false)" <<<"$(findings_of <<<"$json")" ||
        fail "$name" "the JSON report's ok disagrees with the exit status"
    grep -qF -- "$says" <<<"$text" || fail "$name" "the report does not say: $says"$'\n'"$text"
    if [[ $status == 0 && $finding == ok:* ]] && grep -q PROBLEM <<<"$text"; then
        fail "$name" "a correct installation has problems:"$'\n'"$text"
    fi
}

for case in "${cases[@]}"; do
    IFS='|' read -r name setup options status finding says <<<"$case"
    run_case "$name" "$setup" "$options" "$status" "$finding" "$says"
    tally
done

# install-manifest --check is the same check.
install_correctly
remove_data
if "$install_manifest" --check --root "$root" >"$work/out"; then
    fail "install-manifest --check" "exit status 0 without data.json"
fi
grep -qF "there is no data.json in $installed" "$work/out" || fail "install-manifest --check" "no data.json problem"
tally

printf '%d passed, %d failed\n' "$passed" "$failed"
[[ $failed -eq 0 ]]
