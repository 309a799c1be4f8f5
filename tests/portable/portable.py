#!/usr/bin/env python3
"""The portable archive on a Debian 12 desktop without Qt.

    portable.py ARCHIVE ARTEFACTS

Builds (once per machine, cached) a minimal Debian 12 root with only what a
desktop always has - the C library, the X11 client libraries, fontconfig -
and no Qt and no Japanese font. Unpacks the archive to a folder that stands
for a removable drive, and starts its launcher inside the root, from an
unrelated working directory, under Xvfb, driven from outside with xdotool:
the creation dialog opens, the vault is written beside the program, and a
second start opens the main window, its labels drawn in the bundled font
exactly as the machine's own IPA P Gothic draws them (the reference runs on
this machine, started through the folder's desktop entry). Screenshots land
in ARTEFACTS.

When the root cannot be built (no network) the test is skipped with a
message, unless VANTRY_REQUIRE_PORTABLE=1 (CI), where that is a failure."""

import os
import shutil
import signal
import subprocess
import sys
import tarfile
import tempfile
import time
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from desktop import Desktop, Timeout, close_window, px, wait_for  # noqa: E402
from e2e import GRID_LEFT, GRID_TOP, ROW_PX, TEXT1, button  # noqa: E402

ROOT = os.environ.get("VANTRY_NOQT_ROOT", "/var/cache/vantry-noqt-root")
MIRROR = "deb http://deb.debian.org/debian bookworm main"
# What every desktop has; the archive leaves exactly these out.
PACKAGES = ["libx11-6", "libx11-xcb1", "libxcb1", "libxext6", "libxrender1", "libxcb-render0", "libxcb-shm0",
            "libgl1", "libegl1", "libopengl0", "fontconfig"]
# Japanese input methods as Debian's desktops set them up, with the session
# bus they run on; none of it brings Qt. (fcitx5 runs Anthy here: Mozc's
# server would not start in the root, as root or as a user.)
INPUT_METHOD = ["dbus", "ibus", "ibus-anthy", "fcitx5", "fcitx5-anthy"]
STAMP = "vantry-root-packages"
IM_HOME = "/tmp/im-home"  # the input method's settings start afresh each case
BUS = "unix:path=/tmp/run/bus"
# Romaji typed in hiragana input, committed with Return.
ROMAJI, KANA = "ginkou", "ぎんこう"
COLUMN_PX = 139  # a grid column: 15 average characters of the grid's font
WORKDIR = "/srv/elsewhere"  # unrelated to the program's folder
STICK = "/media/stick"

LOGIN, EDIT, HINT = "portable-login", "portable-edit", "hint"
MAIN_TITLE = "Ver 1\\.40"
LABEL1 = (360, 75, 1335, 285)  # the main window's first label, twips: left, top, width, height
DIALOG_LABELS = (0, 0, 2700, 2400)  # the creation dialog's column of Japanese labels, twips


# Other clients of the input methods, without Qt: the same keys must come
# back as kana, and the input method must be back in Latin input afterwards.
# Each prints repr((committed text, Latin afterwards)).
SPIN = """
def spin(seconds, until):
    deadline = GLib.get_monotonic_time() + int(seconds * 1e6)
    while not until() and GLib.get_monotonic_time() < deadline:
        GLib.MainContext.default().iteration(False)
        GLib.usleep(10000)
"""

IBUS_CONTROL = """
import gi
gi.require_version("IBus", "1.0")
from gi.repository import GLib, IBus
""" + SPIN + """
IBus.init()
bus = IBus.Bus()
assert bus.is_connected(), "no input method daemon"
ic = bus.create_input_context("control")
got = []
ic.connect("commit-text", lambda _ic, text: got.append(text.get_text()))
ic.set_capabilities(IBus.Capabilite.FOCUS | IBus.Capabilite.PREEDIT_TEXT)
ic.focus_in()
ic.set_engine("anthy")
spin(10, lambda: ic.get_engine() is not None and ic.get_engine().get_name() == "anthy")
def key(name, state=0):
    return ic.process_key_event(IBus.keyval_from_name(name), 0, state)
key("j", IBus.ModifierType.CONTROL_MASK)
for c in "%s":
    key(c)
key("Return")
spin(10, lambda: got)
key("j", IBus.ModifierType.CONTROL_MASK)
latin = not key("a")
print(repr(("".join(got), latin)))
""" % ROMAJI

