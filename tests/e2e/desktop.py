"""A private X display and the real program in a folder of its own, driven
only from outside: xdotool for keys, clicks and geometry, xclip for the
clipboard, ImageMagick's import for screenshots."""

import hashlib
import os
import shutil
import signal
import subprocess
import tempfile
import time

TWIPS_PER_PIXEL = 15  # at 96 dpi, which the display is started with


def px(twips):
    return round(twips / TWIPS_PER_PIXEL)


class Timeout(AssertionError):
    pass


def wait_for(what, condition, timeout=20.0, step=0.05):
    """Polls condition until it gives something true; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout("timed out waiting for " + what)
        time.sleep(step)


class Desktop:
    def __init__(self, artefacts):
        self.artefacts = artefacts
        os.makedirs(artefacts, exist_ok=True)
        # The server picks a free display itself and names it on a pipe, so
        # runs side by side never share one.
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-dpi", "96",
             "-nolisten", "tcp", "-ac", "-noreset"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("the X server did not start")
        self.display = ":" + number.decode()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("QT_QPA_PLATFORM", None)
        wait_for("the X server to answer", lambda: self._run(["xdotool", "getmouselocation"], check=False).returncode == 0,
                 timeout=15)

    def close(self):
        self.server.terminate()
        try:
            self.server.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.server.kill()

    def _run(self, args, check=True, input=None, timeout=10):
        return subprocess.run(args, env=self.env, check=check, capture_output=True, text=True, input=input,
                              timeout=timeout)

    def xdotool(self, *args):
        return self._run(["xdotool"] + [str(a) for a in args]).stdout.strip()

    def windows(self, name):
        """Visible windows whose title matches the regular expression name."""
        out = self._run(["xdotool", "search", "--onlyvisible", "--name", name], check=False).stdout.split()
        return [int(w) for w in out]

    def window(self, name, timeout=20.0):
        return wait_for("a window named %r" % name, lambda: (self.windows(name) or [None])[0], timeout)

    def title(self, wid):
        return self._run(["xdotool", "getwindowname", str(wid)]).stdout.rstrip("\n")

    def geometry(self, wid):
        """x, y, width, height of the window's client area on the screen."""
        values = {}
        for line in self.xdotool("getwindowgeometry", "--shell", wid).splitlines():
            key, _, value = line.partition("=")
            values[key] = int(value)
        return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]

    def focus(self, wid):
        self.xdotool("windowfocus", "--sync", wid)

    def click(self, wid, x, y, double=False):
        """A real pointer click at x, y pixels of the window's client area."""
        self.xdotool("mousemove", "--window", wid, x, y)
        time.sleep(0.05)
        if double:
            self.xdotool("click", "--repeat", 2, "--delay", 80, 1)
        else:
            self.xdotool("click", 1)
        time.sleep(0.15)

    def type(self, text):
        self.xdotool("type", "--delay", 15, text)

    def key(self, *keys):
        self.xdotool("key", "--delay", 30, *keys)

    def clipboard(self):
        """The clipboard's text, or None when it holds none."""
        r = self._run(["xclip", "-selection", "clipboard", "-o"], check=False, timeout=5)
        return r.stdout if r.returncode == 0 else None

    def set_clipboard(self, text):
        # xclip stays behind to serve the selection until someone else owns it.
        subprocess.Popen(["xclip", "-selection", "clipboard", "-i"], env=self.env, stdin=subprocess.PIPE,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).communicate(text.encode(), timeout=5)

    def message_text(self, wid):
        """The text of a message box, copied with Ctrl+C."""
        self.set_clipboard("-")
        self.focus(wid)
        self.key("ctrl+c")
        return wait_for("the message text on the clipboard", lambda: (self.clipboard() or "-") != "-" and self.clipboard(),
                        timeout=5)

    def shot(self, name):
        path = os.path.join(self.artefacts, name + ".png")
        self._run(["import", "-window", "root", path])
        return path


class Program:
    """The built program folder copied to a fresh folder, started there."""

    def __init__(self, desktop, bin_dir, with_library=True):
        self.desktop = desktop
        self.folder = tempfile.mkdtemp(prefix="vantry-e2e-")
        shutil.copy2(os.path.join(bin_dir, "Vantry"), self.folder)
        if with_library:
            shutil.copy2(os.path.join(bin_dir, "libQuenta.so"), self.folder)
        self.runtime_dir = tempfile.mkdtemp(prefix="vantry-e2e-run-")
        self.process = None

    def path(self, name):
        return os.path.join(self.folder, name)

    def start(self, user=None, env=None):
        env = dict(self.desktop.env, XDG_RUNTIME_DIR=self.runtime_dir, **(env or {}))
        args = [self.path("Vantry")]
        if user is not None:  # run as an ordinary user, for permission faults
            args = ["setpriv", "--reuid=%d" % user, "--regid=%d" % user, "--clear-groups"] + args
        self.process = subprocess.Popen(args, cwd=self.folder, env=env, stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT, text=True)
        self.started = time.monotonic()
        return self.process

    def wait_exit(self, timeout=15.0):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Timeout("the program did not end")

    def running(self):
        return self.process is not None and self.process.poll() is None

    def stop(self):
        if self.running():
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()

    def files(self):
        """Every archive file of the folder and a digest of its content."""
        out = {}
        for name in sorted(os.listdir(self.folder)):
            if name.startswith("Vantry") and name.endswith(".csv") or ".csv." in name:
                with open(self.path(name), "rb") as f:
                    out[name] = hashlib.sha256(f.read()).hexdigest()
        return out

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def remove(self):
        self.stop()
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.rmtree(self.runtime_dir, ignore_errors=True)


def close_window(display, wid):
    """Asks a window to close, as a window manager's close button does: a
    WM_DELETE_WINDOW message (there is no window manager on this display)."""
    import ctypes
    import ctypes.util

    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]

    dpy = x11.XOpenDisplay(display.encode())
    if not dpy:
        raise RuntimeError("cannot open display " + display)
    try:
        event = Event()
        event.client.type = 33  # ClientMessage
        event.client.window = wid
        event.client.message_type = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
        event.client.format = 32
        event.client.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
        event.client.data[1] = 0  # CurrentTime
        x11.XSendEvent(dpy, wid, 0, 0, ctypes.byref(event))
        x11.XFlush(dpy)
    finally:
        x11.XCloseDisplay(dpy)
