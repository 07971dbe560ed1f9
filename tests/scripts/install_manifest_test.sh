#!/usr/bin/env bash
# scripts/install-manifest in a throw-away HOME and system root: what each kind of install writes
# and prints, refusals that write nothing, and uninstalls that remove only what it wrote.
# Prints "N passed, M failed" last; exits non-zero if anything failed.
set -uo pipefail

script=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../../scripts" && pwd)/install-manifest
work=$(mktemp -d "${TMPDIR:-/tmp}/install_manifest_test.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
export HOME="$work/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
readonly FILE=com.vantrel.messaginghost.json CHROME_ID=abcdefghijklmnopabcdefghijklmnop
readonly FIREFOX_ID=messaging@vantrel.example
ids=(--chrome-extension-id "$CHROME_ID" --firefox-addon-id "$FIREFOX_ID")
passed=0 failed=0
check() {
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)) && echo "FAIL: $what" >&2; fi
}
run() { "$script" "$@" >"$work/out" 2>"$work/err" && rc=0 || rc=$?; out=$(<"$work/out") err=$(<"$work/err"); }
make_host() { mkdir -p -- "$(dirname -- "$1")" && printf '#!/bin/sh\n' >"$1" && chmod 0755 -- "$1"; }
reset_home() { rm -rf -- "$HOME" "$work/xdg" && mkdir -p "$HOME" && unset XDG_CONFIG_HOME; }
files_under() { (cd -- "$1" && find . -type f | LC_ALL=C sort); }
chrome_dirs() { # ROOT_OR_CONFIG system|user
    if [[ $2 == system ]]; then
        printf "$1/etc/%s/native-messaging-hosts/$FILE\n" chromium opt/chrome opt/brave.com/brave opt/vivaldi opt/edge
    else
        printf "$1/%s/NativeMessagingHosts/$FILE\n" chromium google-chrome BraveSoftware/Brave-Browser vivaldi microsoft-edge
    fi
}
# manifests_ok KIND HOST_PATH FILE...: each a correct manifest of mode 0644 for that browser family.
manifests_ok() {
    python3 - "$CHROME_ID" "$FIREFOX_ID" "$@" <<'PY'
import json, os, sys
chrome_id, firefox_id, kind, path, *files = sys.argv[1:]
allowed = {"allowed_origins": [f"chrome-extension://{chrome_id}/"]} if kind == "chrome" else {"allowed_extensions": [firefox_id]}
for f in files:
    m = json.load(open(f, encoding="utf-8"))
    wanted = {"name": "com.vantrel.messaginghost", "path": path, "type": "stdio", **allowed}
    if os.stat(f).st_mode & 0o777 != 0o644 or not m.pop("description", "").strip() or m != wanted:
        sys.exit(f"{f}: mode {os.stat(f).st_mode & 0o777:o}, {m}")
PY
}

host="$work/inst/vantrelmessaginghost"
make_host "$host"
reset_home
run --host "$host" "${ids[@]}"
expected=$(chrome_dirs "$HOME/.config" user && echo "$HOME/.mozilla/native-messaging-hosts/$FILE")
check "per-user install prints each file written (rc $rc: $err)" test "$rc:$out" = "0:$expected"
# A reinstall writes the same files again, and nothing else.
run --host "$host" "${ids[@]}"
check "per-user manifests, after a reinstall" manifests_ok chrome "$host" $(chrome_dirs "$HOME/.config" user)
check "per-user Firefox manifest" manifests_ok firefox "$host" "$HOME/.mozilla/native-messaging-hosts/$FILE"
check "a reinstall writes nothing else" test "$rc:$(files_under "$HOME" | wc -l)" = 0:6

reset_home
export XDG_CONFIG_HOME="$work/xdg"
run --host "$host" "${ids[@]}"
check "XDG_CONFIG_HOME is used for Chromium, not ~/.config" manifests_ok chrome "$host" \
    $(chrome_dirs "$XDG_CONFIG_HOME" user) $([[ -e $HOME/.config ]] && echo "$HOME/.config")

# A relative host is made absolute, a link is kept (the browser uses its folder), and an awkward
# path is escaped.
mkdir -p "$work/linkdir" && ln -sf "$host" "$work/linkdir/host-link"
odd_host="$work/dir with spaces/quo\"te/back\\slash é"$'\t'"host"
make_host "$odd_host"
for given in "./vantrelmessaginghost=$host" "$work/linkdir/host-link" "$odd_host"; do
    reset_home
    (cd "$work/inst" && run --host "${given%%=*}" "${ids[@]}" && [[ $rc == 0 ]] &&
        manifests_ok firefox "${given#*=}" "$HOME/.mozilla/native-messaging-hosts/$FILE" &&
        manifests_ok chrome "${given#*=}" "$HOME/.config/google-chrome/NativeMessagingHosts/$FILE")
    check "the manifests for --host ${given%%=*}" test $? = 0
