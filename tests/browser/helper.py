#!/usr/bin/env python3
"""Helpers for run_chromium_test.sh.

  helper.py extension-id MANIFEST
  helper.py serve PORT_FILE REPORT_FILE
  helper.py pids-of-exe PATH | pids-mentioning TEXT
  helper.py check REPORT_FILE DATA_JSON OPENER_LOG OPENER_STDIO EXPECTED_ID
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


def serve(port_file, report_file):
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
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

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    write_atomically(port_file, str(server.server_address[1]).encode())
    server.serve_forever()


def pids(match):
    # Reads /proc directly: ps or pgrep output would also list this very process.
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            if match(entry):
                print(entry)
        except OSError:
            pass  # gone meanwhile, or not ours to look at


def exe_is(path):
    return lambda pid: os.readlink(f"/proc/{pid}/exe") == path


def mentions(text):
    needle = text.encode()

    def match(pid):
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return needle in f.read()

    return match


def check(report_file, data_file, opener_log, opener_stdio, expected_id):
    results = []

    def record(name, problems):
        results.append((name, problems))

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

    t = tests.get("options_once")
    problems = list(general)
    if t is None:
        problems.append("did not run")
    else:
        if not t.get("ok"):
            problems.append(f"extension saw {json.dumps(t.get('result'))[:300]}")
        reply = (t.get("result") or {}).get("reply")
        if reply != {"options": data}:
            problems.append("reply is not {options: data.json}")
    record("options_once", problems)

    # One line per opener call: the argument count, then the arguments.
    try:
        with open(opener_log, encoding="utf-8") as f:
            opened = f.read().splitlines()
    except OSError:
        opened = []
    try:
        with open(opener_stdio, encoding="utf-8") as f:
            stdio = [line.split() for line in f.read().splitlines()]
    except OSError:
        stdio = []
    opener_problems = []
    unexpected = [line for line in opened if line not in (f"1 {URL_ONCE}", f"1 {URL_PORT}")]
    if unexpected:
        opener_problems.append(f"opener also called with {unexpected!r}")
    if any(fds != ["/dev/null"] * 3 for fds in stdio):
        opener_problems.append(f"opener stdin/stdout/stderr were {stdio}, wanted /dev/null")

    def opened_once(url, problems):
        count = opened.count(f"1 {url}")
        if count != 1:
            problems.append(f"opener called {count} times with exactly {url!r} (log: {opened!r})")

    t = tests.get("url_once")
    problems = general + opener_problems
    if t is None:
        problems.append("did not run")
    elif not t.get("ok"):
        result = t.get("result") or {}
        if result.get("timedOut"):
            problems.append("the browser never called back: the host neither replied nor exited "
                            "(Chromium keeps a one-shot host's stdin open until its first reply)")
        else:
            problems.append(f"extension saw {json.dumps(result)}")
    opened_once(URL_ONCE, problems)
    record("url_once", problems)

    t = tests.get("port_burst")
    problems = list(general)
    if t is None:
        problems.append("did not run")
    elif not t.get("ok") or t.get("received") != PORT_REQUESTS:
        problems.append(
            f"ended with {t.get('why')!r}, {t.get('received')} of {PORT_REQUESTS} replies, "
            f"all matching: {t.get('allMatch')}")
    record("port_burst", problems)

    t = tests.get("url_port")
    problems = general + opener_problems
    if t is None:
        problems.append("did not run")
    elif not t.get("ok"):
        problems.append(
            f"ended with {t.get('why')!r} after {t.get('received')} replies"
            + (f", first {json.dumps(t.get('firstReply'))[:200]}" if t.get("firstReply") else ""))
    opened_once(URL_PORT, problems)
    record("url_port", problems)

    for name, problems in results:
        if problems:
            print(f"FAIL {name}: " + "; ".join(problems))
        else:
            print(f"PASS {name}")


def main(argv):
    if len(argv) >= 2 and argv[1] == "extension-id" and len(argv) == 3:
        print(extension_id(argv[2]))
    elif len(argv) >= 2 and argv[1] == "serve" and len(argv) == 4:
        serve(argv[2], argv[3])
    elif len(argv) == 3 and argv[1] == "pids-of-exe":
        pids(exe_is(argv[2]))
    elif len(argv) == 3 and argv[1] == "pids-mentioning":
        pids(mentions(argv[2]))
    elif len(argv) >= 2 and argv[1] == "check" and len(argv) == 7:
        check(*argv[2:])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
