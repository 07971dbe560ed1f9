# shellcheck shell=bash
# Shared by the real-browser tests; sourced after the script sets TESTS (the extension's checks to
# run) and takes the host binary as $1. Everything runs in a throw-away folder: its own HOME and
# XDG folders, a copy of the host beside data.json, and a stand-in xdg-open that records its calls.
here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
host_bin=$(realpath -- "${1:?usage: $0 HOST_BINARY}")
python=/usr/bin/python3 # Debian's, which has Debian's Python modules
# shellcheck source=../support/xvfb_session.sh
source "$here/../support/xvfb_session.sh" # for poll
browser_pid="" server_pid="" work=""
declare -A URLS=([url_once]="https://example.invalid/path?q=1" [url_port]="https://example.invalid/port?q=2")

# The browsers and Python modules come with scripts/install-deps --test.
skip() {
    echo "skipped: $1 is missing (scripts/install-deps --test)"
    exit 77
}
[[ -x $python ]] || skip /usr/bin/python3

# Reads /proc, as procps may be missing; a zombie counts as gone.
running() {
    local stat
    read -r stat 2>/dev/null <"/proc/$1/stat" && [[ ${stat##*) } != Z* ]]
}
stop_group() {
    [[ -n $1 ]] || return 0
    kill -TERM -- "-$1" 2>/dev/null || return 0
    poll 20 eval "! running $1"
    kill -KILL -- "-$1" 2>/dev/null
    wait "$1" 2>/dev/null
}
cleanup() {
    stop_group "$browser_pid"
    [[ -z $server_pid ]] || { kill "$server_pid" && wait "$server_pid"; } 2>/dev/null
    [[ -n $work ]] || return 0
    # Stragglers outside the browser's process group (a host in a group of its own, crash handlers)
    # are our host copy or name our folder.
    local pid
    for pid in /proc/[0-9]*; do
        [[ $(readlink "$pid/exe" 2>/dev/null) == "$host_exe" ]] || grep -qF "$work/" "$pid/cmdline" 2>/dev/null &&
            kill -KILL "${pid#/proc/}" 2>/dev/null
    done
    [[ ${KEEP_WORK:-0} == 1 ]] && echo "kept $work" >&2 || rm -rf -- "$work"
}

# The throw-away folder, the host copy (its working directory holds only what the test put
# there), the stand-in opener and the server the extension reports to.
make_work_folder() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel_browser_test.XXXXXX") || exit 1
    trap cleanup EXIT
    trap 'exit 130' INT TERM
    home=$work/home host_exe=$work/host/vantrelmessaginghost
    mkdir -p "$home/.config" "$home/.cache" "$home/.local/share" "$home/.local/state" "$work/tmp" "$work/host" "$work/bin"
    mkdir -m 0700 "$work/runtime"
    cp -- "$host_bin" "$host_exe"
    cp -- "$here/data.json" "$work/host/data.json"
    # One line a call: the opener's standard streams, the argument count and the arguments.
    printf '#!/bin/sh\necho $(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2) $# "$@" >>%s\n' \
        "$work/opened.log" >"$work/bin/xdg-open"
    chmod 0755 "$work/bin/xdg-open"
    # The extension reports to this server, which judges the report against the checks asked for.
    "$python" -c '
import http.server, json, os, sys
port_file, report_file, expected_id, *names = sys.argv[1:]
class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        report = json.loads(self.rfile.read(int(self.headers["Content-Length"])))
        if (found := report.get("extensionId")) != expected_id:
            report["error"] = f"extension id {found}, not {expected_id}"
        lines = [f"FAIL {n}: {p}" if (p := report.get("error") or report["tests"].get(n, "did not run")) else f"PASS {n}"
                 for n in names]
        if not os.path.exists(report_file):  # the first report: a restarted service worker sends another
            open(report_file + ".part", "w").write("\n".join(lines))
            os.replace(report_file + ".part", report_file)
        self.send_response(204)
        self.send_header("Access-Control-Allow-Origin", "*")
        self.end_headers()
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
open(port_file + ".part", "w").write(str(server.server_address[1]))
os.replace(port_file + ".part", port_file)
server.serve_forever()' "$work/port" "$work/report" "$1" "${TESTS[@]}" 2>"$work/server.log" &
    server_pid=$!
    poll 100 test -s "$work/port" || { cat "$work/server.log" >&2 && exit 1; }
}

# copy_extension SOURCE DEST: the extension with the shared checks, data.json (what the host
# should send) and config.json (where to report, which checks to run).
copy_extension() {
    cp -r -- "$1" "$2"
    cp -- "$here/extension/background.js" "$here/data.json" "$2/"
    local tests
    tests=$(printf '"%s", ' "${TESTS[@]}")
    printf '{"reportUrl": "http://127.0.0.1:%s/", "tests": [%s]}\n' "$(<"$work/port")" "${tests%, }" >"$2/config.json"
}

# start_browser LOG [NAME=VALUE...] COMMAND...: a bare environment, so nothing of the caller's
# session (display, D-Bus, real HOME) leaks in; setsid makes one process group to stop at the end.
start_browser() {
    local log=$1
    shift
    setsid env -i HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" \
        XDG_DATA_HOME="$home/.local/share" XDG_STATE_HOME="$home/.local/state" XDG_RUNTIME_DIR="$work/runtime" \
        TMPDIR="$work/tmp" PATH="$work/bin:/usr/local/bin:/usr/bin:/bin" LANG=C.UTF-8 \
        "$@" </dev/null >"$log" 2>&1 &
    browser_pid=$!
}

# finish LOG NOISE: waits for the report and the opener's calls, checks them and exits. NOISE: an
# extended regex of log lines left out of the tail shown on failure.
finish() {
    local log=$1 noise=$2 name opened=() results
    poll 600 eval '[[ -s $work/report ]] || ! running $browser_pid'
    for name in "${TESTS[@]}"; do
        [[ -z ${URLS[$name]:-} ]] || opened+=("/dev/null /dev/null /dev/null 1 ${URLS[$name]}")
    done
    # The host starts the opener, which may still be writing when the report arrives.
    poll 100 eval '(($(cat "$work/opened.log" 2>/dev/null | wc -l) >= ${#opened[@]}))'
    stop_group "$browser_pid"
    browser_pid=""
    results=$(cat "$work/report" 2>/dev/null || echo "FAIL no report from the extension: $(cat "$work/server.log")")
    if [[ $(sort "$work/opened.log" 2>/dev/null) != "$(printf '%s\n' "${opened[@]}" | grep . | sort)" ]]; then
        results+=$'\n'"FAIL the opener was called $(cat "$work/opened.log" 2>/dev/null), not with each URL once on /dev/null"
    fi
    printf '%s\n' "$results"
    ! grep -q '^FAIL' <<<"$results" || { grep -v -E "$noise" "$log" | tail -n 30 && exit 1; }
    echo "passed"
}
