#!/usr/bin/env python3
"""The open vault locking itself, and what the process keeps from others, end
to end on the real program under Xvfb:

- a private D-Bus session bus and a second private bus given to the program
  as its system bus, with stand-in screensavers and logind owning their
  names; each signal that means a screen lock or a sleep locks the program,
  two signals lock once;
- the program's own idle delay, measured once (five minutes), with no bus
  at all;
- a process of the same (non-root) user can read neither /proc/PID/mem of
  the program nor its maps, and the core size limit is 0;
- SIGTERM, SIGHUP and SIGINT clear our clipboard copy, leave the archive as
  it was, and end with status 0.

    lock.py BUILD_DIR [signals|idle]   Debian's python3, with python3-gi; both
                                       parts when none is named
    lock.py --serve SESSION SYSTEM   (the stand-in services; used by the run)

Screenshots are kept in BUILD_DIR/e2e-artefacts."""

import os
import signal
import subprocess
import sys
import threading
import time

SCREENSAVERS = [
    ("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"),
    ("org.gnome.ScreenSaver", "/org/gnome/ScreenSaver"),
    ("org.xfce.ScreenSaver", "/org/xfce/ScreenSaver"),
]
LOGIN1 = "org.freedesktop.login1"
LOGIN1_PATH = "/org/freedesktop/login1"
MANAGER = "org.freedesktop.login1.Manager"
SESSION_PATH = "/org/freedesktop/login1/session/_33"
LOGIN1_XML = """<node><interface name="org.freedesktop.login1.Manager">
  <method name="GetSessionByPID"><arg type="u" direction="in"/><arg type="o" direction="out"/></method>
  <method name="GetSession"><arg type="s" direction="in"/><arg type="o" direction="out"/></method>
</interface></node>"""
IDLE_DELAY = 300.0  # seconds, as the program keeps it
NOBODY = 65534


# --- the stand-in services (a process of their own) -------------------------------------
def serve(session_address, system_address):
    import gi
    gi.require_version("Gio", "2.0")
    from gi.repository import Gio, GLib

    flags = Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION
    session = Gio.DBusConnection.new_for_address_sync(session_address, flags, None, None)
    system = Gio.DBusConnection.new_for_address_sync(system_address, flags, None, None)

    def own(conn, name):
        reply = conn.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "RequestName", GLib.Variant("(su)", (name, 4)), GLib.VariantType("(u)"),
                               Gio.DBusCallFlags.NONE, -1, None)
        if reply.unpack()[0] != 1:
            raise RuntimeError("could not own " + name)

    for name, _ in SCREENSAVERS:
        own(session, name)
    own(system, LOGIN1)

    def on_call(conn, sender, path, interface, method, params, invocation):
        print("asked %s" % method, flush=True)
        invocation.return_value(GLib.Variant("(o)", (SESSION_PATH,)))

    node = Gio.DBusNodeInfo.new_for_xml(LOGIN1_XML)
    system.register_object(LOGIN1_PATH, node.interfaces[0], on_call, None, None)

    def on_line(channel, condition):
        line = sys.stdin.readline()
        if not line:
            loop.quit()
            return False
        what = line.split()
        if what[0] == "screensaver":
            name, path = what[1], dict(SCREENSAVERS)[what[1]]
            session.emit_signal(None, path, name, "ActiveChanged", GLib.Variant("(b)", (True,)))
            session.flush_sync(None)
        elif what[0] == "lock":
            system.emit_signal(None, SESSION_PATH, "org.freedesktop.login1.Session", "Lock", None)
            system.flush_sync(None)
        elif what[0] == "sleep":
            system.emit_signal(None, LOGIN1_PATH, MANAGER, "PrepareForSleep", GLib.Variant("(b)", (True,)))
            system.flush_sync(None)
        print("sent " + line.strip(), flush=True)
        return True

    loop = GLib.MainLoop()
    GLib.io_add_watch(GLib.IOChannel.unix_new(sys.stdin.fileno()), GLib.PRIORITY_DEFAULT,
                      GLib.IOCondition.IN | GLib.IOCondition.HUP, on_line)
    print("ready", flush=True)
    loop.run()


# --- the run ---------------------------------------------------------------------------
class Lines:
    """A process's output lines, gathered as they come."""

    def __init__(self, process):
        self.process, self.lines, self.lock = process, [], threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            with self.lock:
                self.lines.append(line.rstrip("\n"))

    def has(self, pred):
        with self.lock:
            return [l for l in self.lines if pred(l)]


