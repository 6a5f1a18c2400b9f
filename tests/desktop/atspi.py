"""The accessibility tree: every box, option and the button by name, a calculation driven
through it, the graph as a chart, the About window as a window, and the Tables window's
grid (every row, the selection and its events), message, range and Save As."""

import os
import subprocess
import time

from harness import ABOUT_NAME, TABLE_WINDOW, Abort, Accessible, run, wait_until

BOX_NAMES = ["M1", "P2/P1", "ρ2/ρ1", "T2/T1", "Po2/Po1", "Po2/P1", "M2", "γ"]
OPTION_NAMES = ["M1", "M2", "Po2/P1"]
GRAPH_NAME = "Pitot ratio graph"
TABLE_ITEM = "Table…"
TABLE_HEADERS = ["M1", "P2/P1", "ρ2/ρ1", "T2/T1", "Po2/Po1", "Po2/P1", "M2", "note"]


def check(args, results, desk):
    desk.start_session()
    acc = Accessible(desk.start_program(args.exe, "xcb").pid)
    p, main = acc.pyatspi, acc.main
    results.check(main.name == "Ornavel", "the main window is a frame named 'Ornavel'",
                  f"named {main.name!r}")

    boxes = {}
    for name in BOX_NAMES:
        nodes = acc.find(main, p.ROLE_TEXT, name)
        results.check(len(nodes) == 1, f"one text box named {name!r}", f"{len(nodes)} found")
        if nodes:
            boxes[name] = nodes[0]
    for name in OPTION_NAMES:
        nodes = acc.find(main, p.ROLE_RADIO_BUTTON, name)
        results.check(len(nodes) == 1, f"one option named {name!r}", f"{len(nodes)} found")
    buttons = acc.find(main, p.ROLE_PUSH_BUTTON)
    results.check(len(buttons) == 1 and buttons[0].name.strip() != "",
                  "one push button, named by its caption", f"{[b.name for b in buttons]}")

    # A calculation through the tree alone: what a screen reader's user can do.
    if len(buttons) == 1 and "M1" in boxes and "P2/P1" in boxes:
        got = acc.calculate("M1", "3", "P2/P1")
        try:
            value = float(got)
        except (TypeError, ValueError):
            value = None
        results.check(value is not None and abs(value - 31 / 3) < 1e-4,
                      "option, box and button work through AT-SPI: M1 = 3 gives P2/P1 = 10.3333",
                      f"P2/P1 box holds {got!r}")
    # Read-only to the keyboard is not enough: the tree writes text past it.
    if "γ" in boxes:
        boxes["γ"].queryEditableText().setTextContents("85")
        got = acc.text(boxes["γ"])
        results.check(got == "1.4", "γ stays 1.4 when written through AT-SPI", f"γ box holds {got!r}")

    acc.press(acc.one(main, p.ROLE_RADIO_BUTTON, "Po2/P1"))
    graphs = wait_until(lambda: [g for g in acc.find(main, p.ROLE_CHART, GRAPH_NAME) if acc.showing(g)], 5)
    results.check(bool(graphs), f"the Po2/P1 view shows a chart named {GRAPH_NAME!r}",
                  "charts: " + repr([(g.name, acc.showing(g)) for g in acc.find(main, p.ROLE_CHART)]))

    found = acc.open_about()
    roles = [w.getRoleName() for w in found]
    results.check(bool(found) and all(w.getRole() in (p.ROLE_WINDOW, p.ROLE_FRAME) for w in found),
                  f"the About window is a window or frame named {ABOUT_NAME!r}",
                  f"top-level nodes: {[(w.getRoleName(), w.name) for w in acc.windows()]}"
                  if not found else f"roles {roles}")
    desk.screenshot("atspi-about")
    check_tables(acc, results, desk.env, args.exe, desk.workdir)
    desk.screenshot("atspi-tables")


