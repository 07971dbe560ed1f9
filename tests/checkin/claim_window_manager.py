#!/usr/bin/env python3
"""Makes programs on the display believe a window manager runs, one that does nothing.

Sets the root window's _NET_SUPPORTING_WM_CHECK to the root itself, as a window manager names its
check window. SDL then leaves the focus of a new window to the window manager rather than taking
it itself, so a window has the focus only when its program asks for it. Usage:
claim_window_manager.py. Talks to libX11 through ctypes. Exits 2 when the display cannot be opened.
"""
import ctypes
import ctypes.util
import sys

XA_WINDOW = 33
PROP_MODE_REPLACE = 0


def main():
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                     ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(None)
    if not display:
        return 2
    root = xlib.XDefaultRootWindow(display)
    check = ctypes.c_ulong(root)  # format 32 data is an array of C longs
    xlib.XChangeProperty(display, root, xlib.XInternAtom(display, b"_NET_SUPPORTING_WM_CHECK", 0), XA_WINDOW,
                         32, PROP_MODE_REPLACE, ctypes.byref(check), 1)
    xlib.XCloseDisplay(display)  # flushes; the root keeps the property
    return 0


if __name__ == "__main__":
    sys.exit(main())
