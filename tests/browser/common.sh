# Shared by the real-browser tests; sourced, not run. The sourcing script sets
# TESTS (the names of its checks, as helper.py check knows them) beforehand.
# Every test runs in a throw-away folder: its own HOME and XDG folders, a copy
# of the host beside data.json, and a stand-in xdg-open that records URLs.

readonly HOST_NAME="com.vantrel.messaginghost"
# Bounds against hangs only; a healthy run needs a fraction of them.
readonly REPORT_TIMEOUT=60
readonly OPENER_TIMEOUT=10
readonly EXIT_GRACE=2

here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
helper="$here/helper.py"
started=$SECONDS
browser_pid=
server_pid=
work=

skip() {
    printf 'SKIP: %s\n' "$1"
    printf '0 passed, 0 failed, %d skipped\n' "${#TESTS[@]}"
    exit 77
}

# take_host_binary ARGS...: the script's arguments; sets host_bin.
take_host_binary() {
    [[ $# -ge 1 ]] || { echo "usage: $0 HOST_BINARY" >&2; exit 2; }
    host_bin=$(realpath -- "$1" 2>/dev/null) && [[ -f $host_bin && -x $host_bin ]] || {
        echo "host binary not found or not executable: $1" >&2
        exit 2
    }
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

# Sets python. Debian's own interpreter first: it starts faster than
# version-manager shims, and Debian's Python modules are installed for it.
find_python() {
    if [[ -x /usr/bin/python3 ]]; then
        python=/usr/bin/python3
    else
        command -v python3 >/dev/null 2>&1 || ensure_packages python3 ||
            skip "python3 is not installed and could not be installed"
        python=$(command -v python3) || skip "python3 missing"
    fi
}

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
    "$python" "$helper" pids-of-exe "$host_exe"
}
no_host_running() { [[ -z $(host_pids) ]]; }

cleanup() {
    stop_group "$browser_pid"
    browser_pid=
    # Stragglers outside the browser's process group (a host in a group of its
    # own, crash handlers) still name our folder on their command line or are our host copy.
    local pid
    if [[ -n $work ]]; then
        for pid in $(host_pids; "$python" "$helper" pids-mentioning "$work/"); do
            kill -KILL "$pid" 2>/dev/null
        done
    fi
    if [[ -n $server_pid ]]; then
        kill "$server_pid" 2>/dev/null
        wait "$server_pid" 2>/dev/null
        server_pid=
    fi
    [[ -n $work ]] || return 0
    if [[ ${KEEP_WORK:-0} == 1 ]]; then
        echo "kept $work" >&2
    else
        rm -rf -- "$work"
    fi
}

# make_work_folder: the throw-away folder with HOME, the host copy and the
# stand-in opener; sets work, home, host_dir, host_exe, opener_log, opener_stdio.
make_work_folder() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel_browser_test.XXXXXX") || exit 1
    trap cleanup EXIT
    trap 'exit 130' INT TERM
    home="$work/home"
    host_dir="$work/host"
    host_exe="$host_dir/vantrelmessaginghost"
    opener_dir="$work/bin"
    opener_log="$work/opened.log"
    opener_stdio="$work/opener_stdio.log"
    mkdir -p "$home/.config" "$home/.cache" "$home/.local/share" "$home/.local/state" \
        "$work/runtime" "$work/tmp" "$host_dir" "$opener_dir" || exit 1
    chmod 0700 "$work/runtime"

    # A copy, so the host's working directory holds only what the test put there.
    cp -- "$host_bin" "$host_exe"
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
}

# The extension reports to a tiny HTTP server on loopback and asks it which
# host processes run; sets report_file and report_port.
start_report_server() {
    local port_file="$work/port"
    report_file="$work/report.json"
    "$python" "$helper" serve "$port_file" "$report_file" "$host_exe" 2>"$work/server.log" &
    server_pid=$!
    server_ready() { [[ -s $port_file ]] || ! running "$server_pid"; }
    wait_for 10 server_ready
    [[ -s $port_file ]] || { echo "report server did not start:" >&2; cat "$work/server.log" >&2; exit 1; }
    report_port=$(cat "$port_file")
}

# copy_extension SOURCE DEST: the test extension with what the script adds: the
# shared test code, data.json (what the host should send) and config.json.
copy_extension() {
    local tests
    cp -r -- "$1" "$2"
    cp -- "$here/extension/background.js" "$2/background.js"
    cp -- "$here/data.json" "$2/data.json"
    tests=$(printf '"%s", ' "${TESTS[@]}")
    printf '{"reportUrl": "http://127.0.0.1:%s/report", "hostsUrl": "http://127.0.0.1:%s/hosts", "tests": [%s]}\n' \
        "$report_port" "$report_port" "${tests%, }" >"$2/config.json"
}

# start_browser LOG [NAME=VALUE...] COMMAND...: a bare environment, so nothing
# of the caller's session (display, D-Bus, real HOME) leaks in; setsid gives
# the browser and everything it starts one process group to stop at the end.
start_browser() {
    local log=$1
    shift
    setsid env -i \
        HOME="$home" \
        XDG_CONFIG_HOME="$home/.config" \
        XDG_CACHE_HOME="$home/.cache" \
        XDG_DATA_HOME="$home/.local/share" \
        XDG_STATE_HOME="$home/.local/state" \
        XDG_RUNTIME_DIR="$work/runtime" \
        TMPDIR="$work/tmp" \
        PATH="$opener_dir:/usr/local/bin:/usr/bin:/bin" \
        LANG=C.UTF-8 \
        "$@" </dev/null >"$log" 2>&1 &
    browser_pid=$!
}

# finish BROWSER EXTENSION_ID LOG NOISE: waits for the report, checks it, prints
# the summary and exits. NOISE: an extended regex of log lines left out of the tail.
finish() {
    local browser=$1 extension_id=$2 log=$3 noise=$4 lingering opens results passed failed
    report_ready() { [[ -s $report_file ]] || ! running "$browser_pid"; }
    wait_for "$REPORT_TIMEOUT" report_ready
    if [[ ! -s $report_file ]]; then
        running "$browser_pid" || echo "$browser exited before the extension reported" >&2
        echo "no report from the extension" >&2
    fi

    # Hosts still running while the extension sits idle are leaks; hosts whose
    # port just closed get a moment to finish exiting first.
    wait_for "$EXIT_GRACE" no_host_running
    lingering=$(host_pids | wc -l)

    # The opener is started by the host and may still be writing when the report
    # arrives; each URL test opens one URL.
    opens=$(printf '%s\n' "${TESTS[@]}" | grep -c '^url_')
    opener_done() { [[ -f $opener_log && $(wc -l <"$opener_log") -ge $opens ]]; }
    ((opens == 0)) || wait_for "$OPENER_TIMEOUT" opener_done

    stop_group "$browser_pid"
    browser_pid=

    results=$("$python" "$helper" check "$report_file" "$here/data.json" \
        "$opener_log" "$opener_stdio" "$extension_id" "${TESTS[@]}")
    printf '%s\n' "$results"
    echo "host processes still running after the extension finished: $lingering"
    passed=$(grep -c '^PASS ' <<<"$results")
    failed=$((${#TESTS[@]} - passed))
    if ((failed > 0)); then
        echo "--- last lines of the $browser log ---"
        grep -v -E "$noise" "$log" | tail -n 30
    fi
    echo "took $((SECONDS - started)) s"
    printf '%d passed, %d failed\n' "$passed" "$failed"
    ((failed == 0))
    exit
}
