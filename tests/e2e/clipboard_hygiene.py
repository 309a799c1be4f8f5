"""What the real program hands to the X desktop: the clipboard (CLIPBOARD) and
the mouse selection (PRIMARY), read with xclip as any other program would.

- A copied value is marked x-kde-passwordManagerHint = "secret" and
  application/x-copyq-hidden = "1", and cleared
  after the program's own delay (20 s, measured here, never shortened for the
  run), and the clearing is marked too.
- Double clicks in the boxes that show passwords never take PRIMARY; Ctrl+A,
  Ctrl+C in them copies only marked.
- Masking the grid again and closing clear only what the program copied: a
  text another program copied since stays."""

import subprocess
import time

from desktop import close_window, px, wait_for

HINT_TARGET = "x-kde-passwordManagerHint"
COPYQ_TARGET = "application/x-copyq-hidden"
CLEAR_DELAY = 20.0  # seconds, as the program keeps it
MARK = "held by another program"


def xclip_out(d, selection, target=None):
    """A selection's content (of target, else text), or None when it has none."""
    args = ["xclip", "-selection", selection, "-o"] + (["-t", target] if target else [])
    r = subprocess.run(args, env=d.env, capture_output=True, text=True, timeout=5)
    return r.stdout if r.returncode == 0 else None


def set_primary(d, text):
    # xclip stays behind to serve PRIMARY until someone else takes it.
    subprocess.Popen(["xclip", "-selection", "primary", "-i"], env=d.env, stdin=subprocess.PIPE,
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).communicate(text.encode(), timeout=5)


def targets(d):
    return (xclip_out(d, "clipboard", "TARGETS") or "").split()


def marked(d):
    offered = targets(d)
    return (HINT_TARGET in offered and xclip_out(d, "clipboard", HINT_TARGET) == "secret" and
            COPYQ_TARGET in offered and xclip_out(d, "clipboard", COPYQ_TARGET) == "1")


def scenario_secrets(run, program, vault_login, vault_edit):
    d = run.desktop
    login = "pw-in-dialog"

    # The creation dialog: both passwords are typed in clear there.
    program.start()
    wid = d.window("^Create Vantry$")
    d.focus(wid)
    time.sleep(0.3)
    d.key("Return", "Return")  # rows, columns: to the login password
    d.type(login)
    set_primary(d, MARK)
    d.set_clipboard("-")
    d.click(wid, px(60 + 2820) + 12, px(690 + 120 + 180), double=True)
    time.sleep(0.3)
    run.check("a double click in the dialog leaves PRIMARY alone", xclip_out(d, "primary") == MARK,
              repr(xclip_out(d, "primary")))
    d.key("ctrl+a", "ctrl+c")
    wait_for("the copy from the dialog", lambda: d.clipboard() == login, timeout=5)
    run.check("the dialog's copy is marked", marked(d), repr(targets(d)))
    close_window(d.display, wid)
    run.check("the dialog ends on close", program.wait_exit() == 0)
    run.check("closing the dialog clears its copy", not d.clipboard(), repr(d.clipboard()))
    run.check("no file written", not program.files())

    run.create_vault(program)
    wid = run.open_main(program)
    run.enter(wid, vault_login)
    run.enter(wid, vault_edit)  # the large window, still all masked
    login_cell = run.cell(2, 6)  # "LoginPassword" row, the login password

    # The delay, on the real clipboard: a pick at level 0 copies.
    d.set_clipboard("-")
    set_primary(d, MARK)
    before = time.monotonic()
    d.click(wid, *login_cell)
    wait_for("the copy", lambda: d.clipboard() == vault_login, timeout=5)
    seen = time.monotonic()
    run.check("the copy is marked", marked(d), repr(targets(d)))
    wait_for("the clearing", lambda: d.clipboard() != vault_login, timeout=CLEAR_DELAY + 10, step=0.1)
    cleared = time.monotonic()
    elapsed_low, elapsed_high = cleared - seen, cleared - before
    print("  clipboard cleared %.2f to %.2f s after the copy" % (elapsed_low, elapsed_high), flush=True)
    run.check("cleared after the delay", CLEAR_DELAY - 0.05 <= elapsed_high and elapsed_low <= CLEAR_DELAY + 1.5,
              "%.2f..%.2f s" % (elapsed_low, elapsed_high))
    run.check("cleared to an empty text", d.clipboard() == "", repr(d.clipboard()))
    run.check("the clearing is marked", marked(d), repr(targets(d)))

    # A cell editor: a double click in it, then Ctrl+A, Ctrl+C.
    run.press(wid, "Display")
    run.press(wid, "Display")
    run.press(wid, "Edit")
    d.click(wid, *login_cell, double=True)  # opens the editor
    time.sleep(0.3)
    d.click(wid, login_cell[0] - run.column_px // 2 + 12, login_cell[1], double=True)
    time.sleep(0.3)
    d.shot("secrets-cell-editor")
    run.check("a double click in a cell editor leaves PRIMARY alone", xclip_out(d, "primary") == MARK,
              repr(xclip_out(d, "primary")))
    d.set_clipboard("-")
    d.key("ctrl+a", "ctrl+c")
    wait_for("the copy from the cell editor", lambda: d.clipboard() == vault_login, timeout=5)
    run.check("the cell editor's copy is marked", marked(d), repr(targets(d)))
    run.check("Ctrl+A in a cell editor leaves PRIMARY alone", xclip_out(d, "primary") == MARK,
              repr(xclip_out(d, "primary")))
    d.key("Escape")

    # Masked again: the copy goes, PRIMARY was never ours.
    run.press(wid, "Display")
    run.check("masking again clears the copy", d.clipboard() == "", repr(d.clipboard()))
    run.check("and PRIMARY holds nothing of the vault", xclip_out(d, "primary") == MARK, repr(xclip_out(d, "primary")))

    # Closing after another program copied: its text stays.
    d.click(wid, *login_cell)  # level 0: a pick copies
    wait_for("the copy", lambda: d.clipboard() == vault_login, timeout=5)
    d.set_clipboard(MARK)
    close_window(d.display, wid)
    run.check("the program ends on close", program.wait_exit() == 0)
    run.check("closing leaves another program's copy", d.clipboard() == MARK, repr(d.clipboard()))
    run.check("PRIMARY still another program's", xclip_out(d, "primary") == MARK)

