"""Under a dark qt6ct palette: the contrast of the text in the boxes, a label and About."""

import os
import time

from harness import MIN_CONTRAST, Abort, Accessible, luminance, region, text_contrast

SCHEME = "/usr/share/qt6ct/colors/darker.conf"


def check(args, results, desk):
    if not os.path.exists(SCHEME):
        raise Abort(f"no {SCHEME}: install qt6ct")
    config = os.path.join(desk.env["XDG_CONFIG_HOME"], "qt6ct")
    os.makedirs(config)
    with open(os.path.join(config, "qt6ct.conf"), "w") as f:
        f.write(f"[Appearance]\ncolor_scheme_path={SCHEME}\ncustom_palette=true\nstyle=Fusion\n")
    desk.start_session()
    acc = Accessible(desk.start_program(args.exe, "xcb", {"QT_QPA_PLATFORMTHEME": "qt6ct"}).pid)
    p, main = acc.pyatspi, acc.main
    if not acc.calculate("M1", "2", "P2/P1"):
        raise Abort("no result for M1 = 2")
    time.sleep(0.3)  # the repaint after the result
    desk.screenshot("dark-main")
    screen = desk.grab()

    # Without a dark background the contrasts below would prove nothing.
    x, y, w, h = acc.extents(main)
    mean = region(screen, x + 2, y + h - 4, w - 4, 2)
    background = tuple(sum(c[i] for c in mean) / len(mean) for i in range(3))
    if not results.check(luminance(background) < 0.2, "the dark palette is in effect",
                         f"window background luminance {luminance(background):.2f}"):
        return

    for what, role, name in (("input box M1", p.ROLE_TEXT, "M1"), ("result box P2/P1", p.ROLE_TEXT, "P2/P1"),
                             ("label 'M1 ='", p.ROLE_LABEL, "M1 =")):
        ratio, fg, bg = text_contrast(screen, acc.extents(acc.one(main, role, name)))
        results.check(ratio >= MIN_CONTRAST, f"{what}: text contrast at least {MIN_CONTRAST}:1",
                      f"{ratio:.2f}:1, text #%02x%02x%02x on #%02x%02x%02x" % (fg + bg))

    about = acc.open_about()
    if not about:
        raise Abort("the About window did not open")
    time.sleep(0.3)
    desk.screenshot("dark-about")
    screen = desk.grab()
    labels = [l for l in acc.find(about[0], p.ROLE_LABEL) if l.name.strip()]
    if not labels:
        raise Abort("the About window has no labels")
    worst = min(((text_contrast(screen, acc.extents(l))[0], l.name) for l in labels))
    results.check(worst[0] >= MIN_CONTRAST,
                  f"About: every line's text contrast at least {MIN_CONTRAST}:1",
                  f"{worst[1]!r}: {worst[0]:.2f}:1")
