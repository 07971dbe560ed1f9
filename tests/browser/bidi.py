#!/usr/bin/env python3
"""A small WebDriver BiDi client, enough to put a test add-on into Firefox.

  bidi.py install WS_URL ADDON_DIR

WS_URL is what Firefox prints after "WebDriver BiDi listening on" when started
with --remote-debugging-port. Installs the unpacked add-on temporarily (no
signature needed) and prints its id. Firefox keeps the add-on until it exits,
also after this client has gone.
"""
import asyncio
import json
import sys

import websockets

# Bounds against hangs only.
CONNECT_TIMEOUT = 10
COMMAND_TIMEOUT = 30


class BiDiError(Exception):
    pass


class Session:
    def __init__(self, socket):
        self.socket = socket
        self.last_id = 0

    async def command(self, method, params):
        self.last_id += 1
        command_id = self.last_id
        await self.socket.send(json.dumps({"id": command_id, "method": method, "params": params}))
        while True:
            message = json.loads(await self.socket.recv())
            # Events and answers to nothing we asked are not ours to handle.
            if message.get("id") != command_id:
                continue
            if message.get("type") == "error":
                raise BiDiError(f"{method}: {message.get('error')}: {message.get('message')}")
            return message.get("result", {})

    async def call(self, method, params):
        return await asyncio.wait_for(self.command(method, params), COMMAND_TIMEOUT)


async def install(ws_url, addon_dir):
    # "/session" is Firefox's endpoint for a BiDi session without a WebDriver classic one.
    async with websockets.connect(ws_url.rstrip("/") + "/session", max_size=None,
                                  open_timeout=CONNECT_TIMEOUT) as socket:
        session = Session(socket)
        await session.call("session.new", {"capabilities": {}})
        result = await session.call(
            "webExtension.install", {"extensionData": {"type": "path", "path": addon_dir}})
        return result["extension"]


def main(argv):
    if len(argv) == 4 and argv[1] == "install":
        try:
            print(asyncio.run(install(argv[2], argv[3])))
        except (OSError, asyncio.TimeoutError, BiDiError,
                websockets.exceptions.WebSocketException) as e:
            print(f"bidi.py: {type(e).__name__}: {e}", file=sys.stderr)
            return 1
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