FCITX5_CONTROL = """
from gi.repository import Gio, GLib
""" + SPIN + """
bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
def owned():
    return bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                         GLib.Variant("(s)", ("org.fcitx.Fcitx5",)), None, 0, 5000, None).unpack()[0]
spin(30, owned)
def call(path, interface, method, args=None):
    return bus.call_sync("org.fcitx.Fcitx5", path, interface, method, args, None, 0, 10000, None)
path = call("/org/freedesktop/portal/inputmethod", "org.fcitx.Fcitx.InputMethod1", "CreateInputContext",
            GLib.Variant("(a(ss))", ([("program", "control")],))).unpack()[0]
got = []
bus.signal_subscribe("org.fcitx.Fcitx5", "org.fcitx.Fcitx.InputContext1", "CommitString", path, None, 0,
                     lambda *a: got.append(a[5].unpack()[0]))
ic = "org.fcitx.Fcitx.InputContext1"
call(path, ic, "SetCapability", GLib.Variant("(t)", ((1 << 1) | (1 << 5),)))  # preedit, formatted preedit
call(path, ic, "FocusIn")
def key(keyval, state=0):
    return call(path, ic, "ProcessKeyEvent", GLib.Variant("(uuubu)", (keyval, 0, state, False, 0))).unpack()[0]
CONTROL = 1 << 2
key(0x20, CONTROL)  # Ctrl+Space, the trigger
spin(1, lambda: False)
for c in "%s":
    key(ord(c))
key(0xff0d)  # Return
spin(10, lambda: got)
key(0x20, CONTROL)
latin = not key(ord("a"))
print(repr(("".join(got), latin)))
""" % ROMAJI

FCITX5_PROFILE = """[Groups/0]
Name=Default
Default Layout=us
DefaultIM=anthy

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=anthy
Layout=

[GroupOrder]
0=Default
"""


class Kind:
    """One input method: how it starts, what im-config sets for it, its
    on/off key and its control."""

    def __init__(self, name, module, daemon, toggle, control, files=()):
        self.name, self.module, self.daemon, self.toggle = name, module, daemon, toggle
        self.control, self.files = control, files
        self.env = ("HOME=" + IM_HOME, "DBUS_SESSION_BUS_ADDRESS=" + BUS, "QT_IM_MODULE=" + module,
                    "XMODIFIERS=@im=" + module, "GTK_IM_MODULE=" + module)


# ibus-anthy starts in Latin input, Ctrl+J switches to hiragana and back;
# fcitx5 starts on the keyboard layout, Ctrl+Space switches to Anthy, which
# starts in hiragana, and back.
IBUS = Kind("ibus with Anthy", "ibus",
            "exec ibus-daemon --panel=disable --emoji-extension=disable --config=/usr/libexec/ibus-memconf",
            "ctrl+j", IBUS_CONTROL)
FCITX5 = Kind("fcitx5 with Anthy", "fcitx", "exec fcitx5", "ctrl+space", FCITX5_CONTROL,
              ((".config/fcitx5/profile", FCITX5_PROFILE),))


class Skip(Exception):
    pass


class InputMethod:
    """A session bus and an input method inside the root, as a Japanese
    desktop runs them beside the program."""

    def __init__(self, machine, kind):
        self.machine, self.kind = machine, kind
        home = os.path.join(ROOT, IM_HOME[1:])
        shutil.rmtree(home, ignore_errors=True)
        for name, text in kind.files:
            os.makedirs(os.path.dirname(os.path.join(home, name)), exist_ok=True)
            with open(os.path.join(home, name), "w") as f:
                f.write(text)
        os.makedirs(home, exist_ok=True)
        bus = os.path.join(ROOT, "tmp/run/bus")
        if os.path.exists(bus):
            os.remove(bus)
        self.process = self.machine.popen(
            "dbus-daemon --session --fork --address=" + BUS + " --print-pid=1 >/tmp/run/bus.pid && " + kind.daemon,
            kind.env)

    def control(self):
        with open(os.path.join(ROOT, "tmp/run/control.py"), "w") as f:
            f.write(self.kind.control)
        # The control waits for the input method to start.
        deadline = time.monotonic() + 30
        while True:
            out = self.machine.popen("exec python3 /tmp/run/control.py", self.kind.env).communicate(timeout=90)[0]
            last = out.strip().splitlines()[-1] if out.strip() else ""
            if last.startswith("(") or time.monotonic() > deadline:
                return last or out
            time.sleep(0.5)

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        # What the daemons started in the root (the bus, the engines, their
        # helpers): every process whose root is ours.
        for pid in os.listdir("/proc"):
            try:
                if pid.isdigit() and os.readlink("/proc/%s/root" % pid) == ROOT:
                    os.kill(int(pid), signal.SIGTERM)
            except OSError:
                pass
        wait_for("the input method to end", lambda: not any(
            pid.isdigit() and os.path.exists("/proc/" + pid) and self._in_root(pid) for pid in os.listdir("/proc")),
            timeout=10)

    @staticmethod
    def _in_root(pid):
        try:
            return os.readlink("/proc/%s/root" % pid) == ROOT
        except OSError:
            return False



