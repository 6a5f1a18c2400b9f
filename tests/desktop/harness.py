#!/usr/bin/python3
"""Checks the real Ornavel program on real desktops and fails on a regression.

    tests/desktop/harness.py EXECUTABLE CHECK... [--desktop-file FILE] [--screenshots DIR]

CHECK is one or more of:
  x11      under Xvfb and openbox: WM_CLASS against the desktop entry's StartupWMClass, the
           program's own _NET_WM_ICON, a fixed size (min = max), and the outer height
           (title bar included) in the compact view and in the taller Po2/P1 view;
  wayland  under headless Weston: the app id, and a first frame already at its final size;
  atspi    the accessibility tree: every box, option and the button by name, a calculation
           driven through it, the graph as a chart, the About window as a window;
  dark     under a dark qt6ct palette: contrast of text in the boxes, labels and About;
  all      every one of them.

Controls are found by their accessible names over AT-SPI, never by pixel offsets. Each check
starts its own X server, compositor and D-Bus session, ends every process it started, and
bounds every wait. It prints "ok: ..." or "FAIL: ..." per check and "N passed, N failed"
last; the exit status is non-zero when anything failed. With --screenshots the screens seen
along the way are written to DIR as PNG files, for a reviewer.

Needs Debian's python3 with python3-pyatspi and the packages of
`scripts/install-deps.sh desktop`.
"""

import argparse
import collections
import configparser
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# Design figures at scale 1, from the window's twips (15 per pixel): the client is 4050 wide;
# the outer heights, title bar included, are 3800 (compact view) and 6400 (with the graph).
CLIENT_WIDTH = 270
COMPACT_OUTER_HEIGHT = 253
GRAPH_OUTER_HEIGHT = 427

BOX_NAMES = ["M1", "P2/P1", "ρ2/ρ1", "T2/T1", "Po2/Po1", "Po2/P1", "M2", "γ"]
OPTION_NAMES = ["M1", "M2", "Po2/P1"]
GRAPH_NAME = "Pitot ratio graph"
ABOUT_NAME = "About"
TABLE_ITEM = "Table…"
TABLE_WINDOW = "Ornavel Tables"
TABLE_HEADERS = ["M1", "P2/P1", "ρ2/ρ1", "T2/T1", "Po2/Po1", "Po2/P1", "M2", "note"]

SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768

# WCAG AA for normal text.
MIN_CONTRAST = 4.5


class CheckTimeout(Exception):
    pass


class Interrupted(Exception):
    pass


class Abort(Exception):
    """A failure after which the rest of a check cannot run."""


# ---------------------------------------------------------------------------------------
# Results


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, what, detail=""):
        if ok:
            self.passed += 1
            print(f"ok: {what}", flush=True)
        else:
            self.failed += 1
            print(f"FAIL: {what}" + (f" ({detail})" if detail else ""), flush=True)
        return ok

    def fail(self, what):
        return self.check(False, what)


# ---------------------------------------------------------------------------------------
# Processes: each in its own session, so that its group id is its pid and ending the group
# ends whatever it started too.

class Watchdog:
    """Ends the process groups still listed should this program die without ending them
    itself (SIGKILL): a child of its own that waits for the end of a pipe only we write."""

    def __init__(self):
        read_end, self.pipe = os.pipe()
        if os.fork() == 0:
            os.close(self.pipe)
            os.setsid()
            for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGALRM):
                signal.signal(sig, signal.SIG_IGN)
            groups = set()
            with os.fdopen(read_end) as f:
                for line in f:
                    n = int(line)
                    if n > 0:
                        groups.add(n)
                    else:
                        groups.discard(-n)
            for sig in (signal.SIGTERM, signal.SIGKILL):
                for group in groups:
                    try:
                        os.killpg(group, sig)
                    except OSError:
                        pass
                if groups and sig == signal.SIGTERM:
                    time.sleep(1)
            os._exit(0)
        os.close(read_end)

    def started(self, pid):
        os.write(self.pipe, f"{pid}\n".encode())

    def ended(self, pid):
        os.write(self.pipe, f"-{pid}\n".encode())


