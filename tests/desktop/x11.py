"""Under Xvfb and openbox: WM_CLASS against the desktop entry's StartupWMClass, the program's
own _NET_WM_ICON, a fixed size (min = max), the outer height (title bar included) in the
compact view and in the taller Po2/P1 view, About as the main window's, and Tables as a window of
its own beside it that Escape leaves open."""

import configparser
import re
import time

from harness import (CLIENT_WIDTH, COMPACT_OUTER_HEIGHT, GRAPH_OUTER_HEIGHT, SCREEN_HEIGHT, SCREEN_WIDTH,
                     TABLE_WINDOW, Abort, Accessible, log_tail, run, wait_until)


def xprop(env, window, *args):
    return run(["xprop", "-id", str(window)] + list(args), env)


def program_window(env, pid, title="Ornavel", timeout=10):
    """The program's visible top-level window of that title, once it shows."""
    return wait_until(lambda: next(iter(run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid),
                                             "--name", f"^{title}$"], env).split()), None), timeout)


def wm_class(env, window):
    m = re.search(r'=\s*"([^"]*)",\s*"([^"]*)"', xprop(env, window, "WM_CLASS"))
    return m.groups() if m else None


def icon_sizes(env, window):
    """The images in _NET_WM_ICON as (width, height), or [] when unset or malformed."""
    out = xprop(env, window, "-notype", "32c", "_NET_WM_ICON")
    if "=" not in out:
        return []
    values = [int(v) for v in out.split("=", 1)[1].replace("\n", "").split(",") if v.strip()]
    sizes, i = [], 0
    while i + 2 <= len(values):
        w, h = values[i], values[i + 1]
        if w <= 0 or h <= 0 or i + 2 + w * h > len(values):
            return []
        sizes.append((w, h))
        i += 2 + w * h
    return sizes


def size_hints(env, window):
    out = xprop(env, window, "WM_NORMAL_HINTS")
    def pair(what):
        m = re.search(what + r" size: (\d+) by (\d+)", out)
        return (int(m.group(1)), int(m.group(2))) if m else None
    return pair("minimum"), pair("maximum")


def geometry(env, window):
    """Where a window is on the screen and its size, as xdotool reports them."""
    out = run(["xdotool", "getwindowgeometry", "--shell", str(window)], env)
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return tuple(int(values.get(k, 0)) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def frame_extents(env, window):
    m = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", xprop(env, window, "_NET_FRAME_EXTENTS"))
    return tuple(int(v) for v in m.groups()) if m else None


def transient_for(env, window):
    m = re.search(r"window id # (0x[0-9a-f]+)", xprop(env, window, "WM_TRANSIENT_FOR"))
    return int(m.group(1), 16) if m else None


def click(env, acc, node):
    """A real pointer click at the middle of the node's screen extents."""
    x, y, w, h = acc.extents(node)
    if w <= 0 or h <= 0:
        raise Abort(f"{node.name!r} has no extents on screen")
    run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "1"], env, check=True)


def desktop_entry(path):
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(path, encoding="utf-8")
    return parser["Desktop Entry"]