def build_root():
    """The cached root, built when missing or made with another package list."""
    stamp = os.path.join(ROOT, STAMP)
    wanted = " ".join(PACKAGES + INPUT_METHOD)
    if os.path.exists(stamp) and open(stamp).read() == wanted:
        return
    if shutil.which("mmdebstrap") is None:
        raise Skip("mmdebstrap is not installed (scripts/install-deps.sh test installs it)")
    fresh = ROOT + ".new"
    shutil.rmtree(fresh, ignore_errors=True)
    print("building the Debian 12 root without Qt in %s (once per machine)" % ROOT, flush=True)
    started = time.monotonic()
    r = subprocess.run(["mmdebstrap", "--quiet", "--variant=minbase", "--include=" + ",".join(PACKAGES + INPUT_METHOD),
                        "bookworm", fresh, MIRROR], stdin=subprocess.DEVNULL, capture_output=True, text=True,
                       timeout=1500)
    if r.returncode != 0:
        shutil.rmtree(fresh, ignore_errors=True)
        raise Skip("the Debian 12 root could not be built (no network?):\n" + r.stderr[-2000:])
    with open(os.path.join(fresh, STAMP), "w") as f:
        f.write(wanted)
    shutil.rmtree(ROOT, ignore_errors=True)
    os.rename(fresh, ROOT)
    print("root built in %.0f s" % (time.monotonic() - started), flush=True)


def root_packages():
    out = subprocess.run(["chroot", ROOT, "dpkg-query", "-W", "-f", "${Package}\\n"], check=True,
                         capture_output=True, text=True).stdout
    return out.split()


class Machine:
    """The root with the drive folder mounted, programs started inside it."""

    def __init__(self, desktop, drive):
        self.desktop, self.drive = desktop, drive
        for d in ("tmp/.X11-unix", STICK[1:], WORKDIR[1:], "tmp/run"):
            os.makedirs(os.path.join(ROOT, d), exist_ok=True)
        os.chmod(os.path.join(ROOT, "tmp/run"), 0o700)
        for stale in ("tmp/run", IM_HOME[1:]):
            shutil.rmtree(os.path.join(ROOT, stale), ignore_errors=True)
            os.makedirs(os.path.join(ROOT, stale), mode=0o700)
        # A booted machine has its id; the session bus and the input method
        # name their sockets after it. mmdebstrap leaves the file empty.
        machine_id = os.path.join(ROOT, "etc/machine-id")
        if not open(machine_id).read().strip():
            with open(machine_id, "w") as f:
                f.write(uuid.uuid4().hex + "\n")
        self.process = None

    def popen(self, command, env=()):
        """command (shell) inside the root, in a private mount namespace: the
        mounts go away with it."""
        script = ('mount --bind /dev "$R/dev" && mount -t proc proc "$R/proc" && '
                  'mount --bind /tmp/.X11-unix "$R/tmp/.X11-unix" && mount --bind "$S" "$R' + STICK + '" && '
                  'exec chroot "$R" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root LANG=C.UTF-8 '
                  'XDG_RUNTIME_DIR=/tmp/run DISPLAY="$D" ' + " ".join(env) + ' /bin/sh -c "$C"')
        environ = dict(os.environ, R=ROOT, S=self.drive, D=self.desktop.display, C=command)
        return subprocess.Popen(["unshare", "--mount", "--propagation", "private", "sh", "-c", script],
                                env=environ, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)

    def start(self, env=()):
        self.process = self.popen("cd " + WORKDIR + " && exec " + STICK + "/Vantry/Vantry.sh", env)
        return self.process

    def output(self):
        try:
            return self.process.communicate(timeout=5)[0]
        except subprocess.TimeoutExpired:
            return ""

    def stop(self):
        if self.process is not None and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def crop(desktop, wid, box, name):
    """The pixels of a box (twips) of a window's client area, and a screenshot."""
    left, top = desktop.geometry(wid)[:2]
    x, y, w, h = (px(v) for v in box)
    path = desktop.shot(name)
    return subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, left + x, top + y), "rgb:-"],
                          check=True, capture_output=True).stdout