class Processes:
    def __init__(self, logdir, watchdog):
        self.logdir = logdir
        self.watchdog = watchdog
        self.started = []

    def spawn(self, name, argv, env=None, pass_fds=()):
        log = open(os.path.join(self.logdir, name + ".log"), "wb")
        proc = subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=log,
                                stderr=subprocess.STDOUT, pass_fds=pass_fds,
                                start_new_session=True)
        log.close()
        self.watchdog.started(proc.pid)
        proc.log_path = log.name
        proc.label = name
        self.started.append(proc)
        return proc

    @staticmethod
    def _exited(pid):
        # Without reaping: the zombie keeps the group id from being reused until then.
        try:
            return os.waitid(os.P_PID, pid, os.WEXITED | os.WNOHANG | os.WNOWAIT) is not None
        except ChildProcessError:
            return True

    def stop(self, proc, grace=2.0):
        if proc not in self.started:
            return
        if proc.returncode is None:
            try:
                os.killpg(proc.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            deadline = time.monotonic() + grace
            while not self._exited(proc.pid) and time.monotonic() < deadline:
                time.sleep(0.05)
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            proc.wait()
            self.watchdog.ended(proc.pid)
        self.started.remove(proc)

    def stop_all(self):
        for proc in reversed(list(self.started)):
            self.stop(proc)


def wait_until(predicate, timeout, interval=0.1):
    """Polls predicate until it returns something true; that value, or None at the timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(interval)


def run(argv, env, timeout=5, check=False):
    result = subprocess.run(argv, env=env, capture_output=True, text=True, timeout=timeout,
                            errors="replace")
    if check and result.returncode != 0:
        raise Abort(f"{' '.join(argv)} failed: {result.stderr.strip()}")
    return result.stdout


def log_tail(proc, lines=15):
    try:
        with open(proc.log_path, errors="replace") as f:
            text = [l.rstrip() for l in f if "Failed to set fd limit" not in l]
    except OSError:
        return ""
    return ":\n" + "\n".join("    " + l for l in text[-lines:]) if text else ""


# ---------------------------------------------------------------------------------------
# Desktops


class Desktop:
    """A private X server, window manager, D-Bus session and Wayland compositor, as needed."""

    def __init__(self, procs, workdir):
        self.procs = procs
        self.workdir = workdir
        runtime = os.path.join(workdir, "runtime")
        os.mkdir(runtime, 0o700)
        # Nothing of the caller's desktop leaks in: no display, session bus, theme or scale.
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("QT_", "WAYLAND_", "DBUS_", "XDG_", "DISPLAY",
                                         "GTK_", "AT_SPI"))}
        self.env.update(XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8", LC_ALL="C.UTF-8",
                        HOME=os.environ.get("HOME", workdir),
                        XDG_CONFIG_HOME=os.path.join(workdir, "config"))

    def start_x(self):
        # -displayfd: the server takes the first free display number itself, so checks
        # running side by side never race for one.
        read_end, write_end = os.pipe()
        proc = self.procs.spawn("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                          f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24", "-nolisten", "tcp", "-noreset"],
                                env=self.env, pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], 0.2)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_end)
        if not number.strip().isdigit():
            raise Abort("Xvfb did not start" + log_tail(proc))
        self.env["DISPLAY"] = ":" + number.decode().strip()

    def start_openbox(self):
        self.procs.spawn("openbox", ["openbox"], env=self.env)
        if not wait_until(lambda: "window id" in run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                                       self.env), 10):
            raise Abort("openbox did not start")

    def start_dbus(self):
        # A private session bus with the accessibility bus launcher on it; the shell hands
        # its address back through a file before it becomes the launcher.
        address_file = os.path.join(self.workdir, "bus-address")
        script = 'printf %s "$DBUS_SESSION_BUS_ADDRESS" >"$1.tmp" && mv "$1.tmp" "$1" && ' \
                 'exec /usr/libexec/at-spi-bus-launcher --launch-immediately'
        self.procs.spawn("dbus", ["dbus-run-session", "--", "sh", "-c", script, "sh", address_file],
                         env=self.env)
        if not wait_until(lambda: os.path.exists(address_file), 10):
            raise Abort("dbus-run-session did not start")
        with open(address_file) as f:
            self.env["DBUS_SESSION_BUS_ADDRESS"] = f.read()
        # The accessibility bus is up once the launcher has put its address on the display.
        if not wait_until(lambda: "AT_SPI_BUS(" in run(["xprop", "-root", "AT_SPI_BUS"], self.env), 10):
            raise Abort("at-spi-bus-launcher did not start")
        # pyatspi finds the buses through the environment when it is first imported.
        for key in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"):
            os.environ[key] = self.env[key]

    def start_weston(self):
        socket = "ornavel-check"
        proc = self.procs.spawn("weston", ["weston", "--backend=headless-backend.so",
                                            f"--socket={socket}", f"--width={SCREEN_WIDTH}",
                                            f"--height={SCREEN_HEIGHT}",
                                            "--idle-time=0"], env=self.env)
        path = os.path.join(self.env["XDG_RUNTIME_DIR"], socket)
        if not wait_until(lambda: os.path.exists(path), 10):
            raise Abort("weston did not open its socket" + log_tail(proc))
        self.env["WAYLAND_DISPLAY"] = socket

    def start_program(self, exe, platform, extra=None):
        env = dict(self.env, QT_QPA_PLATFORM=platform)
        if "DBUS_SESSION_BUS_ADDRESS" in env:
            env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env.update(extra or {})
        return self.procs.spawn("ornavel-" + platform, [exe], env=env)

    def screenshot(self, directory, name):
        if directory:
            run(["import", "-window", "root", os.path.join(directory, name + ".png")],
                self.env, timeout=10)

    def grab(self):
        """The whole screen as (width, bytes of RGB)."""
        raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], env=self.env,
                             capture_output=True, timeout=10, check=True).stdout
        return SCREEN_WIDTH, raw


# ---------------------------------------------------------------------------------------
# X11 properties


def xprop(env, window, *args):
    return run(["xprop", "-id", str(window)] + list(args), env)


def program_window(env, pid, timeout=10):
    """The program's visible top-level window, found by its process id."""
    def search():
        out = run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)], env)
        for line in out.split():
            # Qt's visible windows include the main window only, until About is opened.
            if xprop(env, line, "WM_NAME").strip().endswith('"Ornavel"'):
                return line
        return None
    return wait_until(search, timeout)


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
    out = run(["xdotool", "getwindowgeometry", "--shell", str(window)], env)
    values = dict(l.split("=", 1) for l in out.split() if "=" in l)
    return int(values["WIDTH"]), int(values["HEIGHT"])


