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
readonly HOST_NAME="com.vantrel.messaginghost"
# CHROMIUM_BINARY only exists to exercise the skip path.
readonly CHROMIUM=${CHROMIUM_BINARY:-/usr/lib/chromium/chromium}
# Bounds against hangs only; a healthy run needs a fraction of them.
readonly REPORT_TIMEOUT=60
readonly OPENER_TIMEOUT=10
readonly EXIT_GRACE=2
readonly TESTS=4

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
started=$SECONDS

skip() {
    printf 'SKIP: %s\n' "$1"
    printf '0 passed, 0 failed, %d skipped\n' "$TESTS"
    exit 77
}

[[ $# -ge 1 ]] || { echo "usage: $0 HOST_BINARY" >&2; exit 2; }
host_bin=$(realpath -- "$1" 2>/dev/null) && [[ -f $host_bin && -x $host_bin ]] || {
    echo "host binary not found or not executable: $1" >&2
    exit 2
}

# Installs Debian packages only when missing; any failure means "skip", not "fail".
ensure_packages() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    command -v apt-get >/dev/null 2>&1 || return 1
    [[ $(id -u) -eq 0 ]] || return 1
    echo "installing ${missing[*]} ..."
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y "${missing[@]}" >/dev/null 2>&1 && return 0
    apt-get update >/dev/null 2>&1 && apt-get install -y "${missing[@]}" >/dev/null 2>&1
}

if [[ ! -x $CHROMIUM ]]; then
    ensure_packages chromium || skip "chromium is not installed and could not be installed"
fi
[[ -x $CHROMIUM ]] || skip "$CHROMIUM missing even after installing chromium"
# Reports arrive at a tiny python HTTP server; python3 is not on every Debian.
# Debian's own interpreter first: it starts faster than version-manager shims.
if [[ -x /usr/bin/python3 ]]; then
    python=/usr/bin/python3
else
    command -v python3 >/dev/null 2>&1 || ensure_packages python3 ||
        skip "python3 is not installed and could not be installed"
    python=$(command -v python3) || skip "python3 missing"
fi
helper="$here/helper.py"

actual_id=$("$python" "$helper" extension-id "$here/extension/manifest.json") || exit 2
if [[ $actual_id != "$EXTENSION_ID" ]]; then
    echo "extension id from manifest key is $actual_id, script expects $EXTENSION_ID" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel_browser_test.XXXXXX") || exit 1
home="$work/home"
profile="$work/profile"
host_dir="$work/host"
opener_dir="$work/bin"
extension="$work/extension"
opener_log="$work/opened.log"
opener_stdio="$work/opener_stdio.log"
port_file="$work/port"
report_file="$work/report.json"
browser_pid=
server_pid=

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds; fails after SECONDS.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# Reads /proc, as procps may be missing; a zombie counts as gone.
running() {
    local stat
    read -r stat 2>/dev/null <"/proc/$1/stat" || return 1
    [[ ${stat##*) } != Z* ]]
}
not_running() { ! running "$1"; }

stop_group() {
    local pid=$1
    [[ -n $pid ]] || return 0
    kill -TERM -- "-$pid" 2>/dev/null || return 0
    wait_for "$EXIT_GRACE" not_running "$pid"
    kill -KILL -- "-$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}

# Host processes of this run only: their executable is the copy in our folder.
host_pids() {
    "$python" "$helper" pids-of-exe "$host_dir/vantrelmessaginghost"
}
no_host_running() { [[ -z $(host_pids) ]]; }

cleanup() {
    stop_group "$browser_pid"
    browser_pid=
    # Stragglers outside Chromium's process group (a host in a group of its own,
    # crash handlers) still name our folder on their command line or are our host copy.
    local pid
    for pid in $(host_pids; "$python" "$helper" pids-mentioning "$work/"); do
        kill -KILL "$pid" 2>/dev/null
    done
    if [[ -n $server_pid ]]; then
        kill "$server_pid" 2>/dev/null
        wait "$server_pid" 2>/dev/null
        server_pid=
    fi
    if [[ ${KEEP_WORK:-0} == 1 ]]; then
        echo "kept $work" >&2
    else
        rm -rf -- "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$home/.config" "$home/.cache" "$home/.local/share" "$home/.local/state" \
    "$work/runtime" "$work/tmp" "$profile/NativeMessagingHosts" "$host_dir" "$opener_dir"
chmod 0700 "$work/runtime"

# A copy, so the host's working directory holds only what the test put there.
cp -- "$host_bin" "$host_dir/vantrelmessaginghost"
cp -- "$here/data.json" "$host_dir/data.json"

cat >"$opener_dir/xdg-open" <<EOF
#!/bin/sh
# Stand-in for the desktop's opener: records instead of launching anything.
printf '%s %s %s\n' "\$(readlink /proc/\$\$/fd/0)" "\$(readlink /proc/\$\$/fd/1)" "\$(readlink /proc/\$\$/fd/2)" >>'$opener_stdio'
line=\$#
for arg in "\$@"; do line="\$line \$arg"; done
printf '%s\n' "\$line" >>'$opener_log'
EOF
chmod 0755 "$opener_dir/xdg-open"

cat >"$profile/NativeMessagingHosts/$HOST_NAME.json" <<EOF
{
  "name": "$HOST_NAME",
  "description": "Vantrel messaging host (browser test)",
  "path": "$host_dir/vantrelmessaginghost",
  "type": "stdio",
  "allowed_origins": ["chrome-extension://$EXTENSION_ID/"]
}
EOF

"$python" "$helper" serve "$port_file" "$report_file" 2>"$work/server.log" &
server_pid=$!
server_ready() { [[ -s $port_file ]] || ! running "$server_pid"; }
wait_for 10 server_ready
[[ -s $port_file ]] || { echo "report server did not start:" >&2; cat "$work/server.log" >&2; exit 1; }

cp -r -- "$here/extension" "$extension"
cp -- "$here/data.json" "$extension/data.json"
printf '{"reportUrl": "http://127.0.0.1:%s/report"}\n' "$(cat "$port_file")" >"$extension/config.json"

# A bare environment: nothing of the caller's session (display, D-Bus, real HOME) leaks in.
# setsid gives Chromium and everything it starts one process group to stop at the end.
env -i \
    HOME="$home" \
    XDG_CONFIG_HOME="$home/.config" \
    XDG_CACHE_HOME="$home/.cache" \
    XDG_DATA_HOME="$home/.local/share" \
    XDG_STATE_HOME="$home/.local/state" \
    XDG_RUNTIME_DIR="$work/runtime" \
    TMPDIR="$work/tmp" \
    PATH="$opener_dir:/usr/local/bin:/usr/bin:/bin" \
    LANG=C.UTF-8 \
    setsid "$CHROMIUM" \
    --headless=new --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" \
    --disable-extensions-except="$extension" --load-extension="$extension" \
    about:blank \
    </dev/null >"$work/chromium.log" 2>&1 &
browser_pid=$!

report_ready() { [[ -s $report_file ]] || ! running "$browser_pid"; }
wait_for "$REPORT_TIMEOUT" report_ready
if [[ ! -s $report_file ]]; then
    running "$browser_pid" || echo "Chromium exited before the extension reported" >&2
    echo "no report from the extension" >&2
fi

# Hosts still running while the extension sits idle are leaks; hosts whose
# port just closed get a moment to finish exiting first.
wait_for "$EXIT_GRACE" no_host_running
lingering=$(host_pids | wc -l)

# The opener is started by the host and may still be writing when the report arrives.
opener_done() { [[ -f $opener_log && $(wc -l <"$opener_log") -ge 2 ]]; }
wait_for "$OPENER_TIMEOUT" opener_done

stop_group "$browser_pid"
browser_pid=

results=$("$python" "$helper" check "$report_file" "$here/data.json" \
    "$opener_log" "$opener_stdio" "$EXTENSION_ID")
printf '%s\n' "$results"
echo "host processes still running after the extension finished: $lingering"
passed=$(grep -c '^PASS ' <<<"$results")
failed=$((TESTS - passed))
if ((failed > 0)); then
    echo "--- last lines of the Chromium log ---"
    grep -v 'dbus/' "$work/chromium.log" | tail -n 30
fi
echo "took $((SECONDS - started)) s"
printf '%d passed, %d failed\n' "$passed" "$failed"
((failed == 0))