def dialog_labels(d, start, stop, name):
    start()
    try:
        wid = d.window("^Create Vantry$", timeout=30)
        d.focus(wid)
        time.sleep(0.5)
        return crop(d, wid, DIALOG_LABELS, name)
    finally:
        stop()


def create_vault(d, machine):
    """Fills in the creation dialog and saves; the labels' pixels."""
    proc = machine.start()
    try:
        wid = d.window("^Create Vantry$", timeout=30)
    except Timeout:
        machine.stop()
        raise AssertionError("the creation dialog did not open:\n" + machine.output())
    d.focus(wid)
    time.sleep(0.5)
    labels = crop(d, wid, DIALOG_LABELS, "portable-create-dialog")
    d.key("Return", "Return")  # rows, columns: to the login password
    d.type(LOGIN)
    d.key("Return")
    d.type(EDIT)
    d.key("Return")
    d.type(HINT)
    d.click(wid, px(5760 + 150 + 1335 // 2), px(690 + 150 + 495 // 2))  # "Save"
    try:
        code = proc.wait(timeout=15)
    except subprocess.TimeoutExpired:
        machine.stop()
        raise AssertionError("the program did not end after Save")
    if code != 0:
        raise AssertionError("the program ended with %d:\n%s" % (code, machine.output()))
    return labels


def main_label(d, start, stop, name):
    """The pixels of the main window's first label; the window must carry our icon."""
    start()
    try:
        wid = d.window(MAIN_TITLE, timeout=30)
        d.focus(wid)
        time.sleep(0.5)
        icon = subprocess.run(["xprop", "-id", str(wid), "-f", "_NET_WM_ICON", "32c", "_NET_WM_ICON"], env=d.env,
                              capture_output=True, text=True).stdout
        assert "= 256, 256, " in icon, "the main window carries no icon: " + icon[:200]
        return crop(d, wid, LABEL1, name)
    finally:
        stop()


def cell(col, row):
    """Pixel centre of grid cell (col, row) of the main window; row 0 is the header row."""
    return GRID_LEFT + 2 + COLUMN_PX * col + COLUMN_PX // 2, GRID_TOP + 2 + ROW_PX * row + ROW_PX // 2


def kana(d, kind):
    """Romaji typed with real keys through the input method, committed."""
    d.key(kind.toggle)
    time.sleep(0.3)
    d.type(ROMAJI)
    time.sleep(0.3)
    d.key("Return")  # the input method takes it: the text is committed, the focus stays
    time.sleep(0.3)
    d.key(kind.toggle)
    time.sleep(0.3)


def unscrambled(folder, line):
    """One record line of the archive in plain, through the folder's own library."""
    code = ("import ctypes, sys\n"
            "lib = ctypes.CDLL(sys.argv[1])\n"
            "buf = ctypes.create_string_buffer(1025)\n"
            "lib.Modulate(buf, sys.argv[2].encode(), 1)\n"
            "sys.stdout.buffer.write(buf.value)\n")
    scratch = tempfile.mkdtemp()  # the library may write its settings where it runs
    try:
        return subprocess.run([sys.executable, "-c", code, os.path.join(folder, "libQuenta.so"), line.decode()],
                              cwd=scratch, check=True, capture_output=True).stdout
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def input_method_case(d, machine, folder, kind):
    """Japanese typed through the input method into the creation dialog and a
    grid cell reaches the archive."""
    for name in os.listdir(folder):
        if name.startswith("Vantry") and name.endswith(".csv"):
            os.remove(os.path.join(folder, name))
    im = InputMethod(machine, kind)
    try:
        control = im.control()
        assert control == repr((KANA, True)), "%s itself does not work in the root: %s" % (kind.name, control)
        print("ok: control: %s turns %s into %s for a client without Qt" % (kind.name, ROMAJI, KANA), flush=True)

        # The creation dialog: the first column's title in Japanese.
        proc = machine.start(kind.env)
        try:
            wid = d.window("^Create Vantry$", timeout=30)
            d.focus(wid)
            time.sleep(0.5)
            d.key("Return", "Return")
            d.type(LOGIN)
            d.key("Return")
            d.type(EDIT)
            d.key("Return")
            d.type(HINT)
            d.key("Return")  # to the first column's title
            d.key("End", "shift+Home", "BackSpace")
            kana(d, kind)
            d.shot("portable-%s-dialog" % kind.module)
            d.click(wid, px(5760 + 150 + 1335 // 2), px(690 + 150 + 495 // 2))  # "Save"
            assert proc.wait(timeout=15) == 0, "the program ended badly after Save"
        finally:
            machine.stop()
        with open(os.path.join(folder, "Vantry.csv"), "rb") as f:
            lines = f.read().split(b"\r\n")
        header = lines[0].decode("utf-8", "replace")
        assert header == "7x5,%s,Login,Confirm,Kouza No,Card Password" % KANA, \
            "the dialog's title did not take Japanese through %s: %r" % (kind.name, header)
        print("ok: %s: romaji typed in the creation dialog saved as %s" % (kind.name, KANA), flush=True)

        # A grid cell: the first row's first column.
        machine.start(kind.env)
        try:
            wid = d.window(MAIN_TITLE, timeout=30)
            d.focus(wid)
            time.sleep(0.5)
            for password in (LOGIN, EDIT):
                d.click(wid, px(TEXT1[0]), px(TEXT1[1]))
                d.type(password)
                d.key("Return")
                time.sleep(0.3)
            for name in ("Display", "Display", "Edit"):
                d.click(wid, *button(name))
                time.sleep(0.3)
            d.click(wid, *cell(1, 1), double=True)  # opens the cell's editor
            time.sleep(0.3)
            kana(d, kind)
            d.key("Return")  # ends the edit
            time.sleep(0.3)
            d.shot("portable-%s-grid" % kind.module)
            d.click(wid, *button("Save"))
            wait_for("the save", lambda: os.path.exists(os.path.join(folder, "Vantry1.csv")), timeout=10)
            close_window(d.display, wid)
            assert machine.process.wait(timeout=15) == 0, "the program ended badly on close"
        finally:
            machine.stop()
        with open(os.path.join(folder, "Vantry.csv"), "rb") as f:
            first = unscrambled(folder, f.read().split(b"\r\n")[1]).decode("utf-8", "replace")
        assert first.split(",")[:2] == ["New1", KANA], \
            "the grid cell did not take Japanese through %s: %r" % (kind.name, first)
        print("ok: %s: romaji typed in a grid cell saved as %s" % (kind.name, KANA), flush=True)
    finally:
        im.stop()


def run(archive, artefacts):
    if os.geteuid() != 0:
        raise Skip("building and entering the root needs root")
    build_root()
    installed = root_packages()
    unwanted = [p for p in installed if "qt" in p.lower() or "ipafont" in p]
    assert not unwanted, "the root holds " + " ".join(unwanted)

    drive = tempfile.mkdtemp(prefix="vantry-drive-")
    d = Desktop(artefacts)
    machine = None
    try:
        with tarfile.open(archive) as tar:
            tops = {m.name.split("/")[0] for m in tar.getmembers()}
            assert tops == {"Vantry"}, "one top folder Vantry/, not %s" % sorted(tops)
            links = [m.name for m in tar.getmembers() if m.issym() or m.islnk()]
            assert not links, "links in the archive: %s" % links
            tar.extractall(drive)
        folder = os.path.join(drive, "Vantry")
        source_dir = os.path.abspath(os.path.join(HERE, "..", "..")).encode()
        for name in ("Vantry", "libQuenta.so"):
            with open(os.path.join(folder, name), "rb") as f:
                data = f.read()
            assert b".symtab\0" not in data and b".debug_info\0" not in data, name + " is not stripped"
            assert source_dir not in data, name + " names the build machine's " + source_dir.decode()
        machine = Machine(d, drive)

        # Qt loads the input-method plugin the desktop names only when asked
        # to: every plugin's libraries must be found in the folder or the root.
        contexts = sorted(os.listdir(os.path.join(folder, "plugins", "platforminputcontexts")))
        assert contexts == ["libcomposeplatforminputcontextplugin.so", "libfcitx5platforminputcontextplugin.so",
                            "libibusplatforminputcontextplugin.so"], "input-method plugins: %s" % contexts
        plugins = " ".join(STICK + "/Vantry/plugins/" + kind + "/" + name for kind in ("platforms", "platforminputcontexts")
                           for name in os.listdir(os.path.join(folder, "plugins", kind)))
        out = machine.popen('for p in %s; do echo "$p"; LD_LIBRARY_PATH=%s/Vantry/lib ldd "$p"; done' % (plugins, STICK)) \
            .communicate(timeout=30)[0]
        assert "not found" not in out and out.count(STICK + "/Vantry/plugins/") >= 4, "plugin libraries:\n" + out
        print("ok: the display and input-method plugins find every library they need", flush=True)

        # The same folder on this machine, whose own IPA P Gothic draws the
        # labels: what the bundled font must draw inside the root.
        host_has_font = bool(subprocess.run(["fc-list", "IPAPGothic"], capture_output=True, text=True).stdout.strip())
        host = {}

        def start_host():
            host["p"] = subprocess.Popen([os.path.join(folder, "Vantry.sh")], cwd="/",
                                         env=dict(d.env, XDG_RUNTIME_DIR=tempfile.mkdtemp()),
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def stop_host():
            host["p"].terminate()
            host["p"].wait(timeout=5)

        # Started through the menu entry its launcher installs, by the
        # launchers desktops use, from an unrelated folder.
        data_home = tempfile.mkdtemp(prefix="vantry-data-")
        entry = subprocess.run([os.path.join(folder, "Vantry.sh"), "--install-desktop-entry"], cwd="/",
                               env=dict(d.env, XDG_DATA_HOME=data_home), check=True, capture_output=True,
                               text=True).stdout.strip()
        assert entry.startswith(os.path.join(data_home, "applications") + "/"), "installed as " + entry
        launched = []

        def start_entry(launcher):
            launched.append(subprocess.Popen(launcher + [entry], cwd="/", env=dict(d.env, XDG_RUNTIME_DIR=tempfile.mkdtemp()),
                                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))

        def stop_entry():
            pid = int(d.xdotool("getwindowpid", d.window("^Create Vantry$")))
            os.kill(pid, signal.SIGTERM)
            wait_for("the program to end", lambda: not d.windows("^Create Vantry$"), timeout=5)
            for p in launched:
                p.wait(timeout=10)

        reference = None
        for launcher in (["gio", "launch"], ["dex"]):
            labels = dialog_labels(d, lambda: start_entry(launcher), stop_entry, "portable-create-dialog-" + launcher[0])
            print("ok: %s starts the installed menu entry from another folder" % " ".join(launcher), flush=True)
            reference = reference or labels
        assert not os.path.exists(os.path.join(folder, "Vantry.csv")), "closing the dialog wrote a vault"
        shutil.rmtree(data_home, ignore_errors=True)

        labels = create_vault(d, machine)
        assert os.path.exists(os.path.join(folder, "Vantry.csv")), "no Vantry.csv beside the program"
        assert not os.path.exists(os.path.join(ROOT, WORKDIR[1:], "Vantry.csv")), "written to the working folder"
        print("ok: creation dialog, vault written beside the program", flush=True)
        if host_has_font:
            assert labels == reference, "the dialog's Japanese labels are drawn differently from IPA P Gothic"

        for kind in (IBUS, FCITX5):
            input_method_case(d, machine, folder, kind)

        bundled = main_label(d, machine.start, machine.stop, "portable-main-window")
        print("ok: second start opens the main window, with our icon", flush=True)
        if host_has_font:
            reference = main_label(d, start_host, stop_host, "portable-main-window-host")
            assert bundled == reference, "the main window's label is drawn differently from IPA P Gothic"
            print("ok: labels drawn in the bundled IPA P Gothic", flush=True)
        else:
            print("note: this machine has no IPA P Gothic to compare the labels with", flush=True)
    finally:
        if machine is not None:
            machine.stop()
        d.close()
        shutil.rmtree(drive, ignore_errors=True)


def main():
    archive, artefacts = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    try:
        run(archive, artefacts)
    except Skip as e:
        if os.environ.get("VANTRY_REQUIRE_PORTABLE") == "1":
            print("FAIL: " + str(e))
            return 1
        print("SKIP: " + str(e))
        return 0
    except AssertionError as e:
        print("FAIL: %s" % e)
        return 1
    print("portable folder: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