def geometry_at(env, window):
    """Where a window is on the screen and its size, as xdotool reports them."""
    out = run(["xdotool", "getwindowgeometry", "--shell", str(window)], env)
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return tuple(int(values.get(k, 0)) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def frame_extents(env, window):
    m = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", xprop(env, window, "_NET_FRAME_EXTENTS"))
    return tuple(int(v) for v in m.groups()) if m else None


def desktop_entry(path):
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(path, encoding="utf-8")
    return parser["Desktop Entry"]


# ---------------------------------------------------------------------------------------
# AT-SPI


class Accessible:
    """The program's accessibility tree, read over AT-SPI."""

    def __init__(self, pid, timeout=15):
        import pyatspi  # after the session bus is set in the environment
        self.pyatspi = pyatspi
        self.pid = pid
        self.app = wait_until(self._find_app, timeout, interval=0.2)
        if self.app is None:
            raise Abort(f"the program did not appear on the accessibility bus within {timeout} s")

    def _find_app(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == self.pid and app.childCount > 0:
                    return app
            except Exception:
                pass
        return None

    def windows(self):
        return [w for w in (self.app.getChildAtIndex(i) for i in range(self.app.childCount)) if w]

    def main_window(self):
        return next((w for w in self.windows() if w.getRole() == self.pyatspi.ROLE_FRAME), None)

    def find(self, root, role, name=None, depth=12):
        """Every node under root of the role (and the name, when given)."""
        found = []
        if root is None or depth < 0:
            return found
        try:
            if root.getRole() == role and (name is None or root.name == name):
                found.append(root)
            children = [root.getChildAtIndex(i) for i in range(root.childCount)]
        except Exception:
            return found
        for child in children:
            found += self.find(child, role, name, depth - 1)
        return found

    def one(self, root, role, name):
        nodes = self.find(root, role, name)
        if len(nodes) != 1:
            raise Abort(f"{len(nodes)} nodes of role {role} named {name!r}, not one")
        return nodes[0]

    def showing(self, node):
        return node.getState().contains(self.pyatspi.STATE_SHOWING)

    def extents(self, node):
        e = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height

    def press(self, node):
        action = node.queryAction()
        if action.nActions < 1 or not action.doAction(0):
            raise Abort(f"{node.name!r} could not be pressed")

    def open_about(self, main):
        """The top-level nodes named About once its menu item is pressed; [] if none shows."""
        # A mnemonic's ampersand may or may not be in the item's name.
        items = [m for m in self.find(main, self.pyatspi.ROLE_MENU_ITEM)
                 if m.name.replace("&", "") == ABOUT_NAME]
        if len(items) != 1:
            raise Abort(f"{len(items)} menu items named {ABOUT_NAME!r}, not one")
        self.press(items[0])
        return wait_until(lambda: [w for w in self.windows() if w.name == ABOUT_NAME], 5) or []

    def text(self, node):
        t = node.queryText()
        return t.getText(0, t.characterCount)

    def set_text(self, node, text):
        if not node.queryEditableText().setTextContents(text):
            raise Abort(f"could not type into {node.name!r}")


def click(env, acc, node):
    """A real pointer click at the middle of the node's screen extents."""
    x, y, w, h = acc.extents(node)
    if w <= 0 or h <= 0:
        raise Abort(f"{node.name!r} has no extents on screen")
    run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "1"], env, check=True)


