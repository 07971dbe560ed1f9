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

HOST, VERSION = os.path.abspath(sys.argv[1]), sys.argv[2]
FRAME = struct.pack("<I", 16) + b'{"options":true}'


def run(stdin_kind, arguments=(), stdout_on_terminal=False):
    """Runs the host in a folder with data.json and a throw-away HOME; returns (status, stdout, stderr)."""
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "data.json"), "wb") as data:
            data.write(b'{"a":1}')
        terminal, terminal_end = pty.openpty()
        stdin = {"terminal": terminal_end, "pipe": subprocess.PIPE, "null": subprocess.DEVNULL}[stdin_kind]
        with os.fdopen(terminal), subprocess.Popen(
                [HOST, *arguments], cwd=work, env=dict(os.environ, HOME=work, XDG_CONFIG_HOME=work), stdin=stdin,
                stdout=terminal_end if stdout_on_terminal else subprocess.PIPE, stderr=subprocess.PIPE) as process:
            os.close(terminal_end)
            output, errors = process.communicate(FRAME if stdin_kind == "pipe" else None, timeout=60)
        return process.returncode, output or b"", errors


class Host(unittest.TestCase):
    def test_a_terminal_on_input_gets_an_explanation_and_status_2(self):
        for stdout_on_terminal in (False, True):
            status, output, errors = run("terminal", stdout_on_terminal=stdout_on_terminal)
            self.assertEqual((status, output), (2, b""))
            for needed in ("native messaging host", "Browsers start it", "vantrel-doctor", "install-manifest --check",
                           "printf '\\020\\0\\0\\0{\"options\":true}' | " + HOST):
                self.assertIn(needed, errors.decode())

    def test_started_as_browsers_do_it_writes_nothing_to_standard_error(self):
        reply = b'{"options": {"a":1}}'
        framed = struct.pack("<I", len(reply)) + reply
        for stdin_kind, arguments, stdout_on_terminal, expected in [
            ("pipe", ["chrome-extension://abcdefghijklmnopabcdefghijklmnop/"], False, framed),
            ("pipe", ["/home/u/.mozilla/native-messaging-hosts/x.json", "a@b"], False, framed),
            ("pipe", [], True, b""),  # the reply went to the terminal
            ("null", [], False, b""),
            ("terminal", ["--version"], False, f"vantrelmessaginghost {VERSION}\n".encode()),
            ("pipe", ["--version"], False, f"vantrelmessaginghost {VERSION}\n".encode()),
        ]:
            with self.subTest(stdin=stdin_kind, arguments=arguments, stdout_on_terminal=stdout_on_terminal):
                self.assertEqual(run(stdin_kind, arguments, stdout_on_terminal), (0, expected, b""))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
