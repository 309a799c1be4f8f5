"""What a clipboard manager running beside the program keeps.

CopyQ 6.4 (Debian 12's), on the test's own display, with settings and history
of its own under a session name of its own.

A control first: a plain copy by another client (xclip) lands in CopyQ's
history. Then the values the program copies (a pick at display level 0, the
Copy command) must appear neither in the history nor in CopyQ's files.

No other clipboard manager Debian 12 ships looks at any mark and runs without
a full desktop: Klipper honours x-kde-passwordManagerHint but lives in Plasma;
GPaste, Diodon, ClipIt, Parcellite and xfce4-clipman keep every copy (see the
README).

A manager that saves the clipboard of a program that quits (X11's
CLIPBOARD_MANAGER, as GNOME's settings daemon runs it; saving_manager.py
stands in for it): Qt hands it what the program still owns at exit, which
must be the cleared, marked text, never a value."""

import json
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

from desktop import close_window, wait_for

SESSION = "vantry-e2e"
# CopyQ reads a new clipboard owner after a short delay of its own; the
# control proves a copy left this long is recorded, so the program's copies
# are given the same time before the next copy replaces them.
SEEN_AFTER = 1.5  # seconds


class CopyQ:
    def __init__(self, d):
        self.desktop = d
        self.home = tempfile.mkdtemp(prefix="vantry-copyq-")
        runtime = os.path.join(self.home, "run")
        os.mkdir(runtime, 0o700)
        self.env = dict(d.env, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                        XDG_DATA_HOME=os.path.join(self.home, "data"), XDG_CACHE_HOME=os.path.join(self.home, "cache"),
                        XDG_RUNTIME_DIR=runtime)
        self.server = subprocess.Popen(["copyq", "--session=" + SESSION], env=self.env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        try:
            self._wait_ready()
        except Exception:
            self.remove()
            raise

    def _wait_ready(self):
        wait_for("CopyQ to answer", lambda: self.client("count") is not None, timeout=30, step=0.3)
        # Its clipboard monitor starts a little after the server answers and
        # takes what it first finds as known; CopyQ skips a copy equal to the
        # one before, so each probe is new.
        self.probes = 0
        wait_for("CopyQ to watch the clipboard", self._watching, timeout=30, step=0.1)

    def _watching(self):
        self.probes += 1
        probe = "is CopyQ watching? %d" % self.probes
        self.desktop.set_clipboard(probe)
        time.sleep(0.5)
        return probe in self.history()

    def client(self, *args):
        r = subprocess.run(["copyq", "--session=" + SESSION] + list(args), env=self.env, capture_output=True,
                           text=True, timeout=20)
        return r.stdout if r.returncode == 0 else None

    def history(self):
        return [self.client("read", str(i)) for i in range(int(self.client("count")))]

    def copy_and_settle(self, text):
        """Another client copies text; once CopyQ has recorded it, CopyQ has
        seen everything copied before."""
        self.desktop.set_clipboard(text)
        wait_for("CopyQ to record %r" % text, lambda: text in self.history(), timeout=15, step=0.2)

    def files(self):
        """Everything CopyQ wrote, as one byte string."""
        out = b""
        for folder, _, names in os.walk(self.home):
            for name in names:
                path = os.path.join(folder, name)
                if os.path.isfile(path):
                    with open(path, "rb") as f:
                        out += f.read()
        return out

    def stop(self):
        if self.server.poll() is None:
            self.client("exit")  # saves the history first
            try:
                self.server.wait(timeout=15)
            except subprocess.TimeoutExpired:
                self.server.kill()
                self.server.wait()

    def remove(self):
        self.stop()
        shutil.rmtree(self.home, ignore_errors=True)


def scenario_copyq(run, program, vault_login, vault_edit):
    d = run.desktop
    copyq = CopyQ(d)
    try:
        control = "a plain copy by another client"
        d.set_clipboard(control)
        time.sleep(SEEN_AFTER)
        copyq.copy_and_settle("marker 1")
        run.check("control: CopyQ records a plain copy", control in copyq.history(), repr(copyq.history()))

        run.create_vault(program)
        wid = run.open_main(program)
        run.enter(wid, vault_login)
        run.enter(wid, vault_edit)
        d.click(wid, *run.cell(2, 6))  # level 0: the pick copies the login password
        wait_for("the pick's copy", lambda: d.clipboard() == vault_login, timeout=5)
        time.sleep(SEEN_AFTER)
        copyq.copy_and_settle("marker 2")
        run.press(wid, "Display")  # level 1: a pick only moves the current cell
        d.click(wid, *run.cell(3, 6))
        run.press(wid, "Copy")  # the edit password
        wait_for("Copy's copy", lambda: d.clipboard() == vault_edit, timeout=5)
        time.sleep(SEEN_AFTER)
        copyq.copy_and_settle("marker 3")
        close_window(d.display, wid)
        run.check("the program ends on close", program.wait_exit() == 0)

        history = copyq.history()
        leaked = [h for h in history if vault_login in h or vault_edit in h]
        run.check("CopyQ's history holds none of the program's copies", not leaked, repr(history))
        copyq.stop()
        files = copyq.files()
        run.check("CopyQ wrote its history to its files", control.encode() in files)
        for value in (vault_login, vault_edit):
            run.check("CopyQ's files do not hold %r" % value, value.encode() not in files)
    finally:
        copyq.remove()


def scenario_saving_manager(run, program, vault_login, vault_edit):
    d = run.desktop
    manager = subprocess.Popen([sys.executable, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                             "saving_manager.py")],
                               env=d.env, stdout=subprocess.PIPE, text=True)

    def saved():
        """What the manager was handed at the program's exit."""
        ready, _, _ = select.select([manager.stdout], [], [], 15)
        run.check("the program hands its clipboard to the manager at exit", ready)
        return json.loads(manager.stdout.readline())

    def check_handed(what, handed, value):
        run.check(what + ": the manager gets the cleared text, marked",
                  handed.get("UTF8_STRING") == "" and handed.get("x-kde-passwordManagerHint") == "secret" and
                  handed.get("application/x-copyq-hidden") == "1", repr(handed))
        run.check(what + ": the manager gets no value", value not in json.dumps(handed, ensure_ascii=False),
                  repr(handed))

    try:
        run.check("the saving manager runs", manager.stdout.readline().strip() == "ready")
        in_dialog = "pw-for-the-manager"
        program.start()
        wid = d.window("^Create Vantry$")
        d.focus(wid)
        time.sleep(0.3)
        d.key("Return", "Return")  # rows, columns: to the login password
        d.type(in_dialog)
        d.key("ctrl+a", "ctrl+c")
        wait_for("the copy from the dialog", lambda: d.clipboard() == in_dialog, timeout=5)
        close_window(d.display, wid)
        run.check("the dialog ends on close", program.wait_exit() == 0)
        check_handed("the dialog", saved(), in_dialog)

        run.create_vault(program)
        wid = run.open_main(program)
        run.enter(wid, vault_login)
        run.enter(wid, vault_edit)
        d.click(wid, *run.cell(2, 6))  # level 0: the pick copies the login password
        wait_for("the pick's copy", lambda: d.clipboard() == vault_login, timeout=5)
        close_window(d.display, wid)
        run.check("the program ends on close", program.wait_exit() == 0)
        check_handed("the main window", saved(), vault_login)
    finally:
        manager.terminate()
        manager.wait(timeout=5)