# ---------------------------------------------------------------------------------------
# The checks


def check_x11(args, results, procs, workdir):
    desk = Desktop(procs, workdir)
    desk.start_x()
    desk.start_dbus()
    env = desk.env

    # Without a window manager first: openbox puts its own icon on a window that has none.
    bare = desk.start_program(args.exe, "xcb")
    window = program_window(env, bare.pid)
    if not window:
        raise Abort("the program showed no window within 10 s" + log_tail(bare))
    entry = desktop_entry(args.desktop_file)
    wanted = entry.get("StartupWMClass")
    got = wm_class(env, window)
    results.check(got is not None and got[1] == wanted,
                  f"WM_CLASS class is the desktop entry's StartupWMClass {wanted!r}",
                  f"WM_CLASS is {got}")
    results.check(bool(icon_sizes(env, window)), "the program sets _NET_WM_ICON itself",
                  "not set, or its images are malformed")
    procs.stop(bare)

    desk.start_openbox()
    app = desk.start_program(args.exe, "xcb")
    window = program_window(env, app.pid)
    if not window:
        raise Abort("the program showed no window under openbox within 10 s" + log_tail(app))
    # The window manager has framed the window once it states the frame's extents.
    if not wait_until(lambda: frame_extents(env, window), 5):
        raise Abort("openbox did not frame the window")

    acc = Accessible(app.pid)
    main = acc.main_window()
    if main is None:
        raise Abort("no main window in the accessibility tree")

    def view(label, outer_height, shot):
        # The program sets its size once more when the frame is known: wait for it to settle.
        def settled():
            hints = size_hints(env, window)
            extents = frame_extents(env, window)
            size = geometry(env, window)
            if not hints[0] or not extents:
                return None
            state = hints, extents, size
            return state if size[1] + extents[2] + extents[3] == outer_height else None
        state = wait_until(settled, 5)
        if state is None:
            hints, extents, size = size_hints(env, window), frame_extents(env, window), geometry(env, window)
        else:
            hints, extents, size = state
        desk.screenshot(args.screenshots, shot)
        minimum, maximum = hints
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
    click(env, acc, acc.one(main, acc.pyatspi.ROLE_RADIO_BUTTON, "Po2/P1"))
    tall = view("Po2/P1 view", GRAPH_OUTER_HEIGHT, "x11-po2p1")
    results.check(tall > compact, "the client's fixed height grows for the Po2/P1 view",
                  f"{compact} then {tall}")
    click(env, acc, acc.one(main, acc.pyatspi.ROLE_RADIO_BUTTON, "M1"))
    back = view("back to the M1 view", COMPACT_OUTER_HEIGHT, "x11-m1")
    results.check(back == compact, "the client's fixed height returns for the M1 view",
                  f"{compact}, then {back}")

    # About belongs to the main window: transient for it, over it, and closed with it, so
    # that closing the main window ends the program.
    acc.open_about(main)
    about = wait_until(lambda: next(iter(run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(app.pid),
                                              "--name", "^About$"], env).split()), None), 5)
    if not about:
        raise Abort("the About window did not show under openbox")
    transient = re.search(r"window id # (0x[0-9a-f]+)", xprop(env, about, "WM_TRANSIENT_FOR"))
    results.check(transient is not None and int(transient.group(1), 16) == int(window),
                  "the About window is transient for the main window",
                  f"WM_TRANSIENT_FOR is {transient and transient.group(1)}, main window {hex(int(window))}")
    ax, ay, aw, ah = geometry_at(env, about)
    mx, my, mw, mh = geometry_at(env, window)
    results.check(mx <= ax + aw // 2 <= mx + mw and my <= ay + ah // 2 <= my + mh,
                  "the About window opens over the main window",
                  f"About at {ax},{ay} {aw}x{ah}, main window at {mx},{my} {mw}x{mh}")
    desk.screenshot(args.screenshots, "x11-about")
    # The Tables window, by its shortcut: transient for the main window too, and closed with it.
    run(["xdotool", "windowactivate", "--sync", str(window), "key", "--clearmodifiers", "ctrl+t"], env)
    tables = wait_until(lambda: next(iter(run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(app.pid),
                                               "--name", f"^{TABLE_WINDOW}$"], env).split()), None), 10)
    transient = tables and wait_until(lambda: re.search(r"window id # (0x[0-9a-f]+)", xprop(env, tables, "WM_TRANSIENT_FOR")), 5)
    results.check(bool(transient) and int(transient.group(1), 16) == int(window),
                  "Ctrl+T opens the Tables window, transient for the main window",
                  f"window {tables}, WM_TRANSIENT_FOR {transient and transient.group(1)}")
    desk.screenshot(args.screenshots, "x11-tables")
    run(["xdotool", "windowactivate", "--sync", str(window), "key", "--clearmodifiers", "alt+F4"], env)
    ended = wait_until(lambda: app.poll() is not None, 5)
    results.check(bool(ended), "closing the main window with About and Tables open ends the program",
                  "the process still runs")


