#!/usr/bin/env python3
"""A clipboard manager of the kind that saves the clipboard of a program
that quits (GNOME's settings daemon is one): it owns CLIPBOARD_MANAGER and,
asked to SAVE_TARGETS, fetches every target of CLIPBOARD from its owner and
prints them as one JSON line, {target: text}, before it answers. Xlib through
ctypes; DISPLAY names the display. Prints "ready" once it owns the selection."""

import ctypes
import ctypes.util
import json
import sys

c_ulong, c_long, c_int, c_void_p = ctypes.c_ulong, ctypes.c_long, ctypes.c_int, ctypes.c_void_p
SELECTION_REQUEST, SELECTION_NOTIFY = 30, 31
ANY_PROPERTY_TYPE, CURRENT_TIME = 0, 0


class SelectionRequest(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("owner", c_ulong), ("requestor", c_ulong), ("selection", c_ulong), ("target", c_ulong),
                ("property", c_ulong), ("time", c_ulong)]


class Selection(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("requestor", c_ulong), ("selection", c_ulong), ("target", c_ulong), ("property", c_ulong),
                ("time", c_ulong)]


class Event(ctypes.Union):
    _fields_ = [("type", c_int), ("request", SelectionRequest), ("selection", Selection), ("pad", c_long * 24)]


X = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
X.XOpenDisplay.restype = c_void_p
X.XOpenDisplay.argtypes = [ctypes.c_char_p]
X.XDefaultRootWindow.restype = c_ulong
X.XDefaultRootWindow.argtypes = [c_void_p]
X.XCreateSimpleWindow.restype = c_ulong
X.XCreateSimpleWindow.argtypes = [c_void_p, c_ulong, c_int, c_int, ctypes.c_uint, ctypes.c_uint, ctypes.c_uint,
                                  c_ulong, c_ulong]
X.XInternAtom.restype = c_ulong
X.XInternAtom.argtypes = [c_void_p, ctypes.c_char_p, c_int]
X.XGetAtomName.restype = ctypes.c_char_p  # leaks a little; the run is short
X.XGetAtomName.argtypes = [c_void_p, c_ulong]
X.XSetSelectionOwner.argtypes = [c_void_p, c_ulong, c_ulong, c_ulong]
X.XGetSelectionOwner.restype = c_ulong
X.XGetSelectionOwner.argtypes = [c_void_p, c_ulong]
X.XConvertSelection.argtypes = [c_void_p, c_ulong, c_ulong, c_ulong, c_ulong, c_ulong]
X.XNextEvent.argtypes = [c_void_p, ctypes.POINTER(Event)]
X.XSendEvent.argtypes = [c_void_p, c_ulong, c_int, c_long, ctypes.POINTER(Event)]
X.XFlush.argtypes = [c_void_p]
X.XGetWindowProperty.argtypes = [c_void_p, c_ulong, c_ulong, c_long, c_long, c_int, c_ulong,
                                 ctypes.POINTER(c_ulong), ctypes.POINTER(c_int), ctypes.POINTER(c_ulong),
                                 ctypes.POINTER(c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ubyte))]
X.XFree.argtypes = [c_void_p]

display = X.XOpenDisplay(None)
if not display:
    sys.exit("no display")
window = X.XCreateSimpleWindow(display, X.XDefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0)


def atom(name):
    return X.XInternAtom(display, name.encode(), 0)


MANAGER, SAVE_TARGETS, CLIPBOARD, TARGETS, PROPERTY = (
    atom(n) for n in ("CLIPBOARD_MANAGER", "SAVE_TARGETS", "CLIPBOARD", "TARGETS", "VANTRY_TEST_SAVED"))


def next_event():
    event = Event()
    X.XNextEvent(display, ctypes.byref(event))
    return event


def fetch(target):
    """The owner's CLIPBOARD in target: (format, bytes), or None."""
    X.XConvertSelection(display, CLIPBOARD, target, PROPERTY, window, CURRENT_TIME)
    X.XFlush(display)
    while True:
        event = next_event()
        if event.type == SELECTION_NOTIFY and event.selection.requestor == window:
            break
    if event.selection.property == 0:
        return None
    kind, fmt, count, after = c_ulong(), c_int(), c_ulong(), c_ulong()
    data = ctypes.POINTER(ctypes.c_ubyte)()
    X.XGetWindowProperty(display, window, PROPERTY, 0, 1 << 20, 1, ANY_PROPERTY_TYPE, ctypes.byref(kind),
                         ctypes.byref(fmt), ctypes.byref(count), ctypes.byref(after), ctypes.byref(data))
    width = {8: 1, 16: ctypes.sizeof(ctypes.c_short), 32: ctypes.sizeof(c_long)}.get(fmt.value, 1)
    raw = ctypes.string_at(data, count.value * width) if data else b""
    if data:
        X.XFree(data)
    return fmt.value, raw


X.XSetSelectionOwner(display, MANAGER, window, CURRENT_TIME)
X.XFlush(display)
if X.XGetSelectionOwner(display, MANAGER) != window:
    sys.exit("another clipboard manager runs")
print("ready", flush=True)

while True:
    event = next_event()
    if event.type != SELECTION_REQUEST:
        continue
    request = event.request
    if request.selection == MANAGER and request.target == SAVE_TARGETS:
        saved = {}
        listed = fetch(TARGETS)
        if listed is not None:
            fmt, raw = listed
            atoms = (c_ulong * (len(raw) // ctypes.sizeof(c_ulong))).from_buffer_copy(raw)
            for target in atoms:
                name = X.XGetAtomName(display, target).decode()
                if name in ("TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS"):
                    continue
                got = fetch(target)
                saved[name] = None if got is None else got[1].decode("utf-8", "replace")
        print(json.dumps(saved), flush=True)
        reply_property = request.property
    else:
        reply_property = 0  # refused
    reply = Event()
    reply.selection.type = SELECTION_NOTIFY
    reply.selection.display = display
    reply.selection.requestor = request.requestor
    reply.selection.selection = request.selection
    reply.selection.target = request.target
    reply.selection.property = reply_property
    reply.selection.time = request.time
    X.XSendEvent(display, request.requestor, 0, 0, ctypes.byref(reply))
    X.XFlush(display)
