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

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
from desktop import Desktop, Timeout, px, wait_for  # noqa: E402

ROOT = os.environ.get("VANTRY_NOQT_ROOT", "/var/cache/vantry-noqt-root")
MIRROR = "deb http://deb.debian.org/debian bookworm main"
# What every desktop has; the archive leaves exactly these out.
PACKAGES = ["libx11-6", "libx11-xcb1", "libxcb1", "libxext6", "libxrender1", "libxcb-render0", "libxcb-shm0",
            "libgl1", "libegl1", "libopengl0", "fontconfig"]
# A Japanese input method as Debian's desktops set it up, with the session
# bus it runs on; none of it brings Qt.
INPUT_METHOD = ["dbus", "ibus", "ibus-anthy"]
STAMP = "vantry-root-packages"
WORKDIR = "/srv/elsewhere"  # unrelated to the program's folder
STICK = "/media/stick"

LOGIN, EDIT, HINT = "portable-login", "portable-edit", "hint"
MAIN_TITLE = "Ver 1\\.40"
LABEL1 = (360, 75, 1335, 285)  # the main window's first label, twips: left, top, width, height
DIALOG_LABELS = (0, 0, 2700, 2400)  # the creation dialog's column of Japanese labels, twips


OPEN_ENTRY = """
import ctypes, sys
gio = ctypes.CDLL("libgio-2.0.so.0")
gio.g_desktop_app_info_new_from_filename.restype = ctypes.c_void_p
gio.g_desktop_app_info_new_from_filename.argtypes = [ctypes.c_char_p]
gio.g_app_info_launch.argtypes = [ctypes.c_void_p] * 4
info = gio.g_desktop_app_info_new_from_filename(sys.argv[1].encode())
sys.exit(0 if info and gio.g_app_info_launch(info, None, None, None) else 1)
"""


class Skip(Exception):
    pass


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
                        # the session bus and the input method find each other through it
                        "--customize-hook=chroot \"$1\" dbus-uuidgen --ensure=/etc/machine-id",
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
        for stale in os.listdir(os.path.join(ROOT, "tmp/run")):
            os.remove(os.path.join(ROOT, "tmp/run", stale))
        self.process = None

    def start(self):
        # A private mount namespace: the mounts go away with the program.
        script = ('mount --bind /dev "$R/dev" && mount -t proc proc "$R/proc" && '
                  'mount --bind /tmp/.X11-unix "$R/tmp/.X11-unix" && mount --bind "$S" "$R' + STICK + '" && '
                  'exec chroot "$R" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root LANG=C.UTF-8 '
                  'XDG_RUNTIME_DIR=/tmp/run DISPLAY="$D" /bin/sh -c "cd ' + WORKDIR +
                  ' && exec ' + STICK + '/Vantry/Vantry.sh"')
        env = dict(os.environ, R=ROOT, S=self.drive, D=self.desktop.display)
        self.process = subprocess.Popen(["unshare", "--mount", "--propagation", "private", "sh", "-c", script],
                                        env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
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

        # Opened through its desktop entry, as a file manager opens it (GIO,
        # from the entry's file, so the entry finds its own folder).
        def start_entry():
            subprocess.run([sys.executable, "-c", OPEN_ENTRY, os.path.join(folder, "Vantry.desktop")], cwd="/",
                           env=dict(d.env, XDG_RUNTIME_DIR=tempfile.mkdtemp()), check=True, timeout=10)

        def stop_entry():
            pid = int(d.xdotool("getwindowpid", d.window("^Create Vantry$")))
            os.kill(pid, signal.SIGTERM)
            wait_for("the program to end", lambda: not d.windows("^Create Vantry$"), timeout=5)

        if host_has_font:
            reference = dialog_labels(d, start_entry, stop_entry, "portable-create-dialog-host")
            print("ok: the desktop entry starts the program", flush=True)
            assert not os.path.exists(os.path.join(folder, "Vantry.csv")), "closing the dialog wrote a vault"

        labels = create_vault(d, machine)
        assert os.path.exists(os.path.join(folder, "Vantry.csv")), "no Vantry.csv beside the program"
        assert not os.path.exists(os.path.join(ROOT, WORKDIR[1:], "Vantry.csv")), "written to the working folder"
        print("ok: creation dialog, vault written beside the program", flush=True)
        if host_has_font:
            assert labels == reference, "the dialog's Japanese labels are drawn differently from IPA P Gothic"

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