def wayland_frames(log_text):
    """What the client asked of the compositor for its toplevel surface, in order."""
    lines = [l.split("] ", 1)[-1].strip() for l in log_text.splitlines()]
    surface = toplevel = xdg = None
    buffers = {}
    seen = collections.defaultdict(list)
    for line in lines:
        if not line.startswith("->"):
            continue
        m = re.search(r"(xdg_surface@\d+)\.get_toplevel\(new id (xdg_toplevel@\d+)\)", line)
        if m and toplevel is None:
            xdg, toplevel = m.groups()
        m = re.search(r"get_xdg_surface\(new id (xdg_surface@\d+), (wl_surface@\d+)\)", line)
        if m and surface is None:
            xdg, surface = m.groups()
        m = re.search(r"create_buffer\(new id (wl_buffer@\d+), \d+, (\d+), (\d+),", line)
        if m:
            buffers[m.group(1)] = (int(m.group(2)), int(m.group(3)))
        m = re.search(r"(wl_surface@\d+)\.attach\((wl_buffer@\d+)", line)
        if m and m.group(1) == surface and m.group(2) in buffers:
            seen["attach"].append(buffers[m.group(2)])
        for what in ("set_app_id", "set_min_size", "set_max_size"):
            m = re.search(r"(xdg_toplevel@\d+)\." + what + r"\((.*)\)", line)
            if m and m.group(1) == toplevel:
                seen[what].append((m.group(2), len(seen["attach"])))
        m = re.search(r"(xdg_surface@\d+)\.set_window_geometry\(\d+, \d+, (\d+), (\d+)\)", line)
        if m and m.group(1) == xdg:
            seen["geometry"].append(((int(m.group(2)), int(m.group(3))), len(seen["attach"])))
    return seen


