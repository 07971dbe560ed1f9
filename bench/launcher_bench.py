#!/usr/bin/env python3
"""The launcher's start-up, hand-off and frame times, on its own Xvfb.

Usage: bench/launcher_bench.py [--build build/release] [--runs 20] [--accessibility-bus]

With --accessibility-bus the launcher runs in a D-Bus session of its own with the accessibility bus
up, so its screen-reader bridge starts; without it the bridge is off (NO_AT_BRIDGE=1).

- Start to first frame: from just before the process is started to the first frame the launcher
  presents after its window was exposed, as the launcher itself says on standard error when
  VANTREL_REPORT_FRAMES is set (monotonic clock, the same one this script reads).
- Click to manager: from just before the pointer's release is sent to the X server (XTest) to the
  first thing the stand-in manager application does, stamping the monotonic clock.
- Frame time: drawing and presenting each frame while the flat button animates between its looks
  (pressed and released, with no configuration so the launcher stays), at scale 1 and 2, and the
  frames drawn in five idle seconds after that.
Needs Xvfb, xdotool, libX11 and libXtst. Reports medians; never part of the test run.
"""
import argparse
import ctypes
import ctypes.util
import os
import queue
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

TITLE = "Vantrel Check-in"
WINDOW_HEIGHT = 240
# The flat button's middle in window points from the top left (frame (284, 28, 144, 38) from the bottom left).
BUTTON = (356, WINDOW_HEIGHT - 28 - 19)
FIRST_FRAME = re.compile(r"first frame on screen at ([0-9.]+) s")
FRAME = re.compile(r"frame drawn and presented in ([0-9.]+) ms")


class Pointer:
    """Pointer moves and button presses through XTest, each flushed to the server at once."""

    def __init__(self):
        self.xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.xtest = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        self.xlib.XOpenDisplay.restype = ctypes.c_void_p
        self.xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.xlib.XFlush.argtypes = [ctypes.c_void_p]
        self.xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtest.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                    ctypes.c_int, ctypes.c_ulong]
        self.xtest.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                    ctypes.c_ulong]
        self.display = self.xlib.XOpenDisplay(None)
        if not self.display:
            sys.exit("cannot open the display " + os.environ.get("DISPLAY", ""))

    def move(self, x, y):
        self.xtest.XTestFakeMotionEvent(self.display, -1, x, y, 0)
        self.xlib.XFlush(self.display)

    def button(self, pressed):
        self.xtest.XTestFakeButtonEvent(self.display, 1, pressed, 0)
        self.xlib.XFlush(self.display)

    def close(self):
        self.xlib.XCloseDisplay(self.display)


class Launcher:
    """One launcher process whose standard error is read line by line on a thread."""

    def __init__(self, path, arguments, env):
        self.process = subprocess.Popen([path, *arguments], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.PIPE, text=True, env=env)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stderr:
            self.lines.put(line)

    def wait_for(self, pattern, timeout=30):
        deadline = time.monotonic() + timeout
        while True:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise TimeoutError(f"no line matching {pattern.pattern!r}")
            match = pattern.search(self.lines.get(timeout=remaining))
            if match:
                return match

    def frames_within(self, seconds):
        """Frame times reported during the next seconds."""
        times = []
        deadline = time.monotonic() + seconds
        while (remaining := deadline - time.monotonic()) > 0:
            try:
                match = FRAME.search(self.lines.get(timeout=remaining))
            except queue.Empty:
                break
            if match:
                times.append(float(match.group(1)))
        return times

    def window_origin(self):
        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", f"^{TITLE}$"],
                                capture_output=True, text=True, timeout=30, check=True).stdout.split()[0]
        shell = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                               capture_output=True, text=True, check=True).stdout
        values = dict(line.split("=", 1) for line in shell.split())
        return int(values["X"]), int(values["Y"])

    def end(self):
        if self.process.poll() is None:
            self.process.terminate()
        return self.process.wait(timeout=30)


def start_xvfb(folder):
    display_file = os.path.join(folder, "display")
    with open(display_file, "w") as out:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp", "-noreset"], pass_fds=(out.fileno(),), stderr=subprocess.DEVNULL)
    for _ in range(300):
        with open(display_file) as text:
            number = text.read().strip()
        if number:
            os.environ["DISPLAY"] = ":" + number
            return xvfb
        time.sleep(0.1)
    xvfb.kill()
    sys.exit("Xvfb did not start")


def write_config(home, manager):
    folder = os.path.join(home, ".local/share/Vantrel")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "config"), "w") as out:
        out.write('<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict>'
                  "<key>last_opened</key><true/>"
                  f"<key>last_known_path</key><string>{manager}</string></dict></plist>\n")


