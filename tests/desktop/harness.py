"""What the desktop checks share: processes bounded in time and ended on every path, a private
X server, window manager, D-Bus session and Wayland compositor, the program's accessibility
tree, and screenshots read as pixels. Needs Debian's python3 with python3-pyatspi and the
packages of `scripts/install-deps.sh desktop`."""

import collections
import os
import re
import select
import signal
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def design_pixels(*names):
    """Sizes the window defines in twips, in pixels at scale 1 as widgets/twips.h rounds them."""
    def constants(path):
        with open(os.path.join(ROOT, path)) as f:
            return dict(re.findall(r"constexpr (?:int|double) (\w+) = ([\d.]+);", f.read()))
    try:
        twips, per_pixel = constants("ui/main/form1_parts.h"), constants("widgets/twips.h")["twipsPerPixel"]
        return [int(float(twips[name]) / float(per_pixel) + 0.5) for name in names]  # qRound
    except KeyError as e:
        sys.exit(f"no {e} in ui/main/form1_parts.h or widgets/twips.h: the checks cannot know the sizes")


# The client's width, and the outer heights (title bar included) without and with the graph.
CLIENT_WIDTH, COMPACT_OUTER_HEIGHT, GRAPH_OUTER_HEIGHT = design_pixels(
    "clientWidthTwips", "compactHeightTwips", "graphHeightTwips")

ABOUT_NAME = "About"
TABLE_WINDOW = "Ornavel Tables"
SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768


class CheckTimeout(Exception):
    pass


class Interrupted(Exception):
    pass


class Abort(Exception):
    """A failure after which the rest of a check cannot run."""


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


# Each process runs in its own session, so that its group id is its pid and ending the
# group ends whatever it started too.
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


class Desktop:
    """A private X server, window manager, D-Bus session and Wayland compositor, as needed."""

    def __init__(self, procs, workdir, screenshots=None):
        self.procs = procs
        self.workdir = workdir
        self.screenshots = screenshots
        runtime = os.path.join(workdir, "runtime")
        os.mkdir(runtime, 0o700)
        # Nothing of the caller's desktop leaks in: no display, session bus, theme or scale.
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("QT_", "WAYLAND_", "DBUS_", "XDG_", "DISPLAY",
                                         "GTK_", "AT_SPI"))}
        self.env.update(XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8", LC_ALL="C.UTF-8",
                        HOME=os.environ.get("HOME", workdir),
                        XDG_CONFIG_HOME=os.path.join(workdir, "config"))

    def start_session(self):
        """An X server, with a session bus and the accessibility bus on it."""
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
        self.start_dbus()

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

    def screenshot(self, name):
        if self.screenshots:
            run(["import", "-window", "root", os.path.join(self.screenshots, name + ".png")],
                self.env, timeout=10)

    def grab(self):
        """The whole screen as (width, bytes of RGB)."""
        raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], env=self.env,
                             capture_output=True, timeout=10, check=True).stdout
        return SCREEN_WIDTH, raw


class Accessible:
    """The program's accessibility tree, read over AT-SPI."""

    def __init__(self, pid, timeout=15):
        import pyatspi  # after the session bus is set in the environment
        self.pyatspi = pyatspi
        self.pid = pid
        self.app = wait_until(self._find_app, timeout, interval=0.2)
        if self.app is None:
            raise Abort(f"the program did not appear on the accessibility bus within {timeout} s")
        self.main = wait_until(lambda: next((w for w in self.windows() if w.getRole() == pyatspi.ROLE_FRAME),
                                            None), 5)
        if self.main is None:
            raise Abort("no frame for the main window in the accessibility tree")

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

    def one(self, root, role, name=None):
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

    def named(self, name):
        """The top-level nodes of that name."""
        return [w for w in self.windows() if w.name == name]

    def choose_menu(self, name):
        # A mnemonic's ampersand may or may not be in the item's name.
        items = [m for m in self.find(self.main, self.pyatspi.ROLE_MENU_ITEM)
                 if m.name.replace("&", "") == name]
        if len(items) != 1:
            raise Abort(f"{len(items)} menu items named {name!r}, not one")
        self.press(items[0])

    def open_about(self):
        """The top-level nodes named About once its menu item is pressed; [] if none shows."""
        self.choose_menu(ABOUT_NAME)
        return wait_until(lambda: self.named(ABOUT_NAME), 5) or []

    def calculate(self, mode, value, result):
        """The text of the result box once value is typed in mode's box and the button
        pressed; None if none shows."""
        p = self.pyatspi
        self.press(self.one(self.main, p.ROLE_RADIO_BUTTON, mode))
        self.set_text(self.one(self.main, p.ROLE_TEXT, mode), value)
        self.press(self.one(self.main, p.ROLE_PUSH_BUTTON))
        box = self.one(self.main, p.ROLE_TEXT, result)
        return wait_until(lambda: self.text(box).strip(), 5)

    def text(self, node):
        t = node.queryText()
        return t.getText(0, t.characterCount)

    def set_text(self, node, text):
        if not node.queryEditableText().setTextContents(text):
            raise Abort(f"could not type into {node.name!r}")


# WCAG relative luminance, contrast ratio and the AA minimum for normal text, exactly as the
# Qt tests of the window compute them (tests/ui/main/form1_test.cpp), so both agree on a pixel.
MIN_CONTRAST = 4.5


def luminance(c):
    def channel(v):
        v /= 255
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
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