def check_wayland(args, results, procs, workdir):
    desk = Desktop(procs, workdir)
    desk.start_weston()
    app = desk.start_program(args.exe, "wayland", {"WAYLAND_DEBUG": "client"})

    def log():
        with open(app.log_path, errors="replace") as f:
            return f.read()
    if not wait_until(lambda: ".attach(wl_buffer" in log() or app.poll() is not None, 15):
        raise Abort("the program drew no frame on Wayland within 15 s" + log_tail(app))
    # Long enough for a resize after the first frame to show in the log.
    time.sleep(1.5)
    alive = app.poll() is None
    procs.stop(app)
    results.check(alive, "the program runs on Wayland", "it exited" + log_tail(app))
    seen = wayland_frames(log())

    wanted = os.path.basename(args.desktop_file).removesuffix(".desktop")
    app_ids = [a for a, _ in seen["set_app_id"]]
    results.check(app_ids and app_ids[-1] == f'"{wanted}"' and seen["set_app_id"][0][1] == 0,
                  f"the app id is {wanted!r}, set before the first frame", f"set_app_id: {app_ids}")

    attached = seen["attach"]
    if not attached:
        raise Abort("no buffer was attached to the window's surface")
    first = attached[0]
    results.check(all(size == first for size in attached),
                  "the first frame is at the final size (no buffer of another size later)",
                  f"buffer sizes in order: {attached}")
    geometries = [g for g, _ in seen["geometry"]]
    results.check(bool(geometries) and geometries[0][1] == COMPACT_OUTER_HEIGHT
                  and all(g == geometries[0] for g in geometries),
                  f"the window's outer height with Qt's title bar is {COMPACT_OUTER_HEIGHT} from the first frame on",
                  f"set_window_geometry sizes: {geometries}")
    before_first = [(s, n) for s, n in seen["set_min_size"] if n == 0]
    maxima = [(s, n) for s, n in seen["set_max_size"] if n == 0]
    results.check(bool(before_first) and bool(maxima) and before_first[-1][0] == maxima[-1][0],
                  "fixed size on Wayland (min = max before the first frame)",
                  f"min {before_first[-1:]}, max {maxima[-1:]}")


def check_atspi(args, results, procs, workdir):
    desk = Desktop(procs, workdir)
    desk.start_x()
    desk.start_dbus()
    app = desk.start_program(args.exe, "xcb")
    acc = Accessible(app.pid)
    p = acc.pyatspi
    main = wait_until(acc.main_window, 5)
    if main is None:
        raise Abort("no frame for the main window in the accessibility tree")
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
        acc.press(acc.one(main, p.ROLE_RADIO_BUTTON, "M1"))
        acc.set_text(boxes["M1"], "3")
        acc.press(buttons[0])
        got = wait_until(lambda: acc.text(boxes["P2/P1"]).strip(), 5)
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

    found = acc.open_about(main)
    roles = [w.getRoleName() for w in found]
    results.check(bool(found) and all(w.getRole() in (p.ROLE_WINDOW, p.ROLE_FRAME) for w in found),
                  f"the About window is a window or frame named {ABOUT_NAME!r}",
                  f"top-level nodes: {[(w.getRoleName(), w.name) for w in acc.windows()]}"
                  if not found else f"roles {roles}")
    desk.screenshot(args.screenshots, "atspi-about")
    check_tables_atspi(acc, main, results, desk.env, args.exe, workdir)
    desk.screenshot(args.screenshots, "atspi-tables")


def check_tables_atspi(acc, main, results, env, exe, workdir):
    """The Tables window from the menu: a range typed and applied, headers and a cell read."""
    p = acc.pyatspi
    items = [m for m in acc.find(main, p.ROLE_MENU_ITEM) if m.name.replace("&", "") == TABLE_ITEM]
    if len(items) != 1:
        raise Abort(f"{len(items)} menu items named {TABLE_ITEM!r}, not one")
    acc.press(items[0])
    found = wait_until(lambda: [w for w in acc.windows() if w.name == TABLE_WINDOW], 10)
    if not found:
        raise Abort(f"no window named {TABLE_WINDOW!r} after {TABLE_ITEM!r}")
    window = found[0]
    values = acc.one(window, p.ROLE_TEXT, "Values")
    acc.set_text(values, "1:3:0.5")
    values.queryComponent().grabFocus()
    run(["xdotool", "key", "Return"], env, check=True)
    table = acc.one(window, p.ROLE_TABLE, "Table").queryTable()
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

    # Save As through the real file dialog, by its keys: the file is the command line's table.
    target = os.path.join(workdir, "saved-table.csv")
    values.queryComponent().grabFocus()
    run(["xdotool", "key", "ctrl+s"], env, check=True)
    dialog = wait_until(lambda: [w for w in acc.windows() if w.name == "Save Table"], 10)
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


