#!/usr/bin/env bash
# Exercises scripts/install-manifest in a throw-away HOME and XDG folders.
# Prints "N passed, M failed" last; exits non-zero if anything failed.
set -uo pipefail

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
script=${INSTALL_MANIFEST:-"$here/../../scripts/install-manifest"}
[[ -x $script ]] || {
    echo "install-manifest not found or not executable: $script" >&2
    exit 2
}

work=$(mktemp -d "${TMPDIR:-/tmp}/install_manifest_test.XXXXXX")
trap 'rm -rf -- "$work"' EXIT

# The real user's folders must never be reachable, even by a buggy run.
export HOME="$work/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
mkdir -p "$HOME"

readonly NAME="com.vantrel.messaginghost"
readonly FILE="$NAME.json"
readonly CHROME_ID="abcdefghijklmnopabcdefghijklmnop"
readonly FIREFOX_ID="messaging@vantrel.example"

have_python=false
if command -v python3 >/dev/null 2>&1 && python3 -c 'import json' 2>/dev/null; then
    have_python=true
fi

passed=0
failed=0

pass() { passed=$((passed + 1)); }
fail() {
    failed=$((failed + 1))
    printf 'FAIL: %s\n' "$1" >&2
}
check() {
    local what=$1
    shift
    if "$@"; then pass; else fail "$what"; fi
}

lacks() { ! grep -q -- "$1" "$2"; }

# Runs the script; leaves rc, out and err behind.
run() {
    local o e
    o="$work/out" e="$work/err"
    "$script" "$@" >"$o" 2>"$e"
    rc=$?
    out=$(cat "$o")
    err=$(cat "$e")
}

make_host() {
    mkdir -p -- "$(dirname -- "$1")"
    printf '#!/bin/sh\nexit 0\n' >"$1"
    chmod 0755 -- "$1"
}

# Lists every entry under a folder, so "nothing else changed" is a diff.
snapshot() {
    (cd -- "$1" && find . -mindepth 1 | LC_ALL=C sort)
}

reset_home() {
    rm -rf -- "$HOME" "$work/xdg"
    mkdir -p "$HOME"
    unset XDG_CONFIG_HOME
}

user_chrome_dirs() {
    local c=$1
    printf '%s\n' \
        "$c/chromium/NativeMessagingHosts" \
        "$c/google-chrome/NativeMessagingHosts" \
        "$c/BraveSoftware/Brave-Browser/NativeMessagingHosts" \
        "$c/vivaldi/NativeMessagingHosts" \
        "$c/microsoft-edge/NativeMessagingHosts"
}

system_chrome_dirs() {
    local r=$1
    printf '%s\n' \
        "$r/etc/chromium/native-messaging-hosts" \
        "$r/etc/opt/chrome/native-messaging-hosts" \
        "$r/etc/opt/brave.com/brave/native-messaging-hosts" \
        "$r/etc/opt/vivaldi/native-messaging-hosts" \
        "$r/etc/opt/edge/native-messaging-hosts"
}

