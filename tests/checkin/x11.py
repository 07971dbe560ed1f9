#!/usr/bin/env python3
"""What a window manager does to the launcher's window, through libX11 (ctypes).

x11.py claim: sets the root's _NET_SUPPORTING_WM_CHECK to the root, so programs believe a window
manager runs (one that does nothing): SDL then leaves a new window's focus to the program.
x11.py close WINDOW: asks the window to close with a WM_DELETE_WINDOW client message.
"""
import ctypes
import ctypes.util
import sys


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XDefaultRootWindow.restype = xlib.XInternAtom.restype = ctypes.c_ulong
display = ctypes.c_void_p(xlib.XOpenDisplay(None))
if not display.value:
    sys.exit("cannot open the display")
if sys.argv[1] == "claim":
    root = ctypes.c_ulong(xlib.XDefaultRootWindow(display))  # format 32 data is an array of C longs
    atom = ctypes.c_ulong(xlib.XInternAtom(display, b"_NET_SUPPORTING_WM_CHECK", 0))
    xlib.XChangeProperty(display, root, atom, ctypes.c_ulong(33), 32, 0, ctypes.byref(root), 1)  # XA_WINDOW, replace
else:
    window = ctypes.c_ulong(int(sys.argv[2], 0))
    event = ClientMessage(type=33, window=window, format=32,  # 33: ClientMessage
                          message_type=xlib.XInternAtom(display, b"WM_PROTOCOLS", 0))
    event.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    xlib.XSendEvent(display, window, 0, ctypes.c_long(0), ctypes.byref(event))
xlib.XCloseDisplay(display)  # flushes