def check_tables(acc, results, env, exe, workdir):
    """The Tables window from the menu: a range typed and applied, headers and a cell read."""
    p = acc.pyatspi
    acc.choose_menu(TABLE_ITEM)
    found = wait_until(lambda: acc.named(TABLE_WINDOW), 10)
    if not found:
        raise Abort(f"no window named {TABLE_WINDOW!r} after {TABLE_ITEM!r}")
    window = found[0]
    values = acc.one(window, p.ROLE_TEXT, "Values")
    acc.set_text(values, "1:3:0.5 1:1000:1")
    values.queryComponent().grabFocus()
    run(["xdotool", "key", "Return"], env, check=True)
    grid = acc.one(window, p.ROLE_TABLE, "Table")
    table = grid.queryTable()
    headers = [table.getColumnHeader(i).name for i in range(table.nColumns)]
    results.check(headers == TABLE_HEADERS, "the grid is a table with the window's column headers",
                  f"headers {headers}")

    def cell():
        try:
            return table.getAccessibleAt(1, 1).name
        except Exception:
            return None
    got = wait_until(lambda: cell() == "2.45833", 5)
    results.check(bool(got), "Return applies the range: row M1 = 1.5 has P2/P1 = 2.45833",
                  f"cell holds {cell()!r}")
    results.check(table.nRows == 1005, "the grid counts every row of the table, not those in view",
                  f"{table.nRows} rows")

    # Down, Shift+Down: rows 2 and 3 selected, and the cell moved to said so by an event.
    from gi.repository import GLib
    said = []

    def heard(event):
        try:
            if event.source.getRole() == p.ROLE_TABLE_CELL:
                said.append(event.source.name)
        except Exception:
            pass
    p.Registry.registerEventListener(heard, "focus:", "object:state-changed:focused")
    grid.queryComponent().grabFocus()
    run(["xdotool", "key", "Down", "shift+Down"], env, check=True)

    def selected():
        while GLib.MainContext.default().iteration(False):
            pass
        return table.getSelectedRows() == [1, 2] and "2" in said
    wait_until(selected, 5)
    results.check(table.getSelectedRows() == [1, 2] and "2" in said,
                  "moving the selection is told: rows 1 and 2 selected, the cell at M1 = 2 focused",
                  f"selected {table.getSelectedRows()}, cells announced {said}")
    p.Registry.deregisterEventListener(heard, "focus:", "object:state-changed:focused")

    # A refusal beside the field, readable as text.
    acc.set_text(values, "1:3:0")
    values.queryComponent().grabFocus()
    run(["xdotool", "key", "Return"], env, check=True)
    message = acc.one(window, p.ROLE_LABEL, "Message")
    got = wait_until(lambda: "step" in acc.text(message), 5)
    results.check(bool(got), "the message beside the field reads as text", f"it reads {acc.text(message)!r}")
    acc.set_text(values, "1:3:0.5")
    values.queryComponent().grabFocus()
    run(["xdotool", "key", "Return"], env, check=True)

    # Save As through the real file dialog, by its keys: the file is the command line's table.
    target = os.path.join(workdir, "saved-table.csv")
    values.queryComponent().grabFocus()
    run(["xdotool", "key", "ctrl+s"], env, check=True)
    dialog = wait_until(lambda: acc.named("Save Table"), 10)
    if dialog:
        time.sleep(0.5)  # the file name box takes the focus once the dialog is laid out
        run(["xdotool", "type", "--delay", "20", target], env, check=True)
        run(["xdotool", "key", "Return"], env, check=True)
    wait_until(lambda: os.path.exists(target), 10)
    expected = subprocess.run([exe, "table", "M1", "1:3:0.5", "--format", "csv"], capture_output=True,
                              env=dict(env, QT_QPA_PLATFORM="offscreen"), timeout=10).stdout
    saved = open(target, "rb").read() if os.path.exists(target) else None
    results.check(saved == expected, "Save As writes the command line's CSV for the same range",
                  "no dialog named 'Save Table'" if not dialog else f"saved {saved!r}")