# check_manifest FILE KIND EXPECTED_PATH [EXPECTED_PATH_AS_ESCAPED_JSON]
# KIND is "chrome" or "firefox". The escaped form is only needed without
# python3, where the check falls back to matching text.
check_manifest() {
    local f=$1 kind=$2 path=$3 escaped=${4:-$3} mode
    check "$f exists" test -f "$f"
    [[ -f $f ]] || return
    mode=$(stat -c '%a' -- "$f")
    check "$f has mode 0644 (got $mode)" test "$mode" = 644
    if $have_python; then
        check "$f is a correct $kind manifest" python3 - "$f" "$kind" "$path" \
            "$NAME" "$CHROME_ID" "$FIREFOX_ID" <<'PY'
import json, sys
f, kind, path, name, chrome_id, firefox_id = sys.argv[1:]
with open(f, encoding="utf-8") as fh:
    d = json.load(fh)
problems = []
def want(cond, msg):
    if not cond:
        problems.append(msg)
want(d.get("name") == name, "name")
want(isinstance(d.get("description"), str) and d["description"].strip(), "description")
want(d.get("path") == path, "path %r != %r" % (d.get("path"), path))
want(d.get("type") == "stdio", "type")
if kind == "chrome":
    want(d.get("allowed_origins") == ["chrome-extension://%s/" % chrome_id], "allowed_origins")
    want("allowed_extensions" not in d, "unexpected allowed_extensions")
else:
    want(d.get("allowed_extensions") == [firefox_id], "allowed_extensions")
    want("allowed_origins" not in d, "unexpected allowed_origins")
for p in problems:
    print("  " + f + ": " + p, file=sys.stderr)
sys.exit(1 if problems else 0)
PY
    else
        check "$f name" grep -qF "\"name\": \"$NAME\"" "$f"
        check "$f description" grep -qE '"description": "[^"]+"' "$f"
        check "$f path" grep -qF "\"path\": \"$escaped\"" "$f"
        check "$f type" grep -qF '"type": "stdio"' "$f"
        check "$f braces" grep -qx '{' "$f"
        if [[ $kind == chrome ]]; then
            check "$f origins" grep -qF "\"allowed_origins\": [\"chrome-extension://$CHROME_ID/\"]" "$f"
            check "$f no extensions" lacks allowed_extensions "$f"
        else
            check "$f extensions" grep -qF "\"allowed_extensions\": [\"$FIREFOX_ID\"]" "$f"
            check "$f no origins" lacks allowed_origins "$f"
        fi
    fi
}

host="$work/inst/vantrelmessaginghost"
make_host "$host"

# --- per-user install, default XDG_CONFIG_HOME ------------------------------
reset_home
run --host "$host" --chrome-extension-id "$CHROME_ID" --firefox-addon-id "$FIREFOX_ID"
check "per-user install exits 0 (rc=$rc: $err)" test "$rc" -eq 0
expected=$(
    user_chrome_dirs "$HOME/.config" | sed "s|\$|/$FILE|"
    echo "$HOME/.mozilla/native-messaging-hosts/$FILE"
)
check "per-user install prints each file written" test "$out" = "$expected"
while IFS= read -r dir; do
    check_manifest "$dir/$FILE" chrome "$host"
done < <(user_chrome_dirs "$HOME/.config")
check_manifest "$HOME/.mozilla/native-messaging-hosts/$FILE" firefox "$host"
check "per-user install writes nothing else" test \
    "$(cd "$HOME" && find . -type f | wc -l)" -eq 6

# Running again replaces the files with identical content.
before=$(cat "$HOME/.config/chromium/NativeMessagingHosts/$FILE")
run --host "$host" --chrome-extension-id "$CHROME_ID" --firefox-addon-id "$FIREFOX_ID"
check "reinstall exits 0" test "$rc" -eq 0
check "reinstall gives the same content" test \
    "$(cat "$HOME/.config/chromium/NativeMessagingHosts/$FILE")" = "$before"
check "reinstall leaves no temporary files" test \
    "$(cd "$HOME" && find . -type f | wc -l)" -eq 6

# --- XDG_CONFIG_HOME is honoured; Firefox stays under HOME -----------------
reset_home
export XDG_CONFIG_HOME="$work/xdg"
run --host "$host" --chrome-extension-id "$CHROME_ID" --firefox-addon-id "$FIREFOX_ID"
check "XDG install exits 0" test "$rc" -eq 0
while IFS= read -r dir; do
    check_manifest "$dir/$FILE" chrome "$host"
done < <(user_chrome_dirs "$XDG_CONFIG_HOME")
check_manifest "$HOME/.mozilla/native-messaging-hosts/$FILE" firefox "$host"
check "XDG install writes nothing under ~/.config" test ! -e "$HOME/.config"
unset XDG_CONFIG_HOME

# --- a relative host path is made absolute ---------------------------------
reset_home
run_rel() { (cd "$work/inst" && "$script" "$@" >"$work/out" 2>"$work/err"); }
run_rel --host ./vantrelmessaginghost --firefox-addon-id "$FIREFOX_ID"
rc=$?
check "relative host exits 0" test "$rc" -eq 0
check_manifest "$HOME/.mozilla/native-messaging-hosts/$FILE" firefox "$host"

