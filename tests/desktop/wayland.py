"""Under headless Weston: the app id, and a first frame already at its final size."""

import collections
import os
import re
import time

from harness import COMPACT_OUTER_HEIGHT, Abort, log_tail, wait_until


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


def check(args, results, desk):
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
    desk.procs.stop(app)
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