done

reset_home
sysroot="$work/sysroot"
make_host "$sysroot/opt/vantrel/vantrelmessaginghost"
run --system --root "$sysroot" --host /opt/vantrel/vantrelmessaginghost "${ids[@]}"
expected=$(chrome_dirs "$sysroot" system && echo "$sysroot/usr/lib/mozilla/native-messaging-hosts/$FILE")
check "system install prints each file written ($err)" test "$rc:$out" = "0:$expected"
check "system manifests" manifests_ok chrome /opt/vantrel/vantrelmessaginghost $(chrome_dirs "$sysroot" system)
check "system Firefox manifest, and nothing in HOME" manifests_ok firefox /opt/vantrel/vantrelmessaginghost \
    "$sysroot/usr/lib/mozilla/native-messaging-hosts/$FILE" $(files_under "$HOME")
run --system --root "$sysroot" --uninstall
check "system uninstall prints each file removed" test "$rc:$out" = "0:$expected"
check "system uninstall leaves only the staged host" test "$(files_under "$sysroot")" = ./opt/vantrel/vantrelmessaginghost

# Refusals: a non-zero status, a message, nothing written.
printf 'x\n' >"$work/not-executable"
# Each refusal's words are separated by "|", so a trailing newline survives.
refusals=(
    "--host|$host|--chrome-extension-id|abcdefghijklmnop"
    "--host|$host|--chrome-extension-id|qbcdefghijklmnopabcdefghijklmnop"
    "--host|$host|--chrome-extension-id|ABCDEFGHIJKLMNOPABCDEFGHIJKLMNOP"
    "--host|$host|--chrome-extension-id|$CHROME_ID"$'\n'
    "--host|$host|--firefox-addon-id|no at sign"
    "--host|$work/nope/vantrelmessaginghost|--chrome-extension-id|$CHROME_ID"
    "--host|$work/not-executable|--chrome-extension-id|$CHROME_ID"
    "--host|$work/inst|--chrome-extension-id|$CHROME_ID"
    "--chrome-extension-id|$CHROME_ID"
    "--host|$host"
    "--host|$host|--chrome-extension-id|$CHROME_ID|--bogus"
    "--root|$sysroot|--host|$host|--firefox-addon-id|$FIREFOX_ID"
    "--system|--root|$sysroot|--host|$host|--firefox-addon-id|$FIREFOX_ID"
    "--system|--root|$sysroot|--host|./vantrelmessaginghost|--firefox-addon-id|$FIREFOX_ID"
)
for refusal in "${refusals[@]}"; do
    reset_home
    IFS='|' read -r -d '' -a words < <(printf '%s' "$refusal")
    run "${words[@]}"
    check "refused: $refusal" test "$rc" -ne 0 -a -n "$err" -a \
        "$(files_under "$HOME")$(files_under "$sysroot")" = ./opt/vantrel/vantrelmessaginghost
done

reset_home
run --host "$host" --chrome-extension-id "$CHROME_ID"
check "Chromium only: five files, Firefox skipped and said" test "$rc:$(wc -l <<<"$out")" = 0:5 -a ! -e "$HOME/.mozilla" \
    -a -n "$(grep -i firefox <<<"$err")"
reset_home
run --host "$host" --firefox-addon-id "$FIREFOX_ID"
check "Firefox only: Chromium skipped and said" test "$rc" = 0 -a ! -e "$HOME/.config" -a -n "$(grep -i chromium <<<"$err")"

# An uninstall removes what the install wrote, and the folders it emptied, and nothing else.
reset_home
mkdir -p "$HOME/.config/chromium/NativeMessagingHosts" "$HOME/.mozilla"
printf 'keep\n' | tee "$HOME/.config/chromium/NativeMessagingHosts/other.host.json" >"$HOME/.mozilla/unrelated"
before=$(files_under "$HOME")
run --host "$host" "${ids[@]}"
written=$out
run --uninstall
check "uninstall prints each file removed" test "$rc:$out" = "0:$written"
check "uninstall leaves every other file" test "$(files_under "$HOME")" = "$before"
check "emptied manifest folders go, others stay" test ! -e "$HOME/.config/google-chrome/NativeMessagingHosts" -a \
    ! -e "$HOME/.mozilla/native-messaging-hosts" -a -d "$HOME/.config/chromium/NativeMessagingHosts"
run --uninstall
check "a second uninstall removes nothing" test "$rc:$out" = 0:
run --host "$host" "${ids[@]}"
run --uninstall --firefox-addon-id "$FIREFOX_ID"
check "a Firefox uninstall keeps Chromium's" test "$rc" = 0 -a ! -e "$HOME/.mozilla/native-messaging-hosts/$FILE" \
    -a -f "$HOME/.config/chromium/NativeMessagingHosts/$FILE"
printf '%d passed, %d failed\n' "$passed" "$failed"
((failed == 0))
