#!/usr/bin/env python3
"""Helpers for the real-browser tests (run_*_test.sh, common.sh).

  helper.py extension-id MANIFEST
  helper.py serve PORT_FILE REPORT_FILE HOST_EXE
  helper.py pids-of-exe PATH | pids-mentioning TEXT
  helper.py check REPORT_FILE DATA_JSON OPENER_LOG OPENER_STDIO EXPECTED_ID TEST...
"""
import base64
import hashlib
import http.server
import json
import os
import sys

URL_ONCE = "https://example.invalid/path?q=1"
URL_PORT = "https://example.invalid/port?q=2"
PORT_REQUESTS = 20


def extension_id(manifest_path):
    with open(manifest_path, encoding="utf-8") as f:
        key = base64.b64decode(json.load(f)["key"])
    digest = hashlib.sha256(key).hexdigest()[:32]
    return "".join(chr(ord("a") + int(c, 16)) for c in digest)


def write_atomically(path, data):
    # The shell polls for these files; it must never see half of one.
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def serve(port_file, report_file, host_exe):
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
            if self.path == "/hosts":
                # The extension cannot see processes: it asks which of our hosts run.
                self.answer_json(find_pids(exe_is(host_exe)))
                return
            try:
                json.loads(body)
                status = 204
            except ValueError:
                status = 400
            # Keep the first report: a restarted service worker would send another.
            if status == 204 and not os.path.exists(report_file):
                write_atomically(report_file, body)
            self.send_response(status)
            self.send_header("Access-Control-Allow-Origin", "*")
            self.end_headers()

        def answer_json(self, value):
            body = json.dumps(value).encode()
            self.send_response(200)
            self.send_header("Content-Type", "application/json")
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Access-Control-Allow-Origin", "*")
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    write_atomically(port_file, str(server.server_address[1]).encode())
    server.serve_forever()


def find_pids(match):
    # Reads /proc directly: ps or pgrep output would also list this very process.
    # A zombie has no exe link, so an ended host that is not yet reaped counts as gone.
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            if match(entry):
                found.append(int(entry))
        except OSError:
            pass  # gone meanwhile, or not ours to look at
    return found


def exe_is(path):
    return lambda pid: os.readlink(f"/proc/{pid}/exe") == path


def mentions(text):
    needle = text.encode()

    def match(pid):
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return needle in f.read()

    return match


def read_lines(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read().splitlines()
    except OSError:
        return []


def check_options_once(t, data):
    problems = []
    if not t.get("ok"):
        problems.append(f"extension saw {json.dumps(t.get('result'))[:300]}")
    reply = (t.get("result") or {}).get("reply")
    if reply != {"options": data}:
        problems.append("reply is not {options: data.json}")
    return problems


def check_url_once(t, data):
    if t.get("ok"):
        return []
    result = t.get("result") or {}
    if result.get("timedOut"):
        return ["the browser never called back: the host neither replied nor exited "
                "(Chromium keeps a one-shot host's stdin open until its first reply)"]
    return [f"extension saw {json.dumps(result)}"]


def check_port_burst(t, data):
    if t.get("ok") and t.get("received") == PORT_REQUESTS:
        return []
    return [f"ended with {t.get('why')!r}, {t.get('received')} of {PORT_REQUESTS} replies, "
            f"all matching: {t.get('allMatch')}"]


def check_url_port(t, data):
    if t.get("ok"):
        return []
    return [f"ended with {t.get('why')!r} after {t.get('received')} replies"
            + (f", first {json.dumps(t.get('firstReply'))[:200]}" if t.get("firstReply") else "")]


def check_host_exit(t, data):
    if t.get("ok"):
        return []
    return [f"{t.get('why')} (host processes started for the port: {t.get('started')})"]


CHECKS = {
    "options_once": check_options_once,
    "url_once": check_url_once,
    "port_burst": check_port_burst,
    "url_port": check_url_port,
    "host_exit": check_host_exit,
}
# What each URL test asks the host to open.
URLS = {"url_once": URL_ONCE, "url_port": URL_PORT}


def check(report_file, data_file, opener_log, opener_stdio, expected_id, names):
    try:
        with open(report_file, encoding="utf-8") as f:
            report = json.load(f)
    except (OSError, ValueError) as e:
        report = {"error": f"no report from the extension ({e})"}
    with open(data_file, encoding="utf-8") as f:
        data = json.load(f)
    tests = report.get("tests", {})
    general = []
    if report.get("error"):
        general.append(report["error"])
    if report.get("extensionId") not in (None, expected_id):
        general.append(f"extension id {report.get('extensionId')} != {expected_id}")

    # One line per opener call: the argument count, then the arguments.
    opened = read_lines(opener_log)
    stdio = [line.split() for line in read_lines(opener_stdio)]
    expected_lines = [f"1 {URLS[name]}" for name in names if name in URLS]
    opener_problems = []
    unexpected = [line for line in opened if line not in expected_lines]
    if unexpected:
        opener_problems.append(f"opener also called with {unexpected!r}")
    if any(fds != ["/dev/null"] * 3 for fds in stdio):
        opener_problems.append(f"opener stdin/stdout/stderr were {stdio}, wanted /dev/null")

    for name in names:
        t = tests.get(name)
        problems = list(general)
        if name in URLS:
            problems += opener_problems
        if t is None:
            problems.append("did not run")
        else:
            problems += CHECKS[name](t, data)
        if name in URLS:
            count = opened.count(f"1 {URLS[name]}")
            if count != 1:
                problems.append(f"opener called {count} times with exactly {URLS[name]!r} "
                                f"(log: {opened!r})")
        if problems:
            print(f"FAIL {name}: " + "; ".join(problems))
        else:
            print(f"PASS {name}")


def main(argv):
    if len(argv) >= 2 and argv[1] == "extension-id" and len(argv) == 3:
        print(extension_id(argv[2]))
    elif len(argv) >= 2 and argv[1] == "serve" and len(argv) == 5:
        serve(*argv[2:])
    elif len(argv) == 3 and argv[1] in ("pids-of-exe", "pids-mentioning"):
        match = exe_is(argv[2]) if argv[1] == "pids-of-exe" else mentions(argv[2])
        for pid in find_pids(match):
            print(pid)
    elif (len(argv) >= 8 and argv[1] == "check"
          and all(name in CHECKS for name in argv[7:])):
        check(*argv[2:7], argv[7:])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
