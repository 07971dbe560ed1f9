#!/usr/bin/env python3
"""What the host costs under loads a browser rarely sends, in a temporary home.

Usage: bench/host_stress.py [--build build/release] [--runs 5] [--megabytes 16] [--urls 10000]

- Log cost: one options request of --megabytes MiB holding as many keys as fit, with the log off
  and on (EnableLog in Documents); median time from start to exit, and the ratio of the two.
- URL burst: --urls URL requests then one options request in one stream, through a stand-in
  opener that appends its argument to a file; time until the reply and until the host exits at
  the end of its input, and whether every URL was opened exactly once.
Reports medians; never part of the test run.
"""
import argparse
import os
import statistics
import struct
import subprocess
import sys
import tempfile
import time


def frame(body):
    data = body.encode()
    return struct.pack("<I", len(data)) + data


def many_key_request(size):
    parts = ['{"options":true']
    length = len(parts[0])
    index = 0
    while length < size - 32:
        part = ',"key%d":%d' % (index, index)
        parts.append(part)
        length += len(part)
        index += 1
    parts.append("}")
    return frame("".join(parts)), index


def run_host(host, home, work, stream):
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"))
    started = time.monotonic()
    done = subprocess.run([host], input=stream, stdout=subprocess.PIPE, cwd=work, env=env, check=True)
    return time.monotonic() - started, done.stdout


def log_cost(host, home, work, megabytes, runs):
    stream, keys = many_key_request(megabytes << 20)
    switch = os.path.join(home, "Documents", "EnableLog")
    log = os.path.join(home, "Documents", "log.txt")
    times = {"off": [], "on": []}
    for _ in range(runs):
        for state in ("off", "on"):
            if state == "on":
                open(switch, "w").close()
            elif os.path.exists(switch):
                os.remove(switch)
            if os.path.exists(log):
                os.remove(log)
            seconds, reply = run_host(host, home, work, stream)
            assert reply == frame('{"options": {"a":1}}'), reply[:60]
            times[state].append(seconds)
    off, on = statistics.median(times["off"]), statistics.median(times["on"])
    print(f"log cost, {megabytes} MiB request of {keys} keys: off {off * 1000:.0f} ms, "
          f"on {on * 1000:.0f} ms, on/off {on / off:.1f}x (medians of {runs})")


def url_burst(host, home, work, count):
    bin_folder = os.path.join(home, "bin")
    os.makedirs(bin_folder, exist_ok=True)
    record = os.path.join(home, "opened.txt")
    opener = os.path.join(bin_folder, "xdg-open")
    with open(opener, "w") as script:
        script.write('#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' % record)
    os.chmod(opener, 0o755)
    urls = ["https://example.com/%d" % i for i in range(count)]
    stream = b"".join(frame('{"url":"%s"}' % url) for url in urls) + frame('{"options":true}')
    env = dict(os.environ, HOME=home, PATH=bin_folder + ":" + os.environ["PATH"])
    started = time.monotonic()
    host_process = subprocess.Popen([host], stdin=subprocess.PIPE, stdout=subprocess.PIPE, cwd=work, env=env)
    host_process.stdin.write(stream)
    host_process.stdin.flush()
    reply = host_process.stdout.read(24)
    replied = time.monotonic() - started
    host_process.stdin.close()
    host_process.wait(timeout=600)
    exited = time.monotonic() - started
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        with open(record) as opened:
            lines = opened.read().splitlines()
        if len(lines) >= count:
            break
        time.sleep(0.05)
    arrived = "arrived" if reply == frame('{"options": {"a":1}}') else "LOST"
    print(f"URL burst of {count}: reply {arrived} "
          f"after {replied:.2f} s, host exited after {exited:.2f} s with {host_process.returncode}, "
          f"{len(lines)} opened, {len(set(lines))} distinct, "
          f"{'all' if sorted(lines) == sorted(urls) else 'NOT all'} as sent")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build/release")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--megabytes", type=int, default=16)
    parser.add_argument("--urls", type=int, default=10000)
    options = parser.parse_args()
    host = os.path.abspath(os.path.join(options.build, "host", "vantrelmessaginghost"))
    with tempfile.TemporaryDirectory() as scratch:
        home = os.path.join(scratch, "home")
        work = os.path.join(scratch, "work")
        os.makedirs(os.path.join(home, "Documents"))
        os.makedirs(work)
        with open(os.path.join(work, "data.json"), "w") as data:
            data.write('{"a":1}')
        log_cost(host, home, work, options.megabytes, options.runs)
        url_burst(host, home, work, options.urls)


if __name__ == "__main__":
    sys.exit(main())