def luminance(c):
    def channel(v):
        v /= 255
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(v) for v in c)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def region(screen, x, y, w, h):
    width, raw = screen
    pixels = []
    for row in range(y, y + h):
        start = (row * width + x) * 3
        line = raw[start:start + w * 3]
        pixels += [tuple(line[i:i + 3]) for i in range(0, len(line) - 2, 3)]
    return pixels


def text_contrast(screen, extents, inset=2):
    """Contrast of the text in a rectangle: its commonest colour is the background, the
    colour farthest from it is the text."""
    x, y, w, h = extents
    pixels = region(screen, x + inset, y + inset, max(w - 2 * inset, 1), max(h - 2 * inset, 1))
    background = collections.Counter(pixels).most_common(1)[0][0]
    text = max(set(pixels), key=lambda c: contrast(c, background))
    return contrast(text, background), text, background


def check_dark(args, results, procs, workdir):
    scheme = "/usr/share/qt6ct/colors/darker.conf"
    if not os.path.exists(scheme):
        raise Abort(f"no {scheme}: install qt6ct")
    desk = Desktop(procs, workdir)
    config = os.path.join(desk.env["XDG_CONFIG_HOME"], "qt6ct")
    os.makedirs(config)
    with open(os.path.join(config, "qt6ct.conf"), "w") as f:
        f.write(f"[Appearance]\ncolor_scheme_path={scheme}\ncustom_palette=true\nstyle=Fusion\n")
    desk.start_x()
    desk.start_dbus()
    app = desk.start_program(args.exe, "xcb", {"QT_QPA_PLATFORMTHEME": "qt6ct"})
    acc = Accessible(app.pid)
    p = acc.pyatspi
    main = wait_until(acc.main_window, 5)
    if main is None:
        raise Abort("no frame for the main window in the accessibility tree")
    acc.press(acc.one(main, p.ROLE_RADIO_BUTTON, "M1"))
    acc.set_text(acc.one(main, p.ROLE_TEXT, "M1"), "2")
    acc.press(acc.find(main, p.ROLE_PUSH_BUTTON)[0])
    result_box = acc.one(main, p.ROLE_TEXT, "P2/P1")
    if not wait_until(lambda: acc.text(result_box).strip(), 5):
        raise Abort("no result for M1 = 2")
    time.sleep(0.3)  # the repaint after the result
    desk.screenshot(args.screenshots, "dark-main")
    screen = desk.grab()

    # Without a dark background the contrasts below would prove nothing.
    x, y, w, h = acc.extents(main)
    mean = region(screen, x + 2, y + h - 4, w - 4, 2)
    background = tuple(sum(c[i] for c in mean) / len(mean) for i in range(3))
    if not results.check(luminance(background) < 0.2, "the dark palette is in effect",
                         f"window background luminance {luminance(background):.2f}"):
        return

    def measured(what, node):
        ratio, fg, bg = text_contrast(screen, acc.extents(node))
        results.check(ratio >= MIN_CONTRAST, f"{what}: text contrast at least {MIN_CONTRAST}:1",
                      f"{ratio:.2f}:1, text #%02x%02x%02x on #%02x%02x%02x" % (fg + bg))

    measured("input box M1", acc.one(main, p.ROLE_TEXT, "M1"))
    measured("result box P2/P1", result_box)
    measured("label 'M1 ='", acc.one(main, p.ROLE_LABEL, "M1 ="))

    about = acc.open_about(main)
    if not about:
        raise Abort("the About window did not open")
    time.sleep(0.3)
    desk.screenshot(args.screenshots, "dark-about")
    screen = desk.grab()
    labels = [l for l in acc.find(about[0], p.ROLE_LABEL) if l.name.strip()]
    if not labels:
        raise Abort("the About window has no labels")
    worst = min(((text_contrast(screen, acc.extents(l))[0], l.name) for l in labels))
    results.check(worst[0] >= MIN_CONTRAST,
                  f"About: every line's text contrast at least {MIN_CONTRAST}:1",
                  f"{worst[1]!r}: {worst[0]:.2f}:1")