class Bus:
    """A private bus of its own dbus-daemon."""

    def __init__(self):
        self.daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"],
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.address = self.daemon.stdout.readline().strip()
        if not self.address:
            raise RuntimeError("dbus-daemon gave no address")

    def monitor(self, rule):
        return Lines(subprocess.Popen(["dbus-monitor", "--address", self.address, rule], stdout=subprocess.PIPE,
                                      stderr=subprocess.DEVNULL, text=True))

    def close(self):
        self.daemon.terminate()
        self.daemon.wait(timeout=5)


class Services:
    def __init__(self, session, system):
        self.process = subprocess.Popen([sys.executable, os.path.abspath(__file__), "--serve", session.address,
                                         system.address], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.out = Lines(self.process)
        from desktop import wait_for
        wait_for("the stand-in services", lambda: self.out.has(lambda l: l == "ready"), timeout=15)

    def send(self, what):
        from desktop import wait_for
        before = len(self.out.has(lambda l: l == "sent " + what))
        self.process.stdin.write(what + "\n")
        self.process.stdin.flush()
        wait_for("the signal " + what, lambda: len(self.out.has(lambda l: l == "sent " + what)) > before, timeout=10)

    def close(self):
        self.process.stdin.close()
        self.process.wait(timeout=5)


SIGNALS = ["screensaver org.freedesktop.ScreenSaver", "screensaver org.gnome.ScreenSaver",
           "screensaver org.xfce.ScreenSaver", "lock", "sleep"]


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from desktop import Program, close_window, px, wait_for
    from e2e import EDIT, LOGIN, MAIN_TITLE, TEXT1, Run

    run = Run(build)
    d = run.desktop
    session, system = Bus(), Bus()
    services = Services(session, system)
    buses = {"DBUS_SESSION_BUS_ADDRESS": session.address, "DBUS_SYSTEM_BUS_ADDRESS": system.address}
    no_bus = {"DBUS_SESSION_BUS_ADDRESS": "unix:path=/nonexistent/vantry-bus",
              "DBUS_SYSTEM_BUS_ADDRESS": "unix:path=/nonexistent/vantry-system-bus"}
    small_px, large_px = px(2565 - 375), px(4320 - 375)

    def open_main(program, **start):
        program.start(**start)
        wid = d.window(MAIN_TITLE)
        d.focus(wid)
        time.sleep(0.3)
        return wid

    def height(wid):
        return d.geometry(wid)[3]

    def unlock(wid):
        run.unlock(wid)
        wait_for("the large window", lambda: height(wid) == large_px, timeout=10)

    def wait_locked(wid, what):
        wait_for("the lock on " + what, lambda: height(wid) == small_px, timeout=10)

    def no_line_twice(program):
        said = program.process.stdout.read().splitlines()
        repeated = sorted({l for l in said if said.count(l) > 1})
        run.check("no line printed more than once", not repeated, repr(repeated))
        return said

    def scenario_bus_control(_):
        """The buses work: each stand-in signal is seen on its bus, sent by the
        owner of its name."""
        watch_session = session.monitor("type='signal',member='ActiveChanged'")
        watch_system = system.monitor("type='signal',sender='%s'" % LOGIN1)
        time.sleep(0.5)  # the monitors' match rules in place
        for what in SIGNALS:
            services.send(what)
        for name, path in SCREENSAVERS:
            wait_for("ActiveChanged of " + name, lambda: watch_session.has(
                lambda l: "path=%s; interface=%s; member=ActiveChanged" % (path, name) in l), timeout=5)
        wait_for("Lock", lambda: watch_system.has(lambda l: "member=Lock" in l and SESSION_PATH in l), timeout=5)
        wait_for("PrepareForSleep", lambda: watch_system.has(lambda l: "member=PrepareForSleep" in l), timeout=5)
        for w in (watch_session, watch_system):
            w.process.terminate()

    def scenario_each_signal_locks(program):
        run.create_vault(program)
        wid = open_main(program, env=buses)
        run.check("the window starts small", height(wid) == small_px, str(height(wid)))
        wait_for("the program to ask for its session", lambda: services.out.has(lambda l: l == "asked GetSessionByPID"),
                 timeout=10)
        for i, what in enumerate(SIGNALS):
            unlock(wid)
            run.press(wid, "Display")
            services.send(what)
            wait_locked(wid, what)
            if i == 0:
                d.shot("locked")
        unlock(wid)
        close_window(d.display, wid)
        run.check("the program ends on close", program.wait_exit() == 0)
        no_line_twice(program)

    def scenario_two_signals_lock_once(program):
        run.create_vault(program)
        wid = open_main(program, env=buses)
        time.sleep(1)  # its session looked up
        unlock(wid)
        services.send("screensaver org.gnome.ScreenSaver")
        services.send("lock")
        wait_locked(wid, "two signals")
        time.sleep(1)  # both handled
        unlock(wid)
        time.sleep(1)
        run.check("the second signal did not lock again", height(wid) == large_px, str(height(wid)))
        services.send("sleep")  # and the next screen lock locks again
        wait_locked(wid, "a later signal")
        close_window(d.display, wid)
        run.check("the program ends on close", program.wait_exit() == 0)

    def scenario_end_on_signal(program):
        run.create_vault(program)
        for signo in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
            before = program.files()
            wid = open_main(program, env=buses)
            unlock(wid)
            d.set_clipboard("-")
            d.click(wid, *run.cell(2, 6))  # the masked login password: copied
            wait_for("the copy", lambda: d.clipboard() == LOGIN, timeout=5)
            program.process.send_signal(signo)
            status = program.wait_exit()
            run.check("%s ends with status 0" % signo.name, status == 0, str(status))
            run.check("%s clears our clipboard copy" % signo.name, not d.clipboard(), repr(d.clipboard()))
            run.check("%s leaves the archive as it was" % signo.name, program.files() == before)

    def scenario_process_protection(program):
        run.create_vault(program)
        for path in [program.folder, program.runtime_dir] + [program.path(n) for n in os.listdir(program.folder)]:
            os.chown(path, NOBODY, NOBODY)
        wid = open_main(program, user=NOBODY, env=no_bus)
        pid = program.process.pid  # setpriv runs the program in its own place
        with open("/proc/%d/status" % pid) as f:
            run.check("the program runs as the ordinary user", "Uid:\t%d" % NOBODY in f.read())
        with open("/proc/%d/limits" % pid) as f:
            core = [l for l in f if l.startswith("Max core file size")]
        run.check("no core file", core and core[0].split()[4:6] == ["0", "0"], repr(core))
        reader = ("import sys\n"
                  "pid = sys.argv[1]\n"
                  "try:\n"
                  "    start = int(open('/proc/%s/maps' % pid).readline().split('-')[0], 16)\n"
                  "    with open('/proc/%s/mem' % pid, 'rb') as mem:\n"
                  "        mem.seek(start)\n"
                  "        print('read', len(mem.read(16)))\n"
                  "except PermissionError:\n"
                  "    print('denied')\n")
        as_nobody = ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups", "/usr/bin/python3",
                     "-c", reader]
        # The control: the same reader reads a process of the same user that
        # did not protect itself.
        other = subprocess.Popen(["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups",
                                  "sleep", "60"])
        try:
            time.sleep(0.2)
            got = subprocess.run(as_nobody + [str(other.pid)], capture_output=True, text=True, timeout=10).stdout
            run.check("the reader reads an unprotected process of the same user", got.strip() == "read 16", repr(got))
        finally:
            other.kill()
            other.wait()
        got = subprocess.run(as_nobody + [str(pid)], capture_output=True, text=True, timeout=10).stdout
        run.check("the program's memory cannot be read", got.strip() == "denied", repr(got))
        close_window(d.display, wid)
        run.check("the program ends on close", program.wait_exit() == 0)

    def scenario_idle(program):
        """The program's own delay, with neither bus there."""
        run.create_vault(program)
        wid = open_main(program, env=no_bus)
        run.enter(wid, LOGIN)
        d.click(wid, px(TEXT1[0]), px(TEXT1[1]))
        d.type(EDIT)
        d.key("Return")
        last_input = time.monotonic()  # the key's release has been sent
        wait_for("the large window", lambda: height(wid) == large_px, timeout=10)
        wait_for("the idle lock", lambda: height(wid) == small_px, timeout=IDLE_DELAY + 60, step=0.25)
        took = time.monotonic() - last_input
        print("idle lock after %.1f s without input" % took, flush=True)
        run.check("not before the delay", took >= IDLE_DELAY - 0.5, "%.1f s" % took)
        d.shot("locked-idle")
        unlock(wid)  # comes back as it was
        close_window(d.display, wid)
        run.check("the program ends on close", program.wait_exit() == 0)
        said = no_line_twice(program)
        print("the program said: %r" % said, flush=True)

    part = sys.argv[2] if len(sys.argv) > 2 else "all"
    try:
        if part in ("signals", "all"):
            run.scenario("bus-control", scenario_bus_control, fresh=False)
            run.scenario("each-signal-locks", scenario_each_signal_locks)
            run.scenario("two-signals-lock-once", scenario_two_signals_lock_once)
            run.scenario("end-on-signal", scenario_end_on_signal)
            run.scenario("process-protection", scenario_process_protection)
        if part in ("idle", "all"):
            run.scenario("idle-lock", scenario_idle)
    finally:
        services.close()
        session.close()
        system.close()
        d.close()
    print("%d passed, %d failed" % (len(run.passed), len(run.failed)))
    return 1 if run.failed else 0


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--serve":
        serve(sys.argv[2], sys.argv[3])
    else:
        sys.exit(main())
