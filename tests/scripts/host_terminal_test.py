#!/usr/bin/env python3
"""The host started by a person at a terminal explains itself; started by a browser, it stays silent.

Usage: host_terminal_test.py HOST_BINARY VERSION
"""

import os
import pty
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

HOST, VERSION = os.path.abspath(sys.argv[1]), sys.argv[2]
OPTIONS_REQUEST = b'{"options":true}'
FRAME = struct.pack("<I", len(OPTIONS_REQUEST)) + OPTIONS_REQUEST
DATA = b'{"a":1}'
REPLY = b'{"options": {"a":1}}'


def run(stdin_kind, arguments=(), stdout_on_terminal=False):
    """Runs the host in a folder with data.json and a throw-away HOME; returns (status, stdout, stderr)."""
    with tempfile.TemporaryDirectory() as work:
        folder = Path(work)
        (folder / "data.json").write_bytes(DATA)
        environment = dict(os.environ, HOME=str(folder), XDG_CONFIG_HOME=str(folder / ".config"))
        terminal, terminal_end = pty.openpty()
        streams = {"terminal": terminal_end, "pipe": subprocess.PIPE, "null": subprocess.DEVNULL}
        stdout = terminal_end if stdout_on_terminal else subprocess.PIPE
        try:
            process = subprocess.Popen([HOST, *arguments], cwd=folder, env=environment,
                                       stdin=streams[stdin_kind], stdout=stdout, stderr=subprocess.PIPE)
            os.close(terminal_end)
            output, errors = process.communicate(FRAME if stdin_kind == "pipe" else None, timeout=60)
        finally:
            os.close(terminal)
        return process.returncode, output or b"", errors


def framed(message):
    return struct.pack("<I", len(message)) + message


class StartedByHand(unittest.TestCase):
    def test_a_terminal_on_input_gets_an_explanation_and_status_2(self):
        for stdout_on_terminal in (False, True):
            with self.subTest(stdout_on_terminal=stdout_on_terminal):
                status, output, errors = run("terminal", stdout_on_terminal=stdout_on_terminal)
                self.assertEqual(status, 2)
                self.assertEqual(output, b"")
                text = errors.decode()
                for needed in ("native messaging host", "Browsers start it", "vantrel-doctor",
                               "install-manifest --check", "printf '\\020\\0\\0\\0{\"options\":true}' | " + HOST):
                    self.assertIn(needed, text)

    def test_version_comes_from_the_project(self):
        for stdin_kind in ("terminal", "pipe"):
            with self.subTest(stdin=stdin_kind):
                status, output, errors = run(stdin_kind, ["--version"])
                self.assertEqual((status, output, errors), (0, f"vantrelmessaginghost {VERSION}\n".encode(), b""))


class StartedByBrowser(unittest.TestCase):
    # (what, standard input, arguments as a browser passes them, expected standard output)
    CASES = [
        ("Chromium", "pipe", ["chrome-extension://abcdefghijklmnopabcdefghijklmnop/"], framed(REPLY)),
        ("Firefox", "pipe", ["/home/u/.mozilla/native-messaging-hosts/x.json", "a@b"], framed(REPLY)),
        ("no arguments", "pipe", [], framed(REPLY)),
        ("input from a file", "null", [], b""),
    ]

    def test_nothing_reaches_standard_error(self):
        for what, stdin_kind, arguments, expected in self.CASES:
            with self.subTest(what):
                status, output, errors = run(stdin_kind, arguments)
                self.assertEqual((status, output, errors), (0, expected, b""))

    def test_a_terminal_on_output_alone_changes_nothing(self):
        status, _, errors = run("pipe", stdout_on_terminal=True)
        self.assertEqual((status, errors), (0, b""))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