CHECKS = {"x11": check_x11, "wayland": check_wayland, "atspi": check_atspi, "dark": check_dark}


def main():
    root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("exe", help="the ornavel executable")
    parser.add_argument("checks", nargs="+", choices=list(CHECKS) + ["all"])
    parser.add_argument("--desktop-file", default=os.path.join(root, "packaging", "org.ornavel.Ornavel.desktop"))
    parser.add_argument("--screenshots", metavar="DIR", help="write the screens seen to DIR")
    parser.add_argument("--timeout", type=int, default=60, help="seconds for each check (60)")
    args = parser.parse_args()
    args.exe = os.path.abspath(args.exe)
    if not os.access(args.exe, os.X_OK):
        parser.error(f"no executable at {args.exe}")
    if args.screenshots:
        os.makedirs(args.screenshots, exist_ok=True)
    names = list(CHECKS) if "all" in args.checks else list(dict.fromkeys(args.checks))

    # Ended by a test runner or Ctrl+C: still end what was started, and say so.
    def on_signal(signum, frame):
        raise Interrupted(signal.Signals(signum).name)
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    if len(names) > 1:
        return run_each(args, names)
    name = names[0]
    results = Results()
    print(f"== {name}", flush=True)
    workdir = tempfile.mkdtemp(prefix=f"ornavel-{name}-")
    procs = Processes(workdir, Watchdog())

    def on_alarm(signum, frame):
        raise CheckTimeout()
    signal.signal(signal.SIGALRM, on_alarm)
    signal.alarm(args.timeout)
    try:
        CHECKS[name](args, results, procs, workdir)
    except CheckTimeout:
        results.fail(f"{name}: not done within {args.timeout} s")
    except Interrupted as e:
        results.fail(f"{name}: ended by {e}")
    except Abort as e:
        results.fail(f"{name}: {e}")
    except subprocess.TimeoutExpired as e:
        results.fail(f"{name}: {e.cmd[0]} did not answer within {e.timeout} s")
    finally:
        signal.alarm(0)
        for sig in (signal.SIGTERM, signal.SIGINT):
            signal.signal(sig, signal.SIG_IGN)  # the clean-up itself is not cut short
        procs.stop_all()
        if args.screenshots:
            for log in os.listdir(workdir):
                if log.endswith(".log"):
                    shutil.copy(os.path.join(workdir, log), os.path.join(args.screenshots, f"{name}-{log}"))
        shutil.rmtree(workdir, ignore_errors=True)
    print(f"{results.passed} passed, {results.failed} failed", flush=True)
    return 1 if results.failed or not results.passed else 0


def run_each(args, names):
    # One process for each check: pyatspi stays bound to the first session bus it meets.
    passed = failed = 0
    stopped = False
    for name in names:
        argv = [sys.executable, os.path.abspath(__file__), args.exe, name,
                "--desktop-file", args.desktop_file, "--timeout", str(args.timeout)]
        if args.screenshots:
            argv += ["--screenshots", args.screenshots]
        child = subprocess.Popen(argv, stdout=subprocess.PIPE, text=True)
        summary = None

        def relay():
            nonlocal summary
            for line in child.stdout:
                m = re.fullmatch(r"(\d+) passed, (\d+) failed\n?", line)
                if m:
                    summary = m
                else:
                    print(line, end="", flush=True)
        try:
            relay()
            child.wait()
        except Interrupted:
            child.terminate()
            relay()
            child.wait()
            stopped = True
        passed += int(summary.group(1)) if summary else 0
        failed += int(summary.group(2)) if summary else 1
        if stopped:
            break
    print(f"{passed} passed, {failed} failed", flush=True)
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
