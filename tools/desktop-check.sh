#!/usr/bin/env bash
# Looks at the real Ornavel executable on real desktops, as a reviewer would by hand, and
# prints what it saw; screenshots go to the output folder as PNG files.
#
#   tools/desktop-check.sh [executable] [out-dir]
#
# executable defaults to build/release/app/ornavel, out-dir to a new temporary folder.
# Needs root or sudo once, for scripts/install-deps.sh desktop and for generating the
# de_DE.UTF-8 and tr_TR.UTF-8 locales. It is a reviewer's tool, not part of the test suite.
#
# What it checks:
#   X11 (Xvfb + openbox): WM_CLASS, whether the program sets _NET_WM_ICON itself, the window
#     type, the size hints (resizable?), the outer frame size before and after Po2/P1;
#     M1 = 10 and 50, Po2/P1 = 1.5 (message box) and 2 (clicked twice), Tab to the button
#     and Return, the About window from the menu and Escape.
#   A dark desktop palette (qt6ct, darker colour scheme): screenshots and WCAG contrast
#     ratios of text against its background in an input box, a result box and About lines.
#   German and Turkish locales: "4,5" in M1 mode; Po2/P1 = 10 clicked twice.
#   Wayland (headless weston): the first buffer sizes the client attaches and its app id.
#   The accessibility tree over AT-SPI, with the About window open.
# Every process it starts is ended by its id when it finishes or fails; every wait is bounded.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
python=/usr/bin/python3 # Debian's own, which has pyatspi

# ---------------------------------------------------------------------------------------
# Process bookkeeping: each daemon runs in its own session, so its group id is its pid.

started=()

spawn() { # spawn LOGFILE COMMAND...
    local log=$1
    shift
    setsid "$@" >"$log" 2>&1 </dev/null &
    last_pid=$!
    started+=("$last_pid")
}