def remove_config(home):
    path = os.path.join(home, ".local/share/Vantrel/config")
    if os.path.exists(path):
        os.remove(path)


def wait_for_file(path, timeout=30):
    deadline = time.monotonic() + timeout
    while not os.path.exists(path):
        if time.monotonic() > deadline:
            raise TimeoutError(f"no {path}")
        time.sleep(0.001)


def start_and_hand_off(launcher_path, env, pointer, manager):
    """One run: seconds from start to first frame, and from the release to the manager's start."""
    stamp = manager + ".stamp"
    if os.path.exists(stamp):
        os.remove(stamp)
    started = time.monotonic()
    launcher = Launcher(launcher_path, ["bench", "/opt/bench app"], env)
    first_frame = float(launcher.wait_for(FIRST_FRAME).group(1)) - started
    x, y = launcher.window_origin()
    pointer.move(x + BUTTON[0], y + BUTTON[1])
    pointer.button(True)
    launcher.wait_for(FRAME)  # the press went through: the on look was drawn
    released = time.monotonic()
    pointer.button(False)
    wait_for_file(stamp)
    with open(stamp) as text:
        manager_started = float(text.readline())
    status = launcher.end()
    if status != 0:
        sys.exit(f"the launcher ended with status {status}")
    pointer.move(0, 0)
    return first_frame, manager_started - released


def frames_while_animating(launcher_path, env, pointer, scale, clicks):
    env = dict(env, VANTREL_BACKING_SCALE=str(scale))
    launcher = Launcher(launcher_path, ["bench"], env)
    launcher.wait_for(FIRST_FRAME)
    x, y = launcher.window_origin()
    pointer.move(x + BUTTON[0] * scale, y + BUTTON[1] * scale)
    launcher.frames_within(0.3)
    times = []
    for _ in range(clicks):
        pointer.button(True)
        times += launcher.frames_within(0.15)
        pointer.button(False)
        times += launcher.frames_within(0.3)  # the off look animates for 0.1 s
    launcher.frames_within(2.5)  # the last animation's end, and the hover's tooltip timer
    idle = launcher.frames_within(5.0)
    launcher.end()
    pointer.move(0, 0)
    return times, len(idle)


def median_ms(values):
    return f"{statistics.median(values) * 1000:.1f} ms"


def start_accessibility_bus():
    return subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build/release")
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--accessibility-bus", action="store_true")
    options = parser.parse_args()
    if options.accessibility_bus and not os.environ.get("VANTREL_BENCH_IN_DBUS_SESSION"):
        os.environ["VANTREL_BENCH_IN_DBUS_SESSION"] = "1"
        os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *sys.argv])
    launcher_path = os.path.abspath(os.path.join(options.build, "checkin/Vantrel_checkIn"))
    for needed in (launcher_path, os.path.join(options.build, "bench/stamping_manager")):
        if not os.path.exists(needed):
            sys.exit(f"no {needed}: build the release preset first")
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is not installed")

    with tempfile.TemporaryDirectory() as folder:
        home = os.path.join(folder, "home")
        manager = os.path.join(folder, "manager")
        shutil.copy(os.path.join(options.build, "bench/stamping_manager"), manager)
        env = {key: value for key, value in os.environ.items()
               if not key.startswith(("XDG_", "VANTREL_", "WAYLAND"))}
        env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_DATA_HOME=os.path.join(home, ".local/share"), SDL_VIDEODRIVER="x11",
                   VANTREL_REPORT_FRAMES="1")
        os.makedirs(home)
        xvfb = start_xvfb(folder)
        env["DISPLAY"] = os.environ["DISPLAY"]
        bus = start_accessibility_bus() if options.accessibility_bus else None
        if bus is None:
            env["NO_AT_BRIDGE"] = "1"
        pointer = Pointer()
        try:
            write_config(home, manager)
            runs = [start_and_hand_off(launcher_path, env, pointer, manager) for _ in range(options.runs)]
            print(f"start to first frame on screen: median {median_ms([run[0] for run in runs])}"
                  f" over {len(runs)} runs (target < 150 ms)")
            print(f"click (release) to manager start: median {median_ms([run[1] for run in runs])}"
                  f" over {len(runs)} runs (target < 30 ms)")
            remove_config(home)
            for scale in (1, 2):
                times, idle = frames_while_animating(launcher_path, env, pointer, scale, options.runs)
                print(f"frame while the button animates, scale {scale}: median {statistics.median(times):.2f} ms,"
                      f" max {max(times):.2f} ms over {len(times)} frames (target < 4 ms);"
                      f" frames in five idle seconds: {idle}")
        finally:
            pointer.close()
            if bus is not None:
                bus.terminate()
                bus.wait()
            xvfb.terminate()
            xvfb.wait()


if __name__ == "__main__":
    main()