# --- a symbolic link is kept, not resolved (the browser uses its folder) ---
reset_home
mkdir -p "$work/linkdir"
ln -sf "$host" "$work/linkdir/host-link"
run --host "$work/linkdir/host-link" --firefox-addon-id "$FIREFOX_ID"
check "symlink host exits 0" test "$rc" -eq 0
check_manifest "$HOME/.mozilla/native-messaging-hosts/$FILE" firefox \
    "$work/linkdir/host-link"

# --- JSON escaping of an awkward path --------------------------------------
reset_home
odd_dir="$work/dir with spaces/quo\"te"
odd_host="$odd_dir/back\\slash é"$'\t'"host"
odd_escaped="$work/dir with spaces/quo\\\"te/back\\\\slash é\\thost"
make_host "$odd_host"
run --host "$odd_host" --chrome-extension-id "$CHROME_ID" --firefox-addon-id "$FIREFOX_ID"
check "awkward path exits 0 ($err)" test "$rc" -eq 0
check_manifest "$HOME/.config/google-chrome/NativeMessagingHosts/$FILE" chrome \
    "$odd_host" "$odd_escaped"
check_manifest "$HOME/.mozilla/native-messaging-hosts/$FILE" firefox \
    "$odd_host" "$odd_escaped"

# --- --system --root writes the system folders under the root --------------
reset_home
sysroot="$work/sysroot"
mkdir -p "$sysroot"
make_host "$sysroot/opt/vantrel/vantrelmessaginghost"
run --system --root "$sysroot" --host /opt/vantrel/vantrelmessaginghost \
    --chrome-extension-id "$CHROME_ID" --firefox-addon-id "$FIREFOX_ID"
check "system install exits 0 ($err)" test "$rc" -eq 0
expected=$(
    system_chrome_dirs "$sysroot" | sed "s|\$|/$FILE|"
    echo "$sysroot/usr/lib/mozilla/native-messaging-hosts/$FILE"
)
check "system install prints each file written" test "$out" = "$expected"
while IFS= read -r dir; do
    check_manifest "$dir/$FILE" chrome /opt/vantrel/vantrelmessaginghost
done < <(system_chrome_dirs "$sysroot")
check_manifest "$sysroot/usr/lib/mozilla/native-messaging-hosts/$FILE" firefox \
    /opt/vantrel/vantrelmessaginghost
check "system install leaves HOME alone" test -z "$(snapshot "$HOME")"

run --system --root "$sysroot" --uninstall
check "system uninstall exits 0" test "$rc" -eq 0
check "system uninstall prints each file removed" test "$out" = "$expected"
check "system uninstall leaves only the staged host" test \
    "$(cd "$sysroot" && find . -type f)" = "./opt/vantrel/vantrelmessaginghost"

run --system --root "$sysroot" --host "$host" --firefox-addon-id "$FIREFOX_ID"
check "system install with --root looks for the host under the root" test "$rc" -ne 0

run --system --root "$sysroot" --host ./vantrelmessaginghost --firefox-addon-id "$FIREFOX_ID"
check "system install with --root refuses a relative host" test "$rc" -ne 0

run --root "$sysroot" --host "$host" --firefox-addon-id "$FIREFOX_ID"
check "--root without --system is refused" test "$rc" -ne 0
check "--root without --system writes nothing" test -z "$(snapshot "$HOME")"

# --- refusals write nothing ------------------------------------------------
refused() {
    local what=$1
    shift
    reset_home
    run "$@"
    check "$what: non-zero exit" test "$rc" -ne 0
    check "$what: error message" test -n "$err"
    check "$what: nothing written" test -z "$(snapshot "$HOME")"
}

refused "short extension id" --host "$host" --chrome-extension-id abcdefghijklmnop \
    --firefox-addon-id "$FIREFOX_ID"
refused "extension id with q" --host "$host" \
    --chrome-extension-id qbcdefghijklmnopabcdefghijklmnop --firefox-addon-id "$FIREFOX_ID"
refused "upper-case extension id" --host "$host" \
    --chrome-extension-id ABCDEFGHIJKLMNOPABCDEFGHIJKLMNOP
refused "extension id with a trailing newline" --host "$host" \
    --chrome-extension-id "$CHROME_ID"$'\n'
refused "bad add-on id" --host "$host" --chrome-extension-id "$CHROME_ID" \
    --firefox-addon-id 'no at sign'
