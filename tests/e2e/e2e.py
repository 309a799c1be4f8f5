#!/usr/bin/env python3
"""The real program end to end: started from a fresh copy of the program
folder under Xvfb and driven only from outside, as its owner would.

    e2e.py BUILD_DIR

Screenshots are kept in BUILD_DIR/e2e-artefacts."""

import os
import stat
import subprocess
import sys
import tempfile
import time
import traceback

from desktop import Desktop, Program, close_window, px, wait_for
from clipboard_hygiene import scenario_secrets
from clipboard_managers import scenario_copyq, scenario_saving_manager

LOGIN, EDIT, HINT = "open-sesame", "edit-me-2", "sesame street"
MAIN_TITLE = "Ver 1\\.40"

# Main window geometry, twips from the client area's top left.
TEXT1 = (1860 + 1995 // 2, 30 + 330 // 2)
LABEL1 = (360 + 1335 // 2, 75 + 285 // 2)
BUTTONS_LEFT = {"Display": 120, "Copy": 1470, "Edit": 2820, "Insert": 4170, "Delete": 5520, "Save": 6870}
SMALL_HEIGHT, LARGE_HEIGHT = 2565, 4320
MAIN_CAPTION = "    Vantry" + " " * 31 + "Ver 1.40        Dec. 26 '10"

# The grid: its panel at 120, 420 and the grid at 120, 120 within it; rows of
# 14.5 points (19 pixels at 96 dpi), the header row included; row headers as
# wide as a column.
GRID_LEFT, GRID_TOP = px(240), px(540)
ROW_PX = 19


def flip(data, at):
    """data with one bit of the byte at `at` changed (a record line stays within @..O)."""
    return data[:at] + bytes([data[at] ^ 1]) + data[at + 1:]


def button(name):
    """Centre of a command button in the large window, in pixels."""
    return px(120 + BUTTONS_LEFT[name] + 1335 // 2), px(3090 + 120 + 495 // 2)


class Run:
    def __init__(self, build):
        self.build = build
        self.bin = os.path.join(build, "bin")
        self.desktop = Desktop(os.path.join(build, "e2e-artefacts"))
        self.passed, self.failed = [], []
        self.column_px = 139  # 15 average characters of the grid's font

    def check(self, what, ok, detail=""):
        if not ok:
            raise AssertionError(what + (": " + detail if detail else ""))

    # --- the creation dialog ---------------------------------------------------------
    def create_vault(self, program):
        d = self.desktop
        program.start()
        wid = d.window("^Create Vantry$")
        d.focus(wid)
        time.sleep(0.3)
        d.shot("create-dialog")
        d.key("Return", "Return")  # rows, columns: to the login password
        d.type(LOGIN)
        d.key("Return")
        d.type(EDIT)
        d.key("Return")
        d.type(HINT)
        d.click(wid, px(5760 + 150 + 1335 // 2), px(690 + 150 + 495 // 2))  # "Save"
        self.check("the program ends after Save", program.wait_exit() == 0)

    def scenario_create(self, program):
        self.create_vault(program)
        path = program.path("Vantry.csv")
        self.check("Vantry.csv exists", os.path.exists(path))
        lines = program.read("Vantry.csv").split(b"\r\n")
        self.check("header", lines[0] == b"7x5,User Name,Login,Confirm,Kouza No,Card Password", repr(lines[0]))
        records = [l for l in lines[1:] if l]
        self.check("seven scrambled lines", len(records) == 7 and lines[-1] == b"", repr(lines))
        self.check("scrambled", all(set(r) <= set(range(0x40, 0x50)) for r in records))
        mode = stat.S_IMODE(os.stat(path).st_mode)
        self.check("owner-only permissions", mode == 0o600, oct(mode))

    def scenario_second_instance(self, program):
        d = self.desktop
        program.start()
        first = d.window("^Create Vantry$")
        second = Program(d, self.bin)
        # The same program folder in the same user session (another folder is another vault).
        second.runtime_dir, keep = program.runtime_dir, second.runtime_dir
        second.folder, keep_folder = program.folder, second.folder
        try:
            second.start()
            self.check("the second start ends at once", second.wait_exit(timeout=10) == 0)
            self.check("and shows nothing", d.windows("^Create Vantry$") == [first])
        finally:
            second.runtime_dir, second.folder = keep, keep_folder
            second.remove()
        d.key("Escape")

    def cell(self, col, row):
        """Pixel centre of grid cell (col, row); row 0 is the header row."""
        column_px = self.column_px
        return GRID_LEFT + 2 + column_px * col + column_px // 2, GRID_TOP + 2 + ROW_PX * row + ROW_PX // 2

    def enter(self, wid, text):
        """A fresh entry in the password box: a click empties it."""
        d = self.desktop
        d.click(wid, px(TEXT1[0]), px(TEXT1[1]))
        d.type(text)
        d.key("Return")
        time.sleep(0.2)

    def press(self, wid, name):
        self.desktop.click(wid, *button(name))
        time.sleep(0.2)

    def open_main(self, program):
        d = self.desktop
        program.start()
        wid = d.window(MAIN_TITLE)
        d.focus(wid)
        time.sleep(0.3)
        return wid

    def unlock(self, wid):
        self.enter(wid, LOGIN)
        self.enter(wid, EDIT)

    def scenario_use(self, program):
        d = self.desktop
        self.create_vault(program)

        wid = self.open_main(program)
        self.check("caption", d.title(wid) == MAIN_CAPTION, repr(d.title(wid)))
        small = d.geometry(wid)
        d.shot("main-closed")

        # Three wrong passwords: the hint.
        for attempt in range(3):
            self.enter(wid, "wrong-%d" % attempt)
        box = d.window("^Password Entry$", timeout=5)
        shown = d.message_text(box)
        self.check("hint message", shown == "Did you forget the password?\nPssword Hint: \n" + HINT, repr(shown))
        d.shot("hint-message")
        d.key("Return")
        wait_for("the hint message to close", lambda: not d.windows("^Password Entry$"), timeout=5)

        self.enter(wid, LOGIN)
        d.shot("main-opened")
        self.check("the login keeps the small size", d.geometry(wid)[3] == small[3])
        self.enter(wid, EDIT)
        large = d.geometry(wid)
        self.check("the edit password grows the window by 1755 twips",
                   large[3] - small[3] == px(LARGE_HEIGHT - SMALL_HEIGHT), "%s -> %s" % (small, large))
        d.shot("main-unlocked")

        # The masked login-password cell: the real password goes to the
        # clipboard, while the cell looks like every other masked cell.
        credentials = 6  # grid row of "LoginPassword" in a new 7-row vault
        login_cell, other_cell = self.cell(2, credentials), self.cell(2, 1)
        self.check("the cell shows only the mask", self.same_pixels(wid, login_cell, other_cell))
        d.set_clipboard("-")
        d.click(wid, *login_cell)
        self.check("the password on the clipboard", wait_for("the copy", lambda: d.clipboard() == LOGIN, timeout=5))

        # Display twice (all in clear), Edit, a new value, Save.
        self.press(wid, "Display")
        self.press(wid, "Display")
        self.press(wid, "Edit")
        d.shot("main-edit")
        d.click(wid, *self.cell(1, 1))
        d.type("alice@example.org")
        d.key("Return")
        time.sleep(0.2)
        self.press(wid, "Save")
        wait_for("Vantry1.csv", lambda: os.path.exists(program.path("Vantry1.csv")), timeout=10)
        d.shot("main-saved")

        close_window(d.display, wid)
        self.check("the program ends on close", program.wait_exit() == 0)
        self.check("closing empties the clipboard", not d.clipboard(), repr(d.clipboard()))

        # A restart shows the new value: copied from its masked cell.
        wid = self.open_main(program)
        self.unlock(wid)
        d.set_clipboard("-")
        d.click(wid, *self.cell(1, 1))
        self.check("the saved value after a restart",
                   wait_for("the copy", lambda: d.clipboard() == "alice@example.org", timeout=5))
        close_window(d.display, wid)
        program.wait_exit()

    def same_pixels(self, wid, a, b):
        """Whether two grid cells around the given centres look the same."""
        d = self.desktop
        left, top = d.geometry(wid)[:2]
        with tempfile.TemporaryDirectory() as scratch:
            path = os.path.join(scratch, "screen.png")
            subprocess.run(["import", "-window", "root", path], env=d.env, check=True)
            crops = []
            for x, y in (a, b):
                box = "%dx%d+%d+%d" % (self.column_px - 10, ROW_PX - 4,
                                       left + x - self.column_px // 2 + 5, top + y - ROW_PX // 2 + 2)
                crops.append(subprocess.run(["convert", path, "-crop", box, "rgb:-"], check=True,
                                            capture_output=True).stdout)
        return crops[0] == crops[1] and len(crops[0]) > 0

    def scenario_read_only_save(self, program):
        """Save into a folder that has become read-only: the message, and
        every file as it was. As an ordinary user, since root writes anyway."""
        d = self.desktop
        self.create_vault(program)
        nobody = 65534
        for path in [program.folder, program.runtime_dir] + [program.path(n) for n in os.listdir(program.folder)]:
            os.chown(path, nobody, nobody)
        program.start(user=nobody)
        wid = d.window(MAIN_TITLE)
        d.focus(wid)
        self.unlock(wid)
        self.press(wid, "Display")
        self.press(wid, "Display")
        before = program.files()
        os.chmod(program.folder, 0o500)
        try:
            self.press(wid, "Save")
            box = d.window("^Error$", timeout=5)
            shown = d.message_text(box)
            self.check("the can-not-open message", shown == "   Can not open Vantry.csv !    ", repr(shown))
            d.key("Return")
            self.check("no file lost or changed", program.files() == before)
            self.check("the program goes on", program.running() and d.windows(MAIN_TITLE) == [wid])
        finally:
            os.chmod(program.folder, 0o700)
        close_window(d.display, wid)
        self.check("no crash", program.wait_exit() == 0)

    # --- keyboard only -----------------------------------------------------------------
    def keys(self, *names):
        """Real key strokes to whatever has the focus, one at a time."""
        for name in names:
            self.desktop.key(name)
            time.sleep(0.15)

    def scenario_keyboard(self, program):
        """A vault created and worked without the mouse: Tab through the
        dialog to Save and Enter on it; then the passwords, Enter on Display,
        a row header reached with Left, Delete and Save by Enter, and the
        relock key."""
        d = self.desktop
        program.start()
        dialog = d.window("^Create Vantry$")
        d.focus(dialog)
        time.sleep(0.3)
        self.keys("Tab", "Tab")  # rows, columns: to the login password
        d.type(LOGIN)
        self.keys("Tab")
        d.type(EDIT)
        self.keys("Tab")
        d.type(HINT)
        self.keys(*["Tab"] * 6)  # the five titles, then "Close"
        self.keys("Tab")  # "Save"
        d.shot("keyboard-dialog-save-focused")
        self.check("the dialog is still open on Tab", program.running())
        self.keys("Return")
        self.check("Enter on Save writes the vault and ends", program.wait_exit() == 0)
        self.check("Vantry.csv", program.read("Vantry.csv").startswith(b"7x5,"))

        wid = self.open_main(program)
        d.type(LOGIN)
        self.keys("Return")
        d.type(EDIT)
        self.keys("Return")
        large = d.geometry(wid)
        self.keys("Tab", "Tab")  # Copy, then Display (Save and Edit are off)
        self.keys("Return", "Return")  # Display twice: all in clear
        self.keys("Tab")  # the grid, its cursor on the first cell
        self.keys("Down", "Down", "Left")  # row header 3: Insert and Delete come on
        d.shot("keyboard-row-header")
        self.keys("shift+Tab", "Return")  # Delete
        self.keys("shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab", "Return")  # Insert, Display, Edit: Save
        wait_for("Vantry1.csv", lambda: os.path.exists(program.path("Vantry1.csv")), timeout=10)
        self.check("six rows saved", program.read("Vantry.csv").startswith(b"6x5,"))
        # Copy (before Save in the keyboard order) gives the row under the cursor: New4 moved up.
        d.set_clipboard("-")
        self.keys("shift+Tab", "Return")
        self.check("the cursor stayed on row header 3",
                   wait_for("the copy", lambda: d.clipboard() == "New4", timeout=5), d.clipboard())

        self.keys("ctrl+l")
        small = d.geometry(wid)
        d.shot("keyboard-relocked")
        self.check("the relock key shrinks the window", small[3] < large[3], "%s -> %s" % (large, small))
        self.keys("ctrl+l")
        self.check("and enlarges it again", d.geometry(wid)[3] == large[3])
        close_window(d.display, wid)
        self.check("the program ends on close", program.wait_exit() == 0)

    # --- a screen at twice the density ----------------------------------------------------
    def window_sizes(self, program, scale):
        """The client sizes of the creation dialog and of the small and large
        main window, in the screen's pixels, with Qt scaling by scale; the
        screenshots land in the artefacts."""
        d = self.desktop
        env = {"QT_SCALE_FACTOR": str(scale)}
        for name in os.listdir(program.folder):
            if name.endswith(".csv"):
                os.remove(program.path(name))
        program.start(env=env)
        wid = d.window("^Create Vantry$")
        time.sleep(0.5)
        left, top, width, height = d.geometry(wid)
        sizes = {"dialog": (width, height)}
        # The dark pixels of the bold caption "Save", inside the button's bevel.
        x, y, w, h = (round(px(v) * scale) for v in (5760 + 150, 690 + 150, 1335, 495))
        inset = 4 * scale
        shot = d.shot("scale-%s-dialog" % scale)
        sizes["ink"] = int(float(subprocess.run(
            ["convert", shot, "-crop", "%dx%d+%d+%d" % (w - 2 * inset, h - 2 * inset, left + x + inset, top + y + inset),
             "+repage", "-colorspace", "gray", "-threshold", "50%", "-format", "%[fx:w*h*(1-mean)]", "info:"],
            check=True, capture_output=True, text=True).stdout))
        close_window(d.display, wid)
        self.check("the dialog ends on close", program.wait_exit() == 0)
        self.create_vault(program)
        program.start(env=env)
        wid = d.window(MAIN_TITLE)
        d.focus(wid)
        time.sleep(0.5)
        sizes["small"] = d.geometry(wid)[2:]
        for text in (LOGIN, EDIT):
            d.click(wid, round(px(TEXT1[0]) * scale), round(px(TEXT1[1]) * scale))
            d.type(text)
            d.key("Return")
            time.sleep(0.3)
        wait_for("the large window", lambda: d.geometry(wid)[3] != sizes["small"][1], timeout=5)
        time.sleep(0.3)
        sizes["large"] = d.geometry(wid)[2:]
        d.shot("scale-%s-main" % scale)
        close_window(d.display, wid)
        self.check("the program ends on close", program.wait_exit() == 0)
        return sizes

    def scenario_twice_the_density(self, program):
        """QT_SCALE_FACTOR=2, as a desktop at 200 % sets it: both windows in
        each size exactly twice as large on the screen, and a bold caption as
        bold (four times the dark pixels, within a tenth)."""
        once, twice = self.window_sizes(program, 1), self.window_sizes(program, 2)
        ink_once, ink_twice = once.pop("ink"), twice.pop("ink")
        for name, (width, height) in once.items():
            self.check("the %s at twice the density" % name, twice[name] == (2 * width, 2 * height),
                       "%r, once %r" % (twice[name], once[name]))
        print("  dark pixels of a bold caption: %d once, %d at twice the density" % (ink_once, ink_twice), flush=True)
        self.check("a bold caption keeps its weight", 0.9 <= ink_twice / (4 * ink_once) <= 1.1,
                   "%d dark pixels, once %d" % (ink_twice, ink_once))

    # --- nothing the owner typed is lost ---------------------------------------------------
    def edit_level(self, program):
        """A new vault opened, unlocked, everything in clear and in edit mode."""
        self.create_vault(program)
        wid = self.open_main(program)
        self.unlock(wid)
        for name in ("Display", "Display", "Edit"):
            self.press(wid, name)
        return wid

    def type_cell(self, wid, col, row, text):
        d = self.desktop
        d.click(wid, *self.cell(col, row))
        d.type(text)
        d.key("Return")
        time.sleep(0.2)

    def records(self, program, name="Vantry.csv"):
        lines = program.read(name).split(b"\r\n")
        return lines[0], [l for l in lines[1:] if l]

    def scenario_save_keeps_rows(self, program):
        """A blank row opened above row 3: Save still writes every named row."""
        d = self.desktop
        wid = self.edit_level(program)
        d.click(wid, *self.cell(0, 3), double=True)
        time.sleep(0.2)
        self.press(wid, "Save")
        wait_for("Vantry1.csv", lambda: os.path.exists(program.path("Vantry1.csv")), timeout=10)
        header, records = self.records(program)
        self.check("every named row written", header.startswith(b"7x5,") and len(records) == 7,
                   "%r, %d records" % (header, len(records)))
        self.check("no message", not d.windows("^Save / Vantry$"))
        # Saved: the window closes at once.
        close_window(d.display, wid)
        self.check("the program ends on close", program.wait_exit() == 0)

    def scenario_save_credential_rules(self, program):
        """The login password typed as the edit password: refused, nothing written."""
        d = self.desktop
        wid = self.edit_level(program)
        before = program.files()
        self.type_cell(wid, 3, 6, LOGIN)  # the edit password of the "LoginPassword" row
        self.press(wid, "Save")
        box = d.window("^Save / Vantry$", timeout=5)
        shown = d.message_text(box)
        self.check("the rule named", shown == "ログインパスワードと編集パスワードが同じです。\n異なるパスワードを設定してください。",
                   repr(shown))
        d.key("Return")
        wait_for("the message to close", lambda: not d.windows("^Save / Vantry$"), timeout=5)
        self.check("nothing written", program.files() == before)
        # Display drops the change, so the window closes without a question.
        self.press(wid, "Display")
        close_window(d.display, wid)
        self.check("the program ends on close", program.wait_exit() == 0)

    def scenario_close_asks(self, program):
        """A changed value and a close: Cancel keeps the window, Save writes."""
        d = self.desktop
        wid = self.edit_level(program)
        self.type_cell(wid, 1, 1, "bob@example.org")
        close_window(d.display, wid)
        box = d.window("^Save / Vantry$", timeout=5)
        shown = d.message_text(box)
        self.check("the question", shown == "The grid holds changes that are not saved.\nSave them before closing?",
                   repr(shown))
        d.key("Escape")
        wait_for("the question to close", lambda: not d.windows("^Save / Vantry$"), timeout=5)
        self.check("Cancel keeps the window", program.running() and d.windows(MAIN_TITLE) == [wid])
        close_window(d.display, wid)
        d.window("^Save / Vantry$", timeout=5)
        d.key("Return")  # Save, the default
        self.check("Save, then the program ends", program.wait_exit() == 0)
        self.check("the archive was written", os.path.exists(program.path("Vantry1.csv")))
        wid = self.open_main(program)
        self.unlock(wid)
        d.set_clipboard("-")
        d.click(wid, *self.cell(1, 1))
        self.check("the saved value after a restart",
                   wait_for("the copy", lambda: d.clipboard() == "bob@example.org", timeout=5))
        close_window(d.display, wid)
        program.wait_exit()

    def scenario_create_write_error(self, program):
        """The new vault cannot be written: the dialog stays with what was
        typed, and Save works once the folder is writable again."""
        d = self.desktop
        nobody = 65534
        for path in (program.folder, program.runtime_dir, program.path("Vantry"), program.path("libQuenta.so")):
            os.chown(path, nobody, nobody)
        os.chmod(program.folder, 0o500)
        try:
            program.start(user=nobody)
            wid = d.window("^Create Vantry$")
            d.focus(wid)
            time.sleep(0.3)
            d.key("Return", "ctrl+a")  # on to the column count
            d.type("4")
            d.key("Return")
            d.type(LOGIN)
            d.key("Return")
            d.type(EDIT)
            d.key("Return")
            d.type(HINT)
            save = (px(5760 + 150 + 1335 // 2), px(690 + 150 + 495 // 2))
            d.click(wid, *save)
            box = d.window("^Error$", timeout=5)
            shown = d.message_text(box)
            self.check("the can-not-open message", shown == "   Can not open Vantry.csv !    ", repr(shown))
            d.key("Return")
            wait_for("the message to close", lambda: not d.windows("^Error$"), timeout=5)
            self.check("the dialog stays open", program.running() and d.windows("^Create Vantry$") == [wid])
        finally:
            os.chmod(program.folder, 0o700)
        d.click(wid, *save)
        self.check("the program ends after Save", program.wait_exit() == 0)
        header, records = self.records(program)
        self.check("the vault as typed", header == b"7x4,User Name,Login,Confirm,Kouza No" and len(records) == 7,
                   repr(header))
        wid = self.open_main(program)
        self.unlock(wid)
        d.set_clipboard("-")
        d.click(wid, *self.cell(2, 6))  # the login password of the "LoginPassword" row
        self.check("the typed login password stored",
                   wait_for("the copy", lambda: d.clipboard() == LOGIN, timeout=5))
        close_window(d.display, wid)
        program.wait_exit()

    # --- start-up faults ---------------------------------------------------------------
    def expect_startup_message(self, program, caption, text, start_kwargs=None):
        d = self.desktop
        before = program.files()
        program.start(**(start_kwargs or {}))
        wid = d.window("^" + caption + "$")
        shown = d.message_text(wid)
        self.check("message text", text in shown, repr(shown))
        d.key("Return")
        self.check("the program ends without a crash", program.wait_exit() == 0)
        self.check("no main window", not d.windows(MAIN_TITLE))
        self.check("no file lost or changed", program.files() == before)
        said = program.process.stdout.read()
        self.check("one line on standard error names the archive's full path",
                   "Vantry: " in said and program.path("Vantry.csv") in said, repr(said))

    def scenario_startup_faults(self, _):
        corrupted = "データファイルは壊れています"
        faults = [
            ("archive cut off in the middle of a line", lambda data: data[: len(data) - 25]),
            ("a changed byte in an item name", lambda data: flip(data, data.index(b"\r\n") + 2 + 10)),
            ("header 500x20", lambda data: b"500x20" + data[data.index(b","):]),
        ]
        base = Program(self.desktop, self.bin)
        try:
            self.create_vault(base)
            original = base.read("Vantry.csv")
        finally:
            base.remove()
        for what, spoil in faults:
            program = Program(self.desktop, self.bin)
            try:
                with open(program.path("Vantry.csv"), "wb") as f:
                    f.write(spoil(original))
                self.expect_startup_message(program, "Read File / Vantry", corrupted)
            except AssertionError as e:
                raise AssertionError(what + ": " + str(e))
            finally:
                program.remove()
        program = Program(self.desktop, self.bin, with_library=False)
        try:
            with open(program.path("Vantry.csv"), "wb") as f:
                f.write(original)
            self.expect_startup_message(program, "Read File / Vantry", "libQuenta.so")
        finally:
            program.remove()
        # The silent ends: no window and no message box, but a line on standard error.
        for what, content in (("an empty archive", b""), ("a header only", original[: original.index(b"\r\n") + 2])):
            program = Program(self.desktop, self.bin)
            try:
                with open(program.path("Vantry.csv"), "wb") as f:
                    f.write(content)
                program.start()
                self.check(what + ": the program ends", program.wait_exit() == 0)
                said = program.process.stdout.read()
                self.check(what + ": standard error names the archive", program.path("Vantry.csv") in said, repr(said))
            finally:
                program.remove()

    def scenario_damaged_with_backup(self, program):
        """A damaged archive beside an intact backup: the owner is offered the
        backup, and OK opens it with the damaged file kept."""
        d = self.desktop
        self.create_vault(program)
        original = program.read("Vantry.csv")
        with open(program.path("Vantry1.csv"), "wb") as f:
            f.write(original)
        damaged = flip(original, original.index(b"\r\n") + 2 + 10)
        with open(program.path("Vantry.csv"), "wb") as f:
            f.write(damaged)
        program.start()
        shown = d.message_text(d.window("^Read File / Vantry$"))
        self.check("the damage is reported first", "データファイルは壊れています" in shown, repr(shown))
        d.key("Return")
        question = wait_for("the question", lambda: [w for w in d.windows("^Read File / Vantry$")
                                                      if "Vantry1.csv" in d.message_text(w)] or None)
        d.shot("backup-question")
        d.focus(question[0])
        d.key("Return")
        wid = d.window(MAIN_TITLE)
        d.focus(wid)
        self.unlock(wid)
        kept = [n for n in os.listdir(program.folder) if n.startswith("Vantry.damaged-") and n.endswith(".csv")]
        self.check("the damaged file is kept", len(kept) == 1 and program.read(kept[0]) == damaged, repr(kept))
        self.check("the backup is the archive now", program.read("Vantry.csv") == original)
        close_window(d.display, wid)
        self.check("no crash", program.wait_exit() == 0)
        said = program.process.stdout.read()
        self.check("standard error names the damaged file", program.path("Vantry.csv") in said, repr(said))

    def scenario(self, name, body, fresh=True):
        program = Program(self.desktop, self.bin) if fresh else None
        started = time.monotonic()
        try:
            body(program)
            self.passed.append(name)
            print("PASS %s (%.1f s)" % (name, time.monotonic() - started), flush=True)
        except Exception as e:  # one failed scenario must not hide the others
            self.failed.append(name)
            self.desktop.shot("failed-" + name)
            print("FAIL %s: %s" % (name, e), flush=True)
            traceback.print_exc()
            if program is not None and program.process is not None:
                if program.running():
                    print("the program is still running; windows:", self.desktop.windows("."))
                else:
                    print("the program ended with %s:\n%s" % (program.process.returncode, program.process.stdout.read()))
        finally:
            if program is not None:
                program.remove()


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    run = Run(build)
    try:
        run.scenario("create", run.scenario_create)
        run.scenario("use", run.scenario_use)
        run.scenario("keyboard", run.scenario_keyboard)
        run.scenario("secrets", lambda program: scenario_secrets(run, program, LOGIN, EDIT))
        run.scenario("clipboard-manager", lambda program: scenario_copyq(run, program, LOGIN, EDIT))
        run.scenario("saving-manager", lambda program: scenario_saving_manager(run, program, LOGIN, EDIT))
        run.scenario("second-instance", run.scenario_second_instance)
        run.scenario("twice-the-density", run.scenario_twice_the_density)
        run.scenario("read-only-save", run.scenario_read_only_save)
        run.scenario("save-keeps-rows", run.scenario_save_keeps_rows)
        run.scenario("save-credential-rules", run.scenario_save_credential_rules)
        run.scenario("close-asks", run.scenario_close_asks)
        run.scenario("create-write-error", run.scenario_create_write_error)
        run.scenario("startup-faults", run.scenario_startup_faults, fresh=False)
        run.scenario("damaged-with-backup", run.scenario_damaged_with_backup)
    finally:
        run.desktop.close()
    print("%d passed, %d failed" % (len(run.passed), len(run.failed)))
    return 1 if run.failed else 0


if __name__ == "__main__":
    sys.exit(main())
