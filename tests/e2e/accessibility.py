#!/usr/bin/env python3
"""What a screen reader sees of the real program, read through AT-SPI:
roles, accessible names, and no secret given away. Run on a session bus of
its own:

    dbus-run-session -- python3 accessibility.py BUILD_DIR"""

import os
import signal
import sys
import time
import traceback

# Qt speaks AT-SPI without a desktop session asking it to.
os.environ["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"

import gi  # noqa: E402

gi.require_version("Atspi", "2.0")
import pyatspi  # noqa: E402

import e2e  # noqa: E402  the steps that create a vault and open the main window
from desktop import Desktop, Program, close_window, wait_for  # noqa: E402

LIMIT_SECONDS = 150  # the whole run; a hung bus or program fails it instead of blocking
FIELD_NAMES = ["行数（パスワードの数）（Max32）：", "列数（Ｍａｘ7）：", "ログインパスワード：", "編集パスワード：",
               "パスワード連想言葉", "第１列項目名：", "第２列項目名：", "第３列項目名：", "第４列項目名：",
               "第５列項目名：", "第６列項目名：", "第７列項目名："]


def nodes(root, depth=0):
    """root and everything below it."""
    yield root
    if depth > 12:
        return
    for i in range(root.childCount):
        child = root.getChildAtIndex(i)
        if child is not None:
            yield from nodes(child, depth + 1)


def text_of(node):
    try:
        return node.queryText().getText(0, -1)
    except NotImplementedError:
        return ""


def top_level(role, name_start):
    """The program's top-level window of that role whose name starts so."""
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None or app.name != "Vantry":
            continue
        for j in range(app.childCount):
            window = app.getChildAtIndex(j)
            if window is not None and window.getRoleName() == role and window.name.startswith(name_start):
                return window
    return None


def check(what, ok, detail=""):
    if not ok:
        raise AssertionError(what + (": " + repr(detail) if detail != "" else ""))


def check_dialog():
    dialog = wait_for("the dialog on the accessibility bus", lambda: top_level("dialog", "Create Vantry"), timeout=30)
    check("dialog name", dialog.name == "Create Vantry", dialog.name)
    every = list(nodes(dialog))
    fields = [n for n in every if n.getRoleName() == "text"]
    check("each field named by its label", [f.name for f in fields] == FIELD_NAMES, [f.name for f in fields])
    check("no never-shown field", all("Dummy" not in (n.name, text_of(n)) for n in every))
    check("frames are panels, not windows", all(n.getRoleName() != "frame" for n in every[1:]),
          sorted({n.getRoleName() for n in every}))
    buttons = [n for n in every if n.getRoleName() == "push button"]
    check("buttons", [b.name for b in buttons] == ["Save", "Close"], [b.name for b in buttons])
    # A screen reader can press them: "Close" ends the dialog, and the program with it.
    buttons[1].queryAction().doAction(0)


def check_main_window(run, program):
    d = run.desktop
    wid = run.open_main(program)
    window = wait_for("the main window on the accessibility bus", lambda: top_level("frame", "    Vantry"), timeout=30)
    box = [n for n in nodes(window) if n.getRoleName() == "password text"]
    check("one password box", len(box) == 1, [n.getRoleName() for n in nodes(window)])
    check("named by its label", box[0].name == "Password", box[0].name)
    # What is typed is never read out.
    d.type("typed-secret")
    time.sleep(0.3)
    check("the typing stays hidden", "typed-secret" not in text_of(box[0]) and "typed" not in box[0].name)
    run.enter(wid, e2e.LOGIN)
    every = wait_for("the grid", lambda: [n for n in nodes(window)] if any(
        n.getRoleName() == "table cell" for n in nodes(window)) else None, timeout=10)
    cells = [n.name for n in every if n.getRoleName() == "table cell"]
    check("masked cells read as stars", cells and set(cells) == {"********"}, sorted(set(cells)))
    rows = [n.name for n in every if n.getRoleName() == "table row header"]
    check("row headers read the item names", "LoginPassword" in rows, rows)
    secrets = (e2e.LOGIN, e2e.EDIT, e2e.HINT)
    check("no secret anywhere", not any(s in n.name or s in text_of(n) for n in every for s in secrets))
    check("panels are not windows", all(n.getRoleName() != "frame" for n in every[1:]),
          sorted({n.getRoleName() for n in every}))
    close_window(d.display, wid)
    check("the program ends", program.wait_exit() == 0)


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    signal.signal(signal.SIGALRM, lambda *_: (_ for _ in ()).throw(TimeoutError("over %d s" % LIMIT_SECONDS)))
    signal.alarm(LIMIT_SECONDS)
    pyatspi.setTimeout(5000, 15000)
    run = e2e.Run(build)
    program = Program(run.desktop, run.bin)
    try:
        program.start()
        check_dialog()
        check("Close ends the program", program.wait_exit() == 0)
        run.create_vault(program)
        check_main_window(run, program)
        print("PASS accessibility")
        return 0
    except Exception as e:
        run.desktop.shot("failed-accessibility")
        print("FAIL accessibility: %s" % e)
        traceback.print_exc()
        return 1
    finally:
        signal.alarm(0)
        program.remove()
        run.desktop.close()


if __name__ == "__main__":
    sys.exit(main())
