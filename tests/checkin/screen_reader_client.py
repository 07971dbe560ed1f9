#!/usr/bin/env python3
"""What a screen reader sees of the launcher, through AT-SPI (pyatspi): its window, heading, text
and button; Tab (xdotool) focusing the button, heard as an event; the button's "click" action."""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib


def fail(message):
    sys.exit(f"FAIL: {message}")


def names(node, role):
    found = [node.name] if node.getRole() == role else []
    return found + [name for child in node for name in names(child, role)]


def find(node, role):
    return node if node.getRole() == role else next(filter(None, (find(child, role) for child in node)), None)


def states_of(node):
    return {pyatspi.stateToString(state) for state in node.getState().getStates()}


deadline = time.monotonic() + 60
while not (application := next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "Vantrel_checkIn"), None)):
    if time.monotonic() > deadline:
        fail("no application named Vantrel_checkIn on the accessibility bus")
    time.sleep(0.1)
labels = names(application, pyatspi.ROLE_LABEL)
read = (names(application, pyatspi.ROLE_FRAME), labels[:1], names(application, pyatspi.ROLE_PUSH_BUTTON))
if read != (["Vantrel Check-in"], ["Check-in required"], ["Open Vantrel"]) or len(labels) != 2 or \
        not labels[1].startswith("Vantrel needs you"):
    fail(f"read {read} and the labels {labels}")
button = find(application, pyatspi.ROLE_PUSH_BUTTON)
if not {"enabled", "focusable", "showing"} <= states_of(button) or "focused" in states_of(button):
    fail(f"before any key the button's states are {states_of(button)}")

heard = []
pyatspi.Registry.registerEventListener(lambda event: heard.append(event.source.name if event.detail1 else None),
                                       "object:state-changed:focused")
subprocess.run(["xdotool", "key", "Tab"], check=True)
deadline = time.monotonic() + 20
while time.monotonic() < deadline and ("Open Vantrel" not in heard or "focused" not in states_of(button)):
    GLib.MainContext.default().iteration(False)
    time.sleep(0.02)
if "focused" not in states_of(button) or "Open Vantrel" not in heard:
    fail(f"after Tab the button's states are {states_of(button)}, focus events heard: {heard}")
action = button.queryAction()
if [action.getName(i) for i in range(action.nActions)] != ["click"] or not action.doAction(0):
    fail("the button has no click action, or refused it")