refused "missing host" --host "$work/nope/vantrelmessaginghost" \
    --chrome-extension-id "$CHROME_ID"
refused "missing host file" --host "$work/inst/nope" --chrome-extension-id "$CHROME_ID"
printf 'x\n' >"$work/not-executable"
chmod 0644 "$work/not-executable"
refused "non-executable host" --host "$work/not-executable" --chrome-extension-id "$CHROME_ID"
refused "host is a folder" --host "$work/inst" --chrome-extension-id "$CHROME_ID"
refused "no --host" --chrome-extension-id "$CHROME_ID"
refused "no id at all" --host "$host"
refused "unknown option" --host "$host" --chrome-extension-id "$CHROME_ID" --bogus

reset_home
run --host "$work/nope/vantrelmessaginghost" --chrome-extension-id "$CHROME_ID"
check "missing host error names the path" grep -qF "$work/nope/vantrelmessaginghost" <<<"$err"

# --- one family only --------------------------------------------------------
reset_home
run --host "$host" --chrome-extension-id "$CHROME_ID"
check "chrome-only exits 0" test "$rc" -eq 0
check "chrome-only skips Firefox" test ! -e "$HOME/.mozilla"
check "chrome-only notes the skip" grep -qi firefox <<<"$err"
check "chrome-only prints five files" test "$(wc -l <<<"$out")" -eq 5

reset_home
run --host "$host" --firefox-addon-id "$FIREFOX_ID"
check "firefox-only exits 0" test "$rc" -eq 0
check "firefox-only skips Chromium family" test ! -e "$HOME/.config"
check "firefox-only notes the skip" grep -qi chromium <<<"$err"

# --- uninstall removes what it wrote and nothing else ----------------------
reset_home
mkdir -p "$HOME/.config/chromium/NativeMessagingHosts" "$HOME/.mozilla"
printf 'keep\n' >"$HOME/.config/chromium/NativeMessagingHosts/other.host.json"
printf 'keep\n' >"$HOME/.mozilla/unrelated"
before_files=$(cd "$HOME" && find . -type f | LC_ALL=C sort)
run --host "$host" --chrome-extension-id "$CHROME_ID" --firefox-addon-id "$FIREFOX_ID"
check "install before uninstall exits 0" test "$rc" -eq 0
written=$out
run --uninstall
check "uninstall exits 0" test "$rc" -eq 0
check "uninstall prints each file removed" test "$out" = "$written"
while IFS= read -r f; do
    check "uninstall removed $f" test ! -e "$f"
done <<<"$written"
check "unrelated manifest survives" test \
    "$(cat "$HOME/.config/chromium/NativeMessagingHosts/other.host.json")" = keep
check "unrelated file survives" test "$(cat "$HOME/.mozilla/unrelated")" = keep
check "emptied manifest folders are removed" test \
    ! -e "$HOME/.config/google-chrome/NativeMessagingHosts" -a \
    ! -e "$HOME/.mozilla/native-messaging-hosts"
check "the folder holding an unrelated file is kept" test \
    -d "$HOME/.config/chromium/NativeMessagingHosts"
check "uninstall leaves every other file as it was" test \
    "$(cd "$HOME" && find . -type f | LC_ALL=C sort)" = "$before_files"

run --uninstall
check "second uninstall exits 0" test "$rc" -eq 0
check "second uninstall removes nothing" test -z "$out"

# Uninstall restricted to one family keeps the other.
reset_home
run --host "$host" --chrome-extension-id "$CHROME_ID" --firefox-addon-id "$FIREFOX_ID"
run --uninstall --firefox-addon-id "$FIREFOX_ID"
check "firefox-only uninstall exits 0" test "$rc" -eq 0
check "firefox-only uninstall removes Firefox" test \
    ! -e "$HOME/.mozilla/native-messaging-hosts/$FILE"
check "firefox-only uninstall keeps Chromium" test \
    -f "$HOME/.config/chromium/NativeMessagingHosts/$FILE"

# --- help ---------------------------------------------------------------------
run --help
check "--help exits 0" test "$rc" -eq 0
check "--help shows usage" grep -q '^Usage:' <<<"$out"

printf '%d passed, %d failed\n' "$passed" "$failed"
[[ $failed -eq 0 ]]