stop_pid() { # stop_pid PID: TERM it, so that it can end and reap its own children; then its group
    local pid=$1 i
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
    kill -TERM "$pid" 2>/dev/null
    for i in $(seq 1 30); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -TERM -- "-$pid" 2>/dev/null && sleep 0.2
    kill -KILL -- "-$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

cleanup() {
    local i
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do
        stop_pid "${started[i]}"
    done
    started=()
}
trap cleanup EXIT
trap 'exit 130' INT TERM

wait_for() { # wait_for SECONDS COMMAND...: poll until the command succeeds
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.2
    done
}

failures=0
note() { printf '  %s\n' "$*"; }
fail() { printf '  FAILED: %s\n' "$*"; failures=$((failures + 1)); }
heading() { printf '\n== %s\n' "$*"; }

# ---------------------------------------------------------------------------------------
# The accessibility session re-enters this script inside dbus-run-session.

if [ "${1:-}" = --a11y-session ]; then
    shift
    exe=$1 out=$2 helper=$3
    spawn "$out/at-spi-bus.log" /usr/libexec/at-spi-bus-launcher --launch-immediately
    sleep 1
    spawn "$out/a11y-app.log" env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$exe"
    app_pid=$last_pid
    if ! wait_for 10 xdotool search --onlyvisible --name '^Ornavel$' >/dev/null; then
        echo "  FAILED: no window under AT-SPI"
        exit 1
    fi
    win=$(xdotool search --onlyvisible --name '^Ornavel$' | head -1)
    read -r wx wy < <(xwininfo -id "$win" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
    cy=$((wy + ${MENU_OFFSET:-18}))
    # Po2/P1 = 2, so that the graph is shown, then About from the menu bar.
    read -r ox oy bx by kx ky <<<"$CLICKS"
    xdotool mousemove $((wx + ox)) $((cy + oy)) click 1
    sleep 0.5
    xdotool mousemove $((wx + bx)) $((cy + by)) click 1 key End type 2
    xdotool mousemove $((wx + kx)) $((cy + ky)) click 1
    sleep 1
    xdotool mousemove $((wx + 20)) $((wy + ${MENU_OFFSET:-18} / 2)) click 1
    wait_for 5 xdotool search --onlyvisible --name '^About$' >/dev/null || echo "  (About did not open)"
    sleep 1
    timeout 60 "$python" "$helper" atspi-dump ornavel "$app_pid" >"$out/a11y-tree.txt" 2>&1
    echo "  dump exit status: $?"
    exit 0
fi

exe=${1:-build/release/app/ornavel}
out=${2:-$(mktemp -d /tmp/ornavel-desktop-check.XXXXXX)}
mkdir -p "$out"
out=$(cd "$out" && pwd)
[ -x "$exe" ] || { echo "no executable at $exe (build it first: cmake --preset release && cmake --build --preset release)" >&2; exit 2; }
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
work=$(mktemp -d /tmp/ornavel-desktop-work.XXXXXX)
trap 'cleanup; rm -rf "$work"' EXIT
run_start=$SECONDS

echo "Ornavel desktop check: $exe"
echo "Screenshots and logs: $out"

"$root/scripts/install-deps.sh" desktop || { echo "could not install the desktop packages" >&2; exit 2; }

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
need_locale=()
for loc in de_DE tr_TR; do
    locale -a 2>/dev/null | grep -qi "^$loc\.utf-\?8$" || need_locale+=("$loc")
done
if [ ${#need_locale[@]} -gt 0 ]; then
    for loc in "${need_locale[@]}"; do
        as_root sed -i "s/^# *\($loc\.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    done
    as_root locale-gen >/dev/null
fi

# ---------------------------------------------------------------------------------------
# A small python helper: the control table, pixel figures, the AT-SPI dump, Wayland log.

helper=$work/helper.py
cat >"$helper" <<'PY'
import re, subprocess, sys
from collections import Counter

def rgb_region(png, x, y, w, h):
    raw = subprocess.run(["convert", png, "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                          "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw) - 2, 3)]

def luminance(c):
    def ch(v):
        v /= 255
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (ch(v) for v in c)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b

def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)

def hexc(c):
    return "#%02x%02x%02x" % c

def controls(source):
    # Pixel rectangles of the controls in the client area, from the form's control table.
    rows = re.findall(r'\{"(\w+)", Kind::(\w+), (?:"(\w+)"|nullptr), (\d+), (\d+), (\d+), (\d+),',
                      open(source, encoding="utf-8").read())
    px = lambda t: int(int(t) / 15 + 0.5)
    pos = {}
    for name, kind, parent, l, t, w, h in rows:
        ox, oy = pos[parent][:2] if parent else (0, 0)
        pos[name] = (ox + px(l), oy + px(t), px(w), px(h))
        print(name, kind, *pos[name])

def white_run(png, x, y0, y1):
    # First y in [y0, y1) that starts a run of at least 8 near-white pixels in column x.
    col = rgb_region(png, x, y0, 1, y1 - y0)
    run = 0
    for i, c in enumerate(col):
        run = run + 1 if min(c) >= 250 else 0
        if run == 8:
            print(y0 + i - 7)
            return
    print(-1)

def text_contrast(png, x, y, w, h):
    # Background: the commonest colour; text: the colour farthest from it in contrast.
    px = rgb_region(png, x, y, w, h)
    bg = Counter(px).most_common(1)[0][0]
    fg = max(set(px), key=lambda c: contrast(c, bg))
    print(f"text {hexc(fg)} on {hexc(bg)}: contrast {contrast(fg, bg):.2f}:1")

def mean_colour(png, x, y, w, h):
    px = rgb_region(png, x, y, w, h)
    m = tuple(round(sum(c[i] for c in px) / len(px)) for i in range(3))
    print(f"{hexc(m)} luminance {luminance(m):.2f}")

def wayland(log):
    lines = [l.split("] ", 1)[-1].strip() for l in open(log, errors="replace")]
    def first(pattern):
        return next((l for l in lines if re.search(pattern, l)), None)
    for pattern in (r"set_app_id\(", r"set_title\(", r"set_min_size\(", r"set_max_size\(",
                    r"^xdg_toplevel@\d+\.configure\(", r"set_window_geometry\(", r"create_buffer\("):
        line = first(pattern)
        print("  first: " + (line or "(none) " + pattern.replace("\\", "")))
    sizes = [m.groups() for l in lines
             for m in [re.search(r"create_buffer\(new id wl_buffer@\d+, \d+, (\d+), (\d+), (\d+), (\d+)\)", l)] if m]
    geometries = [l for l in lines if "set_window_geometry(" in l]
    if sizes:
        w, h, stride, fmt = sizes[0]
        print(f"  first buffer: {w} x {h} (stride {stride}, format {fmt}); {len(sizes)} buffer(s) in all,"
              f" last {sizes[-1][0]} x {sizes[-1][1]}")
    if len(geometries) > 1:
        print("  last: " + geometries[-1])
    # Qt paints its decorations into the same buffer; the damage after the first attach is
    # the window's own content.
    attach = next((i for i, l in enumerate(lines) if ".attach(wl_buffer" in l), None)
    if attach is not None:
        content = next((l for l in lines[attach:] if "damage_buffer(" in l), None)
        if content:
            x, y, w, h = re.search(r"damage_buffer\((\d+), (\d+), (\d+), (\d+)\)", content).groups()
            print(f"  content of the first frame: {w} x {h} at ({x}, {y}) in the buffer;"
                  " the rest is Qt's decoration (title bar and border)")

def atspi_dump(name, pid):
    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [a for a in desktop if a is not None]
    print("applications on the bus:", ", ".join(repr(a.name) for a in apps))
    app = next((a for a in apps if name in (a.name or "").lower()), None)
    if app is None:
        app = next((a for a in apps if str(a.get_process_id()) == pid), None)
    if app is None:
        print("no application named like", name)
        return
    def walk(node, depth):
        if depth > 12:
            return
        try:
            ext = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            box = f" [{ext.x},{ext.y} {ext.width}x{ext.height}]"
        except Exception:
            box = ""
        desc = node.description
        print("  " * depth + f"{node.getRoleName()} {node.name!r}"
              + (f" desc={desc!r}" if desc else "") + box)
        for child in node:
            if child is not None:
                walk(child, depth + 1)
    walk(app, 0)

cmd, *args = sys.argv[1:]
{"controls": lambda: controls(*args),
 "white-run": lambda: white_run(args[0], *map(int, args[1:])),
 "contrast": lambda: text_contrast(args[0], *map(int, args[1:])),
 "mean": lambda: mean_colour(args[0], *map(int, args[1:])),
 "wayland": lambda: wayland(*args),
 "atspi-dump": lambda: atspi_dump(*args)}[cmd]()
PY

"$python" "$helper" controls "$root/ui/main/control_table.h" >"$work/controls.txt" || { echo "cannot read the control table" >&2; exit 2; }
ctl() { # ctl NAME: x y w h of a control in the client area
    awk -v n="$1" '$1 == n {print $3, $4, $5, $6; found=1} END{exit !found}' "$work/controls.txt"
}

# ---------------------------------------------------------------------------------------
# X11 helpers. win: the main window; cx, cy: its client origin below the menu bar.

free_display() {
    local n
    for n in $(seq 91 120); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { echo "$n"; return; }
    done
    return 1
}

visible_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null; }

menu_offset=""
app_pid=""

start_app() { # start_app LABEL [VAR=VALUE...]: starts the program and finds its window
    local label=$1
    shift
    local try
    for try in 1 2; do
        spawn "$out/$label.log" env "$@" "$exe"
        app_pid=$last_pid
        wait_for 10 visible_named '^Ornavel$' >/dev/null && break
        note "$label: no visible window named Ornavel within 10 s (program $(kill -0 "$app_pid" 2>/dev/null && echo running || echo gone);" \
            "windows so named: $(xdotool search --name '^Ornavel$' 2>/dev/null | paste -sd ' '))"
        stop_app
        [ "$try" = 2 ] && { fail "$label: the program showed no window"; return 1; }
    done
    win=$(visible_named '^Ornavel$' | head -1)
    sleep 0.8 # let the window manager settle the frame and the program its height
    window_origin
}

window_origin() {
    read -r wx wy ww wh < <(xwininfo -id "$win" | awk '
        /Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
        /^  Width/{w=$2} /^  Height/{h=$2} END{print x, y, w, h}')
    cx=$wx
    cy=$((wy + ${menu_offset:-0}))
}

stop_app() {
    [ -n "$app_pid" ] && stop_pid "$app_pid"
    app_pid=""
}

shot() { # shot NAME: whole screen to out/NAME.png
    import -window root "$out/$1.png" 2>/dev/null || fail "screenshot $1"
    shot_file=$out/$1.png
}

click_at() { xdotool mousemove "$1" "$2" click "${3:-1}"; sleep 0.2; }

click() { # click CONTROL: the centre of a control in the client area
    local x y w h
    read -r x y w h < <(ctl "$1") || { fail "no control $1"; return 1; }
    click_at $((cx + x + w / 2)) $((cy + y + h / 2))
}

type_into() { # type_into BOX TEXT: click the box, go to its end and type
    click "$1"
    xdotool key End
    xdotool type --delay 40 "$2"
    sleep 0.2
}

read_box() { # read_box BOX: its text, through the clipboard
    click "$1"
    xdotool key ctrl+a ctrl+c
    sleep 0.15
    timeout 3 xclip -o -selection clipboard 2>/dev/null
}

outer_size() { # width x height including the window manager's frame
    local ext l r t b
    ext=$(xprop -id "$win" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
    IFS=, read -r l r t b <<<"${ext:-0,0,0,0}"
    window_origin
    echo "client ${ww}x${wh}, frame extents l,r,t,b = ${l},${r},${t},${b}, outer $((ww + l + r))x$((wh + t + b))"
}

message_box() { # message_box: id of a visible dialog named Ornavel other than the main window
    visible_named '^Ornavel$' | grep -vx "$win" | head -1
}

calculate() { # calculate SHOT: clicks Command1; screenshots and closes a message box if one shows
    local box
    click Command1
    had_message=""
    if wait_for 2 message_box_shown; then
        had_message=$1-message.png
        box=$(message_box)
        shot "$1-message"
        note "message box shown (see $1-message.png); Return closes it"
        xdotool key Return
        wait_for 3 message_box_gone || { fail "message box still open after Return"; xdotool windowclose "$box" 2>/dev/null; }
    fi
    sleep 0.3
    shot "$1"
}
twice() { # twice SHOT-PREFIX: clicks Calculate twice and compares what the boxes hold
    calculate "$1-first"
    first=$(results)
    note "first click:  $first"
    calculate "$1-second"
    second=$(results)
    note "second click: $second"
    if [ -n "$had_message" ]; then
        note "the second click shows a message box ($had_message) instead of the same results"
    elif [ "$first" = "$second" ]; then
        note "the second click gives the same results"
    else
        note "the second click CHANGES the results"
    fi
}
message_box_shown() { [ -n "$(message_box)" ]; }
message_box_gone() { [ -z "$(message_box)" ]; }

results() { # results: the seven boxes, read back, on one line
    local b line=""
    for b in Text_M1 Text_P2P1 Text_Ro2Ro1 Text_T2T1 Text_Po2Po1 Text_Po2P1 Text_M2; do
        line+="${b#Text_}=$(read_box "$b") "
    done
    echo "$line"
}

region_of() { # region_of CONTROL INSET: screen x y w h of a control, shrunk by INSET
    local x y w h
    read -r x y w h < <(ctl "$1")
    echo $((cx + x + $2)) $((cy + y + $2)) $((w - 2 * $2)) $((h - 2 * $2))
}

about_label_region() { # about_label_region ABOUT_WIN left top width height (twips)
    local ax ay
    read -r ax ay < <(xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
    # twips to pixels, rounded as the program rounds them
    echo $((ax + ($2 + 7) / 15)) $((ay + ($3 + 7) / 15)) $((($4 + 7) / 15)) $((($5 + 7) / 15))
}

icon_sizes() { # the sizes of the images in the window's _NET_WM_ICON, or "none"
    xprop -id "$win" -notype 32c _NET_WM_ICON 2>/dev/null | "$python" -c '
import sys
text = sys.stdin.read()
if "=" not in text:
    print("none"); sys.exit()
v = [int(x) for x in text.split("=", 1)[1].replace(" ", "").split(",") if x]
i, sizes = 0, []
while i + 1 < len(v):
    sizes.append("%dx%d" % (v[i], v[i + 1])); i += 2 + v[i] * v[i + 1]
print(", ".join(sizes))'
}

open_about() { # open_about: clicks About in the menu bar; sets about_win
    about_win=""
    click_at $((wx + 20)) $((wy + menu_offset / 2))
    if wait_for 5 visible_named '^About$' >/dev/null; then
        about_win=$(visible_named '^About$' | head -1)
        sleep 0.5
        return 0
    fi
    fail "the About window did not open from the menu bar"
    return 1
}

# ---------------------------------------------------------------------------------------
# X11

n=$(free_display) || { echo "no free X display number" >&2; exit 2; }
export DISPLAY=:$n
spawn "$out/xvfb.log" Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset
wait_for 10 xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start (see $out/xvfb.log)" >&2; exit 1; }
unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE
export QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8

heading "X11 without a window manager: what the program itself sets"
if start_app x11-bare; then
    note "$(xprop -id "$win" WM_CLASS)"
    note "_NET_WM_ICON set by the program: $(icon_sizes)"
    note "size without a frame: $(outer_size)"
    stop_app
fi

spawn "$out/openbox.log" openbox
wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window' || fail "openbox did not start"

heading "X11 with openbox"
if start_app x11; then
    note "$(xprop -id "$win" WM_CLASS)"
    note "$(xprop -id "$win" _NET_WM_WINDOW_TYPE)"
    note "_NET_WM_ICON: $(icon_sizes)"
    hints=$(xprop -id "$win" WM_NORMAL_HINTS | tail -n +2 | sed 's/^[[:space:]]*//' | paste -sd ';' | sed 's/;/; /g')
    note "WM_NORMAL_HINTS: $hints"
    if xprop -id "$win" WM_NORMAL_HINTS | grep -q 'maximum size'; then
        note "resizable: only within the min/max sizes above"
    else
        note "resizable: yes (no maximum size hint)"
    fi
    note "at start: $(outer_size)"
    shot x11-start

    # The menu bar sits above the client area: find it from the γ box, the first white box.
    read -r gx gy gw gh < <(ctl Text1)
    top=$("$python" "$helper" white-run "$shot_file" $((wx + gx + gw - 5)) "$wy" $((wy + 120)))
    if [ "$top" -gt 0 ]; then
        menu_offset=$((top - wy - gy - 2)) # a 1-pixel border and a 1-pixel inner shade
        note "menu bar height (from the γ box): $menu_offset px"
    else
        menu_offset=18
        fail "could not find the γ box; assuming an 18 px menu bar"
    fi
    window_origin

    click Option_M1
    type_into Text_M1 10
    calculate x11-m1-10
    note "M1 = 10: $(results)"
    click Option_M1
    type_into Text_M1 50
    calculate x11-m1-50
    note "M1 = 50: $(results)"
    # Ctrl+C with nothing selected: Copy Results, as text and as an HTML table.
    click Text_P2P1
    xdotool key End ctrl+c
    sleep 0.15
    note "Copy Results (Ctrl+C in a box, nothing selected), text/plain:"
    timeout 3 xclip -o -selection clipboard 2>/dev/null | sed 's/^/      /'
    note "  text/html: $(timeout 3 xclip -o -selection clipboard -t text/html 2>/dev/null | tr -d '\n')"

    click Option_Po2P1
    sleep 0.8
    note "after Po2/P1: $(outer_size)"
    type_into Text_Po2P1 1.5
    calculate x11-po2p1-1.5
    note "Po2/P1 = 1.5: $(results)"
    click Option_Po2P1
    type_into Text_Po2P1 2
    note "Po2/P1 = 2, clicked twice:"
    twice x11-po2p1-2

    # Keyboard: from the M1 box, Tab passes γ and the selected option to the button.
    click Option_M1
    type_into Text_M1 3
    xdotool key Tab Tab Tab
    sleep 0.3
    shot x11-keyboard-focus
    xdotool key Return
    sleep 0.6
    if wait_for 1 message_box_shown; then shot x11-keyboard-message; xdotool key Return; sleep 0.3; fi
    shot x11-keyboard-return
    p2=$(read_box Text_P2P1)
    if [ "$p2" = "10.33333" ]; then
        note "Tab, Tab, Tab, Return: calculates (P2/P1 = $p2)"
    else
        note "Tab, Tab, Tab, Return: does NOT calculate (no P2/P1 of 10.33333 for M1 = 3; read back '$p2')"
        # Is the focus really on the button? Space presses a focused push button.
        click Option_M1
        type_into Text_M1 3
        xdotool key Tab Tab Tab space
        sleep 0.6
        [ "$(read_box Text_P2P1)" = "10.33333" ] && note "  (Space on the same focus does calculate: the focus was on the button)"
    fi

    if open_about; then
        note "About: $(xprop -id "$about_win" WM_CLASS | sed 's/.*= //'), $(xprop -id "$about_win" _NET_WM_WINDOW_TYPE | sed 's/.*= //')," \
            "hints: $(xprop -id "$about_win" WM_NORMAL_HINTS | tail -n +2 | sed 's/^[[:space:]]*//' | paste -sd ';' | sed 's/;/; /g')"
        shot x11-about
        xdotool windowactivate --sync "$about_win" 2>/dev/null
        xdotool key Escape
        if wait_for 2 sh -c "! xdotool search --onlyvisible --name '^About\$' | grep -q ."; then
            note "Escape closes the About window"
        else
            note "Escape does NOT close the About window"
            xdotool windowclose "$about_win" 2>/dev/null
        fi
    fi
    stop_app
fi

# ---------------------------------------------------------------------------------------
# A dark desktop palette, chosen through qt6ct before the program starts

heading "Dark palette (qt6ct, darker.conf)"
mkdir -p "$work/xdg/qt6ct"
cat >"$work/xdg/qt6ct/qt6ct.conf" <<EOF
[Appearance]
color_scheme_path=/usr/share/qt6ct/colors/darker.conf
custom_palette=true
style=Fusion
EOF
if start_app dark QT_QPA_PLATFORMTHEME=qt6ct XDG_CONFIG_HOME="$work/xdg"; then
    click Option_M1
    type_into Text_M1 2
    calculate dark-m1-2 # measured on this screenshot, before reading the boxes selects their text
    m1_shot=$shot_file
    note "M1 = 2: $(results)"
    shot_file=$m1_shot
    note "window background: $("$python" "$helper" mean "$shot_file" $((cx + 2)) $((cy + 197)) 200 4) (light: about 0.8)"
    note "input box M1:      $("$python" "$helper" contrast "$shot_file" $(region_of Text_M1 3))"
    note "result box P2/P1:  $("$python" "$helper" contrast "$shot_file" $(region_of Text_P2P1 3))"
    note "label M1 =:        $("$python" "$helper" contrast "$shot_file" $(region_of Label_M1 0))"
    if open_about; then
        shot dark-about
        note "About 'Written by': $("$python" "$helper" contrast "$shot_file" $(about_label_region "$about_win" 480 600 2775 255))"
        note "About 'Ornavel':    $("$python" "$helper" contrast "$shot_file" $(about_label_region "$about_win" 480 360 2535 255))"
        note "About e-mail:       $("$python" "$helper" contrast "$shot_file" $(about_label_region "$about_win" 840 1320 1935 255))"
        xdotool windowclose "$about_win" 2>/dev/null
    fi
    stop_app
fi

# ---------------------------------------------------------------------------------------
# Locales whose decimal separator is a comma

for loc in de_DE.UTF-8 tr_TR.UTF-8; do
    tag=${loc%%_*}
    heading "Locale $loc"
    if start_app "locale-$tag" LANG="$loc" LC_ALL="$loc"; then
        click Option_M1
        type_into Text_M1 4,5
        calculate "locale-$tag-m1-4,5"
        note "M1 typed '4,5': $(results)"
        click Option_Po2P1
        sleep 0.6
        type_into Text_Po2P1 10
        note "Po2/P1 = 10, clicked twice:"
        twice "locale-$tag-po2p1-10"
        # A ratio that is written back with decimals, and so with the locale's comma.
        click Option_Po2P1
        type_into Text_Po2P1 2
        note "Po2/P1 = 2, clicked twice:"
        twice "locale-$tag-po2p1-2"
        stop_app
    fi
done

# ---------------------------------------------------------------------------------------
# The accessibility tree over AT-SPI

heading "Accessibility tree (AT-SPI)"
centre() { local x y w h; read -r x y w h < <(ctl "$1"); echo $((x + w / 2)) $((y + h / 2)); }
clicks="$(centre Option_Po2P1) $(centre Text_Po2P1) $(centre Command1)"
spawn "$out/a11y-session.log" env MENU_OFFSET="${menu_offset:-18}" CLICKS="$clicks" LANG=C.UTF-8 \
    dbus-run-session -- bash "$0" --a11y-session "$exe" "$out" "$helper"
a11y_pid=$last_pid
if wait_for 90 sh -c "! kill -0 $a11y_pid 2>/dev/null"; then
    grep -v -e '^ *$' -e 'Failed to set fd limit' "$out/a11y-session.log" | head -5
else
    fail "the accessibility session did not finish within 90 s"
fi
stop_pid "$a11y_pid"
if [ -s "$out/a11y-tree.txt" ]; then
    note "full tree: $out/a11y-tree.txt; the graph Picture1 is $(ctl Picture1 | awk '{print $3 "x" $4}') px. The relevant nodes:"
    # The application, its windows, and what is neither a label, a box, a button nor a panel.
    grep -vE "^ *(label|text|radio button|push button|menu item|menu bar|panel|filler '') " \
        "$out/a11y-tree.txt" | head -20 | sed 's/^/    /'
else
    fail "no accessibility tree (see $out/a11y-session.log)"
fi

# ---------------------------------------------------------------------------------------
# Wayland, on a headless weston

heading "Wayland (weston, headless)"
runtime=$work/runtime
mkdir -p "$runtime"
chmod 0700 "$runtime"
spawn "$out/weston.log" env -u DISPLAY XDG_RUNTIME_DIR="$runtime" \
    weston --backend=headless-backend.so --socket=ornavel-check --width=1024 --height=768 --idle-time=0
weston_pid=$last_pid
if wait_for 15 test -S "$runtime/ornavel-check"; then
    sleep 1
    spawn "$out/wayland-debug.log" env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=ornavel-check \
        XDG_RUNTIME_DIR="$runtime" WAYLAND_DEBUG=client "$exe"
    wl_pid=$last_pid
    sleep 4
    if kill -0 "$wl_pid" 2>/dev/null; then note "the program was still running after 4 s; quitting it"; else fail "the program exited early on Wayland (see wayland-debug.log)"; fi
    stop_pid "$wl_pid"
    "$python" "$helper" wayland "$out/wayland-debug.log"
    note "design: outer $(( (4050 + 7) / 15 ))x$(( (3800 + 7) / 15 )) px, title bar and border included (see the X11 figures)"
else
    fail "weston did not open its socket (see $out/weston.log)"
fi
stop_pid "$weston_pid"

cleanup
heading "Done in $((SECONDS - run_start)) s; $failures failure(s). Screenshots:"
ls "$out"/*.png 2>/dev/null | sed 's/^/  /'
[ "$failures" -eq 0 ]
