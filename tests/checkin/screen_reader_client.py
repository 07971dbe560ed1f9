#!/usr/bin/env python3
"""What a screen reader sees of the launcher, through AT-SPI (pyatspi).

Usage: screen_reader_client.py APPLICATION_NAME
Finds the application by name, prints its tree, checks the window, the heading, the text and the
button, moves the keyboard focus to the button with Tab (xdotool) and hears it, then presses the
button through its "click" action. Exits 1 with the reason on failure.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib


def fail(message):
    print(f"FAIL: {message}")
    sys.exit(1)


def find_application(name, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for application in desktop:
            if application is not None and application.name == name:
                return application
        time.sleep(0.1)
    fail(f"no application named {name} on the accessibility bus")


def states_of(node):
    return {pyatspi.stateToString(state) for state in node.getState().getStates()}


def describe(node, depth=0):
    extents = ""
    try:
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        extents = f" at ({box.x}, {box.y}) {box.width}x{box.height}"
    except NotImplementedError:
        pass
    actions = ""
    try:
        action = node.queryAction()
        actions = " actions: " + ", ".join(action.getName(i) for i in range(action.nActions))
    except NotImplementedError:
        pass
    print(f"{'  ' * depth}[{node.getRoleName()}] \"{node.name}\"{extents}"
          f" states: {' '.join(sorted(states_of(node)))}{actions}")
    for child in node:
        describe(child, depth + 1)


def nodes_with_role(node, role):
    found = [node] if node.getRole() == role else []
    for child in node:
        found += nodes_with_role(child, role)
    return found


def focus_with_tab(button, seconds=20):
    """Tab gives the button the focus: its state says so and a focus event is heard."""
    if "focused" in states_of(button):
        fail("the button has the focus before any key was pressed")
    heard = []
    pyatspi.Registry.registerEventListener(
        lambda event: heard.append(event.source.name if event.detail1 else None),
        "object:state-changed:focused")
    subprocess.run(["xdotool", "key", "Tab"], check=True)
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and ("Open Vantrel" not in heard or "focused" not in states_of(button)):
        context.iteration(False)
        time.sleep(0.02)
    if "focused" not in states_of(button) or "Open Vantrel" not in heard:
        fail(f"after Tab the button's states are {states_of(button)}, focus events heard: {heard}")
    print("ok: Tab gave the button the focus, and the focus event was heard")


def main():
    name = sys.argv[1]
    application = find_application(name)
    describe(application)
    frames = nodes_with_role(application, pyatspi.ROLE_FRAME)
    if [frame.name for frame in frames] != ["Vantrel Check-in"]:
        fail(f"the windows are {[frame.name for frame in frames]}")
    labels = [label.name for label in nodes_with_role(application, pyatspi.ROLE_LABEL)]
    if len(labels) != 2 or labels[0] != "Check-in required" or not labels[1].startswith("Vantrel needs you"):
        fail(f"the labels read {labels}")
    buttons = nodes_with_role(application, pyatspi.ROLE_PUSH_BUTTON)
    if [button.name for button in buttons] != ["Open Vantrel"]:
        fail(f"the buttons are {[button.name for button in buttons]}")
    button = buttons[0]
    wanted = {"enabled", "sensitive", "focusable", "showing", "visible"}
    if not wanted <= states_of(button):
        fail(f"the button's states are {states_of(button)}, not all of {wanted}")
    window_box = frames[0].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    box = button.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    # In a 460 x 240 point window, the button's frame is (284, 28) 144 x 38 from the bottom left.
    scale = window_box.width / 460
    expected = [round(v * scale) for v in (284, 240 - 28 - 38, 144, 38)]
    if [box.x, box.y, box.width, box.height] != expected:
        fail(f"the button is at {[box.x, box.y, box.width, box.height]} in the window, not {expected}")
    focus_with_tab(button)
    action = button.queryAction()
    if [action.getName(i) for i in range(action.nActions)] != ["click"]:
        fail(f"the button's actions are {[action.getName(i) for i in range(action.nActions)]}")
    if not action.doAction(0):
        fail("the button refused its click action")
    print("ok: the window, heading, text and button read right; the button's click action was done")


if __name__ == "__main__":
    main()