def check(args, results, desk):
    desk.start_session()
    env = desk.env

    # Without a window manager first: openbox puts its own icon on a window that has none.
    bare = desk.start_program(args.exe, "xcb")
    window = program_window(env, bare.pid)
    if not window:
        raise Abort("the program showed no window within 10 s" + log_tail(bare))
    wanted = desktop_entry(args.desktop_file).get("StartupWMClass")
    got = wm_class(env, window)
    results.check(got is not None and got[1] == wanted,
                  f"WM_CLASS class is the desktop entry's StartupWMClass {wanted!r}",
                  f"WM_CLASS is {got}")
    results.check(bool(icon_sizes(env, window)), "the program sets _NET_WM_ICON itself",
                  "not set, or its images are malformed")
    desk.procs.stop(bare)

    desk.start_openbox()
    app = desk.start_program(args.exe, "xcb")
    window = program_window(env, app.pid)
    if not window:
        raise Abort("the program showed no window under openbox within 10 s" + log_tail(app))
    # The window manager has framed the window once it states the frame's extents.
    if not wait_until(lambda: frame_extents(env, window), 5):
        raise Abort("openbox did not frame the window")
    acc = Accessible(app.pid)

    def view(label, outer_height, shot):
        # The program sets its size once more when the frame is known: wait for it to settle.
        def state():
            return size_hints(env, window), frame_extents(env, window), geometry(env, window)[2:]

        def settled():
            hints, extents, size = now = state()
            return now if hints[0] and extents and size[1] + extents[2] + extents[3] == outer_height else None
        (minimum, maximum), extents, size = wait_until(settled, 5) or state()
        desk.screenshot(shot)
        results.check(minimum is not None and minimum == maximum,
                      f"{label}: fixed size (WM_NORMAL_HINTS minimum = maximum)",
                      f"minimum {minimum}, maximum {maximum}")
        results.check(size[0] == CLIENT_WIDTH and minimum is not None and size == minimum,
                      f"{label}: the client is {CLIENT_WIDTH} wide, at its fixed size",
                      f"client {size[0]}x{size[1]}, minimum {minimum}")
        outer = size[1] + (extents[2] + extents[3] if extents else 0)
        results.check(outer == outer_height,
                      f"{label}: outer height with the frame is {outer_height}",
                      f"client {size[1]} + frame top {extents and extents[2]} + bottom "
                      f"{extents and extents[3]} = {outer}")
        return size[1]

    compact = view("compact view", COMPACT_OUTER_HEIGHT, "x11-compact")
    click(env, acc, acc.one(acc.main, acc.pyatspi.ROLE_RADIO_BUTTON, "Po2/P1"))
    tall = view("Po2/P1 view", GRAPH_OUTER_HEIGHT, "x11-po2p1")
    results.check(tall > compact, "the client's fixed height grows for the Po2/P1 view",
                  f"{compact} then {tall}")
    click(env, acc, acc.one(acc.main, acc.pyatspi.ROLE_RADIO_BUTTON, "M1"))
    back = view("back to the M1 view", COMPACT_OUTER_HEIGHT, "x11-m1")
    results.check(back == compact, "the client's fixed height returns for the M1 view",
                  f"{compact}, then {back}")

    # About belongs to the main window: transient for it, over it, and closed with it, so
    # that closing the main window ends the program.
    acc.open_about()
    about = program_window(env, app.pid, "About", 5)
    if not about:
        raise Abort("the About window did not show under openbox")
    transient = transient_for(env, about)
    results.check(transient == int(window), "the About window is transient for the main window",
                  f"WM_TRANSIENT_FOR is {transient and hex(transient)}, main window {hex(int(window))}")
    ax, ay, aw, ah = geometry(env, about)
    mx, my, mw, mh = geometry(env, window)
    results.check(mx <= ax + aw // 2 <= mx + mw and my <= ay + ah // 2 <= my + mh,
                  "the About window opens over the main window",
                  f"About at {ax},{ay} {aw}x{ah}, main window at {mx},{my} {mw}x{mh}")
    desk.screenshot("x11-about")
    # The Tables window, by its shortcut: a window of its own beside the main window (moved to
    # the screen's edge, so that there is room), which Escape never closes and Ctrl+W does,
    # closed with the main window.
    run(["xdotool", "windowmove", "--sync", str(window), "0", "0"], env)
    tables = open_tables(env, app, window)
    transient = tables and transient_for(env, tables)
    kind = tables and xprop(env, tables, "_NET_WM_WINDOW_TYPE").split("=")[-1].strip()
    results.check(bool(tables) and transient is None and kind == "_NET_WM_WINDOW_TYPE_NORMAL",
                  "Ctrl+T opens the Tables window: a normal window, not transient for the main window",
                  f"window {tables}, WM_TRANSIENT_FOR {transient and hex(transient)}, type {kind}")
    if tables:
        # Client areas: the calculator stays whole in view, the table's controls on the screen
        # (where the frame goes within a pixel or two is the window manager's).
        tx, ty, tw, th = geometry(env, tables)
        mx, my, mw, mh = geometry(env, window)
        apart = tx >= mx + mw or tx + tw <= mx
        on_screen = tx >= 0 and ty >= 0 and tx + tw <= SCREEN_WIDTH and ty + th <= SCREEN_HEIGHT
        results.check(apart and on_screen, "the Tables window opens beside the main window, on the screen",
                      f"Tables at {tx},{ty} {tw}x{th}, main window at {mx},{my} {mw}x{mh}")
        desk.screenshot("x11-tables")
        # The chart's read-out, 15 digits long under the pointer, leaves the window's size alone.
        before = size_hints(env, tables), geometry(env, tables)
        run(["xdotool", "windowactivate", "--sync", str(tables), "key", "--clearmodifiers", "alt+v"], env)
        run(["xdotool", "type", "--delay", "10", "1:5:0.05"], env)
        run(["xdotool", "key", "--clearmodifiers", "Return", "alt+d"], env)
        x, y, w, h = before[1]

        def hovered_resize():
            for step in range(4):
                run(["xdotool", "mousemove", str(x + w * (3 + step) // 10), str(y + h * 7 // 10)], env)
            return (size_hints(env, tables), geometry(env, tables)) != before

        changed = wait_until(hovered_resize, 3)
        results.check(not changed, "hovering the chart leaves the Tables window's size and minimum alone",
                      f"{before} became {changed and (size_hints(env, tables), geometry(env, tables))}")
        desk.screenshot("x11-tables-readout")
        # Escape in the field, then with the Quantity list open (Alt+Q, Alt+Down): only the list goes.
        keys(env, tables, "Escape", "alt+q", "alt+Down", "Escape", "Escape")
        results.check(visible(env, tables), "Escape, also with the Quantity list open, keeps the Tables window",
                      "the window closed")
        keys(env, tables, "ctrl+w")
        closed = wait_until(lambda: not visible(env, tables), 5)
        results.check(bool(closed) and app.poll() is None, "Ctrl+W closes the Tables window, not the program",
                      f"window still shown: {not closed}, program ended: {app.poll() is not None}")
    open_tables(env, app, window)
    run(["xdotool", "windowactivate", "--sync", str(window), "key", "--clearmodifiers", "alt+F4"], env)
    ended = wait_until(lambda: app.poll() is not None, 5)
    results.check(bool(ended), "closing the main window with About and Tables open ends the program",
                  "the process still runs")


def open_tables(env, app, window):
    run(["xdotool", "windowactivate", "--sync", str(window), "key", "--clearmodifiers", "ctrl+t"], env)
    tables = program_window(env, app.pid, TABLE_WINDOW)
    # Framed once the window manager states the frame's extents.
    return tables and wait_until(lambda: frame_extents(env, tables), 5) and tables


def keys(env, window, *names):
    run(["xdotool", "windowactivate", "--sync", str(window)], env)
    for name in names:
        run(["xdotool", "key", "--clearmodifiers", name], env)
        time.sleep(0.2)  # each key handled, a list opened or closed, before the next


def visible(env, window):
    return str(window) in run(["xdotool", "search", "--onlyvisible", "--name", f"^{TABLE_WINDOW}$"], env).split()
