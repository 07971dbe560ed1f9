#!/usr/bin/env python3
"""Asks a window to close the way a window manager does: a WM_DELETE_WINDOW client message.

Usage: send_close_request.py WINDOW_ID. Talks to libX11 through ctypes, so nothing beyond Python is
needed. Exits 1 when the window does not take part in that protocol (a window manager would then
have to kill its client), 2 when the display cannot be opened.
"""
import ctypes
import ctypes.util
import sys

CLIENT_MESSAGE = 33
NO_EVENT_MASK = 0
CURRENT_TIME = 0


class ClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessageEvent), ("pad", ctypes.c_long * 24)]


def load_xlib():
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XGetWMProtocols.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                     ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                     ctypes.POINTER(ctypes.c_int)]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.POINTER(Event)]
    xlib.XFree.argtypes = [ctypes.c_void_p]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return xlib


def protocols_of(xlib, display, window):
    atoms = ctypes.POINTER(ctypes.c_ulong)()
    count = ctypes.c_int()
    if not xlib.XGetWMProtocols(display, window, ctypes.byref(atoms), ctypes.byref(count)):
        return []
    found = [atoms[i] for i in range(count.value)]
    xlib.XFree(atoms)
    return found


def main():
    window = int(sys.argv[1], 0)
    xlib = load_xlib()
    display = xlib.XOpenDisplay(None)
    if not display:
        print("cannot open the display", file=sys.stderr)
        return 2
    wm_protocols = xlib.XInternAtom(display, b"WM_PROTOCOLS", False)
    delete_window = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", False)
    if delete_window not in protocols_of(xlib, display, window):
        print(f"window {window:#x} does not accept WM_DELETE_WINDOW", file=sys.stderr)
        xlib.XCloseDisplay(display)
        return 1
    event = Event()
    event.xclient.type = CLIENT_MESSAGE
    event.xclient.window = window
    event.xclient.message_type = wm_protocols
    event.xclient.format = 32
    event.xclient.data[0] = delete_window
    event.xclient.data[1] = CURRENT_TIME
    xlib.XSendEvent(display, window, False, NO_EVENT_MASK, ctypes.byref(event))
    xlib.XSync(display, False)
    xlib.XCloseDisplay(display)
    return 0


if __name__ == "__main__":
    sys.exit(main())
